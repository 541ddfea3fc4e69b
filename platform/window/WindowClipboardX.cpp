// The general pasteboard's text as the X CLIPBOARD selection: a connection
// and an unmapped window of its own, served by one thread. The thread
// claims the selection when the pasteboard gets text, answers other
// programs' requests for it (TARGETS, UTF8_STRING, STRING, TEXT), and
// fetches their text when the pasteboard is read while another program
// holds the selection. Text above 256 KiB is not offered (no incremental
// transfers).
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/window/WindowPasteboard.h"

// Xlib last: its macros would clash with the names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

const size_t kLargestText = 256 * 1024;
const auto kForeignWait = std::chrono::milliseconds(500);

class XClipboard : public WmPasteboard::Bridge {
 public:
  static XClipboard* Open() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    return new XClipboard(display);
  }
  ~XClipboard() override {
    m_stop = true;
    Wake();
    if (m_thread.joinable()) m_thread.join();
    XDestroyWindow(m_display, m_window);
    XCloseDisplay(m_display);
    close(m_wake[0]);
    close(m_wake[1]);
  }

  void Changed(const std::string* text) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (text && text->size() <= kLargestText) {
      m_text = *text;
      m_claim = true;
    } else {
      m_release = true;
    }
    Wake();
  }

  bool ForeignText(std::string* text) override {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_owned || m_claim) return false;  // the pasteboard's own text stands
    m_foreignWanted = true;
    m_foreignDone = false;
    Wake();
    if (!m_cv.wait_for(lock, kForeignWait, [this] { return m_foreignDone; })) {
      m_foreignWanted = false;
      return false;
    }
    if (!m_foreignOk) return false;
    *text = m_foreign;
    return true;
  }

 private:
  explicit XClipboard(Display* display) : m_display(display) {
    m_window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    m_clipboard = XInternAtom(display, "CLIPBOARD", False);
    m_utf8 = XInternAtom(display, "UTF8_STRING", False);
    m_targets = XInternAtom(display, "TARGETS", False);
    m_textAtom = XInternAtom(display, "TEXT", False);
    m_property = XInternAtom(display, "WINL_CLIPBOARD", False);
    XFlush(display);
    if (pipe(m_wake) != 0) m_wake[0] = m_wake[1] = -1;
    m_thread = std::thread([this] { Run(); });
  }

  void Wake() {
    const char byte = 1;
    if (m_wake[1] >= 0) (void)!write(m_wake[1], &byte, 1);
  }

  void Run() {
    while (!m_stop) {
      pollfd fds[2] = {{ConnectionNumber(m_display), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
      if (!XPending(m_display)) poll(fds, 2, 100);
      if (fds[1].revents & POLLIN) {
        char drain[64];
        (void)!read(m_wake[0], drain, sizeof drain);
      }
      Requests();
      while (XPending(m_display)) {
        XEvent event;
        XNextEvent(m_display, &event);
        Handle(event);
      }
      XFlush(m_display);
    }
  }

  // What the main thread asked for.
  void Requests() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_claim) {
      m_claim = false;
      m_release = false;
      XSetSelectionOwner(m_display, m_clipboard, m_window, CurrentTime);
      m_owned = XGetSelectionOwner(m_display, m_clipboard) == m_window;
    } else if (m_release) {
      m_release = false;
      if (m_owned) XSetSelectionOwner(m_display, m_clipboard, None, CurrentTime);
      m_owned = false;
      m_text.clear();
    }
    if (m_foreignWanted && !m_converting) {
      m_foreignWanted = false;
      if (XGetSelectionOwner(m_display, m_clipboard) == None) {
        Answer(false, std::string());
      } else {
        XDeleteProperty(m_display, m_window, m_property);
        XConvertSelection(m_display, m_clipboard, m_utf8, m_property, m_window, CurrentTime);
        m_converting = true;
      }
    }
  }

  // Called with the lock held.
  void Answer(bool ok, const std::string& text) {
    m_foreignOk = ok;
    m_foreign = text;
    m_foreignDone = true;
    m_cv.notify_all();
  }

  void Handle(const XEvent& event) {
    switch (event.type) {
      case SelectionRequest:
        Serve(event.xselectionrequest);
        break;
      case SelectionClear: {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_owned = false;  // another program holds the clipboard now
        break;
      }
      case SelectionNotify: {
        std::string text;
        bool ok = false;
        if (event.xselection.property != None) {
          Atom type = None;
          int format = 0;
          unsigned long count = 0, after = 0;
          unsigned char* data = nullptr;
          if (XGetWindowProperty(m_display, m_window, m_property, 0, kLargestText / 4, True, AnyPropertyType,
                                 &type, &format, &count, &after, &data) == Success &&
              data && format == 8 && (type == m_utf8 || type == XA_STRING)) {
            text.assign(reinterpret_cast<char*>(data), count);
            ok = true;
          }
          if (data) XFree(data);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_converting = false;
        Answer(ok, text);
        break;
      }
      default:
        break;
    }
  }

  void Serve(const XSelectionRequestEvent& request) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = request.display;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None;
    const Atom property = request.property != None ? request.property : request.target;
    std::string text;
    bool owned;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      text = m_text;
      owned = m_owned;
    }
    if (owned && request.selection == m_clipboard) {
      if (request.target == m_targets) {
        const Atom targets[] = {m_targets, m_utf8, XA_STRING, m_textAtom};
        XChangeProperty(m_display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(targets), 4);
        reply.property = property;
      } else if (request.target == m_utf8 || request.target == XA_STRING || request.target == m_textAtom) {
        const Atom type = request.target == XA_STRING ? XA_STRING : m_utf8;
        XChangeProperty(m_display, request.requestor, property, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
        reply.property = property;
      }
    }
    XSendEvent(m_display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
  }

  Display* m_display;
  Window m_window = 0;
  Atom m_clipboard = 0, m_utf8 = 0, m_targets = 0, m_textAtom = 0, m_property = 0;
  int m_wake[2] = {-1, -1};
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::condition_variable m_cv;
  // Guarded by m_mutex.
  std::string m_text;
  bool m_owned = false, m_claim = false, m_release = false;
  bool m_foreignWanted = false, m_foreignDone = false, m_foreignOk = false, m_converting = false;
  std::string m_foreign;
};

// Stopped and joined at process exit.
struct BridgeHolder {
  std::unique_ptr<XClipboard> bridge;
  ~BridgeHolder() { Stop(); }
  void Stop() {
    if (!bridge) return;
    WmPasteboard::General().SetBridge(nullptr);
    bridge.reset();
  }
};
BridgeHolder g_holder;

}  // namespace

bool WmStartClipboardBridge() {
  if (g_holder.bridge) return true;
  const char* display = getenv("DISPLAY");
  if (!display || !*display) return false;
  XClipboard* bridge = XClipboard::Open();
  if (!bridge) return false;
  g_holder.bridge.reset(bridge);
  WmPasteboard::General().SetBridge(bridge);
  return true;
}

void WmStopClipboardBridge() { g_holder.Stop(); }
