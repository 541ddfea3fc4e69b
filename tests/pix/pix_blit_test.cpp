// Unscaled blits: clipping at every edge, flipped bitmaps, the copy fast
// paths, channel copy, single pixels, blur, halving and comparison.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "pix_test_util.h"

namespace {

const PIX_pixel kBackground = Argb(1, 2, 3, 4);

struct ClipCase {
  const char* why;
  int dstx, dsty;
  bool wholeSource;
  RECT rect;
};

// Where a blit puts its pixels: destination (x, y) shows source
// (x - dstx + left, y - dsty + top) when that lies inside both the source
// rectangle and the source bitmap.
PIX_pixel ExpectedAt(const ClipCase& c, int sw, int sh, int x, int y) {
  const RECT r = c.wholeSource ? RECT{0, 0, sw, sh} : c.rect;
  const int sx = x - c.dstx + r.left, sy = y - c.dsty + r.top;
  const bool inside = sx >= 0 && sy >= 0 && sx >= r.left && sy >= r.top && sx < r.right && sy < r.bottom &&
                      sx < sw && sy < sh;
  return inside ? Marker(sx, sy) : kBackground;
}

const ClipCase kClipCases[] = {
    {"wholly inside", 2, 1, true, {}},
    {"over the left edge", -2, 1, true, {}},
    {"over the right edge", 6, 1, true, {}},
    {"over the top edge", 2, -1, true, {}},
    {"over the bottom edge", 2, 4, true, {}},
    {"over the top-left corner", -1, -2, true, {}},
    {"over the bottom-right corner", 6, 4, true, {}},
    {"larger than the destination on every side", -1, -1, true, {}},  // with the wide source below
    {"source rectangle left of the source", 1, 0, false, {-3, 0, 4, 3}},
    {"source rectangle above the source", 1, 0, false, {0, -2, 4, 3}},
    {"source rectangle past the source's far edges", 0, 0, false, {1, 1, 10, 10}},
    {"inner source rectangle", 3, 3, false, {1, 1, 3, 2}},
    {"empty source rectangle", 0, 0, false, {3, 1, 2, 2}},
    {"right of the destination", 8, 0, true, {}},
    {"left of the destination", -4, 0, true, {}},
    {"below the destination", 0, 6, true, {}},
    {"far outside", -2000000000, 2000000000, true, {}},
};

TEST(Blit, ClipsAtEveryEdge) {
  for (const ClipCase& c : kClipCases) {
    for (int sw : {4, 10}) {
      const int sh = sw == 4 ? 3 : 8;
      PIX_MemBitmap src(sw, sh, 4);
      PaintMarkers(&src);
      auto dest = Filled(8, 6, kBackground);
      PIX_Blit(dest.get(), &src, c.dstx, c.dsty, c.wholeSource ? nullptr : const_cast<RECT*>(&c.rect), 1.0f,
               0);
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
          ASSERT_EQ(Channels(PIX_GetPixel(dest.get(), x, y)), Channels(ExpectedAt(c, sw, sh, x, y)))
              << c.why << ", source " << sw << " x " << sh << ", at " << x << "," << y;
    }
  }
}

TEST(Blit, RectangleFormBuildsTheSourceRectangle) {
  PIX_MemBitmap src(10, 10, 4);
  PaintMarkers(&src);
  auto dest = Filled(100, 100, kBackground);
  PIX_Blit(dest.get(), &src, -5, 0, 0, 0, 10, 10, 1.0f, 0);  // columns 5..9 land at 0..4
  EXPECT_EQ(PIX_GetPixel(dest.get(), 0, 0), Marker(5, 0));
  EXPECT_EQ(PIX_GetPixel(dest.get(), 4, 9), Marker(9, 9));
  EXPECT_EQ(PIX_GetPixel(dest.get(), 5, 0), kBackground);
  auto small = Filled(100, 100, kBackground);
  PIX_Blit(small.get(), &src, 95, 95, 0, 0, 10, 10, 1.0f, 0);  // only the top-left 5 x 5
  EXPECT_EQ(PIX_GetPixel(small.get(), 99, 99), Marker(4, 4));
  EXPECT_EQ(PIX_GetPixel(small.get(), 94, 99), kBackground);
  // A rectangle whose far edge would overflow int is held at the int range.
  PIX_Blit(small.get(), &src, 0, 0, 2, 2, 0x7fffffff, 0x7fffffff, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(small.get(), 0, 0), Marker(2, 2));
}

// Rows are addressed in drawing order: drawing row y of a flipped bitmap is
// memory row height - 1 - y, for the source and for the destination.
TEST(Blit, FlippedBitmapsShowTheSamePicture) {
  PIX_MemBitmap plainSource(4, 3, 4);
  PaintMarkers(&plainSource);
  FlippedBitmap flippedSource(4, 3);
  PaintMarkers(&flippedSource);
  EXPECT_EQ(flippedSource.Memory(1, 2), Marker(1, 0));  // drawing row 0 is the last memory row

  for (PIX_IBitmap* src :
       {static_cast<PIX_IBitmap*>(&plainSource), static_cast<PIX_IBitmap*>(&flippedSource)}) {
    for (float alpha : {1.0f, 0.5f, 0.3f}) {
      FlippedBitmap flippedDest(8, 6);
      PIX_Clear(&flippedDest, kBackground);
      auto plainDest = Filled(8, 6, kBackground);
      RECT rect = {1, 0, 4, 3};
      PIX_Blit(&flippedDest, src, 3, -1, &rect, alpha, 0);
      PIX_Blit(plainDest.get(), src, 3, -1, &rect, alpha, 0);
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
          ASSERT_EQ(PIX_GetPixel(&flippedDest, x, y), PIX_GetPixel(plainDest.get(), x, y))
              << "alpha " << alpha << " at " << x << "," << y;
          ASSERT_EQ(flippedDest.Memory(x, 5 - y), PIX_GetPixel(plainDest.get(), x, y));
        }
    }
  }
}

TEST(Blit, CopyFastPathsAndWeights) {
  const struct {
    float alpha;
    PIX_pixel expected;
  } kCases[] = {
      {1.0f, 0xFFFFFFFF},  {0.5f, 0x7F7F7F7F},  // word average
      {0.25f, 0x40404040},                      // 255 + (0 - 255) * 192 / 256 = 64
      {0.003f, 0},                              // weight 0
      {0.0f, 0},           {-1.0f, 0},          // copy below weight 1
  };
  for (const auto& c : kCases) {
    auto white = Filled(5, 2, 0xFFFFFFFF);
    auto black = Filled(5, 2, 0);
    PIX_Blit(black.get(), white.get(), 0, 0, nullptr, c.alpha, 0);
    EXPECT_EQ(PIX_GetPixel(black.get(), 4, 1), c.expected) << "alpha " << c.alpha;
  }
}

TEST(Blit, ChannelCopyMovesOneByteWhateverTheAlpha) {
  for (float alpha : {1.0f, 0.003f, 0.0f}) {
    auto dest = Filled(3, 3, Argb(10, 20, 30, 40));
    auto src = Filled(3, 3, Argb(99, 1, 2, 3));
    PIX_Blit(dest.get(), src.get(), 0, 0, nullptr, alpha, 0xF4);  // source alpha into destination red
    const PIX_pixel expected = alpha == 0.0f ? Argb(10, 20, 30, 40) : Argb(10, 99, 30, 40);
    EXPECT_EQ(Channels(PIX_GetPixel(dest.get(), 2, 2)), Channels(expected)) << "alpha " << alpha;
  }
  auto dest = Filled(2, 1, Argb(10, 20, 30, 40));
  auto src = Filled(2, 1, Argb(99, 1, 2, 3));
  PIX_Blit(dest.get(), src.get(), 0, 0, nullptr, 1.0f, 0xFB);  // blue (3) into green (2)
  EXPECT_EQ(Channels(PIX_GetPixel(dest.get(), 1, 0)), Channels(Argb(10, 20, 3, 40)));
}

TEST(Blit, UnknownModesAndMissingBitmapsDrawNothing) {
  auto dest = Filled(3, 3, kBackground);
  auto src = Filled(3, 3, 0xFFFFFFFF);
  for (int mode : {6, 0x7f, 0x10006, 0x10080}) PIX_Blit(dest.get(), src.get(), 0, 0, nullptr, 0.7f, mode);
  PIX_MemBitmap empty(0, 0, 4);
  PIX_Blit(dest.get(), &empty, 0, 0, nullptr, 1.0f, 0);
  PIX_Blit(&empty, src.get(), 0, 0, nullptr, 1.0f, 0);
  PIX_Blit(nullptr, src.get(), 0, 0, nullptr, 1.0f, 0);
  PIX_Blit(dest.get(), nullptr, 0, 0, nullptr, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(dest.get(), 1, 1), kBackground);
  // Bits above the source-alpha bit and the filter bit are ignored: add.
  PIX_Blit(dest.get(), src.get(), 0, 0, nullptr, 1.0f, 0x20000 | 0x100 | 1);
  EXPECT_EQ(PIX_GetPixel(dest.get(), 1, 1), 0xFFFFFFFF);
}

TEST(Blit, CopyResizesTheDestination) {
  PIX_MemBitmap src(5, 4, 4);
  PaintMarkers(&src);
  PIX_MemBitmap dest(1, 1, 4);
  PIX_Copy(&dest, &src);
  ASSERT_EQ(dest.getWidth(), 5);
  ASSERT_EQ(dest.getHeight(), 4);
  EXPECT_EQ(PIX_BitmapCmp(&dest, &src, nullptr), 0);
  PIX_Copy(nullptr, &src);
  PIX_Copy(&dest, nullptr);
}

TEST(SinglePixel, ReadsAndWritesInsideTheBitmapOnly) {
  auto bm = Filled(4, 3, kBackground);
  for (auto xy : {std::make_pair(4, 0), std::make_pair(0, 3), std::make_pair(-1, 0), std::make_pair(0, -1)}) {
    EXPECT_EQ(PIX_GetPixel(bm.get(), xy.first, xy.second), 0u);
    PIX_PutPixel(bm.get(), xy.first, xy.second, 0xFFFFFFFF, 1.0f, 0);
  }
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(PIX_GetPixel(bm.get(), x, y), kBackground);
  EXPECT_EQ(PIX_GetPixel(nullptr, 0, 0), 0u);
  FlippedBitmap flipped(2, 2);
  PIX_Clear(&flipped, 0);
  PIX_PutPixel(&flipped, 1, 0, 0xFFFFFFFF, 1.0f, 0);
  EXPECT_EQ(flipped.Memory(1, 1), 0xFFFFFFFF);
  EXPECT_EQ(PIX_GetPixel(&flipped, 1, 0), 0xFFFFFFFF);
}

TEST(SinglePixel, PutPixelWeightsAndTheColoursOwnAlpha) {
  const struct {
    int mode;
    float alpha;
    PIX_pixel colour;
    PIX_pixel expected;  // over Argb(100, 100, 100, 100)
  } kCases[] = {
      {0, 1.0f, Argb(0, 200, 0, 255), Argb(0, 200, 0, 255)},
      {0, 0.25f, Argb(0, 200, 0, 255), Argb(75, 125, 75, 138)},     // d/4 + d/2 + c/4, bytewise
      {0, 0.75f, Argb(0, 200, 0, 255), Argb(25, 175, 25, 215)},     // d/4 + c/4 + c/2
      {0, 0.3f, Argb(0, 200, 0, 255), Argb(70, 130, 70, 147)},      // copy at weight 76
      {0x10000, 1.0f, Argb(0, 200, 0, 255), Argb(0, 200, 0, 255)},  // source-alpha bit not read
      {1, 1.0f, Argb(10, 20, 30, 40), Argb(110, 120, 130, 140)},    // add: alpha byte is the colour's
      {1, 0.0f, Argb(10, 20, 30, 40), Argb(100, 100, 100, 100)},
      {6, 1.0f, Argb(10, 20, 30, 40), Argb(100, 100, 100, 100)},
  };
  for (const auto& c : kCases) {
    auto bm = Filled(1, 1, Argb(100, 100, 100, 100));
    PIX_PutPixel(bm.get(), 0, 0, c.colour, c.alpha, c.mode);
    EXPECT_EQ(Channels(PIX_GetPixel(bm.get(), 0, 0)), Channels(c.expected))
        << "mode " << c.mode << " alpha " << c.alpha;
  }
}

TEST(Blur, UniformBitmapLosesTheTruncationOfItsTerms) {
  auto bm = Filled(5, 4, 0xFFFFFFFF);
  PIX_Blur(bm.get(), bm.get(), 0, 0, 0, 0, 5, 4);
  EXPECT_EQ(PIX_GetPixel(bm.get(), 2, 1), 0xFBFBFBFB);  // 127 + 4 * 31
  EXPECT_EQ(PIX_GetPixel(bm.get(), 2, 0), 0xFCFCFCFC);  // 127 + 31 + 31 + 63
  EXPECT_EQ(PIX_GetPixel(bm.get(), 0, 0), 0xFDFDFDFD);  // 127 + 63 + 63
  EXPECT_EQ(PIX_GetPixel(bm.get(), 0, 2), 0xFCFCFCFC);  // 127 + 63 + 31 + 31
  EXPECT_EQ(PIX_GetPixel(bm.get(), 4, 3), 0xFDFDFDFD);
}

TEST(Blur, TooNarrowOrLowAreasAreLeftAlone) {
  auto bm = Filled(5, 4, 0xFFFFFFFF);
  PIX_Blur(bm.get(), bm.get(), 0, 0, 2, 0, 1, 4);
  PIX_Blur(bm.get(), bm.get(), 0, 0, 0, 3, 5, 1);
  PIX_Blur(bm.get(), bm.get(), 0, 0, 0, 3, 5, 7);  // clipped to one row
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_EQ(PIX_GetPixel(bm.get(), x, y), 0xFFFFFFFFu);
}

// In place, every output pixel must be computed from unblurred neighbours,
// the same as blurring into a separate bitmap; also past 1024 pixels, where
// the row buffer comes from the heap.
TEST(Blur, InPlaceEqualsIntoAnotherBitmap) {
  for (int width : {7, 1500}) {
    PIX_MemBitmap source(width, 5, 4);
    srand(7);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < width; ++x)
        PIX_PutPixel(&source, x, y, static_cast<PIX_pixel>(rand()) * 2654435761u, 1.0f, 0);
    PIX_MemBitmap inPlace(width, 5, 4), separate(width, 5, 4);
    PIX_Copy(&inPlace, &source);
    PIX_Copy(&separate, &source);
    PIX_Blur(&inPlace, &inPlace, 0, 0, 0, 0, width, 5);
    PIX_MemBitmap out(width, 5, 4);
    PIX_Blur(&out, &source, 0, 0, 0, 0, width, 5);
    EXPECT_EQ(PIX_BitmapCmp(&inPlace, &out, nullptr), 0) << "width " << width;
    // An inner pixel by hand: c/2 + (L + R + U + D)/8, bytewise.
    auto term = [](PIX_pixel p, int shift) { return (p >> shift) & (0xFFu >> shift) * 0x01010101u; };
    const PIX_pixel expected = term(PIX_GetPixel(&source, 3, 2), 1) + term(PIX_GetPixel(&source, 2, 2), 3) +
                               term(PIX_GetPixel(&source, 4, 2), 3) + term(PIX_GetPixel(&source, 3, 1), 3) +
                               term(PIX_GetPixel(&source, 3, 3), 3);
    EXPECT_EQ(PIX_GetPixel(&out, 3, 2), expected);
  }
}

TEST(HalveBlit, AveragesTwoByTwoBlocks) {
  PIX_MemBitmap src(4, 2, 4);
  PIX_PutPixel(&src, 0, 0, Argb(4, 8, 12, 16), 1.0f, 0);
  PIX_PutPixel(&src, 1, 0, Argb(8, 8, 12, 16), 1.0f, 0);
  PIX_PutPixel(&src, 0, 1, Argb(12, 8, 12, 16), 1.0f, 0);
  PIX_PutPixel(&src, 1, 1, Argb(255, 11, 12, 16), 1.0f, 0);
  PIX_FillRect(&src, 2, 0, 2, 2, 0xFFFFFFFF, 1.0f, 0);
  auto dest = Filled(3, 3, kBackground);
  PIX_HalveBlitAA(dest.get(), &src);
  EXPECT_EQ(Channels(PIX_GetPixel(dest.get(), 0, 0)), Channels(Argb(1 + 2 + 3 + 63, 8, 12, 16)));
  EXPECT_EQ(PIX_GetPixel(dest.get(), 1, 0), 0xFCFCFCFC);  // four quarters of 255, each 63
  EXPECT_EQ(PIX_GetPixel(dest.get(), 2, 0), kBackground);
  EXPECT_EQ(PIX_GetPixel(dest.get(), 0, 1), kBackground);
}

TEST(BitmapCompare, OrdersAndLocatesDifferences) {
  PIX_MemBitmap a(6, 5, 4), b(6, 5, 4), wide(7, 5, 4);
  PaintMarkers(&a);
  PaintMarkers(&b);
  RECT box = {9, 9, 9, 9};
  EXPECT_EQ(PIX_BitmapCmp(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(PIX_BitmapCmp(nullptr, &a, nullptr), -1);
  EXPECT_EQ(PIX_BitmapCmp(&a, nullptr, nullptr), 1);
  EXPECT_EQ(PIX_BitmapCmp(&a, &wide, nullptr), 1);
  EXPECT_EQ(PIX_BitmapCmp(&a, &b, &box), 0);
  EXPECT_EQ(box.left + box.top + box.right + box.bottom, 0);
  PIX_PutPixel(&b, 4, 1, 0, 1.0f, 0);
  PIX_PutPixel(&b, 1, 3, 0, 1.0f, 0);
  EXPECT_NE(PIX_BitmapCmp(&a, &b, nullptr), 0);
  EXPECT_EQ(PIX_BitmapCmp(&a, &b, &box), 1);
  EXPECT_EQ(box.left, 1);
  EXPECT_EQ(box.top, 1);
  EXPECT_EQ(box.right, 4);   // width
  EXPECT_EQ(box.bottom, 3);  // height
}

}  // namespace
