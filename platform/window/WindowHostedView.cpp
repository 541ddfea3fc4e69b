#include "platform/window/WindowHostedView.h"

#include <algorithm>
#include <vector>

#include "platform/view/ViewPane.h"
#include "platform/window/WindowPresenter.h"
#include "platform/window/WindowXConnection.h"

// Xlib last: its macros would clash with the names above.
#include <X11/Xlib.h>

namespace {
const uint32_t kTickMs = 10;
const uint32_t kHeadlessFrameMs = 40;  // how often a headless pane's frame is painted again
}  // namespace

WmHostedView::WmHostedView(const WmRect& frame, ViewPane* pane, std::function<void()> release)
    : WmView(frame), m_pane(pane), m_release(std::move(release)) {
  SetFlipped(true);
  // The pane gets its place at once: a holder window of ours on a display
  // (shown inside the view's window later), nothing on a headless one.
  Display* d = pane->IsHeadless() ? nullptr : WmXConnection::Acquire();
  if (d) {
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    m_holder = XCreateWindow(d, DefaultRootWindow(d), 0, 0, static_cast<unsigned>(std::max(1, pane->Width())),
                             static_cast<unsigned>(std::max(1, pane->Height())), 0, CopyFromParent,
                             InputOutput, CopyFromParent, CWBackPixmap, &attributes);
    XSync(d, False);
  }
  m_pane->AddToParent(m_holder);
  m_timer = new WmTimer(kTickMs, [this](WmTimer*) { Tick(); });
  WmApplication::Shared().AddTimer(m_timer);
}

WmHostedView::~WmHostedView() {
  m_timer->Invalidate();
  m_pane->RemoveFromParent();
  DropHolder();
  if (m_release) m_release();
}

void WmHostedView::DropHolder() {
  if (!m_holder) return;
  Display* d = WmXConnection::Current();
  XDestroyWindow(d, m_holder);
  XFlush(d);
  m_holder = 0;
  WmXConnection::Release();
}

void WmHostedView::Tick() {
  if (!WmIsLive(this)) return;
  m_pane->RunPending();
  if (m_pane->IsHeadless()) {
    const uint32_t now = WmApplication::Shared().Now();
    if (now - m_lastFrame >= kHeadlessFrameMs) {
      m_lastFrame = now;
      SetNeedsDisplay(true);
    }
    return;
  }
  Place();
}

void WmHostedView::Place() {
  Display* d = WmXConnection::Current();
  if (!m_holder || !d) return;
  WmWindow* win = window();
  WmPresenter* presenter = win ? win->presenter() : nullptr;
  const unsigned long parent = presenter ? presenter->NativeWindow() : 0;
  const bool shown = parent && win->IsVisible() && !IsHiddenOrHasHiddenAncestor();
  // The view's top left corner in the window's pixels (top down).
  const WmPoint base = ConvertTo(WmPoint{0, 0}, nullptr);
  const int x = static_cast<int>(base.x);
  const int y = win ? static_cast<int>(win->frame().height - base.y) : 0;
  const int w = std::max(1, static_cast<int>(frame().width)),
            h = std::max(1, static_cast<int>(frame().height));
  const unsigned long mark = WmXConnection::Mark();
  if (parent && parent != m_holderParent) {
    XReparentWindow(d, m_holder, parent, x, y);
    m_holderParent = parent;
    m_x = x, m_y = y;
  }
  if (x != m_x || y != m_y || w != m_w || h != m_h) {
    XMoveResizeWindow(d, m_holder, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
    m_x = x, m_y = y, m_w = w, m_h = h;
  }
  if (shown != m_shown) {
    if (shown)
      XMapRaised(d, m_holder);
    else
      XUnmapWindow(d, m_holder);
    m_shown = shown;
  }
  // A presenter window that went away takes the holder with it: start over.
  if (WmXConnection::FailedSince(mark)) m_holderParent = 0;
}

void WmHostedView::Draw(const PaintTarget& t, const WmRect&) {
  // On a display the pane shows itself in its holder; headless, its frame
  // is painted here.
  if (!m_pane->IsHeadless()) return;
  const int w = m_pane->Width(), h = m_pane->Height();
  if (w <= 0 || h <= 0) return;
  std::vector<uint32_t> frame(static_cast<size_t>(w) * static_cast<size_t>(h));
  if (!m_pane->ReadWindow(frame.data(), w)) return;
  for (int y = std::max(0, t.clipT - t.originY); y < h && t.originY + y < t.clipB; ++y)
    for (int x = std::max(0, t.clipL - t.originX); x < w && t.originX + x < t.clipR; ++x)
      t.pixels[static_cast<size_t>(t.originY + y) * static_cast<size_t>(t.rowSpan) +
               static_cast<size_t>(t.originX + x)] = frame[static_cast<size_t>(y) * w + x];
}
