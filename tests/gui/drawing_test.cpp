// The drawing operations: blends to raster modes, frames of multi-frame
// bitmaps, clipping to the area being drawn, text measuring, and the
// prompts for a parameter's value.
#include <functional>

#include "KIT/IModule/IGraphicsCaches.h"
#include "KIT/IModule/ITextControls.h"
#include "tests/gui/gui_fixture.h"

namespace {

// A control whose drawing is the test's own.
class ProbeControl : public IControl {
 public:
  ProbeControl(IModuleBase* plug, IRECT r, std::function<void(IGraphics*)> draw)
      : IControl(plug, r), mDraw(std::move(draw)) {}
  bool Draw(IGraphics* graphics) override {
    mDraw(graphics);
    return true;
  }

 private:
  std::function<void(IGraphics*)> mDraw;
};

}  // namespace

class DrawingTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    gui->AttachControl(new ProbeControl(&plug, IRECT(0, 0, 320, 200), [this](IGraphics* g) {
      if (mDraw) mDraw(g);
    }));
  }
  // Runs draw inside a Draw pass over area, on a window cleared to grey.
  void DrawIn(IRECT area, std::function<void(IGraphics*)> draw) {
    PIX_Clear(gui->GetDrawBitmap(), kGround);
    mDraw = std::move(draw);
    gui->Draw(&area);
    mDraw = nullptr;
  }
  static constexpr PIX_pixel kGround = 0x808080FFu;  // alpha 255, grey 128

 private:
  std::function<void(IGraphics*)> mDraw;
};

TEST_F(DrawingTest, BlendsBecomeRasterModesAndWeights) {
  // A half-transparent source pixel over the grey ground.
  PIX_MemBitmap source(1, 1, 0);
  const PIX_pixel colour = PIX_MakePixel(200, 40, 120, 128);
  PIX_Clear(&source, colour);
  IBitmap bitmap(&source, 1, 1);
  const struct {
    const char* why;
    bool null;
    int method;
    float weight;
    int mode;
  } kCases[] = {
      {"no blend", true, 0, 1.0f, 0x10000},  {"method 0", false, 0, 0.5f, 0x10000},
      {"method 1", false, 1, 0.5f, 0},       {"method 2", false, 2, 0.75f, 0x10001},
      {"method 3", false, 3, 1.0f, 0x10002}, {"unknown method", false, 9, 0.5f, 0x10000},
  };
  for (const auto& c : kCases) {
    IChannelBlend blend(c.method, c.weight);
    DrawIn(IRECT(0, 0, 320, 200), [&](IGraphics* g) {
      IRECT r(5, 5, 6, 6);
      g->DrawBitmap(&bitmap, &r, 0, 0, c.null ? nullptr : &blend);
    });
    EXPECT_EQ(Pixel(5, 5), PIX_CombinePixels(kGround, colour, c.weight, c.mode)) << c.why;
  }
}

TEST_F(DrawingTest, FramesStartAtTheirRoundedOffsets) {
  IBitmap tall = Image("tall.png", 4);        // 4 frames of 25 rows, red 40, 80, 120, 160
  IBitmap wide = Image("wide.png", 3, true);  // 100 columns, red = column
  const struct {
    IBitmap* bitmap;
    int frame, red;
  } kCases[] = {{&tall, 1, 40},  {&tall, 2, 80}, {&tall, 4, 160}, {&tall, 0, 40},
                {&tall, -3, 40}, {&wide, 2, 33}, {&wide, 3, 67}};
  for (const auto& c : kCases) {
    DrawIn(IRECT(0, 0, 320, 200), [&](IGraphics* g) {
      IRECT r(20, 20, 30, 30);
      g->DrawBitmap(c.bitmap, &r, c.frame, nullptr);
    });
    EXPECT_EQ(PIX_Red(Pixel(20, 20)), c.red) << "frame " << c.frame;
  }
}

TEST_F(DrawingTest, BlitsAndFillsStayInsideTheAreaBeingDrawn) {
  IBitmap wide = Image("wide.png");
  const IRECT area(50, 50, 100, 100);
  DrawIn(area, [&](IGraphics* g) {
    IRECT half(30, 52, 130, 62);  // half over the area
    g->DrawBitmap(&wide, &half, 0, 0, nullptr);
    IRECT outside(0, 0, 50, 50);  // touches the area's corner only
    g->DrawBitmap(&wide, &outside, 0, 0, nullptr);
    IRECT panel(40, 70, 140, 80);
    g->FillIRect(&COLOR_BLUE, &panel);
  });
  EXPECT_EQ(PIX_Red(Pixel(50, 55)), 20) << "the source moves with the clipped edge";
  EXPECT_EQ(PIX_Red(Pixel(99, 55)), 69);
  EXPECT_EQ(Pixel(49, 55), kGround);
  EXPECT_EQ(Pixel(100, 55), kGround);
  EXPECT_EQ(Pixel(10, 10), kGround);
  EXPECT_EQ(Pixel(60, 75), COLOR_BLUE.ToPixel());
  EXPECT_EQ(Pixel(45, 75), kGround);
  EXPECT_EQ(Pixel(120, 75), kGround);
}

TEST_F(DrawingTest, TextIsClippedToTheAreaBeingDrawn) {
  // Drawn twice over pixels the pass did not repaint, anti-aliased text
  // would darken; outside the area nothing may change. Opaque text is drawn
  // natively, translucent text from the glyph cache: both are clipped.
  const IColor translucent(128, 255, 255, 255);
  for (const IColor* colour : {&COLOR_WHITE, &translucent}) {
    IText style(16, colour, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
    char text[] = "MMMMMMMMMM";
    DrawIn(IRECT(0, 0, 60, 200), [&](IGraphics* g) {
      IRECT r(10, 10, 300, 40);
      g->DrawIText(&style, text, &r);
    });
    int inside = 0;
    for (int y = 10; y < 40; ++y) {
      for (int x = 0; x < 60; ++x) inside += Pixel(x, y) != kGround;
      for (int x = 60; x < 320; ++x)
        ASSERT_EQ(Pixel(x, y), kGround) << x << ", " << y << " alpha " << colour->A;
    }
    EXPECT_GT(inside, 0) << "alpha " << colour->A;
  }
}

TEST_F(DrawingTest, MeasuringAlignsTheTextBoxInTheRectangle) {
  char text[] = "Cutoff";
  IText left(12, nullptr, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
  IRECT m(10, 0, 110, 20);
  ASSERT_TRUE(gui->MeasureIText(&left, text, &m));
  const int w = m.W(), h = m.H();
  ASSERT_GT(w, 0);
  ASSERT_GT(h, 0);
  EXPECT_EQ(m, IRECT(10, 0, 10 + w, h));
  const struct {
    int align;
    IRECT expected;
  } kCases[] = {{IText::kAlignCenter, IRECT(60 - w / 2, 0, 60 - w / 2 + w, h)},
                {IText::kAlignFar, IRECT(110 - w, 0, 110, h)},
                {7, IRECT(110 - w, 0, 110, h)}};
  for (const auto& c : kCases) {
    IText style(12, nullptr, "DejaVu Sans", IText::kStyleNormal, c.align);
    IRECT r(10, 0, 110, 20);
    gui->MeasureIText(&style, text, &r);
    EXPECT_EQ(r, c.expected) << "alignment " << c.align;
  }
}

TEST_F(DrawingTest, AnEmptyTextMakesNoFont) {
  IText style(31, nullptr, "Face Nobody Has");
  const int fonts = TheFontStorage().Count();
  char empty[] = "";
  IRECT r(0, 0, 10, 10);
  EXPECT_TRUE(gui->DrawIText(&style, empty, &r));
  EXPECT_TRUE(gui->DrawIText(&style, nullptr, &r));
  EXPECT_EQ(TheFontStorage().Count(), fonts);
  EXPECT_EQ(style.mCached, nullptr);
}

TEST_F(DrawingTest, PixelsOutsideTheWindowAreLeftAlone) {
  gui->ForcePixel(&COLOR_RED, -1, 5);
  gui->ForcePixel(&COLOR_RED, 320, 5);
  gui->ForcePixel(&COLOR_RED, 3, 4);
  EXPECT_EQ(gui->GetPoint(3, 4), COLOR_RED);
  EXPECT_EQ(gui->GetPoint(400, 4), COLOR_TRANSPARENT);
}

// ---- Prompts ---------------------------------------------------------------------

TEST_F(DrawingTest, TheMenuPromptListsTheDisplayTextsAndTakesTheChosenIndex) {
  IControl* wave = Attach(new IControl(&plug, IRECT(10, 10, 60, 30), GuiTestPlug::kWave));
  IRECT where(10, 10, 60, 30);
  plug.GetParam(GuiTestPlug::kWave)->Set(1.0);
  gui->PromptUserInput(wave, plug.GetParam(GuiTestPlug::kWave), &where);
  ASSERT_EQ(gui->menus.size(), 1u);
  EXPECT_EQ(gui->menus[0].checked, 1);
  EXPECT_TRUE(plug.Changes().empty()) << "dismissed: nothing changes";

  // A current value without a text: no check mark.
  plug.GetParam(GuiTestPlug::kWave)->Set(7.0);
  gui->choice = 2;
  gui->PromptUserInput(wave, plug.GetParam(GuiTestPlug::kWave), &where);
  EXPECT_EQ(gui->menus[1].checked, -1);
  EXPECT_EQ(wave->GetValue(), 1.0);
  gui->PromptUserInput(nullptr, plug.GetParam(GuiTestPlug::kWave), &where);
  EXPECT_EQ(gui->menus.size(), 2u);
}

// A list too long for the screen opens as submenus of ten, each titled by
// its first and last texts; an entry's value is its place in the whole list.
TEST_F(DrawingTest, ALongMenuPromptOpensInGroupsOfTen) {
  const int param = GuiTestPlug::kWave;  // an enumeration, given longer lists below
  IControl* control = Attach(new IControl(&plug, IRECT(10, 10, 60, 30), param));
  IRECT where(10, 10, 60, 30);
  constexpr double kUnchosen = 0.123;  // the control's value before each prompt
  const struct {
    int count;                        // display texts " 1", " 2", ... (numbers from 1, one blank before)
    std::vector<std::string> titles;  // of the groups; empty when the list opens whole
    int choice, subChoice;
    double value;  // the parameter's value chosen; -1 when nothing is
  } kCases[] = {
      {IGraphics::kPromptListLimit, {}, 23, -1, 23},
      {IGraphics::kPromptListLimit + 1, {"1 - 10", "11 - 20", "21 - 25"}, 2, 4, 24},
      {99,
       {"1 - 10", "11 - 20", "21 - 30", "31 - 40", "41 - 50", "51 - 60", "61 - 70", "71 - 80", "81 - 90",
        "91 - 99"},
       4,
       4,
       44},
      {99, {}, 0, -1, -1},  // a group's title chosen: no value
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::to_string(c.count) + " texts");
    IParam* p = plug.GetParam(param);
    p->InitEnum("Program", 0, c.count);
    p->ResetDisplayTexts();
    for (int v = 0; v < c.count; ++v) p->SetDisplayText(v, (" " + std::to_string(v + 1)).c_str());
    p->Set(c.count - 1);  // the last entry is checked
    gui->menus.clear();
    control->SetValue(kUnchosen);
    gui->choice = c.choice;
    gui->subChoice = c.subChoice;
    gui->PromptUserInput(control, p, &where);
    ASSERT_EQ(gui->menus.size(), 1u);
    const HeadlessGraphics::ShownMenu& shown = gui->menus[0];
    if (c.titles.empty() && c.value >= 0) {
      EXPECT_EQ(shown.items.size(), static_cast<size_t>(c.count));
      EXPECT_EQ(shown.checked, c.count - 1);
    } else if (!c.titles.empty()) {
      EXPECT_EQ(shown.items, c.titles);
      ASSERT_EQ(shown.submenus.size(), c.titles.size());
      EXPECT_EQ(shown.submenus.front().front(), " 1");
      EXPECT_EQ(shown.submenus.back().back(), " " + std::to_string(c.count));
      EXPECT_EQ(shown.submenuChecked.back(), static_cast<int>(shown.submenus.back().size()) - 1);
    }
    EXPECT_DOUBLE_EQ(control->GetValue(), c.value < 0 ? kUnchosen : p->GetNormalized(c.value));
  }
}

TEST_F(DrawingTest, TheTextPromptHoldsTheCurrentText) {
  IControl* cutoff = Attach(new IControl(&plug, IRECT(), GuiTestPlug::kCutoff));
  IControl* name = Attach(new IControl(&plug, IRECT(), GuiTestPlug::kName));
  IRECT where(0, 0, 30, 16);
  gui->PromptUserInput(cutoff, plug.GetParam(GuiTestPlug::kCutoff), &where);
  gui->PromptUserInput(name, plug.GetParam(GuiTestPlug::kName), &where);
  ASSERT_EQ(gui->entries.size(), 2u);
  EXPECT_EQ(gui->entries[0].text, "50.0");
  EXPECT_EQ(gui->entries[1].text, "INIT");
}

TEST_F(DrawingTest, TypedTextsBecomeValues) {
  plug.GetParam(GuiTestPlug::kCutoff)->SetNegateDisplay(true);
  const struct {
    int param;
    const char* text;
    double value;  // the control's value afterwards
  } kCases[] = {
      {GuiTestPlug::kWave, "Square", 0.5},      {GuiTestPlug::kWave, "square", 0.0},
      {GuiTestPlug::kSync, "on", 1.0},          {GuiTestPlug::kCutoff, "-3.5", 0.035},
      {GuiTestPlug::kCutoff, "  -42 Hz", 0.42}, {GuiTestPlug::kCutoff, "0x20", 0.0},
      {GuiTestPlug::kCutoff, "inf", 0.0},       {GuiTestPlug::kCutoff, "Hz", 0.0},
      {GuiTestPlug::kCutoff, nullptr, 0.0},
  };
  for (const auto& c : kCases) {
    IControl control(&plug, IRECT(), c.param);
    control.SetValue(0.77);
    gui->SetFromStringAfterPrompt(&control, plug.GetParam(c.param), c.text);
    EXPECT_NEAR(control.GetValue(), c.value, 1e-12) << (c.text ? c.text : "(null)");
  }
}

TEST_F(DrawingTest, ATypedNameBecomesTheTextParametersTextAndTogglesTheControl) {
  IControl name(&plug, IRECT(), GuiTestPlug::kName);
  gui->SetFromStringAfterPrompt(&name, plug.GetParam(GuiTestPlug::kName), "Bass 1");
  EXPECT_STREQ(plug.GetParam(GuiTestPlug::kName)->GetDisplayText(0), "Bass 1");
  EXPECT_EQ(name.GetValue(), 0.0) << "toggled to 1, then set to the position of 0";
  const auto changes = plug.Changes();
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].value, 1.0);
  EXPECT_EQ(changes[1].value, 0.0);
  gui->SetFromStringAfterPrompt(&name, nullptr, "ignored");
  gui->SetFromStringAfterPrompt(nullptr, plug.GetParam(GuiTestPlug::kName), "ignored");
  EXPECT_STREQ(plug.GetParam(GuiTestPlug::kName)->GetDisplayText(0), "Bass 1");
}
