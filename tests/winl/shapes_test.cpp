// Brushes, pens and shapes in a memory context; system colours.
#include <gtest/gtest.h>

#include <cstring>

#include "KIT/winl/winl-shapes.h"

namespace {

class ShapesTest : public ::testing::Test {
 protected:
  void SetUp() override { m_hdc = WINL_CreateMemContext(nullptr, kSize, kSize); }
  void TearDown() override {
    SelectObject(m_hdc, GetStockObject(1));
    SelectObject(m_hdc, GetStockObject(2));
    WINL_DeleteGfxContext(m_hdc);
    for (HGDIOBJ o : m_objects) DeleteObject(o);
  }
  HGDIOBJ Keep(HGDIOBJ o) {
    m_objects.push_back(o);
    return o;
  }
  // Red, green, blue of a pixel as 0x00RRGGBB.
  int At(int x, int y) {
    const auto* p =
        static_cast<const uint8_t*>(WINL_GetCtxFrameBuffer(m_hdc)) + (static_cast<size_t>(y) * kSize + x) * 4;
    return p[1] << 16 | p[2] << 8 | p[3];
  }
  static const int kSize = 20;
  HDC m_hdc = nullptr;
  std::vector<HGDIOBJ> m_objects;
};

TEST_F(ShapesTest, FillRectTakesOnlyLiveBrushesAndEitherVerticalOrder) {
  RECT r{2, 8, 6, 4};
  WINL_FillRect(m_hdc, &r, reinterpret_cast<HGDIOBJ>(2));
  EXPECT_EQ(At(3, 5), 0) << "the brush marker fills nothing";
  WINL_FillRect(m_hdc, &r, GetStockObject(2));
  EXPECT_EQ(At(3, 5), 0) << "the null brush fills nothing";
  WINL_FillRect(m_hdc, &r, Keep(CreateSolidBrush(0x102030)));
  EXPECT_EQ(At(3, 5), 0x102030);
  EXPECT_EQ(At(6, 5), 0) << "right edge exclusive";
  EXPECT_EQ(At(3, 8), 0) << "the larger of top and bottom is exclusive";
  WINL_FillDialogBackground(m_hdc, &r, 0);
  EXPECT_EQ(At(3, 5), WINL_DIALOG_BACKGROUND);
}

TEST_F(ShapesTest, RectangleFillsAndOutlinesWithWhatIsSelected) {
  const struct {
    const char* why;
    bool pen, brush;
    int edge, inside;
  } kCases[] = {
      {"pen and brush", true, true, 0xFF0000, 0x00FF00},
      {"null pen: fill only", false, true, 0x00FF00, 0x00FF00},
      {"null brush: outline only", true, false, 0xFF0000, 0},
  };
  for (const auto& c : kCases) {
    RECT all{0, 0, kSize, kSize};
    WINL_FillRect(m_hdc, &all, Keep(CreateSolidBrush(0)));
    SelectObject(m_hdc, c.pen ? Keep(CreatePen(0, 0, 0xFF0000)) : GetStockObject(1));
    SelectObject(m_hdc, c.brush ? Keep(CreateSolidBrush(0x00FF00)) : GetStockObject(2));
    Rectangle(m_hdc, 2, 2, 10, 10);
    EXPECT_EQ(At(2, 5), c.edge) << c.why;
    EXPECT_EQ(At(9, 9), c.edge) << c.why;
    EXPECT_EQ(At(5, 5), c.inside) << c.why;
    EXPECT_EQ(At(10, 5), 0) << c.why;
  }
}

TEST_F(ShapesTest, LinesAndPixels) {
  SelectObject(m_hdc, Keep(CreatePen(0, 0, 0x0000FF)));
  MoveToEx(m_hdc, 2, 3, nullptr);
  WINL_LineTo(m_hdc, 12, 3);
  EXPECT_EQ(At(2, 3), 0x0000FF);
  EXPECT_EQ(At(7, 3), 0x0000FF);
  EXPECT_EQ(At(7, 4), 0) << "a pen of width 0 draws one pixel across";
  POINT old{};
  MoveToEx(m_hdc, 0, 0, &old);
  EXPECT_EQ(old.x, 12) << "the line's end is the position";
  EXPECT_EQ(old.y, 3);
  SelectObject(m_hdc, GetStockObject(1));
  WINL_LineTo(m_hdc, 0, 15);
  EXPECT_EQ(At(0, 10), 0) << "the null pen draws nothing";
  MoveToEx(m_hdc, 5, 5, &old);
  EXPECT_EQ(old.y, 15) << "but the position moves";
  WINL_SetPixel(m_hdc, 19, 19, 0xABCDEF);
  EXPECT_EQ(At(19, 19), 0xABCDEF);
  WINL_SetPixel(m_hdc, 20, 5, 0xFFFFFF);
  WINL_SetPixel(m_hdc, -1, 5, 0xFFFFFF);
  EXPECT_EQ(At(0, 5), 0);
}

TEST_F(ShapesTest, EllipseFillsInsideAndOutlinesItsBorder) {
  const struct {
    const char* why;
    bool pen, brush;
    int border, inside;
  } kCases[] = {
      {"pen and brush", true, true, 0xFF0000, 0x00FF00},
      {"brush only", false, true, 0x00FF00, 0x00FF00},
      {"pen only", true, false, 0xFF0000, 0},
  };
  for (const auto& c : kCases) {
    RECT all{0, 0, kSize, kSize};
    WINL_FillRect(m_hdc, &all, Keep(CreateSolidBrush(0x000001)));
    SelectObject(m_hdc, c.pen ? Keep(CreatePen(0, 3, 0xFF0000)) : GetStockObject(1));
    SelectObject(m_hdc, c.brush ? Keep(CreateSolidBrush(0x00FF00)) : GetStockObject(2));
    Ellipse(m_hdc, 2, 2, 18, 12);
    EXPECT_EQ(At(10, 7), c.inside ? c.inside : 0x000001) << c.why;
    EXPECT_EQ(At(2, 7), c.border) << c.why << ": the widest row's ends";
    EXPECT_EQ(At(17, 7), c.border) << c.why;
    EXPECT_EQ(At(10, 2), c.border) << c.why << ": the top row";
    EXPECT_EQ(At(10, 11), c.border) << c.why << ": the bottom row";
    EXPECT_EQ(At(3, 7), c.inside ? c.inside : 0x000001) << c.why << ": the outline is one pixel wide";
    EXPECT_EQ(At(18, 7), 0x000001) << c.why << ": right edge exclusive";
    EXPECT_EQ(At(10, 12), 0x000001) << c.why << ": bottom edge exclusive";
    EXPECT_EQ(At(2, 2), 0x000001) << c.why << ": the corner lies outside";
  }
}

TEST_F(ShapesTest, PolygonFillsTheClosedAreaAndStrokesTheOpenPath) {
  const POINT triangle[3] = {{2, 2}, {17, 2}, {2, 17}};
  SelectObject(m_hdc, Keep(CreateSolidBrush(0x00FF00)));
  WINL_Polygon(m_hdc, triangle, 3);
  EXPECT_EQ(At(4, 4), 0x00FF00);
  EXPECT_EQ(At(2, 10), 0x00FF00) << "the left edge's pixels are inside";
  EXPECT_EQ(At(15, 15), 0) << "beyond the diagonal";
  EXPECT_EQ(At(2, 17), 0) << "the bottom edge is exclusive";

  RECT all{0, 0, kSize, kSize};
  WINL_FillRect(m_hdc, &all, Keep(CreateSolidBrush(0)));
  SelectObject(m_hdc, GetStockObject(2));
  SelectObject(m_hdc, Keep(CreatePen(0, 0, 0xFF0000)));
  WINL_Polygon(m_hdc, triangle, 3);
  EXPECT_EQ(At(10, 2), 0xFF0000);
  EXPECT_EQ(At(17, 2), 0xFF0000) << "points are pixels, both ends drawn";
  EXPECT_EQ(At(9, 10), 0xFF0000) << "the diagonal";
  EXPECT_EQ(At(2, 10), 0) << "the path is not closed";
  EXPECT_EQ(At(5, 5), 0) << "no brush: no fill";

  WINL_FillRect(m_hdc, &all, Keep(CreateSolidBrush(0)));
  WINL_Polygon(m_hdc, triangle, 1);
  WINL_Polygon(m_hdc, nullptr, 3);
  EXPECT_EQ(At(2, 2), 0) << "fewer than two points or none draw nothing";
  WINL_Polygon(m_hdc, triangle, 2);
  EXPECT_EQ(At(10, 2), 0xFF0000) << "two points stroke one line";
}

TEST_F(ShapesTest, PolygonWithHugeCoordinatesStaysInside) {
  const POINT big[3] = {{-2000000000, -2000000000}, {2000000000, 0}, {0, 2000000000}};
  SelectObject(m_hdc, Keep(CreateSolidBrush(0x0000FF)));
  WINL_Polygon(m_hdc, big, 3);
  EXPECT_EQ(At(10, 10), 0x0000FF);
}

TEST_F(ShapesTest, RoundRectCutsItsCornersStraight) {
  SelectObject(m_hdc, Keep(CreatePen(0, 0, 0xFF0000)));
  SelectObject(m_hdc, Keep(CreateSolidBrush(0x00FF00)));
  RoundRect(m_hdc, 2, 2, 17, 17, 9, 9);
  EXPECT_EQ(At(2, 2), 0) << "the corner is cut off";
  EXPECT_EQ(At(10, 2), 0xFF0000);
  EXPECT_EQ(At(2, 10), 0xFF0000);
  EXPECT_EQ(At(4, 3), 0xFF0000) << "the cut runs from (2, 5) to (5, 2)";
  EXPECT_EQ(At(10, 10), 0x00FF00);
}

TEST_F(ShapesTest, PolyPolylineTakesEachCountInTurn) {
  SelectObject(m_hdc, Keep(CreatePen(0, 0, 0x0000FF)));
  const POINT points[5] = {{1, 1}, {9, 1}, {9, 9}, {1, 15}, {9, 15}};
  const int counts[3] = {2, 1, 2};
  PolyPolyline(m_hdc, points, counts, 3);
  EXPECT_EQ(At(5, 1), 0x0000FF) << "first line";
  EXPECT_EQ(At(5, 15), 0x0000FF) << "third line";
  EXPECT_EQ(At(9, 5), 0) << "a count of 1 joins nothing";
  EXPECT_EQ(At(5, 12), 0) << "nor does the end of one line join the next";
  const int negative[2] = {-3, 2};
  PolyPolyline(m_hdc, points + 2, negative, 2);
  EXPECT_EQ(At(5, 12), 0x0000FF) << "a negative count takes no point";
}

TEST_F(ShapesTest, PolyBezierToNeedsThreePointsAndMovesThePosition) {
  SelectObject(m_hdc, Keep(CreatePen(0, 0, 0xFF00FF)));
  MoveToEx(m_hdc, 1, 10, nullptr);
  const POINT two[2] = {{5, 0}, {10, 0}};
  PolyBezierTo(m_hdc, two, 2);
  POINT old{};
  MoveToEx(m_hdc, 1, 10, &old);
  EXPECT_EQ(old.x, 1) << "two points draw nothing and leave the position";
  EXPECT_EQ(At(1, 10), 0);

  const POINT curve[4] = {{1, 1}, {18, 1}, {18, 18}, {0, 0}};  // the fourth is left over
  PolyBezierTo(m_hdc, curve, 4);
  EXPECT_EQ(At(1, 10), 0xFF00FF) << "starts at the position";
  EXPECT_EQ(At(18, 18), 0xFF00FF) << "ends at the third point";
  EXPECT_EQ(At(10, 14), 0) << "a curve, not the straight line";
  bool nearMiddle = false;  // the curve's middle lies at (9.5, 4.25)
  for (int y = 3; y <= 5; ++y)
    for (int x = 8; x <= 11; ++x) nearMiddle |= At(x, y) == 0xFF00FF;
  EXPECT_TRUE(nearMiddle);
  MoveToEx(m_hdc, 0, 0, &old);
  EXPECT_EQ(old.x, 18);
  EXPECT_EQ(old.y, 18);
}

TEST(SysColours, TableAndOutside) {
  const struct {
    int index, colour;
  } kCases[] = {{0, 0x606060}, {1, 0xE0E0E0}, {8, 0xFFF0C8}, {9, 0}, {10, 0}, {-1, 0}};
  for (const auto& c : kCases) EXPECT_EQ(GetSysColor(c.index), c.colour) << c.index;
}

}  // namespace
