// Shows a model window on a display. A window ordered front gets one from
// the application's presenter factory; the application polls it for input
// in each run-loop step. XlibPresenter puts a window on the X display
// through the view layer's Xlib back end.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/window/WindowDrag.h"
#include "platform/window/WindowModel.h"

struct WmPresenter {
  virtual ~WmPresenter() = default;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // The window's frame or title changed.
  virtual void Update() = 0;
  // Puts the window's pixels on the display.
  virtual void Put() = 0;
  // Turns pending display input into model events delivered to the window;
  // waits up to waitMs for the first. False when the connection broke.
  virtual bool Pump(int waitMs) = 0;
  // Reads the shown pixels back (pixel words); false when unreadable.
  virtual bool Read(uint32_t* pixels, int width, int height) = 0;
  // The display's window id (0 headless).
  virtual unsigned long NativeWindow() = 0;
  // Shows a popup menu with its top left at a screen point and lets the
  // user walk it; true and the menu (or submenu) and entry chosen, false
  // when it was dismissed. A presenter without menus dismisses it.
  virtual bool PopupMenu(WmMenu* menu, WmPoint screen, WmMenu** chosenMenu, int* chosenIndex) {
    (void)menu, (void)screen, (void)chosenMenu, (void)chosenIndex;
    return false;
  }
  // Runs a drag that starts in the window until the mouse button is up;
  // true when a target took the drop. A presenter without drags drops
  // nothing.
  virtual bool RunDrag(const WmDragSource& source) {
    (void)source;
    return false;
  }
};

// The click count of a display's presses, by the view layer's rules: a
// press of the same button as the last, within its double-click time and
// distance, counts on; any other press counts 1. The count stays with the
// drags and the release that follow the press.
class WmClickCounter {
 public:
  // time: the display's milliseconds (they wrap).
  int Press(int button, uint32_t time, int x, int y);
  int Count() const { return m_count; }

 private:
  int m_button = 0, m_count = 0;
  uint32_t m_time = 0;
  int m_x = 0, m_y = 0;
};

// A presenter factory for the X display the environment names; null when
// none can be opened. Install it as WmApplication::presenterFactory.
bool WmXlibAvailable();
std::unique_ptr<WmPresenter> WmMakeXlibPresenter(WmWindow* window);
