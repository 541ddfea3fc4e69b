// The program selector's popup menus: the bank played and edited chosen by
// its name, the program number 1 to 99 (ten submenus of ten) and the
// synthesizer's bank. Programs are 0 to 98 inside, shown as 1 to 99.
// GUI thread only, like every librarian menu (IPopupMenuControl.h).
#pragma once

#include <string>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IPopupMenu.h"
#include "src/IPopupMenuControl.h"

class PatchLibrarian;
class EditorServices;

// The file banks as a folder tree; a choice selects the upper list's bank,
// selects it on the synthesizer's bank parameter and sends the selected
// slot's patch.
class ProgBankNamePopupMenu : public BankMenuControl {
 public:
  ProgBankNamePopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect, EditorServices* editor);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // The folder-tree rebuild under the selector's name.
  bool refreshPatchNames(PatchLibrarian* library, EditorServices* editor, int position, std::string bankName,
                         std::string folderName);
};

class ProgramNumberPopupMenu : public IControl {
 public:
  static constexpr int kSubmenus = 10;

  ProgramNumberPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect, EditorServices* editor);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  // Rebuilds the menus (the edited bank's patch names in librarian mode,
  // else "Program 01" .. "Program 99") and checks program (0..98; others
  // check nothing).
  void refreshPatchNames(PatchLibrarian* library, EditorServices* editor, int program);
  // Shows the menu and selects the chosen program: the slot of the edited
  // bank in librarian mode, else the synthesizer's program. Returns the
  // chosen index within its submenu (also in selection), 0 when none.
  int doPopupMenu(EditorServices* editor, int& selection);
  // The text of program p's item when the menu is built from bank (null:
  // no bank): the patch's name, "Program NN" where it has none.
  static std::string itemText(const PatchFile* bank, int program);

  // 0: the root; 1 + k: submenu k.
  IPopupMenu& Menu(int index) { return menus[index]; }
  int selection = 0;

 private:
  EditorServices* editor;
  PatchLibrarian* library;
  IPopupMenu menus[1 + kSubmenus];
};

class BankNumberPopupMenu : public IControl {
 public:
  BankNumberPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect, EditorServices* editor);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  // One item, "Bank P (RAM)", checked for bank 0.
  void refreshPatchNames(PatchLibrarian* library, EditorServices* editor, int bank);
  // Shows the menu and selects the chosen bank on the synthesizer, then
  // requests the current program's sound. Returns the chosen index (also in
  // selection), 0 when none.
  int doPopupMenu(EditorServices* editor, int& selection);

  IPopupMenu& Menu() { return menu; }
  int selection = 0;

 private:
  EditorServices* editor;
  PatchLibrarian* library;
  IPopupMenu menu;
};
