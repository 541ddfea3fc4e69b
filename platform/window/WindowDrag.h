// Drag and drop of files in the window model.
//
// - A drag as a view that may take it sees it (WmDragInfo): file names, or
//   promised files (their type names) that the drag source writes into a
//   folder when asked, the location and the source view when the drag
//   comes from this process.
// - A drag a view starts (WmDragSource): file names, or one promised file
//   written when it is dropped. WmRunDrag runs it until the mouse button is
//   up: on a display over the X drag-and-drop protocol (WindowDragX.cpp),
//   to other programs and to this program's own windows alike; headless
//   through the application's drag hook.
// - Views take drops through their drop-target hooks (WmView::AcceptsDrops
//   and the calls after it); WmDropTracker walks a drag across a window's
//   views, telling each which enters, moves over, leaves or is dropped on.
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

struct WmDragSource {
  WmView* view = nullptr;  // the view the drag starts from
  WmRect rect;             // the dragged area, in the view's coordinates
  std::vector<std::string> files;
  std::string promisedName;  // a promised file's name; its type follows the last "."
  // Writes the promised file into folder; true with the name written.
  std::function<bool(const std::string& folder, std::string* written)> writePromised;
};

// Runs the drag until the mouse button is up (at once when it is up
// already): the window's presenter carries it, else the application's drag
// hook, else it ends without a drop. True when a target took the drop.
bool WmRunDrag(const WmDragSource& source);
// The drag as a target in this process sees it at location of window.
WmDragInfo WmDragInfoOf(const WmDragSource& source, WmWindow* window, WmPoint location);
// Drops source on window at location (window base coordinates) as a drag
// within this process ends there; true when a view took it. Tests and
// headless drag hooks use it.
bool WmDeliverDrop(WmWindow* window, WmPoint location, const WmDragSource& source);

// A drag's way across one window's views: the view under the location
// that accepts drops (or the nearest such ancestor) is the target; a new
// target enters, the old one leaves.
class WmDropTracker {
 public:
  // The drag is at info.location of info.window now; the operation the
  // target answers (0: refused, or no target).
  int Move(const WmDragInfo& info);
  // The drag left the window, or ended without a drop.
  void Leave(const WmDragInfo& info);
  // The drop at info.location: the target performs it; the tracker is
  // empty afterwards. False when there is no target or it refused.
  bool Drop(const WmDragInfo& info);
  WmView* target() const { return WmIsLive(m_target) ? m_target : nullptr; }

 private:
  WmView* m_target = nullptr;
};
