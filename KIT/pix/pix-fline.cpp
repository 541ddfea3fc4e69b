// Float anti-aliased lines: clipped in float, then walked along the major
// axis in 16.16 fixed point, one pixel pair per whole major position.
#include <cmath>

#include "KIT/pix/pix-line-impl.h"
#include "KIT/pix/pix-line.h"

namespace {

bool Finite(float a, float b, float c, float d) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

}  // namespace

template <class F>
void __PIX_LineClass<F>::PIX_FLineImpl(PIX_pixel* p, int n, int frac, int derr, ptrdiff_t astep,
                                       ptrdiff_t bstep, PIX_pixel color, int aw) {
  for (int i = 0; i <= n; ++i) {
    const int f = frac >> 8;
    PIX_BlendColor<F>(p, color, ((255 - f) * aw) / 256);
    PIX_BlendColor<F>(p + bstep, color, (f * aw) / 256);
    frac += derr;
    if (frac > 65535) p += bstep, frac -= 65536;
    p += astep;
  }
}

bool ClipFLine(float* x1, float* y1, float* x2, float* y2, int width, int height) {
  if (!x1 || !y1 || !x2 || !y2) return false;
  if (!Finite(*x1, *y1, *x2, *y2)) return false;
  const float right = static_cast<float>(width - 1), bottom = static_cast<float>(height - 1);
  int code1 = PIX_Outcode<float>(*x1, *y1, right, bottom);
  int code2 = PIX_Outcode<float>(*x2, *y2, right, bottom);
  // Each move clears one border for good, so four rounds per end suffice; on
  // a bitmap narrower than two pixels the moved end lands outside again and
  // the bound ends the loop with nothing left.
  for (int round = 0; round < 16; ++round) {
    if (code1 == 0 && code2 == 0) return true;
    if (code1 & code2) return false;
    const int c = code1 ? code1 : code2;
    const float ax = *x1, ay = *y1, bx = *x2, by = *y2;
    float x, y;
    if (c & 8) {
      x = (bottom - ay) * (bx - ax) / (by - ay) + ax;
      y = bottom - 1;
    } else if (c & 4) {
      x = (bx - ax) * ay / (ay - by) + ax;
      y = 0;
    } else if (c & 2) {
      y = (by - ay) * (right - ax) / (bx - ax) + ay;
      x = right - 1;
    } else {
      y = (by - ay) * ax / (ax - bx) + ay;
      x = 0;
    }
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    if (c == code1) {
      *x1 = x, *y1 = y;
      code1 = PIX_Outcode<float>(x, y, right, bottom);
    } else {
      *x2 = x, *y2 = y;
      code2 = PIX_Outcode<float>(x, y, right, bottom);
    }
  }
  return false;
}

bool PIX_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi, float yhi) {
  if (!x1 || !y1 || !x2 || !y2) return false;
  float ax = *x1 - xlo, ay = *y1 - ylo, bx = *x2 - xlo, by = *y2 - ylo;
  const bool inside = ClipFLine(&ax, &ay, &bx, &by, PIX_TruncToInt(xhi - xlo, -0x40000000, 0x40000000),
                                PIX_TruncToInt(yhi - ylo, -0x40000000, 0x40000000));
  *x1 = ax + xlo, *y1 = ay + ylo, *x2 = bx + xlo, *y2 = by + ylo;
  return inside;
}

void PIX_FLine(PIX_IBitmap* dest, float x1, float y1, float x2, float y2, PIX_pixel color, float alpha,
               int mode, bool aa) {
  if (!dest) return;
  if (!aa) {
    if (!Finite(x1, y1, x2, y2)) return;
    return PIX_Line(dest, PIX_TruncToInt(x1), PIX_TruncToInt(y1), PIX_TruncToInt(x2), PIX_TruncToInt(y2),
                    color, alpha, mode, false);
  }
  PIX_pixel* bits = dest->getBits();
  const int width = dest->getWidth(), height = dest->getHeight();
  if (!bits || width < 2 || height < 2) return;
  if (dest->isFlipped()) {
    y1 = static_cast<float>(height - 1) - y1;
    y2 = static_cast<float>(height - 1) - y2;
  }
  if (!ClipFLine(&x1, &y1, &x2, &y2, width, height)) return;
  if (x1 == x2 && y1 == y2) return;

  const int span = dest->getRowSpan();
  const float dx = x2 - x1, dy = y2 - y1;
  const bool xMajor = std::fabs(dx) > std::fabs(dy);
  float a0 = xMajor ? x1 : y1, b0 = xMajor ? y1 : x1;
  float aEnd = xMajor ? x2 : y2;
  float da = xMajor ? dx : dy, db = xMajor ? dy : dx;
  if (da < 0) {
    a0 = xMajor ? x2 : y2, b0 = xMajor ? y2 : x2;
    aEnd = xMajor ? x1 : y1;
    da = -da, db = -db;
  }
  const float slope = db / da;
  const ptrdiff_t astep = xMajor ? 1 : span;
  ptrdiff_t bstep = xMajor ? span : 1;
  const int minorDirection = db < 0 ? -1 : 1;
  if (db < 0) bstep = -bstep;

  const float firstMajor = std::ceil(a0);
  const int n = static_cast<int>(static_cast<double>(std::floor(aEnd)) - static_cast<double>(firstMajor));
  const float bpos = b0 + (firstMajor - a0) * slope;
  int frac = static_cast<int>((bpos - std::floor(bpos)) * 65536.0);
  const int major = static_cast<int>(firstMajor);
  int minor = static_cast<int>(bpos);
  if (minorDirection < 0) minor += 1, frac = 65535 - frac;
  const int derr = static_cast<int>(static_cast<double>(std::fabs(slope)) * 65536.0);

  // The clip keeps the walk inside; the pixels it will touch are checked once
  // here so that no rounding of the set-up can ever address outside.
  if (n < 0) return;
  const int majorSize = xMajor ? width : height, minorSize = xMajor ? height : width;
  const int64_t minorEnd = minor + int64_t{minorDirection} * ((int64_t{frac} + int64_t{n} * derr) / 65536);
  auto minorInside = [&](int64_t m) {
    return m >= 0 && m < minorSize && m + minorDirection >= 0 && m + minorDirection < minorSize;
  };
  if (major < 0 || int64_t{major} + n >= majorSize || !minorInside(minor) || !minorInside(minorEnd)) return;

  const int weight = PIX_WeightOf(alpha);
  PIX_pixel* p = bits + static_cast<ptrdiff_t>(major) * (xMajor ? 1 : span) +
                 static_cast<ptrdiff_t>(minor) * (xMajor ? span : 1);
  PIX_WithStrokeOperator(mode & 0xff, weight, false, false, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    __PIX_LineClass<F>::PIX_FLineImpl(p, n, frac, derr, astep, bstep, color, weight);
  });
}
