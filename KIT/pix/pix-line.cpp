// Integer lines: clip, classify (horizontal, vertical, 45 degrees, general),
// then run the loop compiled for the mode's operator.
#include "KIT/pix/pix-line.h"

#include <cmath>
#include <cstdlib>

#include "KIT/pix/pix-line-impl.h"

namespace {

// Cohen-Sutherland on 64-bit values, so that mirrored or moved coordinates
// cannot overflow. Each move puts one end on a border and clears that bit for
// good; the bound on rounds only guards against a loop that cannot happen.
bool ClipLine64(int64_t* x1, int64_t* y1, int64_t* x2, int64_t* y2, int64_t width, int64_t height) {
  int code1 = PIX_Outcode<int64_t>(*x1, *y1, width, height);
  int code2 = PIX_Outcode<int64_t>(*x2, *y2, width, height);
  for (int round = 0; round < 16; ++round) {
    if (code1 == 0 && code2 == 0) return true;
    if (code1 & code2) return false;
    const int c = code1 ? code1 : code2;
    const double ax = static_cast<double>(*x1), ay = static_cast<double>(*y1);
    const double bx = static_cast<double>(*x2), by = static_cast<double>(*y2);
    int64_t x, y;
    if (c & 8) {
      x = *x1 + static_cast<int64_t>((static_cast<double>(height) - ay) * (bx - ax) / (by - ay));
      y = height - 1;
    } else if (c & 4) {
      x = *x1 + static_cast<int64_t>(-ay * (bx - ax) / (by - ay));
      y = 0;
    } else if (c & 2) {
      y = *y1 + static_cast<int64_t>((by - ay) * (static_cast<double>(width) - ax) / (bx - ax));
      x = width - 1;
    } else {
      y = *y1 + static_cast<int64_t>((by - ay) * -ax / (bx - ax));
      x = 0;
    }
    if (c == code1) {
      *x1 = x, *y1 = y;
      code1 = PIX_Outcode<int64_t>(x, y, width, height);
    } else {
      *x2 = x, *y2 = y;
      code2 = PIX_Outcode<int64_t>(x, y, width, height);
    }
  }
  return false;
}

// Stores back a clipped value; values that were never moved keep their input,
// moved ones lie between the two inputs, so both fit.
int Narrow(int64_t v) {
  return v < INT32_MIN ? INT32_MIN : (v > INT32_MAX ? INT32_MAX : static_cast<int>(v));
}

// n words from p, stepping by step, through a whole-word operator.
template <class W>
void WordRun(PIX_pixel* p, ptrdiff_t step, int n, PIX_pixel color) {
  for (int i = 0; i < n; ++i, p += step) *p = W::doPix(*p, color);
}

// A horizontal or vertical run of n pixels from p.
void DrawStraight(PIX_pixel* p, ptrdiff_t step, int n, PIX_pixel color, float alpha, int lowByte) {
  if (lowByte == 0) {
    if (alpha == 1.0f) return WordRun<_PIX_CombinePixelsClobberFAST>(p, step, n, color);
    if (alpha == 0.5f) return WordRun<_PIX_CombinePixelsHalfMixFAST>(p, step, n, color);
    if (alpha == 0.25f) return WordRun<_PIX_CombinePixelsQuarterMix2FAST>(p, step, n, color);
    if (alpha == 0.75f) return WordRun<_PIX_CombinePixelsThreeQuarterMix2FAST>(p, step, n, color);
  }
  const int weight = PIX_WeightOf(alpha);
  PIX_WithStrokeOperator(lowByte, weight, true, true, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    if (step == 1)
      __PIX_LineClassSimple<F>::PIX_HorizLine(p, n, color, weight);
    else
      __PIX_LineClassSimple<F>::PIX_VertLine(p, static_cast<int>(step), n, static_cast<int>(color), weight);
  });
}

// A 45-degree line of n + 1 pixels from p.
void DrawDiagonal(PIX_pixel* p, int span, int n, int xstep, int ystep, PIX_pixel color, float alpha,
                  int lowByte, bool aa) {
  if (lowByte == 0 && alpha == 1.0f) {
    if (!aa) return WordRun<_PIX_CombinePixelsClobberFAST>(p, xstep + ystep, n + 1, color);
    *p = _PIX_CombinePixelsThreeQuarterMix2FAST::doPix(*p, color);
    for (int i = 0; i < n; ++i) {
      p[xstep] = _PIX_CombinePixelsQuarterMix2FAST::doPix(p[xstep], color);
      p[ystep] = _PIX_CombinePixelsQuarterMix2FAST::doPix(p[ystep], color);
      p += xstep + ystep;
      *p = _PIX_CombinePixelsThreeQuarterMix2FAST::doPix(*p, color);
    }
    return;
  }
  const int weight = PIX_WeightOf(alpha);
  PIX_WithStrokeOperator(lowByte, weight, !aa, !aa, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    if (aa)
      __PIX_LineClassSimple<F>::PIX_DiagLineAA(p, span, n, xstep, ystep, color, weight);
    else
      __PIX_LineClassSimple<F>::PIX_DiagLine(p, span, n, xstep, ystep, color, weight);
  });
}

}  // namespace

template <class F>
void __PIX_LineClass<F>::PIX_LineImpl(PIX_pixel* px, PIX_pixel* py, int derr, ptrdiff_t astep, int da,
                                      ptrdiff_t bstep, PIX_pixel color, int aw, bool aa) {
  const int k = (da + 1) / 2;
  if (!aa) {
    int err = 0;
    for (int i = 0; i < k; ++i) {
      PIX_BlendColor<F>(px, color, aw);
      PIX_BlendColor<F>(py, color, aw);
      err += derr;
      if (err >= 32768) px += bstep, py -= bstep, err -= 65536;
      px += astep, py -= astep;
    }
    if (da % 2 == 0) PIX_BlendColor<F>(px, color, aw);
    return;
  }
  // The end pixels are not split.
  PIX_BlendColor<F>(px, color, aw);
  PIX_BlendColor<F>(py, color, aw);
  px += astep, py -= astep;
  int err = derr;
  if (da >= 3) {
    for (int i = 1; i < k; ++i) {
      const int f = err >> 8;
      const int main = ((255 - f) * aw) / 256, side = (f * aw) / 256;
      PIX_BlendColor<F>(px, color, main);
      PIX_BlendColor<F>(px + bstep, color, side);
      PIX_BlendColor<F>(py, color, main);
      PIX_BlendColor<F>(py - bstep, color, side);
      err += derr;
      if (err >= 65536) px += bstep, py -= bstep, err -= 65536;
      px += astep, py -= astep;
    }
  }
  if (da % 2 == 0) {
    const int f = err >> 8;
    PIX_BlendColor<F>(px, color, ((255 - f) * aw) / 256);
    PIX_BlendColor<F>(px + bstep, color, (f * aw) / 256);
  }
}

bool ClipLine(int* x1, int* y1, int* x2, int* y2, int width, int height) {
  if (!x1 || !y1 || !x2 || !y2) return false;
  int64_t ax = *x1, ay = *y1, bx = *x2, by = *y2;
  const bool inside = ClipLine64(&ax, &ay, &bx, &by, width, height);
  *x1 = Narrow(ax), *y1 = Narrow(ay), *x2 = Narrow(bx), *y2 = Narrow(by);
  return inside;
}

bool PIX_ClipLine(int* x1, int* y1, int* x2, int* y2, int xlo, int ylo, int xhi, int yhi) {
  if (!x1 || !y1 || !x2 || !y2) return false;
  int64_t ax = int64_t{*x1} - xlo, ay = int64_t{*y1} - ylo, bx = int64_t{*x2} - xlo, by = int64_t{*y2} - ylo;
  const bool inside = ClipLine64(&ax, &ay, &bx, &by, int64_t{xhi} - xlo, int64_t{yhi} - ylo);
  *x1 = Narrow(ax + xlo), *y1 = Narrow(ay + ylo), *x2 = Narrow(bx + xlo), *y2 = Narrow(by + ylo);
  return inside;
}

void PIX_Line(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, PIX_pixel color, float alpha, int mode,
              bool aa) {
  if (!dest) return;
  PIX_pixel* bits = dest->getBits();
  const int width = dest->getWidth(), height = dest->getHeight();
  if (!bits || width < 1 || height < 1) return;
  int64_t ax = x1, ay = y1, bx = x2, by = y2;
  if (dest->isFlipped()) ay = height - 1 - ay, by = height - 1 - by;
  if (!ClipLine64(&ax, &ay, &bx, &by, width, height)) return;
  // Every value is now inside the bitmap.
  const int span = dest->getRowSpan();
  const int lowByte = mode & 0xff;
  const int dx = static_cast<int>(bx - ax), dy = static_cast<int>(by - ay);
  auto pixel = [&](int64_t x, int64_t y) { return bits + static_cast<ptrdiff_t>(y) * span + x; };

  if (dy == 0) {
    const int64_t left = ax < bx ? ax : bx;
    return DrawStraight(pixel(left, ay), 1, std::abs(dx) + 1, color, alpha, lowByte);
  }
  if (dx == 0) {
    const int64_t top = ay < by ? ay : by;
    return DrawStraight(pixel(ax, top), span, std::abs(dy) + 1, color, alpha, lowByte);
  }
  if (std::abs(dx) == std::abs(dy)) {
    return DrawDiagonal(pixel(ax, ay), span, std::abs(dx), ax < bx ? 1 : -1, ay < by ? span : -span, color,
                        alpha, lowByte, aa);
  }

  // General line: the major axis is the longer one; px is the end with the
  // smaller major coordinate.
  const bool xMajor = std::abs(dx) > std::abs(dy);
  ptrdiff_t astep = xMajor ? 1 : span, bstep = xMajor ? span : 1;
  int da = xMajor ? dx : dy, db = xMajor ? dy : dx;
  PIX_pixel* px = pixel(ax, ay);
  PIX_pixel* py = pixel(bx, by);
  if (da < 0) {
    da = -da, db = -db;
    PIX_pixel* t = px;
    px = py, py = t;
  }
  if (db < 0) bstep = -bstep;
  const int derr = static_cast<int>(static_cast<double>(std::abs(db)) / da * 65536.0);
  const int weight = PIX_WeightOf(alpha);
  PIX_WithStrokeOperator(lowByte, weight, !aa, !aa, [&](auto tag) {
    typedef typename decltype(tag)::type F;
    __PIX_LineClass<F>::PIX_LineImpl(px, py, derr, astep, da, bstep, color, weight, aa);
  });
}

void PIX_DrawRect(PIX_IBitmap* bm, int x, int y, int w, int h, PIX_pixel color, float alpha, int mode) {
  // Corner arithmetic in 64 bits, held to the int range.
  const int right = Narrow(int64_t{x} + w), bottom = Narrow(int64_t{y} + h);
  PIX_Line(bm, x, y, right, y, color, alpha, mode, false);
  PIX_Line(bm, right, y, right, bottom, color, alpha, mode, false);
  PIX_Line(bm, right, bottom, x, bottom, color, alpha, mode, false);
  PIX_Line(bm, x, bottom, x, y, color, alpha, mode, false);
}
