// The librarian's popup menus: invisible hot zones on the librarian page
// whose click opens a popup menu and carries the choice out. They write the
// librarian's parameters directly (no change handler, nothing to the host),
// call the editor and the library, and post jobs to the MIDI data thread
// (a job item does nothing while that thread is busy).
//
// Contents, in reading order:
//   BankMenuTree            the listed menus of a bank menu, the mark rule,
//                           the re-check and the pick step
//                           (IPopupMenuControlBankTree.cpp)
//   LeftPatchPopupMenu,
//   RightPatchPopupMenu     the folder-tree menus of the file banks
//                           (IPopupMenuControlFolders.cpp)
//   RightCategoryPopupMenu,
//   RightSearchPopupMenu    the category and search-result menus of the
//                           lower list (IPopupMenuControlCategories.cpp)
//   BankEditPopupMenu       the librarian's main menu
//                           (IPopupMenuControlMainMenu.cpp)
//   FileEditPopupMenu,
//   FileCopyPopupMenu       the slot and copy menus of a right click in the
//                           slot list (IPopupMenuControlSlotMenus.cpp)
//   MakeLibrarianMenu       the eight permanent menus made at start-up
// The program selector's menus (bank name, program and bank number) are in
// IPopupMenuProgSelector.h.
//
// GUI thread only. Every menu is bound to no parameter, draws nothing and
// takes only the click; the popup blocks the thread until the user chooses.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IPopupMenu.h"

class PatchFile;
class PatchLibrarian;
class EditorServices;

// ==== BankMenuTree ===========================================================
// The menus of one bank menu: the root and every submenu, each listed with
// the folder name of the banks it shows as items (the category menu's root
// is listed without one). Rebuilt whole; owned here.
class BankMenuTree {
 public:
  // Deletes every listed menu and starts a new empty root; the position
  // fallback counts from 0 again. position is the fallback's target, and
  // bankName / folderName the pair whose bank gets the check mark.
  void Restart(int position, const std::string& bankName, const std::string& folderName);
  IPopupMenu* Root() const { return mRoot; }
  // A new empty menu, owned by the tree, not listed yet.
  IPopupMenu* NewMenu();
  // Lists menu (made by NewMenu or the root) after the menus listed so far.
  void List(IPopupMenu* menu, const std::string& folderName);
  void ListWithoutFolder(IPopupMenu* menu);
  // Adds bank as an item of menu under the mark rule: the first bank whose
  // name and compared folder name equal the pair, or else the bank at the
  // target position in fill order, gets the check mark alone in its menu.
  void AddBank(IPopupMenu* menu, const PatchFile* bank, const std::string& comparedFolder);

  // The re-check: only the item of bank (by its folder name and name)
  // carries the check mark over all listed menus; the others are cleared.
  void CheckBank(const PatchFile* bank);
  // The pick step over banks after a popup answered chosen (null: dismissed,
  // -1 returned). The chosen item alone gets the check mark; the index in
  // banks of the first bank with the item's folder name and text is
  // returned and the pair written, or -1 (pair untouched) when none has.
  int Pick(IPopupMenu* chosen, const std::vector<PatchFile*>& banks, std::string* bankName,
           std::string* folderName);

  // ---- For tests and the tree's users ---------------------------------------
  int ListedCount() const { return static_cast<int>(mListed.size()); }
  IPopupMenu* ListedMenu(int k) const { return mListed[static_cast<size_t>(k)].menu; }
  // The listed menu's folder name; "" for one listed without.
  const std::string& ListedFolder(int k) const { return mListed[static_cast<size_t>(k)].folder; }
  bool ListedHasFolder(int k) const { return mListed[static_cast<size_t>(k)].hasFolder; }

 private:
  struct Listed {
    IPopupMenu* menu;
    std::string folder;
    bool hasFolder;
  };
  std::vector<std::unique_ptr<IPopupMenu>> mOwned;  // every menu of the tree
  std::vector<Listed> mListed;
  IPopupMenu* mRoot = nullptr;
  // The rebuild's mark rule.
  bool mFound = false;
  int mTarget = 0;
  int mBankItems = 0;  // bank items added so far, over all menus
  std::string mBankName, mFolderName;
};

// ==== The five bank menus ====================================================
// Which bank list a bank menu picks from, the name pair it writes, the
// selection parameter, library index and column it drives.
enum class BankMenuKind { kUpperFiles, kLowerFiles, kCategories, kSearch, kProgramBankName };

class BankMenuControl : public IControl {
 public:
  BankMenuControl(IModuleBase* plug, PatchLibrarian* library, IRECT rect, EditorServices* editor,
                  BankMenuKind kind);

  // The click path: pick, write the selection parameter, its display, the
  // library's index, reload the column, redraw (also after a dismissal).
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Fills the rectangle with the transparent colour: nothing shows.
  bool Draw(IGraphics* graphics) override;

  // Rebuilds the tree from the library and selects the bank named by the
  // pair (or checks the fallback position); true.
  bool refreshFolderStructure(PatchLibrarian* library, EditorServices* editor, int position,
                              std::string bankName, std::string folderName);
  // Checks the item of bank bankIndex of the menu's bank list alone.
  void checkMenuItemAlone(PatchLibrarian* library, EditorServices* editor, int bankIndex);
  // The pick step: shows the menu; returns the selection (also written
  // through the reference), 0 when nothing was chosen.
  int doPopupMenu(EditorServices* editor, int& selection);

  BankMenuKind Kind() const { return mKind; }
  const BankMenuTree& Tree() const { return mTree; }
  int selection = 0;

 protected:
  // The bank list that the menu's indices point into.
  const std::vector<PatchFile*>& Banks() const;
  bool Upper() const { return mKind == BankMenuKind::kUpperFiles || mKind == BankMenuKind::kProgramBankName; }
  void BuildFolderTree();
  void BuildCategoryTree();
  void BuildSearchTree();
  // Writes index into the selection parameter (directly, clamped), its
  // display control and the library's index.
  void WriteSelection(int index);

  PatchLibrarian* library;
  EditorServices* editor;
  BankMenuKind mKind;
  BankMenuTree mTree;
};

// The upper list's bank among the file banks.
class LeftPatchPopupMenu : public BankMenuControl {
 public:
  LeftPatchPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect, EditorServices* editor);
};

// The lower list's bank among the file banks.
class RightPatchPopupMenu : public BankMenuControl {
 public:
  RightPatchPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect, EditorServices* editor);
};

// The lower list's bank among the category banks: one submenu per category
// that holds banks.
class RightCategoryPopupMenu : public BankMenuControl {
 public:
  RightCategoryPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect, EditorServices* editor);
};

// The lower list's bank among the search-result banks: one flat menu.
class RightSearchPopupMenu : public BankMenuControl {
 public:
  RightSearchPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect, EditorServices* editor);
};

// ==== BankEditPopupMenu ======================================================
// The librarian's main menu: requests, stores, sync and push, save, import,
// refresh, help links and the about card. Item indices count separators.
class BankEditPopupMenu : public IControl {
 public:
  // Indices of the menus below.
  enum { kRoot = 0, kRequest, kStore, kSaveAs, kImport, kHelp, kUnused1, kUnused2, kNumMenus };

  BankEditPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect, EditorServices* editor);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  // Empties the menus and adds every item again; the argument is not used.
  void AddMenuItemsIn(EditorServices* editor);
  // Shows the menu and runs the chosen item; no check mark survives.
  void doPopupMenu(EditorServices* editor);
  // Runs the item at index of menu (one of the indices above).
  void runItem(int menu, int index);

  IPopupMenu& Menu(int menu) { return menus[menu]; }

 private:
  EditorServices* editor;
  PatchLibrarian* library;
  IPopupMenu menus[kNumMenus];
};

// ==== FileEditPopupMenu, FileCopyPopupMenu ===================================
// Made for one right click in the slot list, at the pointer, and freed after
// its popup. The slot they act on is the library's selectedUpperSlot, which
// the list set from the click.
class FileEditPopupMenu : public IControl {
 public:
  enum { kRoot = 0, kGetData, kImport, kCategory, kNumMenus };

  FileEditPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect, EditorServices* editor);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  void AddMenuItemsIn();
  // Shows the menu and runs the choice; x, y are the right click's point,
  // handed on to the list. Returns 1 when an item was chosen, else 0.
  int doPopupMenu(EditorServices* editor, int x, int y);
  // Runs the item at index of menu (one of the indices above).
  void runItem(int menu, int index, int x, int y);

  IPopupMenu& Menu(int menu) { return menus[menu]; }

 private:
  EditorServices* editor;
  PatchLibrarian* library;
  IPopupMenu menus[kNumMenus];
};

class FileCopyPopupMenu : public IControl {
 public:
  FileCopyPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect, EditorServices* editor);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  // Shows "Copy"; chosen, the list remembers the slot at x, y as the paste
  // source. Returns 1 when it was chosen, else 0.
  int doPopupMenu(EditorServices* editor, int x, int y);

  IPopupMenu& Menu() { return root; }

 private:
  EditorServices* editor;
  PatchLibrarian* library;
  IPopupMenu root;
};

// ==== MakeLibrarianMenu ======================================================
// The permanent menu of that ELibrarianMenu (EditorParams.h) on rect, built for
// the editor (its bank menus take the editor's current name pairs).
IControl* MakeLibrarianMenu(EditorServices* editor, int menu, IRECT rect);

// Deletes every item of a menu held by value; its place stays, so the items
// that open it keep pointing at it.
void EmptyPopupMenu(IPopupMenu* menu);

// Fills a popup menu's rectangle with the transparent colour (what every
// librarian menu draws).
bool DrawNothing(IGraphics* graphics, IRECT rect);
