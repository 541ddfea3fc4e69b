// The host program shows the test plug-in's editor: headless it writes PNGs
// of the window and of the draw bitmap, which agree; on the display (Xvfb in
// the test runs) a click sent into the editor's X window through the server
// changes a parameter, and a screenshot of the window (XGetImage) equals the
// draw bitmap.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "KIT/pix/pix-bitmap.h"
#include "KIT/pix/pix-png.h"
#include "tests/core/temp_folder.h"
#include "tests/support/spawn_vectors.h"
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
  HostProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    const SpawnVectors vectors(HOST_PROGRAM, arguments, environment);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (posix_spawn(&m_pid, HOST_PROGRAM, &actions, nullptr, vectors.argv(), vectors.envp()) != 0) m_pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    m_to = in[1];
    m_from = out[0];
  }
  ~HostProcess() {
    if (m_to >= 0) close(m_to);
    if (m_from >= 0) close(m_from);
    if (m_pid > 0) Wait();
  }
  bool Running() const { return m_pid > 0; }

  void Send(const std::string& line) {
    const std::string text = line + "\n";
    ASSERT_EQ(write(m_to, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  // The next line of output; "" when none comes within a minute.
  std::string ReadLine() {
    for (;;) {
      const size_t end = m_buffer.find('\n');
      if (end != std::string::npos) {
        const std::string line = m_buffer.substr(0, end);
        m_buffer.erase(0, end + 1);
        return line;
      }
      pollfd fd{m_from, POLLIN, 0};
      if (poll(&fd, 1, 60000) <= 0) return "";
      char chunk[4096];
      const ssize_t got = read(m_from, chunk, sizeof chunk);
      if (got <= 0) return "";
      m_buffer.append(chunk, static_cast<size_t>(got));
    }
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
  int Wait() {
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t m_pid = 0;
  int m_to = -1, m_from = -1;
  std::string m_buffer;
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
  ASSERT_TRUE(host.Running());
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
  ASSERT_TRUE(host.Running());
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
  ASSERT_TRUE(host.Running());
  EXPECT_EQ(host.Wait(), 1);
}

}  // namespace
