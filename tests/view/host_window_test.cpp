// The host program shows the test plug-in's editor: headless it writes PNGs
// of the window and of the draw bitmap, which agree; on the display (Xvfb in
// the test runs) a click sent into the editor's X window through the server
// changes a parameter, and a screenshot of the window (XGetImage) equals the
// draw bitmap.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "KIT/pix/pix-bitmap.h"
#include "KIT/pix/pix-png.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder_fixture.h"
#include "tests/view/view_plug.h"

// clang-format off
// After every other header: Xlib's macros clash with their names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

namespace {

// The host program running with pipes on its standard input and output.
class HostProcess {
 public:
  HostProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment)
      : m_process(HOST_PROGRAM, arguments, environment, Pipes()) {}
  bool Started() const { return m_process.Started(); }

  void Send(const std::string& line) {
    ASSERT_TRUE(m_process.Send(line)) << "the host takes no more commands";
  }
  // The next line of output; "" when none comes within a minute.
  std::string ReadLine() {
    std::string line;
    return m_process.ReadLine(line, std::chrono::minutes(1)) ? line : "";
  }
  // The next line that answers a command: the load report and the events
  // the host hears from the unit are set aside (heard keeps the latter).
  std::string Answer() {
    std::string line;
    for (;;) {
      line = ReadLine();
      if (line.rfind("host heard: ", 0) == 0)
        heard.push_back(line.substr(12));
      else if (line.rfind("loaded ", 0) != 0)
        return line;
    }
  }
  std::vector<std::string> heard;
  // Waits for the host to end; its exit code.
  int Wait() { return m_process.Wait(); }

 private:
  static ChildProcess::Streams Pipes() {
    ChildProcess::Streams streams;
    streams.pipeInput = streams.pipeOutput = true;
    return streams;
  }

  ChildProcess m_process;
};

std::unique_ptr<PIX_IBitmap> LoadPng(const std::string& path) {
  return std::unique_ptr<PIX_IBitmap>(PIX_LoadPNG(path.c_str(), nullptr));
}

// The first pixel where two images differ, as a message; "" when equal.
std::string Difference(PIX_IBitmap* a, PIX_IBitmap* b) {
  if (a->getWidth() != b->getWidth() || a->getHeight() != b->getHeight()) return "sizes differ";
  for (int y = 0; y < a->getHeight(); ++y)
    for (int x = 0; x < a->getWidth(); ++x) {
      const uint32_t p = a->getBits()[y * a->getRowSpan() + x] | 0xff,
                     q = b->getBits()[y * b->getRowSpan() + x] | 0xff;
      if (p != q) {
        char text[128];
        snprintf(text, sizeof text, "first difference at %d, %d: %08x against %08x", x, y, p, q);
        return text;
      }
    }
  return "";
}

class HostWindowTest : public TempFolderTest, public ::testing::WithParamInterface<const char*> {};

INSTANTIATE_TEST_SUITE_P(Roads, HostWindowTest, ::testing::Values("window", "view"));

TEST_P(HostWindowTest, HeadlessTheHostWritesTheWindowAndTheDrawBitmapAlike) {
  const std::string window = path("window.png").string(), bitmap = path("bitmap.png").string();
  HostProcess host({VIEW_BUNDLE, "open-editor", GetParam(), "editor-png", window, "editor-bitmap-png", bitmap,
                    "close-editor"},
                   {"VIVIVI_VIEW=headless"});
  ASSERT_TRUE(host.Started());
  EXPECT_NE(host.Answer().find("headless"), std::string::npos);
  EXPECT_EQ(host.Answer(), "wrote " + window);
  EXPECT_EQ(host.Answer(), "wrote " + bitmap);
  EXPECT_EQ(host.Wait(), 0);
  std::unique_ptr<PIX_IBitmap> shown = LoadPng(window), drawn = LoadPng(bitmap);
  ASSERT_NE(shown, nullptr);
  ASSERT_NE(drawn, nullptr);
  EXPECT_EQ(shown->getWidth(), kViewPlugWidth);
  EXPECT_EQ(shown->getHeight(), kViewPlugHeight);
  EXPECT_EQ(Difference(shown.get(), drawn.get()), "");
  // The panel is painted, not left black.
  EXPECT_EQ(shown->getBits()[5], PIX_MakePixel(40, 44, 52, 255));
}

TEST_P(HostWindowTest, OnTheDisplayAClickChangesAValueAndTheScreenShowsTheDrawBitmap) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) GTEST_SKIP() << "no X display";
  HostProcess host({VIEW_BUNDLE, "open-editor", GetParam(), "editor-commands"}, {});
  ASSERT_TRUE(host.Started());
  const std::string opened = host.Answer();
  ASSERT_NE(opened.find("on the display"), std::string::npos) << opened;
  const size_t at = opened.find("editor window 0x");
  ASSERT_NE(at, std::string::npos) << opened;
  const Window editor = strtoul(opened.c_str() + at + 14, nullptr, 16);
  ASSERT_NE(editor, 0u);

  host.Send("get-param 2");
  EXPECT_EQ(host.Answer(), "parameter 2: 0");
  // A left click on the switch, sent through the server (no XTest here).
  const IRECT s = ViewPlugControls::Switch();
  for (int type : {ButtonPress, ButtonRelease}) {
    XEvent e{};
    e.xbutton.type = type;
    e.xbutton.display = display;
    e.xbutton.window = editor;
    e.xbutton.root = DefaultRootWindow(display);
    e.xbutton.x = (s.L + s.R) / 2, e.xbutton.y = (s.T + s.B) / 2;
    e.xbutton.button = Button1;
    e.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
    e.xbutton.time = CurrentTime;
    e.xbutton.same_screen = True;
    XSendEvent(display, editor, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
  }
  XSync(display, False);
  host.Send("sync");
  EXPECT_EQ(host.Answer(), "synced");
  host.Send("get-param 2");
  EXPECT_EQ(host.Answer(), "parameter 2: 1");
  // The host heard the user's gesture on the parameter.
  EXPECT_EQ(host.heard,
            (std::vector<std::string>{"value change of parameter 2", "gesture begin of parameter 2",
                                      "gesture end of parameter 2"}));

  const std::string bitmap = path("bitmap.png").string();
  host.Send("bitmap-png " + bitmap);
  EXPECT_EQ(host.Answer(), "wrote " + bitmap);
  std::unique_ptr<PIX_IBitmap> drawn = LoadPng(bitmap);
  ASSERT_NE(drawn, nullptr);
  // The screenshot, read from the server with a connection of the test's own.
  XImage* image = XGetImage(display, editor, 0, 0, kViewPlugWidth, kViewPlugHeight, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  PIX_MemBitmap shot(kViewPlugWidth, kViewPlugHeight, 0);
  for (int y = 0; y < kViewPlugHeight; ++y)
    for (int x = 0; x < kViewPlugWidth; ++x) {
      const unsigned long v = XGetPixel(image, x, y);
      shot.getBits()[y * shot.getRowSpan() + x] =
          PIX_MakePixel(static_cast<int>((v >> 16) & 0xff), static_cast<int>((v >> 8) & 0xff),
                        static_cast<int>(v & 0xff), 255);
    }
  XDestroyImage(image);
  EXPECT_EQ(Difference(&shot, drawn.get()), "");
  // The switch is lit in both.
  const int x = (s.L + s.R) / 2, y = (s.T + s.B) / 2;
  EXPECT_EQ(shot.getBits()[y * shot.getRowSpan() + x], PIX_MakePixel(250, 180, 40, 255));

  host.Send("quit");
  EXPECT_EQ(host.Answer(), "bye");
  EXPECT_EQ(host.Wait(), 0);
  XCloseDisplay(display);
}

TEST(HostEditorTest, ABundleWithoutAnEditorWindowIsRefused) {
  HostProcess host({AUTEST_BUNDLE, "open-editor", "window"}, {"VIVIVI_VIEW=headless"});
  ASSERT_TRUE(host.Started());
  EXPECT_EQ(host.Wait(), 1);
}

}  // namespace
