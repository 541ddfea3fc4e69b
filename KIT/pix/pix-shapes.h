// Area fills: trapezoids, convex polygons and triangles.
//
// Coordinates are integer pixels; every row and column between the edges is
// filled, end points included, clipped to the bitmap. The mode's low byte
// picks the operator (0 copy, 1..5; above 5 nothing; the source-alpha bit has
// no effect); copy at weights 256, 192, 128 and 64 works on whole words, the
// other weights and modes hand the operator the colour's four channels.
#pragma once

#include "KIT/pix/pix-bitmap.h"

// Fills the trapezoid between the span (x1a, x1b) on row y1 and the span
// (x2a, x2b) on row y2, in either order; on one row, from the smallest to the
// largest of the four ends. Rows are memory rows: the flip flag
// is not consulted.
void PIX_FillTrapezoid(PIX_IBitmap* bm, int x1a, int x1b, int y1, int x2a, int x2b, int y2, PIX_pixel color,
                       float alpha, int mode);
// Fills the convex polygon of npoints points (x[i], y[i]) in any order; fewer
// than 3 points draw nothing. Collinear points change nothing. Drawing rows:
// on a flipped bitmap y counts from the bottom memory row. A polygon that is
// not convex is filled between its leftmost and rightmost chains.
void PIX_FillConvexPolygon(PIX_IBitmap* bm, const int* x, const int* y, int npoints, PIX_pixel color,
                           float alpha, int mode);
// Fills the triangle of the three points.
void PIX_FillTriangle(PIX_IBitmap* bm, int x1, int y1, int x2, int y2, int x3, int y3, PIX_pixel color,
                      float alpha, int mode);
// Fills (x + 1, y + 1, w - 1, h - 1) with bgcolor (PIX_FillRect), then draws
// the outline of (x, y, w, h) with fgcolor (PIX_DrawRect, corners (x, y) and
// (x + w, y + h)), both with the same alpha and mode.
void PIX_BorderedRect(PIX_IBitmap* bm, int x, int y, int w, int h, PIX_pixel bgcolor, PIX_pixel fgcolor,
                      float alpha, int mode);
