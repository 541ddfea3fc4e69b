// A dialog of the layer as a real X window: it takes a click and a key sent
// through the X server, and what the server shows equals what it painted.
// Skipped without a display.
#include <vector>

#include "KIT/winl/winl-dlg.h"
#include "KIT/winl/winl-menu.h"
#include "KIT/winl/winl-misc.h"
#include "KIT/winl/winl-shapes.h"
#include "KIT/winl/winl-wnd-view.h"
#include "display_fixture.h"
#include "platform/view/XlibBackend.h"

namespace {

std::vector<std::pair<unsigned, unsigned long>> g_messages;
WmButton* g_check = nullptr;

void BuildControls(HWND hwnd, int) {
  auto* ok = new WmButton(WmRect{10, 10, 60, 20});
  ok->tag = IDOK;
  g_check = new WmButton(WmRect{10, 40, 20, 20});
  g_check->kind = WmButton::kSwitch;
  g_check->tag = 2;
  g_check->action = [hwnd](WmControl* control) {
    SendMessage(hwnd, WM_COMMAND, static_cast<unsigned long>(control->tag), 0);
  };
  WINL_AsView(hwnd)->AddSubview(ok);
  WINL_AsView(hwnd)->AddSubview(g_check);
}

char kDialog[] = "display dialog";
WINL_DialogResourceIndex g_record{kDialog, "Display", 0x4 | 0x10, BuildControls, 240, 120, nullptr};

long DialogProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return 0xBEEF;  // the dialog itself takes the keys
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (HDC hdc = BeginPaint(hwnd, &ps)) {
        HGDIOBJ brush = CreateSolidBrush(0xC02010);
        RECT r{150, 10, 230, 60};
        WINL_FillRect(hdc, &r, brush);
        DeleteObject(brush);
        // Shapes with the selected brush: an ellipse.
        HGDIOBJ blue = CreateSolidBrush(0x1030C0);
        HGDIOBJ old = SelectObject(hdc, blue);
        Ellipse(hdc, 150, 70, 230, 110);
        SelectObject(hdc, old);
        DeleteObject(blue);
        EndPaint(hwnd, &ps);
      }
      return 1;
    }
    case WM_COMMAND:
    case WM_KEYDOWN:
      g_messages.emplace_back(msg, wParam);
      return 1;
    default:
      (void)lParam;
      return 0;
  }
}

bool Seen(unsigned msg, unsigned long wParam) {
  for (const auto& m : g_messages)
    if (m.first == msg && m.second == wParam) return true;
  return false;
}

class DisplayTest : public XDisplayTest {
 protected:
  void SetUp() override {
    XDisplayTest::SetUp();
    g_messages.clear();
  }
};

TEST_F(DisplayTest, BackEndsShareOneConnection) {
  std::unique_ptr<XlibBackend> first = Retry([] { return XlibBackend::Connect(); });
  ASSERT_NE(first, nullptr);
  std::unique_ptr<XlibBackend> second = XlibBackend::Connect();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first->ConnectionNumber(), second->ConnectionNumber());
  second.reset();
  std::unique_ptr<XlibBackend> third = XlibBackend::Connect();
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(first->ConnectionNumber(), third->ConnectionNumber()) << "open while one back end remains";
}

TEST_F(DisplayTest, EachWindowGetsItsOwnEventsOverTheSharedConnection) {
  Window firstX = 0, secondX = 0;
  HWND first = ShowDialog(&g_record, DialogProc, &firstX);
  ASSERT_NE(first, nullptr);
  HWND second = ShowDialog(&g_record, DialogProc, &secondX);
  ASSERT_NE(second, nullptr);
  ASSERT_NE(firstX, secondX);
  // Keys for both, the second's first: each window's procedure sees its own.
  SendKey(secondX, XK_b);
  SendKey(firstX, XK_a);
  ASSERT_TRUE(StepUntil([] { return Seen(WM_KEYDOWN, 'A') && Seen(WM_KEYDOWN, 'B'); }));
  // Closing one window leaves the other's events flowing.
  DestroyWindow(second);
  g_messages.clear();
  SendKey(firstX, XK_c);
  ASSERT_TRUE(StepUntil([] { return Seen(WM_KEYDOWN, 'C'); }));
}

TEST_F(DisplayTest, TrackPopupMenuWalksTheMenuOnTheDisplay) {
  Window xwindow = 0;
  HWND dialog = ShowDialog(&g_record, DialogProc, &xwindow);
  ASSERT_NE(dialog, nullptr);
  HMENU menu = CreatePopupMenu();
  WINL_Menu_AddMenuItem(menu, "First", 11, 0);
  WINL_Menu_AddMenuItem(menu, "Second", 12, 0);
  POINT at{20, 20};
  ClientToScreen(dialog, &at);

  // The keys wait at the server until the menu's walk reads them: down to
  // the second entry, then Return.
  SendKey(xwindow, XK_Down);
  SendKey(xwindow, XK_Down);
  SendKey(xwindow, XK_Return);
  XSync(m_display, False);
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, at.x, at.y, 0, dialog, nullptr), 12);

  // Escape dismisses: no command.
  SendKey(xwindow, XK_Escape);
  XSync(m_display, False);
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, at.x, at.y, 0, dialog, nullptr), 0);
  DestroyMenu(menu);
}

TEST_F(DisplayTest, DialogTakesAClickAndAKeyAndShowsWhatItPainted) {
  HWND dialog = WINL_CreateDialog(&g_record, kDialog, nullptr, DialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  WmWindow* window = WINL_AsView(dialog)->window();
  ShowWindow(dialog, 2);
  ASSERT_NE(window->presenter(), nullptr);
  const Window xwindow = window->presenter()->NativeWindow();
  ASSERT_NE(xwindow, 0u);
  ASSERT_TRUE(StepUntil([&] {
    XWindowAttributes attributes;
    return XGetWindowAttributes(m_display, xwindow, &attributes) && attributes.map_state == IsViewable;
  }));

  // A click on the check box.
  XEvent press{};
  press.xbutton.type = ButtonPress;
  press.xbutton.button = Button1;
  press.xbutton.x = 20;
  press.xbutton.y = 50;
  press.xbutton.same_screen = True;
  Send(xwindow, press);
  XEvent release = press;
  release.xbutton.type = ButtonRelease;
  release.xbutton.state = Button1Mask;
  Send(xwindow, release);
  ASSERT_TRUE(StepUntil([] { return Seen(WM_COMMAND, 2); }));
  EXPECT_EQ(SendMessage(g_check, BM_GETCHECK, 0, 0), 1);

  // A key.
  XEvent key{};
  key.xkey.type = KeyPress;
  key.xkey.keycode = XKeysymToKeycode(m_display, XK_a);
  key.xkey.same_screen = True;
  ASSERT_NE(key.xkey.keycode, 0u);
  Send(xwindow, key);
  ASSERT_TRUE(StepUntil([] { return Seen(WM_KEYDOWN, 'A'); }));

  // What the server shows equals the painted bitmap.
  StepUntil([&] { return !window->ViewsNeedDisplay(); });
  window->Flush();
  XSync(m_display, False);
  const int w = window->PixelWidth(), h = window->PixelHeight();
  ASSERT_EQ(w, 240);
  ASSERT_EQ(h, 120);
  XImage* image = XGetImage(m_display, xwindow, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h),
                            AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  int differences = 0;
  bool sawRed = false, sawBackground = false, sawCheck = false, sawEllipse = false;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const unsigned long shown = XGetPixel(image, x, y);
      const uint32_t word = window->Pixels()[static_cast<size_t>(y) * w + x];
      const unsigned r = (word >> 8) & 0xFF, g = (word >> 16) & 0xFF, b = word >> 24;
      const unsigned sr = (shown & image->red_mask) >> 16, sg = (shown & image->green_mask) >> 8,
                     sb = shown & image->blue_mask;
      if (r != sr || g != sg || b != sb) ++differences;
      if (r == 0xC0 && g == 0x20 && b == 0x10) sawRed = true;
      if (r == 0xE8 && g == 0xE8 && b == 0xE8) sawBackground = true;
      if (x == 190 && y == 90) sawEllipse = r == 0x10 && g == 0x30 && b == 0xC0;
      if (x >= 14 && x < 26 && y >= 44 && y < 56 && r == 32) sawCheck = true;
    }
  XDestroyImage(image);
  EXPECT_EQ(differences, 0);
  EXPECT_TRUE(sawRed) << "the procedure's own painting";
  EXPECT_TRUE(sawEllipse) << "a shape of the drawing layer";
  EXPECT_TRUE(sawBackground) << "the dialog background";
  EXPECT_TRUE(sawCheck) << "the checked box";
}

}  // namespace
