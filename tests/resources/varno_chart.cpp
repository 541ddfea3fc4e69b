#include "tests/resources/varno_chart.h"

#include "src/EditorParams.h"

namespace {

constexpr CCCoding V = CCCoding::kValue;

}  // namespace

const std::vector<ChartRow>& chartRows() {
  static const std::vector<ChartRow> rows = {
      {kOscillator1Semitone, "kOscillator1Semitone", 0, 96, 32, CCCoding::kPlus16, 0x29, 0x00, nullptr},
      {kOscillator2Semitone, "kOscillator2Semitone", 0, 96, 36, CCCoding::kPlus16, 0x6B, 0x00, nullptr},
      {kOscillator3Semitone, "kOscillator3Semitone", 0, 96, 42, CCCoding::kPlus16, 0x70, 0x00, nullptr},
      {kOscillator1Tune, "kOscillator1Tune", 0, 127, 33, CCCoding::kEvenOnly, 0x07, 0x01, nullptr},
      {kOscillator2Tune, "kOscillator2Tune", 0, 127, 37, CCCoding::kEvenOnly, 0x0B, 0x01, nullptr},
      {kOscillator3Tune, "kOscillator3Tune", 0, 127, 43, CCCoding::kEvenOnly, 0x11, 0x01, nullptr},
      {kOscillator1Shape, "kOscillator1Shape", 0, 2, 34, V, 0x08, 0x01, "osc13Shape"},
      {kOscillator2Shape, "kOscillator2Shape", 0, 3, 38, V, 0x7B, 0x01, "osc2Shape"},
      {kOscillator3Shape, "kOscillator3Shape", 0, 2, 44, V, 0x12, 0x01, "osc13Shape"},
      {kOscillator1Level, "kOscillator1Level", 0, 127, 45, V, 0x13, 0x01, nullptr},
      {kOscillator2Level, "kOscillator2Level", 0, 127, 46, V, 0x14, 0x01, nullptr},
      {kOscillator3Level, "kOscillator3Level", 0, 127, 47, V, 0x15, 0x01, nullptr},
      {kNoiseLevel, "kNoiseLevel", 0, 127, 48, V, 0x16, 0x01, nullptr},
      {kExternalSignalLevel, "kExternalSignalLevel", 0, 127, 49, V, -1, -1, nullptr},
      {kOscillator1Pulsewidth, "kOscillator1Pulsewidth", 0, 127, 35, V, 0x09, 0x01, nullptr},
      {kOscillator2Pulsewidth, "kOscillator2Pulsewidth", 0, 127, 39, V, 0x0D, 0x01, nullptr},
      {kEnvelope1Attack, "kEnvelope1Attack", 0, 127, 54, V, 0x1B, 0x01, nullptr},
      {kEnvelope1Decay, "kEnvelope1Decay", 0, 127, 55, V, 0x1C, 0x01, nullptr},
      {kEnvelope1Sustain, "kEnvelope1Sustain", 0, 127, 56, V, 0x1D, 0x01, nullptr},
      {kEnvelope1Release, "kEnvelope1Release", 0, 127, 57, V, 0x1E, 0x01, nullptr},
      {kPanning, "kPanning", 0, 127, 10, V, 0x46, 0x01, nullptr},
      {kMainVolume, "kMainVolume", 0, 127, 7, V, -1, -1, nullptr},
      {kPortamento, "kPortamento", 0, 127, 5, V, 0x29, 0x01, nullptr},
      {kBreathControl, "kBreathControl", 0, 127, 2, V, -1, -1, nullptr},
      {kModWheel, "kModWheel", 0, 127, 1, V, -1, -1, nullptr},
      {kEnvelope2Attack, "kEnvelope2Attack", 0, 127, 60, V, 0x21, 0x01, nullptr},
      {kEnvelope2Decay, "kEnvelope2Decay", 0, 127, 61, V, 0x22, 0x01, nullptr},
      {kEnvelope2Sustain, "kEnvelope2Sustain", 0, 127, 62, V, 0x23, 0x01, nullptr},
      {kEnvelope2Release, "kEnvelope2Release", 0, 127, 63, V, 0x24, 0x01, nullptr},
      {kLFO1Speed, "kLFO1Speed", 0, 127, 50, V, 0x17, 0x01, nullptr},
      {kLFO1Shape, "kLFO1Shape", 0, 7, 51, V, 0x18, 0x01, "lfo1Shape"},
      {kLFO2Speed, "kLFO2Speed", 0, 127, 52, V, 0x19, 0x01, nullptr},
      {kLFO2Delay, "kLFO2Delay", 0, 127, 53, V, 0x1A, 0x01, nullptr},
      {kEnvelope1Keytrack, "kEnvelope1Keytrack", 0, 127, 58, V, 0x1F, 0x01, nullptr},
      {kEnvelope1Trigger, "kEnvelope1Trigger", 0, 3, 59, V, 0x20, 0x01, nullptr},
      {kEnvelope2Keytrack, "kEnvelope2Keytrack", 0, 127, 66, V, 0x25, 0x01, nullptr},
      {kEnvelope2Trigger, "kEnvelope2Trigger", 0, 3, 67, V, 0x26, 0x01, nullptr},
      {kOscillator2Keytrack, "kOscillator2Keytrack", 0, 1, 40, V, 0x0F, 0x01, nullptr},
      {kOscillator2Sync, "kOscillator2Sync", 0, 1, 41, V, 0x00, 0x02, nullptr},
      {kFilterCutoff, "kFilterCutoff", 0, 127, 74, V, 0x3D, 0x01, nullptr},
      {kFilterCutoffKeytrack, "kFilterCutoffKeytrack", 0, 127, 75, V, 0x3E, 0x01, nullptr},
      {kFilterCutoffEnv1Sens, "kFilterCutoffEnv1Sens", 0, 127, 76, V, 0x3F, 0x01, nullptr},
      {kFilterCutoffVeloSens, "kFilterCutoffVeloSens", 0, 127, 77, V, 0x40, 0x01, nullptr},
      {kFilterCutoffModSource, "kFilterCutoffModSource", 0, 15, 79, V, 0x42, 0x01, "modulationSources"},
      {kFilterCutoffModAmount, "kFilterCutoffModAmount", 0, 127, 78, V, 0x41, 0x01, nullptr},
      {kFilterResonance, "kFilterResonance", 0, 127, 71, V, 0x43, 0x01, nullptr},
      {kVolume, "kVolume", 0, 127, 80, V, 0x44, 0x01, nullptr},
      {kVolumeVeloSense, "kVolumeVeloSense", 0, 127, 81, V, 0x45, 0x01, nullptr},
      {kPitchModSource, "kPitchModSource", 0, 15, 69, V, 0x28, 0x01, "modulationSources"},
      {kPitchModAmount, "kPitchModAmount", 0, 127, 68, V, 0x27, 0x01, nullptr},
      {kPortamentoMode, "kPortamentoMode", 0, 2, 65, V, 0x10, 0x00, "portamentoMode"},
      {kPitchBendScale, "kPitchBendScale", 0, 12, 70, V, 0x2B, 0x01, "bendScale"},
      {kSustainSwitch, "kSustainSwitch", 0, 1, 64, CCCoding::kSwitch127, -1, -1, nullptr},
      {kArpOnOff, "kArpOnOff", 0, 2, 102, V, 0x38, 0x01, "arpActiveMode"},
      {kArpRange, "kArpRange", 0, 3, 103, V, 0x39, 0x01, "arpOctaveRange"},
      {kArpTempo, "kArpTempo", 0, 127, 104, V, 0x3A, 0x01, "arpClockRange"},
      {kArpClock, "kArpClock", 0, 9, 105, CCCoding::kClockCode, 0x3B, 0x01, "arpTempoValues"},
      {kArpMode, "kArpMode", 0, 6, 106, V, 0x3C, 0x01, "arpModeList"},
      {kModUnit1Source, "kModUnit1Source", 0, 15, 82, V, 0x2C, 0x01, "modulationSources"},
      {kModUnit1Amount, "kModUnit1Amount", 0, 127, 83, V, 0x2D, 0x01, nullptr},
      {kModUnit1Destination, "kModUnit1Destination", 0, 15, 84, V, 0x2E, 0x01, "modulationDestination"},
      {kModUnit2Source, "kModUnit2Source", 0, 15, 85, V, 0x2F, 0x01, "modulationSources"},
      {kModUnit2Amount, "kModUnit2Amount", 0, 127, 86, V, 0x30, 0x01, nullptr},
      {kModUnit2Destination, "kModUnit2Destination", 0, 15, 87, V, 0x31, 0x01, "modulationDestination"},
      {kModUnit3Source, "kModUnit3Source", 0, 15, 88, V, 0x32, 0x01, "modulationSources"},
      {kModUnit3Amount, "kModUnit3Amount", 0, 127, 89, V, 0x33, 0x01, nullptr},
      {kModUnit3Destination, "kModUnit3Destination", 0, 15, 90, V, 0x34, 0x01, "modulationDestination"},
      {kModUnit4Source, "kModUnit4Source", 0, 15, 91, V, 0x35, 0x01, "modulationSources"},
      {kModUnit4Amount, "kModUnit4Amount", 0, 127, 92, V, 0x36, 0x01, nullptr},
      {kModUnit4Destination, "kModUnit4Destination", 0, 15, 93, V, 0x37, 0x01, "modulationDestination"},
      {kCV2ModAmount, "kCV2ModAmount", 0, 127, 94, V, -1, -1, nullptr},
      {kCV2ModSource, "kCV2ModSource", 0, 15, 95, V, -1, -1, "modulationSources"},
  };
  return rows;
}

std::vector<int> probeValues(const ChartRow& row) {
  int middle = (row.lo + row.hi + 1) / 2;
  int top = row.hi;
  if (row.coding == CCCoding::kEvenOnly) {
    middle -= middle % 2;
    top -= top % 2;
  }
  return {row.lo, middle, top};
}

int chartControllerData(const ChartRow& row, int value) {
  switch (row.coding) {
    case CCCoding::kPlus16:
      return value + 16;
    case CCCoding::kClockCode:
      return value + 1;
    case CCCoding::kSwitch127:
      return value ? 127 : 0;
    case CCCoding::kValue:
    case CCCoding::kEvenOnly:
      break;
  }
  return value;
}

std::vector<uint8_t> chartSysEx(const ChartRow& row, int value, int deviceId) {
  return {0x3E,
          0x0B,
          static_cast<uint8_t>(deviceId),
          0x41,
          static_cast<uint8_t>(row.addressC),
          static_cast<uint8_t>(row.addressD),
          static_cast<uint8_t>(value),
          0x00};
}

const std::vector<GlobalChartRow>& globalChartRows() {
  static const std::vector<GlobalChartRow> rows = {
      {kGlobalStartUpProgram, "kGlobalStartUpProgram", 0, 98, 5, 0, nullptr, 1},
      {kGlobalMasterTune, "kGlobalMasterTune", 0, 20, 6, 54, "masterTune", 0},
      {kGlobalControlX, "kGlobalControlX", 0, 3, 7, 0, "controlX", 0},
      {kGlobalMidiChannel, "kGlobalMidiChannel", 0, 16, 8, 0, "omniToSixteen", 0},
      {kGlobalDeviceID, "kGlobalDeviceID", 0, 15, 9, 0, nullptr, 0},
  };
  return rows;
}

const std::vector<ChartList>& chartLists() {
  static const std::vector<ChartList> lists = {
      {"osc13Shape", 3},      {"osc2Shape", 4},     {"lfo1Shape", 8},          {"portamentoMode", 3},
      {"bendScale", 13},      {"arpActiveMode", 3}, {"arpOctaveRange", 4},     {"arpClockRange", 128},
      {"arpTempoValues", 10}, {"arpModeList", 7},   {"modulationSources", 16}, {"modulationDestination", 16},
      {"omniToSixteen", 17},  {"tempoValues", 128}, {"masterTune", 21},        {"controlX", 4},
  };
  return lists;
}
