#include "platform/window/WindowGL.h"

#include <cstring>
#include <vector>

#include "platform/window/WindowXConnection.h"

// GL and Xlib last: their macros would clash with the names above.
#include <GL/gl.h>
#include <GL/glx.h>

struct WmGLContext::Glx {
  Display* display = nullptr;
  GLXFBConfig config = nullptr;
  GLXContext context = nullptr;
  GLXPbuffer buffer = 0;
  std::vector<uint8_t> scratch;
};

std::unique_ptr<WmGLContext> WmGLContext::Create(std::string* why) {
  Display* display = WmXConnection::Acquire();
  if (!display) {
    if (why) *why = "no X display to make a GL context on";
    return nullptr;
  }
  std::unique_ptr<WmGLContext> made(new WmGLContext);
  made->m_glx.reset(new Glx);
  Glx& g = *made->m_glx;
  g.display = display;
  int first = 0, error = 0;
  if (!glXQueryExtension(display, &first, &error)) {
    if (why) *why = "the X display offers no GLX";
    return nullptr;  // the destructor gives the connection back
  }
  const int attributes[] = {GLX_DRAWABLE_TYPE,
                            GLX_PBUFFER_BIT,
                            GLX_RENDER_TYPE,
                            GLX_RGBA_BIT,
                            GLX_RED_SIZE,
                            8,
                            GLX_GREEN_SIZE,
                            8,
                            GLX_BLUE_SIZE,
                            8,
                            GLX_DEPTH_SIZE,
                            16,
                            None};
  int count = 0;
  GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
  if (!configs || count < 1) {
    if (configs) XFree(configs);
    if (why) *why = "the X display has no GLX configuration for off-screen drawing";
    return nullptr;
  }
  g.config = configs[0];
  XFree(configs);
  const unsigned long mark = WmXConnection::Mark();
  g.context = glXCreateNewContext(display, g.config, GLX_RGBA_TYPE, nullptr, True);
  if (WmXConnection::FailedSince(mark) || !g.context) {
    if (why) *why = "the X display refused a GL context";
    return nullptr;
  }
  WmXConnection::Pin();
  return made;
}

WmGLContext::~WmGLContext() {
  if (!m_glx || !m_glx->display) return;
  Glx& g = *m_glx;
  if (g.context && glXGetCurrentContext() == g.context) glXMakeContextCurrent(g.display, None, None, nullptr);
  if (g.context) glXDestroyContext(g.display, g.context);
  if (g.buffer) glXDestroyPbuffer(g.display, g.buffer);
  WmXConnection::Release();
}

bool WmGLContext::MakeCurrent(int width, int height) {
  Glx& g = *m_glx;
  width = width < 1 ? 1 : width;
  height = height < 1 ? 1 : height;
  if (!g.buffer || width != m_width || height != m_height) {
    if (g.buffer) {
      if (glXGetCurrentContext() == g.context) glXMakeContextCurrent(g.display, None, None, nullptr);
      glXDestroyPbuffer(g.display, g.buffer);
      g.buffer = 0;
    }
    const int attributes[] = {
        GLX_PBUFFER_WIDTH, width, GLX_PBUFFER_HEIGHT, height, GLX_PRESERVED_CONTENTS, True, None};
    const unsigned long mark = WmXConnection::Mark();
    g.buffer = glXCreatePbuffer(g.display, g.config, attributes);
    if (WmXConnection::FailedSince(mark) || !g.buffer) {
      g.buffer = 0;
      m_width = m_height = 0;
      return false;
    }
    m_width = width;
    m_height = height;
  }
  if (!glXMakeContextCurrent(g.display, g.buffer, g.buffer, g.context)) return false;
  glViewport(0, 0, m_width, m_height);
  return true;
}

bool WmGLContext::IsCurrent() const { return m_glx->context && glXGetCurrentContext() == m_glx->context; }

void WmGLContext::ClearCurrent() {
  Display* display = glXGetCurrentDisplay();
  if (display && glXGetCurrentContext()) glXMakeContextCurrent(display, None, None, nullptr);
}

void WmGLContext::CopyInto(const WmView::PaintTarget& t) {
  if (!IsCurrent() || m_width <= 0 || m_height <= 0) return;
  Glx& g = *m_glx;
  glFinish();
  g.scratch.resize(static_cast<size_t>(m_width) * static_cast<size_t>(m_height) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, m_width, m_height, GL_RGBA, GL_UNSIGNED_BYTE, g.scratch.data());
  // GL's rows go bottom up; the surface's top down.
  for (int y = 0; y < m_height; ++y) {
    const int sy = t.originY + y;
    if (sy < t.clipT || sy >= t.clipB) continue;
    const uint8_t* row = g.scratch.data() + static_cast<size_t>(m_height - 1 - y) * m_width * 4;
    for (int x = 0; x < m_width; ++x) {
      const int sx = t.originX + x;
      if (sx < t.clipL || sx >= t.clipR) continue;
      const uint8_t* rgba = row + static_cast<size_t>(x) * 4;
      const uint8_t word[4] = {255, rgba[0], rgba[1], rgba[2]};
      memcpy(&t.pixels[static_cast<size_t>(sy) * static_cast<size_t>(t.rowSpan) + static_cast<size_t>(sx)],
             word, 4);
    }
  }
}
