// Straight lines: one pixel wide between integer points, anti-aliased
// between float points, and horizontal or vertical dashed lines; the line
// clippers they use.
//
// Colour, alpha and mode as everywhere in the library: the colour's alpha byte
// is blended like the other three channels (it does not weight the line); the
// weight is (int)(alpha * 256); only the mode's low byte counts (0 copy, 1 add,
// 2 colour dodge, 3 multiply, 4 overlay, 5 HSV adjust; above 5 nothing), so
// the GUI's default mode word 0x10000 draws as copy. A null bitmap, a bitmap
// without pixels, a line wholly outside, a weight of 0 and, in copy mode, a
// negative weight draw nothing.
#pragma once

#include "KIT/pix/pix-bitmap.h"

// Draws the line from (x1, y1) to (x2, y2), both ends included, clipped to the
// bitmap; drawing row y of a flipped bitmap is memory row height - 1 - y. A
// single point draws one pixel. aa only matters to lines that are neither
// horizontal nor vertical: a 45-degree line then gives its diagonal three
// quarters of the weight and the inner corners of the staircase a quarter; a
// general line splits the weight between the two pixels beside its exact
// course (its end pixels keep the full weight). Lines are walked from both
// ends at once, so a line and its reverse draw the same pixels.
void PIX_Line(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, PIX_pixel color, float alpha, int mode,
              bool aa);

// The outline of a rectangle: four lines without anti-aliasing joining the
// corners (x, y), (x + w, y), (x + w, y + h) and (x, y + h), so the far
// corner is (x + w, y + h), not (x + w - 1, y + h - 1).
void PIX_DrawRect(PIX_IBitmap* bm, int x, int y, int w, int h, PIX_pixel color, float alpha, int mode);

// Clips the segment in place to columns 0 .. width - 1 and rows
// 0 .. height - 1; true when a part remains. A segment wholly outside returns
// false with the ends as far as they were moved. Crossings of the bottom and
// right borders are computed at height and width and the end placed on the
// last row or column.
bool ClipLine(int* x1, int* y1, int* x2, int* y2, int width, int height);
// The same against columns xlo .. xhi - 1 and rows ylo .. yhi - 1; the four
// values are stored back also when the result is false.
bool PIX_ClipLine(int* x1, int* y1, int* x2, int* y2, int xlo, int ylo, int xhi, int yhi);

// Draws the line between two float points. Without aa it is PIX_Line between
// the truncated points. With aa it is clipped in float and walked along its
// major axis: at each whole major position between the ends the weight is
// split between the two pixels that straddle the exact minor coordinate (a
// pixel exactly on the line gets 255/256 of it). A line shorter than one whole
// major position, and a zero-length line, draw nothing. Coordinates that are
// not finite draw nothing.
void PIX_FLine(PIX_IBitmap* dest, float x1, float y1, float x2, float y2, PIX_pixel color, float alpha,
               int mode, bool aa);

// Clips in place to the float region 0 <= x < width - 1, 0 <= y < height - 1,
// so that the neighbour one pixel further along the minor axis is still inside
// the bitmap: an end moved onto the right or bottom border lands on width - 2
// or height - 2. True when a part remains.
bool ClipFLine(float* x1, float* y1, float* x2, float* y2, int width, int height);
// The same against the region xlo .. xhi, ylo .. yhi (width and height
// truncated); the four values are stored back also when the result is false.
bool PIX_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi, float yhi);

// Draws a horizontal or vertical dashed line: runs of dash drawn pixels
// alternate with runs of gap skipped pixels, starting with a whole dash at the
// smaller end of the clipped line; the pixel of the larger end is never drawn.
// Rows are memory rows (a flipped bitmap is not turned). Sloped lines, single
// points, a dash below 1 and a dash and gap that add up to less than 1 draw
// nothing; a negative gap makes dashes overlap. aa has no effect.
void PIX_DashedLine(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int dash, int gap, PIX_pixel color,
                    float alpha, int mode, bool aa);
