#include "KIT/pix/pix-glyph.h"

#include "KIT/pix/pix-line-impl.h"

namespace {

// The mask loop over operator F: w x h mask bytes from mask (rows maskSpan
// apart) onto the rows from first (rows step apart).
template <class F>
struct GlyphDrawImpl {
  static void DrawGlyph(PIX_pixel* first, ptrdiff_t step, const unsigned char* mask, int maskSpan, int w,
                        int h, PIX_pixel color, int weight) {
    const int r = PIX_Red(color), g = PIX_Green(color), b = PIX_Blue(color), a = PIX_Alpha(color);
    for (int row = 0; row < h; ++row) {
      unsigned char* d = reinterpret_cast<unsigned char*>(first + row * step);
      const unsigned char* m = mask + row * maskSpan;
      for (int x = 0; x < w; ++x)
        if (m[x]) F::doPix(d + 4 * x, r, g, b, a, m[x] * weight / 256);
    }
  }
};

}  // namespace

void PIX_DrawGlyphEx(PIX_IBitmap* bm, int x, int y, PIX_pixel color, const unsigned char* alphas, int glyph_w,
                     int glyph_span, int glyph_h, float alpha, int mode) {
  if (!bm || !alphas || glyph_w < 1 || glyph_h < 1 || glyph_span < glyph_w) return;
  PIX_pixel* bits = bm->getBits();
  const int width = bm->getWidth(), height = bm->getHeight();
  if (!bits || width < 1 || height < 1) return;
  if (x <= -glyph_w || y <= -glyph_h) return;
  const int left = x > 0 ? x : 0, top = y > 0 ? y : 0;
  if (left >= width || top >= height) return;
  // x > -glyph_w, so these are at least 1 and the sums below cannot overflow.
  int visibleW = glyph_w + (x < 0 ? x : 0), visibleH = glyph_h + (y < 0 ? y : 0);
  if (visibleW > width - left) visibleW = width - left;
  if (visibleH > height - top) visibleH = height - top;
  const int weight = PIX_WeightOf(alpha);
  const unsigned char* mask = alphas + static_cast<ptrdiff_t>(top - y) * glyph_span + (left - x);
  ptrdiff_t step;
  PIX_pixel* first = PIX_DrawingRow(bm, bits, top, &step) + left;
  PIX_WithStrokeOperator(mode & 0xff, weight, false, false, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    GlyphDrawImpl<F>::DrawGlyph(first, step, mask, glyph_span, visibleW, visibleH, color, weight);
  });
}

void PIX_DrawGlyph(PIX_IBitmap* bm, int x, int y, PIX_pixel color, const unsigned char* alphas, int glyph_w,
                   int glyph_h, float alpha, int mode) {
  PIX_DrawGlyphEx(bm, x, y, color, alphas, glyph_w, glyph_w, glyph_h, alpha, mode);
}
