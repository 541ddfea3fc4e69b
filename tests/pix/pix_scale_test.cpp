// Scaled blit: bilinear upscale, box-averaged shrink, the equal-size rule,
// source and destination clipping, mirroring and bottom-up bitmaps.
#include <gtest/gtest.h>

#include <string>

#include "pix_test_util.h"

namespace {

const PIX_pixel kBackground = Argb(1, 2, 3, 4);

// A bitmap whose red channel holds the given values row by row; alpha 255,
// green 9, blue 60 everywhere.
std::unique_ptr<PIX_MemBitmap> RedBitmap(int w, int h, const int* reds) {
  std::unique_ptr<PIX_MemBitmap> bm(new PIX_MemBitmap(w, h, 4));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) PIX_PutPixel(bm.get(), x, y, Argb(255, reds[y * w + x], 9, 60), 1.0f, 0);
  return bm;
}

// The red channel of a rectangle of the bitmap, rows separated by "|".
std::string Reds(PIX_IBitmap* bm, int w, int h) {
  std::string text;
  for (int y = 0; y < h; ++y) {
    if (y) text += "|";
    for (int x = 0; x < w; ++x) text += (x ? " " : "") + std::to_string(PIX_Red(PIX_GetPixel(bm, x, y)));
  }
  return text;
}

TEST(ScaledBlit, BilinearTwoByTwoUpscale) {
  const int reds[] = {0, 100, 200, 40};
  auto src = RedBitmap(2, 2, reds);
  // Steps of 0.5 from the top-left corner: the last readable column and row
  // interpolate along one axis only, the last pixel is taken whole.
  const char* kExpected = "0 50 100 100|100 85 70 70|200 120 40 40|200 120 40 40";
  for (bool flippedSource : {false, true})
    for (bool flippedDest : {false, true}) {
      FlippedBitmap flippedSrc(2, 2);
      PIX_Copy(&flippedSrc, src.get());
      PIX_IBitmap* source = flippedSource ? static_cast<PIX_IBitmap*>(&flippedSrc) : src.get();
      FlippedBitmap flippedDst(4, 4);
      PIX_MemBitmap plainDst(4, 4, 4);
      PIX_IBitmap* dest = flippedDest ? static_cast<PIX_IBitmap*>(&flippedDst) : &plainDst;
      PIX_Clear(dest, kBackground);
      PIX_ScaledBlit(dest, source, 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, 0x100);
      EXPECT_EQ(Reds(dest, 4, 4), kExpected) << "flipped source " << flippedSource << " dest " << flippedDest;
      EXPECT_EQ(Channels(PIX_GetPixel(dest, 1, 1)), Channels(Argb(255, 85, 9, 60)));
    }
}

TEST(ScaledBlit, SixBySixShrinkAveragesBoxes) {
  int reds[36];
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) reds[y * 6 + x] = 10 * x + y;
  auto src = RedBitmap(6, 6, reds);
  // A shrink of 3.0: 3 x 3 boxes centred on the sample's whole position;
  // taps outside the source count neither in the sum nor the total.
  auto dest = Filled(2, 2, kBackground);
  PIX_ScaledBlit(dest.get(), src.get(), 0, 0, 2, 2, 0, 0, 6, 6, 1.0f, 0x100);
  EXPECT_EQ(Reds(dest.get(), 2, 2), "5 30|8 33");
  // A shrink of 6.0: one 5 x 5 box around (0, 0), of which 3 x 3 lies inside.
  auto one = Filled(1, 1, kBackground);
  PIX_ScaledBlit(one.get(), src.get(), 0, 0, 1, 1, 0, 0, 6, 6, 1.0f, 0x100);
  EXPECT_EQ(Reds(one.get(), 1, 1), "11");
  FlippedBitmap flipped(2, 2);
  PIX_ScaledBlit(&flipped, src.get(), 0, 0, 2, 2, 0, 0, 6, 6, 1.0f, 0x100);
  EXPECT_EQ(Reds(&flipped, 2, 2), "5 30|8 33");
}

// The kernel is 3 x 3 up to a fixed-point step of 0x30000 and 5 x 5 above:
// a lone bright pixel two columns right of the sample shows only in the
// larger box.
TEST(ScaledBlit, BoxSizeFollowsTheShrink) {
  int reds[49] = {};
  reds[2] = 225;
  auto src = RedBitmap(7, 7, reds);
  auto three = Filled(1, 1, kBackground), five = Filled(1, 1, kBackground);
  PIX_ScaledBlit(three.get(), src.get(), 0, 0, 1, 1, 0, 0, 3.0f, 3.0f, 1.0f, 0x100);
  PIX_ScaledBlit(five.get(), src.get(), 0, 0, 1, 1, 0, 0, 3.001f, 3.001f, 1.0f, 0x100);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(three.get(), 0, 0)), 0);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(five.get(), 0, 0)), 25);  // 225 / 9 taps inside
}

TEST(ScaledBlit, ShrinkBelow1Point7InOneDirectionInterpolates) {
  int reds[17 * 17];
  for (int i = 0; i < 17 * 17; ++i) reds[i] = (i % 17) * 15;
  auto src = RedBitmap(17, 17, reds);
  auto box = Filled(10, 10, kBackground), bilinear = Filled(10, 10, kBackground);
  PIX_ScaledBlit(box.get(), src.get(), 0, 0, 10, 10, 0, 0, 17, 17, 1.0f, 0x100);          // 1.7 both ways
  PIX_ScaledBlit(bilinear.get(), src.get(), 0, 0, 10, 10, 0, 0, 17, 16.9f, 1.0f, 0x100);  // 1.69 down
  // Column 1 samples x = 1.7: the box averages columns 0..2 (15), bilinear
  // takes 0.3 of column 1 and 0.7 of column 2 (25, truncated).
  EXPECT_EQ(PIX_Red(PIX_GetPixel(box.get(), 1, 5)), 15);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(bilinear.get(), 1, 5)), 25);
}

TEST(ScaledBlit, EqualSizeBecomesAPlainBlit) {
  PIX_MemBitmap src(8, 2, 4);
  PaintMarkers(&src);
  const struct {
    const char* why;
    float srcx;
    int mode;
    int firstColumn;  // -1: interpolated
  } kCases[] = {
      {"scale 1.0 with the filter bit", 0.0f, 0x100, 0},
      {"2.4 without filter rounds down", 2.4f, 0, 2},
      {"2.6 without filter rounds up", 2.6f, 0, 3},
      {"0.02 with the filter bit is whole", 0.02f, 0x100, 0},
      {"0.25 with the filter bit interpolates", 0.25f, 0x100, -1},
  };
  for (const auto& c : kCases) {
    auto dest = Filled(4, 2, kBackground);
    PIX_ScaledBlit(dest.get(), &src, 0, 0, 4, 2, c.srcx, 0, 4, 2, 1.0f, c.mode);
    if (c.firstColumn >= 0) {
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ(PIX_GetPixel(dest.get(), x, 1), Marker(c.firstColumn + x, 1)) << c.why;
    } else {
      // 0.75 of column n and 0.25 of column n + 1: red (n + 1) * 0.75 + (n + 2) * 0.25.
      EXPECT_EQ(PIX_Red(PIX_GetPixel(dest.get(), 0, 0)), 1) << c.why;  // 1.25 truncated
      EXPECT_EQ(PIX_Red(PIX_GetPixel(dest.get(), 3, 0)), 4) << c.why;  // 4.25
      const int reds[] = {0, 100, 200, 40};
      auto row = RedBitmap(4, 1, reds);
      auto out = Filled(2, 1, kBackground);
      PIX_ScaledBlit(out.get(), row.get(), 0, 0, 2, 1, 0.25f, 0, 2, 1, 1.0f, 0x100);
      EXPECT_EQ(Reds(out.get(), 2, 1), "25 125") << c.why;
    }
  }
}

TEST(ScaledBlit, StopsBeforeSamplingPastTheSource) {
  int reds[10];
  for (int i = 0; i < 10; ++i) reds[i] = 10 + i;
  auto src = RedBitmap(10, 1, reds);
  // 12 source columns of a 10-wide bitmap into 24: samples 0.0 .. 8.5 only.
  auto dest = Filled(30, 1, kBackground);
  PIX_ScaledBlit(dest.get(), src.get(), 0, 0, 24, 1, 0, 0, 12, 1, 1.0f, 0);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(dest.get(), 17, 0)), 18);
  EXPECT_EQ(PIX_GetPixel(dest.get(), 18, 0), kBackground);
  // 10 into 20 draws all 20; with the filter the last two take column 9 whole.
  auto all = Filled(30, 1, kBackground);
  PIX_ScaledBlit(all.get(), src.get(), 0, 0, 20, 1, 0, 0, 10, 1, 1.0f, 0x100);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(all.get(), 17, 0)), 18);  // 8.5: half of 18 and 19
  EXPECT_EQ(PIX_Red(PIX_GetPixel(all.get(), 18, 0)), 19);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(all.get(), 19, 0)), 19);
  EXPECT_EQ(PIX_GetPixel(all.get(), 20, 0), kBackground);
}

// A destination clipped on any side shows exactly the pixels of the same blit
// unclipped, with no pixel from outside the source rectangle (steps of 0.5
// keep the clipped start exact).
TEST(ScaledBlit, ClippedDestinationShowsThePixelsOfTheWholeBlit) {
  PIX_MemBitmap src(16, 16, 4);
  PaintMarkers(&src);
  for (int mode : {0, 0x100, 0x10000, 0x10100}) {
    auto whole = Filled(40, 40, kBackground);
    PIX_ScaledBlit(whole.get(), &src, 5, 6, 20, 22, 2, 1, 10, 11, 1.0f, mode);
    EXPECT_EQ(PIX_GetPixel(whole.get(), 24, 27), Marker(11, 11))
        << "the last sample takes the last column whole";
    for (auto offset :
         {std::make_pair(-10, 0), std::make_pair(0, -12), std::make_pair(-20, -20), std::make_pair(10, 15)}) {
      auto part = Filled(20, 20, kBackground);
      PIX_ScaledBlit(part.get(), &src, 5 + offset.first, 6 + offset.second, 20, 22, 2, 1, 10, 11, 1.0f, mode);
      for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
          const int wx = x - offset.first, wy = y - offset.second;
          if (wx < 0 || wy < 0 || wx >= 40 || wy >= 40) continue;
          ASSERT_EQ(Channels(PIX_GetPixel(part.get(), x, y)), Channels(PIX_GetPixel(whole.get(), wx, wy)))
              << "mode " << mode << " offset " << offset.first << "," << offset.second << " at " << x << ","
              << y;
        }
    }
  }
}

TEST(ScaledBlit, WeightsPickTheirLoops) {
  auto src = Filled(2, 2, 0xFFFFFFFF);
  auto half = Filled(4, 4, 0);
  PIX_ScaledBlit(half.get(), src.get(), 0, 0, 4, 4, 0, 0, 2, 2, 0.5f, 0);
  EXPECT_EQ(PIX_GetPixel(half.get(), 3, 3), 0x7F7F7F7Fu);
  auto copy = Filled(4, 4, 0);
  PIX_ScaledBlit(copy.get(), src.get(), 0, 0, 4, 4, 0, 0, 2, 2, 0.49f, 0);
  EXPECT_EQ(PIX_GetPixel(copy.get(), 3, 3), 0x7D7D7D7Du);  // weight 125: 255 - 255 * 131 / 256
  for (int mode : {0xF0, 6, 0x10006}) {
    auto none = Filled(4, 4, kBackground);
    PIX_ScaledBlit(none.get(), src.get(), 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, mode);
    EXPECT_EQ(PIX_GetPixel(none.get(), 2, 2), kBackground) << mode;
  }
  auto none = Filled(4, 4, kBackground);
  PIX_ScaledBlit(none.get(), src.get(), 0, 0, 4, 4, 0, 0, 2, 2, 0.003f, 1);
  PIX_ScaledBlit(none.get(), src.get(), 0, 0, 0, 4, 0, 0, 2, 2, 1.0f, 0);
  PIX_ScaledBlit(nullptr, src.get(), 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(none.get(), 2, 2), kBackground);
}

TEST(ScaledBlit, NegativeSizesMirror) {
  PIX_MemBitmap src(4, 3, 4);
  PaintMarkers(&src);
  auto dest = Filled(4, 3, kBackground);
  PIX_ScaledBlit(dest.get(), &src, 4, 3, -4, -3, 0, 0, 4, 3, 1.0f, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(PIX_GetPixel(dest.get(), x, y), Marker(3 - x, 2 - y)) << x << "," << y;
  auto doubled = Filled(8, 1, kBackground);
  PIX_ScaledBlit(doubled.get(), &src, 8, 0, -8, 1, 0, 0, 4, 1, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(doubled.get(), 0, 0), Marker(3, 0));
  EXPECT_EQ(PIX_GetPixel(doubled.get(), 7, 0), Marker(0, 0));
}

// Positions are 16.16: a source range beyond 32767 pixels cannot be walked
// and is refused rather than wrapped.
TEST(ScaledBlit, SourceTooWideForFixedPointDrawsNothing) {
  auto src = Filled(40000, 1, 0xFFFFFFFF);
  auto dest = Filled(100, 1, kBackground);
  PIX_ScaledBlit(dest.get(), src.get(), 0, 0, 100, 1, 0, 0, 40000, 1, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(dest.get(), 99, 0), kBackground);
  PIX_ScaledBlit(dest.get(), src.get(), 0, 0, 100, 1, 1e9f, 0, 1e9f, 1, 1.0f, 0x100);
  EXPECT_EQ(PIX_GetPixel(dest.get(), 0, 0), kBackground);
}

}  // namespace
