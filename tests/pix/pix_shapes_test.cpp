// Trapezoid, triangle and convex polygon fills.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "pix_test_util.h"

namespace {

const PIX_pixel kInk = Argb(255, 250, 20, 10);

// The bitmap as rows of '#' (kInk) and '.' (anything else), joined by '|'.
std::string Picture(PIX_IBitmap* bm) {
  std::string text;
  for (int y = 0; y < bm->getHeight(); ++y) {
    if (y) text += "|";
    for (int x = 0; x < bm->getWidth(); ++x) text += PIX_GetPixel(bm, x, y) == kInk ? '#' : '.';
  }
  return text;
}

TEST(FillTriangle, HandDrawnTriangles) {
  const struct {
    const char* why;
    int x1, y1, x2, y2, x3, y3;
    const char* picture;
  } kCases[] = {
      {"right angle at the top left", 0, 0, 4, 0, 0, 4, "#####.|####..|###...|##....|#.....|......"},
      {"apex at the top", 2, 0, 0, 4, 4, 4, "..#...|..#...|.###..|.###..|#####.|......"},
      {"one row", 5, 2, 1, 2, 3, 2, "......|......|.#####|......|......|......"},
      {"clipped by every edge", -3, -3, 12, 2, 2, 12, "######|######|######|######|######|######"},
      {"wholly left of the bitmap", -9, 0, -5, 3, -7, 5, "......|......|......|......|......|......"},
      {"wholly below the bitmap", 1, 7, 4, 9, 2, 8, "......|......|......|......|......|......"},
  };
  for (const auto& c : kCases) {
    auto bm = Filled(6, 6, 0);
    PIX_FillTriangle(bm.get(), c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, kInk, 1.0f, 0);
    std::string expected = c.picture;
    EXPECT_EQ(Picture(bm.get()), expected) << c.why;
  }
}

TEST(FillConvexPolygon, DiamondAndFlippedBitmap) {
  const int xs[] = {3, 6, 3, 0}, ys[] = {0, 3, 6, 3};
  const char* kDiamond = "...#....|..###...|.#####..|#######.|.#####..|..###...|...#....|........";
  auto bm = Filled(8, 8, 0);
  PIX_FillConvexPolygon(bm.get(), xs, ys, 4, kInk, 1.0f, 0);
  EXPECT_EQ(Picture(bm.get()), kDiamond);
  // A flipped bitmap shows the same picture in drawing rows (edges of whole
  // steps rasterise the same both ways up).
  const int tx[] = {0, 5, 0}, ty[] = {0, 0, 5};
  FlippedBitmap flipped(8, 8);
  PIX_Clear(&flipped, 0);
  auto plain = Filled(8, 8, 0);
  PIX_FillConvexPolygon(&flipped, tx, ty, 3, kInk, 1.0f, 0);
  PIX_FillConvexPolygon(plain.get(), tx, ty, 3, kInk, 1.0f, 0);
  EXPECT_EQ(Picture(&flipped), Picture(plain.get()));
  EXPECT_EQ(flipped.Memory(0, 7), kInk);
}

TEST(FillConvexPolygon, CollinearAndManyPointsFillTheSame) {
  // A hexagon, then the same with points added along its edges: collinear
  // points change nothing, also beyond the 512 points of the local table.
  const int hx[] = {10, 30, 40, 30, 10, 0}, hy[] = {0, 0, 20, 40, 40, 20};
  auto reference = Filled(48, 48, 0);
  PIX_FillConvexPolygon(reference.get(), hx, hy, 6, kInk, 1.0f, 0);
  for (int perEdge : {2, 100}) {
    std::vector<int> x, y;
    for (int i = 0; i < 6; ++i) {
      const int j = (i + 1) % 6;
      for (int k = 0; k < perEdge; ++k) {
        // Only points that lie exactly on the edge: multiples of its step.
        const int dx = hx[j] - hx[i], dy = hy[j] - hy[i];
        const int n = std::abs(dx) > std::abs(dy) ? std::abs(dx) : std::abs(dy);
        const int g = std::gcd(std::abs(dx), std::abs(dy));
        const int t = (k * g / perEdge) * (n / g);
        x.push_back(hx[i] + dx * t / n);
        y.push_back(hy[i] + dy * t / n);
      }
    }
    auto bm = Filled(48, 48, 0);
    PIX_FillConvexPolygon(bm.get(), x.data(), y.data(), static_cast<int>(x.size()), kInk, 1.0f, 0);
    EXPECT_EQ(Picture(bm.get()), Picture(reference.get())) << x.size() << " points";
  }
}

TEST(FillTrapezoid, OneRowCoversBothSpans) {
  auto bm = Filled(10, 3, 0);
  PIX_FillTrapezoid(bm.get(), 2, 4, 1, 7, 6, 1, kInk, 1.0f, 0);
  EXPECT_EQ(Picture(bm.get()), "..........|..######..|..........");
}

// A top row far above the bitmap: row 0 starts where stepping from the true
// top would have put the edge (half way along a 2000-row edge from 0 to 1000).
TEST(FillTrapezoid, TopFarAboveStartsWhereSteppingWouldBe) {
  auto bm = Filled(1024, 2, 0);
  PIX_FillTrapezoid(bm.get(), 0, 1010, -1000, 1000, 1010, 1000, kInk, 1.0f, 0);
  EXPECT_NE(PIX_GetPixel(bm.get(), 499, 0), kInk);
  EXPECT_EQ(PIX_GetPixel(bm.get(), 500, 0), kInk);
  EXPECT_EQ(PIX_GetPixel(bm.get(), 1010, 0), kInk);
  EXPECT_NE(PIX_GetPixel(bm.get(), 1011, 0), kInk);
  // Extreme coordinates stay defined.
  PIX_FillTrapezoid(bm.get(), -2147483647, 2147483647, -2147483647, 5, 9, 2147483647, kInk, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(bm.get(), 5, 1), kInk);
}

TEST(FillTrapezoid, WeightsAndModes) {
  const struct {
    float alpha;
    int mode;
    PIX_pixel expected;  // white over Argb(100, 100, 100, 100)
  } kCases[] = {
      {1.0f, 0, 0xFFFFFFFF},
      {0.5f, 0, Argb(177, 177, 177, 177)},   // 50 + 127 per byte
      {0.25f, 0, Argb(138, 138, 138, 138)},  // 25 + 50 + 63
      {0.75f, 0, Argb(215, 215, 215, 215)},  // 25 + 63 + 127
      {0.3f, 0, Argb(147, 147, 147, 147)},   // copy at weight 76
      {1.0f, 0x10000, 0xFFFFFFFF},           // the source-alpha bit changes nothing
      {0.5f, 1, Argb(227, 227, 227, 227)},   // add
      {0.0f, 0, Argb(100, 100, 100, 100)},
      {1.0f, 6, Argb(100, 100, 100, 100)},
  };
  for (const auto& c : kCases) {
    auto bm = Filled(4, 4, Argb(100, 100, 100, 100));
    PIX_FillTriangle(bm.get(), 0, 0, 3, 0, 0, 3, 0xFFFFFFFF, c.alpha, c.mode);
    EXPECT_EQ(Channels(PIX_GetPixel(bm.get(), 1, 1)), Channels(c.expected)) << c.alpha << " mode " << c.mode;
  }
}

// The outline joins (x, y) and (x + w, y + h); the bordered rectangle fills
// exactly the inside of that outline.
TEST(BorderedRect, FillsTheInsideOfItsOutline) {
  const PIX_pixel kFill = Argb(255, 1, 2, 3);
  auto bm = Filled(12, 12, 0);
  PIX_BorderedRect(bm.get(), 0, 0, 9, 9, kFill, kInk, 1.0f, 0);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool edge = (x <= 9 && y <= 9) && (x == 0 || y == 0 || x == 9 || y == 9);
      const bool inside = x >= 1 && x < 9 && y >= 1 && y < 9;
      EXPECT_EQ(PIX_GetPixel(bm.get(), x, y), edge ? kInk : inside ? kFill : 0u) << x << "," << y;
    }
}

TEST(FillConvexPolygon, TooFewPointsOrNoBitmapDrawNothing) {
  const int xs[] = {0, 5, 0}, ys[] = {0, 0, 5};
  auto bm = Filled(6, 6, 0);
  PIX_FillConvexPolygon(bm.get(), xs, ys, 2, kInk, 1.0f, 0);
  PIX_FillConvexPolygon(nullptr, xs, ys, 3, kInk, 1.0f, 0);
  EXPECT_EQ(Picture(bm.get()), "......|......|......|......|......|......");
}

}  // namespace
