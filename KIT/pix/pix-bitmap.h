// Bitmaps of 32-bit pixels and the pixel word.
//
// A pixel is one 32-bit word whose four bytes lie in memory in the order
// alpha, red, green, blue; read as a little-endian word it is
// A | R << 8 | G << 16 | B << 24. The same word is the colour of every drawing
// call. Pixel (x, y) of a bitmap that is not flipped lies at
// getBits() + y * getRowSpan() + x; a flipped bitmap keeps drawing row y in
// memory row height - 1 - y. Row spans count pixels, never bytes.
#pragma once

#include <cstdint>

#include "KIT/winl/winl-types.h"

typedef uint32_t PIX_pixel;

// The combine arithmetic addresses the bytes of a pixel word directly.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the pixel word is laid out for little-endian machines");

// Byte offsets of the channels inside a pixel in memory; the channel-copy
// blit numbers the channels the same way.
enum { PIX_CHANNEL_ALPHA = 0, PIX_CHANNEL_RED = 1, PIX_CHANNEL_GREEN = 2, PIX_CHANNEL_BLUE = 3 };

inline int PIX_Alpha(PIX_pixel c) { return static_cast<int>(c & 0xff); }
inline int PIX_Red(PIX_pixel c) { return static_cast<int>((c >> 8) & 0xff); }
inline int PIX_Green(PIX_pixel c) { return static_cast<int>((c >> 16) & 0xff); }
inline int PIX_Blue(PIX_pixel c) { return static_cast<int>(c >> 24); }
// The pixel word of four channel values 0..255.
inline PIX_pixel PIX_MakePixel(int r, int g, int b, int a) {
  return static_cast<PIX_pixel>(a & 0xff) | static_cast<PIX_pixel>(r & 0xff) << 8 |
         static_cast<PIX_pixel>(g & 0xff) << 16 | static_cast<PIX_pixel>(b & 0xff) << 24;
}

// An abstract rectangle of pixels that hands out its memory directly, so that
// drawing runs as plain loops over rows. Used by one thread at a time.
class PIX_IBitmap {
 public:
  virtual ~PIX_IBitmap() {}
  // The first pixel of memory row 0, or null when the bitmap has no pixels.
  // Stays valid until the next resize or the bitmap's destruction.
  virtual PIX_pixel* getBits() = 0;
  virtual int getWidth() = 0;
  virtual int getHeight() = 0;
  // Pixels from the start of one memory row to the next; at least the width.
  virtual int getRowSpan() = 0;
  // True when rows are stored bottom-up. No bitmap of this library is flipped.
  virtual bool isFlipped() { return false; }
  // False when w and h equal the current size (nothing is touched); otherwise
  // as each class says. The content after a resize is undefined.
  virtual bool resize(int w, int h) = 0;
  // The native drawing context that holds the pixels; none for plain memory.
  virtual HDC getDC() { return nullptr; }
  // Extension hook; no identifier is recognised.
  virtual int Extended(int id, void* data) { return 0; }
};

// A bitmap whose pixels live in a heap block it owns. The block starts on a
// 64-byte boundary and only grows; rows are padded to the line alignment.
class PIX_MemBitmap : public PIX_IBitmap {
 public:
  // linealign is the row alignment in pixels: below 2 none, else its lowest
  // set bit (4 pads rows to a multiple of 4 pixels, 6 to 2), at most 16.
  // Calls resize(w, h) unless both are 0.
  PIX_MemBitmap(int w, int h, unsigned int linealign);
  ~PIX_MemBitmap() override;
  PIX_MemBitmap(const PIX_MemBitmap&) = delete;
  PIX_MemBitmap& operator=(const PIX_MemBitmap&) = delete;

  PIX_pixel* getBits() override;
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  int getRowSpan() override {
    return static_cast<int>((static_cast<uint32_t>(m_width) + m_linealign) & ~m_linealign);
  }

  // Same size: false. A width or height of 0 or below frees the block and
  // leaves the bitmap empty (0 x 0). A size whose bytes do not fit in a signed
  // 32-bit count, or memory that cannot be had, also leaves it empty (0 x 0).
  // Otherwise the block is kept when it is large enough, or grown to 1.25
  // times the need. Returns true in all these cases.
  bool resize(int w, int h) override;

  // Bytes of pixels the block can hold without growing.
  int getAllocatedSize() const { return m_allocated; }

  // The largest pixel byte count a bitmap takes.
  static const int kMaxBytes = 0x7fffffff - 63;

 private:
  void freeBlock();

  void* m_block = nullptr;
  int32_t m_width = 0;
  int32_t m_height = 0;
  int32_t m_allocated = 0;
  uint32_t m_linealign = 0;
};
