// What a host holds of an editor view: the user pane that the plug-in puts
// into the host's window, or the view it hands out for the host to place.
// The host and the plug-in are separate shared objects, each with its own
// copy of the static libraries, so this is an interface of virtual calls
// only: a host that includes this header drives the plug-in's view through
// it without reaching any code of its own copy of the layer.
//
// All calls run on the host's main thread. A host waits for input on the
// connection (when there is one) at most MillisecondsToNextTick, then calls
// RunPending; that is the whole event loop the view needs.
#pragma once

#include <cstdint>

#include "platform/view/ViewTypes.h"

// One entry of an open popup menu as a host reads it: its title (UTF-8, cut
// to fit), its state and its screen rectangle.
struct ViewPaneMenuItem {
  char title[256] = {0};
  bool choosable = false;   // enabled, not a separator, header or submenu opener
  bool hasSubmenu = false;  // opens a submenu when the pointer rests on it
  ViewRect screen;
};

class ViewPane {
 public:
  // The file descriptor of the window-system connection to wait on for
  // input; -1 for a headless view.
  virtual int ConnectionNumber() = 0;
  // Milliseconds until the redraw timer fires next; 0 when it is due; -1
  // when the timer is not running.
  virtual int MillisecondsToNextTick() = 0;
  // Handles every event that has arrived, fires the redraw timer when due
  // and paints what it invalidated.
  virtual void RunPending() = 0;
  // Makes the window current: a round trip to the window system so that
  // every event sent to the view before this call is handled, then one
  // timer firing now and the painting it causes.
  virtual void Synchronize() = 0;

  // The view's window (an X window id); 0 for a headless view.
  virtual unsigned long NativeWindow() = 0;
  virtual bool IsHeadless() = 0;
  virtual int Width() = 0;
  virtual int Height() = 0;

  // Copies what the window shows (read back from the window system, or the
  // headless frame, with the levels of an open popup menu over it) as pixel
  // words (alpha, red, green, blue bytes; alpha 255) into pixels, rowSpan
  // pixels apart, Width() x Height(). False when it cannot be read.
  virtual bool ReadWindow(uint32_t* pixels, int rowSpan) = 0;
  // Copies the GUI's draw bitmap the same way (its width and height as the
  // window's). False without a GUI or bitmap.
  virtual bool ReadDrawBitmap(uint32_t* pixels, int rowSpan) = 0;

  // For a view handed out without a parent: the host places it inside its
  // window (an X window id; 0 shows it as a top-level window of its own),
  // and later takes it out again, after which the view is inert and freed.
  // Each is called once; a pane the plug-in put into the host's window
  // itself ignores both.
  virtual void AddToParent(unsigned long parentWindow) = 0;
  virtual void RemoveFromParent() = 0;

  // True once the user asked to close the view's top-level window.
  virtual bool CloseRequested() = 0;

  // ---- Input from the host ---------------------------------------------------
  // A host that drives the view as a user would (a script) posts input
  // events here. They are handled in order, before the window system's, by
  // RunPending and Synchronize and by the loop of an open popup menu. For
  // events of the main window the view fills in the screen position from x
  // and y; menu events carry screen positions of their own.
  virtual void PostInput(const ViewEvent& event) = 0;
  // While a popup menu is open and no posted input waits, the view calls
  // hook(context) before it looks for the window system's events, so that
  // the host can post more input (or do other work) on its own thread. The
  // hook answers false when no input will come any more, which closes the
  // menu without a choice. A null hook: the view waits for the window
  // system alone.
  virtual void SetInputHook(bool (*hook)(void* context), void* context) = 0;
  // The open popup menu: its levels (0 when no menu is open), the entries of
  // a level, and one entry; false for an entry that is not there.
  virtual int MenuLevelCount() = 0;
  virtual int MenuItemCount(int level) = 0;
  virtual bool MenuItemAt(int level, int index, ViewPaneMenuItem* item) = 0;

 protected:
  ~ViewPane() = default;
};
