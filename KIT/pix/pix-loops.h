// Internal to the raster library: row addressing, the per-operator loop
// templates and the one place where a mode word and weight become an
// operator type. Every looping routine dispatches the mode once per call and
// then runs a loop compiled for that operator, never switching per pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "KIT/pix/pix-combine.h"
#include "KIT/pix/pix-rows.h"

// Memory address of drawing row y (0 at the top) and the signed step in
// pixels from one drawing row to the next: bottom-up for a flipped bitmap.
inline PIX_pixel* PIX_DrawingRow(PIX_IBitmap* bm, PIX_pixel* bits, int y, ptrdiff_t* step) {
  const ptrdiff_t span = bm->getRowSpan();
  if (bm->isFlipped()) {
    *step = -span;
    return bits + (bm->getHeight() - 1 - y) * span;
  }
  *step = span;
  return bits + y * span;
}

// Plain-rectangle addressing: memory row of the area's first row; the rows
// then step +span. On a flipped bitmap the area's bottom drawing row comes
// first, so the same rows are covered from the bottom one up.
inline PIX_pixel* PIX_RectFirstRow(PIX_IBitmap* bm, PIX_pixel* bits, int y, int h) {
  const ptrdiff_t span = bm->getRowSpan();
  const int memoryRow = bm->isFlipped() ? bm->getHeight() - (y + h) : y;
  return bits + memoryRow * span;
}

// True when the memory rows of two bitmaps (bits as their getBits gave)
// share no byte: a loop may then read ahead of what it writes.
inline bool PIX_MemoryApart(PIX_IBitmap* a, const PIX_pixel* aBits, PIX_IBitmap* b, const PIX_pixel* bBits) {
  const uintptr_t aStart = reinterpret_cast<uintptr_t>(aBits), bStart = reinterpret_cast<uintptr_t>(bBits);
  const uintptr_t aEnd = aStart + static_cast<uintptr_t>(a->getHeight()) * a->getRowSpan() * 4;
  const uintptr_t bEnd = bStart + static_cast<uintptr_t>(b->getHeight()) * b->getRowSpan() * 4;
  return aEnd <= bStart || bEnd <= aStart;
}

template <class F>
struct PIX_OperatorTag {
  typedef F type;
};

// clang-format off

// Calls fn with the plain operator of modes 1 to 5 (low byte); false for any
// other value. Copy (0) has its own fast paths in every caller.
template <class Fn>
bool PIX_WithPlainOperator(int lowByte, Fn&& fn) {
  switch (lowByte) {
    case 1: fn(PIX_OperatorTag<_PIX_CombinePixelsAdd>()); return true;
    case 2: fn(PIX_OperatorTag<_PIX_CombinePixelsColorDodge>()); return true;
    case 3: fn(PIX_OperatorTag<_PIX_CombinePixelsMulNoClamp>()); return true;
    case 4: fn(PIX_OperatorTag<_PIX_CombinePixelsOverlay>()); return true;
    case 5: fn(PIX_OperatorTag<_PIX_CombinePixelsHSVAdjust>()); return true;
    default: return false;
  }
}

// The copy mode's whole-word fast paths: calls fn with the FAST operator of
// weight 64, 128, 192 or 256 and returns true; false for other weights.
template <class Fn>
bool PIX_WithCopyWordOperator(int weight, Fn&& fn) {
  switch (weight) {
    case 64: fn(PIX_OperatorTag<_PIX_CombinePixelsQuarterMix2FAST>()); return true;
    case 128: fn(PIX_OperatorTag<_PIX_CombinePixelsHalfMix2FAST>()); return true;
    case 192: fn(PIX_OperatorTag<_PIX_CombinePixelsThreeQuarterMix2FAST>()); return true;
    case 256: fn(PIX_OperatorTag<_PIX_CombinePixelsClobberFAST>()); return true;
    default: return false;
  }
}

// Calls fn(PIX_OperatorTag<F>()) with the operator F of the combine mode
// (mode & 0x100ff) at the weight; returns false, calling nothing, for a weight
// of 0, copy at a negative weight, and modes outside 0..5 and
// 0x10000..0x10005. Shared by the unscaled, scaled and rotated blits. With
// ByteSources (channels read from a bitmap) the byte forms of the common
// operators stand in where their weights allow; the pixels are the same.
template <bool ByteSources = true, class Fn>
bool PIX_WithBlitOperator(int mode, int weight, Fn&& fn) {
  if (weight == 0) return false;
  const bool byteWeight = ByteSources && weight > 0 && weight < 256;
  switch (mode & 0x100ff) {
    case 0:
      if (weight == 256) fn(PIX_OperatorTag<_PIX_CombinePixelsClobberNoClamp>());
      else if (byteWeight) fn(PIX_OperatorTag<_PIX_CombinePixelsCopyBytes>());
      else if (weight > 0) fn(PIX_OperatorTag<_PIX_CombinePixelsCopyNoClamp>());
      else return false;
      return true;
    case 1: case 2: case 3: case 4: case 5:
      return PIX_WithPlainOperator(mode & 0xff, fn);
    case 0x10000:
      if (weight == 256 && ByteSources) fn(PIX_OperatorTag<_PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmBytes>());
      else if (weight == 256) fn(PIX_OperatorTag<_PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>());
      else if (byteWeight) fn(PIX_OperatorTag<_PIX_CombinePixelsCopySourceAlphaBytes>());
      else fn(PIX_OperatorTag<_PIX_CombinePixelsCopySourceAlphaNoClamp>());
      return true;
    case 0x10001: fn(PIX_OperatorTag<_PIX_CombinePixelsAddSourceAlpha>()); return true;
    case 0x10002: fn(PIX_OperatorTag<_PIX_CombinePixelsColorDodgeSourceAlpha>()); return true;
    case 0x10003: fn(PIX_OperatorTag<_PIX_CombinePixelsMulSourceAlphaNoClamp>()); return true;
    case 0x10004: fn(PIX_OperatorTag<_PIX_CombinePixelsOverlaySourceAlpha>()); return true;
    case 0x10005: fn(PIX_OperatorTag<_PIX_CombinePixelsHSVAdjustSourceAlpha>()); return true;
    default: return false;
  }
}

// clang-format on

// Source-to-destination loops over an operator F.
template <class F>
struct _PIX_Template_Blit2 {
  // w x h pixels; spans in bytes (negative for bottom-up rows). Each source
  // pixel's red, green, blue and alpha go to F with the weight.
  static void blit(unsigned char* dest, const unsigned char* src, int w, int h, ptrdiff_t destSpan,
                   ptrdiff_t srcSpan, int weight) {
    // The source-alpha and constant-weight copies have vectorised rows of
    // the same results.
    if (std::is_same<F, _PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmBytes>::value) {
      for (int y = 0; y < h; ++y) PIX_RowSourceAlphaOver(dest + y * destSpan, src + y * srcSpan, w);
      return;
    }
    if (std::is_same<F, _PIX_CombinePixelsCopySourceAlphaBytes>::value) {
      for (int y = 0; y < h; ++y)
        PIX_RowSourceAlphaOverWeighted(dest + y * destSpan, src + y * srcSpan, w, weight);
      return;
    }
    if (std::is_same<F, _PIX_CombinePixelsCopyBytes>::value) {
      for (int y = 0; y < h; ++y) PIX_RowBlend(dest + y * destSpan, src + y * srcSpan, w, weight);
      return;
    }
    for (int y = 0; y < h; ++y) {
      unsigned char* __restrict d = dest + y * destSpan;
      const unsigned char* __restrict s = src + y * srcSpan;
      for (int x = 0; x < w; ++x)
        F::doPix(d + 4 * x, s[4 * x + 1], s[4 * x + 2], s[4 * x + 3], s[4 * x], weight);
    }
  }

  // Scaled blits (pix-scale.cpp): the twelve values are the destination
  // pointer, the source's row 0 column 0, the size in destination pixels, the
  // 16.16 source position of the first pixel, the 16.16 steps per pixel and
  // per row, the exclusive source column and row limits, and the source and
  // destination spans in bytes. distinct: source and destination pixels do
  // not share memory.
  static void scaleBlit(unsigned char* dest, const unsigned char* src, int w, int h, int startX, int startY,
                        int stepX, int stepY, int rightLimit, int bottomLimit, ptrdiff_t srcSpan,
                        ptrdiff_t destSpan, int weight, int filter, bool distinct);
  static void scaleBlitFilterDown(unsigned char* dest, const unsigned char* src, int w, int h, int startX,
                                  int startY, int stepX, int stepY, int rightLimit, int bottomLimit,
                                  ptrdiff_t srcSpan, ptrdiff_t destSpan, int weight, const int* kernel,
                                  int kernelStart, int kernelSize, bool distinct);
};

// Solid-colour loops over an operator F.
template <class F>
struct _PIX_Template_Blit1 {
  // Every pixel of a w x h area gets doPix(pixel, r, g, b, weight, weight):
  // the weight stands in the place of the source alpha. span in bytes.
  static void solidBlit(unsigned char* dest, int w, int h, int r, int g, int b, int weight, ptrdiff_t span) {
    for (int y = 0; y < h; ++y) {
      unsigned char* d = dest + y * span;
      for (int x = 0; x < w; ++x) F::doPix(d + 4 * x, r, g, b, weight, weight);
    }
  }
  // A gradient: 16.16 channel values at the area's top-left corner, changed
  // by the x increments per column and the y increments per row; each pixel
  // gets doPix(pixel, r >> 16, g >> 16, b >> 16, a >> 16, a >> 16). The sums
  // are kept in 64 bits and the values handed on limited to
  // +-PIX_MAX_CHANNEL, so that no increment overflows an operator.
  static void gradBlit(unsigned char* dest, int w, int h, const int* start, const int* dx, const int* dy,
                       ptrdiff_t span) {
    int64_t rowStart[4] = {start[0], start[1], start[2], start[3]};
    for (int y = 0; y < h; ++y) {
      unsigned char* d = dest + y * span;
      int64_t c[4] = {rowStart[0], rowStart[1], rowStart[2], rowStart[3]};
      for (int x = 0; x < w; ++x) {
        int v[4];
        for (int k = 0; k < 4; ++k) {
          const int64_t whole = c[k] >> 16;
          v[k] = whole < -PIX_MAX_CHANNEL
                     ? -PIX_MAX_CHANNEL
                     : (whole > PIX_MAX_CHANNEL ? PIX_MAX_CHANNEL : static_cast<int>(whole));
        }
        F::doPix(d + 4 * x, v[0], v[1], v[2], v[3], v[3]);
        for (int k = 0; k < 4; ++k) c[k] += dx[k];
      }
      for (int k = 0; k < 4; ++k) rowStart[k] += dy[k];
    }
  }
};
