// Custom radio buttons: the button rectangles cut from one bitmap, which
// button is lit, what a click selects, and the refusal of groups that are
// too small.
#include <memory>

#include "KIT/IModule/IBitmapControls.h"
#include "src/ICustomRadioButtonsControl.h"
#include "tests/gui/gui_fixture.h"

namespace {

constexpr int kButtonW = 12, kButtonH = 10;

// Button i's unlit picture is red 20 (i + 1); its lit picture adds green 200.
PIX_pixel Unlit(int i) { return PIX_MakePixel(20 * (i + 1), 0, 0, 255); }
PIX_pixel Lit(int i) { return PIX_MakePixel(20 * (i + 1), 200, 0, 255); }

// All buttons in one bitmap: side by side with the lit row below, or (frames
// side by side) stacked with the lit column to the right.
std::unique_ptr<PIX_MemBitmap> RadioPicture(int n, bool framesSideBySide) {
  const int w = framesSideBySide ? 2 * kButtonW : n * kButtonW;
  const int h = framesSideBySide ? n * kButtonH : 2 * kButtonH;
  auto bm = std::make_unique<PIX_MemBitmap>(w, h, 4);
  for (int i = 0; i < n; ++i) {
    for (int lit = 0; lit < 2; ++lit) {
      const int x = framesSideBySide ? lit * kButtonW : i * kButtonW;
      const int y = framesSideBySide ? i * kButtonH : lit * kButtonH;
      PIX_FillRect(bm.get(), x, y, kButtonW, kButtonH, lit ? Lit(i) : Unlit(i), 1.0f, 0);
    }
  }
  return bm;
}

class CustomRadio : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    const IColor backdrop(255, 1, 2, 3);
    Attach(new IPanelControl(&plug, IRECT(0, 0, 320, 200), &backdrop));
  }

  // The group as the radio factory builds it: at (x, y), W x H / 2 (or W / 2
  // x H with frames side by side), horizontal unless the frames lie side by side.
  ICustomRadioButtonsControl* Group(int n, bool framesSideBySide, int x, int y, IRECT rect = IRECT()) {
    pictures.push_back(RadioPicture(n > 0 ? n : 1, framesSideBySide));
    PIX_MemBitmap* bm = pictures.back().get();
    IBitmap bitmap(bm, bm->getWidth(), bm->getHeight(), 2, framesSideBySide);
    if (rect.Empty())
      rect = framesSideBySide ? IRECT(x, y, x + bitmap.W / 2, y + bitmap.H)
                              : IRECT(x, y, x + bitmap.W, y + bitmap.H / 2);
    return Attach(new ICustomRadioButtonsControl(&plug, rect, GuiTestPlug::kFirstPlain, n, &bitmap,
                                                 framesSideBySide ? kVertical : kHorizontal));
  }

  PIX_pixel Centre(const IRECT* r) { return Pixel((r->L + r->R) / 2, (r->T + r->B) / 2); }

  std::vector<std::unique_ptr<PIX_MemBitmap>> pictures;
};

TEST_F(CustomRadio, buttons_are_cut_from_the_bitmap_in_its_layout) {
  ICustomRadioButtonsControl* row = Group(4, false, 20, 30);
  ASSERT_EQ(row->NButtons(), 4);
  EXPECT_EQ(row->ButtonWidth(), kButtonW);
  EXPECT_EQ(row->ButtonHeight(), kButtonH);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(*row->GetButtonRECT(i), IRECT(20 + 12 * i, 30, 32 + 12 * i, 40)) << i;

  ICustomRadioButtonsControl* column = Group(3, true, 100, 40);
  ASSERT_EQ(column->NButtons(), 3);
  EXPECT_EQ(column->ButtonWidth(), kButtonW);
  EXPECT_EQ(column->ButtonHeight(), kButtonH);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(*column->GetButtonRECT(i), IRECT(100, 40 + 10 * i, 112, 50 + 10 * i)) << i;
}

TEST_F(CustomRadio, the_value_lights_one_button_each_with_its_own_picture) {
  const struct {
    int n;
    bool sideBySide;
    double value;
    int lit;
  } kCases[] = {
      {4, false, 1.0 / 3.0, 1}, {3, false, 0.9, 2}, {3, false, 0.2, 0},  {3, true, 0.9, 2},
      {3, true, 0.5, 1},        {3, false, 7.0, 2}, {3, false, -0.4, 0},
  };
  for (const auto& c : kCases) {
    ICustomRadioButtonsControl* group = Group(c.n, c.sideBySide, 40, 60);
    group->SetValue(c.value);
    DrawAll();
    for (int i = 0; i < c.n; ++i)
      EXPECT_EQ(Centre(group->GetButtonRECT(i)), i == c.lit ? Lit(i) : Unlit(i))
          << c.n << " buttons, value " << c.value << ", button " << i;
    group->Hide(true);  // out of the way of the next case
  }
}

TEST_F(CustomRadio, a_grayed_group_still_draws_at_full_strength) {
  ICustomRadioButtonsControl* group = Group(3, false, 40, 60);
  group->SetValue(1.0);
  group->GrayOut(true);
  DrawAll();
  EXPECT_EQ(Centre(group->GetButtonRECT(2)), Lit(2));
  EXPECT_EQ(Centre(group->GetButtonRECT(0)), Unlit(0));
}

TEST_F(CustomRadio, a_click_selects_the_button_under_the_mouse_and_sends_it) {
  ICustomRadioButtonsControl* group = Group(4, false, 20, 30);
  group->SetValue(1.0 / 3.0);
  IMouseMod left(true);
  gui->OnMouseDown(20 + 3 * 12 + 5, 35, &left);
  gui->OnMouseUp(20 + 3 * 12 + 5, 35, &left);
  EXPECT_DOUBLE_EQ(group->GetValue(), 1.0);
  const auto changes = plug.Changes();
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back().index, GuiTestPlug::kFirstPlain);
  EXPECT_DOUBLE_EQ(changes.back().value, 1.0);
}

TEST_F(CustomRadio, a_click_in_a_gap_keeps_the_value_and_still_sends_it) {
  ICustomRadioButtonsControl* group = Group(4, false, 20, 30, IRECT(20, 30, 80, 45));
  group->SetValue(2.0 / 3.0);
  IMouseMod left(true);
  gui->OnMouseDown(75, 42, &left);
  EXPECT_DOUBLE_EQ(group->GetValue(), 2.0 / 3.0);
  const auto changes = plug.Changes();
  ASSERT_FALSE(changes.empty());
  for (const auto& change : changes) EXPECT_DOUBLE_EQ(change.value, 2.0 / 3.0);
}

TEST_F(CustomRadio, right_clicks_double_clicks_and_hover_select_nothing) {
  ICustomRadioButtonsControl* group = Group(3, false, 20, 30);
  group->SetValue(0.0);
  IMouseMod right(false, true);
  IMouseMod left(true);
  const int x = 20 + 2 * 12 + 3, y = 35;
  group->OnMouseDown(x, y, &right);
  group->OnMouseDownCustom(x, y, &right);
  group->OnMouseDblClick(x, y, &left);
  group->OnMouseOver(x, y, &left);
  EXPECT_DOUBLE_EQ(group->GetValue(), 0.0);
}

// A column of lights: one frame per value, frame k the whole column with
// light k lit (each light its own colour, red 30 (i + 1); lit adds green).
class LightColumn : public CustomRadio {
 protected:
  static constexpr int kLights = 3, kLightSize = 16, kHitWidth = 60;

  ICustomRadioButtonsControl* Column(int x, int y) {
    auto bm = std::make_unique<PIX_MemBitmap>(kLightSize, kLights * kLights * kLightSize, 4);
    for (int frame = 0; frame < kLights; ++frame)
      for (int i = 0; i < kLights; ++i)
        PIX_FillRect(bm.get(), 0, (frame * kLights + i) * kLightSize, kLightSize, kLightSize,
                     PIX_MakePixel(30 * (i + 1), i == frame ? 200 : 0, 0, 255), 1.0f, 0);
    IBitmap bitmap(bm.get(), bm->getWidth(), bm->getHeight(), kLights, false);
    pictures.push_back(std::move(bm));
    return Attach(new ICustomRadioButtonsControl(&plug, IRECT(x, y, x + kHitWidth, y + kLights * kLightSize),
                                                 GuiTestPlug::kFirstPlain, kLights, &bitmap, kVertical));
  }
  // The middle of light i, and of the name written beside it.
  static int LightX(int x) { return x + kLightSize / 2; }
  static int NameX(int x) { return x + kHitWidth - 4; }
  static int RowY(int y, int i) { return y + i * kLightSize + kLightSize / 2; }
};

TEST_F(LightColumn, shows_the_frame_of_its_value) {
  ICustomRadioButtonsControl* column = Column(40, 20);
  ASSERT_TRUE(column->IsLightColumn());
  ASSERT_EQ(column->NButtons(), kLights);
  for (int value = 0; value < kLights; ++value) {
    column->SetValue(value / 2.0);
    DrawAll();
    for (int i = 0; i < kLights; ++i)
      EXPECT_EQ(Pixel(LightX(40), RowY(20, i)), PIX_MakePixel(30 * (i + 1), i == value ? 200 : 0, 0, 255))
          << "value " << value << ", light " << i;
    // The names beside the lights are the picture's, not the column's.
    EXPECT_EQ(Pixel(NameX(40), RowY(20, 1)), PIX_MakePixel(1, 2, 3, 255));
  }
}

TEST_F(LightColumn, a_click_on_a_light_or_on_its_name_chooses_that_value) {
  ICustomRadioButtonsControl* column = Column(40, 20);
  const struct {
    const char* why;
    int x, y;
    double value;
  } kCases[] = {
      {"the last light", LightX(40), RowY(20, 2), 1.0},
      {"the first light's name", NameX(40), RowY(20, 0), 0.0},
      {"the middle light's name", NameX(40), RowY(20, 1), 0.5},
      {"right of the names: no light", 40 + kHitWidth + 2, RowY(20, 2), 0.5},
  };
  IMouseMod left(true);
  for (const auto& c : kCases) {
    gui->OnMouseDown(c.x, c.y, &left);
    gui->OnMouseUp(c.x, c.y, &left);
    EXPECT_DOUBLE_EQ(column->GetValue(), c.value) << c.why;
  }
}

TEST_F(LightColumn, two_frames_are_a_strip_of_buttons_not_a_column) {
  ICustomRadioButtonsControl* strip = Group(2, false, 20, 30);
  EXPECT_FALSE(strip->IsLightColumn());
  ICustomRadioButtonsControl* wide = Group(3, false, 20, 60);
  EXPECT_FALSE(wide->IsLightColumn()) << "two states, three buttons";
}

TEST_F(CustomRadio, groups_of_fewer_than_two_buttons_are_refused) {
  ErrorLines errors;
  for (int n : {1, 0, -3}) {
    ICustomRadioButtonsControl* group = Group(n, false, 20, 30, IRECT(20, 30, 60, 40));
    EXPECT_EQ(group->NButtons(), 0) << n;
    EXPECT_EQ(errors.Take().size(), 1u) << n;
    group->SetValue(0.0);
    IMouseMod left(true);
    group->OnMouseDown(25, 35, &left);  // no division by zero, no selection
    EXPECT_DOUBLE_EQ(group->GetValue(), 0.0) << n;
    DrawAll();
    EXPECT_EQ(Pixel(25, 35), PIX_MakePixel(1, 2, 3, 255)) << n;  // nothing drawn over the backdrop
    group->Hide(true);
  }
}

}  // namespace
