// A bitmap with a guard border: a w x h view into a larger memory bitmap
// whose border pixels hold a sentinel, so that a test sees any write that
// leaves the view, even one that wraps into a neighbouring row (which the
// address sanitizer cannot see). Optionally stored bottom-up.
#pragma once

#include <string>

#include "pix_test_util.h"

class GuardedBitmap : public PIX_IBitmap {
 public:
  static constexpr int kBorder = 8;
  static constexpr PIX_pixel kSentinel = 0x5A5A5A5Au;

  GuardedBitmap(int w, int h, PIX_pixel fill = 0, bool flipped = false)
      : m_outer(w + 2 * kBorder, h + 2 * kBorder, 4), m_width(w), m_height(h), m_flipped(flipped) {
    PIX_Clear(&m_outer, kSentinel);
    PIX_FillRect(&m_outer, kBorder, kBorder, w, h, fill, 1.0f, 0);
  }
  PIX_pixel* getBits() override { return m_outer.getBits() + kBorder * m_outer.getRowSpan() + kBorder; }
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  int getRowSpan() override { return m_outer.getRowSpan(); }
  bool isFlipped() override { return m_flipped; }
  bool resize(int w, int h) override { return false; }

  // True while every border pixel still holds the sentinel.
  bool GuardIntact() {
    for (int y = 0; y < m_outer.getHeight(); ++y)
      for (int x = 0; x < m_outer.getWidth(); ++x) {
        const bool inside = x >= kBorder && x < kBorder + m_width && y >= kBorder && y < kBorder + m_height;
        if (!inside && PIX_GetPixel(&m_outer, x, y) != kSentinel) return false;
      }
    return true;
  }
  // The word in memory row `row`, column x of the view.
  PIX_pixel Memory(int x, int row) { return getBits()[row * getRowSpan() + x]; }

 private:
  PIX_MemBitmap m_outer;
  int m_width, m_height;
  bool m_flipped;
};

// The red channel of every pixel of the bitmap (drawing rows), which for
// white drawn over black in copy mode is the weight a pixel received (255 for
// full weight): rows joined by '|', values by ' '. Pixels equal to `blank`
// show as '.'.
inline std::string Weights(PIX_IBitmap* bm, PIX_pixel blank = 0) {
  std::string text;
  for (int y = 0; y < bm->getHeight(); ++y) {
    if (y) text += "|";
    for (int x = 0; x < bm->getWidth(); ++x) {
      if (x) text += " ";
      const PIX_pixel p = PIX_GetPixel(bm, x, y);
      text += p == blank ? std::string(".") : std::to_string(PIX_Red(p));
    }
  }
  return text;
}

// The bitmap as rows of '#' (pixels other than blank) and '.', joined by '|'.
inline std::string Ink(PIX_IBitmap* bm, PIX_pixel blank = 0) {
  std::string text;
  for (int y = 0; y < bm->getHeight(); ++y) {
    if (y) text += "|";
    for (int x = 0; x < bm->getWidth(); ++x) text += PIX_GetPixel(bm, x, y) == blank ? '.' : '#';
  }
  return text;
}

// A small deterministic generator for the property tests.
class TestRandom {
 public:
  explicit TestRandom(uint32_t seed) : m_state(seed ? seed : 1) {}
  uint32_t Next() {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
  }
  // An int in lo .. hi.
  int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1)); }
  // A float in lo .. hi in steps of 1/16.
  float RangeF(float lo, float hi) {
    return lo + static_cast<float>(Next() % static_cast<uint32_t>((hi - lo) * 16 + 1)) / 16.0f;
  }

 private:
  uint32_t m_state;
};
