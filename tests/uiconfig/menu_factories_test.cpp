// The menu field factories: the drop-down menus of the editor's own
// choices (texts, rectangle, colour, prompt, no MIDI) and the
// multi-selection menus of sound parameters (texts, 13-unit field, record
// and reverse lookup).
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/ITextControls.h"
#include "src/EditorParams.h"
#include "tests/uiconfig/factory_fixture.h"

namespace {

using MenuFactories = FactoryTest;

constexpr int kParam = 60;

std::vector<std::string> displayTexts(IParam* p) {
  std::vector<std::string> texts;
  for (int k = 0; k < p->GetNDisplayTexts(); ++k) texts.push_back(p->GetDisplayTextAtIdx(k));
  return texts;
}

IRECT scaled(int x, int y, int w, int h, double s) {
  const int l = static_cast<int>(x * s), t = static_cast<int>(y * s);
  return IRECT(l, t, l + static_cast<int>(w * s), t + static_cast<int>(h * s));
}

}  // namespace

TEST_F(MenuFactories, DropDownFieldsAtEveryScale) {
  const Values three = {"Low", "Mid", "High"};
  for (const double s : kFactoryScales) {
    SCOPED_TRACE("scale " + std::to_string(s));
    build(s);
    ControlLayer* settings = layer("settings");

    real->createDropDownMenu2("Range", kParam, 10, 20, 80, 15, 1, 0, 3, three, 1, settings, "Setup");
    auto* menu = dynamic_cast<ICaptionControl*>(lastControl(settings));
    ASSERT_NE(nullptr, menu);
    EXPECT_EQ(scaled(10, 20, 80, 15, s), menu->GetRECT());
    EXPECT_EQ(static_cast<int>(15 * s), menu->GetText()->mSize);
    EXPECT_EQ(IColor(254, 255, 173, 0), menu->GetText()->mColor);
    EXPECT_STREQ("NK57 Monospace", menu->GetText()->mFont);
    EXPECT_FALSE(menu->GetPromptDisabled());
    EXPECT_STREQ("Range", param(kParam)->GetNameForHost());
    EXPECT_STREQ("Timbre 2:Setup", param(kParam)->GetParamGroupForHost());
    EXPECT_EQ(2.0, param(kParam)->GetMax());
    EXPECT_EQ(1.0, param(kParam)->GetDefault());
    EXPECT_EQ(three, displayTexts(param(kParam)));
    EXPECT_EQ(kActionNone, action(kParam)->kind);

    real->createDropDownMenu("Text", kParam + 1, 10, 40, 80, 15, -1, settings, "");
    auto* text = dynamic_cast<ICaptionControl*>(lastControl(settings));
    ASSERT_NE(nullptr, text);
    EXPECT_TRUE(text->GetPromptDisabled());
    EXPECT_EQ(IColor(255, 255, 173, 0), text->GetText()->mColor);
    EXPECT_EQ(std::vector<std::string>{"----"}, displayTexts(param(kParam + 1)));
    releaseControlActions(editor.get());
  }
}

TEST_F(MenuFactories, DropDownTextsOrNoField) {
  build();
  ControlLayer* settings = layer("settings");
  // A list of the wrong size gives no field (logged); the parameter is set up.
  real->createDropDownMenu2("Range", kParam, 0, 0, 80, 15, 0, 0, 3, {"a", "b"}, -1, settings, "");
  EXPECT_EQ(0, settings->controls.GetSize());
  EXPECT_EQ(nullptr, action(kParam));
  EXPECT_TRUE(logged("has 2 texts for 3 entries"));

  struct Case {
    const char* what;
    int paramIdx, b2, b3, d1, d2, visible;
    Values texts;
    bool white;
    std::vector<std::string> expected;  // empty: no field
    IColor colour;
    bool prompt;
  };
  const IColor orange(255, 255, 173, 0), grey(255, 225, 225, 225), green(255, 66, 240, 100),
      hidden(0, 255, 173, 0);
  const Case cases[] = {
      {"list", kParam + 1, 0, 2, -1, -1, 1, {"x", "y"}, false, {"x", "y"}, orange, true},
      {"numbers",
       kParam + 2,
       0,
       12,
       1,
       16,
       1,
       {},
       true,
       {" 1", " 2", " 3", " 4", " 5", " 6", " 7", " 8", " 9", "10", "11", "12"},
       grey,
       true},
      {"no list and no range", kParam + 3, 0, 3, -1, -1, 1, {}, false, {}, orange, true},
      {"hidden", kParam + 4, 0, 2, 5, 6, 0, {}, false, {" 5", " 6"}, hidden, true},
      {"current bank", kCurrentBank, 0, 3, 1, 3, 1, {}, false, {"P.", "P.", "P."}, green, false},
      {"current patch", kCurrentPatch, 0, 2, 0, 1, 1, {}, true, {" 0", " 1"}, green, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int before = settings->controls.GetSize();
    real->createNoValDropDown("M", c.paramIdx, 0, 0, 40, 12, 0, c.b2, c.b3, c.d1, c.d2, c.visible, c.texts,
                              -1, settings, "", c.white);
    EXPECT_EQ(nullptr, action(c.paramIdx)) << "these menus have no record";
    if (c.expected.empty()) {
      EXPECT_EQ(before, settings->controls.GetSize());
      continue;
    }
    auto* field = dynamic_cast<ICaptionControl*>(lastControl(settings));
    ASSERT_NE(nullptr, field);
    EXPECT_EQ(c.expected, displayTexts(param(c.paramIdx)));
    EXPECT_EQ(c.colour, field->GetText()->mColor);
    EXPECT_EQ(c.prompt, !field->GetPromptDisabled());
  }
}

TEST_F(MenuFactories, MidiPortChoiceStartsWithOffAndLiesOnTheGui) {
  build();
  ControlLayer* settings = layer("settings");
  real->createMIDIDeviceSelectionControl("MIDI Setup", kParam, 5, 5, 100, 15, 1, -1, settings, "Setup");
  EXPECT_EQ(0, settings->controls.GetSize());
  auto* field = dynamic_cast<ICaptionControl*>(lastControl(nullptr));
  ASSERT_NE(nullptr, field);
  EXPECT_STREQ("Device Selection", param(kParam)->GetNameForHost());
  EXPECT_STREQ("", param(kParam)->GetParamGroupForHost());
  ASSERT_GE(param(kParam)->GetNDisplayTexts(), 1);
  EXPECT_STREQ("OFF", param(kParam)->GetDisplayTextAtIdx(0));
  EXPECT_EQ(IColor(255, 0, 174, 255), field->GetText()->mColor);
}

namespace {

enum Kind { kCCMenu, kMsbLsbMenu, kSysExMenu };

struct SelectionCase {
  const char* what;
  Kind kind;
  int instance;
  const char* layer;
  const char* name;
  int channel;
  int mixerLayer;
};

const SelectionCase kSelectionCases[] = {
    {"CC menu in a mixer", kCCMenu, -1, "miniMixer", "Shape", 1, 1},
    {"CC menu in instance 1", kCCMenu, 1, "part", "[2] Shape", 2, 0},
    {"CC menu without a layer", kCCMenu, -1, nullptr, "Shape", 0, 0},
    {"MSB/LSB menu", kMsbLsbMenu, 0, "part", "[1] Shape", 1, 0},
    {"MSB/LSB menu in a mixer", kMsbLsbMenu, 0, "multiModeSettingsPage1", "[1] Shape", 1, 1},
    {"SysEx menu", kSysExMenu, 1, "part", "[2] Shape", -1, -1},
};

}  // namespace

TEST_F(MenuFactories, SelectionFieldsRecordsAndLookupsAtEveryScale) {
  const Values four = {"Saw", "Square", "Triangle", "Sine"};
  for (const double s : kFactoryScales) {
    for (const SelectionCase& c : kSelectionCases) {
      SCOPED_TRACE(std::string(c.what) + " at scale " + std::to_string(s));
      build(s);
      ControlLayer* in = c.layer ? layer(c.layer) : nullptr;
      switch (c.kind) {
        case kCCMenu:
          real->createMultiSelectionCCControl(20, 1, "Shape", kParam, 17, 29, 60, 13, 0, 0, 4, -1, -1, four,
                                              c.instance, in, "Osc");
          break;
        case kMsbLsbMenu:
          real->createMsbLsbSelectionCCControl(6, 1, 40, 2, 1, "Shape", kParam, 17, 29, 60, 13, 0, 0, 4, -1,
                                               -1, four, c.instance, in, "Osc");
          break;
        case kSysExMenu:
          real->createMultiSelectionSysExControl("Shape", kParam, 17, 29, 60, 13, 0, 0, 4, -1, -1, four, 0, 0,
                                                 0, 8, c.instance, in, "Osc");
          break;
      }
      auto* field = dynamic_cast<ICaptionControl*>(lastControl(in));
      ASSERT_NE(nullptr, field);
      EXPECT_EQ(scaled(17, 29, 60, 13, s), field->GetRECT());
      EXPECT_EQ(static_cast<int>(13 * s), field->GetText()->mSize);
      EXPECT_EQ(IColor(254, 255, 173, 0), field->GetText()->mColor);
      EXPECT_FALSE(field->GetPromptDisabled());
      IParam* p = param(kParam);
      EXPECT_STREQ(c.name, p->GetNameForHost());
      EXPECT_EQ(0.0, p->GetMin());
      EXPECT_EQ(3.0, p->GetMax());
      EXPECT_EQ(1.0, p->GetStep());
      EXPECT_EQ(four, displayTexts(p));

      ControlAction* record = action(kParam);
      ASSERT_NE(nullptr, record);
      EXPECT_EQ(c.channel, record->channel);
      EXPECT_EQ(c.mixerLayer, record->mixerLayer);
      ASSERT_EQ(1u, record->controls.size());
      EXPECT_EQ(field, record->controls[0]);
      switch (c.kind) {
        case kCCMenu:
          EXPECT_EQ(kActionCC, record->kind);
          EXPECT_EQ(field, findCCControl(real->ccControls, c.channel, 20, c.mixerLayer));
          break;
        case kMsbLsbMenu:
          EXPECT_EQ(kActionMsbLsb, record->kind);
          EXPECT_EQ(field, real->nrpnControls.findControl(c.channel, 1, 40, 2, c.mixerLayer));
          break;
        case kSysExMenu:
          EXPECT_EQ(kActionSysEx, record->kind);
          // One message more than the menu has values.
          ASSERT_EQ(5u, record->sysex.messages.size());
          EXPECT_EQ(4, record->sysex.messages[4][7]);
          EXPECT_EQ(field, real->sysexControls.findControl(0x00, 0x30, 0x02, 0x05, 0));
          break;
      }
      releaseControlActions(editor.get());
    }
  }
}

TEST_F(MenuFactories, SelectionNumbersOrNothing) {
  build();
  ControlLayer* part = layer("part");
  real->createMultiSelectionSysExControl("S", kParam, 0, 0, 60, 13, 0, 0, 3, 1, 3, {}, 0, 0, 0, 8, -1, part,
                                         "");
  EXPECT_EQ((std::vector<std::string>{"1", "2", "3"}), displayTexts(param(kParam)));
  ASSERT_EQ(4u, action(kParam)->sysex.messages.size());
  // Neither a matching list nor a range: no field, no record, no lookup.
  real->createMultiSelectionCCControl(21, 1, "C", kParam + 1, 0, 0, 60, 13, 0, 0, 4, -1, -1, {"a"}, -1, part,
                                      "");
  EXPECT_EQ(1, part->controls.GetSize());
  EXPECT_EQ(nullptr, action(kParam + 1));
  EXPECT_EQ(nullptr, findCCControl(real->ccControls, 0, 21, 0));
  EXPECT_TRUE(logged("has neither 4 texts nor a number range"));
}
