// Window handles, the window view class, the tree, capture, geometry and the
// default window procedure, headless.
#include <cstring>
#include <string>

#include "KIT/winl/winl-dlg.h"
#include "KIT/winl/winl-wnd-view.h"
#include "wnd_fixture.h"

namespace {

// A top-level window of the layer holding a layer content view.
HWND MakeTopLevel(WNDPROC proc, unsigned style = 15, WmRect frame = WmRect{100, 100, 400, 300}) {
  auto* window = new Winl_vVivivI_modelesswindow(frame, style);
  return WINL_CreateWindowView(nullptr, window, reinterpret_cast<DLGPROC>(proc), 0);
}

}  // namespace

// ---- Creation and destruction ---------------------------------------------------------

TEST_F(WndTest, ViewWithoutRecordIsFlippedOpaqueAndSeesCreateWithItsParameter) {
  HWND view = WINL_CreateWindowView(nullptr, nullptr, reinterpret_cast<DLGPROC>(LoggingProc), 1234);
  auto* layer = WINL_AsLayerView(view);
  ASSERT_NE(layer, nullptr);
  EXPECT_TRUE(layer->IsFlipped());
  EXPECT_TRUE(layer->IsOpaque());
  EXPECT_EQ(layer->frame().width, 300);
  EXPECT_EQ(layer->frame().height, 200);
  EXPECT_EQ(layer->m_isdirty, 3);
  ASSERT_EQ(Count(view, WM_CREATE), 1);
  EXPECT_EQ(Log()[0].lParam, 1234);
  EXPECT_EQ(Count(view, WM_INITDIALOG), 0);
  DestroyWindow(view);
}

TEST_F(WndTest, DestroySendsOneDestroyToEachViewAndNothingAfterwards) {
  HWND content = MakeTopLevel(LoggingProc);
  HWND child = MakeView(content);
  HWND grandchild = MakeView(child);
  SetCapture(child);
  Log().clear();
  DestroyWindow(content);
  EXPECT_EQ(Count(content, WM_DESTROY), 1) << "the second WM_DESTROY of a content view is dropped";
  EXPECT_EQ(Count(child, WM_DESTROY), 1);
  EXPECT_EQ(Count(grandchild, WM_DESTROY), 1);
  EXPECT_EQ(Count(child, WM_CAPTURECHANGED), 0) << "no capture notice while destruction runs";
  EXPECT_EQ(GetCapture(), nullptr);
  const size_t before = Log().size();
  EXPECT_EQ(SendMessage(child, 0x4000, 0, 0), 0);
  EXPECT_EQ(Log().size(), before) << "a destroyed view answers nothing";
  EXPECT_FALSE(IsWindow(content));
}

TEST_F(WndTest, DestroyingAChildViewReleasesACaptureHeldInsideIt) {
  HWND content = MakeTopLevel(LoggingProc);
  HWND child = MakeView(content);
  auto* plain = new WmView(WmRect{0, 0, 10, 10});
  WINL_AsView(child)->AddSubview(plain);
  SetCapture(plain);
  DestroyWindow(child);
  EXPECT_EQ(GetCapture(), nullptr);
}

// ---- Window words ------------------------------------------------------------------------

TEST_F(WndTest, ExtraDataIndicesAddressSlotsByByteAndRefuseOutsideRange) {
  HWND view = MakeView(nullptr);
  const struct {
    const char* why;
    int index;
    bool stored;
    int slotAlias;  // another index reading the same slot, or -100
  } kCases[] = {
      {"first slot", 0, true, 3},
      {"index 5 is slot 1", 5, true, 4},
      {"last byte index", 127, true, 124},
      {"one past the end", 128, false, -100},
      {"negative index that is no window word", -1, false, -100},
      {"negative index below the words", -100, false, -100},
  };
  for (const auto& c : kCases) {
    SetWindowLong(view, c.index, 77);
    EXPECT_EQ(GetWindowLong(view, c.index), c.stored ? 77 : 0) << c.why;
    if (c.slotAlias != -100) {
      EXPECT_EQ(GetWindowLong(view, c.slotAlias), 77) << c.why;
    }
    SetWindowLong(view, c.index, 0);
  }
  // Nothing written at a refused index shows up in a slot.
  for (int i = 0; i < 128; i += 4) EXPECT_EQ(GetWindowLong(view, i), 0) << i;
  DestroyWindow(view);
}

TEST_F(WndTest, WindowWordsReturnThePreviousValue) {
  HWND view = MakeView(nullptr);
  EXPECT_EQ(SetWindowLong(view, GWL_USERDATA, 5), 0);
  EXPECT_EQ(SetWindowLong(view, GWL_USERDATA, 6), 5);
  EXPECT_EQ(SetWindowLong(view, GWL_ID, 42), 0);
  EXPECT_EQ(GetWindowLong(view, GWL_ID), 42);
  EXPECT_EQ(SetWindowLong(view, GWL_EXSTYLE, 0x11), 0);
  EXPECT_EQ(GetWindowLong(view, GWL_EXSTYLE), 0x10) << "only the accepts-files bit is kept";
  EXPECT_EQ(GetWindowLong(nullptr, GWL_USERDATA), 0);
  int foreign = 0;
  EXPECT_EQ(GetWindowLong(reinterpret_cast<HWND>(&foreign), GWL_USERDATA), 0)
      << "a foreign pointer is not read";
  DestroyWindow(view);
}

TEST_F(WndTest, TextKeepsAtMost1023Bytes) {
  HWND view = MakeView(nullptr);
  const std::string text(2000, 'x');
  SetWindowText(view, text.c_str());
  char buffer[4096];
  EXPECT_EQ(GetWindowText(view, buffer, sizeof buffer), 1023);
  DestroyWindow(view);
}

TEST_F(WndTest, PropertiesByAtomAndByStringAreDifferent) {
  HWND view = MakeView(nullptr);
  int a = 0, b = 0;
  SetProp(view, reinterpret_cast<const char*>(5), &a);
  SetProp(view, "5", &b);
  EXPECT_EQ(GetProp(view, reinterpret_cast<const char*>(5)), &a);
  EXPECT_EQ(GetProp(view, "5"), &b);
  EXPECT_EQ(RemoveProp(view, "5"), &b);
  EXPECT_EQ(GetProp(view, "5"), nullptr);
  DestroyWindow(view);
}

// ---- SendMessage -------------------------------------------------------------------------

TEST_F(WndTest, MessagesFallBetweenAWindowAndItsContentView) {
  HWND content = MakeTopLevel(LoggingProc);
  WmWindow* window = WINL_AsView(content)->window();
  Log().clear();
  SendMessage(window, 0x4321, 1, 2);
  ASSERT_EQ(Count(content, 0x4321), 1) << "a message to a window reaches its content view";
  EXPECT_EQ(SendMessage(nullptr, 0x4321, 0, 0), 0);
}

TEST_F(WndTest, ButtonAndSliderMessagesOnPlainControls) {
  auto* button = new WmButton(WmRect{0, 0, 20, 20});
  button->kind = WmButton::kSwitch;
  auto* slider = new WmSlider(WmRect{0, 30, 100, 20});
  WmView root(WmRect{0, 0, 200, 200});
  root.AddSubview(button);
  root.AddSubview(slider);
  const struct {
    const char* why;
    WmObject* control;
    unsigned msg;
    unsigned long wParam;
    long lParam;
    long result;
  } kCases[] = {
      {"check on", button, BM_SETCHECK, 1, 0, 0},
      {"reads on", button, BM_GETCHECK, 0, 0, 1},
      {"wParam 2 sets the mixed state", button, BM_SETCHECK, 2, 0, 0},
      {"mixed reads 2", button, BM_GETCHECK, 0, 0, 2},
      {"range 0..100 from the halves", slider, TBM_SETRANGE, 0, 100 << 16, 1},
      {"position", slider, TBM_SETPOS, 0, 41, 1},
      {"position read rounded", slider, TBM_GETPOS, 0, 0, 41},
      {"ticks have no effect", slider, TBM_SETTIC, 0, 0, 1},
      {"other trackbar queries", slider, 0x401, 0, 0, 0},
      {"no fallback for an unknown message", slider, 0x7777, 0, 0, 0},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(SendMessage(c.control, c.msg, c.wParam, c.lParam), c.result) << c.why;
  EXPECT_EQ(slider->minimum, 0);
  EXPECT_EQ(slider->maximum, 100);
}

TEST_F(WndTest, ComboMessagesOnPopupButtons) {
  auto* combo = new WmPopup(WmRect{0, 0, 100, 20}, true);
  WmView root(WmRect{0, 0, 200, 200});
  root.AddSubview(combo);
  const long apple = reinterpret_cast<long>("Apple");
  const long banana = reinterpret_cast<long>("banana");
  const long cherry = reinterpret_cast<long>("Cherry");
  const struct {
    const char* why;
    unsigned msg;
    unsigned long wParam;
    long lParam;
    long result;
  } kCases[] = {
      {"add", CB_ADDSTRING, 0, apple, 0},
      {"add second", CB_ADDSTRING, 0, cherry, 1},
      {"insert at 1", CB_INSERTSTRING, 1, banana, 1},
      {"count", CB_GETCOUNT, 0, 0, 3},
      {"nothing selected", CB_GETCURSEL, 0, 0, -1},
      {"select 2", CB_SETCURSEL, 2, 0, 0},
      {"selection", CB_GETCURSEL, 0, 0, 2},
      {"index equal to the count changes nothing", CB_SETCURSEL, 3, 0, 0},
      {"still 2", CB_GETCURSEL, 0, 0, 2},
      {"negative index changes nothing", CB_SETCURSEL, static_cast<unsigned long>(-1), 0, 0},
      {"find prefix, any case", CB_FINDSTRING, static_cast<unsigned long>(-1), reinterpret_cast<long>("BAN"),
       1},
      {"exact needs the whole text", CB_FINDSTRINGEXACT, static_cast<unsigned long>(-1),
       reinterpret_cast<long>("BAN"), -1},
      {"null text finds nothing", CB_FINDSTRING, 0, 0, -1},
      {"item data", CB_SETITEMDATA, 0, 99, 0},
      {"item data read", CB_GETITEMDATA, 0, 0, 99},
      {"delete", CB_DELETESTRING, 0, 0, 1},
      {"count after delete", CB_GETCOUNT, 0, 0, 2},
      {"selection follows the delete", CB_GETCURSEL, 0, 0, 1},
      {"reset", CB_RESETCONTENT, 0, 0, 0},
      {"empty", CB_GETCOUNT, 0, 0, 0},
  };
  for (const auto& c : kCases) EXPECT_EQ(SendMessage(combo, c.msg, c.wParam, c.lParam), c.result) << c.why;
}

TEST_F(WndTest, SelectionMessagesActOnlyWhileTheFieldIsEdited) {
  HWND content = MakeTopLevel(LoggingProc);
  ShowWindow(content, 2);
  WmWindow* window = WINL_AsView(content)->window();
  auto* field = new WmTextField(WmRect{10, 10, 100, 20});
  WINL_AsView(content)->AddSubview(field);
  auto* clip = new WmView(WmRect{0, 0, 100, 20});
  auto* editor = new WmTextView(WmRect{0, 0, 100, 20});
  editor->text = "hello world";
  field->AddSubview(clip);
  clip->AddSubview(editor);
  int32_t start = -5, end = -5;
  SendMessage(field, EM_SETSEL, 2, 4);
  SendMessage(field, EM_GETSEL, reinterpret_cast<unsigned long>(&start), reinterpret_cast<long>(&end));
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 0);
  EXPECT_EQ(editor->selectionLength, 0u) << "not edited: nothing selected";
  window->MakeFirstResponder(editor);
  SendMessage(field, EM_SETSEL, 2, -1);
  SendMessage(field, EM_GETSEL, reinterpret_cast<unsigned long>(&start), reinterpret_cast<long>(&end));
  EXPECT_EQ(start, 2);
  EXPECT_EQ(end, 11) << "end -1 is the text length";
  SendMessage(field, EM_SETSEL, 3, 500);
  SendMessage(field, EM_GETSEL, reinterpret_cast<unsigned long>(&start), reinterpret_cast<long>(&end));
  EXPECT_EQ(end, 11) << "clamped to the text";
  EXPECT_EQ(static_cast<uint32_t>(GetWindowLong(editor, GWL_USERDATA)), 0xDEADF00Bu);
  EXPECT_EQ(GetFocus(), field) << "the field editor stands for its field";
}

TEST_F(WndTest, ComputedStyles) {
  HWND content = MakeTopLevel(LoggingProc, kWmTitled | kWmResizable);
  HWND child = MakeView(content);
  auto* box = new WmButton(WmRect{0, 0, 10, 10});
  box->kind = WmButton::kSwitch;
  box->allowsMixedState = true;
  WINL_AsView(content)->AddSubview(box);
  EXPECT_EQ(GetWindowLong(content, GWL_STYLE), WS_CAPTION | WS_THICKFRAME);
  EXPECT_EQ(GetWindowLong(child, GWL_STYLE), WS_CHILD);
  EXPECT_EQ(GetWindowLong(box, GWL_STYLE), WS_CHILD | 6);
  SetWindowLong(box, GWL_STYLE, 9);
  EXPECT_EQ(GetWindowLong(box, GWL_STYLE), WS_CHILD | 9);
  // Same caption and frame bits: nothing changes, result 0.
  WmWindow* window = WINL_AsView(content)->window();
  EXPECT_EQ(SetWindowLong(content, GWL_STYLE, WS_CAPTION | WS_THICKFRAME), 0);
  EXPECT_EQ(WINL_AsView(content)->window(), window);
  SetWindowLong(content, GWL_STYLE, WS_CAPTION);
  EXPECT_EQ(GetWindowLong(content, GWL_STYLE), WS_CAPTION);
  EXPECT_EQ(WINL_AsView(content)->window(), window) << "the content stays in its window";
}

// ---- Tree --------------------------------------------------------------------------------

TEST_F(WndTest, GetWindowEdges) {
  HWND content = MakeTopLevel(LoggingProc);
  HWND a = MakeView(content), b = MakeView(content), c = MakeView(content);
  const struct {
    const char* why;
    HWND hwnd;
    int relation;
    HWND expected;
  } kCases[] = {
      {"first sibling", b, 0, a},
      {"last sibling", a, 1, c},
      {"next", a, 2, b},
      {"next of the last", c, 2, nullptr},
      {"previous of the first", a, 3, nullptr},
      {"owner of a child is its parent", b, 4, content},
      {"first child", content, 5, a},
      {"no child", a, 5, nullptr},
      {"content view is its own first", content, 0, content},
      {"content view is its own last", content, 1, content},
      {"content view has no next", content, 2, nullptr},
      {"unknown relation", a, 9, nullptr},
      {"null handle", nullptr, 0, nullptr},
  };
  for (const auto& k : kCases) EXPECT_EQ(GetWindow(k.hwnd, k.relation), k.expected) << k.why;
  EXPECT_EQ(GetParent(content), nullptr) << "no parent window and no owner";
  EXPECT_EQ(GetParent(b), content);
  EXPECT_TRUE(IsChild(content, b));
  EXPECT_FALSE(IsChild(b, content));
}

namespace {
std::vector<HWND> g_visited;
HWND g_stopAt = nullptr;
bool Visit(HWND hwnd, long) {
  g_visited.push_back(hwnd);
  return hwnd != g_stopAt;
}
}  // namespace

TEST_F(WndTest, EnumChildWindowsIsDepthFirstAndStopsEverywhere) {
  HWND content = MakeTopLevel(LoggingProc);
  HWND a = MakeView(content);
  HWND a1 = MakeView(a);
  HWND a2 = MakeView(a);
  HWND b = MakeView(content);
  g_visited.clear();
  g_stopAt = nullptr;
  EXPECT_TRUE(EnumChildWindows(content, Visit, 0));
  EXPECT_EQ(g_visited, (std::vector<HWND>{a, a1, a2, b}));
  g_visited.clear();
  g_stopAt = a1;
  EXPECT_FALSE(EnumChildWindows(content, Visit, 0));
  EXPECT_EQ(g_visited, (std::vector<HWND>{a, a1}))
      << "stops before the grandchild's sibling and the parent's sibling";
  EXPECT_TRUE(EnumChildWindows(nullptr, Visit, 0));
}

TEST_F(WndTest, FindWindowExStaticMeansTextFields) {
  HWND content = MakeTopLevel(LoggingProc);
  HWND first = MakeView(content);
  auto* label = new WmTextField(WmRect{0, 0, 50, 10});
  label->text = "Name";
  WINL_AsView(content)->AddSubview(label);
  EXPECT_EQ(FindWindowEx(content, nullptr, "static", nullptr), label);
  EXPECT_EQ(FindWindowEx(content, nullptr, "Button", nullptr), first);
  EXPECT_EQ(FindWindowEx(content, nullptr, nullptr, "Name"), label);
  EXPECT_EQ(FindWindowEx(content, label, nullptr, nullptr), nullptr);
}

TEST_F(WndTest, CaptureNotices) {
  HWND content = MakeTopLevel(LoggingProc);
  HWND a = MakeView(content), b = MakeView(content);
  Log().clear();
  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_EQ(SetCapture(a), a);
  EXPECT_EQ(Count(a, WM_CAPTURECHANGED), 0) << "capturing the same handle twice";
  EXPECT_EQ(SetCapture(b), a);
  ASSERT_EQ(Count(a, WM_CAPTURECHANGED), 1);
  EXPECT_EQ(Log().back().lParam, reinterpret_cast<long>(b));
  ReleaseCapture();
  ASSERT_EQ(Count(b, WM_CAPTURECHANGED), 1);
  EXPECT_EQ(Log().back().lParam, 0);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WndTest, HidingTheFocusedViewMovesFocusToItsParent) {
  HWND content = MakeTopLevel(LoggingProc);
  HWND parent = MakeView(content);
  HWND child = MakeView(parent);
  ShowWindow(content, 2);
  ShowWindow(parent, 1);
  ShowWindow(child, 1);
  SetFocus(child);
  ASSERT_EQ(GetFocus(), child);
  ShowWindow(child, 0);
  EXPECT_EQ(GetFocus(), parent);
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_TRUE(IsWindowVisible(parent));
}

// ---- Geometry -------------------------------------------------------------------------------

TEST_F(WndTest, CoordinatesThroughFlippedAndUnflippedViews) {
  HWND content = MakeTopLevel(LoggingProc, 15, WmRect{100, 200, 400, 300});  // flipped content
  HWND child = MakeView(content);
  WINL_AsView(child)->SetFrame(WmRect{10, 20, 100, 50});
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, 110);
  EXPECT_EQ(p.y, 200 + 300 - 20) << "top-left of a flipped child under a flipped parent";
  ScreenToClient(child, &p);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  RECT r;
  ASSERT_TRUE(GetWindowRect(child, &r));
  EXPECT_GT(r.top, r.bottom) << "a flipped view's rectangle on the upward screen";
  EXPECT_EQ(r.top - r.bottom, 50);
  ASSERT_TRUE(GetWindowRect(content, &r));
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.bottom, 500);
  GetClientRect(child, &r);
  EXPECT_EQ(r.right, 100);
  EXPECT_EQ(r.bottom, 50) << "without WM_NCCALCSIZE handling: the bounds";
  EXPECT_FALSE(GetWindowRect(nullptr, &r));
}

TEST_F(WndTest, SetWindowPosFlagsAndStacking) {
  HWND content = MakeTopLevel(LoggingProc);
  HWND a = MakeView(content), b = MakeView(content), c = MakeView(content);
  WmView* v = WINL_AsView(b);
  v->SetFrame(WmRect{1, 2, 3, 4});
  SetWindowPos(b, nullptr, 50, 60, 70, 80, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(v->frame().x, 1);
  EXPECT_EQ(v->frame().width, 3);
  SetWindowPos(b, nullptr, 50, 60, 70, -50, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(v->frame().x, 50);
  EXPECT_EQ(v->frame().width, 3);
  SetWindowPos(b, nullptr, 0, 0, 70, -50, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(v->frame().x, 50);
  EXPECT_EQ(v->frame().height, 50) << "a negative height counts as its absolute value";
  const auto order = [&] { return WINL_AsView(content)->subviews(); };
  SetWindowPos(c, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(order(), (std::vector<WmView*>{WINL_AsView(a), WINL_AsView(b), WINL_AsView(c)}))
      << "top on the last keeps";
  SetWindowPos(b, a, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(order()[1], WINL_AsView(b)) << "after the sibling directly before: kept";
  SetWindowPos(a, reinterpret_cast<HWND>(1), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(order()[0], WINL_AsView(a)) << "bottom on the first keeps";
  SetWindowPos(a, c, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(order(), (std::vector<WmView*>{WINL_AsView(b), WINL_AsView(c), WINL_AsView(a)}));
  SetCapture(a);
  SetWindowPos(a, reinterpret_cast<HWND>(1), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(order().back(), WINL_AsView(a)) << "a captured view is not restacked";
  ReleaseCapture();
  SetWindowPos(a, reinterpret_cast<HWND>(1), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(order().front(), WINL_AsView(a));
}

namespace {
long MinMaxProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_GETMINMAXINFO) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize = POINT{200, 150};
    info->ptMaxTrackSize = POINT{2000000, 600};
    return 0;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}
}  // namespace

TEST_F(WndTest, SetWindowPosClampsAWindowToItsMinimumAndMaximum) {
  HWND content = MakeTopLevel(MinMaxProc);
  WmWindow* window = WINL_AsView(content)->window();
  SetWindowPos(content, nullptr, 0, 0, 50, 50, SWP_NOMOVE);
  EXPECT_EQ(window->frame().width, 200);
  EXPECT_EQ(window->frame().height, 150);
  SetWindowPos(content, nullptr, 0, 0, 5000, 5000, SWP_NOMOVE);
  EXPECT_EQ(window->frame().width, 5000) << "a maximum of 2000000 leaves the platform's in force";
  EXPECT_EQ(window->frame().height, 600);
}

TEST_F(WndTest, ScrollWindowMovesChildrenOnly) {
  HWND content = MakeTopLevel(LoggingProc);
  HWND a = MakeView(content);
  EXPECT_FALSE(ScrollWindow(content, 0, 0, nullptr, nullptr));
  EXPECT_TRUE(ScrollWindow(content, 5, -3, nullptr, nullptr));
  EXPECT_EQ(WINL_AsView(a)->frame().x, 5);
  EXPECT_EQ(WINL_AsView(a)->frame().y, -3);
}

TEST_F(WndTest, SystemMetricsAndViewPorts) {
  const struct {
    int index, value;
  } kCases[] = {{2, 16}, {3, 16}, {20, 16}, {21, 16}, {0, 1920}, {1, 1080}, {22, 0}, {-1, 0}, {4, 0}};
  for (const auto& c : kCases) EXPECT_EQ(GetSystemMetrics(c.index), c.value) << c.index;
  WmApplication::Shared().screens.push_back(
      WmApplication::Screen{WmRect{1920, 0, 1280, 1024}, WmRect{1920, 0, 1280, 1000}});
  RECT source{2000, 100, 2100, 200}, r;
  WINL_GetViewPort(&r, &source, false);
  EXPECT_EQ(r.left, 1920);
  EXPECT_EQ(r.right, 3200);
  WINL_GetViewPort(&r, &source, true);
  EXPECT_EQ(r.bottom, 1000);
  WINL_GetViewPort(&r, nullptr, false);
  EXPECT_EQ(r.right, 1920);
  WmApplication::Shared().screens.clear();
  EXPECT_EQ(GetSystemMetrics(0), 1024);
  WINL_GetViewPort(&r, nullptr, false);
  EXPECT_EQ(r.right, 1600);
  EXPECT_EQ(r.bottom, 1200);
}

// ---- Default window procedure -------------------------------------------------------------------

namespace {
// Reserves a border of 10 on every side.
long BorderProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_NCCALCSIZE) {
    auto* calc = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    calc->rgrc[0].left += 10;
    calc->rgrc[0].top += 10;
    calc->rgrc[0].right -= 10;
    calc->rgrc[0].bottom -= 10;
    return 0;
  }
  return LoggingProc(hwnd, msg, wParam, lParam);
}
}  // namespace

TEST_F(WndTest, DefaultProcedureTable) {
  HWND content = MakeTopLevel(LoggingProc, 15, WmRect{0, 0, 400, 300});
  HWND view = MakeView(content, BorderProc);
  WINL_AsView(view)->SetFrame(WmRect{100, 50, 100, 100});
  ShowWindow(content, 2);
  ShowWindow(view, 1);
  RECT r;
  GetWindowRect(view, &r);  // flipped: top 250, bottom 150
  auto packed = [](int x, int y) { return (static_cast<long>(y) << 16) | (x & 0xFFFF); };
  const struct {
    const char* why;
    unsigned msg;
    long lParam;
    long result;
  } kCases[] = {
      {"hit in the client area", WM_NCHITTEST, packed(150, 200), 1},
      {"hit in the reserved border", WM_NCHITTEST, packed(105, 200), 0},
      {"hit outside", WM_NCHITTEST, packed(10, 10), 0},
      {"unhandled key down passes on", WM_KEYDOWN, 0, 69},
      {"unhandled key up passes on", WM_KEYUP, 0, 69},
      {"anything else", 0x7777, 0, 0},
  };
  for (const auto& c : kCases) EXPECT_EQ(DefWindowProc(view, c.msg, 0, c.lParam), c.result) << c.why;
  (void)r;
}

TEST_F(WndTest, RightButtonReleaseAsksForAContextMenuWithTheViewUnderThePoint) {
  HWND content = MakeTopLevel(LoggingProc, 15, WmRect{0, 0, 400, 300});
  HWND child = MakeView(content);
  WINL_AsView(child)->SetFrame(WmRect{100, 50, 100, 100});
  ShowWindow(content, 2);
  ShowWindow(child, 1);
  Log().clear();
  EXPECT_EQ(DefWindowProc(content, WM_RBUTTONUP, 0, (60L << 16) | 120), 1);
  ASSERT_EQ(Count(content, WM_CONTEXTMENU), 1);
  const LoggedMessage& m = Log()[0];
  EXPECT_EQ(m.wParam, reinterpret_cast<unsigned long>(child));
  EXPECT_EQ(static_cast<int16_t>(m.lParam & 0xFFFF), 120);
  EXPECT_EQ(static_cast<int16_t>(m.lParam >> 16), 300 - 60) << "screen coordinates, y up";
  // A context menu request in a child goes up to its parent.
  Log().clear();
  DefWindowProc(child, WM_CONTEXTMENU, 0, 7);
  EXPECT_EQ(Count(content, WM_CONTEXTMENU), 1);
}

TEST_F(WndTest, InvalidateWalksTheAncestorsOnce) {
  HWND content = MakeTopLevel(LoggingProc);
  HWND parent = MakeView(content);
  HWND child = MakeView(parent);
  for (HWND h : {content, parent, child}) WINL_AsLayerView(h)->m_isdirty = 0;
  InvalidateRect(child, nullptr, 0);
  EXPECT_EQ(WINL_AsLayerView(child)->m_isdirty, 1);
  EXPECT_EQ(WINL_AsLayerView(parent)->m_isdirty, 2);
  EXPECT_EQ(WINL_AsLayerView(content)->m_isdirty, 2);
  WINL_AsLayerView(content)->m_isdirty = 0;
  InvalidateRect(child, nullptr, 0);
  EXPECT_EQ(WINL_AsLayerView(content)->m_isdirty, 0) << "the second call does not walk up";
  RECT r{5, 40, 25, 10};
  WINL_AsView(parent)->SetNeedsDisplay(false);
  InvalidateRect(parent, &r, 0);
  const WmRect dirty = WINL_AsView(parent)->DirtyRect();
  EXPECT_EQ(dirty.y, 10);
  EXPECT_EQ(dirty.height, 30);
}

TEST_F(WndTest, ModalSessionRunsStepsUntilItsEndStopsIt) {
  HWND content = MakeTopLevel(LoggingProc);
  void* session = WINL_ModalWindowStart(content);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(WmApplication::Shared().modalWindow(), WINL_AsView(content)->window());
  int result = 0;
  EXPECT_TRUE(WINL_ModalWindowRun(session, &result));
  WINL_ModalWindowEnd(session);
  EXPECT_EQ(WmApplication::Shared().modalWindow(), nullptr);
  EXPECT_FALSE(WINL_ModalWindowRun(nullptr, &result));
  EXPECT_EQ(WINL_ModalWindowStart(nullptr), nullptr);
}

TEST_F(WndTest, DragOutlineMovesOneOverlayUntilRemoved) {
  HWND content = MakeTopLevel(LoggingProc, 15, WmRect{0, 0, 400, 300});
  ShowWindow(content, 2);
  void* overlay = nullptr;
  RECT r{10, 10, 50, 40};
  WINL_DrawFocusRect(content, &r, &overlay);
  ASSERT_NE(overlay, nullptr);
  const size_t windows = WmApplication::Shared().windows().size();
  r = RECT{20, 30, 60, 80};
  WINL_DrawFocusRect(content, &r, &overlay);
  void* same = overlay;
  EXPECT_EQ(WmApplication::Shared().windows().size(), windows) << "moved, not made again";
  auto* window = static_cast<WmWindow*>(static_cast<WmObject*>(same));
  EXPECT_EQ(window->frame().width, 40);
  EXPECT_EQ(window->frame().height, 50);
  EXPECT_EQ(window->parentWindow(), WINL_AsView(content)->window());
  WINL_DrawFocusRect(content, nullptr, &overlay);
  EXPECT_EQ(overlay, nullptr);
  EXPECT_FALSE(WmIsLive(same));
  WINL_DrawFocusRect(content, &r, nullptr);
}

TEST_F(WndTest, PresentationOptionsAndGestures) {
  const int original = WINL_GetAppPresentationOptions();
  EXPECT_TRUE(WINL_SetAppAutoHideMenuAndDock(2));
  EXPECT_EQ(WINL_GetAppPresentationOptions(), 6);
  WINL_SetAppAutoHideMenuAndDock(1);
  EXPECT_EQ(WINL_GetAppPresentationOptions(), 5);
  WINL_SetAppAutoHideMenuAndDock(0);
  EXPECT_EQ(WINL_GetAppPresentationOptions(), original);
  GESTUREINFO in{{1, 2, 3, 4, 5}}, out{};
  EXPECT_TRUE(WINL_GetGestureInfo(reinterpret_cast<long>(&in), &out));
  EXPECT_EQ(out.words[4], 5u);
  EXPECT_FALSE(WINL_GetGestureInfo(0, &out));
}
