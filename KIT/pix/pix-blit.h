// Unscaled blits and single-pixel operations.
//
// All take PIX_IBitmap pointers, an alpha and a blend-mode word
// (pix-combine.h) and report no error: a null bitmap, a bitmap without
// pixels, an area clipped to nothing, an alpha of 0 or a weight of 0, and a
// mode they do not handle draw nothing and leave the destination unchanged.
// Rows are addressed in drawing order: a flipped bitmap keeps drawing row y
// in memory row height - 1 - y.
#pragma once

#include "KIT/pix/pix-bitmap.h"

// Draws the source rectangle srcrect (null: the whole source) of src with its
// top-left corner at (dstx, dsty) of dest, clipped to both bitmaps; a
// negative left or top of srcrect moves the drawing right or down. Modes:
// channel copy ((mode & 0xf0) == 0xf0, whatever the alpha), else mode &
// 0x100ff: copy (alpha 1.0 copies rows, 0.5 averages words), 1..5 and the
// source-alpha modes 0x10000..0x10005. src and dest must not overlap in
// memory.
void PIX_Blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, RECT* srcrect, float alpha, int mode);
// The same with the source rectangle (srcx, srcy, srcw, srch).
void PIX_Blit(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
              float alpha, int mode);
// Resizes dest to the source's size and copies the source into it.
void PIX_Copy(PIX_IBitmap* dest, PIX_IBitmap* src);

// The pixel at (x, y); 0 outside the bitmap or without pixels.
PIX_pixel PIX_GetPixel(PIX_IBitmap* bm, int x, int y);
// Combines color into the pixel at (x, y) by the mode's low byte (the
// source-alpha bit is not looked at); the colour's own alpha byte is the
// source alpha. Nothing outside the bitmap.
void PIX_PutPixel(PIX_IBitmap* bm, int x, int y, PIX_pixel color, float alpha, int mode);

// A 3 x 3 blur of the source rectangle into dest at (dstx, dsty), clipped to
// both; each output word is c/2 + (L + R + U + D)/8 with halves and eighths
// taken per byte. src may be dest (in place). Nothing for an area narrower or
// lower than 2 pixels.
void PIX_Blur(PIX_IBitmap* dest, PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw,
              int srch);

// Halves src into dest: each destination pixel is the per-byte average (each
// quarter truncated) of a 2 x 2 source block. Memory rows.
void PIX_HalveBlitAA(PIX_IBitmap* dest, PIX_IBitmap* src);

// Compares two bitmaps: both null 0, only a null -1, only b null 1; then the
// difference of widths (b - a), of heights, and of the pixel bytes row by row
// (as memcmp). With coordsOut: 0 and an empty box when equal, else 1 and the
// smallest box holding every differing pixel as left, top, width, height in
// the RECT's four fields.
int PIX_BitmapCmp(PIX_IBitmap* a, PIX_IBitmap* b, RECT* coordsOut);
