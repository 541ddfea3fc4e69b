// The default window procedure, invalidation and paint entry, modal
// sessions, mouse redirection to non-client areas and a top-level window's
// appearance.
#include <string.h>

#include <algorithm>
#include <cmath>

#include "KIT/winl/winl-handles.h"
#include "KIT/winl/winl-misc.h"
#include "KIT/winl/winl-shapes.h"
#include "KIT/winl/winl-time.h"
#include "KIT/winl/winl-wnd-view.h"

namespace {
int16_t Low(long v) { return static_cast<int16_t>(v & 0xFFFF); }
int16_t High(long v) { return static_cast<int16_t>((v >> 16) & 0xFFFF); }
long Pack(int x, int y) { return (static_cast<long>(y) << 16) | (static_cast<long>(x) & 0xFFFF); }

// The nearest ancestor below the content view that takes messages.
long PassUp(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  WmView* view = WINL_AsView(hwnd);
  if (!view || WINL_WindowOfContent(view)) return 0;
  for (WmView* up = view->superview(); up; up = up->superview()) {
    if (WINL_AsLayerView(up)) return SendMessage(up, msg, wParam, lParam);
    if (WINL_WindowOfContent(up)) break;
  }
  return 0;
}
}  // namespace

long DefWindowProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  switch (msg) {
    case WM_NCHITTEST: {
      POINT p{Low(lParam), High(lParam)};
      RECT r;
      GetWindowRect(hwnd, &r);
      if (r.bottom < r.top) {
        std::swap(r.top, r.bottom);
        p.y = r.top + r.bottom - p.y;
      }
      NCCALCSIZE_PARAMS calc{};
      calc.rgrc[0] = r;
      SendMessage(hwnd, WM_NCCALCSIZE, 0, reinterpret_cast<long>(&calc));
      return WINL_PtInRect(&calc.rgrc[0], p) ? 1 : 0;
    }
    case WM_CONTEXTMENU:
    case WM_GESTURE:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      return PassUp(hwnd, msg, wParam, lParam);
    case WM_RBUTTONUP: {
      POINT p{Low(lParam), High(lParam)};
      ClientToScreen(hwnd, &p);
      HWND target = hwnd;
      HWND under = WindowFromPoint(p);
      if (under) {
        if (under == hwnd || IsChild(hwnd, under))
          target = under;
        else if (WmWindow* window = WINL_AsWindow(hwnd))
          if (WmView* v = WINL_AsView(under); v && v->window() == window) target = under;
      }
      SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<unsigned long>(target), Pack(p.x, p.y));
      return 1;
    }
    case WM_NCRBUTTONUP:
      SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<unsigned long>(hwnd), lParam);
      return 1;
    case WM_KEYDOWN:
    case WM_KEYUP:
      return 69;
    case WM_DISPLAYCHANGE: {
      WmView* view = WINL_AsView(hwnd);
      if (WmWindow* window = WINL_AsWindow(hwnd)) view = window->contentView();
      if (!view) return 0;
      std::vector<WmView*> subs = view->subviews();
      for (WmView* sub : subs)
        if (WINL_AsLayerView(sub)) SendMessage(sub, WM_DISPLAYCHANGE, wParam, lParam);
      DLGPROC dlg = reinterpret_cast<DLGPROC>(GetWindowLong(hwnd, DWL_DLGPROC));
      if (dlg) WINL_DoDialogColorUpdates(hwnd, dlg, true);
      return 0;
    }
    default:
      return 0;
  }
}

// ---- Painting ---------------------------------------------------------------------------

void InvalidateRect(HWND hwnd, const RECT* rect, int) {
  WmView* view = WINL_AsView(hwnd);
  if (WmWindow* window = WINL_AsWindow(hwnd)) view = window->contentView();
  if (!view) return;
  auto* layer = WINL_AsLayerView(view);
  const bool wasClear = !layer || !(layer->m_isdirty & 1);
  if (layer) layer->m_isdirty |= 1;
  if (wasClear)
    for (WmView* up = view->superview(); up; up = up->superview()) {
      auto* ancestor = WINL_AsLayerView(up);
      if (!ancestor) continue;
      if (ancestor->m_isdirty & 2) break;
      ancestor->m_isdirty |= 2;
    }
  if (!rect) {
    view->SetNeedsDisplay(true);
  } else {
    const double top = std::min(rect->top, rect->bottom);
    view->SetNeedsDisplayInRect(WmRect{static_cast<double>(rect->left), top,
                                       static_cast<double>(rect->right - rect->left),
                                       static_cast<double>(std::abs(rect->bottom - rect->top))});
  }
}

void UpdateWindow(HWND hwnd) {
  WmView* view = WINL_AsView(hwnd);
  WmWindow* window = WINL_AsWindow(hwnd);
  if (!window && view) window = view->window();
  if (!window || !window->ViewsNeedDisplay()) return;
  window->Display();
  window->Flush();
}

void WINL_FlushWindow(HWND hwnd) {
  WmView* view = WINL_AsView(hwnd);
  if (view && view->NeedsDisplay()) return;
  WmWindow* window = WINL_AsWindow(hwnd);
  if (!window && view) window = view->window();
  if (window && !window->ViewsNeedDisplay()) window->Flush();
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  if (!ps) return nullptr;
  ps->hdc = nullptr;
  ps->fErase = 0;
  ps->rcPaint = RECT{0, 0, 0, 0};
  auto* layer = WINL_AsLayerView(hwnd);
  if (!layer) {
    if (WmWindow* window = WINL_AsWindow(hwnd)) layer = WINL_AsLayerView(window->contentView());
  }
  if (!layer || !layer->getWinlPaintInfo(ps)) return nullptr;
  return ps->hdc;
}

bool EndPaint(HWND, PAINTSTRUCT*) { return true; }

// ---- Modal sessions ------------------------------------------------------------------------

void* WINL_ModalWindowStart(HWND hwnd) {
  WmWindow* window = WINL_AsWindow(hwnd);
  if (!window)
    if (WmView* view = WINL_AsView(hwnd)) window = view->window();
  if (!window) return nullptr;
  return WmApplication::Shared().BeginModalSession(window);
}

bool WINL_ModalWindowRun(void* session, int* result) {
  if (!session) return false;
  const int answer =
      WmApplication::Shared().RunModalSession(static_cast<WmApplication::ModalSession*>(session));
  if (answer == WmApplication::kWmRunContinues) return true;
  if (result) *result = answer;
  return false;
}

void WINL_ModalWindowEnd(void* session) {
  if (!session) return;
  WmApplication& app = WmApplication::Shared();
  auto* s = static_cast<WmApplication::ModalSession*>(session);
  // Ask the loop to stop and give it a bounded number of steps (2 s) to
  // wind down, so that a session that never stops cannot hang the caller.
  for (int attempt = 0; attempt < 200 && app.RunModalSession(s) == WmApplication::kWmRunContinues;
       ++attempt) {
    app.StopModal();
    if (app.RunModalSession(s) != WmApplication::kWmRunContinues) break;
    Sleep(10);
  }
  app.EndModalSession(s);
}

// ---- Mouse redirection ------------------------------------------------------------------------

bool WINL_HandleMouseEvent(const WmMouseEvent& event) {
  if (WINL_CaptureHolder()) return false;
  if (event.kind < kWmLeftDown || event.kind > kWmRightDragged) return false;
  WmWindow* window = event.window;
  if (!WmIsLive(window) || !window->contentView()) return false;
  WmView* hit = window->contentView()->HitTest(event.location);
  if (!hit) return false;
  const long lParam =
      Pack(static_cast<int>(std::floor(event.screen.x)), static_cast<int>(std::floor(event.screen.y)));
  WmView* target = nullptr;
  for (WmView* v = hit; v; v = v->superview()) {
    if (WINL_AsLayerView(v) && SendMessage(v, WM_NCHITTEST, 0, lParam) > 1) target = v;
    if (v == window->contentView()) break;
  }
  if (!target) return false;
  target->MouseEvent(event);
  return true;
}

// ---- Appearance ----------------------------------------------------------------------------------

namespace {
WmWindow* WindowOf(HWND hwnd) {
  if (WmWindow* window = WINL_AsWindow(hwnd)) return window;
  WmView* view = WINL_AsView(hwnd);
  return view ? view->window() : nullptr;
}
}  // namespace

int WINL_SetWindowLevel(HWND hwnd, int level) {
  WmWindow* window = WindowOf(hwnd);
  if (!window) return 0;
  const int previous = window->level();
  window->SetLevel(level);
  return previous;
}

int WINL_GetWindowWantRaiseAmt(HWND hwnd) {
  auto* modeless = dynamic_cast<Winl_vVivivI_modelesswindow*>(WindowOf(hwnd));
  return modeless ? modeless->m_wantraiseamt : 0;
}

void WINL_SetWindowWantRaiseAmt(HWND hwnd, int amount) {
  auto* modeless = dynamic_cast<Winl_vVivivI_modelesswindow*>(WindowOf(hwnd));
  if (!modeless) return;
  const int old = modeless->m_wantraiseamt;
  modeless->m_wantraiseamt = amount;
  if (old != amount && WmApplication::Shared().isActive) modeless->SetLevel(modeless->level() + amount - old);
}

void SetOpaque(HWND hwnd, bool opaque) {
  if (auto* layer = WINL_AsLayerView(hwnd)) layer->setOpaque(opaque);
}

void SetTransparent(HWND hwnd) {
  if (WmWindow* window = WindowOf(hwnd)) window->isOpaque = false;
}

void WINL_SetWindowShadow(HWND hwnd, bool shadow) {
  if (WmWindow* window = WindowOf(hwnd)) window->hasShadow = shadow;
}

void WINL_SetWindowRepre(HWND hwnd, const char* filename, bool edited) {
  WmWindow* window = WindowOf(hwnd);
  if (!window) return;
  if (auto* content = WINL_AsLayerView(window->contentView()))
    if (content->winlGetProp("WINL_DisableWindowRepre", false)) return;
  window->documentEdited = edited;
  window->representedFilename = filename ? filename : "";
}

// ---- Drag outline --------------------------------------------------------------------------------

namespace {
// The overlay's content: fills what it is asked to draw with 50 % grey.
class Winl_vVivivI_drawfocusrectwnd : public WmView {
 public:
  using WmView::WmView;
  bool IsOpaque() const override { return true; }
  void Draw(const PaintTarget& t, const WmRect&) override {
    uint8_t grey[4] = {255, 128, 128, 128};
    uint32_t word;
    memcpy(&word, grey, sizeof word);
    for (int y = t.clipT; y < t.clipB; ++y)
      for (int x = t.clipL; x < t.clipR; ++x) t.pixels[static_cast<size_t>(y) * t.rowSpan + x] = word;
  }
  const char* ClassName() const override { return "Winl_vVivivI_drawfocusrectwnd"; }
};

int g_presentation = 0;
int g_defaultPresentation = -1;
}  // namespace

void WINL_DrawFocusRect(HWND hwnd, const RECT* rect, void** overlay) {
  if (!overlay) return;
  WmWindow* current = WmIsLive(*overlay) ? static_cast<WmWindow*>(static_cast<WmObject*>(*overlay)) : nullptr;
  if (!rect) {
    if (current) {
      if (current->parentWindow()) current->parentWindow()->RemoveChildWindow(current);
      current->Close();
    }
    *overlay = nullptr;
    return;
  }
  RECT r = *rect;
  WmWindow* parent = nullptr;
  if (hwnd) {
    parent = WINL_AsWindow(hwnd);
    if (!parent) {
      WmView* view = WINL_AsView(hwnd);
      if (!view) return;
      parent = view->window();
    }
    POINT a{r.left, r.top}, b{r.right, r.bottom};
    ClientToScreen(hwnd, &a);
    ClientToScreen(hwnd, &b);
    r = RECT{a.x, a.y, b.x, b.y};
  }
  if (r.bottom < r.top) std::swap(r.top, r.bottom);
  const WmRect frame{static_cast<double>(r.left), static_cast<double>(r.top),
                     static_cast<double>(r.right - r.left), static_cast<double>(r.bottom - r.top)};
  if (current && current->parentWindow() == parent) {
    current->SetFrame(frame, true);
    return;
  }
  if (current) {
    if (current->parentWindow()) current->parentWindow()->RemoveChildWindow(current);
    current->Close();
  }
  auto* window = new WmWindow(frame, 0);
  window->isOpaque = true;
  window->hasShadow = false;
  WmView* old =
      window->SetContentView(new Winl_vVivivI_drawfocusrectwnd(WmRect{0, 0, frame.width, frame.height}));
  if (old) WmApplication::Shared().Autorelease(old);
  if (parent) {
    parent->AddChildWindow(window);
  } else {
    window->SetLevel(101);  // the pop-up menu level
  }
  window->SetFrame(frame, false);
  window->OrderFront();
  *overlay = static_cast<WmObject*>(window);
}

bool WINL_SetAppAutoHideMenuAndDock(int mode) {
  if (g_defaultPresentation < 0) g_defaultPresentation = g_presentation;
  g_presentation = mode < 1 ? g_defaultPresentation : mode == 1 ? 5 : 6;
  return true;
}

int WINL_GetAppPresentationOptions() { return g_presentation; }

bool WINL_GetGestureInfo(long lParam, GESTUREINFO* info) {
  if (!lParam || !info) return false;
  memcpy(info, reinterpret_cast<const void*>(lParam), sizeof *info);
  return true;
}
