// The controller mapping every CC and MSB/LSB factory gives its record, side
// by side: the channel and mixer-layer key by the kind of layer the control
// lies in, the controller and pair, and the lookup it is filed in. The
// factories differ only in the mixer rule, so one table holds them all.
#include "KIT/IModule/IGraphics.h"
#include "tests/uiconfig/factory_fixture.h"

namespace {

using ControllerMapping = FactoryTest;

constexpr int kParam = 40;
constexpr int kInstance = 1;    // channel 2 wherever the description's channel is not kept
constexpr int kDescribed = 9;   // the description's channel
constexpr int kController = 6;  // every factory's controller
const struct { int msb, lsb, lsbControl; } kPair{1, 40, 2};  // every MSB/LSB factory's pair

enum Factory { kCCKnob, kMsbLsbKnob, kCCSlider, kCCButton, kCCLights, kMsbLsbButton, kCCMenu, kMsbLsbMenu };

struct Mapping {
  int channel;
  int key;  // the mixer-layer key of the record and the lookup
};

// What each factory maps to in a mixer layer, in an additional-settings
// layer, in a plain layer and without a layer.
struct MappingCase {
  const char* what;
  Factory factory;
  bool pair;
  Mapping mixer, settings, plain, none;
};

const MappingCase kMappingCases[] = {
    {"CC knob", kCCKnob, false, {kDescribed, 1}, {2, 0}, {2, 0}, {2, 0}},
    {"MSB/LSB knob", kMsbLsbKnob, true, {kDescribed, 1}, {2, 0}, {2, 0}, {2, 0}},
    {"CC slider", kCCSlider, false, {kDescribed, 0}, {2, 0}, {2, 0}, {2, 0}},
    {"CC button", kCCButton, false, {kDescribed, 0}, {2, 0}, {2, 0}, {2, 0}},
    {"CC lights", kCCLights, false, {kDescribed, 1}, {2, 0}, {2, 0}, {2, 0}},
    {"MSB/LSB button", kMsbLsbButton, true, {kDescribed, 0}, {kDescribed, 0}, {2, 0}, {2, 0}},
    {"CC menu", kCCMenu, false, {kDescribed, 1}, {2, 0}, {2, 0}, {2, 0}},
    {"MSB/LSB menu", kMsbLsbMenu, true, {kDescribed, 1}, {2, 0}, {2, 0}, {2, 0}},
};

void make(UIConfigManager& m, Factory factory, ControlLayer* layer) {
  const int c = kController, ch = kDescribed, i = kInstance;
  const Values four = {"Saw", "Square", "Triangle", "Sine"};
  switch (factory) {
    case kCCKnob:
      m.createCCKnobControl(c, ch, "K", kParam, 0, 0, "KNOB_ID127", 64, 0, 127, 1, LinkInfo(), i, layer, "");
      break;
    case kMsbLsbKnob:
      m.createMsbLsbKnobControl(c, kPair.msb, kPair.lsb, kPair.lsbControl, ch, "K", kParam, 0, 0,
                                "KNOB_ID127", 64, 0, 127, 1, LinkInfo(), i, layer, "");
      break;
    case kCCSlider:
      m.createCCSliderControl(c, ch, "S", kParam, 0, 0, 100, "BG_RENAME_ID", 10, 0, 15, LinkInfo(), i, layer,
                              "", kVertical, false);
      break;
    case kCCButton:
      m.createCCBoolControl(c, ch, "B", kParam, 0, 0, "BUTTON_RED_ID", 0, 0, 127, LinkInfo(), i, layer, "");
      break;
    case kCCLights:
      m.createCCRadioControl(c, ch, "L", kParam, 0, 0, 80, "LED_QUAD_ID", 2, 0, 3, i, layer, "");
      break;
    case kMsbLsbButton:
      m.createMsbLsbBoolControl(c, kPair.msb, kPair.lsb, kPair.lsbControl, ch, "B", kParam, 0, 0,
                                "BUTTON_RED_ID", 0, 0, 127, LinkInfo(), i, layer, "");
      break;
    case kCCMenu:
      m.createMultiSelectionCCControl(c, ch, "M", kParam, 0, 0, 60, 13, 0, 0, 4, -1, -1, four, i, layer, "");
      break;
    case kMsbLsbMenu:
      m.createMsbLsbSelectionCCControl(c, kPair.msb, kPair.lsb, kPair.lsbControl, ch, "M", kParam, 0, 0, 60,
                                       13, 0, 0, 4, -1, -1, four, i, layer, "");
      break;
  }
}

}  // namespace

TEST_F(ControllerMapping, ChannelKeyAndLookupByLayerForEveryFactory) {
  for (const MappingCase& c : kMappingCases) {
    const struct {
      const char* layer;  // null: attached to the GUI
      Mapping expected;
    } places[] = {{"miniMixer", c.mixer},
                  {"additionalSettingsPart3", c.settings},
                  {"sound", c.plain},
                  {nullptr, c.none}};
    for (const auto& place : places) {
      SCOPED_TRACE(std::string(c.what) + " in " + (place.layer ? place.layer : "no layer"));
      build();
      ControlLayer* in = place.layer ? layer(place.layer) : nullptr;
      make(*real, c.factory, in);
      IControl* control = lastControl(in);
      ControlAction* record = action(kParam);
      ASSERT_NE(nullptr, record);
      ASSERT_FALSE(record->controls.empty());
      ASSERT_EQ(control, record->controls.back());

      const Mapping& m = place.expected;
      EXPECT_EQ(m.channel, record->channel);
      EXPECT_EQ(m.key, record->mixerLayer);
      EXPECT_EQ(kController, record->ccNumber);
      if (c.pair) {
        EXPECT_EQ(kPair.msb, record->msbValue);
        EXPECT_EQ(kPair.lsb, record->valueOffset);
        EXPECT_EQ(kPair.lsbControl, record->lsbControl);
        EXPECT_EQ(control,
                  real->nrpnControls.findControl(m.channel, kPair.msb, kPair.lsb, kPair.lsbControl, m.key));
        EXPECT_EQ(nullptr, real->nrpnControls.findControl(m.channel, kPair.msb, kPair.lsb, kPair.lsbControl,
                                                          1 - m.key));
        EXPECT_EQ(nullptr, findCCControl(real->ccControls, m.channel, kController, m.key));
      } else {
        // A control change leaves the pair fields as they were.
        EXPECT_EQ(-1, record->msbValue);
        EXPECT_EQ(-1, record->valueOffset);
        EXPECT_EQ(-1, record->lsbControl);
        EXPECT_EQ(control, findCCControl(real->ccControls, m.channel, kController, m.key));
        EXPECT_EQ(nullptr, findCCControl(real->ccControls, m.channel, kController, 1 - m.key));
        EXPECT_EQ(nullptr, real->nrpnControls.findControl(m.channel, -1, -1, -1, m.key));
      }
      releaseControlActions(editor.get());
    }
  }
}
