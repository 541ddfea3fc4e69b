// The raster graphics library: 32-bit pixel bitmaps and the operations that
// draw into them. Include this header for all of it; the parts are:
//
//   pix-bitmap.h   the pixel word, PIX_IBitmap and PIX_MemBitmap
//   pix-combine.h  the blend-mode word, the weight and the combine operators
//   pix-blit.h     unscaled blits, single pixels, blur, halving, comparison
//   pix-rect.h     rectangle fills, masks, gradients, flood fill
//   pix-scale.h    scaled blit: nearest, bilinear, box-averaged shrink
//   pix-rotate.h   rotated, delta and mesh transform blits
//   pix-shapes.h   trapezoid, convex polygon and triangle fills
//   pix-bezier.h   quadratic and cubic curves, drawn or filled towards a row or column
//   pix-png.h      PNG loading
//   pix-line.h     integer, float anti-aliased and dashed lines, rectangle outlines
//   pix-circle.h   circles, discs, arcs and rounded rectangles
//   pix-glyph.h    8-bit coverage masks blended in a colour
//   pix-sysbitmap.h  PIX_SysBitmap: pixels in a drawing context of the Win32-style layer
//   pix-font.h     PIX_CachedFont: native text and text from cached glyphs
//
// Conventions shared by every operation: bitmaps are passed as PIX_IBitmap
// pointers; colours are PIX_pixel words; alpha is a float whose weight is
// (int)(alpha * 256); the mode is the blend-mode word of pix-combine.h.
// Nothing reports an error: null bitmaps, bitmaps without pixels, areas
// clipped to nothing, zero weights and unknown modes draw nothing.
#pragma once

#include "KIT/pix/pix-bezier.h"
#include "KIT/pix/pix-bitmap.h"
#include "KIT/pix/pix-blit.h"
#include "KIT/pix/pix-circle.h"
#include "KIT/pix/pix-combine.h"
#include "KIT/pix/pix-font.h"
#include "KIT/pix/pix-glyph.h"
#include "KIT/pix/pix-line.h"
#include "KIT/pix/pix-png.h"
#include "KIT/pix/pix-rect.h"
#include "KIT/pix/pix-rotate.h"
#include "KIT/pix/pix-scale.h"
#include "KIT/pix/pix-shapes.h"
#include "KIT/pix/pix-sysbitmap.h"
