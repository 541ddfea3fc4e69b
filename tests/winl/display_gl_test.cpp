// GL views on the test display: a dialog's child view that draws with
// OpenGL in its WM_PAINT, shown through the X server with what GL drew,
// the right way up, again after a resize, and without GL once it is turned
// off. Skipped without a display.
#include <vector>

#include "display_fixture.h"

// GL last, beside Xlib.
#include <GL/gl.h>
#include <GL/glx.h>

namespace {

HWND g_glView = nullptr;
int g_glPaints = 0;

// Paints a blue view with a red square of 10 x 10 at its top left corner
// (GL counts rows from the bottom), while it has GL.
long GLViewProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_PAINT && WINL_GetViewGL(hwnd)) {
    ++g_glPaints;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.125f, 0.375f, 0.875f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, viewport[3] - 10, 10, 10);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    return 0;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

void BuildGLDialog(HWND hwnd, int) {
  g_glView = WINL_CreateWindowView(nullptr, hwnd, reinterpret_cast<DLGPROC>(GLViewProc), 0);
  SetWindowPos(g_glView, nullptr, 20, 30, 120, 80, SWP_NOZORDER);
  ShowWindow(g_glView, 1);
  WINL_SetViewGL(g_glView, true);
}

char kGLDialog[] = "gl dialog";
WINL_DialogResourceIndex g_glRecord{kGLDialog, "GL", 0x4 | 0x10, BuildGLDialog, 240, 160, nullptr};

long GLDialogProc(HWND, unsigned int msg, unsigned long, long) { return msg == WM_INITDIALOG ? 1 : 0; }

class DisplayGLTest : public XDisplayTest {
 protected:
  // The colour the X server shows at (x, y) of the window, as 0xRRGGBB.
  unsigned long Shown(Window window, int x, int y) {
    XImage* image = XGetImage(m_display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xFFFFFFFF;
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return p & 0xFFFFFF;
  }
  // Paints what waits and puts it on the display.
  void Settle(HWND dialog) {
    WmWindow* window = WINL_AsView(dialog)->window();
    StepUntil([&] { return !window->ViewsNeedDisplay(); });
    window->Flush();
    XSync(m_display, False);
  }
};

const unsigned long kBlue = 0x2060DF, kRed = 0xFF0000;

bool Near(unsigned long a, unsigned long b) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d < -2 || d > 2) return false;
  }
  return true;
}

TEST_F(DisplayGLTest, AGLViewShowsWhatGLDrew) {
  g_glPaints = 0;
  Window xwindow = 0;
  HWND dialog = ShowDialog(&g_glRecord, reinterpret_cast<DLGPROC>(GLDialogProc), &xwindow);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(WINL_GetViewGL(g_glView)) << "the test display offers GLX";
  InvalidateRect(g_glView, nullptr, 0);
  Settle(dialog);
  EXPECT_GT(g_glPaints, 0);
  // The view sits at (20, 30) of the dialog, 120 x 80.
  EXPECT_TRUE(Near(Shown(xwindow, 25, 35), kRed))
      << std::hex << Shown(xwindow, 25, 35) << " the top left square";
  EXPECT_TRUE(Near(Shown(xwindow, 25, 100), kBlue))
      << std::hex << Shown(xwindow, 25, 100) << " the bottom left";
  EXPECT_TRUE(Near(Shown(xwindow, 130, 40), kBlue)) << "the top right";
  EXPECT_FALSE(Near(Shown(xwindow, 150, 40), kBlue)) << "nothing beyond the view";

  // Resized, it draws at its new size.
  SetWindowPos(g_glView, nullptr, 20, 30, 180, 100, SWP_NOZORDER);
  InvalidateRect(g_glView, nullptr, 0);
  Settle(dialog);
  EXPECT_TRUE(Near(Shown(xwindow, 190, 120), kBlue))
      << std::hex << Shown(xwindow, 190, 120) << " the new corner";
  EXPECT_TRUE(Near(Shown(xwindow, 25, 35), kRed));

  // The program may make the view's context current itself, and clear it.
  ASSERT_TRUE(WINL_SetGLContextToView(g_glView));
  EXPECT_NE(glGetString(GL_RENDERER), nullptr);
  EXPECT_FALSE(WINL_SetGLContextToView(nullptr));
  EXPECT_EQ(glXGetCurrentContext(), nullptr);

  // Turned off, the view paints no GL any more.
  WINL_SetViewGL(g_glView, false);
  EXPECT_FALSE(WINL_GetViewGL(g_glView));
  EXPECT_FALSE(WINL_SetGLContextToView(g_glView));
  const int paints = g_glPaints;
  InvalidateRect(g_glView, nullptr, 0);
  Settle(dialog);
  EXPECT_EQ(g_glPaints, paints);
  // Turned on again and destroyed with its dialog while current.
  WINL_SetViewGL(g_glView, true);
  ASSERT_TRUE(WINL_SetGLContextToView(g_glView));
  DestroyWindow(dialog);
  WmApplication::Shared().Step(0);
}

}  // namespace
