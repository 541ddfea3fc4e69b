#include "platform/window/WindowModel.h"

#include <time.h>

#include <algorithm>
#include <mutex>
#include <type_traits>
#include <unordered_set>

#include "platform/window/WindowPresenter.h"

// ---- Registry ------------------------------------------------------------------

namespace {
std::mutex g_registryLock;
std::unordered_set<const void*>& Registry() {
  static auto* registry = new std::unordered_set<const void*>;
  return *registry;
}
void Unregister(const void* object) {
  std::lock_guard<std::mutex> lock(g_registryLock);
  Registry().erase(object);
}

uint32_t MonotonicTicks() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                               static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}
}  // namespace

WmObject::WmObject() {
  std::lock_guard<std::mutex> lock(g_registryLock);
  Registry().insert(this);
}
WmObject::~WmObject() { Unregister(this); }

bool WmIsLive(const void* object) {
  if (!object) return false;
  std::lock_guard<std::mutex> lock(g_registryLock);
  return Registry().count(object) != 0;
}

// ---- WmView ----------------------------------------------------------------------

WmView::WmView(const WmRect& frame) : m_frame(frame) {}

WmView::~WmView() {
  for (WmView* view : m_subviews) delete view;
}

void WmView::AddSubview(WmView* view) { InsertSubview(view, m_subviews.size()); }

void WmView::InsertSubview(WmView* view, size_t index) {
  if (!view || view == this) return;
  if (view->m_superview) view->Detach();
  if (index > m_subviews.size()) index = m_subviews.size();
  m_subviews.insert(m_subviews.begin() + static_cast<std::ptrdiff_t>(index), view);
  view->m_superview = this;
  view->SetWindowRecursive(window());
  DidAddSubview(view);
  SetNeedsDisplay(true);
}

WmView* WmView::Detach() {
  WmWindow* win = window();
  if (win && win->m_firstResponder &&
      (win->m_firstResponder == this || win->m_firstResponder->IsDescendantOf(this))) {
    win->m_firstResponder = nullptr;
    win->m_firstResponderIsWindow = true;
  }
  if (m_superview) {
    WmView* super = m_superview;
    super->WillRemoveSubview(this);
    auto& list = super->m_subviews;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    super->SetNeedsDisplay(true);
    m_superview = nullptr;
  } else if (win && win->m_content == this) {
    win->m_content = nullptr;
  }
  SetWindowRecursive(nullptr);
  return this;
}

void WmView::RemoveFromSuperview() {
  Detach();
  WmApplication::Shared().Autorelease(this);
}

void WmView::ReleaseTree() {
  Unregister(this);
  for (WmView* view : m_subviews) view->ReleaseTree();
}

WmWindow* WmView::window() const {
  const WmView* view = this;
  while (view->m_superview) view = view->m_superview;
  return view->m_window;
}

void WmView::SetWindowRecursive(WmWindow* window) {
  // Only the root of a tree records the window; window() walks up to it.
  m_window = m_superview ? nullptr : window;
}

bool WmView::IsDescendantOf(const WmView* ancestor) const {
  for (const WmView* view = this; view; view = view->m_superview)
    if (view == ancestor) return true;
  return false;
}

void WmView::SetFrame(const WmRect& frame) {
  m_frame = frame;
  SetNeedsDisplay(true);
  if (m_superview) m_superview->SetNeedsDisplay(true);
}

namespace {
// One level up: a point of view into its superview (or the window base).
WmPoint Up(const WmView* view, WmPoint p) {
  const WmRect f = view->frame();
  const double yUp = view->IsFlipped() ? f.height - p.y : p.y;
  WmPoint q{f.x + p.x, 0};
  const WmView* super = view->superview();
  if (!super) {
    q.y = f.y + yUp;
    return q;
  }
  const double superHeight = super->frame().height;
  const double bottom = super->IsFlipped() ? superHeight - f.y - f.height : f.y;
  const double superUp = bottom + yUp;
  q.y = super->IsFlipped() ? superHeight - superUp : superUp;
  return q;
}
// One level down: a point of the superview (or the window base) into view.
WmPoint Down(const WmView* view, WmPoint q) {
  const WmRect f = view->frame();
  const WmView* super = view->superview();
  double yUp;
  if (!super) {
    yUp = q.y - f.y;
  } else {
    const double superHeight = super->frame().height;
    const double superUp = super->IsFlipped() ? superHeight - q.y : q.y;
    const double bottom = super->IsFlipped() ? superHeight - f.y - f.height : f.y;
    yUp = superUp - bottom;
  }
  return WmPoint{q.x - f.x, view->IsFlipped() ? f.height - yUp : yUp};
}
WmPoint ToBase(const WmView* view, WmPoint p) {
  for (; view; view = view->superview()) p = Up(view, p);
  return p;
}
WmPoint FromBase(const WmView* view, WmPoint p) {
  if (!view) return p;
  std::vector<const WmView*> chain;
  for (; view; view = view->superview()) chain.push_back(view);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) p = Down(*it, p);
  return p;
}
}  // namespace

WmPoint WmView::ConvertTo(WmPoint p, const WmView* other) const { return FromBase(other, ToBase(this, p)); }
WmPoint WmView::ConvertFrom(WmPoint p, const WmView* other) const {
  return FromBase(this, other ? ToBase(other, p) : p);
}

WmView* WmView::HitTest(WmPoint p) {
  if (m_hidden) return nullptr;
  const WmPoint local = Down(this, p);
  if (!bounds().Contains(local.x, local.y)) return nullptr;
  for (auto it = m_subviews.rbegin(); it != m_subviews.rend(); ++it)
    if (WmView* hit = (*it)->HitTest(local)) return hit;
  return this;
}

// ---- Accessibility ---------------------------------------------------------------

namespace {
void AppendUnignored(WmAccessibilityElement* element, std::vector<WmAccessibilityElement*>* out, int depth) {
  if (!element) return;
  if (!element->AccessibilityIsIgnored() || depth > 64) {
    out->push_back(element);
    return;
  }
  for (WmAccessibilityElement* child : element->AccessibilityChildren())
    AppendUnignored(child, out, depth + 1);
}
}  // namespace

std::vector<WmAccessibilityElement*> WmUnignoredChildren(
    const std::vector<WmAccessibilityElement*>& elements) {
  std::vector<WmAccessibilityElement*> out;
  for (WmAccessibilityElement* element : elements) AppendUnignored(element, &out, 0);
  return out;
}

WmAccessibilityElement* WmView::AccessibilityHitTest(WmPoint screen) {
  WmWindow* win = window();
  if (!win) return this;
  const WmPoint base = win->ScreenToBase(screen);
  // HitTest takes the point in the superview's coordinates.
  const WmPoint p = m_superview ? m_superview->ConvertFrom(base, nullptr) : base;
  WmView* hit = HitTest(p);
  if (hit && hit != this) return hit->AccessibilityHitTest(screen);
  // This view is the deepest: it, or the first ancestor not ignored.
  for (WmView* view = this; view; view = view->m_superview)
    if (!view->AccessibilityIsIgnored()) return view;
  return this;
}

WmAccessibilityElement* WmView::AccessibilityFocusedElement() {
  WmWindow* win = window();
  WmView* responder = win ? win->firstResponder() : nullptr;
  if (!responder || !responder->IsDescendantOf(this)) return nullptr;
  for (WmView* view = responder; view && view != m_superview; view = view->m_superview)
    if (!view->AccessibilityIsIgnored()) return view;
  return nullptr;
}

std::vector<WmAccessibilityElement*> WmView::AccessibilityChildren() {
  return WmUnignoredChildren(std::vector<WmAccessibilityElement*>(m_subviews.begin(), m_subviews.end()));
}

std::vector<WmAccessibilityElement*> WmView::AccessibilityVisibleChildren() {
  std::vector<WmAccessibilityElement*> shown;
  for (WmView* view : m_subviews)
    if (!view->m_hidden) shown.push_back(view);
  return WmUnignoredChildren(shown);
}

bool WmView::IsHiddenOrHasHiddenAncestor() const {
  for (const WmView* view = this; view; view = view->m_superview)
    if (view->m_hidden) return true;
  return false;
}

void WmView::SetHidden(bool hidden) {
  if (hidden == m_hidden) return;
  m_hidden = hidden;
  if (m_superview) m_superview->SetNeedsDisplay(true);
  if (hidden)
    DidHide();
  else
    DidUnhide();
}

void WmView::SetNeedsDisplay(bool needs) {
  m_needsDisplay = needs;
  m_dirty = needs ? bounds() : WmRect();
}

void WmView::SetNeedsDisplayInRect(const WmRect& rect) {
  if (m_needsDisplay && !m_dirty.Empty()) {
    const double l = std::min(m_dirty.x, rect.x), t = std::min(m_dirty.y, rect.y);
    const double r = std::max(m_dirty.x + m_dirty.width, rect.x + rect.width);
    const double b = std::max(m_dirty.y + m_dirty.height, rect.y + rect.height);
    m_dirty = WmRect{l, t, r - l, b - t};
  } else {
    m_dirty = rect;
  }
  m_needsDisplay = true;
}

void WmView::Draw(const PaintTarget&, const WmRect&) {}

void WmView::MouseEvent(const WmMouseEvent& event) {
  if (m_superview) m_superview->MouseEvent(event);
}

void WmView::KeyEvent(const WmKeyEvent& event) {
  if (m_superview) m_superview->KeyEvent(event);
}

// ---- Controls ----------------------------------------------------------------------

namespace {
void FillPixels(const WmView::PaintTarget& t, int l, int top, int r, int b, uint32_t word) {
  l = std::max(l, t.clipL);
  top = std::max(top, t.clipT);
  r = std::min(r, t.clipR);
  b = std::min(b, t.clipB);
  for (int y = top; y < b; ++y)
    for (int x = l; x < r; ++x) t.pixels[static_cast<size_t>(y) * static_cast<size_t>(t.rowSpan) + x] = word;
}
// A pixel word of grey level g (alpha, red, green, blue bytes in memory).
uint32_t Grey(uint32_t g) {
  const uint8_t bytes[4] = {255, static_cast<uint8_t>(g), static_cast<uint8_t>(g), static_cast<uint8_t>(g)};
  uint32_t word;
  static_assert(sizeof word == sizeof bytes, "pixel word");
  __builtin_memcpy(&word, bytes, sizeof word);
  return word;
}
}  // namespace

void WmButton::MouseEvent(const WmMouseEvent& event) {
  if (event.kind != kWmLeftUp || !IsEnabled()) return;
  if (kind == kSwitch)
    state = (state == 0) ? 1 : (state == 1 && allowsMixedState) ? -1 : 0;
  else if (kind == kRadio)
    state = 1;
  SetNeedsDisplay(true);
  if (action) action(this);
}

void WmButton::Draw(const PaintTarget& t, const WmRect&) {
  const int w = static_cast<int>(frame().width), h = static_cast<int>(frame().height);
  const int l = t.originX, top = t.originY;
  FillPixels(t, l, top, l + w, top + h, Grey(96));
  FillPixels(t, l + 1, top + 1, l + w - 1, top + h - 1, Grey(IsEnabled() ? 224 : 192));
  if (kind != kPush && state != 0)
    FillPixels(t, l + 4, top + 4, l + std::min(w, h) - 4, top + h - 4, Grey(32));
}

WmScrollView::WmScrollView(const WmRect& frame)
    : WmView(frame), m_clip(new WmClipView(WmRect{0, 0, frame.width, frame.height})) {
  AddSubview(m_clip);
}

WmView* WmScrollView::documentView() const {
  return m_clip->subviews().empty() ? nullptr : m_clip->subviews()[0];
}

void WmScrollView::SetDocumentView(WmView* view) {
  while (!m_clip->subviews().empty()) m_clip->subviews()[0]->RemoveFromSuperview();
  if (view) m_clip->AddSubview(view);
}

void WmScrollView::SetFrame(const WmRect& frame) {
  WmView::SetFrame(frame);
  m_clip->SetFrame(WmRect{0, 0, frame.width, frame.height});
}

// ---- WmWindow ----------------------------------------------------------------------

WmWindow::WmWindow(const WmRect& frame, unsigned styleMask) : m_frame(frame), m_style(styleMask) {
  WmApplication& app = WmApplication::Shared();
  m_number = app.m_nextNumber++;
  app.Add(this);
  m_content = new WmView(WmRect{0, 0, frame.width, frame.height});
  m_content->m_window = this;
}

WmWindow::~WmWindow() {
  m_presenter.reset();
  delete m_content;
}

WmView* WmWindow::SetContentView(WmView* view) {
  WmView* old = m_content;
  if (old) {
    old->Detach();
  }
  m_content = nullptr;
  if (view) {
    if (view->m_superview || view->window()) view->Detach();
    view->m_frame = WmRect{0, 0, m_frame.width, m_frame.height};
    view->m_window = this;
    m_content = view;
    view->SetNeedsDisplay(true);
  }
  return old;
}

void WmWindow::SetFrame(const WmRect& frame, bool display) {
  const double dx = frame.x - m_frame.x, dy = frame.y - m_frame.y;
  const bool moved = dx != 0 || dy != 0;
  m_frame = frame;
  for (WmWindow* child : m_children) {
    WmRect f = child->m_frame;
    f.x += dx;
    f.y += dy;
    child->m_frame = f;
  }
  if (m_content) {
    m_content->m_frame = WmRect{0, 0, frame.width, frame.height};
    m_content->SetNeedsDisplay(true);
  }
  if (m_presenter) m_presenter->Update();
  if (display && m_visible) {
    Display();
    Flush();
  }
  if (moved) WindowDidMove();
}

void WmWindow::OrderFront() {
  WmApplication& app = WmApplication::Shared();
  m_visible = true;
  m_miniaturized = false;
  app.BringToFront(this);
  if (!m_presenter && app.presenterFactory) m_presenter = app.presenterFactory(this);
  if (m_presenter) m_presenter->Show();
  DisplayAll();
  Flush();
}

void WmWindow::OrderOut() {
  WmApplication& app = WmApplication::Shared();
  m_visible = false;
  if (m_presenter) m_presenter->Hide();
  if (app.m_key == this) app.SetKey(nullptr);
  if (app.m_main == this) app.m_main = nullptr;
}

void WmWindow::MakeKeyAndOrderFront() {
  OrderFront();
  if (CanBecomeKeyWindow()) WmApplication::Shared().SetKey(this);
}

void WmWindow::Miniaturize() {
  m_miniaturized = true;
  m_visible = false;
  if (m_presenter) m_presenter->Hide();
}

void WmWindow::Center() {
  WmApplication& app = WmApplication::Shared();
  WmRect screen{0, 0, 1024, 768};
  if (!app.screens.empty()) screen = app.screens[0].visibleFrame;
  WmRect f = m_frame;
  f.x = screen.x + (screen.width - f.width) / 2;
  f.y = screen.y + (screen.height - f.height) / 2;
  SetFrame(f, true);
}

void WmWindow::Close() {
  if (m_closed) return;
  m_closed = true;
  OrderOut();
  if (m_parent) m_parent->RemoveChildWindow(this);
  for (WmWindow* child : m_children) child->m_parent = nullptr;
  m_children.clear();
  WmApplication& app = WmApplication::Shared();
  app.Remove(this);
  if (m_content) m_content->ReleaseTree();
  app.Autorelease(this);
}

void WmWindow::PerformClose() {
  if (WindowShouldClose()) Close();
}

WmView* WmWindow::firstResponder() const { return m_firstResponderIsWindow ? nullptr : m_firstResponder; }

bool WmWindow::MakeFirstResponder(WmView* view) {
  if (view && view->window() != this) return false;
  // A field editor that loses the keyboard ends its editing.
  if (WmFieldEditor* editor = WmCurrentFieldEditor(this); editor && editor != view) {
    editor->End(WmTextEditingClient::kEndedElsewhere);
    if (view && view->window() != this) return false;  // the end took the view away
  }
  m_firstResponder = view;
  m_firstResponderIsWindow = view == nullptr;
  return true;
}

void WmWindow::AddChildWindow(WmWindow* child) {
  if (!child || child == this || child->m_parent == this) return;
  if (child->m_parent) child->m_parent->RemoveChildWindow(child);
  child->m_parent = this;
  m_children.push_back(child);
  if (m_visible) child->OrderFront();
}

void WmWindow::RemoveChildWindow(WmWindow* child) {
  auto it = std::find(m_children.begin(), m_children.end(), child);
  if (it == m_children.end()) return;
  m_children.erase(it);
  child->m_parent = nullptr;
}

namespace {
bool TreeNeedsDisplay(const WmView* view) {
  if (view->NeedsDisplay()) return true;
  for (const WmView* sub : view->subviews())
    if (TreeNeedsDisplay(sub)) return true;
  return false;
}
void ClearTree(WmView* view) {
  view->SetNeedsDisplay(false);
  for (WmView* sub : view->subviews()) ClearTree(sub);
}
}  // namespace

bool WmWindow::ViewsNeedDisplay() const { return m_content && TreeNeedsDisplay(m_content); }

void WmWindow::Paint(WmView* view, const WmView::PaintTarget& parent, bool) {
  if (view->IsHidden()) return;
  // The view's top-left corner in surface pixels.
  const WmPoint topLeft = ToBase(view, WmPoint{0, view->IsFlipped() ? 0.0 : view->frame().height});
  WmView::PaintTarget t = parent;
  t.originX = static_cast<int>(topLeft.x);
  t.originY = m_pixelHeight - static_cast<int>(topLeft.y);
  t.clipL = std::max(parent.clipL, t.originX);
  t.clipT = std::max(parent.clipT, t.originY);
  t.clipR = std::min(parent.clipR, t.originX + static_cast<int>(view->frame().width));
  t.clipB = std::min(parent.clipB, t.originY + static_cast<int>(view->frame().height));
  if (t.clipR <= t.clipL || t.clipB <= t.clipT) return;
  view->Draw(t, view->bounds());
  view->SetNeedsDisplay(false);
  for (size_t i = 0; i < view->subviews().size(); ++i) Paint(view->subviews()[i], t, true);
}

void WmWindow::Display() {
  if (!m_content) return;
  const int w = static_cast<int>(m_frame.width), h = static_cast<int>(m_frame.height);
  const bool resized = w != m_pixelWidth || h != m_pixelHeight;
  if (!resized && !TreeNeedsDisplay(m_content)) return;
  DisplayAll();
}

void WmWindow::DisplayAll() {
  if (!m_content) return;
  const int w = std::max(0, static_cast<int>(m_frame.width)),
            h = std::max(0, static_cast<int>(m_frame.height));
  if (w != m_pixelWidth || h != m_pixelHeight) {
    m_pixelWidth = w;
    m_pixelHeight = h;
    m_pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  }
  ++displayCount;
  if (w > 0 && h > 0) {
    WmView::PaintTarget t{m_pixels.data(), w, w, h, 0, 0, 0, 0, w, h};
    Paint(m_content, t, true);
  }
  ClearTree(m_content);
}

void WmWindow::Flush() {
  if (m_presenter && m_visible) m_presenter->Put();
}

void WmWindow::SendMouseEvent(const WmMouseEvent& event) {
  if (!m_content) return;
  const WmMouseEvent* before = WmApplication::Shared().m_currentMouseEvent;
  WmApplication::Shared().m_currentMouseEvent = &event;
  WmView* hit = m_content->HitTest(event.location);
  // A press outside the field editor ends its editing.
  const bool press = event.kind == kWmLeftDown || event.kind == kWmRightDown || event.kind == kWmOtherDown;
  if (WmFieldEditor* editor = WmCurrentFieldEditor(this);
      press && editor && !(hit && hit->IsDescendantOf(editor))) {
    editor->End(WmTextEditingClient::kEndedElsewhere);
    if (hit && !WmIsLive(hit)) hit = nullptr;
  }
  if (hit) hit->MouseEvent(event);
  WmApplication::Shared().m_currentMouseEvent = before;
}

void WmWindow::SendKeyEvent(const WmKeyEvent& event) {
  WmView* target = firstResponder();
  if (!target) target = m_content;
  if (target) target->KeyEvent(event);
}

// ---- WmMenu --------------------------------------------------------------------------

void WmMenuRelease::operator()(WmMenu* menu) const { menu->Release(); }

WmSubmenuRef::WmSubmenuRef(const WmSubmenuRef& other) : unique_ptr(other ? other->Copy() : nullptr) {}

// A vector of items moves them when it grows: a copy would give every
// submenu a new identity.
static_assert(std::is_nothrow_move_constructible<WmMenuItem>::value, "menu items move without throwing");

WmMenu* WmMenu::Create(const std::string& title) {
  WmMenu* menu = new WmMenu;
  menu->title = title;
  return menu;
}

void WmMenu::Release() {
  if (--m_refs <= 0) delete this;
}

WmMenu* WmMenu::Copy() const {
  WmMenu* copy = Create(title);
  copy->autoenablesItems = autoenablesItems;
  for (const WmMenuItem& item : items) copy->items.push_back(item);
  return copy;
}

// ---- WmTimer ---------------------------------------------------------------------------

WmTimer::WmTimer(uint32_t intervalMs, std::function<void(WmTimer*)> fire)
    : m_interval(intervalMs ? intervalMs : 1),
      m_start(WmApplication::Shared().Now()),
      m_fire(std::move(fire)) {}

void WmTimer::Invalidate() { m_valid = false; }

// ---- WmApplication -----------------------------------------------------------------------

struct WmApplication::ModalSession {
  WmWindow* window;
  int result = kWmRunContinues;
  int steps = 0;
};

WmApplication& WmApplication::Shared() {
  static WmApplication* app = new WmApplication;
  return *app;
}

uint32_t WmApplication::Now() const { return clock ? clock() : MonotonicTicks(); }

WmWindow* WmApplication::WindowWithNumber(int number) const {
  for (WmWindow* w : m_windows)
    if (w->m_number == number) return w;
  return nullptr;
}

void WmApplication::SetMainMenu(WmMenu* menu) {
  if (menu == m_mainMenu) return;
  if (menu) menu->Retain();
  if (m_mainMenu) m_mainMenu->Release();
  m_mainMenu = menu;
}

void WmApplication::Add(WmWindow* window) { m_windows.push_back(window); }

void WmApplication::Remove(WmWindow* window) {
  m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), window), m_windows.end());
  if (m_key == window) m_key = nullptr;
  if (m_main == window) m_main = nullptr;
  for (ModalSession* session : m_sessions)
    if (session->window == window && session->result == kWmRunContinues) session->result = kWmRunAborted;
}

void WmApplication::BringToFront(WmWindow* window) {
  auto it = std::find(m_windows.begin(), m_windows.end(), window);
  if (it == m_windows.end()) return;
  m_windows.erase(it);
  m_windows.insert(m_windows.begin(), window);
  for (WmWindow* child : window->m_children)
    if (child->m_visible) BringToFront(child);
}

void WmApplication::SetKey(WmWindow* window) {
  if (window == m_key) return;
  WmWindow* old = m_key;
  m_key = window;
  if (old) old->ResignKeyWindow();
  if (window) {
    m_main = window;
    window->BecomeKeyWindow();
  }
}

WmApplication::ModalSession* WmApplication::BeginModalSession(WmWindow* window) {
  if (!window) return nullptr;
  auto* session = new ModalSession{window};
  m_sessions.push_back(session);
  window->MakeKeyAndOrderFront();
  return session;
}

int WmApplication::RunModalSession(ModalSession* session) {
  if (!session) return kWmRunAborted;
  if (session->result != kWmRunContinues) return session->result;
  Step(0);
  if (session->result == kWmRunContinues && modalHook) modalHook(session->window);
  if (session->result == kWmRunContinues && ++session->steps >= maxModalSteps)
    session->result = kWmRunAborted;
  return session->result;
}

void WmApplication::EndModalSession(ModalSession* session) {
  if (!session) return;
  m_sessions.erase(std::remove(m_sessions.begin(), m_sessions.end(), session), m_sessions.end());
  delete session;
}

int WmApplication::RunModalForWindow(WmWindow* window) {
  ModalSession* session = BeginModalSession(window);
  if (!session) return kWmRunAborted;
  int result;
  while ((result = RunModalSession(session)) == kWmRunContinues) {
  }
  EndModalSession(session);
  return result;
}

void WmApplication::StopModal() {
  if (!m_sessions.empty() && m_sessions.back()->result == kWmRunContinues)
    m_sessions.back()->result = kWmRunStopped;
}

void WmApplication::AbortModal() {
  if (!m_sessions.empty() && m_sessions.back()->result == kWmRunContinues)
    m_sessions.back()->result = kWmRunAborted;
}

WmWindow* WmApplication::modalWindow() const {
  for (auto it = m_sessions.rbegin(); it != m_sessions.rend(); ++it)
    if ((*it)->result == kWmRunContinues) return (*it)->window;
  return nullptr;
}

void WmApplication::DeliverMouseEvent(const WmMouseEvent& event) {
  const WmMouseEvent* before = m_currentMouseEvent;
  m_currentMouseEvent = &event;
  if (!(mouseEventFilter && mouseEventFilter(event)) && WmIsLive(event.window))
    event.window->SendMouseEvent(event);
  m_currentMouseEvent = before;
}

void WmApplication::AddTimer(WmTimer* timer) { m_timers.emplace_back(timer); }

void WmApplication::FireDueTimers() {
  ++m_firingDepth;
  const uint32_t now = Now();
  std::vector<WmTimer*> due;
  for (auto& timer : m_timers)
    if (timer->m_valid && static_cast<uint32_t>(now - timer->m_start) >= timer->m_interval)
      due.push_back(timer.get());
  for (WmTimer* timer : due) {
    if (!timer->m_valid) continue;
    timer->m_start = now;
    timer->m_fire(timer);
  }
  if (--m_firingDepth == 0)
    m_timers.erase(std::remove_if(m_timers.begin(), m_timers.end(),
                                  [](const std::unique_ptr<WmTimer>& t) { return !t->m_valid; }),
                   m_timers.end());
}

void WmApplication::Step(int waitMs) {
  bool waited = false;
  std::vector<WmWindow*> shown;
  for (WmWindow* w : m_windows)
    if (w->m_presenter) shown.push_back(w);
  for (WmWindow* w : shown) {
    if (!WmIsLive(w) || !w->m_presenter) continue;
    w->m_presenter->Pump(waited ? 0 : waitMs);
    waited = true;
  }
  if (!waited && waitMs > 0 && !clock) {
    timespec pause{waitMs / 1000, (waitMs % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
  }
  FireDueTimers();
  if (stepHook) stepHook();
  for (WmWindow* w : std::vector<WmWindow*>(m_windows))
    if (WmIsLive(w) && w->m_visible && w->ViewsNeedDisplay()) {
      w->Display();
      w->Flush();
    }
  if (m_firingDepth == 0 && m_sessions.empty()) DrainPool();
}

void WmApplication::RunLoop(uint32_t milliseconds) {
  const uint32_t start = Now();
  do {
    const uint32_t elapsed = Now() - start;
    if (elapsed >= milliseconds) {
      Step(0);
      break;
    }
    Step(static_cast<int>(std::min<uint32_t>(milliseconds - elapsed, 5)));
  } while (!clock);
}

void WmApplication::Autorelease(WmObject* object) {
  if (!object) return;
  if (auto* view = dynamic_cast<WmView*>(object)) view->ReleaseTree();
  Unregister(object);
  if (std::find(m_pool.begin(), m_pool.end(), object) == m_pool.end()) m_pool.push_back(object);
}

void WmApplication::DrainPool() {
  while (!m_pool.empty()) {
    std::vector<WmObject*> pool;
    pool.swap(m_pool);
    for (WmObject* object : pool) delete object;
  }
}

void WmApplication::Reset() {
  for (ModalSession* session : m_sessions) delete session;
  m_sessions.clear();
  while (!m_windows.empty()) m_windows.back()->Close();
  m_timers.clear();
  SetMainMenu(nullptr);
  m_key = m_main = nullptr;
  DrainPool();
  modalHook = nullptr;
  popupMenuHook = nullptr;
  stepHook = nullptr;
  mouseEventFilter = nullptr;
  dragHook = nullptr;
  clock = nullptr;
  currentCursor = nullptr;
  cursorHidden = false;
  pressedMouseButtons = 0;
  modifierFlags = 0;
}
