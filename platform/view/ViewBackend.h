// The window-system side of a view: its main window, the overlay windows of
// popup menus and the text field, putting pixels on them, and the events
// they receive. Two back ends exist: headless (HeadlessBackend.h: scripted
// events, frames kept in memory) and Xlib (XlibBackend.h). A view owns one.
//
// Pixels handed to a back end are pixel words (alpha, red, green, blue
// bytes in memory); windows show red, green and blue and ignore alpha.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/view/ViewTypes.h"

class ViewBackend {
 public:
  virtual ~ViewBackend() = default;

  // ---- Main window --------------------------------------------------------
  // Makes the main window of width x height inside parent (a window-system
  // id; 0: no parent yet, shown as a top-level window once Show is called).
  // False when it cannot be made.
  virtual bool CreateMainWindow(unsigned long parent, int width, int height) = 0;
  virtual void DestroyMainWindow() = 0;
  // Moves the main window into parent (0: top level) and shows it.
  virtual void Show(unsigned long parent) = 0;
  // Hides the main window and takes it out of its parent.
  virtual void Detach() = 0;
  virtual void Resize(int width, int height) = 0;
  virtual unsigned long MainWindow() = 0;
  // Puts the pixels of the area clip (main-window coordinates, clipped to
  // the window and to width x height) on the main window; pixels holds
  // width x height words rowSpan apart.
  virtual void PutMain(const uint32_t* pixels, int rowSpan, int width, int height, const ViewRect& clip) = 0;
  // Reads the main window's pixels back (alpha 255). False when unreadable.
  virtual bool ReadMain(uint32_t* pixels, int rowSpan, int width, int height) = 0;
  // Gives the main window the keyboard.
  virtual void TakeFocus(uint32_t time) = 0;
  // Hands a key the view did not use to the window that holds the view.
  virtual void ForwardKey(const ViewEvent& key) = 0;
  // Main-window coordinates to screen coordinates.
  virtual void ToScreen(int x, int y, int* screenX, int* screenY) = 0;
  virtual void ScreenSize(int* width, int* height) = 0;

  // ---- Overlays -----------------------------------------------------------
  // The text field: a child window of the main window at rect; hiding
  // removes it.
  virtual void ShowField(const ViewRect& rect) = 0;
  virtual void HideField() = 0;
  virtual void PutField(const uint32_t* pixels, int rowSpan, int width, int height) = 0;
  // Menu level windows, numbered from 0 (the first menu), at screen
  // rectangles. Showing the first level takes the pointer and keyboard
  // until the last level is hidden.
  virtual void ShowMenu(int level, const ViewRect& screenRect) = 0;
  virtual void HideMenu(int level) = 0;
  virtual void PutMenu(int level, const uint32_t* pixels, int rowSpan, int width, int height) = 0;

  // ---- Events ---------------------------------------------------------------
  // The next event: waits up to timeoutMs (0: does not wait; negative: waits
  // without limit). Returns 1 with an event, 0 when none came in time, -1
  // when no event will ever come (a headless script ran out, or the
  // connection broke).
  virtual int NextEvent(ViewEvent* event, int timeoutMs) = 0;
  // Sends every request and waits until the window system has handled them,
  // so that events caused before this call are queued to this back end.
  virtual void Flush() = 0;
  virtual int ConnectionNumber() = 0;
  virtual bool IsHeadless() = 0;
};

// A back end for a new view: Xlib when the environment names a display that
// can be opened and VIVIVI_VIEW is not "headless", else headless.
std::unique_ptr<ViewBackend> MakeViewBackend();
