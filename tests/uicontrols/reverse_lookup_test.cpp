// The reverse lookups by which incoming MIDI finds its control: SysEx
// headers (filed from a control's expanded template, found from the bytes
// the synthesizer sends), NRPN keys of a control action, and the CC index
// with its mixer-layer key.
#include <vector>

#include "KIT/IModule/IControl.h"
#include "src/ControlActionSysEx.h"
#include "src/NRPNControlContainer.h"
#include "src/SysExControlContainer.h"
#include "tests/gui/gui_fixture.h"

namespace {

class ReverseLookup : public ::testing::Test {
 protected:
  GuiTestPlug plug;
  IControl a{&plug, IRECT(0, 0, 10, 10), 1};
  IControl b{&plug, IRECT(0, 0, 10, 10), 2};
};

TEST_F(ReverseLookup, sysex_header_and_value_index_find_the_control) {
  SysExControlContainer container;
  unsigned char header[4] = {0x3E, 0x16, 0x20, 0x01};
  container.addToControlMap(header, 0, &a);
  EXPECT_EQ(container.findControl(0x3E, 0x16, 0x20, 0x01, 0), &a);
  EXPECT_EQ(container.findControl(0x3E, 0x16, 0x20, 0x01, 1), nullptr);  // another value index
  EXPECT_EQ(container.findControl(0x3E, 0x16, 0x20, 0x02, 0), nullptr);
  EXPECT_EQ(container.findControl(0x3F, 0x16, 0x20, 0x01, 0), nullptr);
  // A miss created nothing: the filed control is still the only one.
  EXPECT_EQ(container.findControl(0x3E, 0x16, 0x20, 0x01, 0), &a);
}

TEST_F(ReverseLookup, the_last_control_filed_under_a_key_wins) {
  SysExControlContainer sysex;
  unsigned char header[4] = {0x58, 0x41, 0x20, 0x01};
  sysex.addToControlMap(header, 0, &a);
  sysex.addToControlMap(header, 0, &b);
  EXPECT_EQ(sysex.findControl(0x58, 0x41, 0x20, 0x01, 0), &b);

  NRPNControlContainer nrpn;
  ControlAction action(kActionMsbLsb);
  action.channel = 0;
  action.msbValue = 1;
  action.valueOffset = 64;
  action.lsbControl = 20;
  action.mixerLayer = 0;
  nrpn.addToControlMap(&action, &a);
  nrpn.addToControlMap(&action, &b);
  EXPECT_EQ(nrpn.findControl(0, 1, 64, 20, 0), &b);

  CCControlMap cc;
  addToCCControlMap(cc, 0, 74, 0, &a);
  addToCCControlMap(cc, 0, 74, 0, &b);
  EXPECT_EQ(findCCControl(cc, 0, 74, 0), &b);
}

// A control filed from its expanded template is found from the message the
// synthesizer sends for that parameter (F0 3E 0B 58 41 c d v x F7: bytes 3
// to 6), the second timbre's control from its shifted address.
TEST_F(ReverseLookup, a_sysex_control_is_found_from_the_synthesizers_message) {
  const std::vector<int> parameterTemplate = {0x3E, 0x0B, 0x58, 0x41, 0x20, 0x01, 0x00, 0x00};
  SysExControlContainer container;
  IControl* controls[2] = {&a, &b};
  for (int instance = 0; instance < 2; ++instance) {
    std::vector<ControlActionSysExMessage::Message> messages;
    ASSERT_TRUE(expandSysExTemplate(parameterTemplate, 7, 2, 0, instance, &messages, UIConfigLog()));
    unsigned char key[4];
    ASSERT_TRUE(sysExLookupKey(messages[0], 7, key));
    container.addToControlMap(key, 0, controls[instance]);
  }
  const struct {
    std::vector<int> incoming;
    IControl* found;
  } kCases[] = {
      {{0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x20, 0x01, 0x40, 0x00, 0xF7}, &a},
      {{0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x30, 0x02, 0x40, 0x00, 0xF7}, &b},
      {{0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x21, 0x01, 0x40, 0x00, 0xF7}, nullptr},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(container.findControl(c.incoming[3], c.incoming[4], c.incoming[5], c.incoming[6], 0), c.found);
}

TEST_F(ReverseLookup, nrpn_keys_are_the_records_channel_msb_offset_lsb_and_mixer_key) {
  NRPNControlContainer container;
  ControlAction first(kActionMsbLsb), second(kActionMsbLsb);
  first.channel = 0, first.msbValue = 1, first.valueOffset = 0, first.lsbControl = 5, first.mixerLayer = 0;
  // Made in the second timbre of a mixer layer: registered under channel 2.
  second.channel = 2, second.msbValue = 1, second.valueOffset = 0, second.lsbControl = 5,
  second.mixerLayer = 1;
  container.addToControlMap(&first, &a);
  container.addToControlMap(&second, &b);
  const struct {
    int channel, msb, offset, lsb, key;
    IControl* found;
  } kCases[] = {
      {0, 1, 0, 5, 0, &a},      {2, 1, 0, 5, 1, &b},      {2, 1, 0, 5, 0, nullptr},
      {1, 1, 0, 5, 1, nullptr}, {0, 1, 0, 6, 0, nullptr}, {0, 2, 0, 5, 0, nullptr},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(container.findControl(c.channel, c.msb, c.offset, c.lsb, c.key), c.found)
        << c.channel << " " << c.msb << " " << c.offset << " " << c.lsb << " " << c.key;
  container.addToControlMap(nullptr, &a);  // refused, nothing filed
  EXPECT_EQ(container.findControl(-1, -1, -1, -1, -1), nullptr);
}

// The CC index: a control outside the mixer layers is filed under channel
// key 0 and key 0 and answers whatever the channel; a mixer-layer control
// under its own channel and key 1.
TEST_F(ReverseLookup, cc_index_separates_channels_and_mixer_layers) {
  CCControlMap map;
  addToCCControlMap(map, 0, 74, 0, &a);
  addToCCControlMap(map, 3, 7, 1, &b);
  const struct {
    int channel, controller, key;
    IControl* found;
  } kCases[] = {
      {0, 74, 0, &a},     {3, 7, 1, &b},       {0, 7, 0, nullptr},  {4, 7, 1, nullptr},
      {3, 7, 2, nullptr}, {3, 74, 1, nullptr}, {0, 75, 0, nullptr},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(findCCControl(map, c.channel, c.controller, c.key), c.found)
        << c.channel << " " << c.controller << " " << c.key;
}

}  // namespace
