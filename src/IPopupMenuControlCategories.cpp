#include <string>

#include "src/FolderFiles.h"
#include "src/IPopupMenuControl.h"
#include "src/LibrarianPatch.h"
#include "src/PatchLibrarian.h"

// The lower list's menus over the category banks and the search results.

namespace {
// Search-result banks carry the library folder's name.
const char* const kSearchFolderName = "Patches";
}  // namespace

RightCategoryPopupMenu::RightCategoryPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect,
                                               EditorServices* editor)
    : BankMenuControl(plug, library, rect, editor, BankMenuKind::kCategories) {}

RightSearchPopupMenu::RightSearchPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect,
                                           EditorServices* editor)
    : BankMenuControl(plug, library, rect, editor, BankMenuKind::kSearch) {}

// One submenu per category that holds banks, labelled with the category; the
// root holds no bank, so it is listed without a folder name.
void BankMenuControl::BuildCategoryTree() {
  IPopupMenu* root = mTree.Root();
  if (library) {
    for (const FolderFiles* record : library->categoryTree) {
      if (!record) continue;
      for (const SubFolderFiles& sub : record->subfolders) {
        if (sub.banks.empty()) continue;
        IPopupMenu* menu = mTree.NewMenu();
        for (const PatchFile* bank : sub.banks)
          if (bank) mTree.AddBank(menu, bank, bank->folderName);
        root->AddItem(sub.name.c_str(), menu);
        mTree.List(menu, sub.name);
      }
    }
  }
  mTree.ListWithoutFolder(root);
}

// One flat menu of every result bank, record after record. The root is
// listed (and so owned and freed) also when there are no results.
void BankMenuControl::BuildSearchTree() {
  IPopupMenu* root = mTree.Root();
  if (library) {
    for (const FolderFiles* record : library->searchTree) {
      if (!record) continue;
      for (const PatchFile* bank : record->banks)
        if (bank) mTree.AddBank(root, bank, kSearchFolderName);
    }
  }
  mTree.List(root, kSearchFolderName);
}
