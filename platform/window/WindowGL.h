// An OpenGL context for a view of the window model: GLX on the model's X
// connection (WindowXConnection.h), drawing into an off-screen pixel buffer
// of the view's size. The view's painting makes it current, draws with GL,
// and then its pixels join the window's surface, from where they reach the
// display like every other view's.
//
// Without a display that offers GLX pixel buffers there is no context:
// Create refuses and says why.
#pragma once

#include <memory>
#include <string>

#include "platform/window/WindowModel.h"

class WmGLContext {
 public:
  // A context without a drawing area yet; null and the reason when none
  // can be made.
  static std::unique_ptr<WmGLContext> Create(std::string* why);
  ~WmGLContext();
  WmGLContext(const WmGLContext&) = delete;
  WmGLContext& operator=(const WmGLContext&) = delete;

  // Binds the context to a drawing area of width x height (a new one when
  // the size changed; at least 1 x 1) and makes it current. False when the
  // area cannot be made.
  bool MakeCurrent(int width, int height);
  bool IsCurrent() const;
  // No context of this process is current afterwards.
  static void ClearCurrent();
  int width() const { return m_width; }
  int height() const { return m_height; }

  // Waits for the drawing to finish and copies the area's pixels into the
  // target's surface with their top left at the target's origin, clipped
  // to the target's clip. The context must be current.
  void CopyInto(const WmView::PaintTarget& target);

 private:
  WmGLContext() = default;
  struct Glx;
  std::unique_ptr<Glx> m_glx;
  int m_width = 0, m_height = 0;
};
