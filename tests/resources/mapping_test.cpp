// Every sound parameter of the chart against the shipped descriptions: one
// mapped control each, the chart's message for its lowest, middle and
// highest value, and the lookup by which the Varno's own message finds the
// control again.
#include <map>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IParam.h"
#include "src/ControlActionSend.h"
#include "src/EditorParams.h"
#include "tests/resources/resources_fixture.h"
#include "tests/resources/varno_chart.h"

namespace {

using SoundMapping = ResourceTest;

constexpr int kDeviceId = 5;

bool isMapped(int kind) {
  return kind == kActionCC || kind == kActionCCSwitch || kind == kActionMsbLsb || kind == kActionSysEx ||
         kind == kActionSysExSwitch;
}

TEST_F(SoundMapping, EverySoundParameterHasExactlyOneMappedControlWithTheChartsRange) {
  buildFromResources();
  std::map<int, int> controlsOf;
  for (const PlacedControl& placed : allControls()) ++controlsOf[placed.control->ParamIdx()];

  for (const ChartRow& row : chartRows()) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(1, controlsOf[row.param]) << "controls bound to the parameter";
    ControlAction* record = action(row.param);
    ASSERT_NE(nullptr, record) << "no control maps the parameter";
    EXPECT_TRUE(isMapped(record->kind)) << "kind " << record->kind;
    EXPECT_EQ(1u, record->controls.size());
    EXPECT_EQ(row.lo, param(row.param)->GetMin());
    EXPECT_EQ(row.hi, param(row.param)->GetMax());
  }
}

TEST_F(SoundMapping, EachControlSendsTheChartsMessageAndIsFoundByIt) {
  buildFromResources();
  for (const ChartRow& row : chartRows()) {
    SCOPED_TRACE(row.name);
    ControlAction* record = action(row.param);
    ASSERT_NE(nullptr, record);
    ASSERT_FALSE(record->controls.empty());
    for (const int value : probeValues(row)) {
      SCOPED_TRACE("value " + std::to_string(value));
      std::vector<ControlActionMessage> messages;
      std::string ccLine;
      // Global channel 1: control changes leave on channel index 0.
      const ControlActionFault fault =
          buildControlActionMessages(*record, row.param, value, 1, kDeviceId, &messages, &ccLine);
      ASSERT_EQ(ControlActionFault::kNone, fault);
      ASSERT_EQ(1u, messages.size());
      if (messages[0].isSysEx) {
        ASSERT_GE(row.addressC, 0) << "a parameter without an address is sent as SysEx";
        ASSERT_NE(kArpTempo, row.param) << "the tempo word does not fit a per-value message";
        EXPECT_EQ(chartSysEx(row, value, kDeviceId), messages[0].sysex);
      } else {
        const IMidiMsg& cc = messages[0].controlChange;
        EXPECT_EQ(0xB0, cc.mStatus);
        EXPECT_EQ(row.controller, cc.mData1);
        EXPECT_EQ(chartControllerData(row, value), cc.mData2);
      }
    }
    // The Varno's own messages find the control, whichever Control X makes
    // it send: control changes under channel key 0 and table key 0 (as the
    // MIDI input looks them up), MSB/LSB pairs under their keys, and the
    // single-parameter message of a parameter with an address by its
    // bytes 3..6, whatever the control itself sends.
    IControl* control = record->controls[0];
    if (record->kind == kActionMsbLsb) {
      EXPECT_EQ(control,
                real->nrpnControls.findControl(record->channel, record->msbValue, record->valueOffset,
                                               record->lsbControl, record->mixerLayer));
    } else if (record->kind == kActionCC || record->kind == kActionCCSwitch) {
      EXPECT_EQ(control, findCCControl(real->ccControls, 0, row.controller, 0));
    }
    if (row.addressC >= 0) {
      EXPECT_EQ(control, real->sysexControls.findControl(0x58, 0x41, row.addressC, row.addressD, 0))
          << "the single-parameter message finds no control";
    } else {
      EXPECT_NE(kActionSysEx, record->kind) << "a parameter without an address";
    }
  }
}

// The first-generation shapes, sync and keytrack go out as control changes
// after every sound dump, so they must have a controller whatever else
// they have.
TEST_F(SoundMapping, ControllersSentAfterADumpAreMapped) {
  buildFromResources();
  for (const int index :
       {kOscillator1Shape, kOscillator2Shape, kOscillator3Shape, kOscillator2Sync, kOscillator2Keytrack}) {
    ControlAction* record = action(index);
    ASSERT_NE(nullptr, record) << index;
    EXPECT_TRUE(record->kind == kActionCC || record->kind == kActionCCSwitch) << index;
  }
}

TEST_F(SoundMapping, ValueListsHoldOneTextPerValue) {
  buildFromResources();
  for (const ChartList& list : chartLists()) {
    SCOPED_TRACE(list.name);
    ASSERT_EQ(1u, real->valueLists.count(list.name));
    const Values& texts = real->valueLists[list.name];
    EXPECT_EQ(list.count, texts.size());
    for (const std::string& text : texts) EXPECT_FALSE(text.empty());
  }
  // The tempo list is read as a number of beats per minute.
  const Values& tempo = real->valueLists["tempoValues"];
  ASSERT_EQ(128u, tempo.size());
  EXPECT_EQ("65", tempo.front());
  EXPECT_EQ("120", tempo[55]);
  EXPECT_EQ("192", tempo.back());
  // A menu shows its list: one display text per value, in order.
  for (const ChartRow& row : chartRows()) {
    IParam* p = param(row.param);
    if (!row.valueList || p->GetNDisplayTexts() == 0) continue;
    SCOPED_TRACE(row.name);
    const Values& texts = real->valueLists[row.valueList];
    ASSERT_EQ(static_cast<int>(texts.size()), p->GetNDisplayTexts());
    for (int k = 0; k < p->GetNDisplayTexts(); ++k) EXPECT_EQ(texts[k], p->GetDisplayTextAtIdx(k));
  }
}

}  // namespace

namespace {

// The SysEx description holds the single-parameter template of every
// sound parameter that has an address, in parameter order, so that a
// control mapped by SysEx index finds the chart's address.
TEST_F(SoundMapping, SysExTemplatesCarryTheChartsAddresses) {
  buildFromResources();
  size_t entry = 0;
  for (const ChartRow& row : chartRows()) {
    if (row.addressC < 0) continue;
    SCOPED_TRACE(row.name);
    ASSERT_LT(entry, real->sysexList.size());
    const SysExContainer& container = real->sysexList[entry++];
    ASSERT_FALSE(container.plainLists.empty());
    ASSERT_FALSE(container.plainLists[0].empty());
    const std::vector<int> bytes = UIConfigManager::convertStringSysextoVector(container.plainLists[0][0]);
    // The device place holds 58, as the Varno's own messages do.
    const std::vector<uint8_t> expected = chartSysEx(row, 0, 0x58);
    EXPECT_EQ(std::vector<int>(expected.begin(), expected.end()), bytes);
  }
  EXPECT_EQ(entry, real->sysexList.size());
}

}  // namespace

namespace {

using GlobalSettingsMapping = ResourceTest;

// Each global setting of the chart has one field in the global settings
// panel: a parameter-number control with the chart's range, sending the
// chart's three controllers for its lowest, middle and highest value, filed
// for the parameter number, and showing each value in the Varno's terms.
TEST_F(GlobalSettingsMapping, EachGlobalSettingIsAParameterNumberFieldOfThePanel) {
  buildFromResources();
  std::map<int, std::vector<PlacedControl>> placedOf;
  for (const PlacedControl& placed : allControls()) placedOf[placed.control->ParamIdx()].push_back(placed);

  for (const GlobalChartRow& row : globalChartRows()) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(1u, placedOf[row.param].size()) << "controls bound to the setting";
    const PlacedControl& placed = placedOf[row.param][0];
    ASSERT_FALSE(placed.layers.empty());
    EXPECT_EQ("globalSettings", placed.layers.back()->name);
    ControlAction* record = action(row.param);
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(kActionMsbLsb, record->kind);
    EXPECT_EQ(row.lo, param(row.param)->GetMin());
    EXPECT_EQ(row.hi, param(row.param)->GetMax());
    for (const int value : {row.lo, (row.lo + row.hi + 1) / 2, row.hi}) {
      SCOPED_TRACE("value " + std::to_string(value));
      std::vector<ControlActionMessage> messages;
      std::string ccLine;
      ASSERT_EQ(ControlActionFault::kNone,
                buildControlActionMessages(*record, row.param, value, 1, kDeviceId, &messages, &ccLine));
      std::vector<std::vector<int>> sent;
      for (const ControlActionMessage& m : messages)
        sent.push_back({m.controlChange.mStatus, m.controlChange.mData1, m.controlChange.mData2});
      EXPECT_EQ(sent, (std::vector<std::vector<int>>{
                          {0xB0, 99, 1}, {0xB0, 98, row.lsb}, {0xB0, 6, value + row.offset}}));
    }
    EXPECT_EQ(placed.control, real->nrpnControls.findControl(0, 1, row.offset, row.lsb, 0));
    // One text per value, as the list or the numbers give it.
    IParam* p = param(row.param);
    ASSERT_EQ(row.hi - row.lo + 1, p->GetNDisplayTexts());
    for (int v = row.lo; v <= row.hi; ++v) {
      const std::string expected = row.valueList ? real->valueLists[row.valueList][static_cast<size_t>(v)]
                                                 : std::to_string(row.first + v);
      EXPECT_EQ(expected, p->GetDisplayTextAtIdx(v)) << "value " << v;
    }
  }
  EXPECT_EQ("440 Hz", real->valueLists["masterTune"][10]) << "master tune 10 is A4 = 440 Hz";
}

// The header's key opens the panel and the panel's own closes it: both
// switch the same parameter.
TEST_F(GlobalSettingsMapping, TheHeaderKeyAndThePanelsExitSwitchThePanel) {
  buildFromResources();
  std::vector<std::string> places;
  for (const PlacedControl& placed : allControls())
    if (placed.control->ParamIdx() == kGlobalSettings)
      places.push_back(placed.layers.empty() ? "GUI" : placed.layers.back()->name);
  EXPECT_EQ(places, (std::vector<std::string>{"root", "globalSettings"}));
}

}  // namespace
