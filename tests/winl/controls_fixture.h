// A fixture for the control tests: a top-level window whose content view (a
// flipped window view of the layer) records the notifications and commands
// its controls send, copied while the record is alive.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KIT/winl/winl-controls-view.h"
#include "KIT/winl/winl-creators.h"
#include "wnd_fixture.h"

struct Notice {
  unsigned int msg;
  int code;  // WM_NOTIFY: the record's code; WM_COMMAND: the high word
  int id;    // WM_NOTIFY: idFrom; WM_COMMAND: the low word
  int item, subItem;
  long lParam;  // NMLISTVIEW lParam, or the message's lParam
  unsigned long wParam;
  POINT pt;
};

inline std::vector<Notice>& Notices() {
  static std::vector<Notice> notices;
  return notices;
}
// What the parent answers to NM_RCLICK.
inline long& RightClickAnswer() {
  static long answer = 0;
  return answer;
}

inline long NoticeProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_NOTIFY && lParam) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    Notice n{msg, hdr->code, static_cast<int>(hdr->idFrom), -100, -100, 0, wParam, POINT{0, 0}};
    // List views and double clicks send whole list records; the rest a
    // header or another record.
    if ((dynamic_cast<Winl_vVivivI_listview*>(hdr->hwndFrom) && hdr->code != LVN_GETDISPINFO) ||
        hdr->code == NM_DBLCLK) {
      const auto* lv = reinterpret_cast<const NMLISTVIEW*>(lParam);
      n.item = lv->iItem;
      n.subItem = lv->iSubItem;
      n.lParam = lv->lParam;
      n.pt = lv->ptAction;
    }
    Notices().push_back(n);
    return hdr->code == NM_RCLICK ? RightClickAnswer() : 0;
  }
  if (msg == WM_COMMAND || msg == WM_CONTEXTMENU || msg == 0x114 || msg == WM_LBUTTONUP ||
      msg == WM_MOUSEMOVE || msg == WM_DRAWITEM)
    Notices().push_back(Notice{msg, msg == WM_COMMAND ? static_cast<int>((wParam >> 16) & 0xFFFF) : 0,
                               static_cast<int>(wParam & 0xFFFF), -100, -100, lParam, wParam, POINT{0, 0}});
  return LoggingProc(hwnd, msg, wParam, lParam);
}

class ControlTest : public WndTest {
 protected:
  void SetUp() override {
    WndTest::SetUp();
    Notices().clear();
    RightClickAnswer() = 0;
    auto* window = new Winl_vVivivI_modelesswindow(WmRect{100, 100, 400, 300}, 15);
    m_content = WINL_CreateWindowView(nullptr, window, reinterpret_cast<DLGPROC>(NoticeProc), 0);
    m_window = window;
    WINL_MakeSetCurParms(1, 1, 0, 0, m_content, false, false);
  }
  void TearDown() override {
    Notices().clear();
    WndTest::TearDown();
  }
  int CountNotices(unsigned int msg, int code) const {
    int n = 0;
    for (const Notice& notice : Notices())
      if (notice.msg == msg && notice.code == code) ++n;
    return n;
  }
  // A mouse event at p in view's own coordinates.
  static WmMouseEvent At(WmView* view, int kind, WmPoint p, uint32_t modifiers = 0, int clicks = 1) {
    WmMouseEvent e;
    e.kind = kind;
    e.window = view->window();
    e.location = view->ConvertTo(p, nullptr);
    e.screen = e.window ? e.window->BaseToScreen(e.location) : e.location;
    e.modifiers = modifiers;
    e.clickCount = clicks;
    return e;
  }

  HWND m_content = nullptr;
  WmWindow* m_window = nullptr;
};
