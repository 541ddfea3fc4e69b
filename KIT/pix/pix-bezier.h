// Quadratic and cubic Bézier curves: drawn as chains of line segments, or a
// cubic filled towards a row (or a column).
//
// Colour, alpha and mode as for lines (pix-line.h). tol is the length of one
// segment in pixels along the control polygon; 0 or below counts as 1.0, and
// a curve is cut into at most kBezierMaxSegments segments whatever tol says.
// Points that are not finite draw nothing.
#pragma once

#include "KIT/pix/pix-bitmap.h"

static const int kBezierMaxSegments = 65536;

// Solves the quadratic (x0, y0), (x1, y1), (x2, y2) for the parameter t at
// which its x equals x (x0 <= x2): t = 0 at or before x0, 1 at or beyond x2;
// returns y at that t. A curve that never reaches x gives the nearest t.
float PIX_Bezier_GetY(float x0, float x1, float x2, float y0, float y1, float y2, float x, float* t);
// Solves the cubic with power-basis coefficients (ax, bx, cx, x0) of x and
// (ay, by, cy, y0) of y for x by at most 8 halvings of [0, 1] (x increasing in
// t), interpolating linearly inside the last bracket; returns y, t through t.
float PIX_CBezier_GetY(float ax, float bx, float cx, float x0, float ay, float by, float cy, float y0,
                       float x, float* t);

// The quadratic from (xstart, ystart) through the control point to (xend,
// yend), clipped to columns 0 .. width - 1.
void PIX_DrawQBezier(PIX_IBitmap* bm, float xstart, float ystart, float xctl, float yctl, float xend,
                     float yend, PIX_pixel color, float alpha, int mode, bool aa, float tol);
// The cubic from (xstart, ystart) with two control points to (xend, yend),
// clipped to columns 0 .. width.
void PIX_DrawCBezier(PIX_IBitmap* bm, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                     float yctl2, float xend, float yend, PIX_pixel color, float alpha, int mode, bool aa,
                     float tol);
// Fills the area between the cubic and row yfill, column by column.
void PIX_FillCBezier(PIX_IBitmap* bm, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                     float yctl2, float xend, float yend, int yfill, PIX_pixel color, float alpha, int mode,
                     float tol);
// Fills the area between the cubic and column xfill, row by row.
void PIX_FillCBezierX(PIX_IBitmap* bm, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                      float yctl2, float xend, float yend, int xfill, PIX_pixel color, float alpha, int mode,
                      float tol);
