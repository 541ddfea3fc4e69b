// The window tree (parent, siblings, owner, search, enumeration,
// re-parenting, destruction), showing and enabling, keyboard focus and mouse
// capture.
#include <string.h>
#include <strings.h>

#include <algorithm>

#include "KIT/winl/winl-dlg.h"
#include "KIT/winl/winl-misc.h"
#include "KIT/winl/winl-wnd-view.h"

namespace {
HWND g_capture = nullptr;
bool g_captureNotify = false;

WmView* Wrapped(HWND hwnd) { return WINL_AsView(WINL_NavigateUpScrollClipViews(hwnd)); }

HWND OwnerOf(WmWindow* window) {
  Winl_TopLevel* top = WINL_AsTopLevel(window);
  if (!top || !WmIsLive(top->winlGetOwner())) return nullptr;
  WmWindow* owner = top->winlGetOwner();
  return owner->contentView();
}
}  // namespace

HWND WINL_CaptureHolder() { return g_capture; }

// ---- Tree ------------------------------------------------------------------------------

HWND GetParent(HWND hwnd) {
  WmWindow* window = WINL_AsWindow(hwnd);
  if (!window) {
    WmView* view = Wrapped(hwnd);
    if (!view) return nullptr;
    window = WINL_WindowOfContent(view);
    if (!window) return view->superview();
  }
  if (window->parentWindow()) return window->parentWindow()->contentView();
  return OwnerOf(window);
}

bool IsChild(HWND parent, HWND child) {
  if (!WmIsLive(parent) || !WmIsLive(child) || parent == child) return false;
  WmView* view = WINL_AsView(child);
  if (!view) return false;
  if (WmWindow* window = WINL_AsWindow(parent)) return view->window() == window;
  WmView* ancestor = WINL_AsView(parent);
  return ancestor && view != ancestor && view->IsDescendantOf(ancestor);
}

HWND GetWindow(HWND hwnd, int relation) {
  WmView* view = WINL_AsView(hwnd);
  if (WmWindow* window = WINL_AsWindow(hwnd)) view = window->contentView();
  if (!view) return nullptr;
  if (relation == 5) return view->subviews().empty() ? nullptr : view->subviews()[0];
  WmWindow* contentOf = WINL_WindowOfContent(view);
  if (relation == 4) {
    if (contentOf) return WINL_AsTopLevel(contentOf) ? OwnerOf(contentOf) : nullptr;
    WmView* wrapped = Wrapped(view);
    return wrapped ? wrapped->superview() : nullptr;
  }
  if (relation < 0 || relation > 3) return nullptr;
  if (contentOf) return relation <= 1 ? view : nullptr;
  WmView* wrapped = Wrapped(view);
  WmView* super = wrapped ? wrapped->superview() : nullptr;
  if (!super) return nullptr;
  const auto& list = super->subviews();
  auto it = std::find(list.begin(), list.end(), wrapped);
  if (it == list.end()) return nullptr;
  switch (relation) {
    case 0:
      return list.front();
    case 1:
      return list.back();
    case 2:
      return it + 1 == list.end() ? nullptr : *(it + 1);
    default:
      return it == list.begin() ? nullptr : *(it - 1);
  }
}

HWND SetParent(HWND hwnd, HWND newParent) {
  WmView* view = WINL_AsView(hwnd);
  if (WmWindow* window = WINL_AsWindow(hwnd)) view = window->contentView();
  if (!view) return nullptr;
  WmView* parentView = WINL_AsView(newParent);
  if (WmWindow* window = WINL_AsWindow(newParent)) parentView = window->contentView();
  char text[2048];
  GetWindowText(view, text, sizeof text);
  if (WmWindow* window = WINL_WindowOfContent(view)) {
    if (!parentView || parentView->IsDescendantOf(view)) return nullptr;
    if (auto* layer = WINL_AsLayerView(view))
      if (Winl_TopLevel* top = WINL_AsTopLevel(window)) layer->m_lastTopLevelOwner = top->winlGetOwner();
    window->SetContentView(
        new Winl_vVivivI_hwnd(WmRect{0, 0, window->frame().width, window->frame().height}));
    parentView->AddSubview(view);
    DestroyWindow(window);
    if (text[0]) SetWindowText(view, text);
    return parentView;
  }
  WmView* wrapped = Wrapped(view);
  if (!parentView) {
    if (!wrapped->superview()) return nullptr;
    wrapped->Detach();
    unsigned flags = 15;
    WmObject* ownerObject = nullptr;
    if (auto* layer = WINL_AsLayerView(wrapped)) {
      flags = layer->winlCreateWindowFlags();
      ownerObject = layer->m_lastTopLevelOwner;
    }
    HWND owner = nullptr;
    for (WmWindow* w : WmApplication::Shared().windows())
      if (ownerObject && (w == ownerObject || w->contentView() == ownerObject)) owner = w;
    WmWindow* frame = WINL_CreateModelessFrameForWindow(wrapped, owner, flags);
    if (frame) frame->DisplayAll();
    if (text[0]) SetWindowText(wrapped, text);
    return nullptr;
  }
  if (parentView == wrapped || parentView->IsDescendantOf(wrapped)) return nullptr;
  WmView* old = wrapped->superview();
  parentView->AddSubview(wrapped);
  return old;
}

namespace {
int EnumWalk(WmView* view, bool (*proc)(HWND, long), long lParam) {
  std::vector<WmView*> subs = view->subviews();
  for (WmView* child : subs) {
    if (!WmIsLive(child)) continue;
    if (!proc(child, lParam)) return 0;
    if (WmIsLive(child) && !EnumWalk(child, proc, lParam)) return 0;
  }
  return 1;
}
}  // namespace

bool EnumChildWindows(HWND hwnd, bool (*proc)(HWND, long), long lParam) {
  WmView* view = WINL_AsView(hwnd);
  if (WmWindow* window = WINL_AsWindow(hwnd)) view = window->contentView();
  if (!view || !proc) return true;
  return EnumWalk(view, proc, lParam) != 0;
}

HWND FindWindowEx(HWND parent, HWND childAfter, const char* className, const char* windowName) {
  if (!parent) {
    if (!windowName) return nullptr;
    const auto windows = WmApplication::Shared().windows();
    size_t start = 0;
    for (size_t i = 0; i < windows.size(); ++i)
      if (childAfter && (windows[i] == childAfter || windows[i]->contentView() == childAfter)) start = i + 1;
    for (size_t i = start; i < windows.size(); ++i)
      if (windows[i]->title == windowName) return windows[i]->contentView();
    return nullptr;
  }
  WmView* parentView = WINL_AsView(parent);
  if (WmWindow* window = WINL_AsWindow(parent)) parentView = window->contentView();
  if (!parentView) return nullptr;
  const bool onlyStatic = className && strcasecmp(className, "Static") == 0;
  HWND candidate = childAfter ? GetWindow(childAfter, 2)
                              : (parentView->subviews().empty() ? nullptr : parentView->subviews()[0]);
  for (; candidate; candidate = GetWindow(candidate, 2)) {
    if (onlyStatic && !dynamic_cast<WmTextField*>(candidate)) continue;
    if (windowName) {
      char text[512];
      GetWindowText(candidate, text, sizeof text);
      if (strcmp(text, windowName) != 0) continue;
    }
    return candidate;
  }
  return nullptr;
}

bool IsWindow(HWND hwnd) {
  if (!WmIsLive(hwnd)) return false;
  for (WmWindow* window : WmApplication::Shared().windows()) {
    if (window == hwnd || window->contentView() == hwnd) return true;
  }
  WmView* view = WINL_AsView(hwnd);
  return view && WINL_AsTopLevel(view->window()) != nullptr;
}

bool IsWindowVisible(HWND hwnd) {
  if (!WmIsLive(hwnd)) return false;
  if (WmWindow* window = WINL_AsWindow(hwnd)) return window->IsVisible();
  WmView* view = Wrapped(hwnd);
  if (!view) return true;
  WmWindow* window = view->window();
  if (window && !window->IsVisible()) return false;
  return !view->IsHiddenOrHasHiddenAncestor();
}

// ---- Showing and destroying ----------------------------------------------------------------

namespace {
void ShowTopLevel(WmWindow* window, int cmd) {
  // A layer content view stays hidden until its window is first shown.
  if ((cmd == 1 || cmd == 2) && window->contentView()) window->contentView()->SetHidden(false);
  switch (cmd) {
    case 0:
      window->OrderOut();
      break;
    case 1: {
      auto* modeless = dynamic_cast<Winl_vVivivI_modelesswindow*>(window);
      if (modeless && modeless->m_wantInitialKeyWindowOnShow) {
        modeless->m_wantInitialKeyWindowOnShow = false;
        window->MakeKeyAndOrderFront();
      } else {
        window->OrderFront();
      }
      break;
    }
    case 2:
      window->MakeKeyAndOrderFront();
      break;
    case 3:
      window->Miniaturize();
      break;
    default:
      break;
  }
}

bool HoldsFocus(WmWindow* window, WmView* view) {
  if (!window || WmApplication::Shared().keyWindow() != window) return false;
  WmView* responder = window->firstResponder();
  return responder && responder->IsDescendantOf(view);
}
}  // namespace

void ShowWindow(HWND hwnd, int cmd) {
  if (WmWindow* window = WINL_AsWindow(hwnd)) {
    ShowTopLevel(window, cmd);
    return;
  }
  WmView* view = Wrapped(hwnd);
  if (!view) return;
  WmWindow* contentOf = WINL_WindowOfContent(view);
  if (cmd == 1 || cmd == 2) {
    view->SetHidden(false);
  } else if (cmd == 0) {
    if (HoldsFocus(view->window(), view)) SetFocus(GetParent(view));
    if (!view->IsHidden() && !contentOf && view->superview()) {
      const WmRect f = view->frame();
      view->superview()->SetNeedsDisplayInRect(f);
    }
    view->SetHidden(true);
  }
  if (contentOf && WmIsLive(contentOf)) ShowTopLevel(contentOf, cmd);
}

namespace {
void DestroyTopLevel(WmWindow* window) {
  if (!WmIsLive(window) || window->IsClosed()) return;
  WmView* content = window->contentView();
  if (WmView* holder = WINL_AsView(g_capture))
    if (content && holder->IsDescendantOf(content)) ReleaseCapture();
  KillTimer(content, static_cast<uintptr_t>(-1));
  WINL_Deliver(content, WM_DESTROY, 0, 0);
  if (!WmIsLive(window)) return;
  if (Winl_TopLevel* top = WINL_AsTopLevel(window)) top->winlDoDestroyStuff();
  if (window->parentWindow()) window->parentWindow()->RemoveChildWindow(window);
  window->Close();
}
}  // namespace

void DestroyWindow(HWND hwnd) {
  if (WmWindow* window = WINL_AsWindow(hwnd)) {
    DestroyTopLevel(window);
    return;
  }
  WmView* view = WINL_AsView(hwnd);
  if (!view) return;
  WmWindow* window = view->window();
  // A view in no window is released as well, which ends its timers and
  // sends its WM_DESTROY just the same.
  KillTimer(view, static_cast<uintptr_t>(-1));
  WINL_Deliver(view, WM_DESTROY, 0, 0);
  if (!WmIsLive(view)) return;
  if (window) {
    if (WINL_WindowOfContent(view) == window) {
      DestroyTopLevel(window);
      return;
    }
    if (HoldsFocus(window, view)) SetFocus(GetParent(view));
  }
  // A capture held by the view or a view inside it ends with it.
  if (WmView* holder = WINL_AsView(g_capture))
    if (holder->IsDescendantOf(view)) ReleaseCapture();
  view->RemoveFromSuperview();
}

void WINL_CloseWindow(HWND hwnd) {
  WmWindow* window = WINL_AsWindow(hwnd);
  if (!window)
    if (WmView* view = WINL_AsView(hwnd)) window = view->window();
  if (window) window->Close();
}

void CenterWindow(HWND hwnd) {
  WmWindow* window = WINL_AsWindow(hwnd);
  if (!window)
    if (WmView* view = WINL_AsView(hwnd)) window = view->window();
  if (window) window->Center();
}

void EnableWindow(HWND hwnd, int enable) {
  WmView* view = WINL_AsView(hwnd);
  if (WmWindow* window = WINL_AsWindow(hwnd)) view = window->contentView();
  if (!view) return;
  view->SetEnabled(enable != 0);
  if (auto* field = dynamic_cast<WmTextField*>(view))
    if (!field->editable && !field->bordered && !field->drawsBackground)
      field->textAlpha = enable ? 1.0f : 0.5f;
}

void WINL_HideApp() { WmApplication::Shared().hidden = true; }

// ---- Focus -------------------------------------------------------------------------------------

void SetFocus(HWND hwnd) {
  WmWindow* window = WINL_AsWindow(hwnd);
  WmView* view = nullptr;
  if (window) {
    view = window->contentView();
  } else {
    view = WINL_AsView(hwnd);
    if (!view) return;
    window = view->window();
    if (!window) return;
  }
  window->MakeFirstResponder(view);
  if (window->IsVisible()) window->MakeKeyAndOrderFront();
}

void SetForegroundWindow(HWND hwnd) { SetFocus(hwnd); }

HWND GetFocus() {
  WmWindow* key = WmApplication::Shared().keyWindow();
  if (!key) return nullptr;
  WmView* responder = key->firstResponder();
  if (!responder) return nullptr;
  if (dynamic_cast<WmTextView*>(responder) && responder->superview() && responder->superview()->superview())
    if (auto* field = dynamic_cast<WmTextField*>(responder->superview()->superview())) return field;
  return responder;
}

HWND GetForegroundWindow() {
  WmWindow* key = WmApplication::Shared().keyWindow();
  if (!key) return nullptr;
  if (WmView* responder = key->firstResponder()) return responder;
  return key;
}

bool IsEquivalentTextView(HWND a, HWND b) {
  if (!a || !b) return false;
  if (a == b) return true;
  WmView* va = WINL_AsView(a);
  WmView* vb = WINL_AsView(b);
  if (!va || !vb) return false;
  auto third = [](WmView* v) -> WmView* {
    for (int i = 0; i < 3 && v; ++i) v = v->superview();
    return v;
  };
  if (dynamic_cast<WmTextView*>(va) && dynamic_cast<WmTextField*>(vb)) return third(va) == vb;
  if (dynamic_cast<WmTextView*>(vb) && dynamic_cast<WmTextField*>(va)) return third(vb) == va;
  return false;
}

// ---- Capture -----------------------------------------------------------------------------------

HWND SetCapture(HWND hwnd) {
  HWND previous = g_capture;
  const bool notify = g_captureNotify;
  g_capture = hwnd;
  auto* layer = WINL_AsLayerView(hwnd);
  g_captureNotify = layer && layer->winlCapChangeNotify();
  if (previous && previous != hwnd && notify)
    SendMessage(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<long>(hwnd));
  return previous;
}

HWND GetCapture() { return g_capture; }

void ReleaseCapture() {
  HWND previous = g_capture;
  const bool notify = g_captureNotify;
  g_capture = nullptr;
  g_captureNotify = false;
  if (previous && notify) SendMessage(previous, WM_CAPTURECHANGED, 0, 0);
}
