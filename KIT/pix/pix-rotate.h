// Rotated, delta and mesh transform blits: a source rectangle drawn through
// an affine mapping. One inner loop serves all of them; it calls the chosen
// combine operator through a function pointer for every drawn pixel.
//
// Source bounds: with clipToSource only the pixels of the source rectangle
// (clipped to the bitmap) are read, otherwise any pixel of the source bitmap;
// destination pixels whose sample falls outside stay unchanged. The mode word
// is read as by PIX_ScaledBlit (filter 0x100 bilinear, combine modes 0..5 and
// 0x10000..0x10005).
#pragma once

#include "KIT/pix/pix-bitmap.h"

// Draws (srcx, srcy, srcw, srch) into (dstx, dsty, dstw, dsth) rotated by
// angle (radians) about the destination rectangle's centre, which samples
// the source point (srcx + srcw / 2 + offsetX, srcy + srch / 2 + offsetY). A
// negative destination width or height mirrors.
void PIX_RotatedBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float angle, bool clipToSource, float alpha,
                     int mode, float offsetX, float offsetY);
// Draws into (dstx, dsty, dstw, dsth) with the source position (srcx, srcy)
// at the first pixel, advanced by (dsdx, dtdx) per pixel and (dsdy, dtdy) per
// row; (dsdxdy, dtdxdy) change the per-pixel steps from row to row. Steps in
// source pixels. A negative destination width or height moves the start to
// srcx + srcw (srcy + srch) and keeps the steps: a mirror needs negative
// steps.
void PIX_DeltaBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                   float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy, double dtdy,
                   double dsdxdy, double dtdxdy, bool clipToSource, float alpha, int mode);
// Mesh transforms: srcpoints holds divW x divH source pairs (u, v), row by
// row, for a grid laid evenly over the destination rectangle; each grid cell
// is drawn with PIX_DeltaBlit from its corners. Nothing for a destination
// smaller than 1 x 1 or a grid below 2 x 2.
void PIX_TransformBlit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                       const float* srcpoints, int divW, int divH, float alpha, int mode);
void PIX_TransformBlit2(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                        const double* srcpoints, int divW, int divH, float alpha, int mode);
