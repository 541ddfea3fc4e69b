// The window model's own connection to the X display, beside the view
// layer's (which shows the windows): the protocols the model speaks itself
// go over it: GL contexts of views, drag and drop with other programs, and
// the windows that hold embedded views.
//
// - One connection per process, opened by the first Acquire and closed by
//   the last Release; used only from the thread that runs the model.
// - Protocol errors on it are noted by request serial number, never fatal
//   (by the view layer's error handler, XlibBackend.h): Mark before
//   requests, FailedSince after them.
// - Events reach the handler watching their window; Pump hands out what
//   has arrived without waiting. Events of windows nobody watches are
//   dropped.
#pragma once

#include <functional>

struct _XDisplay;
union _XEvent;

namespace WmXConnection {

// The connection (opened now when none is), or null when the environment
// names no display that opens. Each non-null answer takes one reference.
_XDisplay* Acquire();
void Release();
// Keeps the open connection for the rest of the process, whatever Release
// says: GLX keeps its driver's state with the connection, and closing it
// unloads the driver while its state lives on.
void Pin();
// The open connection, or null; takes no reference.
_XDisplay* Current();

// The serial number of the next request, and whether a request from that
// one on failed (waits for the server to answer everything first).
unsigned long Mark();
bool FailedSince(unsigned long mark);

// Events of window go to handler until Unwatch; one handler a window.
void Watch(unsigned long window, std::function<void(_XEvent*)> handler);
void Unwatch(unsigned long window);
// Hands every event that has arrived to its handler; does not wait.
void Pump();
// Hands one event (taken from the connection by its caller) to its handler.
void Dispatch(_XEvent* event);
// The connection's file descriptor, -1 when none is open.
int FileDescriptor();

}  // namespace WmXConnection
