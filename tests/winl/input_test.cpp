// Input and notification translation of the window view class: hit
// testing and non-client twins, right-click emulation, wheels, gestures,
// keys and the notifications of controls, headless.
#include <cstring>
#include <vector>

#include "KIT/winl/winl-kb.h"
#include "KIT/winl/winl-wnd-input.h"
#include "controls_fixture.h"

namespace {

// A procedure that answers WM_NCHITTEST with g_hit and logs the rest.
long g_hit = HTCLIENT;
long HitProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_NCHITTEST) return g_hit;
  if (msg == WM_KEYDOWN) {
    LoggingProc(hwnd, msg, wParam, lParam);
    return wParam == 'A' ? 69 : 1;
  }
  return LoggingProc(hwnd, msg, wParam, lParam);
}

std::vector<WINL_GestureRecord>& Gestures() {
  static std::vector<WINL_GestureRecord> records;
  return records;
}
std::vector<unsigned long>& GestureWParams() {
  static std::vector<unsigned long> params;
  return params;
}
long GestureProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_GESTURE) {
    GESTUREINFO info;
    EXPECT_TRUE(WINL_GetGestureInfo(lParam, &info));
    WINL_GestureRecord record;
    memcpy(&record, &info, sizeof record);
    Gestures().push_back(record);
    GestureWParams().push_back(wParam);
    return 0;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

class InputTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    g_hit = HTCLIENT;
    Gestures().clear();
    GestureWParams().clear();
    ShowWindow(m_content, 2);
    m_view = MakeView(m_content, HitProc);
    ShowWindow(m_view, 1);
    Log().clear();
  }
  void TearDown() override {
    WINL_EnableRightClickEmulate(false);
    ControlTest::TearDown();
  }
  // Sends an event at the view's point p, with the mouse there.
  void Mouse(int kind, WmPoint p, uint32_t modifiers = 0, int clicks = 1) {
    WmMouseEvent e = At(WINL_AsView(m_view), kind, p, modifiers, clicks);
    WmApplication::Shared().mouseLocation = e.screen;
    WINL_AsView(m_view)->MouseEvent(e);
  }
  std::vector<unsigned> Messages() const {
    std::vector<unsigned> out;
    for (const LoggedMessage& m : Log())
      if (m.hwnd == m_view && m.msg != WM_NCHITTEST && m.msg != WM_SETCURSOR) out.push_back(m.msg);
    return out;
  }
  HWND m_view = nullptr;
};

TEST_F(InputTest, ButtonsByHitTestAndEmulation) {
  const struct {
    const char* why;
    long hit;
    bool emulate;
    int kind;
    uint32_t modifiers;
    int clicks;
    std::vector<unsigned> messages;
  } kCases[] = {
      {"client press", HTCLIENT, false, kWmLeftDown, 0, 1, {WM_LBUTTONDOWN}},
      {"double click", HTCLIENT, false, kWmLeftDown, 0, 2, {WM_LBUTTONDBLCLK}},
      {"caption press", HTCAPTION, false, kWmLeftDown, 0, 1, {WM_NCLBUTTONDOWN}},
      {"caption release", HTCAPTION, false, kWmLeftUp, 0, 1, {0xA2}},
      {"control without emulation stays left", HTCLIENT, false, kWmLeftDown, kWmControl, 1, {WM_LBUTTONDOWN}},
      {"control-click emulates the right button",
       HTCLIENT,
       true,
       kWmLeftDown,
       kWmControl,
       1,
       {WM_RBUTTONDOWN}},
      {"middle button", HTCLIENT, false, kWmOtherDown, 0, 1, {WM_MBUTTONDOWN}},
      {"move", HTCLIENT, false, kWmMoved, 0, 1, {WM_MOUSEMOVE}},
      {"drag", HTCLIENT, false, kWmLeftDragged, 0, 1, {WM_MOUSEMOVE}},
  };
  for (const auto& c : kCases) {
    Log().clear();
    g_hit = c.hit;
    WINL_EnableRightClickEmulate(c.emulate);
    Mouse(c.kind, WmPoint{10, 20}, c.modifiers, c.clicks);
    EXPECT_EQ(Messages(), c.messages) << c.why;
  }
  // A caption press: hit-test result in wParam, the screen point in lParam.
  g_hit = HTCAPTION;
  Log().clear();
  Mouse(kWmLeftDown, WmPoint{10, 20});
  ASSERT_FALSE(Log().empty());
  const LoggedMessage& nc = Log().back();
  EXPECT_EQ(nc.msg, static_cast<unsigned>(WM_NCLBUTTONDOWN));
  EXPECT_EQ(nc.wParam, 2u);
  EXPECT_EQ(nc.lParam, GetMessagePos());
}

TEST_F(InputTest, AnEmulatedRightPressEndsAsARightRelease) {
  WINL_EnableRightClickEmulate(true);
  Mouse(kWmLeftDown, WmPoint{5, 5}, kWmControl);
  EXPECT_EQ(WINL_AsLayerView(m_view)->m_isfakerightmouse, 1);
  Mouse(kWmLeftUp, WmPoint{5, 5});
  EXPECT_EQ(Messages(), (std::vector<unsigned>{WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU}))
      << "the default procedure turns the release into a context-menu request";
  EXPECT_EQ(WINL_AsLayerView(m_view)->m_isfakerightmouse, 0);
}

TEST_F(InputTest, ClientMessagesCarryThePointAndACursorRequestFollowsReleases) {
  Mouse(kWmLeftDown, WmPoint{10.7, 20.2});
  Mouse(kWmLeftUp, WmPoint{10.7, 20.2});
  ASSERT_EQ(Count(m_view, WM_LBUTTONDOWN), 1);
  for (const LoggedMessage& m : Log())
    if (m.msg == WM_LBUTTONDOWN) {
      EXPECT_EQ(m.wParam, 0u);
      EXPECT_EQ(m.lParam, (20L << 16) | 10) << "floored view coordinates, y high";
    }
  EXPECT_EQ(Count(m_view, WM_SETCURSOR), 1) << "after the release, not after the press";
}

TEST_F(InputTest, DisabledViewsIgnoreLeftButtonsButNotRightPresses) {
  EnableWindow(m_view, 0);
  Log().clear();
  Mouse(kWmLeftDown, WmPoint{5, 5});
  Mouse(kWmMoved, WmPoint{6, 6});
  Mouse(kWmRightDown, WmPoint{5, 5});
  EXPECT_EQ(Messages(), std::vector<unsigned>{WM_RBUTTONDOWN});
}

TEST_F(InputTest, WheelsCarryTheDeltaTimesSixtyInTheHighWord) {
  WmMouseEvent e = At(WINL_AsView(m_view), kWmScrollWheel, WmPoint{5, 5});
  e.deltaY = -1.5;
  e.deltaX = 2;
  WINL_AsView(m_view)->MouseEvent(e);
  std::vector<LoggedMessage> wheels;
  for (const LoggedMessage& m : Log())
    if (m.hwnd == m_view && (m.msg == WM_MOUSEWHEEL || m.msg == WM_MOUSEHWHEEL)) wheels.push_back(m);
  ASSERT_EQ(wheels.size(), 2u);
  EXPECT_EQ(wheels[0].msg, static_cast<unsigned>(WM_MOUSEWHEEL));
  EXPECT_EQ(static_cast<int16_t>(wheels[0].wParam >> 16), -90);
  EXPECT_EQ(wheels[1].msg, static_cast<unsigned>(WM_MOUSEHWHEEL));
  EXPECT_EQ(static_cast<int16_t>(wheels[1].wParam >> 16), 120);
}

TEST_F(InputTest, GestureArguments) {
  SetWindowLong(m_view, GWL_WNDPROC, reinterpret_cast<long>(GestureProc));
  const struct {
    const char* why;
    int kind;
    double value;
    uint32_t id;
    uint64_t begin, end;
  } kCases[] = {
      {"a tiny pinch still moves", kWmMagnify, 0.0001, GID_ZOOM, 1024, 1025},
      {"a tiny pinch inwards", kWmMagnify, -0.0001, GID_ZOOM, 1024, 1023},
      {"half again", kWmMagnify, 0.5, GID_ZOOM, 1024, 1536},
      {"a large pinch is capped", kWmMagnify, 5.0, GID_ZOOM, 1024, 2048},
      {"a large pinch inwards is capped", kWmMagnify, -5.0, GID_ZOOM, 1024, 512},
      {"no rotation is a tiny one", kWmRotate, 0.0, GID_ROTATE, 0, 32768},
      {"sixty degrees", kWmRotate, 60.0, GID_ROTATE, 0, 65534},
      {"beyond the top", kWmRotate, 90.0, GID_ROTATE, 0, 65535},
      {"minus thirty", kWmRotate, -30.0, GID_ROTATE, 0, 16384},
      {"beyond the bottom", kWmRotate, -90.0, GID_ROTATE, 0, 0},
  };
  for (const auto& c : kCases) {
    Gestures().clear();
    GestureWParams().clear();
    WmMouseEvent e = At(WINL_AsView(m_view), c.kind, WmPoint{5, 5});
    e.deltaZ = c.value;
    e.rotation = c.value;
    WINL_AsView(m_view)->MouseEvent(e);
    ASSERT_EQ(Gestures().size(), 2u) << c.why;
    EXPECT_EQ(Gestures()[0].dwFlags, static_cast<uint32_t>(GF_BEGIN)) << c.why;
    EXPECT_EQ(Gestures()[1].dwFlags, static_cast<uint32_t>(GF_END)) << c.why;
    EXPECT_EQ(Gestures()[0].dwID, c.id) << c.why;
    EXPECT_EQ(Gestures()[0].cbSize, 40u);
    EXPECT_EQ(Gestures()[0].ullArguments, c.begin) << c.why;
    EXPECT_EQ(Gestures()[1].ullArguments, c.end) << c.why;
    EXPECT_EQ(GestureWParams()[0], 0u) << c.why;
    EXPECT_EQ(GestureWParams()[1], c.end) << c.why;
  }
}

TEST_F(InputTest, SwipesEndOneViewSizeAway) {
  SetWindowLong(m_view, GWL_WNDPROC, reinterpret_cast<long>(GestureProc));
  const WmRect f = WINL_AsView(m_view)->frame();
  const struct {
    double dx, dy;
    int endDx, endDy;
  } kCases[] = {{-1, 0, -static_cast<int>(f.width), 0},
                {1, 0, static_cast<int>(f.width), 0},
                {0, -1, 0, static_cast<int>(f.height)},
                {0, 1, 0, -static_cast<int>(f.height)}};
  for (const auto& c : kCases) {
    Gestures().clear();
    WmMouseEvent e = At(WINL_AsView(m_view), kWmSwipe, WmPoint{5, 5});
    e.deltaX = c.dx;
    e.deltaY = c.dy;
    WINL_AsView(m_view)->MouseEvent(e);
    ASSERT_EQ(Gestures().size(), 2u);
    EXPECT_EQ(Gestures()[0].dwID, static_cast<uint32_t>(GID_PAN));
    EXPECT_EQ(Gestures()[1].x - Gestures()[0].x, c.endDx);
    EXPECT_EQ(Gestures()[1].y - Gestures()[0].y, c.endDy);
    EXPECT_EQ(Gestures()[1].ullArguments, 0u);
  }
}

TEST_F(InputTest, AKeyAnswered69GoesOnAndOthersStop) {
  // The content view sees what the child lets through.
  WmKeyEvent key;
  key.keyCode = 0;  // the A key
  key.characters = U"a";
  key.charactersIgnoringModifiers = U"a";
  WINL_AsView(m_view)->KeyEvent(key);
  EXPECT_EQ(Count(m_content, WM_KEYDOWN), 1) << "69: on to the enclosing view";
  Log().clear();
  key.keyCode = 11;  // B
  key.characters = key.charactersIgnoringModifiers = U"b";
  WINL_AsView(m_view)->KeyEvent(key);
  EXPECT_EQ(Count(m_view, WM_KEYDOWN), 1);
  EXPECT_EQ(Count(m_content, WM_KEYDOWN), 0) << "handled: ends there";
}

// ---- Control notifications ----------------------------------------------------------------------

TEST_F(InputTest, ARadioInTheMiddleUnchecksItsGroupUpToItsBounds) {
  // outside | group start, a, [clicked], b | next group start, c
  auto make = [&](int id, long style) {
    auto* b =
        dynamic_cast<Winl_vVivivI_button*>(WINL_MakeControl("r", id, "Button", style, 0, id * 12, 40, 10, 0));
    b->state = 1;
    return b;
  };
  Winl_vVivivI_button* outside = make(1, 9);
  Winl_vVivivI_button* start = make(2, 9 | 0x20000);
  Winl_vVivivI_button* before = make(3, 9);
  Winl_vVivivI_button* clicked = make(4, 9);
  Winl_vVivivI_button* after = make(5, 9);
  Winl_vVivivI_button* next = make(6, 9 | 0x20000);
  Winl_vVivivI_button* nextMember = make(7, 9);
  clicked->state = 0;
  clicked->MouseEvent(At(clicked, kWmLeftUp, WmPoint{2, 2}));
  EXPECT_EQ(clicked->state, 1);
  EXPECT_EQ(before->state, 0);
  EXPECT_EQ(start->state, 0) << "the group's start is unchecked and ends the walk";
  EXPECT_EQ(outside->state, 1);
  EXPECT_EQ(after->state, 0);
  EXPECT_EQ(next->state, 1) << "the next group's start ends the walk";
  EXPECT_EQ(nextMember->state, 1);
  ASSERT_EQ(CountNotices(WM_COMMAND, 0), 1);
  EXPECT_EQ(Notices().back().id, 4);
}

TEST_F(InputTest, ControlNotifications) {
  auto* slider = dynamic_cast<WmControl*>(WINL_MakeControl("", 50, "ZIDEDIhfader", 0, 0, 0, 100, 20, 0));
  slider->action(slider);
  EXPECT_EQ(CountNotices(0x114, 0), 1) << "a slider scrolls";
  auto* combo = dynamic_cast<WmControl*>(WINL_MakeCombo(51, 0, 30, 100, 12, 0));
  combo->action(combo);
  EXPECT_EQ(CountNotices(WM_COMMAND, 1), 1) << "a combo's command is a selection change";
  WINL_ComboWillPopUp(m_content, combo);
  EXPECT_EQ(CountNotices(WM_COMMAND, 7), 1);
  WINL_ControlTextDidChange(m_content, combo);
  EXPECT_EQ(CountNotices(WM_COMMAND, 5), 1);
  HWND field = WINL_MakeEditField(52, 0, 50, 100, 12, 0);
  WINL_ControlTextDidChange(m_content, field);
  WINL_TextDidEndEditing(m_content, field);
  WINL_TextDidEndEditing(m_content, combo);
  EXPECT_EQ(CountNotices(WM_COMMAND, 0x300), 2) << "a combo's end of editing is not reported";
  WINL_OnControlDoubleClick(m_content, field);
  EXPECT_EQ(CountNotices(WM_NOTIFY, NM_DBLCLK), 1);
  DestroyWindow(m_content);
  Notices().clear();
  WINL_OnWinlCommand(m_content, slider);
  EXPECT_TRUE(Notices().empty()) << "a destroyed owner hears nothing";
}

}  // namespace
