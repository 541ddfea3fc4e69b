// What a view needs of the GUI it shows: the dirty area and the drawing for
// the redraw timer, the translated mouse and key calls, and the end of a text
// entry. The view calls these on the thread that runs it (the host's main
// thread), never while another of them is running, except that Draw and
// IsDirty may run inside a modal popup menu started from a mouse call.
#pragma once

#include <cstdint>

#include "platform/view/ViewTypes.h"

class ViewClient {
 public:
  virtual ~ViewClient() = default;

  // Redraw cycle. IsDirty adds the areas to repaint to r (handed in empty)
  // and answers whether there are any. Draw paints the area r into the GUI's
  // draw bitmap and puts it on the screen through View::PresentFrame.
  virtual bool IsDirty(ViewRect* r) = 0;
  virtual void Draw(const ViewRect& r) = 0;

  // Mouse and keys in GUI coordinates (origin top left). OnKeyDown answers
  // whether the GUI used the key; an unused key goes on to the window that
  // holds the view.
  virtual void OnMouseDown(int x, int y, const ViewMouseMod& mod) = 0;
  virtual void OnMouseUp(int x, int y, const ViewMouseMod& mod) = 0;
  virtual void OnMouseDrag(int x, int y, const ViewMouseMod& mod) = 0;
  virtual void OnMouseDblClick(int x, int y, const ViewMouseMod& mod) = 0;
  virtual void OnMouseOver(int x, int y, const ViewMouseMod& mod) = 0;
  virtual void OnMouseWheel(int x, int y, const ViewMouseMod& mod, int delta) = 0;
  virtual bool OnKeyDown(int x, int y, int key) = 0;

  // A text entry ended and its text is taken (UTF-8). An entry that is
  // dropped reports nothing here.
  virtual void OnTextEntryCommit(const char* text) = 0;
  // A text entry closed, taken (after OnTextEntryCommit) or dropped.
  virtual void OnTextEntryClosed() {}

  // The GUI's draw bitmap, for hosts that compare or save it: the first
  // pixel, the row span in pixels and the size. False when there is none.
  virtual bool GetDrawBitmap(const uint32_t** pixels, int* rowSpan, int* width, int* height) = 0;

  // The host took the view out of its window (a view opened without a
  // parent, placed by the host). The client lets go of the view.
  virtual void OnRemovedFromParent() {}
};
