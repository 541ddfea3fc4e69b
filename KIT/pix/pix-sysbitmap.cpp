#include "KIT/pix/pix-sysbitmap.h"

#include "KIT/winl/winl-gdi.h"

PIX_SysBitmap::PIX_SysBitmap(int w, int h) {
  // Constructed 0 x 0, so that resize(0, 0) finds nothing to do.
  resize(w, h);
}

PIX_SysBitmap::~PIX_SysBitmap() {
  if (m_dc) WINL_DeleteGfxContext(m_dc);
}

bool PIX_SysBitmap::resize(int w, int h) {
  if (w == m_width && h == m_height) return false;
  m_width = w;
  m_height = h;
  if (w > 0 && h > 0 && m_allocWidth >= w && m_allocHeight >= h && m_bits) {
    if (isFlipped())
      m_bits = static_cast<PIX_pixel*>(WINL_GetCtxFrameBuffer(m_dc)) + (m_allocHeight - h) * m_allocWidth;
    return true;
  }
  // The rounded width in 64 bits: a width near the int limit cannot wrap.
  const int64_t rounded = (int64_t{w} + 3) & ~int64_t{3};
  if (m_dc) WINL_DeleteGfxContext(m_dc);
  m_dc = nullptr;
  m_bits = nullptr;
  m_allocWidth = rounded > INT32_MAX ? 0 : static_cast<int32_t>(rounded);
  m_allocHeight = h;
  if (h == 0 || rounded == 0) return false;
  if (rounded <= INT32_MAX) m_dc = WINL_CreateMemContext(nullptr, m_allocWidth, h);
  if (m_dc) {
    m_bits = static_cast<PIX_pixel*>(WINL_GetCtxFrameBuffer(m_dc));
  } else {
    m_width = m_height = 0;
    m_allocWidth = m_allocHeight = 0;
  }
  return true;
}
