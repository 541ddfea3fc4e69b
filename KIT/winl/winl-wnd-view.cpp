// The window view class: window words, creation, dispatch and the
// destruction sequence, the default dialog procedure, properties and
// painting into the window surface.
#include "KIT/winl/winl-wnd-view.h"

#include <string.h>

#include <algorithm>
#include <cmath>

#include "KIT/winl/winl-kb.h"
#include "KIT/winl/winl-menu.h"
#include "KIT/winl/winl-misc.h"
#include "KIT/winl/winl-shapes.h"
#include "KIT/winl/winl-wnd-input.h"
#include "platform/window/WindowGL.h"

namespace {

// The default dialog procedure of every new view.
long DefaultDialogProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  DLGPROC dlg = reinterpret_cast<DLGPROC>(GetWindowLong(hwnd, DWL_DLGPROC));
  if (!dlg) return DefWindowProc(hwnd, msg, wParam, lParam);
  Winl_vVivivI_hwnd* view = WINL_AsLayerView(hwnd);
  if (msg == WM_PAINT && view && dlg(hwnd, WM_ERASEBKGND, 0, 0) == 0) {
    WmWindow* window = view->window();
    bool opaque = view->IsOpaque() || (window && window->contentView() == view);
    if (!opaque && window && window->contentView() && window->contentView()->IsOpaque()) opaque = true;
    PAINTSTRUCT ps;
    if (HDC hdc = BeginPaint(hwnd, &ps)) {
      RECT r = ps.rcPaint;
      if (r.right > r.left && r.bottom > r.top) {
        const long brush =
            dlg(hwnd, WM_CTLCOLORDLG, reinterpret_cast<unsigned long>(hdc), reinterpret_cast<long>(hwnd));
        if (brush == 0 || brush == 1) {
          if (opaque) WINL_FillDialogBackground(hdc, &r, 0);
        } else {
          WINL_FillRect(hdc, &r, reinterpret_cast<HGDIOBJ>(brush));
        }
      }
      EndPaint(hwnd, &ps);
    }
  }
  const long result = dlg(hwnd, msg, wParam, lParam);
  if (result) return result;
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

bool IsAtom(const char* name) { return reinterpret_cast<uintptr_t>(name) < 0x10000; }

bool SameName(const char* a, const char* b) {
  if (IsAtom(a) || IsAtom(b)) return a == b;
  return strcmp(a, b) == 0;
}

}  // namespace

Winl_vVivivI_hwnd::Winl_vVivivI_hwnd(const WmRect& frame) : WmView(frame) { m_wndproc = DefaultDialogProc; }

Winl_vVivivI_hwnd::~Winl_vVivivI_hwnd() {
  KillTimer(this, static_cast<uintptr_t>(-1));
  if (WINL_CaptureHolder() == this) ReleaseCapture();
  while (m_props) {
    WindowPropRec* next = m_props->_next;
    if (!IsAtom(m_props->name)) free(m_props->name);
    delete m_props;
    m_props = next;
  }
  if (m_menu) {
    WINL_SetMenuDestination(m_menu, nullptr);
    m_menu->Release();
  }
  m_glctx.reset();
}

Winl_vVivivI_hwnd* Winl_vVivivI_hwnd::initChild(WINL_DialogResourceIndex* record, WmObject* parent,
                                                DLGPROC proc, long param) {
  const WmRect frame =
      record ? WmRect{0, 0, static_cast<double>(record->width), static_cast<double>(record->height)}
             : WmRect{0, 0, 300, 200};
  auto* view = new Winl_vVivivI_hwnd(frame);
  if (record) {
    view->m_isopaque = (record->flags & 0x10) != 0;
    view->m_flip = (record->flags & 0x4) != 0;
    view->m_supports_ddrop = (record->flags & 0x20) != 0;
  }
  view->SetHidden(true);
  if (WmWindow* window = dynamic_cast<WmWindow*>(parent)) {
    WmView* old = window->SetContentView(view);
    if (old) WmApplication::Shared().Autorelease(old);
  } else if (WmView* super = dynamic_cast<WmView*>(parent)) {
    super->AddSubview(view);
  }
  if (record) {
    if (record->createFunc) record->createFunc(view, record->flags);
    view->m_dlgproc = proc;
  } else {
    if (proc) view->m_wndproc = proc;
    view->m_wndproc(view, WM_CREATE, 0, param);
  }
  if (view->m_dlgproc && WmIsLive(view)) {
    WmView* candidate = nullptr;
    for (WmView* sub : view->subviews()) {
      WmView* standIn = sub;
      if (auto* scroll = dynamic_cast<WmScrollView*>(sub))
        if (scroll->documentView()) standIn = scroll->documentView();
      if (standIn->AcceptsFirstResponder()) {
        candidate = standIn;
        break;
      }
    }
    const long result = view->m_dlgproc(view, WM_INITDIALOG,
                                        reinterpret_cast<unsigned long>(static_cast<HWND>(candidate)), param);
    if (!WmIsLive(view)) return view;
    WmWindow* window = view->window();
    if (result) {
      WmView* target = result == 0xBEEF ? view : candidate;
      if (target && window && window->firstResponder() != target) window->MakeFirstResponder(target);
      auto* modeless = dynamic_cast<Winl_vVivivI_modelesswindow*>(parent);
      if (modeless && modeless == window && !modeless->IsVisible())
        modeless->m_wantInitialKeyWindowOnShow = true;
    } else if (candidate && window && parent == window &&
               (window->firstResponderIsWindow() || window->firstResponder() == view)) {
      window->MakeFirstResponder(candidate);
    }
    WINL_DoDialogColorUpdates(view, view->m_dlgproc, false);
  }
  return view;
}

long Winl_vVivivI_hwnd::onWinlMessage(unsigned int msg, unsigned long wParam, long lParam) {
  if (m_hashaddestroy == 2) return 0;
  if (m_hashaddestroy == 1 && (msg == WM_DESTROY || msg == WM_CAPTURECHANGED)) return 0;
  if (msg == WM_DESTROY) {
    m_hashaddestroy = 1;
    if (WINL_CaptureHolder() == this) ReleaseCapture();
    WINL_Internal_PMQ_ClearAllMessages(this);
    const long result = m_wndproc ? m_wndproc(this, msg, wParam, lParam) : 0;
    if (WmWindow* window = WINL_WindowOfContent(this))
      if (Winl_TopLevel* top = WINL_AsTopLevel(window)) top->winlDestroyAllOwnedWindows();
    if (WINL_CaptureHolder() == this) ReleaseCapture();
    WINL_Internal_PMQ_ClearAllMessages(this);
    if (m_menu) {
      if (WmApplication::Shared().mainMenu() == m_menu && !g_winl_terminating)
        WmApplication::Shared().SetMainMenu(nullptr);
      WINL_SetMenuDestination(m_menu, nullptr);
      m_menu->Release();
      m_menu = nullptr;
    }
    std::vector<WmView*> subs = subviews();
    for (WmView* sub : subs)
      if (Winl_vVivivI_hwnd* child = WINL_AsLayerView(sub)) child->onWinlMessage(WM_DESTROY, 0, 0);
    KillTimer(this, static_cast<uintptr_t>(-1));
    m_hashaddestroy = 2;
    return result;
  }
  return m_wndproc ? m_wndproc(this, msg, wParam, lParam) : 0;
}

long Winl_vVivivI_hwnd::getWinlExtraData(int index) const {
  // Negative byte indices are not slots: they read 0 (and write nothing).
  if (index < 0 || index > 127) return 0;
  return m_extradata[index / 4];
}

void Winl_vVivivI_hwnd::setWinlExtraData(int index, long value) {
  if (index < 0 || index > 127) return;
  m_extradata[index / 4] = static_cast<int32_t>(value);
}

void Winl_vVivivI_hwnd::winlSetMenu(HMENU menu) {
  if (m_menu) WINL_SetMenuDestination(m_menu, nullptr);
  if (m_menu && m_menu != menu) m_menu->Release();
  m_menu = menu;
  if (menu) WINL_SetMenuDestination(menu, this);
}

void Winl_vVivivI_hwnd::onWinlSetText(const char* text) {
  if (!text) text = "";
  const size_t n = std::min<size_t>(strlen(text), sizeof m_titlestr - 1);
  memcpy(m_titlestr, text, n);
  m_titlestr[n] = 0;
}

void Winl_vVivivI_hwnd::SetEnabled(bool enabled) {
  m_enabled = enabled;
  WmView::SetEnabled(enabled);
}

int Winl_vVivivI_hwnd::winlSetProp(const char* name, void* value) {
  for (WindowPropRec* p = m_props; p; p = p->_next)
    if (SameName(p->name, name)) {
      p->value = value;
      return 1;
    }
  auto* rec = new WindowPropRec{IsAtom(name) ? const_cast<char*>(name) : strdup(name), value, m_props};
  m_props = rec;
  return 1;
}

void* Winl_vVivivI_hwnd::winlGetProp(const char* name, bool wantRemove) {
  for (WindowPropRec** link = &m_props; *link; link = &(*link)->_next) {
    WindowPropRec* p = *link;
    if (!SameName(p->name, name)) continue;
    void* value = p->value;
    if (wantRemove) {
      *link = p->_next;
      if (!IsAtom(p->name)) free(p->name);
      delete p;
    }
    return value;
  }
  return nullptr;
}

int Winl_vVivivI_hwnd::winlEnumProps(int (*proc)(HWND, const char*, void*, long), long lParam) {
  if (!m_props) return -1;
  for (WindowPropRec* p = m_props; p; p = p->_next)
    if (!proc(this, p->name, p->value, lParam)) return 0;
  return 1;
}

bool Winl_vVivivI_hwnd::getWinlPaintInfo(PAINTSTRUCT* ps) {
  if (!m_paintctx_hdc) return false;
  m_paintctx_used = true;
  ps->hdc = m_paintctx_hdc;
  ps->fErase = 0;
  ps->rcPaint.left = static_cast<int32_t>(m_paintctx_rect.x);
  ps->rcPaint.top = static_cast<int32_t>(m_paintctx_rect.y);
  ps->rcPaint.right = static_cast<int32_t>(std::ceil(m_paintctx_rect.x + m_paintctx_rect.width));
  ps->rcPaint.bottom = static_cast<int32_t>(std::ceil(m_paintctx_rect.y + m_paintctx_rect.height));
  return true;
}

void Winl_vVivivI_hwnd::Draw(const PaintTarget& t, const WmRect& rect) {
  // The view's own surface: the window pixels from its top-left corner on.
  if (t.originX < 0 || t.originY < 0 || t.originX >= t.width || t.originY >= t.height) {
    m_isdirty = 0;
    return;
  }
  WINL_GraphicsContext surface{};
  surface.pixels =
      reinterpret_cast<uint8_t*>(t.pixels + static_cast<size_t>(t.originY) * t.rowSpan + t.originX);
  surface.width = t.width - t.originX;
  surface.height = t.height - t.originY;
  surface.rowBytes = t.rowSpan * 4;
  surface.clip = RECT{t.clipL - t.originX, t.clipT - t.originY, t.clipR - t.originX, t.clipB - t.originY};
  surface.antialias = true;
  HDC hdc = WINL_CreateGfxContext(&surface);
  if (hdc) {
    PaintWithContext(hdc, rect, &t);
    WINL_DeleteGfxContext(hdc);
  }
  m_isdirty = 0;
}

void Winl_vVivivI_hwnd::PaintWithContext(HDC hdc, const WmRect& rect, const PaintTarget* target) {
  if (m_hashaddestroy) return;
  // A GL view draws with its context current, bound to the view's size.
  const bool gl =
      m_glctx && m_glctx->MakeCurrent(static_cast<int>(frame().width), static_cast<int>(frame().height));
  m_paintctx_hdc = hdc;
  m_paintctx_rect = rect;
  m_paintctx_used = false;
  RECT wr;
  GetWindowRect(this, &wr);
  if (wr.bottom < wr.top) std::swap(wr.top, wr.bottom);
  NCCALCSIZE_PARAMS calc{};
  calc.rgrc[0] = wr;
  onWinlMessage(WM_NCCALCSIZE, 0, reinterpret_cast<long>(&calc));
  onWinlMessage(WM_NCPAINT, 1, 0);
  m_paintctx_rect.x += calc.rgrc[0].left - wr.left;
  m_paintctx_rect.y += calc.rgrc[0].top - wr.top;
  if (m_paintctx_rect.width >= 1 && m_paintctx_rect.height >= 1 && WmIsLive(this)) {
    const bool inset = calc.rgrc[0].left != wr.left || calc.rgrc[0].top != wr.top ||
                       calc.rgrc[0].right != wr.right || calc.rgrc[0].bottom != wr.bottom;
    if (inset) {
      RECT client;
      GetClientRect(this, &client);
      WINL_PushClipRegion(hdc);
      WINL_SetClipRegion(hdc, &client);
      onWinlMessage(WM_PAINT, reinterpret_cast<unsigned long>(hdc), 0);
      WINL_PopClipRegion(hdc);
    } else {
      onWinlMessage(WM_PAINT, reinterpret_cast<unsigned long>(hdc), 0);
    }
  }
  if (gl && WmIsLive(this) && m_glctx && m_glctx->IsCurrent()) {
    if (target) m_glctx->CopyInto(*target);
    WmGLContext::ClearCurrent();
  }
  m_paintctx_hdc = nullptr;
}

void Winl_vVivivI_hwnd::WINL_Timer(uintptr_t id) {
  if (g_winl_only_timerhwnd && g_winl_only_timerhwnd != this) return;
  if (!m_hashaddestroy && m_wndproc) m_wndproc(this, WM_TIMER, id, 0);
}

void Winl_vVivivI_hwnd::MouseEvent(const WmMouseEvent& event) { WINL_ViewMouseEvent(this, event); }

void Winl_vVivivI_hwnd::KeyEvent(const WmKeyEvent& event) {
  if (m_hashaddestroy) return;
  int flags = 0;
  const int key = WINL_MacKeyToWindowsKey(&event, &flags);
  const long result =
      onWinlMessage(event.down ? WM_KEYDOWN : WM_KEYUP, static_cast<unsigned long>(key), flags);
  if (result == 69) WmView::KeyEvent(event);  // not handled: on to the superview
}

// ---- Accessibility --------------------------------------------------------------------

WmAccessibilityElement* Winl_vVivivI_hwnd::AccessibilityObject() {
  if (m_hashaddestroy || !m_wndproc) return nullptr;
  WmAccessibilityElement* object = nullptr;
  onWinlMessage(WM_GETOBJECT, 0x1001, reinterpret_cast<long>(&object));
  return object;
}

WmAccessibilityElement* Winl_vVivivI_hwnd::AccessibilityHitTest(WmPoint screen) {
  if (WmAccessibilityElement* object = AccessibilityObject()) {
    WmAccessibilityElement* hit = object->AccessibilityHitTest(screen);
    if (hit && hit != object) return hit;
    if (!object->AccessibilityIsIgnored()) return object;
  }
  return WmView::AccessibilityHitTest(screen);
}

WmAccessibilityElement* Winl_vVivivI_hwnd::AccessibilityFocusedElement() {
  if (WmAccessibilityElement* object = AccessibilityObject()) {
    WmAccessibilityElement* focused = object->AccessibilityFocusedElement();
    if (focused && focused != object) return focused;
  }
  return WmView::AccessibilityFocusedElement();
}

std::vector<WmAccessibilityElement*> Winl_vVivivI_hwnd::CachedChildren(
    int which, std::vector<WmAccessibilityElement*> base) {
  AccessCache& cache = m_access_cacheptrs[which];
  WmAccessibilityElement* object = AccessibilityObject();
  if (!object) {
    cache = AccessCache();
    return base;
  }
  if (cache.object == object && cache.base == base) return cache.result;
  std::vector<WmAccessibilityElement*> all = base;
  all.push_back(object);
  cache.result = WmUnignoredChildren(all);
  cache.base = std::move(base);
  cache.object = object;
  return cache.result;
}

std::vector<WmAccessibilityElement*> Winl_vVivivI_hwnd::AccessibilityChildren() {
  return CachedChildren(0, WmView::AccessibilityChildren());
}

std::vector<WmAccessibilityElement*> Winl_vVivivI_hwnd::AccessibilityVisibleChildren() {
  return CachedChildren(1, WmView::AccessibilityVisibleChildren());
}

bool Winl_vVivivI_hwnd::AccessibilityIsIgnored() {
  if (subviews().empty() && AccessibilityObject()) return true;
  return WmView::AccessibilityIsIgnored();
}

void Winl_vVivivI_hwnd::SetFrame(const WmRect& frame) {
  WmView::SetFrame(frame);
  if (!m_hashaddestroy && m_wndproc) m_wndproc(this, WM_SIZE, 0, 0);
  if (superview()) InvalidateRect(superview(), nullptr, 0);
}

void Winl_vVivivI_hwnd::DidHide() {
  if (!m_hashaddestroy && m_wndproc) m_wndproc(this, WM_SHOWWINDOW, 0, 0);
}
void Winl_vVivivI_hwnd::DidUnhide() {
  if (!m_hashaddestroy && m_wndproc) m_wndproc(this, WM_SHOWWINDOW, 1, 0);
}

void Winl_vVivivI_hwnd::DidAddSubview(WmView*) {
  for (WmView* v = this; v; v = v->superview()) {
    auto* layer = WINL_AsLayerView(v);
    if (!layer) continue;
    if (layer->m_isdirty & 2) break;
    layer->m_isdirty |= 2;
  }
}

void Winl_vVivivI_hwnd::WillRemoveSubview(WmView*) {
  m_isdirty |= 3;
  for (WmView* v = superview(); v; v = v->superview()) {
    v->SetNeedsDisplay(true);
    auto* layer = WINL_AsLayerView(v);
    if (!layer) continue;
    if ((layer->m_isdirty & 3) == 3) break;
    layer->m_isdirty |= 3;
  }
}

// ---- Creation and text ----------------------------------------------------------------

HWND WINL_CreateWindowView(WINL_DialogResourceIndex* record, HWND parent, DLGPROC proc, long param) {
  WmObject* host = WmIsLive(parent) ? parent : nullptr;
  return Winl_vVivivI_hwnd::initChild(record, host, proc, param);
}

void WINL_DoDialogColorUpdates(HWND hwnd, DLGPROC proc, bool update) {
  WmView* view = WINL_AsView(hwnd);
  if (!view || !proc) return;
  bool sentStatic = false;
  for (WmView* sub : view->subviews()) {
    auto* field = dynamic_cast<WmTextField*>(sub);
    const bool isStatic = (field && !field->editable) || dynamic_cast<WmBox*>(sub);
    if (!isStatic || sentStatic) continue;
    sentStatic = true;
    HDC hdc = WINL_GDP_CTX_NEW();
    if (!hdc) return;
    proc(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<unsigned long>(hdc),
         reinterpret_cast<long>(static_cast<HWND>(sub)));
    (void)update;
    WINL_DeleteGfxContext(hdc);
  }
}

bool SetWindowText(HWND hwnd, const char* text) {
  HWND target = WINL_NavigateUpScrollClipViews(hwnd);
  if (WmWindow* window = WINL_AsWindow(hwnd)) window->title = text ? text : "";
  if (WmWindow* window = WINL_WindowOfContent(WINL_AsView(target))) window->title = text ? text : "";
  if (auto* view = WINL_AsLayerView(target)) {
    view->onWinlSetText(text);
    return true;
  }
  if (auto* field = dynamic_cast<WmTextField*>(WINL_AsView(target))) {
    field->text = text ? text : "";
    return true;
  }
  return WINL_AsWindow(hwnd) != nullptr;
}

int GetWindowText(HWND hwnd, char* buffer, int size) {
  if (!buffer || size < 1) return 0;
  buffer[0] = 0;
  std::string text;
  HWND target = WINL_NavigateUpScrollClipViews(hwnd);
  if (auto* view = WINL_AsLayerView(target))
    text = view->onWinlGetText();
  else if (auto* field = dynamic_cast<WmTextField*>(WINL_AsView(target)))
    text = field->text;
  else if (WmWindow* window = WINL_AsWindow(hwnd))
    text = window->title;
  const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return static_cast<int>(n);
}

bool SetProp(HWND hwnd, const char* name, void* value) {
  auto* view = WINL_AsLayerView(WINL_NavigateUpScrollClipViews(hwnd));
  return view && view->winlSetProp(name, value);
}
void* GetProp(HWND hwnd, const char* name) {
  auto* view = WINL_AsLayerView(WINL_NavigateUpScrollClipViews(hwnd));
  return view ? view->winlGetProp(name, false) : nullptr;
}
void* RemoveProp(HWND hwnd, const char* name) {
  auto* view = WINL_AsLayerView(WINL_NavigateUpScrollClipViews(hwnd));
  return view ? view->winlGetProp(name, true) : nullptr;
}
