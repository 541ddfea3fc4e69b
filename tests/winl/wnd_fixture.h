// A fixture for the windowing layer's tests: a message log that window and
// dialog procedures write to, a test clock for timers, and a clean layer
// after every test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "KIT/winl/winl-misc.h"
#include "KIT/winl/winl-wnd.h"
#include "platform/window/WindowModel.h"

struct LoggedMessage {
  HWND hwnd;
  unsigned int msg;
  unsigned long wParam;
  long lParam;
};

inline std::vector<LoggedMessage>& MessageLog() {
  static std::vector<LoggedMessage> log;
  return log;
}
// A window procedure that logs every message and passes it on.
inline long LoggingProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  MessageLog().push_back(LoggedMessage{hwnd, msg, wParam, lParam});
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

class WndTest : public ::testing::Test {
 protected:
  static std::vector<LoggedMessage>& Log() { return MessageLog(); }
  static int Count(HWND hwnd, unsigned int msg) {
    int n = 0;
    for (const LoggedMessage& m : Log())
      if (m.msg == msg && (!hwnd || m.hwnd == hwnd)) ++n;
    return n;
  }

  void SetUp() override {
    Log().clear();
    WmApplication::Shared().clock = [this] { return m_now; };
    WmApplication::Shared().screens = {
        WmApplication::Screen{WmRect{0, 0, 1920, 1080}, WmRect{0, 0, 1920, 1050}}};
  }
  void TearDown() override {
    WINL_ShutdownLayer();
    WmApplication::Shared().screens.clear();
    Log().clear();
  }
  void Advance(uint32_t ms) {
    m_now += ms;
    WmApplication::Shared().FireDueTimers();
  }

  // A view of the layer (no record: 300 x 200, flipped) in parent.
  HWND MakeView(HWND parent, WNDPROC proc = LoggingProc) {
    return WINL_CreateWindowView(nullptr, parent, reinterpret_cast<DLGPROC>(proc), 0);
  }

  uint32_t m_now = 1000;
};
