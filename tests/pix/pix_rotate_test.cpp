// Rotated, delta and mesh blits.
#include <gtest/gtest.h>

#include <cmath>

#include "pix_test_util.h"

namespace {

const PIX_pixel kBackground = Argb(1, 2, 3, 4);
const PIX_pixel kRed = Argb(255, 255, 0, 0), kGreen = Argb(255, 0, 255, 0), kBlue = Argb(255, 0, 0, 255),
                kWhite = 0xFFFFFFFF;

// 16 x 16 in four coloured quadrants: red top-left, green top-right, blue
// bottom-left, white bottom-right.
std::unique_ptr<PIX_MemBitmap> Quadrants() {
  std::unique_ptr<PIX_MemBitmap> bm(new PIX_MemBitmap(16, 16, 4));
  PIX_FillRect(bm.get(), 0, 0, 8, 8, kRed, 1.0f, 0);
  PIX_FillRect(bm.get(), 8, 0, 8, 8, kGreen, 1.0f, 0);
  PIX_FillRect(bm.get(), 0, 8, 8, 8, kBlue, 1.0f, 0);
  PIX_FillRect(bm.get(), 8, 8, 8, 8, kWhite, 1.0f, 0);
  return bm;
}

TEST(RotatedBlit, AngleZeroOnWholePixelsCopiesExactly) {
  PIX_MemBitmap src(6, 5, 4);
  PaintMarkers(&src);
  auto dest = Filled(8, 8, kBackground);
  PIX_RotatedBlit(dest.get(), &src, 1, 2, 4, 3, 1, 1, 4, 3, 0.0f, true, 1.0f, 0x100, 0, 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 1 && x < 5 && y >= 2 && y < 5;
      EXPECT_EQ(PIX_GetPixel(dest.get(), x, y), inside ? Marker(x, y - 1) : kBackground) << x << "," << y;
    }
}

TEST(RotatedBlit, OffsetShiftsTheSampleAndClipToSourceKeepsTheRest) {
  PIX_MemBitmap src(6, 5, 4);
  PaintMarkers(&src);
  auto clipped = Filled(4, 3, kBackground), free = Filled(4, 3, kBackground);
  PIX_RotatedBlit(clipped.get(), &src, 0, 0, 4, 3, 1, 1, 4, 3, 0.0f, true, 1.0f, 0x100, 1.0f, 0);
  PIX_RotatedBlit(free.get(), &src, 0, 0, 4, 3, 1, 1, 4, 3, 0.0f, false, 1.0f, 0x100, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(clipped.get(), 0, 0), Marker(2, 1));
  EXPECT_EQ(PIX_GetPixel(clipped.get(), 2, 2), Marker(4, 3));
  EXPECT_EQ(PIX_GetPixel(clipped.get(), 3, 1), kBackground);  // would sample column 5, outside the rectangle
  EXPECT_EQ(PIX_GetPixel(free.get(), 3, 1), Marker(5, 2));    // anywhere in the bitmap
}

// A quarter turn clockwise: the source's left side comes to the top.
TEST(RotatedBlit, QuarterTurnOfAQuadrantPattern) {
  auto src = Quadrants();
  for (int mode : {0x100, 0}) {
    auto dest = Filled(16, 16, kBackground);
    PIX_RotatedBlit(dest.get(), src.get(), 0, 0, 16, 16, 0, 0, 16, 16, static_cast<float>(M_PI / 2), true,
                    1.0f, mode, 0, 0);
    EXPECT_EQ(Channels(PIX_GetPixel(dest.get(), 4, 4)), Channels(kBlue)) << mode;
    EXPECT_EQ(Channels(PIX_GetPixel(dest.get(), 12, 4)), Channels(kRed)) << mode;
    EXPECT_EQ(Channels(PIX_GetPixel(dest.get(), 12, 12)), Channels(kGreen)) << mode;
    EXPECT_EQ(Channels(PIX_GetPixel(dest.get(), 4, 12)), Channels(kWhite)) << mode;
  }
}

TEST(RotatedBlit, CornersOutsideTheRotatedSourceKeepTheBackground) {
  auto src = Filled(10, 10, kWhite);
  auto dest = Filled(10, 10, kBackground);
  PIX_RotatedBlit(dest.get(), src.get(), 0, 0, 10, 10, 0, 0, 10, 10, static_cast<float>(M_PI / 4), true, 1.0f,
                  0x100, 0, 0);
  EXPECT_EQ(PIX_GetPixel(dest.get(), 0, 0), kBackground);
  EXPECT_EQ(PIX_GetPixel(dest.get(), 9, 9), kBackground);
  EXPECT_EQ(PIX_GetPixel(dest.get(), 5, 5), kWhite);
  // A clipped destination gives the same pixels where both draw.
  auto shifted = Filled(10, 10, kBackground);
  PIX_RotatedBlit(shifted.get(), src.get(), -3, -2, 10, 10, 0, 0, 10, 10, static_cast<float>(M_PI / 4), true,
                  1.0f, 0x100, 0, 0);
  EXPECT_EQ(PIX_GetPixel(shifted.get(), 2, 3), kWhite);
  EXPECT_EQ(PIX_GetPixel(shifted.get(), 9, 9), kBackground);
}

TEST(RotatedBlit, NothingForZeroWeightOrUnknownModes) {
  auto src = Filled(4, 4, kWhite);
  auto dest = Filled(4, 4, kBackground);
  PIX_RotatedBlit(dest.get(), src.get(), 0, 0, 4, 4, 0, 0, 4, 4, 0.3f, true, 0.003f, 0x100, 0, 0);
  PIX_RotatedBlit(dest.get(), src.get(), 0, 0, 4, 4, 0, 0, 4, 4, 0.3f, true, 1.0f, 0x1F0, 0, 0);
  PIX_RotatedBlit(dest.get(), src.get(), 0, 0, 4, 4, 0, 0, 4, 4, 0.3f, true, -1.0f, 0, 0, 0);
  PIX_RotatedBlit(nullptr, src.get(), 0, 0, 4, 4, 0, 0, 4, 4, 0.3f, true, 1.0f, 0, 0, 0);
  // A source rectangle wholly outside the bitmap reads nothing.
  PIX_RotatedBlit(dest.get(), src.get(), 0, 0, 4, 4, -10, -10, 5, 5, 0.0f, true, 1.0f, 0x100, 0, 0);
  PIX_RotatedBlit(dest.get(), src.get(), 0, 0, 4, 4, 100, 100, 5, 5, 0.0f, true, 1.0f, 0x100, 0, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(PIX_GetPixel(dest.get(), x, y), kBackground);
}

TEST(DeltaBlit, SampleLeftOfColumnZeroUsesTheFractionOfItsNegativePosition) {
  PIX_MemBitmap src(3, 1, 4);
  PIX_PutPixel(&src, 0, 0, Argb(255, 0, 0, 0), 1.0f, 0);
  PIX_PutPixel(&src, 1, 0, Argb(255, 200, 0, 0), 1.0f, 0);
  PIX_PutPixel(&src, 2, 0, Argb(255, 40, 0, 0), 1.0f, 0);
  auto dest = Filled(3, 1, kBackground);
  // s = -0.25: integer part 0, fraction 0.75: 0.25 of column 0, 0.75 of column 1.
  PIX_DeltaBlit(dest.get(), &src, 0, 0, 3, 1, -0.25f, 0, 3, 1, 1, 0, 0, 1, 0, 0, false, 1.0f, 0x100);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(dest.get(), 0, 0)), 150);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(dest.get(), 1, 0)), 150);  // 0.75 the same
  EXPECT_EQ(PIX_Red(PIX_GetPixel(dest.get(), 2, 0)), 80);   // 1.75: 200 * 0.25 + 40 * 0.75
}

TEST(DeltaBlit, StepsAndMirroring) {
  PIX_MemBitmap src(4, 4, 4);
  PaintMarkers(&src);
  auto transposed = Filled(4, 4, kBackground);
  PIX_DeltaBlit(transposed.get(), &src, 0, 0, 4, 4, 0, 0, 4, 4, 0, 1, 1, 0, 0, 0, true, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(transposed.get(), 3, 1), Marker(1, 3));
  // A negative width with positive steps starts at srcx + srcw and reads
  // rightward, which the source rectangle rejects.
  auto none = Filled(4, 4, kBackground);
  PIX_DeltaBlit(none.get(), &src, 4, 0, -4, 4, 0, 0, 4, 4, 1, 0, 0, 1, 0, 0, true, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(none.get(), 0, 0), kBackground);
  EXPECT_EQ(PIX_GetPixel(none.get(), 3, 3), kBackground);
  // With negative steps it mirrors.
  auto mirrored = Filled(4, 4, kBackground);
  PIX_DeltaBlit(mirrored.get(), &src, 4, 0, -4, 4, -1, 0, 4, 4, -1, 0, 0, 1, 0, 0, false, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(mirrored.get(), 0, 2), Marker(3, 2));
}

// Cutting rows or columns off a blit with second-order terms leaves every
// remaining pixel's sample where the uncut blit put it.
TEST(DeltaBlit, ClippingFollowsSecondOrderTerms) {
  PIX_MemBitmap src(32, 32, 4);
  PaintMarkers(&src);
  auto whole = Filled(16, 16, kBackground);
  PIX_DeltaBlit(whole.get(), &src, 0, 0, 16, 16, 2, 3, 30, 30, 1, 0.25, 0.5, 1, 0.0625, -0.0625, false, 1.0f,
                0);
  auto cut = Filled(16, 16, kBackground);
  PIX_DeltaBlit(cut.get(), &src, -4, -4, 16, 16, 2, 3, 30, 30, 1, 0.25, 0.5, 1, 0.0625, -0.0625, false, 1.0f,
                0);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x)
      ASSERT_EQ(PIX_GetPixel(cut.get(), x, y), PIX_GetPixel(whole.get(), x + 4, y + 4)) << x << "," << y;
}

TEST(TransformBlit, IdentityMeshCopies) {
  PIX_MemBitmap src(8, 8, 4);
  PaintMarkers(&src);
  const float points[] = {0, 0, 4, 0, 8, 0, 0, 4, 4, 4, 8, 4, 0, 8, 4, 8, 8, 8};
  const double points2[] = {0, 0, 4, 0, 8, 0, 0, 4, 4, 4, 8, 4, 0, 8, 4, 8, 8, 8};
  auto dest = Filled(8, 8, kBackground), dest2 = Filled(8, 8, kBackground);
  PIX_TransformBlit(dest.get(), &src, 0, 0, 8, 8, points, 3, 3, 1.0f, 0);
  PIX_TransformBlit2(dest2.get(), &src, 0, 0, 8, 8, points2, 3, 3, 1.0f, 0);
  EXPECT_EQ(PIX_BitmapCmp(dest.get(), &src, nullptr), 0);
  EXPECT_EQ(PIX_BitmapCmp(dest2.get(), &src, nullptr), 0);
  auto none = Filled(8, 8, kBackground);
  PIX_TransformBlit(none.get(), &src, 0, 0, 8, 8, points, 1, 3, 1.0f, 0);
  PIX_TransformBlit(none.get(), &src, 0, 0, 0, 8, points, 3, 3, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(none.get(), 4, 4), kBackground);
}

}  // namespace
