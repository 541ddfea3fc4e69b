// A drag as the window model hands it to a view that may take it: file
// names, or promised files (their type names) that the drag source writes
// into a folder when asked, the location and the source view. Drags happen
// between the process's own views; drags to and from other programs are
// not carried (the X drag-and-drop protocol is not spoken).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/window/WindowModel.h"

struct WmDragInfo {
  std::vector<std::string> files;          // file names offered, or
  std::vector<std::string> promisedTypes;  // type names of promised files
  // Writes the promised files into a folder; the names written.
  std::function<std::vector<std::string>(const std::string& folder)> writePromised;
  WmPoint location;            // window base coordinates of the destination window
  WmWindow* window = nullptr;  // the destination window
  WmView* source = nullptr;    // the dragging view, when in this process
};
