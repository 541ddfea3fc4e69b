// Top-level windows and dialogs: styles, child dialogs, modal runs, EndDialog
// during creation, the close sequence, owned windows and initial focus.
#include "KIT/winl/winl-dlg.h"
#include "KIT/winl/winl-wnd-view.h"
#include "wnd_fixture.h"

namespace {

// Controls of the test dialog: an OK button (id 1) and a check box (id 2).
void BuildControls(HWND hwnd, int) {
  auto* ok = new WmButton(WmRect{10, 10, 60, 20});
  ok->tag = IDOK;
  auto* check = new WmButton(WmRect{10, 40, 20, 20});
  check->kind = WmButton::kSwitch;
  check->tag = 2;
  WINL_AsView(hwnd)->AddSubview(ok);
  WINL_AsView(hwnd)->AddSubview(check);
}

char kMain[] = "main";
char kChild[] = "child";
char kMissing[] = "missing";
WINL_DialogResourceIndex g_child{kChild, nullptr, 0x1 | 0x4, BuildControls, 100, 50, nullptr};
WINL_DialogResourceIndex g_main{kMain, "Test Dialog", 0x4 | 0x10, BuildControls, 240, 120, &g_child};

long g_initResult = 0;
int g_endInInit = -1;
long g_closeResult = 0;

long DialogProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  MessageLog().push_back(LoggedMessage{hwnd, msg, wParam, lParam});
  switch (msg) {
    case WM_INITDIALOG:
      if (g_endInInit >= 0) EndDialog(hwnd, g_endInInit);
      return g_initResult;
    case WM_CLOSE:
      return g_closeResult;
    case WM_COMMAND:
      if (wParam == IDCANCEL) EndDialog(hwnd, IDCANCEL);
      return 1;
    default:
      return 0;
  }
}

}  // namespace

class DialogTest : public WndTest {
 protected:
  void SetUp() override {
    WndTest::SetUp();
    g_initResult = 0;
    g_endInInit = -1;
    g_closeResult = 0;
  }
};

TEST_F(DialogTest, IdentifierStylesMakeTopLevelWindowsWithoutARecord) {
  const struct {
    const char* why;
    uintptr_t id;
    unsigned style;
  } kCases[] = {
      {"no close and no minimise", 0x400000 | 6, kWmTitled},
      {"resizable", 0x400000 | 1, kWmTitled | kWmClosable | kWmMiniaturizable | kWmResizable},
      {"no close", 0x400000 | 4, kWmTitled | kWmMiniaturizable},
  };
  for (const auto& c : kCases) {
    HWND dialog = WINL_CreateDialog(&g_main, reinterpret_cast<const char*>(c.id), nullptr, DialogProc, 0);
    ASSERT_NE(dialog, nullptr) << c.why;
    WmWindow* window = WINL_AsView(dialog)->window();
    ASSERT_NE(window, nullptr) << c.why;
    EXPECT_EQ(window->contentView(), WINL_AsView(dialog)) << c.why;
    EXPECT_EQ(window->styleMask(), c.style) << c.why;
    DestroyWindow(dialog);
  }
}

TEST_F(DialogTest, ChildDialogsGoIntoTheirHost) {
  HWND host = WINL_CreateDialog(&g_main, kMain, nullptr, DialogProc, 0);
  ASSERT_NE(host, nullptr);
  HWND plain = WINL_CreateDialog(&g_main, reinterpret_cast<const char*>(0x400000), host, DialogProc, 0);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(WINL_AsView(plain)->superview(), WINL_AsView(host))
      << "0x400000 alone with a view parent: a child";
  HWND child = WINL_CreateDialog(&g_main, kChild, WINL_AsView(host)->window(), DialogProc, 0);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(WINL_AsView(child)->superview(), WINL_AsView(host))
      << "a window parent hosts through its content";
  EXPECT_EQ(WINL_AsLayerView(child)->winlCreateWindowFlags(), 15u);
  EXPECT_EQ(WINL_CreateDialog(&g_main, kMissing, nullptr, DialogProc, 0), nullptr);
  EXPECT_TRUE(IsWindow(GetWindow(child, 5))) << "a control deep inside a layer dialog";
}

TEST_F(DialogTest, ModelessDialogTakesItsRecordAndStaysHiddenUntilShown) {
  HWND dialog = WINL_CreateDialog(&g_main, kMain, nullptr, DialogProc, 0);
  WmWindow* window = WINL_AsView(dialog)->window();
  EXPECT_EQ(window->title, "Test Dialog");
  EXPECT_EQ(window->frame().width, 240);
  EXPECT_EQ(window->styleMask(), 7u);
  EXPECT_EQ(window->frame().y, 1080 - 100 - 120) << "its top 100 points below the screen's top";
  EXPECT_FALSE(IsWindowVisible(dialog));
  ShowWindow(dialog, 2);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(WmApplication::Shared().keyWindow(), window);
  EXPECT_EQ(Count(dialog, WM_INITDIALOG), 1);
}

TEST_F(DialogTest, InitialFocusFollowsTheInitDialogAnswer) {
  const struct {
    const char* why;
    long answer;
    bool onView;
  } kCases[] = {{"non-zero: the first control", 1, false}, {"0xBEEF: the dialog itself", 0xBEEF, true}};
  for (const auto& c : kCases) {
    g_initResult = c.answer;
    HWND dialog = WINL_CreateDialog(&g_main, kMain, nullptr, DialogProc, 0);
    WmWindow* window = WINL_AsView(dialog)->window();
    WmView* expected = c.onView ? WINL_AsView(dialog) : WINL_AsView(dialog)->subviews()[0];
    EXPECT_EQ(window->firstResponder(), expected) << c.why;
    EXPECT_TRUE(static_cast<Winl_vVivivI_modelesswindow*>(window)->m_wantInitialKeyWindowOnShow) << c.why;
    DestroyWindow(dialog);
  }
}

TEST_F(DialogTest, EndDialogDuringInitDialogReturnsWithoutAModalLoop) {
  g_endInInit = 7;
  int steps = 0;
  WmApplication::Shared().modalHook = [&](WmWindow*) { ++steps; };
  EXPECT_EQ(WINL_DialogBox(&g_main, kMain, nullptr, DialogProc, 0), 7);
  EXPECT_EQ(steps, 0);
  EXPECT_TRUE(WmApplication::Shared().windows().empty()) << "the panel is released";
}

TEST_F(DialogTest, CloseButtonSendsCloseThenCancel) {
  std::vector<unsigned> seen;
  WmApplication::Shared().modalHook = [&](WmWindow* window) {
    window->PerformClose();  // the user presses the close button
  };
  EXPECT_EQ(WINL_DialogBox(&g_main, kMain, nullptr, DialogProc, 0), IDCANCEL);
  for (const LoggedMessage& m : Log())
    if (m.msg == WM_CLOSE || m.msg == WM_COMMAND) seen.push_back(m.msg);
  EXPECT_EQ(seen, (std::vector<unsigned>{WM_CLOSE, WM_COMMAND}));
}

TEST_F(DialogTest, CloseAnsweredByTheProcedureKeepsTheWindow) {
  g_closeResult = 1;
  HWND dialog = WINL_CreateDialog(&g_main, kMain, nullptr, DialogProc, 0);
  WmWindow* window = WINL_AsView(dialog)->window();
  window->PerformClose();
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_EQ(Count(dialog, WM_COMMAND), 0);
}

TEST_F(DialogTest, DialogBoxRefusesMissingAndChildRecords) {
  EXPECT_EQ(WINL_DialogBox(&g_main, kMissing, nullptr, DialogProc, 0), -1);
  EXPECT_EQ(WINL_DialogBox(&g_main, kChild, nullptr, DialogProc, 0), -1);
}

TEST_F(DialogTest, OwnedWindowsDieWithTheirOwner) {
  HWND owner = WINL_CreateDialog(&g_main, kMain, nullptr, DialogProc, 0);
  HWND owned = WINL_CreateDialog(&g_main, reinterpret_cast<const char*>(0x400000 | 1), owner, DialogProc, 0);
  ASSERT_NE(owned, nullptr);
  EXPECT_EQ(GetParent(owned), owner) << "the owner stands as parent";
  EXPECT_EQ(GetWindow(owned, 4), owner);
  DestroyWindow(owner);
  EXPECT_FALSE(IsWindow(owned));
  EXPECT_EQ(Count(owned, WM_DESTROY), 1);
}

TEST_F(DialogTest, FrameChangesSendSizeOnlyWhenTheSizeChanges) {
  HWND dialog = WINL_CreateDialog(&g_main, kMain, nullptr, DialogProc, 0);
  Log().clear();
  SetWindowPos(dialog, nullptr, 10, 10, 0, 0, SWP_NOSIZE);
  EXPECT_EQ(Count(dialog, WM_SIZE), 0);
  EXPECT_EQ(Count(dialog, WM_MOVE), 1);
  SetWindowPos(dialog, nullptr, 0, 0, 300, 200, SWP_NOMOVE);
  EXPECT_EQ(Count(dialog, WM_SIZE), 1);
}
