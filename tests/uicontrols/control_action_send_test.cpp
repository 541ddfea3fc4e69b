// The send contract of a control action: the message table (which bytes a
// change becomes, by kind and parameter), then the rules around it:
// deduplication and its reset after a dump, no output, start-up, no echo
// from the hardware path, and the bound controls following the value.
#include <atomic>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "src/ControlActionSend.h"
#include "src/EditorParams.h"
#include "tests/gui/gui_fixture.h"

namespace {

using Bytes = std::vector<int>;

// Each message as its bytes: a control change as status, controller, data.
std::vector<Bytes> BytesOf(const std::vector<ControlActionMessage>& messages) {
  std::vector<Bytes> out;
  for (const auto& m : messages) {
    if (m.isSysEx)
      out.emplace_back(m.sysex.begin(), m.sysex.end());
    else
      out.push_back({m.controlChange.mStatus, m.controlChange.mData1, m.controlChange.mData2});
  }
  return out;
}

std::string Hex(const std::vector<Bytes>& messages) {
  std::string text;
  char byte[4];
  for (const auto& m : messages) {
    text += "[";
    for (size_t i = 0; i < m.size(); ++i) {
      snprintf(byte, sizeof byte, i ? " %02X" : "%02X", m[i] & 0xFF);
      text += byte;
    }
    text += "]";
  }
  return text.empty() ? "nothing" : text;
}

// A record of each kind, as the factories fill it.
struct Record {
  explicit Record(int kind, int cc = -1, int msb = -1, int offset = -1, int lsb = -1)
      : kind(kind), ccNumber(cc), msbValue(msb), valueOffset(offset), lsbControl(lsb) {}
  int kind;
  int ccNumber, msbValue, valueOffset, lsbControl;
  int offValue = -1, onValue = -1;
  bool multi = false;
  std::vector<Bytes> messages;
  std::vector<std::vector<Bytes>> multiMessages;
};

Record CC(int cc) { return Record{kActionCC, cc}; }
Record Switch(int cc, int off, int on) {
  Record r{kActionCCSwitch, cc};
  r.offValue = off;
  r.onValue = on;
  return r;
}
Record MsbLsb(int cc, int msb, int offset, int lsb) {
  Record r{kActionMsbLsb, cc, msb, offset, lsb};
  return r;
}
Record SysEx(int kind, std::vector<Bytes> messages) {
  Record r{kind};
  r.messages = std::move(messages);
  return r;
}
Record Multi(std::vector<std::vector<Bytes>> sequences) {
  Record r{kActionSysEx};
  r.multi = true;
  r.multiMessages = std::move(sequences);
  return r;
}

void Fill(const Record& r, ControlAction* action) {
  action->kind = r.kind;
  action->ccNumber = r.ccNumber;
  action->msbValue = r.msbValue;
  action->valueOffset = r.valueOffset;
  action->lsbControl = r.lsbControl;
  action->offValue = r.offValue;
  action->onValue = r.onValue;
  action->sysex.multi = r.multi;
  for (const auto& m : r.messages) action->sysex.messages.emplace_back(m.begin(), m.end());
  for (const auto& sequence : r.multiMessages) {
    action->sysex.multiMessages.emplace_back();
    for (const auto& m : sequence) action->sysex.multiMessages.back().emplace_back(m.begin(), m.end());
  }
}

// A Varno parameter message as the templates hold it: no frame, the device
// place holding 58, changing byte 7 (counted from 1).
Bytes Param(int c, int d, int v) { return {0x3E, 0x0B, 0x58, 0x41, c, d, v, 0x00}; }

struct SendCase {
  const char* why;
  Record record;
  int paramIndex;
  double value;
  int globalChannel;
  int deviceId;
  std::vector<Bytes> expected;
  const char* ccLine;
  ControlActionFault fault;
};

void PrintTo(const SendCase& c, std::ostream* out) { *out << c.why; }

const SendCase kSendCases[] = {
    {"CC knob sends its value",
     CC(74),
     kFilterCutoff,
     64.0,
     1,
     -1,
     {{0xB0, 74, 64}},
     "CC|74",
     ControlActionFault::kNone},
    {"CC knob sends the truncated value",
     CC(74),
     kFilterCutoff,
     10.7,
     1,
     -1,
     {{0xB0, 74, 10}},
     "CC|74",
     ControlActionFault::kNone},
    {"semitone sends value + 16",
     CC(36),
     kOscillator2Semitone,
     0.0,
     1,
     -1,
     {{0xB0, 36, 16}},
     "CC|36",
     ControlActionFault::kNone},
    {"semitone 12 sends 28",
     CC(36),
     kOscillator2Semitone,
     12.0,
     1,
     -1,
     {{0xB0, 36, 28}},
     "CC|36",
     ControlActionFault::kNone},
    {"semitone data above 127 is clamped",
     CC(32),
     kOscillator1Semitone,
     120.0,
     1,
     -1,
     {{0xB0, 32, 127}},
     "CC|32",
     ControlActionFault::kNone},
    {"arpeggiator clock 0 sends 1",
     CC(105),
     kArpClock,
     0.0,
     1,
     -1,
     {{0xB0, 105, 1}},
     "CC|105",
     ControlActionFault::kNone},
    {"arpeggiator clock 3 sends 4",
     CC(105),
     kArpClock,
     3.0,
     1,
     -1,
     {{0xB0, 105, 4}},
     "CC|105",
     ControlActionFault::kNone},
    {"odd tune sends nothing and shows nothing",
     CC(33),
     kOscillator1Tune,
     3.0,
     1,
     -1,
     {},
     "",
     ControlActionFault::kNone},
    {"even tune is sent unchanged",
     CC(33),
     kOscillator1Tune,
     4.0,
     1,
     -1,
     {{0xB0, 33, 4}},
     "CC|33",
     ControlActionFault::kNone},
    {"negative CC data is clamped to 0",
     CC(74),
     kFilterCutoff,
     -5.0,
     1,
     -1,
     {{0xB0, 74, 0}},
     "CC|74",
     ControlActionFault::kNone},
    {"CC data above 127 is clamped",
     CC(74),
     kFilterCutoff,
     300.0,
     1,
     -1,
     {{0xB0, 74, 127}},
     "CC|74",
     ControlActionFault::kNone},
    {"global channel 0 sends on the first channel",
     CC(74),
     kFilterCutoff,
     1.0,
     0,
     -1,
     {{0xB0, 74, 1}},
     "CC|74",
     ControlActionFault::kNone},
    {"global channel 16 sends on the last channel",
     CC(74),
     kFilterCutoff,
     1.0,
     16,
     -1,
     {{0xBF, 74, 1}},
     "CC|74",
     ControlActionFault::kNone},
    {"a global channel above 16 stays on the last channel",
     CC(74),
     kFilterCutoff,
     1.0,
     17,
     -1,
     {{0xBF, 74, 1}},
     "CC|74",
     ControlActionFault::kNone},
    {"a controller outside 0..127 sends nothing",
     CC(-1),
     kFilterCutoff,
     1.0,
     1,
     -1,
     {},
     "",
     ControlActionFault::kBadController},
    {"CC switch sends its off value for 0",
     Switch(41, 0, 127),
     kOscillator2Sync,
     0.0,
     1,
     -1,
     {{0xB0, 41, 0}},
     "CC|41",
     ControlActionFault::kNone},
    {"CC switch sends its on value for any other value",
     Switch(41, 0, 127),
     kOscillator2Sync,
     0.5,
     1,
     -1,
     {{0xB0, 41, 127}},
     "CC|41",
     ControlActionFault::kNone},
    {"CC switch on value above 127 is clamped",
     Switch(41, 0, 200),
     kOscillator2Sync,
     1.0,
     2,
     -1,
     {{0xB1, 41, 127}},
     "CC|41",
     ControlActionFault::kNone},
    {"MSB/LSB sends 99, 98, then the controller",
     MsbLsb(6, 1, 64, 20),
     kGlobalLocalControl,
     3.0,
     1,
     -1,
     {{0xB0, 99, 1}, {0xB0, 98, 20}, {0xB0, 6, 67}},
     "MSB/LSB",
     ControlActionFault::kNone},
    {"MSB/LSB with offset 0 on channel 16",
     MsbLsb(6, 1, 0, 5),
     kGlobalLocalControl,
     40.0,
     16,
     -1,
     {{0xBF, 99, 1}, {0xBF, 98, 5}, {0xBF, 6, 40}},
     "MSB/LSB",
     ControlActionFault::kNone},
    {"MSB/LSB data after the offset is clamped",
     MsbLsb(6, 1, 100, 5),
     kGlobalLocalControl,
     50.0,
     1,
     -1,
     {{0xB0, 99, 1}, {0xB0, 98, 5}, {0xB0, 6, 127}},
     "MSB/LSB",
     ControlActionFault::kNone},
    {"MSB/LSB with an MSB outside 0..127 sends nothing",
     MsbLsb(6, 200, 0, 5),
     kGlobalLocalControl,
     1.0,
     1,
     -1,
     {},
     "",
     ControlActionFault::kBadController},
    {"SysEx switch sends entry v with the device ID",
     SysEx(kActionSysExSwitch, {Param(0x20, 1, 0), Param(0x20, 1, 1)}),
     kOscillator2Keytrack,
     1.0,
     1,
     5,
     {{0x3E, 0x0B, 0x05, 0x41, 0x20, 0x01, 0x01, 0x00}},
     "SysEx",
     ControlActionFault::kNone},
    {"an unknown device ID leaves the device place",
     SysEx(kActionSysEx, {Param(0x20, 1, 0), Param(0x20, 1, 1)}),
     kFilterCutoff,
     0.0,
     1,
     -1,
     {{0x3E, 0x0B, 0x58, 0x41, 0x20, 0x01, 0x00, 0x00}},
     "SysEx",
     ControlActionFault::kNone},
    {"SysEx value beyond the list sends nothing",
     SysEx(kActionSysEx, {Param(0x20, 1, 0)}),
     kFilterCutoff,
     1.0,
     1,
     0,
     {},
     "",
     ControlActionFault::kNoMessageForValue},
    {"negative SysEx value sends nothing",
     SysEx(kActionSysEx, {Param(0x20, 1, 0)}),
     kFilterCutoff,
     -1.0,
     1,
     0,
     {},
     "",
     ControlActionFault::kNoMessageForValue},
    {"link partner without templates sends nothing",
     SysEx(kActionSysEx, {}),
     kFilterCutoff,
     0.0,
     1,
     0,
     {},
     "",
     ControlActionFault::kNoMessageForValue},
    {"a SysEx data byte of 0x80 or more sends nothing",
     SysEx(kActionSysEx, {Param(0x20, 1, 0x80)}),
     kFilterCutoff,
     0.0,
     1,
     0,
     {},
     "",
     ControlActionFault::kBadSysExByte},
    {"address 43 00 with value 10 goes out as 7F 7F",
     SysEx(kActionSysEx, {Bytes{}, Param(0x43, 0, 0x10)}),
     kFilterCutoff,
     1.0,
     1,
     3,
     {{0x3E, 0x0B, 0x03, 0x41, 0x43, 0x00, 0x7F, 0x7F}},
     "SysEx",
     ControlActionFault::kNone},
    {"address 53 01 with value 10 goes out as 7F 7F",
     SysEx(kActionSysEx, {Param(0x53, 1, 0x10)}),
     kFilterCutoff,
     0.0,
     1,
     3,
     {{0x3E, 0x0B, 0x03, 0x41, 0x53, 0x01, 0x7F, 0x7F}},
     "SysEx",
     ControlActionFault::kNone},
    {"the 7F rule needs value 10",
     SysEx(kActionSysEx, {Param(0x43, 0, 0x11)}),
     kFilterCutoff,
     0.0,
     1,
     3,
     {{0x3E, 0x0B, 0x03, 0x41, 0x43, 0x00, 0x11, 0x00}},
     "SysEx",
     ControlActionFault::kNone},
    {"the 7F rule is not the SysEx switch's",
     SysEx(kActionSysExSwitch, {Param(0x43, 0, 0x10)}),
     kFilterCutoff,
     0.0,
     1,
     3,
     {{0x3E, 0x0B, 0x03, 0x41, 0x43, 0x00, 0x10, 0x00}},
     "SysEx",
     ControlActionFault::kNone},
    {"multi SysEx sends every message of entry v in order",
     Multi({{Param(1, 0, 0)}, {Param(2, 0, 5), Param(3, 0, 6)}}),
     kFilterCutoff,
     1.0,
     1,
     7,
     {{0x3E, 0x0B, 0x07, 0x41, 0x02, 0x00, 0x05, 0x00}, {0x3E, 0x0B, 0x07, 0x41, 0x03, 0x00, 0x06, 0x00}},
     "SysEx",
     ControlActionFault::kNone},
    {"multi SysEx with a bad byte sends none of the sequence",
     Multi({{Param(1, 0, 0), Param(2, 0, 0xF0)}}),
     kFilterCutoff,
     0.0,
     1,
     7,
     {},
     "",
     ControlActionFault::kBadSysExByte},
    {"kind 0 builds nothing",
     Record{kActionNone, 74},
     kFilterCutoff,
     1.0,
     1,
     0,
     {},
     "",
     ControlActionFault::kNone},
    {"kind 4 builds nothing", Record{4, 74}, kFilterCutoff, 1.0, 1, 0, {}, "", ControlActionFault::kNone},
};

class MessageTable : public ::testing::TestWithParam<SendCase> {};

TEST_P(MessageTable, builds_the_expected_bytes) {
  const SendCase& c = GetParam();
  ControlAction action;
  Fill(c.record, &action);
  std::vector<ControlActionMessage> messages;
  std::string ccLine;
  const ControlActionFault fault = buildControlActionMessages(action, c.paramIndex, c.value, c.globalChannel,
                                                              c.deviceId, &messages, &ccLine);
  EXPECT_EQ(Hex(BytesOf(messages)), Hex(c.expected));
  EXPECT_EQ(ccLine, c.ccLine);
  EXPECT_EQ(fault, c.fault) << controlActionFaultText(fault);
  // Every data byte that leaves is 7-bit, whatever the record holds.
  for (const auto& m : BytesOf(messages))
    for (size_t i = 1; i < m.size(); ++i) EXPECT_LT(m[i], 0x80) << Hex({m});
}

INSTANTIATE_TEST_SUITE_P(ControlActionSend, MessageTable, ::testing::ValuesIn(kSendCases),
                         [](const ::testing::TestParamInfo<SendCase>& info) {
                           std::string name;
                           for (const char* p = info.param.why; *p; ++p)
                             name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return name;
                         });

// ---- The rules around the builder ---------------------------------------------

class ChangeRules : public ::testing::Test {
 protected:
  ChangeRules() {
    action.kind = kActionCC;
    action.ccNumber = 74;
    action.controls = {&knob, &caption};
  }
  ControlChange Change(double value) {
    ControlChange c;
    c.paramIndex = kFilterCutoff;
    c.value = value;
    c.normalizedValue = value / 127.0;
    c.midiOutputOpen = true;
    c.pluginReady = true;
    c.globalMidiChannel = 1;
    return c;
  }
  GuiTestPlug plug;
  IControl knob{&plug, IRECT(0, 0, 10, 10), kFilterCutoff};
  IControl caption{&plug, IRECT(10, 0, 20, 10), kFilterCutoff};
  ControlAction action;
};

TEST_F(ChangeRules, a_change_within_the_same_integer_sends_once) {
  const ControlActionOutcome first = processControlActionChange(&action, Change(10.2));
  EXPECT_EQ(first.result, ControlActionResult::kProcessed);
  EXPECT_TRUE(first.send);
  EXPECT_EQ(Hex(BytesOf(first.messages)), Hex({{0xB0, 74, 10}}));
  const ControlActionOutcome second = processControlActionChange(&action, Change(10.7));
  EXPECT_EQ(second.result, ControlActionResult::kSameValue);
  EXPECT_TRUE(second.messages.empty());
  EXPECT_FALSE(second.send);
  EXPECT_EQ(processControlActionChange(&action, Change(11.0)).result, ControlActionResult::kProcessed);
}

TEST_F(ChangeRules, after_an_incoming_dump_the_same_value_is_sent_again) {
  EXPECT_TRUE(processControlActionChange(&action, Change(40.0)).send);
  EXPECT_EQ(processControlActionChange(&action, Change(40.0)).result, ControlActionResult::kSameValue);
  action.resetLastValue();
  const ControlActionOutcome again = processControlActionChange(&action, Change(40.0));
  EXPECT_EQ(again.result, ControlActionResult::kProcessed);
  EXPECT_TRUE(again.send);
  EXPECT_EQ(Hex(BytesOf(again.messages)), Hex({{0xB0, 74, 40}}));
}

TEST_F(ChangeRules, without_an_output_the_user_is_told_and_nothing_is_remembered) {
  ControlChange change = Change(20.0);
  change.midiOutputOpen = false;
  const ControlActionOutcome outcome = processControlActionChange(&action, change);
  EXPECT_EQ(outcome.result, ControlActionResult::kNoOutput);
  ASSERT_NE(outcome.statusText, nullptr);
  EXPECT_STREQ(outcome.statusText, "Set MIDI I/O First!");
  EXPECT_TRUE(outcome.messages.empty());
  EXPECT_EQ(action.lastValue.load(), -1.0);
  // Once the output is open the same value goes out.
  EXPECT_TRUE(processControlActionChange(&action, Change(20.0)).send);
}

TEST_F(ChangeRules, without_an_output_the_port_choices_and_channel_stay_silent) {
  for (int index : {kDeviceOutSelection, kDeviceInSelection, kGlobalMidiChannel}) {
    ControlChange change = Change(1.0);
    change.paramIndex = index;
    change.midiOutputOpen = false;
    const ControlActionOutcome outcome = processControlActionChange(&action, change);
    EXPECT_EQ(outcome.result, ControlActionResult::kPortChoice) << index;
    EXPECT_EQ(outcome.statusText, nullptr) << index;
  }
}

TEST_F(ChangeRules, before_start_up_ends_nothing_happens) {
  ControlChange change = Change(20.0);
  change.pluginReady = false;
  EXPECT_EQ(processControlActionChange(&action, change).result, ControlActionResult::kNotReady);
  EXPECT_EQ(action.lastValue.load(), -1.0);
}

TEST_F(ChangeRules, a_value_from_the_synthesizer_is_shown_but_not_echoed) {
  ControlChange change = Change(30.0);
  change.fromHardware = true;
  const ControlActionOutcome outcome = processControlActionChange(&action, change);
  EXPECT_EQ(outcome.result, ControlActionResult::kProcessed);
  EXPECT_EQ(outcome.ccLineText, "CC|74");
  EXPECT_EQ(Hex(BytesOf(outcome.messages)), Hex({{0xB0, 74, 30}}));
  EXPECT_FALSE(outcome.send);
  // The synthesizer holds the value: the user moving to it sends nothing.
  EXPECT_EQ(processControlActionChange(&action, Change(30.0)).result, ControlActionResult::kSameValue);
}

TEST_F(ChangeRules, the_echo_rule_holds_back_a_received_value_unless_it_came_from_the_host) {
  const struct {
    bool applying, local, fromHost, sent;
  } kCases[] = {
      {true, true, false, false}, {true, true, true, true},    {true, false, false, true},
      {false, true, false, true}, {false, false, false, true},
  };
  double value = 1.0;
  for (const auto& c : kCases) {
    ControlChange change = Change(value);
    value += 1.0;
    change.applyingReceivedValue = c.applying;
    change.localControl = c.local;
    change.messageFromHost = c.fromHost;
    const ControlActionOutcome outcome = processControlActionChange(&action, change);
    EXPECT_EQ(outcome.send, c.sent) << c.applying << c.local << c.fromHost;
    EXPECT_EQ(outcome.messages.size(), 1u);
  }
}

TEST_F(ChangeRules, every_bound_control_follows_the_value) {
  processControlActionChange(&action, Change(0.0));  // first values become the defaults
  processControlActionChange(&action, Change(127.0));
  EXPECT_DOUBLE_EQ(knob.GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(caption.GetValue(), 1.0);
}

// Two switches of one parameter (a panel's key and its close button) must
// agree also before a port is chosen: the next click on either would
// otherwise change nothing.
TEST_F(ChangeRules, without_an_output_the_bound_controls_still_follow) {
  processControlActionChange(&action, Change(0.0));  // first values become the defaults
  for (const int index : {kFilterCutoff, kDeviceOutSelection}) {
    ControlChange change = Change(127.0);
    change.paramIndex = index;
    change.midiOutputOpen = false;
    knob.SetValueFromPlug(0.0);
    caption.SetValueFromPlug(0.0);
    processControlActionChange(&action, change);
    EXPECT_DOUBLE_EQ(knob.GetValue(), 1.0) << index;
    EXPECT_DOUBLE_EQ(caption.GetValue(), 1.0) << index;
  }
}

TEST_F(ChangeRules, an_odd_tune_is_remembered_but_sends_nothing) {
  ControlChange change = Change(3.0);
  change.paramIndex = kOscillator1Tune;
  const ControlActionOutcome outcome = processControlActionChange(&action, change);
  EXPECT_EQ(outcome.result, ControlActionResult::kProcessed);
  EXPECT_TRUE(outcome.messages.empty());
  EXPECT_FALSE(outcome.send);
  EXPECT_TRUE(outcome.ccLineText.empty());
  EXPECT_EQ(action.lastValue.load(), 3.0);
}

// The SysEx receiver resets lastValue on the MIDI input thread while the
// user's changes run on the GUI thread: every outcome stays whole.
TEST(ControlActionThreads, a_reset_on_another_thread_leaves_every_change_whole) {
  ControlAction action(kActionCC);
  action.ccNumber = 74;
  std::atomic<bool> stop{false};
  std::thread midiInput([&] {
    while (!stop.load()) action.resetLastValue();
  });
  for (int i = 0; i < 2000; ++i) {
    ControlChange change;
    change.paramIndex = kFilterCutoff;
    change.value = (i / 2) % 3;  // each value twice: the second is a repeat unless reset
    change.midiOutputOpen = change.pluginReady = true;
    const ControlActionOutcome outcome = processControlActionChange(&action, change);
    if (outcome.result == ControlActionResult::kProcessed) {
      ASSERT_EQ(outcome.messages.size(), 1u);
      EXPECT_EQ(outcome.messages[0].controlChange.mData2, (i / 2) % 3);
    } else {
      EXPECT_EQ(outcome.result, ControlActionResult::kSameValue);
    }
  }
  stop = true;
  midiInput.join();
}

TEST(ControlChangeChannel, settings_map_to_zero_based_channels) {
  const int kCases[][2] = {{-3, 0}, {0, 0}, {1, 0}, {2, 1}, {16, 15}, {17, 15}, {1000, 15}};
  for (const auto& c : kCases) EXPECT_EQ(controlChangeChannel(c[0]), c[1]) << c[0];
}

}  // namespace
