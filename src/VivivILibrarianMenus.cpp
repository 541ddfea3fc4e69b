#include <memory>

#include "src/IPopupMenuControl.h"
#include "src/VivivI.h"

// ==== Slot and copy menus ====================================================
// Each right click makes its menu at the pointer, runs its popup and frees
// it again: nothing of it outlives the call.

int VivivI::showFileEditMenu(int x, int y) {
  auto menu = std::make_unique<FileEditPopupMenu>(this, patchLibrarian.get(), IRECT(x, y, x, y), this);
  fileEditMenu = menu.get();
  const int result = menu->doPopupMenu(this, x, y);
  fileEditMenu = nullptr;
  return result;
}

int VivivI::showFileCopyMenu(int x, int y) {
  auto menu = std::make_unique<FileCopyPopupMenu>(this, patchLibrarian.get(), IRECT(x, y, x, y), this);
  fileCopyMenu = menu.get();
  const int result = menu->doPopupMenu(this, x, y);
  fileCopyMenu = nullptr;
  return result;
}
