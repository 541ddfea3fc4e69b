// Text of the view layer's own windows (popup menus, the text field):
// one native font of the drawing layer, measured and drawn into bitmaps of
// the raster library. Used on the view's thread only.
#pragma once

#include <string>

#include "KIT/pix/pix-bitmap.h"
#include "KIT/winl/winl-types.h"

class PIX_SysBitmap;

class ViewFont {
 public:
  // A face by name (fontconfig finds an installed stand-in for a missing
  // one) at a pixel size (below 2: 10), bold or not.
  ViewFont(const char* face, int size, bool bold = false);
  ~ViewFont();
  ViewFont(const ViewFont&) = delete;
  ViewFont& operator=(const ViewFont&) = delete;

  // Width and height in pixels of one line of UTF-8 text (bytes, or up to
  // the NUL when negative); 0, 0 for no text.
  void Measure(const char* text, int bytes, int* width, int* height) const;
  // Height of a line of this font.
  int LineHeight() const { return m_lineHeight; }
  // Draws one line of text into bm at (x, y) (its top left), clipped to
  // clip, in color (pixel word; its alpha is not used).
  void Draw(PIX_IBitmap* bm, const char* text, int bytes, int x, int y, const RECT& clip,
            PIX_pixel color) const;

 private:
  HGDIOBJ m_font = nullptr;
  PIX_SysBitmap* m_measure = nullptr;  // a small bitmap whose context measures
  int m_lineHeight = 0;
};

// Number of bytes of the UTF-8 character that starts with byte lead (1 for a
// stray continuation byte, so that a walk always moves on).
int ViewUtf8Length(unsigned char lead);
// Number of characters (code points) in bytes of UTF-8 text.
int ViewUtf8Count(const char* text, int bytes);
