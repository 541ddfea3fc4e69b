#include "platform/window/WindowXConnection.h"

#include <map>

#include "platform/view/XlibBackend.h"

// Xlib last: its macros would clash with the names above.
#include <X11/Xlib.h>

namespace {

Display* g_display = nullptr;
int g_users = 0;
bool g_pinned = false;
std::map<unsigned long, std::function<void(XEvent*)>>* g_watchers = nullptr;

}  // namespace

namespace WmXConnection {

_XDisplay* Acquire() {
  if (!g_display) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    g_display = display;
    // Its errors are noted by the view layer's one handler of this code.
    XlibBackend::WatchErrors(display);
    if (!g_watchers) g_watchers = new std::map<unsigned long, std::function<void(XEvent*)>>;
  }
  ++g_users;
  return g_display;
}

void Release() {
  if (g_users <= 0 || --g_users > 0 || g_pinned) return;
  Display* display = g_display;
  XSync(display, False);
  XlibBackend::UnwatchErrors(display);
  g_display = nullptr;
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
  return XlibBackend::LastErrorSerial(g_display) >= mark;
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
