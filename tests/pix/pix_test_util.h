// Helpers of the raster tests: bitmaps of known content, a bitmap stored
// bottom-up, and a readable form of pixel words for failure messages.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "KIT/pix/pix.h"

// A pixel from its channels in reading order alpha, red, green, blue.
inline PIX_pixel Argb(int a, int r, int g, int b) { return PIX_MakePixel(r, g, b, a); }

// "a,r,g,b" of a pixel word, for messages.
inline std::string Channels(PIX_pixel p) {
  char text[32];
  snprintf(text, sizeof text, "%d,%d,%d,%d", PIX_Alpha(p), PIX_Red(p), PIX_Green(p), PIX_Blue(p));
  return text;
}

// A memory bitmap whose rows are stored bottom-up: drawing row y lives in
// memory row height - 1 - y.
class FlippedBitmap : public PIX_IBitmap {
 public:
  FlippedBitmap(int w, int h) : m_pixels(w, h, 4) {}
  PIX_pixel* getBits() override { return m_pixels.getBits(); }
  int getWidth() override { return m_pixels.getWidth(); }
  int getHeight() override { return m_pixels.getHeight(); }
  int getRowSpan() override { return m_pixels.getRowSpan(); }
  bool isFlipped() override { return true; }
  bool resize(int w, int h) override { return m_pixels.resize(w, h); }
  // The word in memory row `row`, column x.
  PIX_pixel Memory(int x, int row) { return getBits()[row * getRowSpan() + x]; }

 private:
  PIX_MemBitmap m_pixels;
};

// A w x h memory bitmap with every pixel set to fill.
inline std::unique_ptr<PIX_MemBitmap> Filled(int w, int h, PIX_pixel fill) {
  std::unique_ptr<PIX_MemBitmap> bm(new PIX_MemBitmap(w, h, 4));
  PIX_Clear(bm.get(), fill);
  return bm;
}

// A pixel word unique to (x, y): red x + 1, green y + 1, blue 7, alpha 255.
inline PIX_pixel Marker(int x, int y) { return Argb(255, x + 1, y + 1, 7); }

// Sets every pixel (x, y) of bm, in drawing coordinates, to Marker(x, y).
inline void PaintMarkers(PIX_IBitmap* bm) {
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x) PIX_PutPixel(bm, x, y, Marker(x, y), 1.0f, 0);
}
