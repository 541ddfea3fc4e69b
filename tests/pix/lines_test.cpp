// Integer, float anti-aliased and dashed lines: end points, clipping of lines
// that enter from outside, anti-aliasing weights, the copy shortcuts, modes,
// flipped bitmaps, and that no line ever writes outside its bitmap.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "KIT/pix/pix-line.h"
#include "guarded_bitmap.h"

namespace {

const PIX_pixel kWhite = 0xFFFFFFFFu;
const PIX_pixel kInk = Argb(255, 250, 20, 10);

// ---------------------------------------------------------------------------
// Integer lines

TEST(Line, EndPointsBelongToTheLine) {
  const struct {
    const char* why;
    int x1, y1, x2, y2;
    bool aa;
    const char* ink;
  } kCases[] = {
      {"single point", 2, 1, 2, 1, false, ".....|..#..|....."},
      {"single point, anti-aliased", 2, 1, 2, 1, true, ".....|..#..|....."},
      {"horizontal, both ends", 1, 1, 3, 1, false, ".....|.###.|....."},
      {"horizontal reversed", 3, 1, 1, 1, false, ".....|.###.|....."},
      {"vertical", 4, 0, 4, 2, false, "....#|....#|....#"},
      {"diagonal", 0, 0, 2, 2, false, "#....|.#...|..#.."},
      {"shallow line (0,0)-(4,1)", 0, 0, 4, 1, false, "##...|..###|....."},
  };
  for (const auto& c : kCases) {
    GuardedBitmap bm(5, 3);
    PIX_Line(&bm, c.x1, c.y1, c.x2, c.y2, kInk, 1.0f, 0, c.aa);
    EXPECT_EQ(Ink(&bm), c.ink) << c.why;
    EXPECT_TRUE(bm.GuardIntact()) << c.why;
  }
}

TEST(Line, AntiAliasedWeightsOfAShallowLine) {
  // White over black in copy mode reads back as the weight each pixel got:
  // full ends, the rest split by the exact course of the line.
  GuardedBitmap bm(5, 2);
  PIX_Line(&bm, 0, 0, 4, 1, kWhite, 1.0f, 0, true);
  EXPECT_EQ(Weights(&bm), "255 191 127 64 .|. 64 128 191 255");
}

TEST(Line, AntiAliasedDiagonalGivesThreeQuartersAndQuarters) {
  GuardedBitmap bm(3, 3);
  PIX_Line(&bm, 0, 0, 2, 2, kWhite, 1.0f, 0, true);
  EXPECT_EQ(Weights(&bm), "190 63 .|63 190 63|. 63 190");
  // The weighted form at another alpha: main 3/4, side 1/4 of the weight.
  GuardedBitmap weighted(3, 3);
  PIX_Line(&weighted, 2, 0, 0, 2, kWhite, 0.5f, 0, true);
  EXPECT_EQ(Weights(&weighted), ". 32 96|32 96 32|96 32 .");
}

TEST(Line, AntiAliasingLeavesStraightLinesAlone) {
  for (bool aa : {false, true}) {
    GuardedBitmap bm(6, 4);
    PIX_Line(&bm, 5, 1, 0, 1, kWhite, 1.0f, 0, aa);
    PIX_Line(&bm, 3, 0, 3, 3, kWhite, 0.25f, 0, aa);
    EXPECT_EQ(Weights(&bm), ". . . 63 . .|255 255 255 253 255 255|. . . 63 . .|. . . 63 . .") << aa;
  }
}

TEST(Line, ClipLineTable) {
  const struct {
    const char* why;
    int x1, y1, x2, y2;
    bool result;
    int cx1, cy1, cx2, cy2;
  } kCases[] = {
      {"inside, untouched", 1, 2, 14, 9, true, 1, 2, 14, 9},
      {"through both sides", -10, 5, 20, 5, true, 0, 5, 15, 5},
      {"enters from the left", -8, 2, 7, 7, true, 0, 4, 7, 7},
      {"leaves at the bottom: crossing at the height, end on the last row", 2, 0, 6, 40, true, 2, 0, 3, 15},
      {"leaves at the right: crossing at the width, end on the last column", 0, 0, 32, 4, true, 0, 0, 15, 2},
      {"enters from the top left corner", -5, -5, 5, 5, true, 0, 0, 5, 5},
      {"wholly above", 0, -3, 10, -1, false, 0, -3, 10, -1},
      {"wholly right", 16, 0, 30, 15, false, 16, 0, 30, 15},
      {"misses a corner", -4, 2, 2, -4, false, 0, -2, 2, -4},
  };
  for (const auto& c : kCases) {
    int x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
    EXPECT_EQ(ClipLine(&x1, &y1, &x2, &y2, 16, 16), c.result) << c.why;
    EXPECT_EQ(x1, c.cx1) << c.why;
    EXPECT_EQ(y1, c.cy1) << c.why;
    EXPECT_EQ(x2, c.cx2) << c.why;
    EXPECT_EQ(y2, c.cy2) << c.why;
  }
  // The rectangle form moves, clips and moves back.
  int x1 = 0, y1 = 15, x2 = 30, y2 = 15;
  EXPECT_TRUE(PIX_ClipLine(&x1, &y1, &x2, &y2, 10, 10, 20, 20));
  EXPECT_EQ(x1, 10);
  EXPECT_EQ(x2, 19);
  // Values far out of range neither overflow nor survive the clip.
  x1 = INT32_MIN, y1 = INT32_MIN, x2 = INT32_MAX, y2 = INT32_MAX;
  EXPECT_TRUE(ClipLine(&x1, &y1, &x2, &y2, 16, 16));
  EXPECT_TRUE(x1 >= 0 && x1 < 16 && x2 >= 0 && x2 < 16 && y1 >= 0 && y1 < 16 && y2 >= 0 && y2 < 16);
}

TEST(Line, LinesFromOutsideDrawTheirClippedPart) {
  // A line entering from outside draws exactly the line between its clipped
  // ends; one wholly outside touches nothing.
  const int kLines[][4] = {{-8, 2, 7, 7}, {2, 0, 6, 40}, {-10, 5, 20, 5}, {20, -3, -6, 12}, {3, 30, 9, -30}};
  for (const auto& l : kLines) {
    for (bool aa : {false, true}) {
      GuardedBitmap outside(16, 16), clipped(16, 16);
      PIX_Line(&outside, l[0], l[1], l[2], l[3], kWhite, 1.0f, 0, aa);
      int x1 = l[0], y1 = l[1], x2 = l[2], y2 = l[3];
      ASSERT_TRUE(ClipLine(&x1, &y1, &x2, &y2, 16, 16));
      PIX_Line(&clipped, x1, y1, x2, y2, kWhite, 1.0f, 0, aa);
      EXPECT_EQ(Weights(&outside), Weights(&clipped)) << l[0] << "," << l[1] << " " << aa;
      EXPECT_TRUE(outside.GuardIntact());
    }
  }
  GuardedBitmap bm(16, 16);
  PIX_Line(&bm, -10, -1, 20, -3, kWhite, 1.0f, 0, true);
  EXPECT_EQ(Weights(&bm).find_first_not_of(".| "), std::string::npos);
  EXPECT_TRUE(bm.GuardIntact());
}

TEST(Line, CopyShortcutsAndWeights) {
  const PIX_pixel kDest = Argb(3, 101, 50, 7), kColor = Argb(255, 201, 11, 90);
  const struct {
    float alpha;
    int mode;
    PIX_pixel expected;  // on a horizontal line
  } kCases[] = {
      {1.0f, 0, kColor},
      {1.0f, 0x10000, kColor},  // the source-alpha bit means nothing to lines
      {1.001f, 0, kColor},      // weight 256 sets the colour too
      {0.5f, 0, ((kDest >> 1) & 0x7f7f7f7f) + ((kColor >> 1) & 0x7f7f7f7f)},
      {0.25f, 0, ((kDest >> 2) & 0x3f3f3f3f) + ((kColor >> 2) & 0x3f3f3f3f) + ((kDest >> 1) & 0x7f7f7f7f)},
      {0.75f, 0, ((kDest >> 2) & 0x3f3f3f3f) + ((kColor >> 2) & 0x3f3f3f3f) + ((kColor >> 1) & 0x7f7f7f7f)},
      {0.001f, 0, kDest},  // weight 0
      {-1.0f, 0, kDest},   // copy at a negative weight
      {1.0f, 6, kDest},
      {1.0f, 0xff, kDest},
  };
  for (const auto& c : kCases) {
    GuardedBitmap bm(4, 1, kDest);
    PIX_Line(&bm, 0, 0, 3, 0, kColor, c.alpha, c.mode, false);
    EXPECT_EQ(Channels(PIX_GetPixel(&bm, 2, 0)), Channels(c.expected)) << c.alpha << " mode " << c.mode;
  }
  // At alpha 0.5 a general line without anti-aliasing averages per channel,
  // (p + c) >> 1, where the horizontal shortcut halves each first: the two
  // differ in the lowest bit when both channels are odd.
  GuardedBitmap general(5, 2, kDest);
  PIX_Line(&general, 0, 0, 4, 1, kColor, 0.5f, 0, false);
  EXPECT_EQ(Channels(PIX_GetPixel(&general, 0, 0)), Channels(Argb(129, 151, 30, 48)));
  GuardedBitmap straight(5, 1, kDest);
  PIX_Line(&straight, 0, 0, 4, 0, kColor, 0.5f, 0, false);
  EXPECT_EQ(Channels(PIX_GetPixel(&straight, 0, 0)), Channels(Argb(128, 150, 30, 48)));
}

TEST(Line, HsvAdjustTurnsRedToCyan) {
  // Mode 5 reads the colour as adjustments: red 0 turns the hue half a turn,
  // 128 keeps saturation and value; the pixel takes the colour's alpha byte.
  const PIX_pixel kTurn = Argb(77, 0, 128, 128);
  for (int kind = 0; kind < 4; ++kind) {
    GuardedBitmap bm(5, 5, Argb(255, 255, 0, 0));
    if (kind == 0) PIX_Line(&bm, 0, 2, 4, 2, kTurn, 1.0f, 5, false);
    if (kind == 1) PIX_Line(&bm, 0, 0, 4, 4, kTurn, 1.0f, 5, false);
    if (kind == 2) PIX_Line(&bm, 0, 1, 4, 2, kTurn, 1.0f, 5, false);
    if (kind == 3) PIX_DashedLine(&bm, 0, 2, 4, 2, 2, 1, kTurn, 1.0f, 5, false);
    EXPECT_EQ(Channels(PIX_GetPixel(&bm, 0, kind == 1 ? 0 : kind == 2 ? 1 : 2)), "77,0,255,255") << kind;
  }
}

TEST(Line, FlippedBitmapStoresDrawingRowsBottomUp) {
  GuardedBitmap flipped(6, 5, 0, true);
  PIX_Line(&flipped, 0, 1, 5, 3, kInk, 1.0f, 0, false);
  GuardedBitmap plain(6, 5);
  PIX_Line(&plain, 0, 1, 5, 3, kInk, 1.0f, 0, false);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(flipped.Memory(x, 4 - y), plain.Memory(x, y)) << x << "," << y;
  EXPECT_TRUE(flipped.GuardIntact());
}

TEST(Line, ReversedLinesDrawTheSamePixels) {
  TestRandom random(7);
  for (int i = 0; i < 300; ++i) {
    const int x1 = random.Range(0, 23), y1 = random.Range(0, 17), x2 = random.Range(0, 23),
              y2 = random.Range(0, 17);
    const bool aa = i % 2;
    GuardedBitmap forward(24, 18), backward(24, 18);
    PIX_Line(&forward, x1, y1, x2, y2, kWhite, 0.8f, 0, aa);
    PIX_Line(&backward, x2, y2, x1, y1, kWhite, 0.8f, 0, aa);
    ASSERT_EQ(Weights(&forward), Weights(&backward))
        << x1 << "," << y1 << " " << x2 << "," << y2 << " " << aa;
  }
}

// Every kind of line, anywhere (mostly crossing the edges), with every
// operator: nothing lands outside the bitmap, and everything drawn lies in the
// box of the clipped end points.
TEST(Line, NeverWritesOutsideTheBitmap) {
  TestRandom random(11);
  for (int i = 0; i < 2000; ++i) {
    const int w = random.Range(1, 20), h = random.Range(1, 20);
    GuardedBitmap bm(w, h, 0, i % 5 == 0);
    const int mode = i % 6;
    const bool aa = (i / 6) % 2;
    const int kind = (i / 12) % 3;
    if (kind == 0) {
      int x1 = random.Range(-30, 50), y1 = random.Range(-30, 50), x2 = random.Range(-30, 50),
          y2 = random.Range(-30, 50);
      PIX_Line(&bm, x1, y1, x2, y2, kWhite, 1.0f, mode, aa);
      if (bm.isFlipped()) y1 = h - 1 - y1, y2 = h - 1 - y2;
      if (ClipLine(&x1, &y1, &x2, &y2, w, h)) {
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) {
            const bool inBox = x >= std::min(x1, x2) && x <= std::max(x1, x2) && y >= std::min(y1, y2) &&
                               y <= std::max(y1, y2);
            if (!inBox) {
              ASSERT_EQ(bm.Memory(x, y), 0u) << "pixel outside the box at " << x << "," << y;
            }
          }
      }
    } else if (kind == 1) {
      PIX_FLine(&bm, random.RangeF(-30, 50), random.RangeF(-30, 50), random.RangeF(-30, 50),
                random.RangeF(-30, 50), kWhite, 1.0f, mode, aa);
    } else {
      const int x = random.Range(-10, 30), y = random.Range(-10, 30);
      const bool horizontal = random.Range(0, 1);
      PIX_DashedLine(&bm, x, y, horizontal ? random.Range(-30, 50) : x,
                     horizontal ? y : random.Range(-30, 50), random.Range(-2, 5), random.Range(-3, 4), kWhite,
                     1.0f, mode, aa);
    }
    ASSERT_TRUE(bm.GuardIntact()) << "line " << i;
  }
}

TEST(Line, NullAndEmptyBitmapsAreIgnored) {
  PIX_Line(nullptr, 0, 0, 5, 5, kInk, 1.0f, 0, true);
  PIX_FLine(nullptr, 0, 0, 5, 5, kInk, 1.0f, 0, true);
  PIX_DashedLine(nullptr, 0, 0, 5, 0, 1, 1, kInk, 1.0f, 0, false);
  // A bitmap of no pixels inside a guard ring: no call may write a word.
  GuardedBitmap empty(0, 0);
  PIX_Line(&empty, 0, 0, 5, 5, kInk, 1.0f, 0, true);
  PIX_FLine(&empty, 0, 0, 5, 5, kInk, 1.0f, 0, true);
  PIX_DashedLine(&empty, 0, 0, 5, 0, 1, 1, kInk, 1.0f, 0, false);
  PIX_DrawRect(&empty, 0, 0, 5, 5, kInk, 1.0f, 0);
  EXPECT_TRUE(empty.GuardIntact());
}

TEST(DrawRect, JoinsTheFourCornersWithTheFarCornerIncluded) {
  GuardedBitmap bm(6, 5);
  PIX_DrawRect(&bm, 1, 1, 3, 2, kInk, 1.0f, 0);
  EXPECT_EQ(Ink(&bm), "......|.####.|.#..#.|.####.|......");
  EXPECT_TRUE(bm.GuardIntact());
}

// ---------------------------------------------------------------------------
// Float lines

TEST(FLine, WithoutAntiAliasingTruncatesToAnIntegerLine) {
  GuardedBitmap fl(8, 3), il(8, 3);
  PIX_FLine(&fl, 0.9f, 0.9f, 5.9f, 0.9f, kInk, 1.0f, 0, false);
  PIX_Line(&il, 0, 0, 5, 0, kInk, 1.0f, 0, false);
  EXPECT_EQ(Ink(&fl), Ink(&il));
  EXPECT_EQ(Ink(&fl), "######..|........|........");
}

TEST(FLine, WeightsFollowTheExactCourse) {
  const struct {
    const char* why;
    float x1, y1, x2, y2;
    const char* rows;  // rows 2 to 5 of a 8 x 8 bitmap
  } kCases[] = {
      {"on a pixel row: all on row 3, the neighbour row visited at 0", 1, 3, 4, 3,
       ". . . . . . . .|. 255 255 255 255 . . .|. . . . . . . .|. . . . . . . ."},
      {"between two rows: split 127 : 128", 1, 3.5f, 4, 3.5f,
       ". . . . . . . .|. 127 127 127 127 . . .|. 128 128 128 128 . . .|. . . . . . . ."},
      {"reversed", 4, 3.5f, 1, 3.5f,
       ". . . . . . . .|. 127 127 127 127 . . .|. 128 128 128 128 . . .|. . . . . . . ."},
      {"no whole column between the ends", 1.2f, 3, 1.8f, 3,
       ". . . . . . . .|. . . . . . . .|. . . . . . . .|. . . . . . . ."},
      {"falling toward smaller rows", 1, 4, 5, 3,
       ". . . . . . . .|. . 63 127 191 255 . .|. 255 192 128 64 . . .|. . . . . . . ."},
  };
  for (const auto& c : kCases) {
    GuardedBitmap bm(8, 8);
    PIX_FLine(&bm, c.x1, c.y1, c.x2, c.y2, kWhite, 1.0f, 0, true);
    const std::string all = Weights(&bm);
    // Rows 2 to 5.
    size_t from = 0;
    for (int k = 0; k < 2; ++k) from = all.find('|', from) + 1;
    size_t to = from;
    for (int k = 0; k < 4; ++k) to = all.find('|', to) + 1;
    EXPECT_EQ(all.substr(from, to - from - 1), c.rows) << c.why;
    EXPECT_TRUE(bm.GuardIntact()) << c.why;
  }
}

TEST(FLine, FortyFiveDegreesWalksAlongY) {
  // (1.5, 1) to (5.5, 5): walked along y, row 1 starts at x = 1.5 and splits
  // between columns 1 and 2; walked along x it would start at column 2.
  GuardedBitmap bm(8, 8);
  PIX_FLine(&bm, 1.5f, 1, 5.5f, 5, kWhite, 1.0f, 0, true);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(&bm, 1, 1)), 127);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(&bm, 2, 1)), 128);
}

TEST(FLine, ZeroLengthAndNonFiniteDrawNothing) {
  GuardedBitmap bm(8, 8);
  PIX_FLine(&bm, 3, 3, 3, 3, kWhite, 1.0f, 0, true);
  // Both ends beyond the right border land on the same clipped point.
  PIX_FLine(&bm, 20, 3, 30, 3, kWhite, 1.0f, 0, true);
  const float inf = 1.0f / 0.0f;
  PIX_FLine(&bm, 0, 0, inf, 3, kWhite, 1.0f, 0, true);
  PIX_FLine(&bm, 0, 0, 0.0f * inf, 3, kWhite, 1.0f, 0, false);
  EXPECT_EQ(Ink(&bm).find('#'), std::string::npos);
}

TEST(FLine, ClipFLineKeepsTheNeighbourInside) {
  const struct {
    const char* why;
    float x1, y1, x2, y2;
    bool result;
    float cx1, cy1, cx2, cy2;
  } kCases[] = {
      {"inside", 1, 1, 10, 5, true, 1, 1, 10, 5},
      {"right end moved to width - 2", 2, 5, 30, 5, true, 2, 5, 14, 5},
      {"bottom end moved to height - 2", 3, 0, 3, 40, true, 3, 0, 3, 14},
      {"enters from the left", -4, 2, 4, 6, true, 0, 4, 4, 6},
      {"wholly outside", -4, -2, -1, -9, false, -4, -2, -1, -9},
  };
  for (const auto& c : kCases) {
    float x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
    EXPECT_EQ(ClipFLine(&x1, &y1, &x2, &y2, 16, 16), c.result) << c.why;
    EXPECT_FLOAT_EQ(x1, c.cx1) << c.why;
    EXPECT_FLOAT_EQ(y1, c.cy1) << c.why;
    EXPECT_FLOAT_EQ(x2, c.cx2) << c.why;
    EXPECT_FLOAT_EQ(y2, c.cy2) << c.why;
  }
  float x1 = 0, y1 = 12, x2 = 40, y2 = 12;
  EXPECT_TRUE(PIX_ClipFLine(&x1, &y1, &x2, &y2, 10, 10, 26, 26));
  EXPECT_FLOAT_EQ(x1, 10);
  EXPECT_FLOAT_EQ(x2, 24);
  // The last column is reached only as a neighbour.
  GuardedBitmap bm(16, 16);
  PIX_FLine(&bm, 2, 20.5f, 30, 20.5f, kWhite, 1.0f, 0, true);
  PIX_FLine(&bm, 2, 5, 30, 5, kWhite, 1.0f, 0, true);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(&bm, 14, 5)), 255);
  EXPECT_EQ(PIX_GetPixel(&bm, 15, 5), 0u);
}

// ---------------------------------------------------------------------------
// Dashed lines

TEST(DashedLine, PatternsInEveryDirection) {
  const struct {
    const char* why;
    int x1, y1, x2, y2, dash, gap;
    const char* row;  // the line's row or column as 12 characters
  } kCases[] = {
      {"dash 3 gap 2 to column 10: the end is never drawn", 0, 5, 10, 5, 3, 2, "###..###...."},
      {"one more column reaches a last short dash", 0, 5, 11, 5, 3, 2, "###..###..#."},
      {"right to left draws the same", 10, 5, 0, 5, 3, 2, "###..###...."},
      {"vertical", 5, 0, 5, 11, 3, 2, "###..###..#."},
      {"vertical bottom to top", 5, 11, 5, 0, 3, 2, "###..###..#."},
      {"cut at the low end starts the pattern at the border", -3, 5, 9, 5, 3, 2, "###..###...."},
      {"cut at the high end", 6, 5, 30, 5, 2, 1, "......##.##."},
      {"negative gap overlaps dashes", 0, 5, 8, 5, 3, -1, "########...."},
      {"dash 0 draws nothing", 0, 5, 11, 5, 0, 1, "............"},
      {"dash and gap below one pixel in sum draw nothing", 0, 5, 11, 5, 2, -2, "............"},
      {"dash 1 gap -1 (sum 0) draws nothing", 0, 5, 11, 5, 1, -1, "............"},
  };
  for (const auto& c : kCases) {
    GuardedBitmap bm(12, 12);
    PIX_DashedLine(&bm, c.x1, c.y1, c.x2, c.y2, c.dash, c.gap, kWhite, 0.6f, 0, false);
    std::string line;
    const bool vertical = c.x1 == c.x2;
    for (int k = 0; k < 12; ++k) line += PIX_GetPixel(&bm, vertical ? 5 : k, vertical ? k : 5) ? '#' : '.';
    EXPECT_EQ(line, c.row) << c.why;
    EXPECT_TRUE(bm.GuardIntact()) << c.why;
  }
}

TEST(DashedLine, DottedVerticalShortcutAndWhatDrawsNothing) {
  GuardedBitmap bm(6, 6);
  PIX_DashedLine(&bm, 3, 0, 3, 4, 1, 1, kInk, 1.0f, 0, false);
  EXPECT_EQ(Ink(&bm), "...#..|......|...#..|......|......|......");
  GuardedBitmap nothing(6, 6);
  PIX_DashedLine(&nothing, 0, 0, 5, 3, 2, 1, kInk, 1.0f, 0, false);  // sloped
  PIX_DashedLine(&nothing, 2, 2, 2, 2, 1, 1, kInk, 1.0f, 0, false);  // a point
  PIX_DashedLine(&nothing, 0, 1, 5, 1, 2, 1, kInk, 0.001f, 0, false);
  PIX_DashedLine(&nothing, 0, 1, 5, 1, 2, 1, kInk, 1.0f, 6, false);
  EXPECT_EQ(Ink(&nothing).find('#'), std::string::npos);
  // aa changes nothing.
  GuardedBitmap plain(6, 6), smooth(6, 6);
  PIX_DashedLine(&plain, 0, 1, 5, 1, 2, 1, kWhite, 0.7f, 1, false);
  PIX_DashedLine(&smooth, 0, 1, 5, 1, 2, 1, kWhite, 0.7f, 1, true);
  EXPECT_EQ(Weights(&plain), Weights(&smooth));
}

TEST(DashedLine, FlippedBitmapIsNotTurned) {
  GuardedBitmap bm(6, 4, 0, true);
  PIX_DashedLine(&bm, 0, 1, 5, 1, 2, 1, kInk, 1.0f, 0, false);
  EXPECT_EQ(bm.Memory(0, 1), kInk);
  EXPECT_EQ(bm.Memory(0, 2), 0u);
}

}  // namespace
