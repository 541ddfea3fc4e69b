// A bitmap whose pixels live in an offscreen drawing context of the
// Win32-style layer, so that native text drawing lands in the same pixels
// (the GUI's draw bitmap, the cached font's glyph scratch bitmap).
#pragma once

#include "KIT/pix/pix-bitmap.h"

class PIX_SysBitmap : public PIX_IBitmap {
 public:
  // Calls resize(w, h), also for 0 x 0, which leaves it without a context.
  PIX_SysBitmap(int w, int h);
  ~PIX_SysBitmap() override;
  PIX_SysBitmap(const PIX_SysBitmap&) = delete;
  PIX_SysBitmap& operator=(const PIX_SysBitmap&) = delete;

  PIX_pixel* getBits() override { return m_bits; }
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  // The context's width: the width rounded up to a multiple of 4 when the
  // context was made.
  int getRowSpan() override { return m_allocWidth; }
  HDC getDC() override { return m_dc; }

  // Same size: false. A size within the context's (both sides above 0) keeps
  // the context and its pixels: true. Otherwise the old context goes and a
  // new zero-filled one of ((w + 3) & ~3) x h is made: true, or, when it
  // cannot be made, the bitmap is left empty (0 x 0): still true. A height of
  // 0 or a rounded width of 0 leaves no context and returns false, the size
  // being kept as given (so 0 x 50 reports width 0 and height 50).
  bool resize(int w, int h) override;

 private:
  int32_t m_width = 0;
  int32_t m_height = 0;
  HDC m_dc = nullptr;
  PIX_pixel* m_bits = nullptr;
  int32_t m_allocWidth = 0;
  int32_t m_allocHeight = 0;
};
