// The scaled blit: clipping in floating point, then 16.16 stepping in one of
// three loops compiled per combine operator: nearest copy on whole words,
// nearest or bilinear through the operator, and box averaging for shrinks.
#include "KIT/pix/pix-scale.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <vector>

#include "KIT/pix/pix-blit.h"
#include "KIT/pix/pix-loops.h"

namespace {

// Integer part of a 16.16 position, truncated toward zero (so -65535..-1
// give 0), and its fraction, the low 16 bits.
inline int Whole(int pos) { return pos / 65536; }
inline int Fraction(int pos) { return pos & 0xFFFF; }

// The destination indices [first, end) whose positions start + i * step
// satisfy inside(position). Positions move in one direction, so the indices
// that pass form one run.
template <class Inside>
void FindRun(int start, int step, int count, Inside inside, int* first, int* end) {
  *first = *end = 0;
  int i = 0;
  while (i < count && !inside(start + i * step)) ++i;
  *first = i;
  while (i < count && inside(start + i * step)) ++i;
  *end = i;
}

// Source column (Whole) of each destination index in [first, end), in
// order: the inner loops look them up instead of stepping and dividing.
std::vector<int32_t> Columns(int start, int step, int first, int end) {
  std::vector<int32_t> columns(static_cast<size_t>(end > first ? end - first : 0));
  int pos = start + first * step;
  for (int32_t& column : columns) column = Whole(pos), pos += step;
  return columns;
}

// True when the run of count positions from start by step fits in 32 bits.
bool PositionsFit(int64_t start, int64_t step, int64_t count) {
  const int64_t last = start + (count - 1) * step;
  return start >= INT32_MIN && start <= INT32_MAX && last >= INT32_MIN && last <= INT32_MAX;
}

}  // namespace

// Nearest sampling with a whole-word operator, no weight.
// With distinct true, source and destination pixels do not share memory.
template <class F>
struct _PIX_Template_Blit0 {
  static void scaleBlitFAST(unsigned char* dest, const unsigned char* src, int w, int h, int startX,
                            int startY, int stepX, int stepY, int rightLimit, int bottomLimit,
                            ptrdiff_t srcSpan, ptrdiff_t destSpan, bool distinct) {
    auto inside = [](int limit) { return [limit](int pos) { return pos >= -65535 && Whole(pos) < limit; }; };
    int x0, x1, y0, y1;
    FindRun(startX, stepX, w, inside(rightLimit), &x0, &x1);
    FindRun(startY, stepY, h, inside(bottomLimit), &y0, &y1);
    if (x1 <= x0) return;
    const int n = x1 - x0;
    const bool copy = distinct && std::is_same<F, _PIX_CombinePixelsClobberFAST>::value;
    // A plain copy whose columns step by whole pixels 1 or 2 reads its rows
    // straight: as a row copy, or every other pixel with the row loop while
    // the pixel after the last sampled one lies inside the source limit.
    const int first = startX + x0 * stepX;
    const int wholeStep = first >= 0 && stepX % 65536 == 0 ? stepX / 65536 : 0;
    int straight = 0;
    if (copy && wholeStep == 1) straight = n;
    if (copy && wholeStep == 2) straight = Whole(first) + 2 * n <= rightLimit ? n : n - 1;
    // The other columns by a table of the source column of each.
    const std::vector<int32_t> columns = Columns(startX, stepX, x0 + straight, x1);
    for (int j = y0; j < y1; ++j) {
      const int sourceRow = Whole(startY + j * stepY);
      PIX_pixel* d = reinterpret_cast<PIX_pixel*>(dest + j * destSpan) + x0;
      // A plain copy of the row sampled just before is that row again.
      if (copy && j > y0 && sourceRow == Whole(startY + (j - 1) * stepY)) {
        memcpy(d, reinterpret_cast<const PIX_pixel*>(dest + (j - 1) * destSpan) + x0,
               static_cast<size_t>(n) * 4);
        continue;
      }
      const PIX_pixel* s = reinterpret_cast<const PIX_pixel*>(src + sourceRow * srcSpan);
      if (straight > 0 && wholeStep == 1)
        memcpy(d, s + Whole(first), static_cast<size_t>(straight) * 4);
      else if (straight > 0)
        PIX_RowPickEven(d, s + Whole(first), straight);
      for (int i = straight; i < n; ++i) d[i] = F::doPix(d[i], s[columns[static_cast<size_t>(i - straight)]]);
    }
  }
};

template <class F>
void _PIX_Template_Blit2<F>::scaleBlit(unsigned char* dest, const unsigned char* src, int w, int h,
                                       int startX, int startY, int stepX, int stepY, int rightLimit,
                                       int bottomLimit, ptrdiff_t srcSpan, ptrdiff_t destSpan, int weight,
                                       int filter, bool distinct) {
  if (filter != PIX_BLIT_FILTER_BILINEAR) {
    auto inside = [](int limit) { return [limit](int pos) { return pos >= -65535 && Whole(pos) < limit; }; };
    int x0, x1, y0, y1;
    FindRun(startX, stepX, w, inside(rightLimit), &x0, &x1);
    FindRun(startY, stepY, h, inside(bottomLimit), &y0, &y1);
    const std::vector<int32_t> columns = Columns(startX, stepX, x0, x1);
    for (int j = y0; j < y1; ++j) {
      const unsigned char* s = src + Whole(startY + j * stepY) * srcSpan;
      unsigned char* d = dest + j * destSpan;
      for (int i = x0; i < x1; ++i) {
        const unsigned char* p = s + 4 * columns[static_cast<size_t>(i - x0)];
        F::doPix(d + 4 * i, p[1], p[2], p[3], p[0], weight);
      }
    }
    return;
  }
  // Bilinear: R and B are the last readable column and row. Columns before R
  // take four taps (two in the last row), column R two (one in the last row).
  const int lastColumn = rightLimit - 1, lastRow = bottomLimit - 1;
  int a0, a1, b0, b1;
  FindRun(
      startX, stepX, w, [=](int pos) { return pos >= -65535 && Whole(pos) < lastColumn; }, &a0, &a1);
  FindRun(
      startX, stepX, w, [=](int pos) { return pos >= -65535 && Whole(pos) == lastColumn; }, &b0, &b1);
  // When source and destination are apart, the four-tap columns interpolate
  // a whole row at a time (a plain copy straight into the destination, other
  // operators through a buffer), from a table of the source columns they
  // read, made once per source row, and fractions worked out once.
  const int taps = distinct && a1 > a0 ? a1 - a0 : 0;
  std::vector<int32_t> columns(static_cast<size_t>(taps));
  std::vector<uint16_t> fractions(static_cast<size_t>(taps));
  for (int i = 0; i < taps; ++i) {
    const int at = startX + (a0 + i) * stepX;
    columns[static_cast<size_t>(i)] = Whole(at);
    fractions[static_cast<size_t>(i)] = static_cast<uint16_t>(Fraction(at));
  }
  // The table covers the columns read, first to last (either order).
  const int firstColumn = taps ? std::min(columns.front(), columns.back()) : 0;
  const int tableColumns = taps ? std::max(columns.front(), columns.back()) - firstColumn + 1 : 0;
  for (int32_t& column : columns) column -= firstColumn;
  std::vector<int16_t> table(static_cast<size_t>(tableColumns) * kBilinearColumnValues);
  int tableRow = -1;
  const bool direct = taps > 0 && std::is_same<F, _PIX_CombinePixelsClobberNoClamp>::value;
  std::vector<unsigned char> interpolated(direct ? 0 : static_cast<size_t>(taps) * 4);
  for (int j = 0; j < h; ++j) {
    const int ypos = startY + j * stepY;
    if (ypos < -65535 || Whole(ypos) > lastRow) continue;
    const int yi = Whole(ypos);
    const unsigned yf = static_cast<unsigned>(Fraction(ypos));
    const unsigned char* row = src + yi * srcSpan;
    const unsigned char* below = yi < lastRow ? row + srcSpan : row;
    unsigned char* d = dest + j * destSpan;
    int pos = startX + a0 * stepX;
    if (yi < lastRow) {
      if (taps > 0 && tableRow != 2 * yi) {
        PIX_BilinearColumns(table.data(), row + 4 * firstColumn, below + 4 * firstColumn, tableColumns);
        tableRow = 2 * yi;
      }
      if (direct) {
        PIX_BilinearRow(d + 4 * a0, table.data(), columns.data(), fractions.data(), taps, yf);
      } else if (taps > 0) {
        PIX_BilinearRow(interpolated.data(), table.data(), columns.data(), fractions.data(), taps, yf);
        for (int i = 0; i < taps; ++i) {
          const unsigned char* v = interpolated.data() + 4 * i;
          F::doPix(d + 4 * (a0 + i), v[1], v[2], v[3], v[0], weight);
        }
      } else {
        // Pixel by pixel: a pixel written may be read for the next one.
        for (int i = a0; i < a1; ++i, pos += stepX) {
          const unsigned xf = static_cast<unsigned>(Fraction(pos));
          const unsigned c = (xf * yf) >> 16;
          const unsigned wRight = xf - c, wBelow = yf - c, wHere = (65536 - yf) - wRight;
          const unsigned char* p = row + 4 * Whole(pos);
          const unsigned char* q = below + 4 * Whole(pos);
          unsigned v[4];
          for (int k = 0; k < 4; ++k)
            v[k] = (p[k] * wHere + p[4 + k] * wRight + q[k] * wBelow + q[4 + k] * c) >> 16;
          F::doPix(d + 4 * i, static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3]),
                   static_cast<int>(v[0]), weight);
        }
      }
      pos = startX + b0 * stepX;
      for (int i = b0; i < b1; ++i, pos += stepX) {
        const unsigned char* p = row + 4 * Whole(pos);
        const unsigned char* q = below + 4 * Whole(pos);
        unsigned v[4];
        for (int k = 0; k < 4; ++k) v[k] = (p[k] * (65536 - yf) + q[k] * yf) >> 16;
        F::doPix(d + 4 * i, static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3]),
                 static_cast<int>(v[0]), weight);
      }
    } else if (taps > 0) {
      // The last row's two taps are the four-tap formula with no weight
      // below (a vertical fraction of 0), over the row paired with itself.
      if (tableRow != 2 * yi + 1) {
        PIX_BilinearColumns(table.data(), row + 4 * firstColumn, row + 4 * firstColumn, tableColumns);
        tableRow = 2 * yi + 1;
      }
      if (direct) {
        PIX_BilinearRow(d + 4 * a0, table.data(), columns.data(), fractions.data(), taps, 0);
      } else {
        PIX_BilinearRow(interpolated.data(), table.data(), columns.data(), fractions.data(), taps, 0);
        for (int i = 0; i < taps; ++i) {
          const unsigned char* v = interpolated.data() + 4 * i;
          F::doPix(d + 4 * (a0 + i), v[1], v[2], v[3], v[0], weight);
        }
      }
      pos = startX + b0 * stepX;
      for (int i = b0; i < b1; ++i, pos += stepX) {
        const unsigned char* p = row + 4 * Whole(pos);
        F::doPix(d + 4 * i, p[1], p[2], p[3], p[0], weight);
      }
    } else {
      for (int i = a0; i < a1; ++i, pos += stepX) {
        const unsigned xf = static_cast<unsigned>(Fraction(pos));
        const unsigned char* p = row + 4 * Whole(pos);
        unsigned v[4];
        for (int k = 0; k < 4; ++k) v[k] = (p[k] * (65536 - xf) + p[4 + k] * xf) >> 16;
        F::doPix(d + 4 * i, static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3]),
                 static_cast<int>(v[0]), weight);
      }
      pos = startX + b0 * stepX;
      for (int i = b0; i < b1; ++i, pos += stepX) {
        const unsigned char* p = row + 4 * Whole(pos);
        F::doPix(d + 4 * i, p[1], p[2], p[3], p[0], weight);
      }
    }
  }
}

template <class F>
void _PIX_Template_Blit2<F>::scaleBlitFilterDown(unsigned char* dest, const unsigned char* src, int w, int h,
                                                 int startX, int startY, int stepX, int stepY, int rightLimit,
                                                 int bottomLimit, ptrdiff_t srcSpan, ptrdiff_t destSpan,
                                                 int weight, const int* kernel, int kernelStart,
                                                 int kernelSize, bool distinct) {
  auto inside = [](int limit) { return [limit](int pos) { return pos >= -65535 && Whole(pos) < limit; }; };
  int x0, x1, y0, y1;
  FindRun(startX, stepX, w, inside(rightLimit), &x0, &x1);
  FindRun(startY, stepY, h, inside(bottomLimit), &y0, &y1);
  // One pixel by the kernel; taps outside the readable area count neither in
  // the sums nor in the weight total.
  auto pixel = [&](unsigned char* d, int yi, int xi) {
    int sum[4] = {0, 0, 0, 0};
    int total = 0;
    for (int ky = 0; ky < kernelSize; ++ky) {
      const int sy = yi + kernelStart + ky;
      if (sy < 0 || sy >= bottomLimit) continue;
      const unsigned char* row = src + sy * srcSpan;
      for (int kx = 0; kx < kernelSize; ++kx) {
        const int sx = xi + kernelStart + kx;
        if (sx < 0 || sx >= rightLimit) continue;
        const int k = kernel[ky * kernelSize + kx];
        const unsigned char* p = row + 4 * sx;
        for (int c = 0; c < 4; ++c) sum[c] += p[c] * k;
        total += k;
      }
    }
    if (total <= 0) return;
    F::doPix(d, sum[1] / total, sum[2] / total, sum[3] / total, sum[0] / total, weight);
  };
  // A 3 x 3 box of equal weights wholly inside the source is the sum of its
  // nine pixels over 9 (the weight cancels): where source and destination
  // are apart, such pixels go a row at a time from column sums of the three
  // source rows (a plain copy straight into the destination).
  bool box = distinct && kernelSize == 3 && kernelStart == -1 && kernel[0] > 0;
  for (int k = 1; box && k < 9; ++k) box = kernel[k] == kernel[0];
  int i0 = x1, i1 = x1;
  if (box)
    FindRun(
        startX, stepX, w, [=](int pos) { return pos >= 65536 && Whole(pos) + 1 < rightLimit; }, &i0, &i1);
  const int boxes = box ? i1 - i0 : 0;
  std::vector<int32_t> centres(static_cast<size_t>(boxes));
  int firstColumn = 0, sumColumns = 0;
  if (boxes > 0) {
    firstColumn = Whole(startX + i0 * stepX) - 1;
    sumColumns = Whole(startX + (i1 - 1) * stepX) + 2 - firstColumn;
    for (int i = 0; i < boxes; ++i)
      centres[static_cast<size_t>(i)] = Whole(startX + (i0 + i) * stepX) - firstColumn;
  }
  std::vector<uint16_t> sums(static_cast<size_t>(sumColumns) * 4);
  const bool direct = std::is_same<F, _PIX_CombinePixelsClobberNoClamp>::value;
  std::vector<unsigned char> averaged(direct ? 0 : static_cast<size_t>(boxes) * 4);
  int sumsRow = -1;
  for (int j = y0; j < y1; ++j) {
    const int yi = Whole(startY + j * stepY);
    unsigned char* d = dest + j * destSpan;
    const bool boxRow = boxes > 0 && yi >= 1 && yi + 1 < bottomLimit;
    const int from = boxRow ? i0 : x1, to = boxRow ? i1 : x1;
    int pos = startX + x0 * stepX;
    for (int i = x0; i < x1; ++i, pos += stepX) {
      if (i == from) {
        i = to - 1;
        pos = startX + i * stepX;
        continue;
      }
      pixel(d + 4 * i, yi, Whole(pos));
    }
    if (!boxRow) continue;
    if (sumsRow != yi) {
      const unsigned char* middle = src + yi * srcSpan + 4 * firstColumn;
      PIX_BoxSums3(sums.data(), middle - srcSpan, middle, middle + srcSpan, sumColumns);
      sumsRow = yi;
    }
    if (direct) {
      PIX_BoxRow3(d + 4 * i0, sums.data(), centres.data(), boxes);
      continue;
    }
    PIX_BoxRow3(averaged.data(), sums.data(), centres.data(), boxes);
    for (int i = 0; i < boxes; ++i) {
      const unsigned char* v = averaged.data() + 4 * i;
      F::doPix(d + 4 * (i0 + i), v[1], v[2], v[3], v[0], weight);
    }
  }
}

void PIX_ScaledBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                    float srcy, float srcw, float srch, float alpha, int mode) {
  if (!dest || !src || dstw == 0 || dsth == 0 || alpha == 0.0f) return;
  const int filter = mode & 0xFF00;

  // Equal sizes become a plain blit; with the filter bit only from whole
  // source pixels, where bilinear sampling would take each pixel whole.
  auto nearWhole = [](float v) { return std::fabs(v - std::floor(v + 0.5)) < 0.03; };
  if (dstw > 0 && dsth > 0 && std::fabs(static_cast<double>(srcw - static_cast<float>(dstw))) < 0.001 &&
      std::fabs(static_cast<double>(srch - static_cast<float>(dsth))) < 0.001 &&
      (filter != PIX_BLIT_FILTER_BILINEAR || (nearWhole(srcx) && nearWhole(srcy)))) {
    const int left = PIX_TruncToInt(srcx + 0.5), top = PIX_TruncToInt(srcy + 0.5);
    PIX_Blit(dest, src, dstx, dsty, left, top, dstw, dsth, alpha, mode);
    return;
  }

  // Destination geometry in 64 bits: mirroring and clipping cannot wrap.
  int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  const bool mirrorX = dw < 0, mirrorY = dh < 0;
  if (mirrorX) dx += dw, dw = -dw, srcx += srcw, srcw = -srcw;
  if (mirrorY) dy += dh, dh = -dh, srcy += srch, srch = -srch;
  const float stepXf = srcw / static_cast<float>(dw);
  const float stepYf = srch / static_cast<float>(dh);
  // Exclusive source limits from the source rectangle, before any clipping
  // moves the start: a clipped blit reads no further than the whole one.
  int64_t rightLimit = PIX_TruncToInt((srcw > 0 ? srcw : 0) + static_cast<double>(srcx) + 0.999999);
  int64_t bottomLimit = PIX_TruncToInt((srch > 0 ? srch : 0) + static_cast<double>(srcy) + 0.999999);
  // A mirrored walk starts one step inside the far edge, so that its first
  // column samples the last source column instead of the edge beyond it.
  if (mirrorX) srcx += stepXf;
  if (mirrorY) srcy += stepYf;
  if (dx < 0) srcx -= static_cast<float>(static_cast<double>(dx) * stepXf), dw += dx, dx = 0;
  if (dy < 0) srcy -= static_cast<float>(static_cast<double>(dy) * stepYf), dh += dy, dy = 0;
  const int64_t destWidth = dest->getWidth(), destHeight = dest->getHeight();
  if (dx + dw > destWidth) dw = destWidth - dx;
  if (dy + dh > destHeight) dh = destHeight - dy;
  if (dw < 1 || dh < 1) return;

  const int stepX = PIX_FixedOf(stepXf), stepY = PIX_FixedOf(stepYf);
  int64_t startX = PIX_FixedOf(srcx), startY = PIX_FixedOf(srcy);
  const int64_t srcWidth = src->getWidth(), srcHeight = src->getHeight();
  // Left and right source edges with a forward step: skip the columns that
  // sample left of the source, stop before sampling past its last column.
  auto clipToSource = [](int64_t step, int64_t size, int64_t* start, int64_t* d, int64_t* n) {
    if (step <= 0) return;
    if (*start < 0) {
      const int64_t skip = (step - 1 - *start) / step;
      *n -= skip, *d += skip, *start += skip * step;
    }
    if ((*start + (*n - 1) * step) / 65536 >= size) {
      const int64_t fit = (size * 65536 - 65536 - *start) / step;
      if (fit < *n) *n = fit;
    }
  };
  clipToSource(stepX, srcWidth, &startX, &dx, &dw);
  clipToSource(stepY, srcHeight, &startY, &dy, &dh);
  if (dw < 1 || dh < 1) return;
  if (!PositionsFit(startX, stepX, dw) || !PositionsFit(startY, stepY, dh)) return;

  PIX_pixel* destBits = dest->getBits();
  PIX_pixel* srcBits = src->getBits();
  if (!destBits || !srcBits) return;
  ptrdiff_t srcStep, destStep;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(PIX_DrawingRow(src, srcBits, 0, &srcStep));
  unsigned char* d =
      reinterpret_cast<unsigned char*>(PIX_DrawingRow(dest, destBits, static_cast<int>(dy), &destStep) + dx);

  if (rightLimit > srcWidth) rightLimit = srcWidth;
  if (bottomLimit > srcHeight) bottomLimit = srcHeight;
  if (rightLimit < 1 || bottomLimit < 1) return;

  const int w = static_cast<int>(dw), h = static_cast<int>(dh);
  const int sx = static_cast<int>(startX), sy = static_cast<int>(startY);
  const int right = static_cast<int>(rightLimit), bottom = static_cast<int>(bottomLimit);
  const ptrdiff_t srcSpan = srcStep * 4, destSpan = destStep * 4;
  const int weight = PIX_WeightOf(static_cast<double>(alpha));
  // Whether the pixels read can be the pixels written: the row loops that
  // write more than one pixel from what they read need them apart.
  const bool distinct = PIX_MemoryApart(src, srcBits, dest, destBits);

  if ((mode & 0x1FFFF) == 0 && (weight == 256 || weight == 128)) {
    if (weight == 256)
      _PIX_Template_Blit0<_PIX_CombinePixelsClobberFAST>::scaleBlitFAST(
          d, s, w, h, sx, sy, stepX, stepY, right, bottom, srcSpan, destSpan, distinct);
    else
      _PIX_Template_Blit0<_PIX_CombinePixelsHalfMixFAST>::scaleBlitFAST(
          d, s, w, h, sx, sy, stepX, stepY, right, bottom, srcSpan, destSpan, distinct);
    return;
  }
  if (filter == PIX_BLIT_FILTER_BILINEAR && stepXf >= 1.7f && stepYf >= 1.7f) {
    // A box of equal weights: 3 x 3 up to a shrink of 3.0, else 5 x 5.
    const int size = (stepX > stepY ? stepX : stepY) <= 0x30000 ? 3 : 5;
    int kernel[25];
    for (int& k : kernel) k = 0x10000;
    PIX_WithBlitOperator(mode, weight, [&](auto tag) {
      typedef typename decltype(tag)::type F;
      _PIX_Template_Blit2<F>::scaleBlitFilterDown(d, s, w, h, sx, sy, stepX, stepY, right, bottom, srcSpan,
                                                  destSpan, weight, kernel, -(size / 2), size, distinct);
    });
    return;
  }
  PIX_WithBlitOperator(mode, weight, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    _PIX_Template_Blit2<F>::scaleBlit(d, s, w, h, sx, sy, stepX, stepY, right, bottom, srcSpan, destSpan,
                                      weight, filter, distinct);
  });
}
