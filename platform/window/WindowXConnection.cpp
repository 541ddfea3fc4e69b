#include "platform/window/WindowXConnection.h"

#include <map>
#include <mutex>

// Xlib last: its macros would clash with the names above.
#include <X11/Xlib.h>

namespace {

Display* g_display = nullptr;
int g_users = 0;
bool g_pinned = false;
std::map<unsigned long, std::function<void(XEvent*)>>* g_watchers = nullptr;

// ---- Protocol errors ---------------------------------------------------------------
// Xlib has one error handler per process; ours notes the errors of our
// connection and hands every other to the handler it replaced. The serial
// is read by the model's thread and written by Xlib on that same thread,
// but the handler may be entered for another connection from anywhere, so
// the shared state sits behind a lock.
std::mutex g_errorLock;
unsigned long g_lastError = 0;
int (*g_previousHandler)(Display*, XErrorEvent*) = nullptr;
bool g_installed = false;

int OnError(Display* display, XErrorEvent* error) {
  {
    std::lock_guard<std::mutex> hold(g_errorLock);
    if (display == g_display) {
      g_lastError = error->serial;
      return 0;
    }
  }
  return g_previousHandler ? g_previousHandler(display, error) : 0;
}

void Install() {
  std::lock_guard<std::mutex> hold(g_errorLock);
  if (g_installed) return;
  g_previousHandler = XSetErrorHandler(OnError);
  g_installed = true;
}

// The handler before ours comes back, unless another was installed over
// ours meanwhile (that one stays, and hands our errors to nobody now).
void Uninstall() {
  std::lock_guard<std::mutex> hold(g_errorLock);
  if (!g_installed) return;
  int (*current)(Display*, XErrorEvent*) = XSetErrorHandler(g_previousHandler);
  if (current != OnError) XSetErrorHandler(current);
  g_installed = false;
}

}  // namespace

namespace WmXConnection {

_XDisplay* Acquire() {
  if (!g_display) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    {
      std::lock_guard<std::mutex> hold(g_errorLock);
      g_display = display;
      g_lastError = 0;
    }
    Install();
    if (!g_watchers) g_watchers = new std::map<unsigned long, std::function<void(XEvent*)>>;
  }
  ++g_users;
  return g_display;
}

void Release() {
  if (g_users <= 0 || --g_users > 0 || g_pinned) return;
  Display* display = g_display;
  XSync(display, False);
  Uninstall();
  {
    std::lock_guard<std::mutex> hold(g_errorLock);
    g_display = nullptr;
  }
  g_watchers->clear();
  XCloseDisplay(display);
}

void Pin() {
  if (g_display) g_pinned = true;
}

_XDisplay* Current() { return g_display; }

unsigned long Mark() { return g_display ? NextRequest(g_display) : 0; }

bool FailedSince(unsigned long mark) {
  if (!g_display) return true;
  XSync(g_display, False);
  std::lock_guard<std::mutex> hold(g_errorLock);
  return g_lastError >= mark;
}

void Watch(unsigned long window, std::function<void(_XEvent*)> handler) {
  if (g_watchers && window) (*g_watchers)[window] = std::move(handler);
}

void Unwatch(unsigned long window) {
  if (g_watchers) g_watchers->erase(window);
}

void Dispatch(_XEvent* event) {
  if (!g_watchers) return;
  auto found = g_watchers->find(event->xany.window);
  if (found == g_watchers->end()) return;
  // A copy: the handler may unwatch its own window.
  std::function<void(XEvent*)> handler = found->second;
  handler(event);
}

void Pump() {
  while (g_display && XPending(g_display) > 0) {
    XEvent event;
    XNextEvent(g_display, &event);
    Dispatch(&event);
  }
}

int FileDescriptor() { return g_display ? XConnectionNumber(g_display) : -1; }

}  // namespace WmXConnection
