// CONTROL FACTORIES that are not built yet: each logs that its element was
// skipped and builds nothing, so the rest of the window is still built.
#include "src/UIConfigManager.h"

IControl* UIConfigManager::createLibrarianView(int x, int y, int paramIdx, IBitmap image, IRECT area) {
  log("CONFIG READER: the librarian list is not available; patchBrowser is not built");
  return nullptr;
}
