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

TEST(SysColours, TableAndOutside) {
  const struct {
    int index, colour;
  } kCases[] = {{0, 0x606060}, {1, 0xE0E0E0}, {8, 0xFFF0C8}, {9, 0}, {10, 0}, {-1, 0}};
  for (const auto& c : kCases) EXPECT_EQ(GetSysColor(c.index), c.colour) << c.index;
}

}  // namespace
