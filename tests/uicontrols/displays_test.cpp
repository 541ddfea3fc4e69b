// Value and name displays: rectangles at each GUI scale, the display font
// and colours, their binding to the parameter's control action, the name
// fields' first texts and text entry, and the refusals.
#include <climits>
#include <string>
#include <vector>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IBitmapControls.h"
#include "KIT/IModule/ITextControls.h"
#include "platform/view/ViewTextEntry.h"
#include "src/ControlAction.h"
#include "src/EditorParams.h"
#include "src/ValueDisplays.h"
#include "tests/gui/gui_fixture.h"

namespace {

class Displays : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    const IColor black = COLOR_BLACK;
    Attach(new IPanelControl(&plug, IRECT(0, 0, 320, 200), &black));
  }
  void TearDown() override { releaseControlActions(&plug); }

  UIConfigLog Log() {
    return [this](const std::string& line) { log.push_back(line); };
  }
  // Pixels of the rectangle whose colour is close to the given one.
  int PixelsNear(const IRECT& r, const IColor& colour) {
    int count = 0;
    for (int y = r.T; y < r.B; ++y)
      for (int x = r.L; x < r.R; ++x) {
        const IColor c = IColor::FromPixel(Pixel(x, y));
        if (std::abs(c.R - colour.R) < 24 && std::abs(c.G - colour.G) < 24 && std::abs(c.B - colour.B) < 24)
          ++count;
      }
    return count;
  }

  std::vector<std::string> log;
};

TEST_F(Displays, rectangles_and_font_size_follow_the_gui_scale) {
  const struct {
    double scale;
    IRECT rect;
    int fontSize;
  } kCases[] = {
      {0.75, IRECT(75, 15, 135, 27), 12},
      {1.0, IRECT(100, 20, 180, 36), 16},
      {1.25, IRECT(125, 25, 225, 45), 20},
      {1.5, IRECT(150, 30, 270, 54), 24},
  };
  for (const auto& c : kCases) {
    ITextControl* display =
        buildControlDisplay(&plug, gui, c.scale, kControlDisplayName, 100, 20, 80, 16, nullptr, 0, Log());
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->GetRECT(), c.rect) << c.scale;
    EXPECT_EQ(display->GetText()->mSize, c.fontSize) << c.scale;
  }
  // Each value is scaled and truncated on its own.
  EXPECT_EQ(scaledDisplayRect(101, 21, 81, 17, 0.75), IRECT(75, 15, 135, 27));
  // Edges past the int range stop at its ends (a description may say any
  // coordinates).
  EXPECT_EQ(scaledDisplayRect(INT_MAX - 5, INT_MIN + 5, 10, -10, 1.0),
            IRECT(INT_MAX - 5, INT_MIN + 5, INT_MAX, INT_MIN));
}

TEST_F(Displays, display_style_is_the_monospace_face_centred_with_the_variant_colour) {
  const struct {
    int variant;
    IColor colour;
  } kCases[] = {
      {0, IColor(255, 66, 240, 100)},
      {1, IColor(255, 66, 240, 100)},
      {2, IColor(255, 0, 174, 255)},
      {3, IColor(255, 66, 240, 100)},
  };
  for (const auto& c : kCases) {
    ITextControl* display =
        buildControlDisplay(&plug, gui, 1.0, kControlDisplayValue, 10, 10, 80, 16, nullptr, c.variant, Log());
    ASSERT_NE(display, nullptr);
    const IText* style = display->GetText();
    EXPECT_STREQ(style->mFont, "NK57 Monospace");
    EXPECT_EQ(style->mColor, c.colour) << c.variant;
    EXPECT_EQ(style->mStyle, IText::kStyleNormal);
    EXPECT_EQ(style->mAlign, IText::kAlignCenter);
    EXPECT_EQ(style->mVAlign, IText::kVAlignMiddle);
    EXPECT_EQ(style->mOrientation, 0);
    EXPECT_EQ(style->mQuality, IText::kQualityClearType);
    EXPECT_EQ(style->mTextEntryBGColor, DEFAULT_TEXT_ENTRY_BGCOLOR);
    EXPECT_EQ(style->mTextEntryFGColor, DEFAULT_TEXT_ENTRY_FGCOLOR);
    EXPECT_TRUE(display->GetPromptDisabled());
  }
}

TEST_F(Displays, both_faces_resolve_to_an_installed_font) {
  for (const char* face : {"NK57 Monospace", "Consolas"}) {
    const IColor white = COLOR_WHITE;
    IText style(16, &white, face);
    EXPECT_NE(gui->CacheFont(&style), nullptr) << face;
  }
}

TEST_F(Displays, a_display_draws_its_text_legibly_in_its_colour) {
  ITextControl* green =
      buildControlDisplay(&plug, gui, 1.0, kControlDisplayName, 10, 10, 160, 20, nullptr, 0, Log());
  ITextControl* blue =
      buildControlDisplay(&plug, gui, 1.0, kControlDisplayCC, 10, 50, 160, 20, nullptr, 2, Log());
  ASSERT_NE(green, nullptr);
  ASSERT_NE(blue, nullptr);
  green->SetTextFromPlug("Filter Cutoff");
  blue->SetTextFromPlug("CC|74");
  DrawAll();
  // Glyphs cover a fair share of the box in the display's colour, and the
  // other display's colour is nowhere in it.
  EXPECT_GT(PixelsNear(green->GetRECT(), kDisplayGreen), 40);
  EXPECT_EQ(PixelsNear(green->GetRECT(), kDisplayBlue), 0);
  EXPECT_GT(PixelsNear(blue->GetRECT(), kDisplayBlue), 20);
  EXPECT_EQ(PixelsNear(blue->GetRECT(), kDisplayGreen), 0);
}

TEST_F(Displays, displays_bind_to_the_parameters_record_first_one_first) {
  IParam* param = plug.GetParam(kControlDisplayName);
  ControlAction* earlier = bindControlAction(param, nullptr, kActionCC);
  earlier->ccNumber = 12;
  ITextControl* first =
      buildControlDisplay(&plug, gui, 1.0, kControlDisplayName, 0, 0, 50, 10, nullptr, 0, Log());
  ITextControl* second =
      buildControlDisplay(&plug, gui, 1.0, kControlDisplayName, 0, 20, 50, 10, nullptr, 0, Log());
  ControlAction* action = param->GetControlAction();
  ASSERT_EQ(action, earlier);
  EXPECT_EQ(action->kind, kActionNone);
  EXPECT_EQ(action->ccNumber, 12);  // kept
  ASSERT_EQ(action->controls.size(), 2u);
  EXPECT_EQ(action->controls[0], first);
  EXPECT_EQ(action->controls[1], second);
}

TEST_F(Displays, a_display_goes_into_its_layer_or_else_onto_the_gui) {
  auto* layer = new ControlLayer(3, "envelopes");
  gui->AttachLayer(layer);
  const int attached = gui->NControls();
  ITextControl* inLayer =
      buildControlDisplay(&plug, gui, 1.0, kControlDisplayName, 0, 0, 50, 10, layer, 0, Log());
  EXPECT_EQ(layer->controls.Get(0), inLayer);
  EXPECT_EQ(gui->NControls(), attached);
  ICaptionControl* onGui =
      buildNameDisplay(&plug, gui, 1.0, "Patch Name", kPatchName, 0, 20, 80, 12, 14, nullptr, "", Log());
  EXPECT_EQ(gui->GetControl(gui->NControls() - 1), onGui);
  EXPECT_EQ(layer->controls.GetSize(), 1);
}

TEST_F(Displays, name_fields_show_their_first_text_in_their_colour) {
  const struct {
    int param;
    const char* text;
    IColor colour;
  } kCases[] = {
      {kPatchName, "-- INIT --", kDisplayGreen},
      {kPatchSearchString, "search...", kDisplayLightGrey},
      {kPatchRename, "New Name", kDisplayLightGrey},
      {kControlDisplayPatch, "", kDisplayGreen},
  };
  for (const auto& c : kCases) {
    ICaptionControl* field =
        buildNameDisplay(&plug, gui, 1.25, "Field", c.param, 40, 40, 100, 16, 16, nullptr, "Timbre 1", Log());
    ASSERT_NE(field, nullptr) << c.param;
    IParam* param = plug.GetParam(c.param);
    EXPECT_EQ(param->Type(), IParam::kTypeText) << c.param;
    EXPECT_STREQ(param->GetNameForHost(), "Field");
    EXPECT_STREQ(param->GetParamGroupForHost(), "Timbre 1");
    EXPECT_STREQ(param->GetDisplayText(0), c.text) << c.param;
    EXPECT_EQ(field->GetText()->mColor, c.colour) << c.param;
    EXPECT_STREQ(field->GetText()->mFont, "NK57 Monospace");
    EXPECT_EQ(field->GetText()->mSize, 20);
    EXPECT_EQ(field->GetRECT(), IRECT(50, 50, 175, 70));
    EXPECT_EQ(field->ParamIdx(), c.param);
    EXPECT_EQ(param->GetControlAction()->controls.front(), field);
    EXPECT_EQ(param->GetControlAction()->kind, kActionNone);
  }
}

TEST_F(Displays, a_click_on_a_name_field_opens_a_text_entry_of_its_length) {
  ICaptionControl* limited =
      buildNameDisplay(&plug, gui, 1.0, "Patch Name", kPatchName, 10, 10, 100, 16, 16, nullptr, "", Log());
  ICaptionControl* unlimited =
      buildNameDisplay(&plug, gui, 1.0, "Search", kPatchSearchString, 10, 40, 100, 16, 0, nullptr, "", Log());
  EXPECT_EQ(limited->GetTextEntryLength(), 16);
  EXPECT_EQ(unlimited->GetTextEntryLength(), 0);
  IMouseMod left(true);
  gui->OnMouseDown(50, 15, &left);
  gui->OnMouseUp(50, 15, &left);
  ASSERT_EQ(gui->entries.size(), 1u);
  EXPECT_EQ(gui->entries[0].control, limited);
  EXPECT_EQ(gui->entries[0].text, "-- INIT --");
}

// The window's text field takes the control's length as its limit.
TEST_F(Displays, a_name_field_of_length_16_refuses_a_17th_character) {
  ICaptionControl* limited =
      buildNameDisplay(&plug, gui, 1.0, "Patch Name", kPatchName, 10, 10, 100, 16, 16, nullptr, "", Log());
  ICaptionControl* unlimited =
      buildNameDisplay(&plug, gui, 1.0, "Search", kPatchSearchString, 10, 40, 100, 16, 0, nullptr, "", Log());
  const struct {
    ICaptionControl* field;
    size_t kept;
  } kCases[] = {{limited, 16}, {unlimited, 40}};
  for (const auto& c : kCases) {
    ViewTextEntryRequest request;
    request.maxLength = c.field->GetTextEntryLength();
    ViewTextEntry entry(request);
    ViewTextEntry::KeyResult last = ViewTextEntry::kEdited;
    for (int i = 0; i < 40; ++i) last = entry.Key(kViewSpecialNone, "A");
    EXPECT_EQ(entry.Text().size(), c.kept);
    EXPECT_EQ(last, c.kept < 40 ? ViewTextEntry::kRefused : ViewTextEntry::kEdited);
  }
}

TEST_F(Displays, a_read_only_display_opens_nothing) {
  buildControlDisplay(&plug, gui, 1.0, kControlDisplayName, 10, 10, 100, 16, nullptr, 0, Log());
  IMouseMod left(true), right(false, true);
  gui->OnMouseDown(50, 15, &left);
  gui->OnMouseUp(50, 15, &left);
  gui->OnMouseDown(50, 15, &right);
  gui->OnMouseDblClick(50, 15, &left);
  EXPECT_TRUE(gui->entries.empty());
  EXPECT_TRUE(gui->menus.empty());
}

TEST_F(Displays, displays_without_a_parameter_or_a_place_are_refused_and_logged) {
  const int attached = gui->NControls();
  EXPECT_EQ(buildControlDisplay(&plug, gui, 1.0, 400, 0, 0, 10, 10, nullptr, 0, Log()), nullptr);
  EXPECT_EQ(buildControlDisplay(&plug, gui, 1.0, -1, 0, 0, 10, 10, nullptr, 0, Log()), nullptr);
  EXPECT_EQ(buildNameDisplay(&plug, gui, 1.0, "x", 1000, 0, 0, 10, 10, 0, nullptr, "", Log()), nullptr);
  EXPECT_EQ(buildControlDisplay(&plug, nullptr, 1.0, kControlDisplayName, 0, 0, 10, 10, nullptr, 0, Log()),
            nullptr);
  EXPECT_EQ(gui->NControls(), attached);
  ASSERT_EQ(log.size(), 4u);
  for (const auto& line : log) EXPECT_EQ(line.rfind("CONFIG READER: ", 0), 0u) << line;
  EXPECT_EQ(plug.GetParam(kControlDisplayName)->GetControlAction(), nullptr);
}

}  // namespace

namespace {

// Long texts are cut to their field around "...", keeping more of the end;
// one pixel a character.
TEST(FitTextToWidth, keepsWhatFitsAndCutsTheMiddleOfTheRest) {
  const auto measure = [](const std::string& text) { return static_cast<int>(text.size()); };
  const struct {
    const char *text, *fitted;
    int width;
  } kCases[] = {
      {"", "", 0},
      {"OFF", "OFF", 3},
      {"varno-sim-01:Varno Out", "varno-sim-01:Varno Out", 22},
      {"varno-sim-01:Varno Out", "varno-...Varno Out", 18},
      {"varno-sim-01:Varno Out", "...ut", 5},
      {"varno-sim-01:Varno Out", "...", 2},
  };
  for (const auto& c : kCases) EXPECT_EQ(fitTextToWidth(c.text, c.width, measure), c.fitted) << c.text;
}

}  // namespace
