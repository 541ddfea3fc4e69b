// Internal to the raster library: vectorised row loops of the hottest
// operations, each giving exactly the pixels of the per-pixel operator it
// stands in for. SSE2 is the baseline; where the processor has AVX2 or
// AVX-512 a wider build of the same loop is chosen at run time. Pixels are
// the library's four bytes: alpha, red, green, blue.
#pragma once

#include <cstddef>
#include <cstdint>

#include "KIT/pix/pix-bitmap.h"

// The widest vectors the loops may take, in bits: 512 (the default; where
// the processor has AVX-512), 256 (AVX2) or 128 (SSE2), so that tests check
// every build on one machine.
void PIX_RowsWidestVectors(int bits);

// n words of value from words on, in stores as wide as the processor has.
void PIX_RowFill(uint32_t* words, size_t n, uint32_t value);

// The full-weight source-alpha copy
// (_PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmBytes) of n source pixels
// over n destination pixels. src and dest must not overlap.
void PIX_RowSourceAlphaOver(unsigned char* dest, const unsigned char* src, int n);
// The source-alpha copy at a weight of 1..255
// (_PIX_CombinePixelsCopySourceAlphaBytes).
void PIX_RowSourceAlphaOverWeighted(unsigned char* dest, const unsigned char* src, int n, int weight);

// The constant-weight copy (_PIX_CombinePixelsCopyBytes) at a weight of
// 1..255: every byte of n destination pixels moved toward its source byte.
// src and dest must not overlap.
void PIX_RowBlend(unsigned char* dest, const unsigned char* src, int n, int weight);

// The same copy of one colour, source (its four bytes, the alpha byte
// included), over w x h pixels from first, rows span pixels apart.
void PIX_RowsBlendColor(PIX_pixel* first, ptrdiff_t span, int w, int h, PIX_pixel source, int weight);

// The copy of one colour through an 8-bit coverage mask (rows maskSpan bytes
// apart) over w x h pixels: mask byte m weighs m + 1 (0 for m = 0) at a
// weight of 256, m * weight / 256 at a weight of 1..255.
void PIX_RowsCoverage(PIX_pixel* first, ptrdiff_t span, const unsigned char* mask, ptrdiff_t maskSpan, int w,
                      int h, PIX_pixel source, int weight);

// Every other pixel: dest[i] = src[2 * i] for i in [0, n). src must hold 2n
// pixels and not overlap dest.
void PIX_RowPickEven(PIX_pixel* dest, const PIX_pixel* src, int n);

// Four-tap bilinear interpolation in two steps. The weights are those of the
// scaled blit: for fractions xf and yf (0..65535, 16.16) c = xf * yf >> 16,
// right xf - c, below yf - c, here the rest of 65536; each channel is the
// weighted sum of its four taps >> 16.
//
// First, per pair of source rows, 16 values per source column x in
// [0, count) (kBilinearColumnValues): the sums the interpolation needs, from
// pixels x and x + 1 of row and of below (each row must hold count + 1
// pixels). Rewritten as p0 * 65536 + (p1 - p0) * xf + (q0 - p0) * yf +
// (q1 - q0 - p1 + p0) * c, the sum takes two 16-bit multiply-adds per
// channel.
constexpr int kBilinearColumnValues = 16;
void PIX_BilinearColumns(int16_t* table, const unsigned char* row, const unsigned char* below, int count);
// Then n pixels into out: pixel i from column columns[i] of the table (an
// index into it) with horizontal fraction fractions[i] and the row's vertical
// fraction yf.
void PIX_BilinearRow(unsigned char* out, const int16_t* table, const int32_t* columns,
                     const uint16_t* fractions, int n, unsigned yf);

// The 3 x 3 box of equal weights of the shrinking blit, in two steps. First
// the column sums of three source rows: channel c of column x in
// sums[4 * x + c], for x in [0, count).
void PIX_BoxSums3(uint16_t* sums, const unsigned char* top, const unsigned char* middle,
                  const unsigned char* bottom, int count);
// Then n pixels into out: pixel i the sum of the column sums at
// columns[i] - 1, columns[i] and columns[i] + 1, divided by 9 (truncated).
void PIX_BoxRow3(unsigned char* out, const uint16_t* sums, const int32_t* columns, int n);
