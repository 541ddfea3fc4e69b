// Scaled blit: a source rectangle in fractional source pixels, stretched or
// shrunk into an integer destination rectangle.
#pragma once

#include "KIT/pix/pix-bitmap.h"

// Draws (srcx, srcy, srcw, srch) of src into (dstx, dsty, dstw, dsth) of dest
// at alpha under mode: combine mode = mode & 0x100ff (0..5, 0x10000..0x10005;
// anything else draws nothing), filter = mode & 0xff00 (0x100 bilinear, any
// other value nearest). Sampling steps in 16.16 fixed point with the sample
// at each destination pixel's top-left corner; nothing outside the source
// bitmap is read. Equal sizes (positive, within 0.001) become PIX_Blit; with
// the filter bit only when the source corner lies within 0.03 of whole
// pixels. Shrinking by 1.7 or more in both directions with the filter bit
// averages 3 x 3 (up to 3.0) or 5 x 5 boxes. A negative destination width or
// height mirrors: destination column k then samples one step inside the
// source's far edge, k steps back. A source too large for 16.16 positions (32768 pixels or
// more along the sampled range) draws nothing.
void PIX_ScaledBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                    float srcy, float srcw, float srch, float alpha, int mode);
