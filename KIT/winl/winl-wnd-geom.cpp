// Window geometry: client and screen coordinates, window and client
// rectangles, SetWindowPos, scrolling children, hit-testing the screen and
// the screen metrics.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "KIT/winl/winl-wnd-view.h"

namespace {
WmView* Wrapped(HWND hwnd) { return WINL_AsView(WINL_NavigateUpScrollClipViews(hwnd)); }
int32_t Truncate(double v) { return static_cast<int32_t>(v); }
int32_t Round(double v) { return static_cast<int32_t>(v + 0.5); }
}  // namespace

void ClientToScreen(HWND hwnd, POINT* point) {
  if (!point) return;
  WmView* view = WINL_AsView(hwnd);
  if (WmWindow* window = WINL_AsWindow(hwnd)) view = window->contentView();
  if (!view || !view->window()) return;
  const WmPoint base =
      view->ConvertTo(WmPoint{static_cast<double>(point->x), static_cast<double>(point->y)}, nullptr);
  const WmPoint screen = view->window()->BaseToScreen(base);
  point->x = Round(screen.x);
  point->y = Round(screen.y);
}

void ScreenToClient(HWND hwnd, POINT* point) {
  if (!point) return;
  WmView* view = WINL_AsView(hwnd);
  if (WmWindow* window = WINL_AsWindow(hwnd)) view = window->contentView();
  if (!view || !view->window()) return;
  const WmPoint base =
      view->window()->ScreenToBase(WmPoint{static_cast<double>(point->x), static_cast<double>(point->y)});
  const WmPoint local = view->ConvertFrom(base, nullptr);
  point->x = Round(local.x);
  point->y = Round(local.y);
}

bool GetWindowRect(HWND hwnd, RECT* rect) {
  if (!rect) return false;
  *rect = RECT{0, 0, 0, 0};
  WmWindow* window = WINL_AsWindow(hwnd);
  if (!window) window = WINL_WindowOfContent(WINL_AsView(hwnd));
  if (window) {
    const WmRect f = window->frame();
    *rect = RECT{Truncate(f.x), Truncate(f.y), Round(f.x + f.width), Round(f.y + f.height)};
    return true;
  }
  WmView* view = Wrapped(hwnd);
  if (!view) return false;
  const WmRect b = view->bounds();
  POINT a{Truncate(b.x), Truncate(b.y)}, c{Round(b.x + b.width), Round(b.y + b.height)};
  ClientToScreen(view, &a);
  ClientToScreen(view, &c);
  *rect = RECT{a.x, a.y, c.x, c.y};
  return true;
}

void GetClientRect(HWND hwnd, RECT* rect) {
  if (!rect) return;
  *rect = RECT{0, 0, 0, 0};
  WmView* view = WINL_AsView(hwnd);
  if (WmWindow* window = WINL_AsWindow(hwnd)) view = window->contentView();
  view = Wrapped(view);
  if (!view) return;
  const WmRect b = view->bounds();
  *rect = RECT{Truncate(b.x), Truncate(b.y), Round(b.x + b.width), Round(b.y + b.height)};
  NCCALCSIZE_PARAMS calc{};
  calc.rgrc[0] = *rect;
  SendMessage(hwnd, WM_NCCALCSIZE, 0, reinterpret_cast<long>(&calc));
  rect->right = rect->left + (calc.rgrc[0].right - calc.rgrc[0].left);
  rect->bottom = rect->top + (calc.rgrc[0].bottom - calc.rgrc[0].top);
}

void GetWindowContentViewRect(HWND hwnd, RECT* rect) {
  if (!rect) return;
  WmView* content = nullptr;
  if (WmWindow* window = WINL_AsWindow(hwnd))
    content = window->contentView();
  else if (WINL_WindowOfContent(WINL_AsView(hwnd)))
    content = WINL_AsView(hwnd);
  if (!content) {
    GetWindowRect(hwnd, rect);
    return;
  }
  const WmRect b = content->bounds();
  POINT a{Truncate(b.x), Truncate(b.y)}, c{Round(b.x + b.width), Round(b.y + b.height)};
  ClientToScreen(content, &a);
  ClientToScreen(content, &c);
  *rect = RECT{a.x, a.y, c.x, c.y};
}

void SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, int flags) {
  WmWindow* window = WINL_AsWindow(hwnd);
  if (!window) window = WINL_WindowOfContent(WINL_AsView(hwnd));
  WmView* view = window ? nullptr : Wrapped(hwnd);
  if (!window && !view) return;
  const intptr_t after = reinterpret_cast<intptr_t>(insertAfter);
  if (view && !(flags & SWP_NOZORDER) && view->superview() && view->superview()->subviews().size() >= 2 &&
      insertAfter != view && after != -1 && after != -2) {
    WmView* super = view->superview();
    const auto& list = super->subviews();
    const size_t at = static_cast<size_t>(std::find(list.begin(), list.end(), view) - list.begin());
    long target = -1;  // index to insert at after taking the view out
    if (after == 1) {
      if (at != 0) target = 0;
    } else if (after == 0) {
      if (at + 1 != list.size()) target = static_cast<long>(list.size()) - 1;
    } else {
      WmView* sibling = Wrapped(insertAfter);
      auto it = std::find(list.begin(), list.end(), sibling);
      if (sibling && it != list.end()) {
        const size_t s = static_cast<size_t>(it - list.begin());
        if (s + 1 != at) target = static_cast<long>(s < at ? s + 1 : s);
      }
    }
    WmView* captured = WINL_AsView(WINL_CaptureHolder());
    if (captured && captured->IsDescendantOf(view)) target = -1;
    if (target >= 0) {
      WmWindow* owner = view->window();
      const bool hadFocus = owner && owner->firstResponder() && owner->firstResponder()->IsDescendantOf(view);
      WmView* focus = hadFocus ? owner->firstResponder() : nullptr;
      view->Detach();
      super->InsertSubview(view, static_cast<size_t>(target));
      if (focus && owner) owner->MakeFirstResponder(focus);
    }
  }
  if ((flags & SWP_NOSIZE) && (flags & SWP_NOMOVE)) return;
  if (window) {
    WmRect f = window->frame();
    if (!(flags & SWP_NOMOVE)) f.x = x, f.y = y;
    if (!(flags & SWP_NOSIZE)) {
      const WmSize mn = window->MinSize(), mx = window->MaxSize();
      f.width = std::max(mn.width, std::min(mx.width, static_cast<double>(cx)));
      f.height = std::max(mn.height, std::min(mx.height, static_cast<double>(std::abs(cy))));
    }
    window->SetFrame(f, false);
    if (window->IsVisible()) {
      window->DisplayAll();
      window->Flush();
    }
    return;
  }
  WmRect f = view->frame();
  if (!(flags & SWP_NOMOVE)) f.x = x, f.y = y;
  if (!(flags & SWP_NOSIZE)) f.width = cx, f.height = std::abs(cy);
  view->SetFrame(f);
  if (auto* scroll = dynamic_cast<WmScrollView*>(view))
    if (auto* text = dynamic_cast<WmTextView*>(scroll->documentView())) {
      WmRect t = text->frame();
      if (!scroll->hasHorizontalScroller) t.width = f.width;
      if (!scroll->hasVerticalScroller) t.height = f.height;
      text->SetFrame(t);
    }
}

bool ScrollWindow(HWND hwnd, int dx, int dy, const RECT*, const RECT*) {
  WmView* view = WINL_AsView(hwnd);
  if (WmWindow* window = WINL_AsWindow(hwnd)) view = window->contentView();
  if (!view || (dx == 0 && dy == 0)) return false;
  for (WmView* sub : view->subviews()) {
    WmRect f = sub->frame();
    f.x += dx;
    f.y += dy;
    sub->WmView::SetFrame(f);
  }
  view->SetNeedsDisplay(true);
  return true;
}

HWND WindowFromPoint(POINT point) {
  WmApplication& app = WmApplication::Shared();
  std::vector<WmWindow*> order = app.windows();
  if (app.keyWindow() && std::find(order.begin(), order.end(), app.keyWindow()) == order.end())
    order.insert(order.begin(), app.keyWindow());
  for (WmWindow* window : order) {
    if (!window->IsVisible()) continue;
    const WmRect f = window->frame();
    if (!(point.x >= f.x && point.x < f.x + f.width && point.y >= f.y && point.y < f.y + f.height)) continue;
    WmView* content = window->contentView();
    if (!content) return window;
    const WmPoint base =
        window->ScreenToBase(WmPoint{static_cast<double>(point.x), static_cast<double>(point.y)});
    WmView* hit = content->HitTest(base);
    return hit ? hit : content;
  }
  return nullptr;
}

int GetSystemMetrics(int index) {
  switch (index) {
    case 2:
    case 3:
    case 20:
    case 21:
      return 16;
    case 0:
    case 1: {
      const auto& screens = WmApplication::Shared().screens;
      if (screens.empty()) return 1024;
      return static_cast<int>(index == 0 ? screens[0].frame.width : screens[0].frame.height);
    }
    default:
      return 0;
  }
}

void WINL_GetViewPort(RECT* result, const RECT* source, bool wantWorkArea) {
  if (!result) return;
  const auto& screens = WmApplication::Shared().screens;
  if (screens.empty()) {
    *result = RECT{0, 0, 1600, 1200};
    return;
  }
  const int px = source ? (source->left + source->right) / 2 : 0;
  const int py = source ? (source->top + source->bottom) / 2 : 0;
  for (size_t i = 0; i < screens.size(); ++i) {
    const WmRect f = wantWorkArea ? screens[i].visibleFrame : screens[i].frame;
    const RECT r{Truncate(f.x), Truncate(f.y), Truncate(f.x + f.width), Truncate(f.y + f.height)};
    if (i == 0 || (px >= r.left && px < r.right && py >= r.top && py < r.bottom)) *result = r;
  }
}
