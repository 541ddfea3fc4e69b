// A fixture for the windowing layer on the test display: the window model
// presents its windows as real X windows, and a connection of the test's
// own sends input through the X server and reads back what it shows. Each
// test is skipped without a display.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "KIT/winl/winl-dlg.h"
#include "KIT/winl/winl-misc.h"
#include "KIT/winl/winl-wnd-view.h"
#include "platform/window/WindowPresenter.h"

// Xlib last: its macros would clash with the names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#undef ConnectionNumber

// Steps the application until done() or about five seconds passed.
template <typename Done>
bool StepUntil(Done done) {
  for (int i = 0; i < 500; ++i) {
    if (done()) return true;
    WmApplication::Shared().Step(10);
  }
  return done();
}

class XDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* name = getenv("DISPLAY");
    if (!name || !*name) GTEST_SKIP() << "no X display";
    // The shared test display now and then refuses a connection while many
    // clients use it: try a few times before giving up.
    m_display = Retry([] { return XOpenDisplay(nullptr); });
    if (!m_display) GTEST_SKIP() << "the X display cannot be opened";
    WmApplication::Shared().presenterFactory = [](WmWindow* window) {
      return Retry([window] { return WmMakeXlibPresenter(window); });
    };
    WmApplication::Shared().mouseEventFilter = WINL_HandleMouseEvent;
  }
  template <typename Open>
  static auto Retry(Open open) -> decltype(open()) {
    for (int attempt = 0;; ++attempt) {
      auto result = open();
      if (result || attempt == 50) return result;
      usleep(20000);
    }
  }
  void TearDown() override {
    WINL_ShutdownLayer();
    WmApplication::Shared().presenterFactory = nullptr;
    if (m_display) XCloseDisplay(m_display);
  }

  void Send(Window window, XEvent event) {
    event.xany.display = m_display;
    event.xany.window = window;
    XSendEvent(m_display, window, True, NoEventMask, &event);
    XFlush(m_display);
  }

  // A dialog of the record, shown, with its X window viewable.
  HWND ShowDialog(WINL_DialogResourceIndex* record, DLGPROC proc, Window* xwindow) {
    HWND dialog = WINL_CreateDialog(record, record->resid, nullptr, proc, 0);
    if (!dialog) return nullptr;
    ShowWindow(dialog, 2);
    WmWindow* window = WINL_AsView(dialog)->window();
    *xwindow = window->presenter() ? window->presenter()->NativeWindow() : 0;
    if (!*xwindow) return nullptr;
    const bool viewable = StepUntil([&] {
      XWindowAttributes attributes;
      return XGetWindowAttributes(m_display, *xwindow, &attributes) && attributes.map_state == IsViewable;
    });
    return viewable ? dialog : nullptr;
  }
  void SendKey(Window window, KeySym sym, unsigned state = 0) {
    XEvent key{};
    key.xkey.type = KeyPress;
    key.xkey.keycode = XKeysymToKeycode(m_display, sym);
    key.xkey.state = state;
    key.xkey.same_screen = True;
    Send(window, key);
  }
  // Types text (letters, digits and blanks) key by key.
  void SendText(Window window, const char* text) {
    for (const char* c = text; *c; ++c) {
      const bool upper = *c >= 'A' && *c <= 'Z';
      const KeySym sym = *c == ' ' ? XK_space : static_cast<KeySym>(upper ? *c - 'A' + 'a' : *c);
      SendKey(window, sym, upper ? ShiftMask : 0);
    }
  }
  // A press and release of button at (x, y) of the X window, at the
  // server time `time` (milliseconds); clicks close in time count on.
  void SendClick(Window window, int x, int y, uint32_t time, unsigned button = Button1) {
    XEvent press{};
    press.xbutton.type = ButtonPress;
    press.xbutton.button = button;
    press.xbutton.x = x;
    press.xbutton.y = y;
    press.xbutton.time = time;
    press.xbutton.same_screen = True;
    Send(window, press);
    XEvent release = press;
    release.xbutton.type = ButtonRelease;
    release.xbutton.state = button == Button1 ? Button1Mask : Button3Mask;
    release.xbutton.time = time + 20;
    Send(window, release);
  }
  // The X window point of p in view's own coordinates counted from its top
  // left corner (whether or not the view is flipped).
  static void WindowPoint(WmView* view, WmPoint p, int* x, int* y) {
    if (!view->IsFlipped()) p.y = view->frame().height - p.y;
    const WmPoint base = view->ConvertTo(p, nullptr);
    *x = static_cast<int>(base.x);
    *y = static_cast<int>(view->window()->frame().height - base.y);
  }

  Display* m_display = nullptr;
};
