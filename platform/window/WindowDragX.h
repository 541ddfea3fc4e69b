// Drag and drop with other X programs, for the Xlib presenter: the X
// drag-and-drop protocol (version 5) with its direct-save extension for
// promised files, spoken over the window model's own X connection.
//
// - Drops: a registered window takes drags of file names (text/uri-list)
//   and of promised files (XdndDirectSave0) from other programs; they reach
//   its views through a WmDropTracker. Messages go to a proxy window of the
//   model's connection.
// - Drags: a drag started in a window follows the pointer until its button
//   is up, offering its file names or its promised file to the program
//   under the pointer; over this program's own windows it is delivered
//   within the process.
#pragma once

#include "platform/window/WindowDrag.h"

// The presenter's X window xwindow of window takes drops from now on;
// false without a display.
bool WmXdndRegister(WmWindow* window, unsigned long xwindow);
void WmXdndUnregister(unsigned long xwindow);
// Runs a drag (see WmRunDrag); false without a display or when no target
// took it.
bool WmXdndRunDrag(const WmDragSource& source);
