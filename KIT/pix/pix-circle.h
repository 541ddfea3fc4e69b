// Round shapes: circle outlines, discs, arcs and rounded rectangles, all on
// one pixel-exact circle engine with an anti-aliased and an aliased form.
//
// Colour, alpha and mode as for lines (pix-line.h): the weight is
// (int)(alpha * 256), only the mode's low byte counts (0..5, above 5
// nothing), copy draws nothing at a negative weight. Centres and radii are in
// pixels; the centre pixel is ((int)(cx + 0.5), (int)(cy + 0.5)). Drawing row
// y of a flipped bitmap is memory row height - 1 - y. A null bitmap or one
// without pixels draws nothing; pixels outside the bitmap are skipped.
#pragma once

#include "KIT/pix/pix-bitmap.h"

// The outline of the circle of radius r around (cx, cy); r < 0 draws nothing.
// Radii of exactly 1.5, 2, 2.5, 3, 3.5 and 4 are stamped from fixed coverage
// masks (smooth with aa, plain without) with their top-left pixel at
// ((int)(cx - r), (int)(cy - r)) through PIX_DrawGlyph; those are not
// mirrored for a flipped bitmap.
void PIX_Circle(PIX_IBitmap* bm, float cx, float cy, float r, PIX_pixel color, float alpha, int mode,
                bool aa);
// The filled disc; every pixel of an aliased disc is blended exactly once.
void PIX_FillCircle(PIX_IBitmap* bm, float cx, float cy, float r, PIX_pixel color, float alpha, int mode,
                    bool aa);
// The part of the outline between two angles in radians, in either order.
// Angle 0 is the top of the circle and angles grow clockwise on screen: the
// point at angle a is (cx + r sin a, cy - r cos a). A span of a whole turn or
// more draws the whole outline; angles that are not finite draw nothing.
void PIX_Arc(PIX_IBitmap* bm, float cx, float cy, float r, float minAngle, float maxAngle, PIX_pixel color,
             float alpha, int mode, bool aa);
// The outline of the rectangle (x, y, w, h) with quarter-circle corners of
// cornerRadius, limited to half the width and half the height. A radius below
// 2 after that limit draws the plain rectangle outline (PIX_DrawRect).
void PIX_RoundRect(PIX_IBitmap* bm, float x, float y, float w, float h, int cornerRadius, PIX_pixel color,
                   float alpha, int mode, bool aa);
