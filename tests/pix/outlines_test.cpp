#include <gtest/gtest.h>

#include <vector>

#include "guarded_bitmap.h"

namespace {

const PIX_pixel kWhite = 0xFFFFFFFFu;

// Outlined shapes: the outline drawn with lines along a filled triangle's or
// convex polygon's edges lies on the fill; no outline pixel stands off the
// shape by more than one pixel (the fill's edges step in 16.16 fixed point,
// so a side vertex may end one pixel short of the line's end).
TEST(OutlinedShapes, OutlinesLieOnTheirFills) {
  const struct {
    const char* why;
    std::vector<int> x, y;
  } shapes[] = {
      {"triangle", {3, 28, 12}, {2, 9, 26}},
      {"flat-topped triangle", {2, 25, 14}, {3, 3, 20}},
      {"convex pentagon", {15, 27, 23, 7, 3}, {2, 10, 25, 25, 10}},
  };
  for (const auto& s : shapes) {
    GuardedBitmap fill(32, 30), outline(32, 30);
    const int n = static_cast<int>(s.x.size());
    PIX_FillConvexPolygon(&fill, s.x.data(), s.y.data(), n, kWhite, 1.0f, 0);
    for (int i = 0; i < n; ++i)
      PIX_Line(&outline, s.x[i], s.y[i], s.x[(i + 1) % n], s.y[(i + 1) % n], kWhite, 1.0f, 0, false);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 32; ++x) {
        if (PIX_GetPixel(&outline, x, y) != kWhite) continue;
        bool near = false;
        for (int dy = -1; dy <= 1 && !near; ++dy)
          for (int dx = -1; dx <= 1 && !near; ++dx) {
            const int nx = x + dx, ny = y + dy;
            near = nx >= 0 && ny >= 0 && nx < 32 && ny < 30 && PIX_GetPixel(&fill, nx, ny) == kWhite;
          }
        EXPECT_TRUE(near) << s.why << ": outline pixel " << x << "," << y << " off the fill";
      }
    EXPECT_TRUE(fill.GuardIntact());
    EXPECT_TRUE(outline.GuardIntact());
  }
}

}  // namespace
