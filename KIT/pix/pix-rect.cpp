#include "KIT/pix/pix-rect.h"

#include <algorithm>
#include <type_traits>

#include "KIT/pix/pix-loops.h"
#include "KIT/pix/pix-rows.h"

namespace {

// Clips (x, y, w, h) to the bitmap as the fills do: a negative x shrinks w by
// as much, and w is cut at the right edge; the same for y and h. False when
// nothing is left.
bool ClipArea(PIX_IBitmap* bm, int* x, int* y, int* w, int* h) {
  int64_t cx = *x, cy = *y, cw = *w, ch = *h;
  const int64_t width = bm->getWidth(), height = bm->getHeight();
  if (cx < 0) cw += cx, cx = 0;
  if (cy < 0) ch += cy, cy = 0;
  if (cw > width - cx) cw = width - cx;
  if (ch > height - cy) ch = height - cy;
  if (cw < 1 || ch < 1 || bm->getRowSpan() < 1) return false;
  *x = static_cast<int>(cx), *y = static_cast<int>(cy), *w = static_cast<int>(cw), *h = static_cast<int>(ch);
  return true;
}

// Runs op(word) on every pixel word of an area, rows stepping +span.
template <class Op>
void ForEachWord(PIX_pixel* first, int w, int h, ptrdiff_t span, Op op) {
  for (int y = 0; y < h; ++y) {
    PIX_pixel* row = first + y * span;
    for (int x = 0; x < w; ++x) row[x] = op(row[x]);
  }
}

// A whole-word fill with a FAST operator; plain stores for the opaque one.
template <class F>
void FillWords(PIX_pixel* first, int w, int h, ptrdiff_t span, PIX_pixel color) {
  // Rows that follow each other without a gap are one run.
  if (span == w && static_cast<int64_t>(w) * h <= INT32_MAX) w *= h, h = 1;
  if (std::is_same<F, _PIX_CombinePixelsClobberFAST>::value) {
    for (int row = 0; row < h; ++row) PIX_RowFill(first + row * span, static_cast<size_t>(w), color);
    return;
  }
  ForEachWord(first, w, h, span, [color](PIX_pixel p) { return F::doPix(p, color); });
}

}  // namespace

void PIX_FillRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel color, float alpha, int mode) {
  if (!dest) return;
  if (mode & PIX_BLIT_USE_SOURCE_ALPHA) alpha *= static_cast<float>(color & 0xff) / 255.0f;
  PIX_pixel* bits = dest->getBits();
  if (alpha == 0.0f || !bits || !ClipArea(dest, &x, &y, &w, &h)) return;
  PIX_pixel* first = PIX_RectFirstRow(dest, bits, y, h) + x;
  const ptrdiff_t span = dest->getRowSpan();
  const int weight = PIX_WeightOf(static_cast<double>(alpha));
  const int low = mode & 0xff;
  if (low == 0) {
    const bool done = PIX_WithCopyWordOperator(
        weight, [&](auto tag) { FillWords<typename decltype(tag)::type>(first, w, h, span, color); });
    if (done || weight < 1) return;
    // The weight stands in for the source alpha: a byte below 256.
    if (weight < 256)
      PIX_RowsBlendColor(first, span, w, h, (color & 0xFFFFFF00u) | static_cast<PIX_pixel>(weight), weight);
    else
      _PIX_Template_Blit1<_PIX_CombinePixelsCopyNoClamp>::solidBlit(reinterpret_cast<unsigned char*>(first),
                                                                    w, h, PIX_Red(color), PIX_Green(color),
                                                                    PIX_Blue(color), weight, span * 4);
    return;
  }
  if (weight == 0) return;
  PIX_WithPlainOperator(low, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    _PIX_Template_Blit1<F>::solidBlit(reinterpret_cast<unsigned char*>(first), w, h, PIX_Red(color),
                                      PIX_Green(color), PIX_Blue(color), weight, span * 4);
  });
}

void PIX_ClearRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel mask, PIX_pixel orbits) {
  if (!dest) return;
  PIX_pixel* bits = dest->getBits();
  if (!bits || !ClipArea(dest, &x, &y, &w, &h)) return;
  ForEachWord(PIX_RectFirstRow(dest, bits, y, h) + x, w, h, dest->getRowSpan(),
              [mask, orbits](PIX_pixel p) { return (p & mask) | orbits; });
}

void PIX_Clear(PIX_IBitmap* bm, PIX_pixel color) {
  if (!bm) return;
  PIX_pixel* bits = bm->getBits();
  if (!bits || bm->getWidth() < 1 || bm->getHeight() < 1) return;
  ForEachWord(bits, bm->getWidth(), bm->getHeight(), bm->getRowSpan(), [color](PIX_pixel) { return color; });
}

void PIX_MultiplyAddRect(PIX_IBitmap* bm, int x, int y, int w, int h, float rsc, float gsc, float bsc,
                         float asc, float radd, float gadd, float badd, float aadd) {
  if (!bm) return;
  PIX_pixel* bits = bm->getBits();
  if (!bits || !ClipArea(bm, &x, &y, &w, &h)) return;
  // Byte order of the pixel: alpha, red, green, blue. 64-bit products: no
  // factor can overflow.
  const int64_t scale[4] = {PIX_TruncToInt(asc * 256.0), PIX_TruncToInt(rsc * 256.0),
                            PIX_TruncToInt(gsc * 256.0), PIX_TruncToInt(bsc * 256.0)};
  const int64_t add[4] = {PIX_TruncToInt(aadd * 256.0), PIX_TruncToInt(radd * 256.0),
                          PIX_TruncToInt(gadd * 256.0), PIX_TruncToInt(badd * 256.0)};
  PIX_pixel* first = PIX_RectFirstRow(bm, bits, y, h) + x;
  const ptrdiff_t span = bm->getRowSpan();
  for (int row = 0; row < h; ++row) {
    unsigned char* p = reinterpret_cast<unsigned char*>(first + row * span);
    for (int i = 0; i < w * 4; ++i) {
      const int64_t v = (p[i] * scale[i & 3] + add[i & 3]) >> 8;
      p[i] = static_cast<unsigned char>(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
  }
}

void PIX_ProcessRect(PIX_IBitmap* bm, int x, int y, int w, int h,
                     void (*procfunc)(PIX_pixel* pixel, void* parm), void* parm) {
  if (!bm || !procfunc) return;
  PIX_pixel* bits = bm->getBits();
  if (!bits || !ClipArea(bm, &x, &y, &w, &h)) return;
  PIX_pixel* first = PIX_RectFirstRow(bm, bits, y, h) + x;
  const ptrdiff_t span = bm->getRowSpan();
  for (int row = 0; row < h; ++row)
    for (int i = 0; i < w; ++i) procfunc(first + row * span + i, parm);
}

void PIX_GradRect(PIX_IBitmap* bm, int x, int y, int w, int h, float ir, float ig, float ib, float ia,
                  float drdx, float dgdx, float dbdx, float dadx, float drdy, float dgdy, float dbdy,
                  float dady, int mode) {
  if (!bm) return;
  PIX_pixel* bits = bm->getBits();
  const int low = mode & 0xff;
  if (!bits || low > 5) return;
  // Red, green and blue scale by 255 and alpha by 256, in 16.16.
  const int dx[4] = {PIX_FixedOf(drdx * 255.0), PIX_FixedOf(dgdx * 255.0), PIX_FixedOf(dbdx * 255.0),
                     PIX_FixedOf(dadx * 256.0)};
  const int dy[4] = {PIX_FixedOf(drdy * 255.0), PIX_FixedOf(dgdy * 255.0), PIX_FixedOf(dbdy * 255.0),
                     PIX_FixedOf(dady * 256.0)};
  int64_t start[4] = {PIX_FixedOf(ir * 255.0), PIX_FixedOf(ig * 255.0), PIX_FixedOf(ib * 255.0),
                      PIX_FixedOf(ia * 256.0)};
  // A negative corner moves the start colour by the steps cut off.
  for (int k = 0; k < 4; ++k) {
    if (x < 0) start[k] -= static_cast<int64_t>(x) * dx[k];
    if (y < 0) start[k] -= static_cast<int64_t>(y) * dy[k];
  }
  if (!ClipArea(bm, &x, &y, &w, &h)) return;
  int startWord[4];
  for (int k = 0; k < 4; ++k)
    startWord[k] =
        static_cast<int>(start[k] < INT32_MIN ? INT32_MIN : (start[k] > INT32_MAX ? INT32_MAX : start[k]));
  ptrdiff_t step;
  unsigned char* first = reinterpret_cast<unsigned char*>(PIX_DrawingRow(bm, bits, y, &step) + x);
  // Copy at a constant full alpha writes the gradient itself.
  if (low == 0 && dx[3] == 0 && dy[3] == 0 && (startWord[3] >> 16) == 256) {
    _PIX_Template_Blit1<_PIX_CombinePixelsClobberClamp>::gradBlit(first, w, h, startWord, dx, dy, step * 4);
    return;
  }
  switch (low) {
    case 0:
      _PIX_Template_Blit1<_PIX_CombinePixelsCopyClamp>::gradBlit(first, w, h, startWord, dx, dy, step * 4);
      break;
    case 3:
      _PIX_Template_Blit1<_PIX_CombinePixelsMulClamp>::gradBlit(first, w, h, startWord, dx, dy, step * 4);
      break;
    default:
      PIX_WithPlainOperator(low, [&](auto tag) {
        typedef typename decltype(tag)::type F;
        _PIX_Template_Blit1<F>::gradBlit(first, w, h, startWord, dx, dy, step * 4);
      });
  }
}

void PIX_SetAlphaFromColorMask(PIX_IBitmap* bm, PIX_pixel color) {
  if (!bm) return;
  PIX_pixel* bits = bm->getBits();
  if (!bits || bm->getWidth() < 1 || bm->getHeight() < 1) return;
  ForEachWord(bits, bm->getWidth(), bm->getHeight(), bm->getRowSpan(),
              [color](PIX_pixel p) { return (p & 0xFFFFFF00) == color ? (p & 0xFFFFFF00) : (p | 0xFF); });
}

void PIX_SimpleFill(PIX_IBitmap* bm, int x, int y, PIX_pixel newcolor, PIX_pixel comparemask,
                    PIX_pixel keepmask) {
  if (!bm) return;
  PIX_pixel* bits = bm->getBits();
  const int width = bm->getWidth(), height = bm->getHeight();
  if (!bits || x < 0 || y < 0 || x >= width || y >= height) return;
  const ptrdiff_t span = bm->getRowSpan();
  const PIX_pixel target = bits[y * span + x] & comparemask;
  auto matches = [&](PIX_pixel p) { return (p & comparemask) == target; };
  auto fillRow = [&](PIX_pixel* row) {
    row[x] = (row[x] & keepmask) | newcolor;
    for (int i = x + 1; i < width && matches(row[i]); ++i) row[i] = (row[i] & keepmask) | newcolor;
    for (int i = x - 1; i >= 0 && matches(row[i]); --i) row[i] = (row[i] & keepmask) | newcolor;
  };
  for (int row = y; row < height && matches(bits[row * span + x]); ++row) fillRow(bits + row * span);
  for (int row = y - 1; row >= 0 && matches(bits[row * span + x]); --row) fillRow(bits + row * span);
}
