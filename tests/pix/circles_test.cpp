// Circles, discs, arcs and rounded rectangles: the stamped masks of small
// radii, the computed outlines and discs, arc quadrants, rounded-rectangle
// fallbacks, clipping and the blend modes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "KIT/pix/pix-circle.h"
#include "KIT/pix/pix-glyph.h"
#include "KIT/pix/pix-line.h"
#include "guarded_bitmap.h"

namespace {

const PIX_pixel kWhite = 0xFFFFFFFFu;
const PIX_pixel kInk = Argb(255, 250, 20, 10);
const float kPi = 3.1415927f;

// The red channel of a pixel: for white over black in copy mode the weight it
// received, 255 for full weight.
int WeightAt(PIX_IBitmap* bm, int x, int y) { return PIX_Red(PIX_GetPixel(bm, x, y)); }

TEST(Circle, SmallRadiiAreStampedFromTheirMasks) {
  // The masks of the smallest outline (r = 1.5) and of r = 3, both forms.
  const struct {
    float r;
    bool aa;
    int size;
    const char* rows;
  } kCases[] = {
      {1.5f, true, 4, "79 255 255 79|255 15 15 255|255 15 15 255|79 255 255 79"},
      {1.5f, false, 4, ". 255 255 .|255 . . 255|255 . . 255|. 255 255 ."},
      {3.0f, true, 7,
       ". 143 255 255 255 143 .|143 255 97 64 97 255 143|255 112 . . . 112 255|255 48 . . . 48 255|"
       "255 112 . . . 112 255|143 255 97 64 97 255 143|. 143 255 255 255 143 ."},
      {3.0f, false, 7,
       ". . 255 255 255 . .|. 255 . . . 255 .|255 . . . . . 255|255 . . . . . 255|255 . . . . . 255|"
       ". 255 . . . 255 .|. . 255 255 255 . ."},
  };
  for (const auto& c : kCases) {
    // The mask's top-left pixel lands at ((int)(cx - r), (int)(cy - r)).
    GuardedBitmap bm(16, 16);
    PIX_Circle(&bm, 7.3f, 7.6f, c.r, kWhite, 1.0f, 0, c.aa);
    const int left = static_cast<int>(7.3f - c.r), top = static_cast<int>(7.6f - c.r);
    PIX_MemBitmap window(c.size, c.size, 4);
    PIX_Blit(&window, &bm, 0, 0, left, top, c.size, c.size, 1.0f, 0);
    EXPECT_EQ(Weights(&window), c.rows) << c.r << " " << c.aa;
    // Nothing outside the mask's square.
    PIX_FillRect(&bm, left, top, c.size, c.size, 0, 1.0f, 0);
    EXPECT_EQ(Ink(&bm).find('#'), std::string::npos) << c.r << " " << c.aa;
  }
  // Every stamped radius is symmetric about both axes and square.
  for (float r : {1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f}) {
    const int size = static_cast<int>(2 * r + 1);
    GuardedBitmap bm(size, size);
    PIX_Circle(&bm, r, r, r, kWhite, 1.0f, 0, true);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        ASSERT_EQ(PIX_GetPixel(&bm, x, y), PIX_GetPixel(&bm, size - 1 - x, y)) << r;
        ASSERT_EQ(PIX_GetPixel(&bm, x, y), PIX_GetPixel(&bm, x, size - 1 - y)) << r;
      }
    EXPECT_EQ(WeightAt(&bm, size / 2, 0), 255) << r;
  }
}

TEST(Circle, OtherRadiiAreComputed) {
  // r = 2.6: whole radius 2 at 256 - 153, the fringe one further at
  // 0.6 * 256 = 153.
  GuardedBitmap bm(16, 16);
  PIX_Circle(&bm, 7, 7, 2.6f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(WeightAt(&bm, 7, 4), 153);
  EXPECT_EQ(WeightAt(&bm, 7, 5), 103);
  EXPECT_EQ(WeightAt(&bm, 10, 7), 153);
  // The aliased outline of radius 5: the midpoint circle.
  GuardedBitmap plain(11, 11);
  PIX_Circle(&plain, 5, 5, 5, kInk, 1.0f, 0, false);
  EXPECT_EQ(Ink(&plain),
            "...#####...|..#.....#..|.#.......#.|#.........#|#.........#|#.........#|#.........#|"
            "#.........#|.#.......#.|..#.....#..|...#####...");
}

TEST(Circle, TinyAntiAliasedRadiiStayNearTheCentre) {
  // Below a radius of one the exact extent of the next offset is no number;
  // drawing stops there instead of using it.
  for (float r : {0.3f, 0.5f, 0.9f, 1.2f, 1.7f}) {
    for (bool filled : {false, true}) {
      GuardedBitmap bm(9, 9);
      if (filled)
        PIX_FillCircle(&bm, 4, 4, r, kWhite, 1.0f, 0, true);
      else
        PIX_Circle(&bm, 4, 4, r, kWhite, 1.0f, 0, true);
      const int reach = static_cast<int>(r) + 1;
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
          if (std::abs(x - 4) > reach || std::abs(y - 4) > reach) {
            EXPECT_EQ(PIX_GetPixel(&bm, x, y), 0u) << r;
          }
      EXPECT_NE(Ink(&bm).find('#'), std::string::npos) << r;
      EXPECT_TRUE(bm.GuardIntact());
    }
  }
}

TEST(FillCircle, AliasedDiscBlendsEveryPixelOnce) {
  // In add mode a pixel blended twice would show 2: the disc is uniform.
  for (float r : {0.0f, 1.0f, 2.0f, 3.4f, 6.0f, 9.5f, 14.2f}) {
    for (float cx : {15.0f, 15.3f, 15.5f}) {
      GuardedBitmap bm(32, 32);
      PIX_FillCircle(&bm, cx, 16, r, Argb(1, 1, 1, 1), 1.0f, 1, false);
      int count = 0;
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
          const PIX_pixel p = PIX_GetPixel(&bm, x, y);
          if (p == 0) continue;
          ASSERT_EQ(Channels(p), "1,1,1,1") << "r " << r << " at " << x << "," << y;
          ++count;
        }
      // The midpoint disc of radius (int)(r + 0.5) is a little fuller than
      // the true one.
      const int R = static_cast<int>(r + 0.5f);
      EXPECT_NEAR(count, kPi * R * R, 4 * R + 4) << r;
    }
  }
}

TEST(FillCircle, CopyAtFullAndHalfAlpha) {
  const PIX_pixel kDest = Argb(3, 101, 50, 7);
  GuardedBitmap full(12, 12, kDest);
  PIX_FillCircle(&full, 6, 6, 4, kInk, 1.0f, 0, false);
  EXPECT_EQ(PIX_GetPixel(&full, 6, 6), kInk);
  EXPECT_EQ(PIX_GetPixel(&full, 3, 6), kInk);
  GuardedBitmap half(12, 12, kDest);
  PIX_FillCircle(&half, 6, 6, 4, kInk, 0.5f, 0, false);
  EXPECT_EQ(Channels(PIX_GetPixel(&half, 6, 6)), Channels(Argb(129, 175, 35, 8)));
  GuardedBitmap none(12, 12, kDest);
  PIX_FillCircle(&none, 6, 6, 4, kInk, 0.001f, 0, false);
  PIX_FillCircle(&none, 6, 6, 4, kInk, 0.001f, 0, true);
  PIX_FillCircle(&none, 6, 6, -1, kInk, 1.0f, 0, true);
  EXPECT_EQ(Ink(&none, kDest).find('#'), std::string::npos);
}

TEST(FillCircle, AntiAliasedDiscHasEqualCentreRowAndColumn) {
  for (float r : {2.3f, 5.0f, 7.8f}) {
    GuardedBitmap bm(24, 24);
    PIX_FillCircle(&bm, 11.2f, 11.7f, r, kWhite, 1.0f, 0, true);
    const int xc = 11, yc = 12;
    int rowFull = 0, columnFull = 0;
    for (int k = 0; k < 24; ++k) {
      rowFull += WeightAt(&bm, k, yc) == 255;
      columnFull += WeightAt(&bm, xc, k) == 255;
    }
    EXPECT_EQ(rowFull, 2 * static_cast<int>(r) + 1) << r;
    EXPECT_EQ(columnFull, rowFull) << r;
  }
}

TEST(FillCircle, HsvAdjustTurnsRedToCyan) {
  for (bool aa : {false, true}) {
    GuardedBitmap bm(12, 12, Argb(255, 255, 0, 0));
    PIX_FillCircle(&bm, 6, 6, 4, Argb(77, 0, 128, 128), 1.0f, 5, aa);
    EXPECT_EQ(Channels(PIX_GetPixel(&bm, 6, 6)), "77,0,255,255") << aa;
    EXPECT_EQ(Channels(PIX_GetPixel(&bm, 0, 0)), "255,255,0,0") << aa;
  }
}

TEST(Circle, ModesAboveFiveDrawNothing) {
  for (int mode : {6, 7, 0xff}) {
    GuardedBitmap bm(20, 20);
    PIX_Circle(&bm, 10, 10, 6, kInk, 1.0f, mode, true);
    PIX_Circle(&bm, 10, 10, 6, kInk, 1.0f, mode, false);
    PIX_Circle(&bm, 10, 10, 2.5f, kInk, 1.0f, mode, true);
    PIX_FillCircle(&bm, 10, 10, 6, kInk, 1.0f, mode, false);
    PIX_Arc(&bm, 10, 10, 6, 0, 2, kInk, 1.0f, mode, true);
    PIX_RoundRect(&bm, 2, 2, 15, 15, 4, kInk, 1.0f, mode, true);
    PIX_RoundRect(&bm, 2, 2, 15, 15, 1, kInk, 1.0f, mode, false);
    EXPECT_EQ(Ink(&bm).find('#'), std::string::npos) << mode;
  }
  // The source-alpha bit is ignored: 0x10000 draws as copy.
  GuardedBitmap plain(20, 20), flagged(20, 20);
  PIX_Circle(&plain, 10, 10, 6, kInk, 0.7f, 0, true);
  PIX_Circle(&flagged, 10, 10, 6, kInk, 0.7f, 0x10000, true);
  EXPECT_EQ(Weights(&plain), Weights(&flagged));
}

TEST(Circle, PartlyOutsideDrawsOnlyTheInsidePixels) {
  // The same circle drawn near a corner of a small bitmap and in the middle
  // of a large one shows the same pixels where the small one has them.
  for (bool aa : {false, true}) {
    for (bool filled : {false, true}) {
      GuardedBitmap small(10, 10), large(40, 40);
      auto draw = [&](PIX_IBitmap* bm, float cx, float cy) {
        if (filled)
          PIX_FillCircle(bm, cx, cy, 6.4f, kWhite, 1.0f, 0, aa);
        else
          PIX_Circle(bm, cx, cy, 6.4f, kWhite, 1.0f, 0, aa);
      };
      draw(&small, 1.2f, 8.7f);
      draw(&large, 21.2f, 28.7f);
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
          ASSERT_EQ(PIX_GetPixel(&small, x, y), PIX_GetPixel(&large, x + 20, y + 20)) << x << "," << y;
      EXPECT_TRUE(small.GuardIntact());
    }
  }
  // Wholly outside, or far too large: nothing, and quickly.
  GuardedBitmap bm(10, 10);
  PIX_Circle(&bm, -50, 5, 20, kWhite, 1.0f, 0, true);
  PIX_FillCircle(&bm, 5, 5, 1e9f, kWhite, 1.0f, 0, true);
  PIX_Arc(&bm, 5, 5, 1e9f, 0, 1, kWhite, 1.0f, 0, true);
  PIX_FillCircle(&bm, 1e30f, 5, 3, kWhite, 1.0f, 0, false);
  EXPECT_EQ(Ink(&bm).find('#'), std::string::npos);
  EXPECT_TRUE(bm.GuardIntact());
}

TEST(Arc, QuartersMakeUpTheCircle) {
  // Aliased, centre on whole pixels: each quarter keeps its start point and
  // leaves its end point to the next, so the four quarters blend every pixel
  // of the circle exactly once.
  GuardedBitmap circle(17, 17), quarters(17, 17);
  PIX_Circle(&circle, 8, 8, 5, Argb(1, 1, 1, 1), 1.0f, 1, false);
  for (int q = 0; q < 4; ++q)
    PIX_Arc(&quarters, 8, 8, 5, q * kPi / 2, (q + 1) * kPi / 2, Argb(1, 1, 1, 1), 1.0f, 1, false);
  EXPECT_EQ(Weights(&quarters), Weights(&circle));
}

TEST(Arc, FirstQuarterRunsFromTheTopClockwiseToTheRight) {
  for (bool aa : {false, true}) {
    GuardedBitmap bm(17, 17);
    PIX_Arc(&bm, 8, 8, 5, 0, kPi / 2, kWhite, 1.0f, 0, aa);
    int drawn = 0;
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 17; ++x)
        if (PIX_GetPixel(&bm, x, y)) {
          ++drawn;
          EXPECT_TRUE(x >= 8 && y <= 8) << x << "," << y << " aa " << aa;
        }
    EXPECT_GT(drawn, 4);
    EXPECT_EQ(WeightAt(&bm, 8, 3), 255) << "the top point";
  }
}

TEST(Arc, AngleOrderTurnsAndWholeCircles) {
  const struct {
    const char* why;
    float a1, a2, b1, b2;
  } kCases[] = {
      {"swapped angles", 0.3f, 2.0f, 2.0f, 0.3f},
      {"a turn later", 0.3f, 2.0f, 0.3f + 2 * kPi, 2.0f + 2 * kPi},
      {"a turn earlier", -1.0f, 0.5f, -1.0f - 4 * kPi, 0.5f - 4 * kPi},
  };
  for (const auto& c : kCases) {
    for (bool aa : {false, true}) {
      GuardedBitmap a(20, 20), b(20, 20);
      PIX_Arc(&a, 9.4f, 10, 6.3f, c.a1, c.a2, kWhite, 0.9f, 0, aa);
      PIX_Arc(&b, 9.4f, 10, 6.3f, c.b1, c.b2, kWhite, 0.9f, 0, aa);
      EXPECT_EQ(Weights(&a), Weights(&b)) << c.why << " " << aa;
    }
  }
  // A span of a whole turn or more is the circle itself.
  for (bool aa : {false, true}) {
    GuardedBitmap arc(20, 20), circle(20, 20), beyond(20, 20);
    PIX_Arc(&arc, 9.4f, 10, 6.3f, 0, 2 * kPi, kWhite, 1.0f, 0, aa);
    PIX_Arc(&beyond, 9.4f, 10, 6.3f, -3, 9, kWhite, 1.0f, 0, aa);
    PIX_Circle(&circle, 9.4f, 10, 6.3f, kWhite, 1.0f, 0, aa);
    EXPECT_EQ(Weights(&arc), Weights(&circle)) << aa;
    EXPECT_EQ(Weights(&beyond), Weights(&circle)) << aa;
  }
  // Angles that are no number draw nothing (and do not loop).
  GuardedBitmap bm(20, 20);
  PIX_Arc(&bm, 9, 9, 5, 0, std::nanf(""), kWhite, 1.0f, 0, true);
  PIX_Arc(&bm, 9, 9, 5, -1.0f / 0.0f, 1, kWhite, 1.0f, 0, true);
  EXPECT_EQ(Ink(&bm).find('#'), std::string::npos);
}

TEST(Arc, FlippedBitmapShowsTheSameArcInDrawingRows) {
  GuardedBitmap flipped(17, 17, 0, true), plain(17, 17);
  PIX_Arc(&flipped, 8, 8, 5, 0.2f, 2.5f, kInk, 1.0f, 0, false);
  PIX_Arc(&plain, 8, 8, 5, 0.2f, 2.5f, kInk, 1.0f, 0, false);
  EXPECT_EQ(Ink(&flipped), Ink(&plain));
  GuardedBitmap flippedDisc(17, 17, 0, true), plainDisc(17, 17);
  PIX_FillCircle(&flippedDisc, 8, 6, 4, kInk, 1.0f, 0, false);
  PIX_FillCircle(&plainDisc, 8, 6, 4, kInk, 1.0f, 0, false);
  EXPECT_EQ(Ink(&flippedDisc), Ink(&plainDisc));
  EXPECT_EQ(flippedDisc.Memory(8, 16 - 2), kInk);
}

TEST(RoundRect, SmallRadiiFallBackToThePlainOutline) {
  const struct {
    const char* why;
    float x, y, w, h;
    int radius;
  } kCases[] = {
      {"radius 1", 2, 2, 10, 8, 1},
      {"radius 0", 2, 2, 10, 8, 0},
      {"negative radius", 2, 2, 10, 8, -4},
      {"radius 10 on a 3-pixel-high rectangle: floor(1.5) = 1", 2, 2, 10, 3, 10},
  };
  for (const auto& c : kCases) {
    GuardedBitmap round(16, 16), plain(16, 16);
    PIX_RoundRect(&round, c.x, c.y, c.w, c.h, c.radius, kInk, 1.0f, 0, true);
    PIX_DrawRect(&plain, static_cast<int>(c.x), static_cast<int>(c.y), static_cast<int>(c.w),
                 static_cast<int>(c.h), kInk, 1.0f, 0);
    EXPECT_EQ(Ink(&round), Ink(&plain)) << c.why;
  }
}

TEST(RoundRect, CornersAreQuarterCircles) {
  GuardedBitmap bm(18, 14);
  PIX_RoundRect(&bm, 1, 1, 15, 11, 4, kInk, 1.0f, 0, false);
  EXPECT_EQ(Ink(&bm),
            "..................|"
            "...############...|"
            "..#............#..|"
            ".#..............#.|"
            ".#..............#.|"
            ".#..............#.|"
            ".#..............#.|"
            ".#..............#.|"
            ".#..............#.|"
            ".#..............#.|"
            ".#..............#.|"
            "..#............#..|"
            "...############...|"
            "..................");
  EXPECT_TRUE(bm.GuardIntact());
}

TEST(Circle, NullAndEmptyBitmapsAreIgnored) {
  PIX_Circle(nullptr, 5, 5, 3, kInk, 1.0f, 0, true);
  PIX_Circle(nullptr, 5, 5, 2.0f, kInk, 1.0f, 0, true);
  PIX_FillCircle(nullptr, 5, 5, 3, kInk, 1.0f, 0, true);
  PIX_Arc(nullptr, 5, 5, 3, 0, 1, kInk, 1.0f, 0, true);
  PIX_RoundRect(nullptr, 1, 1, 8, 8, 3, kInk, 1.0f, 0, true);
  // A bitmap of no pixels inside a guard ring: no call may write a word.
  GuardedBitmap empty(0, 0);
  PIX_Circle(&empty, 5, 5, 3, kInk, 1.0f, 0, true);
  PIX_FillCircle(&empty, 5, 5, 3, kInk, 1.0f, 0, true);
  PIX_Arc(&empty, 5, 5, 3, 0, 1, kInk, 1.0f, 0, true);
  PIX_DrawGlyph(&empty, 0, 0, kInk, reinterpret_cast<const unsigned char*>("\xff"), 1, 1, 1.0f, 0);
  EXPECT_TRUE(empty.GuardIntact());
}

TEST(DrawGlyph, ClipsToTheBitmapAndScalesByCoverage) {
  const unsigned char kMask[] = {255, 128, 0, 64, 255, 32};  // 3 x 2
  // Partly off the top left: only the mask's last column of its last row
  // remains at (0, 0).
  GuardedBitmap bm(4, 3);
  PIX_DrawGlyph(&bm, -2, -1, kWhite, kMask, 3, 2, 1.0f, 0);
  EXPECT_EQ(Weights(&bm), "32 . . .|. . . .|. . . .");
  // At half alpha the weight is coverage * 128 / 256; a span wider than the
  // width skips the rest of each mask row.
  GuardedBitmap half(4, 3);
  const unsigned char kWide[] = {255, 128, 9, 9, 64, 255, 9, 9};
  PIX_DrawGlyphEx(&half, 2, 1, kWhite, kWide, 2, 4, 2, 0.5f, 0);
  EXPECT_EQ(Weights(&half), ". . . .|. . 127 64|. . 32 127");
  // Flipped rows count from the bottom; off the right and bottom edges,
  // nothing beyond the bitmap.
  GuardedBitmap flipped(4, 3, 0, true);
  PIX_DrawGlyph(&flipped, 2, 2, kWhite, kMask, 3, 2, 1.0f, 0);
  EXPECT_EQ(PIX_Red(flipped.Memory(2, 0)), 255);
  EXPECT_EQ(PIX_Red(flipped.Memory(3, 0)), 128);
  EXPECT_TRUE(flipped.GuardIntact());
  GuardedBitmap none(4, 3);
  PIX_DrawGlyph(&none, 0, 0, kWhite, kMask, 3, 2, 1.0f, 6);
  PIX_DrawGlyph(&none, 0, 0, kWhite, kMask, 3, 2, -1.0f, 0);
  PIX_DrawGlyph(&none, 4, 0, kWhite, kMask, 3, 2, 1.0f, 0);
  PIX_DrawGlyph(&none, -3, 0, kWhite, kMask, 3, 2, 1.0f, 0);
  PIX_DrawGlyphEx(&none, 0, 0, kWhite, kMask, 3, 2, 2, 1.0f, 0);  // span below width
  PIX_DrawGlyph(&none, 0, 0, kWhite, nullptr, 3, 2, 1.0f, 0);
  EXPECT_EQ(Ink(&none).find('#'), std::string::npos);
}

}  // namespace
