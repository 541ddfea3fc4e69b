// The combine operators: hand-computed pixels for every mode with and
// without source alpha at weights 0, 0.5 and 1, through PIX_Blit and the
// single-pixel entry points; the edge cases of the arithmetic; HSV adjust.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "pix_test_util.h"

namespace {

const PIX_pixel kDest = Argb(200, 100, 50, 0);
const PIX_pixel kHalfOpaque = Argb(128, 200, 0, 255);
const PIX_pixel kTransparent = Argb(0, 10, 20, 30);
const PIX_pixel kOpaque = Argb(255, 10, 20, 30);

struct BlendCase {
  int mode;
  float alpha;
  PIX_pixel source;
  int a, r, g, b;  // expected destination
};

// Computed by hand from the operator formulas (divisions truncate toward
// zero). Copy at 0.5 through PIX_Blit averages whole words.
const BlendCase kBlendCases[] = {
    {0x0, 0.0f, kHalfOpaque, 200, 100, 50, 0},
    {0x0, 0.5f, kHalfOpaque, 164, 150, 25, 127},
    {0x0, 1.0f, kHalfOpaque, 128, 200, 0, 255},
    {0x1, 0.0f, kHalfOpaque, 200, 100, 50, 0},
    {0x1, 0.5f, kHalfOpaque, 255, 200, 50, 127},
    {0x1, 1.0f, kHalfOpaque, 255, 255, 50, 255},
    {0x2, 0.0f, kHalfOpaque, 200, 100, 50, 0},
    {0x2, 0.5f, kHalfOpaque, 255, 164, 50, 0},
    {0x2, 1.0f, kHalfOpaque, 255, 255, 50, 0},
    {0x3, 0.0f, kHalfOpaque, 200, 100, 50, 0},
    {0x3, 0.5f, kHalfOpaque, 150, 89, 25, 0},
    {0x3, 1.0f, kHalfOpaque, 100, 78, 0, 0},
    {0x4, 0.0f, kHalfOpaque, 200, 100, 50, 0},
    {0x4, 0.5f, kHalfOpaque, 200, 117, 29, 0},
    {0x4, 1.0f, kHalfOpaque, 200, 134, 9, 0},
    {0x10000, 0.0f, kHalfOpaque, 200, 100, 50, 0},
    {0x10000, 0.5f, kHalfOpaque, 255, 125, 37, 64},
    {0x10000, 1.0f, kHalfOpaque, 255, 151, 24, 129},
    {0x10000, 0.5f, kTransparent, 200, 100, 50, 0},
    {0x10000, 1.0f, kTransparent, 200, 100, 50, 0},
    {0x10000, 0.5f, kOpaque, 255, 55, 35, 15},
    {0x10000, 1.0f, kOpaque, 255, 10, 20, 30},
    {0x10001, 0.5f, kHalfOpaque, 232, 150, 50, 63},
    {0x10001, 1.0f, kHalfOpaque, 255, 200, 50, 128},
    {0x10001, 0.5f, kTransparent, 200, 100, 50, 0},
    {0x10001, 1.0f, kTransparent, 200, 100, 50, 0},
    {0x10001, 0.5f, kOpaque, 255, 105, 60, 15},
    {0x10001, 1.0f, kOpaque, 255, 110, 70, 30},
    {0x10002, 0.5f, kHalfOpaque, 228, 124, 50, 0},
    {0x10002, 1.0f, kHalfOpaque, 255, 164, 50, 0},
    {0x10002, 0.5f, kTransparent, 200, 100, 50, 0},
    {0x10002, 1.0f, kTransparent, 200, 100, 50, 0},
    {0x10002, 0.5f, kOpaque, 255, 101, 52, 0},
    {0x10002, 1.0f, kOpaque, 255, 104, 54, 0},
    {0x10003, 0.5f, kHalfOpaque, 175, 94, 37, 0},
    {0x10003, 1.0f, kHalfOpaque, 149, 88, 24, 0},
    {0x10003, 0.5f, kTransparent, 200, 100, 50, 0},
    {0x10003, 1.0f, kTransparent, 200, 100, 50, 0},
    {0x10003, 0.5f, kOpaque, 199, 51, 26, 0},
    {0x10003, 1.0f, kOpaque, 199, 3, 3, 0},
    {0x10004, 0.5f, kHalfOpaque, 200, 108, 39, 0},
    {0x10004, 1.0f, kHalfOpaque, 200, 117, 29, 0},
    {0x10004, 0.5f, kTransparent, 200, 100, 50, 0},
    {0x10004, 1.0f, kTransparent, 199, 99, 49, 0},  // w' = 1 still moves it
    {0x10004, 0.5f, kOpaque, 221, 71, 33, 0},
    {0x10004, 1.0f, kOpaque, 243, 43, 16, 0},
};

// Every case through a one-pixel blit and a wide blit (whose inner loop is
// the vectorised one), and through PIX_CombinePixels where the operator is
// the same (copy at half weight differs: the blit averages words).
TEST(CombineModes, BlitAndSinglePixelGiveTheHandComputedPixels) {
  for (const BlendCase& c : kBlendCases) {
    const PIX_pixel expected = Argb(c.a, c.r, c.g, c.b);
    for (int width : {1, 37}) {
      // One pixel and a row long enough for the vectorised loop.
      auto dest = Filled(width, 2, kDest);
      auto src = Filled(width, 2, c.source);
      PIX_Blit(dest.get(), src.get(), 0, 0, nullptr, c.alpha, c.mode);
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(Channels(PIX_GetPixel(dest.get(), x, 1)), Channels(expected))
            << "mode 0x" << std::hex << c.mode << std::dec << " alpha " << c.alpha << " source "
            << Channels(c.source) << " width " << width << " x " << x;
    }
    if (!(c.mode == 0 && c.alpha == 0.5f)) {
      EXPECT_EQ(Channels(PIX_CombinePixels(kDest, c.source, c.alpha, c.mode)), Channels(expected))
          << "mode 0x" << std::hex << c.mode << std::dec << " alpha " << c.alpha;
    }
  }
}

// The operators' own examples: one channel each, source s onto destination d.
TEST(CombineModes, OperatorArithmeticEdges) {
  const struct {
    const char* why;
    int mode;
    int weight;
    int s, d, expected;
  } kCases[] = {
      {"copy half: 200 + (100 - 200) * 128 / 256", 0, 128, 200, 100, 150},
      {"copy half of 0 onto 255 truncates", 0, 128, 0, 255, 127},
      {"copy at weight 1 of 0 onto 1", 0, 1, 0, 1, 0},
      {"add saturates", 1, 256, 200, 100, 255},
      {"add with negative weight subtracts", 1, -256, 200, 100, 0},
      {"dodge without division keeps 0", 2, 256, 255, 0, 0},
      {"dodge without division saturates", 2, 256, 255, 7, 255},
      {"multiply 128 by 255", 3, 256, 128, 255, 127},
  };
  for (const auto& c : kCases) {
    PIX_pixel p = Argb(0, c.d, 0, 0);
    PIX_CombinePixels2(&p, c.s, 0, 0, 0, c.weight, c.mode);
    EXPECT_EQ(PIX_Red(p), c.expected) << c.why;
  }
  // The operators themselves at weight 0 leave d for multiply and overlay.
  unsigned char bytes[4] = {0, 93, 0, 0};
  _PIX_CombinePixelsMulNoClamp::doPix(bytes, 17, 0, 0, 0, 0);
  EXPECT_EQ(bytes[1], 93);
  bytes[1] = 77;
  _PIX_CombinePixelsOverlay::doPix(bytes, 250, 0, 0, 0, 0);
  EXPECT_EQ(bytes[1], 77);
}

TEST(CombineModes, SingleEntryPointsSkipZeroWeightsAndUnknownModes) {
  EXPECT_EQ(PIX_CombinePixels(kDest, kOpaque, 0.001f, 0), kDest);
  EXPECT_EQ(PIX_CombinePixels(kDest, kOpaque, -1.0f, 0), kDest);  // copy below weight 1
  EXPECT_EQ(PIX_CombinePixels(kDest, kOpaque, 1.0f, 6), kDest);
  EXPECT_EQ(PIX_CombinePixels(kDest, kOpaque, 1.0f, 0x10006), kDest);
  EXPECT_EQ(PIX_CombinePixels(kDest, kHalfOpaque, 1.0f, 0x2ff00), kHalfOpaque);  // bits 8-15 and 17+ ignored
  PIX_pixel p = kDest;
  PIX_CombinePixels2(&p, 1, 2, 3, 4, 0, 0);
  EXPECT_EQ(p, kDest);
  PIX_CombinePixels2(&p, 1, 2, 3, 4, 256, 0);
  EXPECT_EQ(p, Argb(4, 1, 2, 3));
}

TEST(CombineModes, ClampEntryPointClampsChannelsOutsideTheByteRange) {
  PIX_pixel p = kDest;
  PIX_CombinePixels2Clamp(&p, 300, -20, 128, 999, 256, 0);
  EXPECT_EQ(Channels(p), Channels(Argb(255, 255, 0, 128)));
  p = Argb(0, 100, 100, 100);
  // copy at half weight: 400 + (100 - 400) * 128 / 256 = 250; -100 gives 0.
  PIX_CombinePixels2Clamp(&p, 400, -100, 600, 0, 128, 0);
  EXPECT_EQ(Channels(p), Channels(Argb(0, 250, 0, 255)));
  p = Argb(0, 200, 0, 0);
  // multiply at full weight: 300 * 200 / 256 = 234; at twice: stays clamped.
  PIX_CombinePixels2Clamp(&p, 300, 0, 0, 0, 256, 3);
  EXPECT_EQ(PIX_Red(p), 234);
}

// Weights are not clamped to 256, but huge alphas and NaN must not overflow
// the integer arithmetic (checked by the sanitizers) and NaN draws nothing.
TEST(CombineModes, ExtremeAlphasStayDefined) {
  for (int mode : {0, 1, 2, 3, 4, 5, 0x10000, 0x10001, 0x10002, 0x10003, 0x10004, 0x10005}) {
    for (float alpha : {1e30f, -1e30f, 3.0f, INFINITY}) PIX_CombinePixels(kDest, kHalfOpaque, alpha, mode);
    EXPECT_EQ(PIX_CombinePixels(kDest, kHalfOpaque, NAN, mode), kDest);
  }
  // Twice full weight adds twice the source.
  EXPECT_EQ(PIX_Red(PIX_CombinePixels(Argb(0, 10, 0, 0), Argb(0, 20, 0, 0), 2.0f, 1)), 50);
}

// The byte forms that the blit loops use must give exactly the operators'
// results: every destination and source byte at the weights that select them.
TEST(CombineModes, ByteFormsEqualTheOperators) {
  auto same = [](auto byteForm, auto general, int r, int g, int b, int a, int w, const unsigned char* start) {
    unsigned char x[4], y[4];
    memcpy(x, start, 4);
    memcpy(y, start, 4);
    byteForm(x, r, g, b, a, w);
    general(y, r, g, b, a, w);
    return memcmp(x, y, 4) == 0;
  };
  int mismatches = 0;
  for (int d = 0; d < 256; ++d)
    for (int s = 0; s < 256; ++s) {
      const unsigned char start[4] = {static_cast<unsigned char>(d), static_cast<unsigned char>(d),
                                      static_cast<unsigned char>(255 - d), static_cast<unsigned char>(s)};
      for (int w : {1, 2, 63, 64, 100, 127, 128, 129, 192, 254, 255}) {
        mismatches += !same(_PIX_CombinePixelsCopyBytes::doPix, _PIX_CombinePixelsCopyNoClamp::doPix, s,
                            255 - s, d, s ^ 0x5a, w, start);
        mismatches += !same(_PIX_CombinePixelsCopySourceAlphaBytes::doPix,
                            _PIX_CombinePixelsCopySourceAlphaNoClamp::doPix, s, 255 - s, d, s, w, start);
      }
      mismatches += !same(_PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmBytes::doPix,
                          _PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp::doPix, d ^ 0x33, 255 - d,
                          s, s, 256, start);
    }
  EXPECT_EQ(mismatches, 0);
}

TEST(HsvAdjust, NeutralAdjustmentKeepsTheColourAndTakesTheAlpha) {
  for (PIX_pixel colour :
       {Argb(9, 200, 40, 10), Argb(9, 10, 200, 40), Argb(9, 40, 10, 200), Argb(9, 90, 90, 90)}) {
    PIX_pixel p = colour;
    _PIX_CombinePixelsHSVAdjust::doPix(reinterpret_cast<unsigned char*>(&p), 128, 128, 128, 77, 256);
    EXPECT_EQ(PIX_Alpha(p), 77);
    EXPECT_NEAR(PIX_Red(p), PIX_Red(colour), 2) << Channels(colour);
    EXPECT_NEAR(PIX_Green(p), PIX_Green(colour), 2) << Channels(colour);
    EXPECT_NEAR(PIX_Blue(p), PIX_Blue(colour), 2) << Channels(colour);
  }
}

TEST(HsvAdjust, RedTurnsHalfWayToCyan) {
  PIX_pixel p = Argb(255, 255, 0, 0);
  _PIX_CombinePixelsHSVAdjust::doPix(reinterpret_cast<unsigned char*>(&p), 0, 128, 128, 255, 256);
  EXPECT_EQ(Channels(p), Channels(Argb(255, 0, 255, 255)));
  // The same through a blit in mode 5.
  auto dest = Filled(3, 1, Argb(255, 255, 0, 0));
  auto src = Filled(3, 1, Argb(255, 0, 128, 128));
  PIX_Blit(dest.get(), src.get(), 0, 0, nullptr, 1.0f, 5);
  EXPECT_EQ(Channels(PIX_GetPixel(dest.get(), 2, 0)), Channels(Argb(255, 0, 255, 255)));
}

TEST(HsvAdjust, GreyStaysUntintedAndValuesStayInRange) {
  PIX_pixel p = Argb(0, 100, 100, 100);
  _PIX_CombinePixelsHSVAdjust::doPix(reinterpret_cast<unsigned char*>(&p), 200, 128, 200, 0, 256);
  EXPECT_EQ(PIX_Red(p), PIX_Green(p));
  EXPECT_EQ(PIX_Green(p), PIX_Blue(p));
  EXPECT_GT(PIX_Red(p), 100);
  // Far beyond full weight the hue may turn several times; still a colour.
  for (int w : {-1024, 1024}) {
    PIX_pixel q = Argb(0, 30, 200, 90);
    _PIX_CombinePixelsHSVAdjust::doPix(reinterpret_cast<unsigned char*>(&q), 255, 255, 0, 1, w);
    EXPECT_EQ(PIX_Alpha(q), 1);
  }
}

}  // namespace
