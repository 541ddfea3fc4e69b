// A view of the window model that shows a plug-in's editor view: the pane a
// plug-in's view factory hands out (ViewPane.h), placed where the model
// view is.
//
// - On a display the pane's X window goes into a holder window of the
//   model's own X connection, a child of the presenter's window at the
//   view's place; the holder follows the view (moved, resized, hidden) and
//   is made once the view's window is on the display.
// - A headless pane's frames are painted into the window's surface.
// - A repeating timer of the model (every 10 ms) runs the pane's events and
//   redraw timer, as a host's loop would.
// - Freed, the view takes the pane out of its place (after which the pane is
//   inert and frees itself) and calls its release hook (the plug-in's code
//   may go only after that).
#pragma once

#include <functional>

#include "platform/window/WindowModel.h"

class ViewPane;

class WmHostedView : public WmView {
 public:
  // frame: the view's frame in its superview; release runs once the pane
  // left (may be null).
  WmHostedView(const WmRect& frame, ViewPane* pane, std::function<void()> release);
  ~WmHostedView() override;
  ViewPane* pane() const { return m_pane; }
  // The holder window on the display (0 while there is none).
  unsigned long holderWindow() const { return m_holder; }

  void Draw(const PaintTarget& target, const WmRect& rect) override;
  bool IsOpaque() const override { return true; }
  bool AccessibilityIsIgnored() override { return false; }
  const char* ClassName() const override { return "NSView"; }

 private:
  // Runs the pane and keeps its place on the display up to date.
  void Tick();
  void Place();
  void DropHolder();

  ViewPane* m_pane;
  std::function<void()> m_release;
  WmTimer* m_timer = nullptr;
  unsigned long m_holder = 0, m_holderParent = 0;
  int m_x = 0, m_y = 0, m_w = 0, m_h = 0;
  bool m_shown = false;
  bool m_placed = false;  // the pane was handed its place
  uint32_t m_lastFrame = 0;
};
