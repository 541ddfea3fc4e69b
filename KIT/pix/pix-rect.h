// Rectangle operations: fills, masks, per-pixel processing, gradients and a
// scan-line flood fill. Areas are clipped to the bitmap; nothing is drawn
// without pixels or for an empty area. Fills walk memory rows upward from the
// area's bottom row on a flipped bitmap, covering the same drawing rows.
#pragma once

#include "KIT/pix/pix-bitmap.h"

// Fills (x, y, w, h) with color at alpha under the mode's low byte 0..5. With
// the source-alpha bit the alpha is first scaled by the colour's alpha byte /
// 255. Copy at weights 64, 128, 192 and 256 works on whole words, the colour's
// alpha byte included; the other weights and modes hand the operator the
// colour's red, green, blue and the weight in the place of the source alpha.
void PIX_FillRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel color, float alpha, int mode);
// Every pixel of the area becomes (pixel AND mask) OR orbits.
void PIX_ClearRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel mask, PIX_pixel orbits);
// Every pixel of the bitmap becomes color.
void PIX_Clear(PIX_IBitmap* bm, PIX_pixel color);
// Each channel c becomes clamp((c * (int)(sc * 256) + (int)(add * 256)) >> 8)
// with the factor and offset of that channel; offsets are in channel units.
void PIX_MultiplyAddRect(PIX_IBitmap* bm, int x, int y, int w, int h, float rsc, float gsc, float bsc,
                         float asc, float radd, float gadd, float badd, float aadd);
// Calls procfunc(pixel, parm) for every pixel of the area; nothing when null.
void PIX_ProcessRect(PIX_IBitmap* bm, int x, int y, int w, int h,
                     void (*procfunc)(PIX_pixel* pixel, void* parm), void* parm);
// Fills the area with a colour starting at (ir, ig, ib, ia) (0..1 each) at
// its top-left corner and changing by the x increments per column and the y
// increments per row; mode low byte 0..5. Copy at a constant full alpha
// writes the gradient without blending.
void PIX_GradRect(PIX_IBitmap* bm, int x, int y, int w, int h, float ir, float ig, float ib, float ia,
                  float drdx, float dgdx, float dbdx, float dadx, float drdy, float dgdy, float dbdy,
                  float dady, int mode);
// Pixels whose colour (pixel AND 0xFFFFFF00) equals color get alpha 0; every
// other pixel gets alpha 255. A color with an alpha byte never matches.
void PIX_SetAlphaFromColorMask(PIX_IBitmap* bm, PIX_pixel color);
// Flood fill through column x: pixels matching (pixel at (x, y)) AND
// comparemask become (pixel AND keepmask) OR newcolor, in runs to the left
// and right of column x, from row y down and then up. Memory rows.
void PIX_SimpleFill(PIX_IBitmap* bm, int x, int y, PIX_pixel newcolor, PIX_pixel comparemask,
                    PIX_pixel keepmask);
