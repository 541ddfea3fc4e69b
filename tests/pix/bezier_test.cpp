#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "guarded_bitmap.h"

namespace {

const PIX_pixel kWhite = 0xFFFFFFFFu;

TEST(BezierGetY, SolvesForTheParameterAtAColumn) {
  float t = -1.0f;
  // Control point on the chord: x runs linearly in t.
  EXPECT_FLOAT_EQ(PIX_Bezier_GetY(0, 5, 10, 0, 10, 20, 5, &t), 10.0f);
  EXPECT_FLOAT_EQ(t, 0.5f);
  // Before the start and beyond the end.
  EXPECT_FLOAT_EQ(PIX_Bezier_GetY(0, 5, 10, 1, 10, 20, -3, &t), 1.0f);
  EXPECT_FLOAT_EQ(t, 0.0f);
  EXPECT_FLOAT_EQ(PIX_Bezier_GetY(0, 5, 10, 1, 10, 20, 11, &t), 20.0f);
  EXPECT_FLOAT_EQ(t, 1.0f);
  // x(t) = 8 t^2 (x0 = x1 = 0, x2 = 8): x = 2 at t = 0.5, y = 2 * 4 * 0.25 = 2.
  EXPECT_FLOAT_EQ(PIX_Bezier_GetY(0, 0, 8, 0, 4, 0, 2, &t), 2.0f);
  EXPECT_FLOAT_EQ(t, 0.5f);
}

TEST(BezierGetY, CubicBisectionFindsTheColumn) {
  // The straight cubic from (0, 0) to (30, 60) with evenly spaced controls:
  // x = 30 t, y = 60 t.
  float t = 0;
  const float y = PIX_CBezier_GetY(0, 0, 30, 0, 0, 0, 60, 0, 12, &t);
  EXPECT_NEAR(t, 0.4f, 1e-4);
  EXPECT_NEAR(y, 24.0f, 1e-2);
}

// A flat curve on row 5 from column 2 to 18, without anti-aliasing: exactly
// that run of pixels, whichever end is given first.
TEST(BezierDraw, FlatCurvesDrawTheirRow) {
  for (bool reversed : {false, true}) {
    GuardedBitmap bm(24, 10);
    if (reversed)
      PIX_DrawQBezier(&bm, 18, 5, 10, 5, 2, 5, kWhite, 1.0f, 0, false, 1.0f);
    else
      PIX_DrawQBezier(&bm, 2, 5, 10, 5, 18, 5, kWhite, 1.0f, 0, false, 1.0f);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 24; ++x)
        EXPECT_EQ(PIX_GetPixel(&bm, x, y), (y == 5 && x >= 2 && x <= 18) ? kWhite : 0u)
            << "reversed " << reversed << " at " << x << "," << y;
    EXPECT_TRUE(bm.GuardIntact());
  }
  GuardedBitmap cubic(24, 10);
  PIX_DrawCBezier(&cubic, 2, 5, 7, 5, 13, 5, 18, 5, kWhite, 1.0f, 0, false, 1.0f);
  EXPECT_EQ(PIX_GetPixel(&cubic, 2, 5), kWhite);
  EXPECT_EQ(PIX_GetPixel(&cubic, 10, 5), kWhite);
  EXPECT_EQ(PIX_GetPixel(&cubic, 18, 5), kWhite);
  EXPECT_EQ(PIX_GetPixel(&cubic, 10, 4), 0u);
}

// Curves that leave the bitmap are clipped to its columns; ones wholly
// outside, with points that are not finite, or with absurd tolerances draw
// nothing or a bounded number of segments, never outside the bitmap.
TEST(BezierDraw, ClippingAndBadInput) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    const char* why;
    float p[8];
    float tol;
    bool drawsSomething;
  } cases[] = {
      {"enters from the left", {-40, 2, -10, 30, 20, 0, 40, 8}, 1.0f, true},
      {"leaves on the right", {5, 8, 30, -20, 60, 40, 300, 5}, 1.0f, true},
      {"wholly left", {-90, 2, -60, 3, -40, 4, -20, 5}, 1.0f, false},
      {"wholly right", {50, 2, 60, 3, 70, 4, 80, 5}, 1.0f, false},
      {"not finite", {0, 0, nan, 3, 10, 4, 20, 5}, 1.0f, false},
      {"infinite end", {0, 0, 5, 3, 10, 4, inf, 5}, 1.0f, false},
      {"zero tolerance counts as one pixel", {1, 1, 10, 20, 20, 1, 30, 10}, 0.0f, true},
      {"tiny tolerance stays bounded", {1, 1, 1e6f, 20, -1e6f, 1, 30, 10}, 1e-9f, true},
  };
  for (const auto& c : cases) {
    GuardedBitmap cubic(32, 12);
    PIX_DrawCBezier(&cubic, c.p[0], c.p[1], c.p[2], c.p[3], c.p[4], c.p[5], c.p[6], c.p[7], kWhite, 1.0f, 0,
                    true, c.tol);
    GuardedBitmap quad(32, 12);
    PIX_DrawQBezier(&quad, c.p[0], c.p[1], c.p[2], c.p[3], c.p[6], c.p[7], kWhite, 1.0f, 0, false, c.tol);
    EXPECT_TRUE(cubic.GuardIntact()) << c.why;
    EXPECT_TRUE(quad.GuardIntact()) << c.why;
    bool any = false;
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 32; ++x) any = any || PIX_GetPixel(&quad, x, y) != 0;
    EXPECT_EQ(any, c.drawsSomething) << c.why;
  }
}

// A flat cubic on row 2 from column 0 to 10 filled towards row 6 fills the
// rectangle of columns 0 .. 9 and rows 2 .. 6; filled sideways (towards
// column 6) a flat cubic down column 2 fills rows 0 .. 9 and columns 2 .. 6.
TEST(BezierFill, FlatCurvesFillTheirStrip) {
  GuardedBitmap down(16, 12);
  PIX_FillCBezier(&down, 0, 2, 3, 2, 7, 2, 10, 2, 6, kWhite, 1.0f, 0, 1.0f);
  GuardedBitmap side(12, 16);
  PIX_FillCBezierX(&side, 2, 0, 2, 3, 2, 7, 2, 10, 6, kWhite, 1.0f, 0, 1.0f);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x)
      EXPECT_EQ(PIX_GetPixel(&down, x, y), (x <= 9 && y >= 2 && y <= 6) ? kWhite : 0u) << x << "," << y;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 12; ++x)
      EXPECT_EQ(PIX_GetPixel(&side, x, y), (y <= 9 && x >= 2 && x <= 6) ? kWhite : 0u) << x << "," << y;
  EXPECT_TRUE(down.GuardIntact());
  EXPECT_TRUE(side.GuardIntact());
}

// A curve that crosses its fill row fills towards it from both sides, and the
// result stays inside the bitmap for curves far outside it.
TEST(BezierFill, CrossingTheFillRowAndLeavingTheBitmap) {
  GuardedBitmap bm(40, 20);
  PIX_FillCBezier(&bm, 0, 2, 10, 2, 20, 18, 30, 18, 10, kWhite, 1.0f, 0, 1.0f);
  EXPECT_EQ(PIX_GetPixel(&bm, 1, 5), kWhite);    // above the fill row, under the curve's start
  EXPECT_EQ(PIX_GetPixel(&bm, 1, 15), 0u);       // below the fill row on the upper side
  EXPECT_EQ(PIX_GetPixel(&bm, 28, 15), kWhite);  // between the fill row and the curve's end
  EXPECT_EQ(PIX_GetPixel(&bm, 28, 5), 0u);
  EXPECT_TRUE(bm.GuardIntact());

  GuardedBitmap far(20, 20);
  PIX_FillCBezier(&far, -500, -300, -100, 900, 200, -900, 700, 400, 10, kWhite, 0.5f, 0, 0.5f);
  PIX_FillCBezierX(&far, -300, -500, 900, -100, -900, 200, 400, 700, 10, kWhite, 0.5f, 0, 0.5f);
  EXPECT_TRUE(far.GuardIntact());
}

}  // namespace
