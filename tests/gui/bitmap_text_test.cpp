// Bitmap text: rows of character cells from a font strip. The test font's
// frame f is filled with red f, so each cell tells which frame landed in it.
#include "KIT/IModule/IBitmapMonoText.h"
#include "tests/gui/gui_fixture.h"

class BitmapTextTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    font = Image("font.png", 95);
    IRECT all(0, 0, 320, 200);
    Attach(new IControl(&plug, all));  // makes Draw set the drawing area
    gui->Draw(&all);
  }
  // The characters found in the cells of a row starting at x, read back
  // from the frame numbers; '.' where no cell was drawn.
  std::string Row(int x, int y, int cells) {
    std::string row;
    for (int i = 0; i < cells; ++i) {
      const PIX_pixel p = Pixel(x + i * 10 + 1, y + 1);
      row += PIX_Alpha(p) == 255 ? static_cast<char>(PIX_Red(p) + 31) : '.';
    }
    return row;
  }
  void DrawText(IRECT r, const char* text, bool vCenter, bool wrap, int align = IText::kAlignNear) {
    PIX_Clear(gui->GetDrawBitmap(), 0);
    IText style(12, nullptr, nullptr, IText::kStyleNormal, align);
    DrawBitmapedText(gui, &font, &r, &style, nullptr, text, vCenter, wrap, 10, 10);
  }
  IBitmap font;
};

TEST_F(BitmapTextTest, OneRowStartsOneCellIn) {
  DrawText(IRECT(0, 0, 100, 10), "Hello", false, false);
  EXPECT_EQ(Row(0, 0, 10), ".Hello....");
}

TEST_F(BitmapTextTest, CentredRowsAndVerticalCentring) {
  DrawText(IRECT(0, 0, 100, 30), "Hello", true, false, IText::kAlignCenter);
  EXPECT_EQ(Row(25, 10, 5), "Hello");  // (100 - 50) / 2 in, (30 - 10) / 2 down
  EXPECT_EQ(Row(25, 0, 5), ".....");
}

TEST_F(BitmapTextTest, WithoutWrapAtMostTwoRows) {
  DrawText(IRECT(0, 0, 100, 40), "ABCDEFGHIJKLMNOPQRSTU", false, false);
  EXPECT_EQ(Row(10, 0, 8), "ABCDEFGH");
  EXPECT_EQ(Row(10, 10, 8), "IJKLMNOP");
  EXPECT_EQ(Row(10, 20, 8), "........");
}

TEST_F(BitmapTextTest, WrapTakesAsManyRowsAsTheTextNeeds) {
  DrawText(IRECT(0, 0, 100, 40), "ABCDEFGHIJKLMNOPQRST", false, true);
  EXPECT_EQ(Row(10, 0, 8), "ABCDEFGH");
  EXPECT_EQ(Row(10, 10, 8), "IJKLMNOP");
  EXPECT_EQ(Row(10, 20, 8), "QRST....");
}

TEST_F(BitmapTextTest, NothingFitsNothingIsDrawn) {
  const std::vector<PIX_pixel> before = Snapshot();
  for (bool wrap : {false, true}) {
    IRECT narrow(0, 0, 20, 10);  // usable width 0
    DrawBitmapedText(gui, &font, &narrow, nullptr, nullptr, "ABC", false, wrap, 10, 10);
    IRECT r(0, 0, 100, 10);
    DrawBitmapedText(gui, &font, &r, nullptr, nullptr, "ABC", false, wrap, 0, 10);
    DrawBitmapedText(gui, &font, &r, nullptr, nullptr, "", false, wrap, 10, 10);
    DrawBitmapedText(gui, &font, &r, nullptr, nullptr, nullptr, false, wrap, 10, 10);
  }
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(BitmapTextTest, TheControlDrawsItsTextCentredVertically) {
  IText left(12, nullptr, nullptr, IText::kStyleNormal, IText::kAlignNear);
  auto* control = Attach(new IBitmapTextControl(&plug, IRECT(0, 50, 100, 80), &font, "", &left, 10, 10));
  control->SetClean();
  control->SetTextFromPlug("");
  EXPECT_FALSE(control->IsDirty());
  EXPECT_TRUE(control->Draw(gui)) << "an empty text still succeeds";
  control->SetTextFromPlug("Hi!");
  EXPECT_TRUE(control->IsDirty());
  PIX_Clear(gui->GetDrawBitmap(), 0);
  control->Draw(gui);
  EXPECT_EQ(Row(10, 60, 3), "Hi!");
}
