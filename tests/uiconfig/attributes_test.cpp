// The attribute parsers, the parameter group label and the UI-only switch.
#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IBitmapControls.h"
#include "tests/uiconfig/uiconfig_fixture.h"

namespace {

class Attributes : public UIConfigTest {
 protected:
  void SetUp() override {
    UIConfigTest::SetUp();
    manager->readUIConfig(gui.get(), editor.get(), nullptr, 0, 1.0);  // tables filled, no descriptions
    takeLog();
  }
};

typedef std::vector<int> Ints;

TEST_F(Attributes, GetCSValuesReadsDecimalsAndLeavesTheRestAlone) {
  const struct {
    const char* why;
    const char* text;
    int count;
    Ints values;  // starting from 99 each
  } cases[] = {
      {"fewer numbers than asked for", "10, 20 ,30", 4, {10, 20, 30, 99}},
      {"empty pieces are skipped", ",,5,,7", 2, {5, 7}},
      {"trailing characters are ignored", "12abc", 1, {12}},
      {"a piece that is no number is left alone", "abc,4", 2, {99, 4}},
      {"more numbers than asked for", "1,2,3", 2, {1, 2}},
      {"signs", "-5,+6", 2, {-5, 6}},
      {"a number too large for an int is left alone", "99999999999,1", 2, {99, 1}},
      {"empty text", "", 2, {99, 99}},
  };
  for (const auto& c : cases) {
    Ints values(c.values.size(), 99);
    manager->getCSValues(c.text, values.data(), c.count);
    EXPECT_EQ(c.values, values) << c.why;
  }
}

TEST_F(Attributes, GetBiDirectLinkValuesResolvesTwoNamesAndAnOptionalNumber) {
  const struct {
    const char* why;
    const char* text;
    int instance;
    Ints link;
  } cases[] = {
      {"one name is no link", "kFilterCutoff", 0, {-1, -1, -1}},
      {"two names and a number", "kFilterCutoff,kFilterResonance,3", 0, {39, 45, 3}},
      {"a fourth piece drops the number", "kFilterCutoff,kFilterResonance,3,4", 0, {39, 45, -1}},
      {"outside a multilayer nothing is shifted", "kFilterCutoff,kFilterResonance,3", -1, {39, 45, 3}},
      {"instance 2 shifts both names", "kFilterCutoff,kFilterResonance,3", 2, {41, 47, 3}},
      {"a third piece that is no number", "kFilterCutoff,kFilterResonance,x", 0, {39, 45, -1}},
      {"an unknown name stays -1 whatever the shift", "kTypo,kFilterResonance", 3, {-1, 48, -1}},
      {"a shift past the last parameter gives -1", "kLibrarianArea,kFilterCutoff", 1, {-1, 40, -1}},
      {"kTimbreLED names no parameter", "kTimbreLED,kFilterCutoff", 0, {-1, 39, -1}},
      {"empty text", "", 0, {-1, -1, -1}},
  };
  for (const auto& c : cases) {
    Ints link(3, 7);
    manager->getBiDirectLinkValues(c.text, link.data(), c.instance);
    EXPECT_EQ(c.link, link) << c.why;
  }
  EXPECT_TRUE(logged("CONFIG READER: parameter kTypo NOT FOUND!"));
}

TEST_F(Attributes, GetParamGroupLabelsInstancesAsTimbres) {
  const struct {
    int instance;
    const char* group;
    const char* label;
  } cases[] = {
      {-1, "Filter", "Filter"},   {-1, "", ""}, {0, "", "Timbre 1"}, {0, "Filter", "Timbre 1:Filter"},
      {2, "Osc", "Timbre 3:Osc"},
  };
  for (const auto& c : cases) EXPECT_STREQ(c.label, manager->getParamGroup(c.instance, c.group));
}

// ---- The UI-only switch --------------------------------------------------------

class UIOnlySwitch : public UIConfigTest {};

TEST_F(UIOnlySwitch, IsAScaledSwitchOfOneFrameBoundToItsParameter) {
  // BTN_CHECKBOX_ID is 30 x 40 in two frames; at scale 2 it is cached at
  // 60 x 80 and one frame is 60 x 40.
  read(2.0);
  ControlLayer layer(3, "page");
  manager->createNoValBoolControl("Clock", kSendMIDIClockInfo, 10, 20, "BTN_CHECKBOX_ID", 1.0, 1, &layer,
                                  "MIDI");
  ASSERT_EQ(1, layer.controls.GetSize());
  auto* control = dynamic_cast<ISwitchControl*>(layer.controls.Get(0));
  ASSERT_NE(nullptr, control);
  EXPECT_EQ(IRECT(20, 40, 80, 80), control->GetRECT());
  EXPECT_EQ(IRECT(20, 40, 80, 80), control->GetTargetRECT());
  EXPECT_EQ(kSendMIDIClockInfo, control->ParamIdx());
  EXPECT_EQ(2, control->GetBitmap().N);

  const IParam* param = editor->GetParam(kSendMIDIClockInfo);
  EXPECT_STREQ("Clock", param->GetNameForHost());
  EXPECT_STREQ("Timbre 2:MIDI", param->GetParamGroupForHost());
  EXPECT_EQ(1.0, param->Value());
  EXPECT_EQ(1.0, param->GetDefault());
  EXPECT_STREQ("on", param->GetDisplayText(1));
  EXPECT_EQ(0, gui->NControls());  // in the layer only
}

TEST_F(UIOnlySwitch, WithoutALayerGoesToTheGUIAndAnUnknownImageGivesAnEmptySwitch) {
  read();
  manager->createNoValBoolControl("Off", kMIDIFilterToDAWBuffer, 5, 6, "NO_IMAGE", 0.0, -1, nullptr, "");
  ASSERT_EQ(1, gui->NControls());
  EXPECT_EQ(IRECT(5, 6, 5, 6), gui->GetControl(0)->GetRECT());
  EXPECT_EQ(0.0, editor->GetParam(kMIDIFilterToDAWBuffer)->Value());
  EXPECT_TRUE(logged("CONFIG READER: Image NO_IMAGE MISSING!"));
}

TEST_F(UIOnlySwitch, AnIndexThatNamesNoParameterBuildsNothing) {
  read();
  for (int index : {-1, static_cast<int>(kTimbreLED), 100000})
    manager->createNoValBoolControl("x", index, 0, 0, "", 1.0, -1, nullptr, "");
  EXPECT_EQ(0, gui->NControls());
  EXPECT_TRUE(logged("switch \"x\" names no parameter (198); not built"));
}

}  // namespace
