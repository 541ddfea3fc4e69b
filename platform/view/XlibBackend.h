// The Xlib back end: a view's windows on an X display.
//
// - Every back end of the process shares one X connection: the first opens
//   it, the last closes it. Each reads from the connection's one event queue
//   only the events of its own windows and leaves the others queued for
//   their back ends; events of windows that no back end owns any more are
//   dropped. All back ends are used from one thread (the host's main
//   thread).
// - The main window is a child of the window the host gives (its X id), or
//   a top-level window with the title "VivivI Editor" and a fixed size.
// - The text field is a child window of the main window; popup menu levels
//   are override-redirect windows on the root, and the first level grabs
//   the pointer and keyboard while the menu is open.
// - Pixels go to the windows with XPutImage in the visual's colour layout
//   and are read back with XGetImage.
// - Events sent by other clients (XSendEvent) are taken like real ones, so a
//   test without the XTest extension can click into the view through the
//   server.
// - X protocol errors on this connection (a parent window that does not
//   exist, a window read back while not viewable) make the call fail
//   instead of ending the program; errors on other connections go to the
//   handler that was installed before.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "platform/view/ViewBackend.h"

struct _XDisplay;
union _XEvent;

class XlibBackend : public ViewBackend {
 public:
  // A back end on the display the environment names; null when none can be
  // opened or its default visual is not a true-colour one.
  static std::unique_ptr<XlibBackend> Connect();
  ~XlibBackend() override;

  bool CreateMainWindow(unsigned long parent, int width, int height) override;
  void DestroyMainWindow() override;
  void Show(unsigned long parent) override;
  void Detach() override;
  void Resize(int width, int height) override;
  unsigned long MainWindow() override { return m_main; }
  void PutMain(const uint32_t* pixels, int rowSpan, int width, int height, const ViewRect& clip) override;
  bool ReadMain(uint32_t* pixels, int rowSpan, int width, int height) override;
  void TakeFocus(uint32_t time) override;
  void ForwardKey(const ViewEvent& key) override;
  void ToScreen(int x, int y, int* screenX, int* screenY) override;
  void ScreenSize(int* width, int* height) override;
  void ShowField(const ViewRect& rect) override;
  void HideField() override;
  void PutField(const uint32_t* pixels, int rowSpan, int width, int height) override;
  void ShowMenu(int level, const ViewRect& screenRect) override;
  void HideMenu(int level) override;
  void PutMenu(int level, const uint32_t* pixels, int rowSpan, int width, int height) override;
  int NextEvent(ViewEvent* event, int timeoutMs) override;
  void Flush() override;
  int ConnectionNumber() override;
  bool IsHeadless() override { return false; }

  // Another connection of this process whose protocol errors are noted like
  // the back ends' own (never fatal) while it is watched: the window
  // model's own connection. LastErrorSerial: the serial of its last error.
  static void WatchErrors(_XDisplay* display);
  static void UnwatchErrors(_XDisplay* display);
  static unsigned long LastErrorSerial(_XDisplay* display);

 private:
  explicit XlibBackend(_XDisplay* display);
  // Marks a window of this back end as the owner of its events (0 does
  // nothing), or gives the window up.
  void Own(unsigned long window);
  void Disown(unsigned long window);
  // Puts w x h pixels at (x, y) of a window from pixels (rowSpan apart).
  void Put(unsigned long window, const uint32_t* pixels, int rowSpan, int x, int y, int w, int h);
  bool Translate(_XEvent* xevent, ViewEvent* event);
  // The serial number of the next request; after requests, FailedSince
  // waits for the server and tells whether it refused any of them.
  unsigned long Mark();
  bool FailedSince(unsigned long mark);
  void DestroyWindow(unsigned long* window);

  _XDisplay* m_display;
  int m_screen;
  unsigned long m_root;
  void* m_visual;
  int m_depth;
  void* m_gc;
  unsigned long m_wmProtocols, m_wmDeleteWindow;
  int m_shift[3], m_bits[3];  // red, green, blue in a pixel of the visual

  unsigned long m_main = 0;
  unsigned long m_parent = 0;  // 0 while top level or not shown
  bool m_topLevel = false;
  int m_width = 0, m_height = 0;
  unsigned long m_field = 0;
  std::vector<unsigned long> m_menus;
  bool m_grabbed = false;
  std::vector<uint32_t> m_scratch;
};
