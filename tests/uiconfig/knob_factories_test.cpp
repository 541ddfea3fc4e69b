// The knob factories: the parameter each initialises, the knob and its
// rectangle at the editor's scales, and the record and reverse lookup of
// the control-change, MSB/LSB and SysEx knobs.
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IKnobControls.h"
#include "tests/uiconfig/factory_fixture.h"

namespace {

using KnobFactories = FactoryTest;

constexpr int kParam = 40;
const char* const kKnob = "KNOB_ID127";

enum Factory { kCCKnob, kMsbLsbKnob, kSysExKnob, kSysExKnob2, kNoValKnob };

struct KnobCase {
  const char* what;
  Factory factory;
  int instance;
  const char* layer;
  const char* name;
  double step;
  int kind;  // -1: no record
  int channel;
  int mixerLayer;
};

const KnobCase kKnobCases[] = {
    {"CC knob in a mixer", kCCKnob, 1, "miniMixer2", "[2] Cutoff", 2, kActionCC, 3, 1},
    {"CC knob in instance 1", kCCKnob, 1, "part", "[2] Cutoff", 2, kActionCC, 2, 0},
    {"CC knob at the top of a plain layer", kCCKnob, -1, "sound", "Cutoff", 2, kActionCC, 0, 0},
    {"CC knob without a layer", kCCKnob, -1, nullptr, "Cutoff", 2, kActionCC, 0, 0},
    {"MSB/LSB knob", kMsbLsbKnob, 0, "part", "[1] Cutoff", 1, kActionMsbLsb, 1, 0},
    {"MSB/LSB knob in a mixer", kMsbLsbKnob, 0, "multiModeMixer", "[1] Cutoff", 1, kActionMsbLsb, 3, 1},
    {"SysEx knob", kSysExKnob, 0, "part", "[1] Cutoff", 1, kActionSysEx, -1, -1},
    {"second SysEx knob", kSysExKnob2, -1, "part", "Cutoff", 1, kActionSysEx, -1, -1},
    {"knob without value", kNoValKnob, 0, "part", "Cutoff", 1, -1, -1, -1},
};

void make(UIConfigManager& m, const KnobCase& c, ControlLayer* layer) {
  switch (c.factory) {
    case kCCKnob:
      m.createCCKnobControl(74, 3, "Cutoff", kParam, 33, 91, kKnob, 64, 0, 127, 2.7, LinkInfo(), c.instance,
                            layer, "Filter");
      break;
    case kMsbLsbKnob:
      m.createMsbLsbKnobControl(6, 1, 40, 2, 3, "Cutoff", kParam, 33, 91, kKnob, 64, 0, 127, 2.7, LinkInfo(),
                                c.instance, layer, "Filter");
      break;
    case kSysExKnob:
      m.createSysExKnobControl("Cutoff", kParam, 33, 91, kKnob, 64, 0, 127, 2.7, 0, 0, 8, c.instance,
                               LinkInfo(), layer, "Filter");
      break;
    case kSysExKnob2:
      m.createSysExKnobControl2("Cutoff", kParam, 33, 91, kKnob, 64, 0, 127, 2.7, 0, 0, 8, c.instance,
                                LinkInfo(), layer, "Filter");
      break;
    case kNoValKnob:
      m.createNoValKnobControl("Cutoff", kParam, 33, 91, kKnob, 64, 0, 127, 2.7, c.instance, layer, "Filter");
      break;
  }
}

}  // namespace

TEST_F(KnobFactories, ParameterKnobAndRecordAtEveryScale) {
  for (const double s : kFactoryScales) {
    for (const KnobCase& c : kKnobCases) {
      SCOPED_TRACE(std::string(c.what) + " at scale " + std::to_string(s));
      build(s);
      ControlLayer* in = c.layer ? layer(c.layer) : nullptr;
      make(*real, c, in);

      IControl* knob = lastControl(in);
      ASSERT_NE(nullptr, knob);
      EXPECT_NE(nullptr, dynamic_cast<IKnobMultiControl*>(knob));
      EXPECT_EQ(kParam, knob->ParamIdx());
      EXPECT_EQ(frameRect(kKnob, 33, 91), knob->GetRECT());
      EXPECT_GT(knob->GetRECT().W(), 0);

      IParam* p = param(kParam);
      EXPECT_STREQ(c.name, p->GetNameForHost());
      EXPECT_STREQ(
          c.instance >= 0 ? ("Timbre " + std::to_string(c.instance + 1) + ":Filter").c_str() : "Filter",
          p->GetParamGroupForHost());
      EXPECT_EQ(64.0, p->GetDefault());
      EXPECT_EQ(0.0, p->GetMin());
      EXPECT_EQ(127.0, p->GetMax());
      EXPECT_EQ(c.step, p->GetStep());

      ControlAction* record = action(kParam);
      if (c.kind < 0) {
        EXPECT_EQ(nullptr, record);
        continue;
      }
      ASSERT_NE(nullptr, record);
      EXPECT_EQ(c.kind, record->kind);
      EXPECT_EQ(c.channel, record->channel);
      EXPECT_EQ(c.mixerLayer, record->mixerLayer);
      ASSERT_EQ(1u, record->controls.size());
      EXPECT_EQ(knob, record->controls[0]);
      switch (c.factory) {
        case kCCKnob:
          EXPECT_EQ(74, record->ccNumber);
          EXPECT_EQ(knob, findCCControl(real->ccControls, c.channel, 74, c.mixerLayer));
          break;
        case kMsbLsbKnob:
          EXPECT_EQ(6, record->ccNumber);
          EXPECT_EQ(1, record->msbValue);
          EXPECT_EQ(40, record->valueOffset);
          EXPECT_EQ(2, record->lsbControl);
          EXPECT_EQ(knob, real->nrpnControls.findControl(c.channel, 1, 40, 2, c.mixerLayer));
          break;
        case kSysExKnob:
          EXPECT_EQ(128u, record->sysex.messages.size());
          EXPECT_EQ(knob, real->sysexControls.findControl(0x00, 0x20, 0x01, 0x05, 0));
          break;
        case kSysExKnob2:
          EXPECT_TRUE(record->sysex.messages.empty());
          EXPECT_EQ(nullptr, real->sysexControls.findControl(0x00, 0x20, 0x01, 0x05, 0));
          EXPECT_TRUE(logged("has no SysEx messages"));
          break;
        default:
          break;
      }
      releaseControlActions(editor.get());
    }
  }
}

// Entry k carries minimum + k in the changing byte, modulo 128, and the
// second timbre's address lies 16 further on.
TEST_F(KnobFactories, SysExKnobMessages) {
  struct Case {
    double minimum, maximum;
    int instance;
    size_t count;
    std::vector<std::pair<size_t, int>> changing;  // entry, changing byte
    int address[2];                                // bytes 4 and 5 of every entry
  };
  const Case cases[] = {
      {0, 127, -1, 128, {{0, 0}, {64, 64}, {127, 127}}, {0x20, 0x01}},
      {0, 200, 0, 201, {{0, 0}, {127, 127}, {128, 0}, {129, 1}, {200, 72}}, {0x20, 0x01}},
      {116, 140, 1, 25, {{0, 116}, {11, 127}, {12, 0}, {24, 12}}, {0x30, 0x02}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.minimum) + ".." + std::to_string(c.maximum));
    build();
    ControlLayer* part = layer("part");
    real->createSysExKnobControl("K", kParam, 0, 0, kKnob, 0, c.minimum, c.maximum, 1, 0, 0, 8, c.instance,
                                 LinkInfo(), part, "");
    const auto& messages = action(kParam)->sysex.messages;
    ASSERT_EQ(c.count, messages.size());
    for (const auto& entry : c.changing) EXPECT_EQ(entry.second, messages[entry.first][7]) << entry.first;
    for (const auto& message : messages) {
      ASSERT_EQ(9u, message.size());
      EXPECT_EQ(c.address[0], message[4]);
      EXPECT_EQ(c.address[1], message[5]);
      for (const int32_t byte : std::vector<int32_t>(message.begin() + 1, message.end() - 1))
        EXPECT_LE(byte, 127);
    }
    releaseControlActions(editor.get());
  }
}

TEST_F(KnobFactories, SharedRecordLinkAndRefusals) {
  build();
  ControlLayer* part = layer("part");
  real->createCCKnobControl(74, 1, "A", kParam, 0, 0, kKnob, 0, 0, 127, 1, LinkInfo(), 0, part, "");
  real->createCCKnobControl(74, 1, "A", kParam, 50, 0, kKnob, 0, 0, 127, 1, LinkInfo(), 0, part, "");
  EXPECT_EQ(2u, action(kParam)->controls.size());
  EXPECT_EQ(kActionCC, action(kParam)->kind);
  real->createSysExKnobControl("A", kParam, 100, 0, kKnob, 0, 0, 127, 1, 0, 0, 8, 0,
                               LinkInfo(kParam + 1, 7, 2), part, "");
  ControlAction* record = action(kParam);
  EXPECT_EQ(kActionSysEx, record->kind);
  EXPECT_EQ(3u, record->controls.size());
  EXPECT_EQ(LinkInfo(kParam + 1, 7, 2), record->link);
  // An existing partner record keeps its kind and gets the back-link.
  real->createCCKnobControl(20, 1, "B", kParam + 2, 0, 0, kKnob, 0, 0, 127, 1, LinkInfo(), 0, part, "");
  real->createSysExKnobControl("C", kParam + 3, 0, 0, kKnob, 0, 0, 127, 1, 0, 0, 8, 0,
                               LinkInfo(kParam + 2, 9, -1), part, "");
  EXPECT_EQ(kActionCC, action(kParam + 2)->kind);
  EXPECT_EQ(LinkInfo(kParam + 3, 9, -1), action(kParam + 2)->link);
  ASSERT_NE(nullptr, action(kParam + 1));
  EXPECT_EQ(LinkInfo(kParam, 7, -1), action(kParam + 1)->link);

  // No template for the entry: the knob is built, sends and files nothing.
  real->createSysExKnobControl("D", kParam + 4, 0, 0, kKnob, 0, 0, 127, 1, 0, 1, 8, 0, LinkInfo(), part, "");
  EXPECT_TRUE(action(kParam + 4)->sysex.messages.empty());
  EXPECT_TRUE(logged("has no template"));
  // A negative minimum has no value byte to start from.
  real->createSysExKnobControl("E", kParam + 5, 0, 0, kKnob, 0, -1, 1, 1, 0, 0, 8, 0, LinkInfo(), part, "");
  EXPECT_TRUE(action(kParam + 5)->sysex.messages.empty());
  EXPECT_TRUE(logged("starts its SysEx values at -1"));
}

TEST_F(KnobFactories, CalculateSysexWithChangingByteReadsTheTemplateText) {
  build();
  ControlActionSysExMessage message;
  ASSERT_TRUE(real->calculateSysexWithChangingByte("F0 3E 16 00 20 01 05 00 F7", 8, 201, &message, 0, -1));
  ASSERT_EQ(201u, message.messages.size());
  const std::pair<size_t, int> entries[] = {{0, 0}, {127, 127}, {128, 0}, {129, 1}, {200, 72}};
  for (const auto& entry : entries) EXPECT_EQ(entry.second, message.messages[entry.first][7]) << entry.first;
  EXPECT_EQ((std::vector<int32_t>{0xF0, 0x3E, 0x16, 0x00, 0x20, 0x01, 0x05, 0x48, 0xF7}),
            message.messages[200]);

  // A changing byte outside the message is refused and logged; the
  // messages stay as they were.
  EXPECT_FALSE(real->calculateSysexWithChangingByte("F0 3E 16 F7", 5, 2, &message, 0, -1));
  EXPECT_EQ(201u, message.messages.size());
  EXPECT_TRUE(logged("changing byte 5 lies outside the SysEx template of 4 bytes"));
  EXPECT_FALSE(real->calculateSysexWithChangingByte("F0 3E 16 F7", 1, 2, nullptr, 0, -1));
}
