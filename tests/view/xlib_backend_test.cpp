// The Xlib back end on a real display (Xvfb in the test runs): the window
// shows what the client drew, and events sent into it through the server
// reach the client, the text field and popup menus. Skipped without a
// display.
#include "platform/view/ViewText.h"
#include "platform/view/XlibBackend.h"
#include "tests/view/view_fixture.h"

// clang-format off
// After every other header: Xlib's macros clash with their names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#undef ConnectionNumber
// clang-format on

namespace {

class XlibViewTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 160, kHeight = 100;

  void SetUp() override {
    m_display = XOpenDisplay(nullptr);
    if (!m_display) GTEST_SKIP() << "no X display";
    std::unique_ptr<XlibBackend> backend = XlibBackend::Connect();
    ASSERT_NE(backend, nullptr);
    m_view = new View(std::move(backend), kWidth, kHeight, 25);
    m_client.view = m_view;
    m_view->SetClient(&m_client);
    ASSERT_TRUE(m_view->Open(0));
    m_view->AddToParent(0);  // a top-level window of its own
    m_view->Synchronize();
  }
  void TearDown() override {
    if (m_view) {
      m_view->RemoveFromParent();
      m_view->Release();
    }
    if (m_display) XCloseDisplay(m_display);
  }

  // An event of type for the view's window, with the fields every kind
  // shares; the pointer and key kinds lay them out alike.
  XEvent Event(int type, unsigned state) {
    XEvent e{};
    e.xbutton.type = type;
    e.xbutton.display = m_display;
    e.xbutton.window = m_view->NativeWindow();
    e.xbutton.root = DefaultRootWindow(m_display);
    e.xbutton.state = state;
    e.xbutton.same_screen = True;
    e.xbutton.time = ++m_time;
    return e;
  }
  void Send(XEvent& e, long mask) { XSendEvent(m_display, e.xany.window, False, mask, &e); }
  // Sends a pointer event to the view's window through the server.
  void SendButton(int type, int x, int y, unsigned button, unsigned state = 0) {
    XEvent e = Event(type, state);
    e.xbutton.x = x, e.xbutton.y = y;
    Root(x, y, &e.xbutton.x_root, &e.xbutton.y_root);
    e.xbutton.button = button;
    Send(e, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask);
  }
  void SendMotion(int rootX, int rootY, unsigned state) {
    XEvent e = Event(MotionNotify, state);
    e.xmotion.x_root = rootX, e.xmotion.y_root = rootY;
    Send(e, PointerMotionMask);
  }
  void SendKey(KeySym sym, unsigned state = 0) {
    XEvent e = Event(KeyPress, state);
    e.xkey.keycode = XKeysymToKeycode(m_display, sym);
    Send(e, KeyPressMask);
  }
  void Root(int x, int y, int* rootX, int* rootY) {
    Window child = 0;
    XTranslateCoordinates(m_display, m_view->NativeWindow(), DefaultRootWindow(m_display), x, y, rootX, rootY,
                          &child);
  }
  // Lets the view handle everything sent so far.
  void Deliver() {
    XSync(m_display, False);
    m_view->Synchronize();
  }

  Display* m_display = nullptr;
  View* m_view = nullptr;
  RecordingClient m_client{kWidth, kHeight};
  Time m_time = 1000;
};

TEST_F(XlibViewTest, TheWindowShowsTheDrawBitmap) {
  ASSERT_NE(m_view->NativeWindow(), 0u);
  EXPECT_FALSE(m_view->IsHeadless());
  m_client.dirty = ViewRect(20, 30, 60, 50);
  m_client.paintColour = PIX_MakePixel(200, 100, 50, 255);
  Deliver();
  std::vector<uint32_t> window(kWidth * kHeight), bitmap(kWidth * kHeight);
  ASSERT_TRUE(m_view->ReadWindow(window.data(), kWidth));
  ASSERT_TRUE(m_view->ReadDrawBitmap(bitmap.data(), kWidth));
  for (uint32_t& p : bitmap) p |= 0xff;  // the window shows no alpha
  EXPECT_EQ(window[40 * kWidth + 30], PIX_MakePixel(200, 100, 50, 255));
  EXPECT_EQ(window, bitmap);
}

TEST_F(XlibViewTest, ClicksAndKeysSentThroughTheServerReachTheClient) {
  SendButton(ButtonPress, 12, 34, Button1, ShiftMask);
  SendButton(ButtonRelease, 12, 34, Button1, ShiftMask | Button1Mask);
  SendButton(ButtonPress, 50, 50, Button4);
  SendKey(XK_a);
  SendKey(XK_Left);
  Deliver();
  ASSERT_EQ(m_client.Names(), (std::vector<std::string>{"down", "up", "wheel", "key", "key"}));
  EXPECT_EQ(m_client.calls[0].x, 12);
  EXPECT_EQ(m_client.calls[0].y, 34);
  EXPECT_TRUE(m_client.calls[0].mod.L);
  EXPECT_TRUE(m_client.calls[0].mod.S);
  EXPECT_EQ(m_client.calls[2].value, 1);
  EXPECT_EQ(m_client.calls[3].value, kViewKeyLetterA);
  EXPECT_EQ(m_client.calls[4].value, kViewKeyLeft);
}

TEST_F(XlibViewTest, TheTextFieldTakesKeysAndReturnCommits) {
  ViewTextEntryRequest request;
  request.rect = ViewRect(10, 10, 80, 28);
  request.text = "1";
  request.filtered = true;
  request.allowed = "0123456789";
  request.maxLength = 4;
  ASSERT_TRUE(m_view->OpenTextEntry(request));
  SendKey(XK_4);
  SendKey(XK_x);
  SendKey(XK_2);
  SendKey(XK_Return);
  Deliver();
  ASSERT_EQ(m_client.Names(), (std::vector<std::string>{"commit"}));
  EXPECT_EQ(m_client.calls[0].text, "42");
}

TEST_F(XlibViewTest, APopupMenuChoiceMadeWithThePointer) {
  ViewMenu menu;
  for (const char* title : {"one", "two", "three"}) {
    ViewMenuItem item;
    item.title = title;
    menu.items.push_back(std::move(item));
  }
  const ViewMenu* chosen = nullptr;
  int index = -1;
  m_client.onMouseDown = [&](int x, int y) { m_view->PopupMenu(menu, x, y + 5, &chosen, &index); };
  // Where the second entry will be: the menu opens 5 pixels below the press.
  ViewFont font("DejaVu Sans", ViewMenuMetrics::kFontSize);
  const ViewMenuLayout layout = ViewMenuLayout::Of(menu, font);
  const int entryX = 30, entryY = 25 + layout.tops[1] + 3;  // view coordinates inside entry 1
  int rootX = 0, rootY = 0;
  Root(entryX, entryY, &rootX, &rootY);
  SendButton(ButtonPress, 20, 20, Button1);
  SendMotion(rootX, rootY, Button1Mask);
  SendButton(ButtonRelease, entryX, entryY, Button1, Button1Mask);
  Deliver();
  EXPECT_EQ(chosen, &menu);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(m_client.Names(), (std::vector<std::string>{"down"}));
}

}  // namespace
