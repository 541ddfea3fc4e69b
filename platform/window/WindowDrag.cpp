#include "platform/window/WindowDrag.h"

#include "platform/window/WindowPresenter.h"

namespace {

// The view under location that accepts drops, or its nearest ancestor that
// does; null when none.
WmView* AcceptingViewAt(WmWindow* window, WmPoint location) {
  if (!WmIsLive(window) || !window->contentView()) return nullptr;
  for (WmView* view = window->contentView()->HitTest(location); view; view = view->superview())
    if (view->AcceptsDrops()) return view;
  return nullptr;
}

std::string TypeOf(const std::string& name) {
  const size_t slash = name.rfind('/');
  const std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
  const size_t dot = last.rfind('.');
  return dot == std::string::npos ? last : last.substr(dot + 1);
}

}  // namespace

// ---- The drop tracker --------------------------------------------------------------------

int WmDropTracker::Move(const WmDragInfo& info) {
  WmView* now = AcceptingViewAt(info.window, info.location);
  WmView* before = target();
  if (before && before != now) before->DraggingExited(info);
  m_target = now;
  if (!now || !WmIsLive(now)) return 0;
  return now == before ? now->DraggingUpdated(info) : now->DraggingEntered(info);
}

void WmDropTracker::Leave(const WmDragInfo& info) {
  if (WmView* view = target()) view->DraggingExited(info);
  m_target = nullptr;
}

bool WmDropTracker::Drop(const WmDragInfo& info) {
  WmView* view = target();
  m_target = nullptr;
  return view && view->PerformDragOperation(info);
}

// ---- Drags within the process ---------------------------------------------------------------

WmDragInfo WmDragInfoOf(const WmDragSource& source, WmWindow* window, WmPoint location) {
  WmDragInfo info;
  info.window = window;
  info.location = location;
  info.source = WmIsLive(source.view) ? source.view : nullptr;
  if (!source.files.empty()) {
    info.files = source.files;
  } else if (!source.promisedName.empty() && source.writePromised) {
    info.promisedTypes = {TypeOf(source.promisedName)};
    std::function<bool(const std::string&, std::string*)> write = source.writePromised;
    info.writePromised = [write](const std::string& folder) {
      std::string written;
      if (!write(folder, &written) || written.empty()) return std::vector<std::string>();
      return std::vector<std::string>{written};
    };
  }
  return info;
}

bool WmDeliverDrop(WmWindow* window, WmPoint location, const WmDragSource& source) {
  const WmDragInfo info = WmDragInfoOf(source, window, location);
  WmDropTracker tracker;
  if (tracker.Move(info) == 0) {
    tracker.Leave(info);
    return false;
  }
  return tracker.Drop(info);
}

bool WmRunDrag(const WmDragSource& source) {
  if (!WmIsLive(source.view)) return false;
  WmWindow* window = source.view->window();
  if (window && window->presenter()) return window->presenter()->RunDrag(source);
  WmApplication& app = WmApplication::Shared();
  return app.dragHook ? app.dragHook(source) : false;
}
