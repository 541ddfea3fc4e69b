// The editor's UI configuration: the reader of the UI description with the
// librarian's slot list built for the "patchBrowser" element (the reader on
// its own logs that element as skipped).
#pragma once

#include "src/EditorParams.h"
#include "src/LibrarianViewControl.h"
#include "src/UIConfigManager.h"

class EditorUIConfigManager : public UIConfigManager {
 public:
  // The list at (x, y) over area, bound to paramIdx, with the reader's
  // editor, library and GUI scale; placed and kept by the walk.
  IControl* createLibrarianView(int x, int y, int paramIdx, IBitmap image, IRECT area) override {
    return new LibrarianViewControl(plug, x, y, paramIdx, &image, area, librarian, scale);
  }
};
