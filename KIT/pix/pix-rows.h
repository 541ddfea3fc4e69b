// Internal to the raster library: vectorised row loops of the hottest
// operations, each giving exactly the pixels of the per-pixel operator it
// stands in for. SSE2 is the baseline; where the processor has AVX2 a second
// build of the same loop is chosen at run time. Pixels are the library's
// four bytes: alpha, red, green, blue.
#pragma once

#include <cstdint>

// The full-weight source-alpha copy
// (_PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmBytes) of n source pixels
// over n destination pixels. src and dest must not overlap.
void PIX_RowSourceAlphaOver(unsigned char* dest, const unsigned char* src, int n);
// The source-alpha copy at a weight of 1..255
// (_PIX_CombinePixelsCopySourceAlphaBytes).
void PIX_RowSourceAlphaOverWeighted(unsigned char* dest, const unsigned char* src, int n, int weight);

// Four-tap bilinear interpolation of n pixels into out: pixel i from the two
// pixels at byte offset offsets[i] of row (left and right) and the two below
// them in below, with the horizontal fraction fractions[i] and the vertical
// fraction yf (0..65535 each, 16.16). The weights are those of the scaled
// blit: c = xf * yf >> 16, right xf - c, below yf - c, here the rest of
// 65536; each channel is the weighted sum >> 16. out must not overlap the
// rows.
void PIX_RowBilinear(unsigned char* out, const unsigned char* row, const unsigned char* below,
                     const int32_t* offsets, const uint16_t* fractions, int n, unsigned yf);
