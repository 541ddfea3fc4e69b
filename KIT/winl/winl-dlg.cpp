// The top-level window classes and the dialog entry points.
#include "KIT/winl/winl-dlg.h"

#include <algorithm>

#include "KIT/winl/winl-menu.h"
#include "KIT/winl/winl-wnd-view.h"

WmWindow* g_winl_last_key_window = nullptr;
int WINL_owned_windows_levelincrease = 0;

namespace {
HMENU g_winl_defaultmenu = nullptr;
HMENU g_winl_defaultmenumodal = nullptr;

WINL_DialogResourceIndex* FindRecord(WINL_DialogResourceIndex* head, const char* resid) {
  for (WINL_DialogResourceIndex* r = head; r; r = r->_next)
    if (r->resid == resid) return r;
  return nullptr;
}

// Where a new top-level window of height h goes: 50 points in from the
// left of the parent (or screen) and its top edge 100 points below the
// reference's top edge.
WmRect PlaceBelow(HWND parent, double width, double height) {
  RECT r{};
  if (!parent || !GetWindowRect(parent, &r)) WINL_GetViewPort(&r, nullptr, false);
  const int top = std::max(r.top, r.bottom);
  return WmRect{static_cast<double>(r.left + 50), top - 100 - height, width, height};
}

void RegisterOwner(HWND parent, WmWindow* window) {
  if (Winl_TopLevel* owner = WINL_AsTopLevel(parent)) {
    owner->winlAddOwnedWindow(window);
    return;
  }
  if (WmView* view = WINL_AsView(parent))
    if (Winl_TopLevel* owner = WINL_AsTopLevel(view->window())) owner->winlAddOwnedWindow(window);
}

long ContentMessage(WmWindow* window, unsigned int msg, unsigned long wParam, long lParam) {
  return WINL_Deliver(window->contentView(), msg, wParam, lParam);
}
}  // namespace

// ---- Shared top-level behaviour -----------------------------------------------------------

Winl_TopLevel::~Winl_TopLevel() {
  while (m_ownedwnds) {
    OwnedWindowListRec* next = m_ownedwnds->_next;
    delete m_ownedwnds;
    m_ownedwnds = next;
  }
  if (g_winl_last_key_window == this) g_winl_last_key_window = nullptr;
}

void Winl_TopLevel::winlAddOwnedWindow(WmWindow* window) {
  for (OwnedWindowListRec* r = m_ownedwnds; r; r = r->_next)
    if (r->hwnd == window) return;
  m_ownedwnds = new OwnedWindowListRec{window, m_ownedwnds};
  Winl_TopLevel* owned = WINL_AsTopLevel(window);
  if (owned) owned->winlSetOwner(this);
  if (WINL_owned_windows_levelincrease && window && WmApplication::Shared().isActive) {
    int level = this->level() + 1;
    if (auto* modeless = dynamic_cast<Winl_vVivivI_modelesswindow*>(window))
      level += modeless->m_wantraiseamt;
    window->SetLevel(level);
  }
}

void Winl_TopLevel::winlRemoveOwnedWindow(WmWindow* window) {
  for (OwnedWindowListRec** link = &m_ownedwnds; *link; link = &(*link)->_next)
    if ((*link)->hwnd == window) {
      OwnedWindowListRec* r = *link;
      *link = r->_next;
      delete r;
      return;
    }
}

void Winl_TopLevel::winlDestroyAllOwnedWindows() {
  OwnedWindowListRec* list = m_ownedwnds;
  m_ownedwnds = nullptr;
  while (list) {
    OwnedWindowListRec* next = list->_next;
    if (Winl_TopLevel* owned = WINL_AsTopLevel(list->hwnd)) owned->winlSetOwner(nullptr);
    DestroyWindow(list->hwnd);
    delete list;
    list = next;
  }
}

void Winl_TopLevel::winlResetOwnedWindowLevels() {
  if (!WINL_owned_windows_levelincrease) return;
  const bool active = WmApplication::Shared().isActive;
  for (OwnedWindowListRec* r = m_ownedwnds; r; r = r->_next) {
    if (!WmIsLive(r->hwnd)) continue;
    int level = this->level();
    if (active) {
      ++level;
      if (auto* modeless = dynamic_cast<Winl_vVivivI_modelesswindow*>(r->hwnd))
        level += modeless->m_wantraiseamt;
    }
    r->hwnd->SetLevel(level);
    if (Winl_TopLevel* owned = WINL_AsTopLevel(r->hwnd)) owned->winlResetOwnedWindowLevels();
  }
}

void Winl_TopLevel::winlDoDestroyStuff() {
  if (g_winl_last_key_window == this) g_winl_last_key_window = nullptr;
  winlDestroyAllOwnedWindows();
  if (Winl_TopLevel* owner = WINL_AsTopLevel(m_owner)) {
    owner->winlRemoveOwnedWindow(this);
    if (WmApplication::Shared().keyWindow() == this && owner->IsVisible()) owner->MakeKeyAndOrderFront();
  }
  m_owner = nullptr;
}

bool Winl_TopLevel::WindowShouldClose() {
  if (ContentMessage(this, WM_CLOSE, 0, 0) == 0 && WmIsLive(this))
    ContentMessage(this, WM_COMMAND, IDCANCEL, 0);
  return false;
}

void Winl_TopLevel::SetFrame(const WmRect& frame, bool display) {
  WmWindow::SetFrame(frame, display);
  const int w = static_cast<int>(frame.width), h = static_cast<int>(frame.height);
  if (w != static_cast<int>(lastFrameSize.width) || h != static_cast<int>(lastFrameSize.height)) {
    lastFrameSize = WmSize{static_cast<double>(w), static_cast<double>(h)};
    ContentMessage(this, WM_SIZE, 0, 0);
    if (WmIsLive(this) && contentView() && contentView()->IsOpaque())
      InvalidateRect(contentView(), nullptr, 0);
  }
}

void Winl_TopLevel::WindowDidMove() {
  const int x = static_cast<int>(frame().x), y = static_cast<int>(frame().y);
  ContentMessage(this, WM_MOVE, 0, (static_cast<long>(y) << 16) | (x & 0xFFFF));
}

void Winl_TopLevel::ResignKeyWindow() {
  if (g_winl_terminating) return;
  ContentMessage(this, WM_ACTIVATE, 0, 0);
  g_winl_last_key_window = this;
}

void Winl_TopLevel::BecomeKeyWindow() {
  auto* content = WINL_AsLayerView(contentView());
  if (g_winl_terminating || !content || content->winlHasBeenDestroyed()) return;
  HMENU menu = content->winlGetMenu();
  if (!menu && IsDialogBox()) menu = g_winl_defaultmenumodal;
  if (!menu) menu = g_winl_defaultmenu;
  if (menu && WmApplication::Shared().mainMenu() != menu) WINL_SetCurrentMenu(menu);
  long previous = 0;
  if (WmIsLive(g_winl_last_key_window) && g_winl_last_key_window != this)
    if (auto* prev = WINL_AsLayerView(g_winl_last_key_window->contentView()))
      if (!prev->winlHasBeenDestroyed()) previous = reinterpret_cast<long>(static_cast<HWND>(prev));
  content->onWinlMessage(WM_ACTIVATE, 1, previous);
  if (WmIsLive(content)) content->onWinlMessage(WM_MOUSEACTIVATE, 0, 0);
}

WmSize Winl_TopLevel::MinSize() {
  const WmSize base = WmWindow::MinSize();
  MINMAXINFO info{};
  info.ptMinTrackSize = POINT{static_cast<int32_t>(base.width), static_cast<int32_t>(base.height)};
  ContentMessage(this, WM_GETMINMAXINFO, 0, reinterpret_cast<long>(&info));
  return WmSize{static_cast<double>(info.ptMinTrackSize.x), static_cast<double>(info.ptMinTrackSize.y)};
}

WmSize Winl_TopLevel::MaxSize() {
  const WmSize base = WmWindow::MaxSize();
  auto limit = [](double v) { return static_cast<int32_t>(std::max(1.0, std::min(1000000.0, v))); };
  MINMAXINFO info{};
  info.ptMaxTrackSize = POINT{limit(base.width), limit(base.height)};
  ContentMessage(this, WM_GETMINMAXINFO, 0, reinterpret_cast<long>(&info));
  // An answer of 1000000 or more leaves the platform's maximum in force.
  return WmSize{info.ptMaxTrackSize.x >= 1000000 ? base.width : info.ptMaxTrackSize.x,
                info.ptMaxTrackSize.y >= 1000000 ? base.height : info.ptMaxTrackSize.y};
}

bool Winl_TopLevel::CanBecomeKeyWindow() { return m_enabled && !g_winl_terminating; }

// ---- Construction ----------------------------------------------------------------------------

Winl_vVivivI_modelesswindow* Winl_vVivivI_modelesswindow::initModeless(WINL_DialogResourceIndex* record,
                                                                       HWND parent, DLGPROC proc, long param,
                                                                       HWND* outputHwnd,
                                                                       unsigned forceStyles) {
  const double w = record ? record->width : 10, h = record ? record->height : 10;
  unsigned style = forceStyles;
  if (record) style |= 7 | ((record->flags & 0x2) ? 8 : 0);
  auto* window = new Winl_vVivivI_modelesswindow(PlaceBelow(parent, w, h), style);
  window->lastFrameSize = WmSize{w, h};
  RegisterOwner(parent, window);
  if (record && record->title) window->title = record->title;
  Winl_vVivivI_hwnd* view = Winl_vVivivI_hwnd::initChild(record, window, proc, param);
  if (WmIsLive(view)) {
    view->setCreateWindowFlags(style);
    if (record && record->title) view->onWinlSetText(record->title);
  }
  if (outputHwnd) *outputHwnd = view;
  if (WmIsLive(window)) window->DisplayAll();
  return window;
}

Winl_vVivivI_modelesswindow* Winl_vVivivI_modelesswindow::initModelessForChild(WmView* child, HWND owner,
                                                                               unsigned styleMask) {
  const WmRect b = child->bounds();
  auto* window = new Winl_vVivivI_modelesswindow(PlaceBelow(owner, b.width, b.height), styleMask);
  window->lastFrameSize = WmSize{b.width, b.height};
  RegisterOwner(owner, window);
  WmView* old = window->SetContentView(child);
  if (old) WmApplication::Shared().Autorelease(old);
  return window;
}

Winl_vVivivI_dialogbox* Winl_vVivivI_dialogbox::initDialogBox(WINL_DialogResourceIndex* record, HWND parent,
                                                              DLGPROC proc, long param) {
  const unsigned style = 3 | ((record->flags & 0x2) ? 8 : 0);
  auto* panel = new Winl_vVivivI_dialogbox(
      WmRect{0, 0, static_cast<double>(record->width), static_cast<double>(record->height)}, style);
  panel->lastFrameSize = WmSize{static_cast<double>(record->width), static_cast<double>(record->height)};
  RegisterOwner(parent, panel);
  if (record->title) panel->title = record->title;
  Winl_vVivivI_hwnd* view = Winl_vVivivI_hwnd::initChild(record, panel, proc, param);
  if (WmIsLive(view)) {
    view->SetHidden(false);
    view->setCreateWindowFlags(style);
    if (record->title) view->onWinlSetText(record->title);
  }
  panel->hidesOnDeactivate = false;
  if (WmIsLive(panel)) panel->DisplayAll();
  return panel;
}

// ---- Entry points ------------------------------------------------------------------------------

HWND WINL_CreateDialog(WINL_DialogResourceIndex* head, const char* resid, HWND parent, DLGPROC proc,
                       long param) {
  unsigned forced = 0;
  bool forceTopLevel = false;
  const uintptr_t id = reinterpret_cast<uintptr_t>(resid);
  if ((id & ~static_cast<uintptr_t>(0xF)) == 0x400000) {
    forced = kWmTitled;
    if (id & 1) forced |= kWmResizable;
    if (!(id & 2)) forced |= kWmMiniaturizable;
    if (!(id & 4)) forced |= kWmClosable;
    forceTopLevel = (id & 0xF) != 0;
    resid = nullptr;
  }
  WINL_DialogResourceIndex* record = resid ? FindRecord(head, resid) : nullptr;
  if (resid && !record) return nullptr;
  WmObject* host = nullptr;
  if (WmView* view = WINL_AsView(parent))
    host = view;
  else if (WmWindow* window = WINL_AsWindow(parent))
    host = window->contentView();
  const bool child = host && ((record && (record->flags & 0x1)) || (!record && !forceTopLevel));
  if (child) {
    Winl_vVivivI_hwnd* view = Winl_vVivivI_hwnd::initChild(record, host, proc, param);
    if (WmIsLive(view)) view->setCreateWindowFlags(15);
    return view;
  }
  HWND out = nullptr;
  Winl_vVivivI_modelesswindow::initModeless(record, parent, proc, param, &out, forced);
  return out;
}

long WINL_DialogBox(WINL_DialogResourceIndex* head, const char* resid, HWND parent, DLGPROC proc,
                    long param) {
  WINL_DialogResourceIndex* record = FindRecord(head, resid);
  if (!record || (record->flags & 0x1)) return -1;
  Winl_vVivivI_dialogbox* panel = Winl_vVivivI_dialogbox::initDialogBox(record, parent, proc, param);
  if (!panel) return -1;
  long result = -1;
  if (panel->winlHasModalRetVal()) {
    // Ended while it was created: no modal loop.
    ContentMessage(panel, WM_DESTROY, 0, 0);
    result = panel->winlGetModalRetVal();
  } else if (WmIsLive(panel)) {
    WmApplication::Shared().RunModalForWindow(panel);
    if (panel->winlHasModalRetVal()) result = panel->winlGetModalRetVal();
  }
  DestroyWindow(panel);
  return result;
}

void EndDialog(HWND hwnd, int result) {
  WmWindow* window = WINL_AsWindow(hwnd);
  if (!window)
    if (WmView* view = WINL_AsView(hwnd)) window = view->window();
  if (!window) return;
  if (auto* panel = dynamic_cast<Winl_vVivivI_dialogbox*>(window)) panel->winlSetModalRetVal(result);
  WmApplication& app = WmApplication::Shared();
  if (app.modalWindow() != window) return;
  ContentMessage(window, WM_DESTROY, 0, 0);
  app.StopModal();
  window->Close();
}

WmWindow* WINL_CreateModelessFrameForWindow(HWND childview, HWND owner, unsigned int styleMask) {
  WmView* view = WINL_AsView(childview);
  if (!view) return nullptr;
  if (view->superview() || view->window()) view->Detach();
  return Winl_vVivivI_modelesswindow::initModelessForChild(view, owner, styleMask);
}

HMENU WINL_GetDefaultWindowMenu() { return g_winl_defaultmenu; }
void WINL_SetDefaultWindowMenu(HMENU menu) { g_winl_defaultmenu = menu; }
HMENU WINL_GetDefaultModalWindowMenu() { return g_winl_defaultmenumodal; }
void WINL_SetDefaultModalWindowMenu(HMENU menu) { g_winl_defaultmenumodal = menu; }
