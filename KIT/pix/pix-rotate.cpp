#include "KIT/pix/pix-rotate.h"

#include <cmath>

#include "KIT/pix/pix-loops.h"

typedef void (*PIX_CombineFunc)(unsigned char* dest, int r, int g, int b, int a, int w);

// The one loop of the affine blits. Positions and steps are 16.16; they are
// carried in 64 bits so that no walk over a large area can overflow.
struct _PIX_Template_Blit3 {
  static void deltaBlit(unsigned char* dest, const unsigned char* src, int w, int h, int64_t s, int64_t t,
                        int64_t dsdx, int64_t dtdx, int64_t dsdy, int64_t dtdy, int64_t dsdxdy,
                        int64_t dtdxdy, int minX, int minY, int maxX, int maxY, ptrdiff_t srcSpan,
                        ptrdiff_t destSpan, int weight, int filter, PIX_CombineFunc combine) {
    const int64_t lastColumn = maxX - 1, lastRow = maxY - 1;
    for (int j = 0; j < h; ++j) {
      unsigned char* d = dest + j * destSpan;
      int64_t ps = s, pt = t;
      for (int i = 0; i < w; ++i, ps += dsdx, pt += dtdx) {
        // Integer parts truncate toward zero; fractions are the low 16 bits.
        const int64_t xi = ps / 65536, yi = pt / 65536;
        if (xi < minX || yi < minY || xi > lastColumn || yi > lastRow) continue;
        const unsigned char* p = src + yi * srcSpan + 4 * xi;
        if (filter != PIX_BLIT_FILTER_BILINEAR) {
          combine(d + 4 * i, p[1], p[2], p[3], p[0], weight);
          continue;
        }
        const unsigned xf = static_cast<unsigned>(ps & 0xFFFF), yf = static_cast<unsigned>(pt & 0xFFFF);
        unsigned v[4];
        if (yi < lastRow && xi < lastColumn) {
          const unsigned c = (xf * yf) >> 16;
          const unsigned wRight = xf - c, wBelow = yf - c, wHere = (65536 - yf) - wRight;
          const unsigned char* q = p + srcSpan;
          for (int k = 0; k < 4; ++k)
            v[k] = (p[k] * wHere + p[4 + k] * wRight + q[k] * wBelow + q[4 + k] * c) >> 16;
        } else if (yi < lastRow) {
          const unsigned char* q = p + srcSpan;
          for (int k = 0; k < 4; ++k) v[k] = (p[k] * (65536 - yf) + q[k] * yf) >> 16;
        } else if (xi < lastColumn) {
          for (int k = 0; k < 4; ++k) v[k] = (p[k] * (65536 - xf) + p[4 + k] * xf) >> 16;
        } else {
          for (int k = 0; k < 4; ++k) v[k] = p[k];
        }
        combine(d + 4 * i, static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3]),
                static_cast<int>(v[0]), weight);
      }
      dsdx += dsdxdy;
      dtdx += dtdxdy;
      s += dsdy;
      t += dtdy;
    }
  }
};

namespace {

struct Bounds {
  int minX, minY, maxX, maxY;
};

// The readable source area: the source rectangle clipped to the bitmap, or
// the whole bitmap.
Bounds SourceBounds(PIX_IBitmap* src, float srcx, float srcy, float srcw, float srch, bool clipToSource) {
  const int width = src->getWidth(), height = src->getHeight();
  if (!clipToSource) return Bounds{0, 0, width, height};
  Bounds b;
  b.minX = srcx > 0 ? PIX_TruncToInt(srcx) : 0;
  b.minY = srcy > 0 ? PIX_TruncToInt(srcy) : 0;
  const double right = static_cast<double>(srcx) + srcw, bottom = static_cast<double>(srcy) + srch;
  b.maxX = right < width ? PIX_TruncToInt(right) : width;
  b.maxY = bottom < height ? PIX_TruncToInt(bottom) : height;
  return b;
}

// Everything after the start and steps are known: destination clipping on
// the right and bottom, pointers, the operator, and the loop. dx and dy are
// already at or above 0.
void RunDeltaBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int64_t dx, int64_t dy, int64_t dw, int64_t dh,
                  double s, double t, const double* steps, const Bounds& bounds, float alpha, int mode) {
  if (dx + dw > dest->getWidth()) dw = dest->getWidth() - dx;
  if (dy + dh > dest->getHeight()) dh = dest->getHeight() - dy;
  if (dw < 1 || dh < 1) return;
  // An empty readable area reads nothing (its edge rows would lie outside).
  if (bounds.maxX <= bounds.minX || bounds.maxY <= bounds.minY) return;
  PIX_pixel* destBits = dest->getBits();
  PIX_pixel* srcBits = src->getBits();
  if (!destBits || !srcBits) return;
  const int weight = PIX_WeightOf(static_cast<double>(alpha));
  PIX_CombineFunc combine = nullptr;
  PIX_WithBlitOperator(mode, weight, [&](auto tag) { combine = &decltype(tag)::type::doPix; });
  if (!combine) return;
  ptrdiff_t srcStep, destStep;
  const unsigned char* sp = reinterpret_cast<const unsigned char*>(PIX_DrawingRow(src, srcBits, 0, &srcStep));
  unsigned char* dp =
      reinterpret_cast<unsigned char*>(PIX_DrawingRow(dest, destBits, static_cast<int>(dy), &destStep) + dx);
  int64_t fixedStep[6];
  for (int k = 0; k < 6; ++k) fixedStep[k] = PIX_FixedOf(steps[k]);
  _PIX_Template_Blit3::deltaBlit(dp, sp, static_cast<int>(dw), static_cast<int>(dh), PIX_FixedOf(s),
                                 PIX_FixedOf(t), fixedStep[0], fixedStep[1], fixedStep[2], fixedStep[3],
                                 fixedStep[4], fixedStep[5], bounds.minX, bounds.minY, bounds.maxX,
                                 bounds.maxY, srcStep * 4, destStep * 4, weight, mode & 0xFF00, combine);
}

}  // namespace

void PIX_RotatedBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float angle, bool clipToSource, float alpha,
                     int mode, float offsetX, float offsetY) {
  if (!dest || !src || dstw == 0 || dsth == 0) return;
  const Bounds bounds = SourceBounds(src, srcx, srcy, srcw, srch, clipToSource);
  int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  if (dw < 0) dx += dw, dw = -dw, srcx += srcw, srcw = -srcw;
  if (dh < 0) dy += dh, dh = -dh, srcy += srch, srch = -srch;
  const double c = std::cos(static_cast<double>(angle)), s = std::sin(static_cast<double>(angle));
  const float scaleX = srcw / static_cast<float>(dw), scaleY = srch / static_cast<float>(dh);
  const double dsdx = scaleX * c, dsdy = scaleX * s, dtdx = -(scaleY * s), dtdy = scaleY * c;
  // The destination centre samples the source centre plus the offsets.
  float sx = srcx - static_cast<float>((dw * dsdx + dh * dsdy - srcw) * 0.5 - offsetX);
  float sy = srcy - static_cast<float>((dw * dtdx + dh * dtdy - srch) * 0.5 - offsetY);
  if (dx < 0) {
    sx -= static_cast<float>(dx * dsdx), sy -= static_cast<float>(dx * dtdx);
    dw += dx, dx = 0;
  }
  if (dy < 0) {
    sy -= static_cast<float>(dy * dtdy), sx -= static_cast<float>(dy * dsdy);
    dh += dy, dy = 0;
  }
  const double steps[6] = {dsdx, dtdx, dsdy, dtdy, 0.0, 0.0};
  RunDeltaBlit(dest, src, dx, dy, dw, dh, sx, sy, steps, bounds, alpha, mode);
}

void PIX_DeltaBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                   float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy, double dtdy,
                   double dsdxdy, double dtdxdy, bool clipToSource, float alpha, int mode) {
  if (!dest || !src || dstw == 0 || dsth == 0) return;
  const Bounds bounds = SourceBounds(src, srcx, srcy, srcw, srch, clipToSource);
  int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  if (dw < 0) dx += dw, dw = -dw, srcx += srcw;
  if (dh < 0) dy += dh, dh = -dh, srcy += srch;
  // Cutting c columns and k rows keeps every remaining pixel's sample where
  // it was, second-order terms included: the start moves by the cut steps,
  // and the row step and pixel steps by the second-order terms they skip.
  const double c = dx < 0 ? static_cast<double>(-dx) : 0.0, k = dy < 0 ? static_cast<double>(-dy) : 0.0;
  srcx = static_cast<float>(srcx + c * dsdx + k * dsdy + c * k * dsdxdy);
  srcy = static_cast<float>(srcy + c * dtdx + k * dtdy + c * k * dtdxdy);
  const double steps[6] = {
      dsdx + k * dsdxdy, dtdx + k * dtdxdy, dsdy + c * dsdxdy, dtdy + c * dtdxdy, dsdxdy, dtdxdy};
  if (dx < 0) dw += dx, dx = 0;
  if (dy < 0) dh += dy, dy = 0;
  RunDeltaBlit(dest, src, dx, dy, dw, dh, srcx, srcy, steps, bounds, alpha, mode);
}

namespace {

template <class T>
void TransformBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                   const T* points, int divW, int divH, float alpha, int mode) {
  if (!dest || !src || !points || dstw < 1 || dsth < 1 || divW < 2 || divH < 2) return;
  auto column = [&](int i) { return static_cast<int>(dstx + static_cast<int64_t>(i) * dstw / (divW - 1)); };
  auto row = [&](int j) { return static_cast<int>(dsty + static_cast<int64_t>(j) * dsth / (divH - 1)); };
  auto u = [&](int i, int j) {
    return static_cast<double>(points[2 * (static_cast<int64_t>(j) * divW + i)]);
  };
  auto v = [&](int i, int j) {
    return static_cast<double>(points[2 * (static_cast<int64_t>(j) * divW + i) + 1]);
  };
  for (int j = 0; j + 1 < divH; ++j) {
    const int y0 = row(j), cellH = row(j + 1) - y0;
    if (cellH == 0) continue;
    for (int i = 0; i + 1 < divW; ++i) {
      const int x0 = column(i), cellW = column(i + 1) - x0;
      if (cellW == 0) continue;
      const double topU = u(i + 1, j) - u(i, j), topV = v(i + 1, j) - v(i, j);
      const double bottomU = u(i + 1, j + 1) - u(i, j + 1), bottomV = v(i + 1, j + 1) - v(i, j + 1);
      PIX_DeltaBlit(dest, src, x0, y0, cellW, cellH, static_cast<float>(u(i, j)), static_cast<float>(v(i, j)),
                    static_cast<float>(topU), static_cast<float>(topV), topU / cellW, topV / cellW,
                    (u(i, j + 1) - u(i, j)) / cellH, (v(i, j + 1) - v(i, j)) / cellH,
                    (bottomU / cellW - topU / cellW) / cellH, (bottomV / cellW - topV / cellW) / cellH, false,
                    alpha, mode);
    }
  }
}

}  // namespace

void PIX_TransformBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                       const float* srcpoints, int divW, int divH, float alpha, int mode) {
  TransformBlit(dest, src, dstx, dsty, dstw, dsth, srcpoints, divW, divH, alpha, mode);
}

void PIX_TransformBlit2(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                        const double* srcpoints, int divW, int divH, float alpha, int mode) {
  TransformBlit(dest, src, dstx, dsty, dstw, dsth, srcpoints, divW, divH, alpha, mode);
}
