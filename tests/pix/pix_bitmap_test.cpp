// Memory bitmaps: alignment, growth, emptiness and the sizes that are refused.
#include <gtest/gtest.h>

#include <cstdint>

#include "KIT/pix/pix-bitmap.h"

namespace {

TEST(MemBitmap, ZeroSizeHasNoPixels) {
  PIX_MemBitmap bm(0, 0, 4);
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
  EXPECT_EQ(bm.getRowSpan(), 0);
  EXPECT_FALSE(bm.isFlipped());
  EXPECT_EQ(bm.getDC(), nullptr);
  EXPECT_EQ(bm.Extended(1, nullptr), 0);
}

TEST(MemBitmap, RowsArePaddedToTheLineAlignmentAndBitsTo64Bytes) {
  const struct {
    unsigned int linealign;
    int width;
    int span;
  } kCases[] = {
      {4, 5, 8}, {4, 8, 8}, {0, 5, 5}, {1, 5, 5}, {8, 9, 16}, {6, 5, 6}, {16, 17, 32}, {64, 17, 32},
  };
  for (const auto& c : kCases) {
    PIX_MemBitmap bm(c.width, 3, c.linealign);
    EXPECT_EQ(bm.getRowSpan(), c.span) << "linealign " << c.linealign << " width " << c.width;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(bm.getBits()) % 64, 0u);
  }
}

TEST(MemBitmap, GrowthReservesAQuarterMoreAndShrinkingKeepsTheBlock) {
  PIX_MemBitmap bm(100, 100, 4);
  EXPECT_EQ(bm.getAllocatedSize(), 100 * 100 * 4);
  EXPECT_TRUE(bm.resize(101, 100));
  const int need = 104 * 100 * 4;
  EXPECT_EQ(bm.getAllocatedSize(), need + need / 4);
  PIX_pixel* bits = bm.getBits();
  EXPECT_TRUE(bm.resize(120, 105));  // 120 * 105 * 4 fits in the reserve
  EXPECT_EQ(bm.getBits(), bits);
  EXPECT_TRUE(bm.resize(10, 10));
  EXPECT_EQ(bm.getBits(), bits);
  EXPECT_EQ(bm.getAllocatedSize(), need + need / 4);
  EXPECT_EQ(bm.getWidth(), 10);
  EXPECT_EQ(bm.getRowSpan(), 12);
}

TEST(MemBitmap, ResizeToTheSameSizeChangesNothing) {
  PIX_MemBitmap bm(7, 3, 4);
  PIX_pixel* bits = bm.getBits();
  EXPECT_FALSE(bm.resize(7, 3));
  EXPECT_EQ(bm.getBits(), bits);
}

// Sizes with nothing to hold, negative sizes and sizes whose byte count does
// not fit a signed 32-bit count all leave an empty bitmap, never a block
// smaller than the size reported.
TEST(MemBitmap, EmptyOrOverlargeSizesLeaveAnEmptyBitmap) {
  const struct {
    const char* why;
    int width;
    int height;
  } kCases[] = {
      {"no columns", 0, 50},
      {"no rows", 50, 0},
      {"negative width", -4, 10},
      {"both negative (product positive)", -4, -4},
      {"bytes overflow 32 bits", 40000, 40000},
      {"bytes overflow by row padding", 0x7ffffffd, 1},
      {"just over the limit", 16384, 32768},
  };
  for (const auto& c : kCases) {
    PIX_MemBitmap bm(10, 10, 4);
    EXPECT_TRUE(bm.resize(c.width, c.height)) << c.why;
    EXPECT_EQ(bm.getBits(), nullptr) << c.why;
    EXPECT_EQ(bm.getWidth(), 0) << c.why;
    EXPECT_EQ(bm.getHeight(), 0) << c.why;
    EXPECT_EQ(bm.getAllocatedSize(), 0) << c.why;
  }
}

TEST(MemBitmap, ConstructionWithAnOverlargeSizeIsEmpty) {
  PIX_MemBitmap bm(1 << 20, 1 << 20, 4);
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
}

}  // namespace
