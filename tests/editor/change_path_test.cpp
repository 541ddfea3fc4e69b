// The sound-parameter change path of the real editor, observed at a
// loop-back port (no MIDI server needed) that the editor's MIDI output is
// connected to: the messages of each
// mapping kind with the CC line's text, the device channel and device ID,
// repeats, no output, start-up, the synthesizer's own values and the echo
// rule. Each observation ends with a marker message the test sends through
// the same output: what arrived before it is what the change sent.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IParam.h"
#include "KIT/IModule/MidiApi.h"
#include "src/ControlAction.h"
#include "src/MIDIMessageManager.h"
#include "tests/editor/actions_fixture.h"
#include "tests/support/midi_peer.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The client the editor's output is connected to.
std::string PeerName() { return "h17c-" + std::to_string(getpid()); }

// ---- Mapping records ------------------------------------------------------------

struct Record {
  int kind = kActionNone;
  int cc = -1, msb = -1, offset = -1, lsb = -1;
  int off = -1, on = -1;
  bool multi = false;
  std::vector<std::vector<int>> messages;
  std::vector<std::vector<std::vector<int>>> sequences;
};

Record CC(int cc) {
  Record r;
  r.kind = kActionCC;
  r.cc = cc;
  return r;
}
Record CCSwitch(int cc, int off, int on) {
  Record r = CC(cc);
  r.kind = kActionCCSwitch;
  r.off = off;
  r.on = on;
  return r;
}
Record MsbLsb(int cc, int msb, int offset, int lsb) {
  Record r = CC(cc);
  r.kind = kActionMsbLsb;
  r.msb = msb;
  r.offset = offset;
  r.lsb = lsb;
  return r;
}
Record SysEx(int kind, std::vector<std::vector<int>> messages) {
  Record r;
  r.kind = kind;
  r.messages = std::move(messages);
  return r;
}
Record Multi(std::vector<std::vector<std::vector<int>>> sequences) {
  Record r;
  r.kind = kActionSysEx;
  r.multi = true;
  r.sequences = std::move(sequences);
  return r;
}

std::unique_ptr<ControlAction> Make(const Record& r) {
  auto action = std::make_unique<ControlAction>(r.kind);
  action->ccNumber = r.cc;
  action->msbValue = r.msb;
  action->valueOffset = r.offset;
  action->lsbControl = r.lsb;
  action->offValue = r.off;
  action->onValue = r.on;
  action->sysex.multi = r.multi;
  for (const auto& m : r.messages) action->sysex.messages.emplace_back(m.begin(), m.end());
  for (const auto& sequence : r.sequences) {
    action->sysex.multiMessages.emplace_back();
    for (const auto& m : sequence) action->sysex.multiMessages.back().emplace_back(m.begin(), m.end());
  }
  return action;
}

// A parameter message as the templates hold it: no frame, the device place
// 0x58.
std::vector<int> Param(int a, int b, int c, int d) { return {0x3E, 0x0B, 0x58, a, b, c, d, 0x00}; }
Bytes Framed(std::vector<int> body, int deviceByte) {
  body[2] = deviceByte;
  Bytes out{0xF0};
  out.insert(out.end(), body.begin(), body.end());
  out.push_back(0xF7);
  return out;
}

std::string Hex(const std::vector<Bytes>& messages) {
  std::string text;
  char byte[4];
  for (const auto& m : messages) {
    text += "[";
    for (size_t i = 0; i < m.size(); ++i) {
      snprintf(byte, sizeof byte, i ? " %02X" : "%02X", m[i]);
      text += byte;
    }
    text += "]";
  }
  return text.empty() ? "nothing" : text;
}

constexpr const char* kUntouched = "untouched";

class ChangePathTest : public ActionsTest {
 protected:
  void SetUp() override {
    setenv("VIVIVI_MIDI_API", "loopback", 1);
    peer = std::make_unique<MidiPeerIn>(PeerName(), "in", true,
                                        kLoopbackMIDIApi);  // before the editor lists the ports
    ActionsTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    const int entry = OpenMidiOutput(peer->PortName());
    ASSERT_GT(entry, 0) << peer->PortName() << " not among the editor's outputs";
    editor->GetParam(kDeviceOutSelection)->Set(entry);
    ASSERT_TRUE(editor->flags.midiOutputOpen);
    ASSERT_TRUE(editor->flags.pluginReady);
    ASSERT_TRUE(Handshake()) << "the editor's output never reached " << peer->PortName();
    setChannel(1);
    editor->flags.deviceId = 0;
    editor->flags.localControl = false;
  }
  void TearDown() override {
    ActionsTest::TearDown();
    peer.reset();
  }

  // A new connection may carry events only after a while (on a MIDI
  // server): markers go out until one arrives.
  bool Handshake() {
    for (int attempt = 0; attempt < 200; ++attempt) {
      const Bytes probe = nextMarker();
      send(probe);
      if (peer->TakeUpTo(probe, nullptr, std::chrono::milliseconds(50))) return Sent().empty();
    }
    return false;
  }
  Bytes nextMarker() { return {0xF0, 0x7D, static_cast<uint8_t>(++markers & 0x7F), 0xF7}; }
  void send(Bytes bytes) { editor->SendMidiSysex(bytes.data(), static_cast<int>(bytes.size())); }
  // Everything the editor sent since the last call.
  std::vector<Bytes> Sent() {
    const Bytes marker = nextMarker();
    send(marker);
    std::vector<Bytes> before;
    EXPECT_TRUE(peer->TakeUpTo(marker, &before, std::chrono::seconds(10))) << "the marker never arrived";
    return before;
  }
  // Channel messages reach the output through the editor's MIDI routing;
  // a tree without it cannot show what the change path sends on them.
  bool ChannelMessagesReachTheOutput() {
    IMidiMsg probe(0, 0xB0, 0x7F, 0x01);
    editor->MIDIOutRoutingSwitch(&probe);
    return Sent() == std::vector<Bytes>{{0xB0, 0x7F, 0x01}};
  }
  void setChannel(int setting) { editor->GetParam(kGlobalMidiChannel)->Set(setting); }
  void change(ControlAction* action, int index, double value) {
    editor->GetParam(index)->Set(value);
    editor->processControlAction(action, index, value);
  }

  std::unique_ptr<MidiPeerIn> peer;
  int markers = 0;
};

struct SendCase {
  const char* why;
  Record record;
  int index;
  double value;
  int channelSetting;
  int deviceId;
  std::vector<Bytes> expected;
  const char* ccLine;  // kUntouched: the CC line keeps its text
};

const SendCase kChannelCases[] = {
    {"control change", CC(74), kFilterCutoff, 100, 1, 0, {{0xB0, 74, 100}}, "CC|74"},
    {"semitone sends value + 16", CC(36), kOscillator2Semitone, 12, 1, 0, {{0xB0, 36, 28}}, "CC|36"},
    {"arpeggiator clock sends value + 1", CC(105), kArpClock, 3, 1, 0, {{0xB0, 105, 4}}, "CC|105"},
    {"even tune", CC(33), kOscillator1Tune, 8, 1, 0, {{0xB0, 33, 8}}, "CC|33"},
    {"odd tune sends and shows nothing", CC(33), kOscillator1Tune, 7, 1, 0, {}, kUntouched},
    {"switch off", CCSwitch(80, 0, 127), kSustainSwitch, 0, 1, 0, {{0xB0, 80, 0}}, "CC|80"},
    {"switch on", CCSwitch(80, 0, 127), kSustainSwitch, 1, 1, 0, {{0xB0, 80, 127}}, "CC|80"},
    {"switch on for any value but 0",
     CCSwitch(80, 10, 90),
     kSustainSwitch,
     5,
     1,
     0,
     {{0xB0, 80, 90}},
     "CC|80"},
    {"MSB/LSB: 99, 98, then the data controller",
     MsbLsb(6, 1, 0, 5),
     kOscillator2Keytrack,
     40,
     1,
     0,
     {{0xB0, 99, 1}, {0xB0, 98, 5}, {0xB0, 6, 40}},
     "MSB/LSB"},
    {"MSB/LSB adds the offset",
     MsbLsb(6, 3, 2, 4),
     kOscillator2Keytrack,
     1,
     1,
     0,
     {{0xB0, 99, 3}, {0xB0, 98, 4}, {0xB0, 6, 3}},
     "MSB/LSB"},
    {"channel setting 0 is channel 1", CC(74), kFilterCutoff, 1, 0, 0, {{0xB0, 74, 1}}, "CC|74"},
    {"channel setting 16", CC(74), kFilterCutoff, 1, 16, 0, {{0xBF, 74, 1}}, "CC|74"},
    {"channel setting 3",
     MsbLsb(6, 1, 0, 5),
     kOscillator2Keytrack,
     2,
     3,
     0,
     {{0xB2, 99, 1}, {0xB2, 98, 5}, {0xB2, 6, 2}},
     "MSB/LSB"},
};

const SendCase kSysExCases[] = {
    {"switch: the value's template, the device ID in byte 2",
     SysEx(kActionSysExSwitch, {Param(0x20, 0x01, 0x00, 0x00), Param(0x20, 0x01, 0x01, 0x00)}),
     kSustainSwitch,
     1,
     1,
     3,
     {Framed(Param(0x20, 0x01, 0x01, 0x00), 3)},
     "SysEx"},
    {"value: 41 43 0 10 sends 7F 7F",
     SysEx(kActionSysEx, {Param(0x41, 0x43, 0x00, 0x10)}),
     kFilterCutoff,
     0,
     1,
     0,
     {{0xF0, 0x3E, 0x0B, 0x00, 0x41, 0x43, 0x00, 0x7F, 0x7F, 0xF7}},
     "SysEx"},
    {"value: 41 53 1 10 sends 7F 7F",
     SysEx(kActionSysEx, {Param(0x41, 0x53, 0x01, 0x10)}),
     kFilterCutoff,
     0,
     1,
     5,
     {{0xF0, 0x3E, 0x0B, 0x05, 0x41, 0x53, 0x01, 0x7F, 0x7F, 0xF7}},
     "SysEx"},
    {"value: 41 43 2 10 is sent as it stands",
     SysEx(kActionSysEx, {Param(0x41, 0x43, 0x02, 0x10)}),
     kFilterCutoff,
     0,
     1,
     0,
     {Framed(Param(0x41, 0x43, 0x02, 0x10), 0)},
     "SysEx"},
    {"switch: 41 43 0 10 is sent as it stands",
     SysEx(kActionSysExSwitch, {Param(0x41, 0x43, 0x00, 0x10)}),
     kSustainSwitch,
     0,
     1,
     0,
     {Framed(Param(0x41, 0x43, 0x00, 0x10), 0)},
     "SysEx"},
    {"unknown device ID keeps the template's byte",
     SysEx(kActionSysEx, {Param(0x20, 0x01, 0x00, 0x00)}),
     kFilterCutoff,
     0,
     1,
     -1,
     {Framed(Param(0x20, 0x01, 0x00, 0x00), 0x58)},
     "SysEx"},
    {"multi: every message of the value, in order",
     Multi({{Param(0x20, 0x01, 0x00, 0x00)}, {Param(0x20, 0x02, 0x00, 0x01), Param(0x20, 0x03, 0x00, 0x02)}}),
     kFilterCutoff,
     1,
     1,
     7,
     {Framed(Param(0x20, 0x02, 0x00, 0x01), 7), Framed(Param(0x20, 0x03, 0x00, 0x02), 7)},
     "SysEx"},
    {"value past the templates sends nothing",
     SysEx(kActionSysEx, {Param(0x20, 0x01, 0x00, 0x00), Param(0x20, 0x01, 0x01, 0x00)}),
     kFilterCutoff,
     2,
     1,
     0,
     {},
     kUntouched},
    {"value past the sequences sends nothing",
     Multi({{Param(0x20, 0x01, 0x00, 0x00)}}),
     kFilterCutoff,
     1,
     1,
     0,
     {},
     kUntouched},
    {"record made for a link partner, without templates",
     SysEx(kActionSysEx, {}),
     kFilterCutoff,
     0,
     1,
     0,
     {},
     kUntouched},
};

TEST_F(ChangePathTest, SysExKindsSendTheValuesTemplate) {
  for (const SendCase& c : kSysExCases) {
    SCOPED_TRACE(c.why);
    SetLine(kControlDisplayCC, kUntouched);
    setChannel(c.channelSetting);
    editor->flags.deviceId = c.deviceId;
    auto action = Make(c.record);
    change(action.get(), c.index, c.value);
    const std::vector<Bytes> sent = Sent();
    EXPECT_EQ(sent, c.expected) << Hex(sent);
    EXPECT_EQ(Line(kControlDisplayCC), c.ccLine);
  }
}

TEST_F(ChangePathTest, ControlChangeKindsSendOnTheDeviceChannel) {
  if (!ChannelMessagesReachTheOutput())
    GTEST_SKIP() << "channel messages do not reach the MIDI output in this build";
  for (const SendCase& c : kChannelCases) {
    SCOPED_TRACE(c.why);
    SetLine(kControlDisplayCC, kUntouched);
    setChannel(c.channelSetting);
    auto action = Make(c.record);
    change(action.get(), c.index, c.value);
    const std::vector<Bytes> sent = Sent();
    EXPECT_EQ(sent, c.expected) << Hex(sent);
    EXPECT_EQ(Line(kControlDisplayCC), c.ccLine);
  }
}

// A SysEx value record: its sends need nothing but the output itself.
std::unique_ptr<ControlAction> ThreeValues() {
  return Make(SysEx(kActionSysEx, {Param(0x20, 0x01, 0x00, 0x00), Param(0x20, 0x01, 0x01, 0x00),
                                   Param(0x20, 0x01, 0x02, 0x00)}));
}

TEST_F(ChangePathTest, RepeatedValueSendsNothing) {
  auto action = ThreeValues();
  change(action.get(), kFilterCutoff, 1);
  EXPECT_EQ(Sent().size(), 1u);
  change(action.get(), kFilterCutoff, 1.9);  // the same whole value
  EXPECT_EQ(Sent(), std::vector<Bytes>{});
  change(action.get(), kFilterCutoff, 2);
  EXPECT_EQ(Sent(), std::vector<Bytes>{Framed(Param(0x20, 0x01, 0x02, 0x00), 0)});
}

TEST_F(ChangePathTest, WithoutAnOutputOnlyTheStatusLineSpeaks) {
  auto action = ThreeValues();
  editor->flags.midiOutputOpen = false;
  SetLine(kControlDisplayName, kUntouched);
  SetLine(kControlDisplayCC, kUntouched);
  change(action.get(), kFilterCutoff, 1);
  EXPECT_EQ(Line(kControlDisplayName), "Set MIDI I/O First!");
  EXPECT_EQ(Line(kControlDisplayCC), kUntouched);
  EXPECT_EQ(action->lastValue.load(), -1.0) << "the value is handled again once the output is open";

  for (int silent : {kDeviceOutSelection, kDeviceInSelection, kGlobalMidiChannel}) {
    SCOPED_TRACE(silent);
    SetLine(kControlDisplayName, kUntouched);
    auto port = ThreeValues();
    editor->processControlAction(port.get(), silent, 1);
    EXPECT_EQ(Line(kControlDisplayName), kUntouched);
  }
  EXPECT_EQ(Sent(), std::vector<Bytes>{});

  editor->flags.midiOutputOpen = true;
  change(action.get(), kFilterCutoff, 1);
  EXPECT_EQ(Sent(), std::vector<Bytes>{Framed(Param(0x20, 0x01, 0x01, 0x00), 0)});
}

TEST_F(ChangePathTest, NothingHappensBeforeStartUpHasFinished) {
  auto action = ThreeValues();
  SetLine(kControlDisplayCC, kUntouched);
  editor->flags.pluginReady = false;
  change(action.get(), kFilterCutoff, 1);
  editor->flags.pluginReady = true;
  EXPECT_EQ(Sent(), std::vector<Bytes>{});
  EXPECT_EQ(Line(kControlDisplayCC), kUntouched);
  EXPECT_EQ(action->lastValue.load(), -1.0);
}

TEST_F(ChangePathTest, SynthesizersOwnValueMovesAndShowsButIsNotSentBack) {
  ControlAction* knob = editor->GetParam(kFilterCutoff)->GetControlAction();
  ASSERT_NE(knob, nullptr);
  ASSERT_FALSE(knob->controls.empty());
  IControl* control = knob->controls.front();
  const double before = control->GetValue();
  SetLine(kControlDisplayCC, kUntouched);

  editor->flags.changeFromHardware = true;
  change(knob, kFilterCutoff, 27);
  editor->flags.changeFromHardware = false;
  EXPECT_EQ(Sent(), std::vector<Bytes>{});
  EXPECT_EQ(Line(kControlDisplayCC), "CC|74");
  EXPECT_DOUBLE_EQ(control->GetValue(), editor->GetParam(kFilterCutoff)->GetNormalized());
  EXPECT_NE(control->GetValue(), before);

  change(knob, kFilterCutoff, 27);
  EXPECT_EQ(Sent(), std::vector<Bytes>{}) << "the synthesizer already holds the value";

  auto sysex = ThreeValues();
  editor->flags.changeFromHardware = true;
  change(sysex.get(), kFilterCutoff, 2);
  editor->flags.changeFromHardware = false;
  EXPECT_EQ(Sent(), std::vector<Bytes>{});
  EXPECT_EQ(Line(kControlDisplayCC), "SysEx");
  EXPECT_EQ(sysex->lastValue.load(), 2.0);
}

TEST_F(ChangePathTest, ValueBeingAppliedFromTheSynthesizerIsNotEchoedUnderLocalControl) {
  MIDIMessageManager& manager = *editor->midiManager;
  const struct {
    bool applying, local, fromHost, sent;
  } kCases[] = {
      {true, true, false, false},  // the echo rule
      {true, true, true, true},    // the host's message goes on
      {true, false, false, true},  // without local control
      {false, true, false, true},  // not applying a received value
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::to_string(c.applying) + std::to_string(c.local) + std::to_string(c.fromHost));
    auto action = ThreeValues();
    SetLine(kControlDisplayCC, kUntouched);
    manager.valueFromHardware = c.applying;
    manager.messageFromHost = c.fromHost;
    editor->flags.localControl = c.local;
    change(action.get(), kFilterCutoff, 1);
    manager.valueFromHardware = false;
    manager.messageFromHost = false;
    EXPECT_EQ(Sent().size(), c.sent ? 1u : 0u);
    EXPECT_EQ(Line(kControlDisplayCC), "SysEx");
  }
}

}  // namespace
