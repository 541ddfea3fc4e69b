// GL views: a window view of the layer with an OpenGL context of its own
// (the window model's GLX context, WindowGL.h). While the view paints, its
// context is current and bound to the view's size; what GL drew joins the
// window's pixels afterwards.
#include <string>

#include "KIT/winl/winl-wnd-view.h"
#include "platform/window/WindowGL.h"

void WINL_SetViewGL(HWND hwnd, bool on) {
  Winl_vVivivI_hwnd* view = WINL_AsLayerView(hwnd);
  if (!view || on == (view->m_glctx != nullptr)) return;
  if (on) {
    std::string why;
    view->m_glctx = WmGLContext::Create(&why);
    // Refused (no display offering GLX): the view stays without GL, which
    // WINL_GetViewGL tells; the reason goes to the log of the layer.
    if (!view->m_glctx) fprintf(stderr, "WINL: no GL context for a view: %s\n", why.c_str());
    return;
  }
  if (view->m_glctx->IsCurrent()) WmGLContext::ClearCurrent();
  view->m_glctx.reset();
}

bool WINL_GetViewGL(HWND hwnd) {
  Winl_vVivivI_hwnd* view = WINL_AsLayerView(hwnd);
  return view && view->m_glctx;
}

bool WINL_SetGLContextToView(HWND hwnd) {
  if (!hwnd) {
    WmGLContext::ClearCurrent();
    return false;  // none made current
  }
  Winl_vVivivI_hwnd* view = WINL_AsLayerView(hwnd);
  if (!view || !view->m_glctx) return false;
  return view->m_glctx->MakeCurrent(static_cast<int>(view->frame().width),
                                    static_cast<int>(view->frame().height));
}
