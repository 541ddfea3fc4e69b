// File panels and alerts as real X windows on the test display: a file is
// chosen, a name typed and a button clicked with events sent through the X
// server, while the panel runs its own modal loop. Skipped without a
// display.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "KIT/winl/winl-handles.h"
#include "KIT/winl/winl-misc.h"
#include "KIT/winl/winl-miscdlg.h"
#include "platform/window/WindowPanels.h"
#include "platform/window/WindowPasteboard.h"
#include "platform/window/WindowPresenter.h"
#include "tests/support/temp_folder.h"

// Xlib last: its macros would clash with the names above.
#include <X11/Xatom.h>
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
    ASSERT_TRUE(m_temp.Made());
    m_dir = m_temp.Name();
    for (const char* file : {"a.syx", "b.syx", "notes.txt"}) std::ofstream(m_dir + "/" + file) << "x";
    ASSERT_EQ(mkdir((m_dir + "/sub").c_str(), 0755), 0);
  }
  void TearDown() override {
    WmApplication::Shared().stepHook = nullptr;
    WmStopClipboardBridge();
    WINL_ShutdownLayer();
    WmApplication::Shared().presenterFactory = nullptr;
    if (m_display) XCloseDisplay(m_display);
    EXPECT_TRUE(m_temp.Remove());
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
  TempFolder m_temp{"winl-panel-"};
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

// ---- The clipboard's text as the X CLIPBOARD selection ---------------------------------

// Waits up to three seconds for an event of a type on a connection.
bool WaitFor(Display* display, int type, XEvent* event) {
  for (int i = 0; i < 300; ++i) {
    while (XPending(display)) {
      XNextEvent(display, event);
      if (event->type == type) return true;
    }
    usleep(10000);
  }
  return false;
}

TEST_F(PanelDisplayTest, TextSetOnTheClipboardIsTheXClipboard) {
  ASSERT_TRUE(WmStartClipboardBridge());
  const unsigned text = RegisterClipboardFormat("WINL__CF_TEXT");
  const char copied[] = "Bank \xE2\x80\x9CPads\xE2\x80\x9D";
  OpenClipboard(nullptr);
  HGLOBAL block = GlobalAlloc(0, sizeof copied);
  memcpy(GlobalLock(block), copied, sizeof copied);
  GlobalUnlock(block);
  SetClipboardData(text, block);
  CloseClipboard();

  // Another client asks for the CLIPBOARD as UTF-8.
  const Window requestor = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
  const Atom clipboard = XInternAtom(m_display, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(m_display, "UTF8_STRING", False);
  const Atom property = XInternAtom(m_display, "TEST_PASTE", False);
  std::string pasted;
  for (int attempt = 0; attempt < 100 && pasted.empty(); ++attempt) {
    XConvertSelection(m_display, clipboard, utf8, property, requestor, CurrentTime);
    XEvent event;
    ASSERT_TRUE(WaitFor(m_display, SelectionNotify, &event));
    if (event.xselection.property == None) {  // the bridge has not claimed it yet
      usleep(20000);
      continue;
    }
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(m_display, requestor, property, 0, 1024, True, AnyPropertyType, &type,
                                 &format, &count, &after, &data),
              Success);
    if (data) {
      pasted.assign(reinterpret_cast<char*>(data), count);
      XFree(data);
    }
  }
  EXPECT_EQ(pasted, copied);
  XDestroyWindow(m_display, requestor);
}

TEST_F(PanelDisplayTest, TextCopiedByAnotherProgramIsRead) {
  ASSERT_TRUE(WmStartClipboardBridge());
  // Another program owns the CLIPBOARD and serves it from its own thread.
  std::atomic<bool> owning{false}, stop{false};
  std::thread other([&] {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return;
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XSetSelectionOwner(display, clipboard, window, CurrentTime);
    XSync(display, False);
    owning = XGetSelectionOwner(display, clipboard) == window;
    const std::string text = "from another program";
    while (!stop) {
      while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != SelectionRequest) continue;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        reply.property = None;
        if (request.target == utf8) {
          XChangeProperty(display, request.requestor, request.property, utf8, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
          reply.property = request.property;
        }
        XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XFlush(display);
      }
      usleep(5000);
    }
    XDestroyWindow(display, window);
    XCloseDisplay(display);
  });
  for (int i = 0; i < 300 && !owning; ++i) usleep(10000);
  ASSERT_TRUE(owning);
  const unsigned text = RegisterClipboardFormat("WINL__CF_TEXT");
  std::string read;
  for (int attempt = 0; attempt < 20 && read.empty(); ++attempt) {
    OpenClipboard(nullptr);
    if (void* data = GetClipboardData(text)) read = static_cast<const char*>(data);
    CloseClipboard();
  }
  stop = true;
  other.join();
  EXPECT_EQ(read, "from another program");
}

}  // namespace
