// Blending an 8-bit coverage mask in a solid colour: the stamp behind the
// cached font's glyphs and the small circle outlines.
#pragma once

#include "KIT/pix/pix-bitmap.h"

// Blends the glyph_w x glyph_h mask (rows glyph_span bytes apart; 0 no ink,
// 255 full ink) with its top-left pixel at (x, y), clipped to the bitmap.
// Each non-zero mask byte m blends color (all four channels) under the mode's
// low byte (0..5; above 5 nothing) at the weight m * (int)(alpha * 256) / 256,
// so full ink at alpha 1.0 weighs 255. Rows of a flipped bitmap count from the
// bottom. Nothing for a null bitmap or mask, a width, height or span below 1
// or a span below the width, a weight of 0, or copy at a negative weight.
void PIX_DrawGlyphEx(PIX_IBitmap* bm, int x, int y, PIX_pixel color, const unsigned char* alphas, int glyph_w,
                     int glyph_span, int glyph_h, float alpha, int mode);
// PIX_DrawGlyphEx with rows glyph_w bytes apart.
void PIX_DrawGlyph(PIX_IBitmap* bm, int x, int y, PIX_pixel color, const unsigned char* alphas, int glyph_w,
                   int glyph_h, float alpha, int mode);
