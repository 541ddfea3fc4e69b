// A drawing surface for the image generator: a PIX_MemBitmap with straight
// alpha, on which shapes are drawn with anti-aliased edges. Every shape is
// given by its signed distance (negative inside, in pixels); a pixel takes
// the coverage clamp(0.5 - distance, 0, 1) at its centre, which keeps edges
// soft at any size and keeps the output the same bytes on every run.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "KIT/pix/pix-bitmap.h"

namespace imggen {

// A colour with straight (not premultiplied) alpha, channels 0..255.
struct Rgba {
  float r, g, b, a;
};
inline Rgba rgb(int r, int g, int b, float a = 1.0f) { return Rgba{float(r), float(g), float(b), a}; }
inline Rgba withAlpha(Rgba c, float a) { return Rgba{c.r, c.g, c.b, a}; }
// t = 0 gives a, t = 1 gives b.
Rgba mix(Rgba a, Rgba b, float t);

// Text placement inside a box.
enum class Align { Left, Centre, Right };

// A font of the system's faces: family name, pixel size, bold.
struct FontStyle {
  const char* face;
  int size;
  bool bold;
};

class Canvas {
 public:
  // A transparent surface of w x h pixels.
  Canvas(int w, int h);
  int width() const { return m_width; }
  int height() const { return m_height; }
  PIX_MemBitmap& bitmap() { return *m_bitmap; }

  // Blends c over the pixel at (x, y) with the coverage (0..1); outside the
  // surface nothing happens.
  void blend(int x, int y, Rgba c, float coverage);
  // Every pixel becomes c.
  void clear(Rgba c);
  // Blends the colour colourOf(t) over whole rows y0 .. y1 - 1, t running
  // from t0 at the top to t1 at the bottom.
  void fillRows(int y0, int y1, Rgba (*colourOf)(float t), float t0, float t1);

  // Shades every pixel of the box (x0, y0) - (x1, y1) whose centre lies
  // inside the shape: distance(px, py) is the signed distance, colour(px, py)
  // the colour at that point.
  template <class Distance, class Colour>
  void shade(float x0, float y0, float x1, float y1, Distance distance, Colour colour) {
    const int ix0 = std::max(0, int(std::floor(x0)) - 1), iy0 = std::max(0, int(std::floor(y0)) - 1);
    const int ix1 = std::min(m_width, int(std::ceil(x1)) + 1),
              iy1 = std::min(m_height, int(std::ceil(y1)) + 1);
    for (int y = iy0; y < iy1; ++y)
      for (int x = ix0; x < ix1; ++x) {
        const float px = x + 0.5f, py = y + 0.5f;
        const float cover = std::min(1.0f, std::max(0.0f, 0.5f - distance(px, py)));
        if (cover > 0.0f) blend(x, y, colour(px, py), cover);
      }
  }

  // Rectangles with rounded corners of radius r, filled flat, with a
  // vertical gradient from top to bottom colour, or outlined with a line of
  // the given width lying inside the box.
  void fillRoundRect(float x, float y, float w, float h, float r, Rgba c);
  void fillRoundRectV(float x, float y, float w, float h, float r, Rgba top, Rgba bottom);
  void strokeRoundRect(float x, float y, float w, float h, float r, float width, Rgba c);
  // Discs and rings around (cx, cy).
  void fillCircle(float cx, float cy, float r, Rgba c);
  void fillCircleV(float cx, float cy, float r, Rgba top, Rgba bottom);
  void strokeCircle(float cx, float cy, float r, float width, Rgba c);
  // The part of a ring of radius r between two angles in radians (0 at the
  // top, growing clockwise), with round ends.
  void arc(float cx, float cy, float r, float width, float from, float to, Rgba c);
  // A straight line of the given width with round ends.
  void line(float x0, float y0, float x1, float y1, float width, Rgba c);
  // A soft round light: full strength c at the centre, fading to nothing at
  // radius r.
  void glow(float cx, float cy, float r, Rgba c);
  // A soft shadow of a rounded rectangle, spread pixels wide.
  void shadow(float x, float y, float w, float h, float r, float spread, Rgba c);

  // One line of text in the box, vertically centred; tracking adds pixels
  // between letters. Returns the width drawn.
  int text(const std::string& s, float x, float y, float w, float h, const FontStyle& font, Rgba c,
           Align align = Align::Left, int tracking = 0);
  // The width the text would take.
  int textWidth(const std::string& s, const FontStyle& font, int tracking = 0);

  // Draws src over this surface with its top-left corner at (x, y).
  void draw(Canvas& src, int x, int y);

 private:
  int m_width, m_height;
  std::unique_ptr<PIX_MemBitmap> m_bitmap;
};

// Signed distances used by the shapes, exposed for shapes of the widgets.
float roundRectDistance(float px, float py, float x, float y, float w, float h, float r);
float segmentDistance(float px, float py, float x0, float y0, float x1, float y1);

const float kPi = 3.14159265358979f;
inline float degrees(float d) { return d * kPi / 180.0f; }

}  // namespace imggen
