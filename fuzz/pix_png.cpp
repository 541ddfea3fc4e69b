// Fuzzes PNG loading from memory. The input's last byte picks the target:
// a new bitmap, a given memory bitmap, or a given bitmap stored bottom-up.
// Images declaring more than 4 million pixels are skipped so that the run
// hunts faults, not memory exhaustion; the loader itself accepts them up to
// its side limit.
#include <climits>
#include <cstdint>
#include <cstring>

#include "KIT/pix/pix.h"

namespace {

class BottomUpBitmap : public PIX_IBitmap {
 public:
  PIX_pixel* getBits() override { return m_pixels.getBits(); }
  int getWidth() override { return m_pixels.getWidth(); }
  int getHeight() override { return m_pixels.getHeight(); }
  int getRowSpan() override { return m_pixels.getRowSpan(); }
  bool isFlipped() override { return true; }
  bool resize(int w, int h) override { return m_pixels.resize(w, h); }

 private:
  PIX_MemBitmap m_pixels{5, 2, 4};
};

uint32_t BigEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > INT_MAX) return 0;
  const uint8_t target = data[size - 1];
  --size;
  if (size >= 24 && !memcmp(data + 12, "IHDR", 4) &&
      static_cast<uint64_t>(BigEndian32(data + 16)) * BigEndian32(data + 20) > (1u << 22))
    return 0;

  PIX_IBitmap* given = nullptr;
  if (target % 3 == 1) given = new PIX_MemBitmap(3, 3, 4);
  if (target % 3 == 2) given = new BottomUpBitmap();
  PIX_IBitmap* result = PIX_LoadPNGFromMemory(data, static_cast<int>(size), given);
  if (result) {
    // A result is a whole image: pixels present, sizes in range, every row
    // readable (the sanitizers check the reads).
    if (given && result != given) __builtin_trap();
    const int w = result->getWidth(), h = result->getHeight();
    if (!result->getBits() || w < 1 || h < 1 || w > PIX_PNG_MAX_SIDE || h > PIX_PNG_MAX_SIDE)
      __builtin_trap();
    PIX_pixel sum = 0;
    for (int y = 0; y < h; ++y) sum += PIX_GetPixel(result, w - 1, y) + PIX_GetPixel(result, 0, y);
    if (sum == 0x12345678u) __builtin_trap();  // keeps the reads
  }
  if (result != given) delete result;
  delete given;
  return 0;
}
