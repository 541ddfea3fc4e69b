// Internal to the raster library: the line loops, one instantiation per
// combine operator so that the blend is inlined into each pixel loop, and the
// one place where a line's or circle's mode and weight pick that operator.
#pragma once

#include <cstddef>

#include "KIT/pix/pix-loops.h"

// Calls fn(PIX_OperatorTag<F>()) with the operator that draws strokes (lines,
// circles, dashes) in the mode's low byte at the weight. Copy (0): weight 128
// the half mix when halfMix is set, weight 256 the clobbering store when
// clobber is set, any other weight of 1 or more the copy operator, weights
// below 1 nothing. Modes 1 to 5: their operator at any weight but 0. Returns
// false, calling nothing, for weight 0, a low byte above 5 and copy below 1.
template <class Fn>
bool PIX_WithStrokeOperator(int lowByte, int weight, bool halfMix, bool clobber, Fn&& fn) {
  if (weight == 0) return false;
  if (lowByte == 0) {
    if (weight < 1) return false;
    if (halfMix && weight == 128)
      fn(PIX_OperatorTag<_PIX_CombinePixelsHalfMixNoClamp>());
    else if (clobber && weight == 256)
      fn(PIX_OperatorTag<_PIX_CombinePixelsClobberNoClamp>());
    else
      fn(PIX_OperatorTag<_PIX_CombinePixelsCopyNoClamp>());
    return true;
  }
  return PIX_WithPlainOperator(lowByte, fn);
}

// The Cohen-Sutherland outcode of a point against [0, right) x [0, bottom):
// 1 left of it, 2 at or past the right, plus 4 above, 8 at or below the
// bottom.
template <class T>
inline int PIX_Outcode(T x, T y, T right, T bottom) {
  int code = 0;
  if (x < 0)
    code |= 1;
  else if (x >= right)
    code |= 2;
  if (y < 0)
    code |= 4;
  else if (y >= bottom)
    code |= 8;
  return code;
}

// Blends color into the pixel at p with operator F at weight aw; the colour is
// split into its channels in the pixel's memory order.
template <class F>
inline void PIX_BlendColor(PIX_pixel* p, PIX_pixel color, int aw) {
  F::doPix(reinterpret_cast<unsigned char*>(p), PIX_Red(color), PIX_Green(color), PIX_Blue(color),
           PIX_Alpha(color), aw);
}

// Horizontal, vertical and 45-degree lines over operator F. p is the first
// pixel; steps are in pixels (a row step is plus or minus the row span).
template <class F>
struct __PIX_LineClassSimple {
  // n pixels stepping by one pixel.
  static void PIX_HorizLine(PIX_pixel* p, int n, PIX_pixel color, int aw) {
    for (int i = 0; i < n; ++i) PIX_BlendColor<F>(p + i, color, aw);
  }
  // n pixels stepping by span.
  static void PIX_VertLine(PIX_pixel* p, int span, int n, int color, int aw) {
    for (int i = 0; i < n; ++i, p += span) PIX_BlendColor<F>(p, static_cast<PIX_pixel>(color), aw);
  }
  // n + 1 pixels stepping by xstep + ystep; nothing when n < 0.
  static void PIX_DiagLine(PIX_pixel* p, int span, int n, int xstep, int ystep, PIX_pixel color, int aw) {
    for (int i = 0; i <= n; ++i, p += xstep + ystep) PIX_BlendColor<F>(p, color, aw);
  }
  // The n + 1 diagonal pixels at three quarters of the weight and the 2n
  // pixels in the inner corners of the staircase at a quarter.
  static void PIX_DiagLineAA(PIX_pixel* p, int span, int n, int xstep, int ystep, PIX_pixel color, int aw) {
    const int main = (3 * aw) / 4, side = aw / 4;
    PIX_BlendColor<F>(p, color, main);
    for (int i = 0; i < n; ++i) {
      PIX_BlendColor<F>(p + xstep, color, side);
      PIX_BlendColor<F>(p + ystep, color, side);
      p += xstep + ystep;
      PIX_BlendColor<F>(p, color, main);
    }
  }
};

// General lines over operator F: the integer line (pix-line.cpp), the float
// anti-aliased line (pix-fline.cpp) and the dashed line (pix-dashed.cpp).
template <class F>
struct __PIX_LineClass {
  // px and py are the end pixels, px the one with the smaller major
  // coordinate; astep the pixel step along the major axis; bstep the signed
  // minor step from px toward py; da the major length (at least 2); derr the
  // minor advance per major step in 16.16 (0 <= derr < 65536). Walks from
  // both ends toward the middle.
  static void PIX_LineImpl(PIX_pixel* px, PIX_pixel* py, int derr, ptrdiff_t astep, int da, ptrdiff_t bstep,
                           PIX_pixel color, int aw, bool aa);
  // n + 1 major positions from p (none when n < 0); frac (0..65535) is the
  // starting fraction toward p + bstep and derr its advance per step.
  static void PIX_FLineImpl(PIX_pixel* p, int n, int frac, int derr, ptrdiff_t astep, ptrdiff_t bstep,
                            PIX_pixel color, int aw);
  // The dashes from (x1, y1) toward (x2, y2): x1 <= x2, y1 <= y2, both inside
  // the bitmap, one axis equal; dash >= 1 and dash + gap >= 1.
  static void DashedLine(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int dash, int gap,
                         PIX_pixel color, int aw);
};
