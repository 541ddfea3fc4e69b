// File panels and alerts as real X windows on the test display: a file is
// chosen, a name typed and a button clicked with events sent through the X
// server, while the panel runs its own modal loop. Skipped without a
// display.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "KIT/winl/winl-misc.h"
#include "KIT/winl/winl-miscdlg.h"
#include "platform/window/WindowPanels.h"
#include "platform/window/WindowPresenter.h"

// Xlib last: its macros would clash with the names above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

class PanelDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* name = getenv("DISPLAY");
    if (!name || !*name) GTEST_SKIP() << "no X display";
    for (int attempt = 0; attempt < 50 && !m_display; ++attempt) {
      m_display = XOpenDisplay(nullptr);
      if (!m_display) usleep(20000);
    }
    if (!m_display) GTEST_SKIP() << "the X display cannot be opened";
    WmApplication::Shared().presenterFactory = [](WmWindow* window) {
      std::unique_ptr<WmPresenter> presenter;
      for (int attempt = 0; attempt < 50 && !presenter; ++attempt) {
        presenter = WmMakeXlibPresenter(window);
        if (!presenter) usleep(20000);
      }
      return presenter;
    };
    char pattern[] = "/tmp/winl-panel-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    m_dir = pattern;
    for (const char* file : {"a.syx", "b.syx", "notes.txt"}) std::ofstream(m_dir + "/" + file) << "x";
    ASSERT_EQ(mkdir((m_dir + "/sub").c_str(), 0755), 0);
  }
  void TearDown() override {
    WmApplication::Shared().stepHook = nullptr;
    WINL_ShutdownLayer();
    WmApplication::Shared().presenterFactory = nullptr;
    if (m_display) XCloseDisplay(m_display);
    if (!m_dir.empty()) {
      const std::string command = "rm -rf '" + m_dir + "'";
      EXPECT_EQ(system(command.c_str()), 0);
    }
  }

  // Runs user once the front window of kind T shows on the display (with
  // its X window), then waits; a run that has not ended after ten seconds
  // is closed (cancelled) so that the test fails instead of waiting on.
  template <class T>
  void WhenShown(std::function<void(T*, Window)> user) {
    auto started = std::chrono::steady_clock::now();
    auto done = std::make_shared<bool>(false);
    WmApplication::Shared().stepHook = [this, user, started, done] {
      WmApplication& app = WmApplication::Shared();
      T* window = app.windows().empty() ? nullptr : dynamic_cast<T*>(app.windows().front());
      if (std::chrono::steady_clock::now() - started > std::chrono::seconds(10)) {
        ADD_FAILURE() << "the panel did not end";
        app.stepHook = nullptr;
        if (window) window->PerformClose();
        return;
      }
      if (*done || !window || !window->presenter() || !window->presenter()->NativeWindow()) return;
      const Window xwindow = window->presenter()->NativeWindow();
      XWindowAttributes attributes;
      if (!XGetWindowAttributes(m_display, xwindow, &attributes) || attributes.map_state != IsViewable)
        return;
      *done = true;
      user(window, xwindow);
      XSync(m_display, False);
    };
  }

  void Send(Window window, XEvent event) {
    event.xany.display = m_display;
    event.xany.window = window;
    XSendEvent(m_display, window, True, NoEventMask, &event);
  }
  void Key(Window window, KeySym sym) {
    XEvent key{};
    key.xkey.type = KeyPress;
    key.xkey.keycode = XKeysymToKeycode(m_display, sym);
    key.xkey.same_screen = True;
    Send(window, key);
  }
  // A click at a point of the window's content (top-left origin).
  void Click(Window window, const WmRect& r) {
    XEvent press{};
    press.xbutton.type = ButtonPress;
    press.xbutton.button = Button1;
    press.xbutton.x = static_cast<int>(r.x + r.width / 2);
    press.xbutton.y = static_cast<int>(r.y + r.height / 2);
    press.xbutton.same_screen = True;
    Send(window, press);
    XEvent release = press;
    release.xbutton.type = ButtonRelease;
    release.xbutton.state = Button1Mask;
    Send(window, release);
  }

  Display* m_display = nullptr;
  std::string m_dir;
};

TEST_F(PanelDisplayTest, AFileIsChosenByKeysAndAClick) {
  WhenShown<WmFilePanel>([this](WmFilePanel* panel, Window xwindow) {
    Key(xwindow, XK_Down);
    Key(xwindow, XK_Down);  // the second file: b.syx
    Click(xwindow, panel->OkButtonRect());
  });
  char* chosen = BrowseForFiles("Import", m_dir.c_str(), nullptr, false, "Banks\0*.syx\0\0");
  ASSERT_NE(chosen, nullptr);
  EXPECT_STREQ(chosen, (m_dir + "/b.syx").c_str());
  free(chosen);
}

TEST_F(PanelDisplayTest, ANameIsTypedIntoTheSavePanel) {
  WhenShown<WmFilePanel>([this](WmFilePanel*, Window xwindow) {
    for (KeySym sym : {XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_BackSpace, XK_p, XK_a, XK_d, XK_s})
      Key(xwindow, sym);
    Key(xwindow, XK_Return);
  });
  char path[4096];
  ASSERT_TRUE(BrowseForSaveFile("Save As", m_dir.c_str(), "Bank", "Banks\0*.vrn\0\0", path, sizeof path));
  EXPECT_EQ(std::string(path), m_dir + "/pads.vrn");
}

TEST_F(PanelDisplayTest, AMessageBoxButtonIsClicked) {
  WhenShown<WmAlert>([this](WmAlert* alert, Window xwindow) { Click(xwindow, alert->ButtonRect(1)); });
  EXPECT_EQ(MessageBox(nullptr, "Save the changes to the bank?", "Librarian", MB_YESNO), IDNO);
}

}  // namespace
