#include "KIT/pix/pix-blit.h"

#include <cstring>

#include "KIT/pix/pix-loops.h"

namespace {

int64_t Min64(int64_t a, int64_t b) { return a < b ? a : b; }

// Destination word of the copy at weight 0.5: per-byte average, each half
// truncated.
void HalfMixRows(PIX_pixel* d, const PIX_pixel* s, int w, int h, ptrdiff_t dstep, ptrdiff_t sstep) {
  for (int y = 0; y < h; ++y) {
    PIX_pixel* __restrict dr = d + y * dstep;
    const PIX_pixel* __restrict sr = s + y * sstep;
    for (int x = 0; x < w; ++x) dr[x] = _PIX_CombinePixelsHalfMixFAST::doPix(dr[x], sr[x]);
  }
}

}  // namespace

void PIX_Blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, RECT* srcrect, float alpha, int mode) {
  if (!dest || !src || alpha == 0.0f) return;
  const int64_t srcWidth = src->getWidth(), srcHeight = src->getHeight();
  const int64_t destWidth = dest->getWidth(), destHeight = dest->getHeight();
  // Clipping in 64 bits: no rectangle or position can wrap.
  int64_t l = 0, t = 0, r = srcWidth, b = srcHeight, dx = dstx, dy = dsty;
  if (srcrect) {
    l = srcrect->left, t = srcrect->top;
    if (l < 0) dx -= l, l = 0;
    if (t < 0) dy -= t, t = 0;
    r = Min64(srcrect->right, srcWidth);
    b = Min64(srcrect->bottom, srcHeight);
  }
  if (dx < 0) l -= dx, dx = 0;
  if (dy < 0) t -= dy, dy = 0;
  if (dx + (r - l) > destWidth) r = l + destWidth - dx;
  if (dy + (b - t) > destHeight) b = t + destHeight - dy;
  if (r - l <= 0 || b - t <= 0) return;
  const int w = static_cast<int>(r - l), h = static_cast<int>(b - t);
  PIX_pixel* destBits = dest->getBits();
  PIX_pixel* srcBits = src->getBits();
  if (!destBits || !srcBits) return;

  ptrdiff_t dstep, sstep;
  PIX_pixel* d = PIX_DrawingRow(dest, destBits, static_cast<int>(dy), &dstep) + dx;
  const PIX_pixel* s = PIX_DrawingRow(src, srcBits, static_cast<int>(t), &sstep) + l;

  if ((mode & 0xf0) == 0xf0) {
    const int from = mode & 3, to = (mode >> 2) & 3;
    for (int y = 0; y < h; ++y) {
      unsigned char* dr = reinterpret_cast<unsigned char*>(d + y * dstep);
      const unsigned char* sr = reinterpret_cast<const unsigned char*>(s + y * sstep);
      for (int x = 0; x < w; ++x) dr[4 * x + to] = sr[4 * x + from];
    }
    return;
  }
  const int m = mode & 0x100ff;
  const int weight = PIX_WeightOf(static_cast<double>(alpha));
  if (m == 0 && (alpha == 1.0f || weight == 256)) {
    for (int y = 0; y < h; ++y) memmove(d + y * dstep, s + y * sstep, static_cast<size_t>(w) * 4);
    return;
  }
  if (m == 0 && alpha == 0.5f) {
    HalfMixRows(d, s, w, h, dstep, sstep);
    return;
  }
  PIX_WithBlitOperator(m, weight, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    _PIX_Template_Blit2<F>::blit(reinterpret_cast<unsigned char*>(d),
                                 reinterpret_cast<const unsigned char*>(s), w, h, dstep * 4, sstep * 4,
                                 weight);
  });
}

void PIX_Blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
              float alpha, int mode) {
  // The far edges are computed in 64 bits and held at the int range.
  const int64_t right = static_cast<int64_t>(srcx) + srcw, bottom = static_cast<int64_t>(srcy) + srch;
  RECT rect = {srcx, srcy, static_cast<int32_t>(Min64(right, INT32_MAX)),
               static_cast<int32_t>(Min64(bottom, INT32_MAX))};
  PIX_Blit(dest, src, dstx, dsty, &rect, alpha, mode);
}

void PIX_Copy(PIX_IBitmap* dest, PIX_IBitmap* src) {
  if (!dest || !src) return;
  dest->resize(src->getWidth(), src->getHeight());
  PIX_Blit(dest, src, 0, 0, nullptr, 1.0f, 0);
}

PIX_pixel PIX_GetPixel(PIX_IBitmap* bm, int x, int y) {
  if (!bm) return 0;
  PIX_pixel* bits = bm->getBits();
  if (!bits || x < 0 || y < 0 || x >= bm->getWidth() || y >= bm->getHeight()) return 0;
  ptrdiff_t step;
  return PIX_DrawingRow(bm, bits, y, &step)[x];
}

void PIX_PutPixel(PIX_IBitmap* bm, int x, int y, PIX_pixel color, float alpha, int mode) {
  if (!bm) return;
  PIX_pixel* bits = bm->getBits();
  if (!bits || x < 0 || y < 0 || x >= bm->getWidth() || y >= bm->getHeight()) return;
  ptrdiff_t step;
  PIX_pixel* p = PIX_DrawingRow(bm, bits, y, &step) + x;
  unsigned char* bytes = reinterpret_cast<unsigned char*>(p);
  const int weight = PIX_WeightOf(alpha);
  const int r = PIX_Red(color), g = PIX_Green(color), b = PIX_Blue(color), a = PIX_Alpha(color);
  const int low = mode & 0xff;
  if (low == 0) {
    if (PIX_WithCopyWordOperator(weight, [&](auto tag) { *p = decltype(tag)::type::doPix(*p, color); }))
      return;
    if (weight >= 1) _PIX_CombinePixelsCopyNoClamp::doPix(bytes, r, g, b, a, weight);
    return;
  }
  if (weight == 0) return;
  PIX_WithPlainOperator(low, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    F::doPix(bytes, r, g, b, a, weight);
  });
}

void PIX_HalveBlitAA(PIX_IBitmap* dest, PIX_IBitmap* src) {
  if (!dest || !src) return;
  PIX_pixel* d = dest->getBits();
  const PIX_pixel* s = src->getBits();
  if (!d || !s) return;
  int w = src->getWidth() / 2, h = src->getHeight() / 2;
  if (dest->getWidth() < w) w = dest->getWidth();
  if (dest->getHeight() < h) h = dest->getHeight();
  const ptrdiff_t dspan = dest->getRowSpan(), sspan = src->getRowSpan();
  for (int y = 0; y < h; ++y) {
    const PIX_pixel* s0 = s + 2 * y * sspan;
    const PIX_pixel* s1 = s0 + sspan;
    PIX_pixel* dr = d + y * dspan;
    for (int x = 0; x < w; ++x) {
      dr[x] = ((s0[2 * x] >> 2) & 0x3F3F3F3F) + ((s0[2 * x + 1] >> 2) & 0x3F3F3F3F) +
              ((s1[2 * x] >> 2) & 0x3F3F3F3F) + ((s1[2 * x + 1] >> 2) & 0x3F3F3F3F);
    }
  }
}

int PIX_BitmapCmp(PIX_IBitmap* a, PIX_IBitmap* b, RECT* coordsOut) {
  if (coordsOut) *coordsOut = RECT{0, 0, 0, 0};
  if (!a && !b) return 0;
  if (!a) return -1;
  if (!b) return 1;
  const int width = a->getWidth(), height = a->getHeight();
  if (b->getWidth() != width) return b->getWidth() - width;
  if (b->getHeight() != height) return b->getHeight() - height;
  PIX_pixel* abits = a->getBits();
  PIX_pixel* bbits = b->getBits();
  if (!abits || !bbits) return abits == bbits ? 0 : (abits ? 1 : -1);
  ptrdiff_t astep, bstep;
  const PIX_pixel* arow = PIX_DrawingRow(a, abits, 0, &astep);
  const PIX_pixel* brow = PIX_DrawingRow(b, bbits, 0, &bstep);
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  if (!coordsOut) {
    for (int y = 0; y < height; ++y) {
      const int c = memcmp(arow + y * astep, brow + y * bstep, rowBytes);
      if (c) return c;
    }
    return 0;
  }
  int top = 0;
  while (top < height && !memcmp(arow + top * astep, brow + top * bstep, rowBytes)) ++top;
  if (top == height) return 0;
  int bottom = height - 1;
  while (bottom > top && !memcmp(arow + bottom * astep, brow + bottom * bstep, rowBytes)) --bottom;
  int left = width, right = -1;
  for (int y = top; y <= bottom; ++y) {
    const PIX_pixel* ar = arow + y * astep;
    const PIX_pixel* br = brow + y * bstep;
    for (int x = 0; x < left; ++x)
      if (ar[x] != br[x]) {
        left = x;
        break;
      }
    for (int x = width - 1; x > right; --x)
      if (ar[x] != br[x]) {
        right = x;
        break;
      }
  }
  *coordsOut = RECT{left, top, right - left + 1, bottom - top + 1};
  return 1;
}
