#include "tools/varno-sim/VarnoParameterTable.h"

#include <cstddef>

namespace varno {
namespace {

// index, name, dump byte, coding, minimum, maximum, initial, controller,
// single-parameter address low and high.
const SoundParameter kSoundParameters[kSoundParameterCount] = {
    {0, "kOscillator1Semitone", 6, Coding::PlusSixteen, 0, 96, 48, 32, 0x29, 0x00},
    {1, "kOscillator2Semitone", 10, Coding::PlusSixteen, 0, 96, 48, 36, 0x6B, 0x00},
    {2, "kOscillator3Semitone", 16, Coding::PlusSixteen, 0, 96, 48, 42, 0x70, 0x00},
    {3, "kOscillator1Tune", 7, Coding::Plain, 0, 127, 64, 33, 0x07, 0x01},
    {4, "kOscillator2Tune", 11, Coding::Plain, 0, 127, 64, 37, 0x0B, 0x01},
    {5, "kOscillator3Tune", 17, Coding::Plain, 0, 127, 64, 43, 0x11, 0x01},
    {6, "kOscillator1Shape", 8, Coding::Plain, 0, 2, 0, 34, 0x08, 0x01},
    {7, "kOscillator2Shape", 12, Coding::Plain, 0, 3, 0, 38, 0x7B, 0x01},
    {8, "kOscillator3Shape", 18, Coding::Plain, 0, 2, 0, 44, 0x12, 0x01},
    {9, "kOscillator1Level", 19, Coding::Plain, 0, 127, 100, 45, 0x13, 0x01},
    {10, "kOscillator2Level", 20, Coding::Plain, 0, 127, 100, 46, 0x14, 0x01},
    {11, "kOscillator3Level", 21, Coding::Plain, 0, 127, 100, 47, 0x15, 0x01},
    {12, "kNoiseLevel", 22, Coding::Plain, 0, 127, 0, 48, 0x16, 0x01},
    {13, "kExternalSignalLevel", -1, Coding::Plain, 0, 127, 0, 49, -1, -1},
    {14, "kOscillator1Pulsewidth", 9, Coding::Plain, 0, 127, 64, 35, 0x09, 0x01},
    {15, "kOscillator2Pulsewidth", 13, Coding::Plain, 0, 127, 64, 39, 0x0D, 0x01},
    {16, "kEnvelope1Attack", 27, Coding::Plain, 0, 127, 0, 54, 0x1B, 0x01},
    {17, "kEnvelope1Decay", 28, Coding::Plain, 0, 127, 60, 55, 0x1C, 0x01},
    {18, "kEnvelope1Sustain", 29, Coding::Plain, 0, 127, 100, 56, 0x1D, 0x01},
    {19, "kEnvelope1Release", 30, Coding::Plain, 0, 127, 30, 57, 0x1E, 0x01},
    {20, "kPanning", 70, Coding::Plain, 0, 127, 64, 10, 0x46, 0x01},
    {21, "kMainVolume", -1, Coding::Plain, 0, 127, 100, 7, -1, -1},
    {22, "kPortamento", 41, Coding::Plain, 0, 127, 0, 5, 0x29, 0x01},
    {23, "kBreathControl", -1, Coding::Plain, 0, 127, 0, 2, -1, -1},
    {24, "kModWheel", -1, Coding::Plain, 0, 127, 0, 1, -1, -1},
    {25, "kEnvelope2Attack", 33, Coding::Plain, 0, 127, 0, 60, 0x21, 0x01},
    {26, "kEnvelope2Decay", 34, Coding::Plain, 0, 127, 60, 61, 0x22, 0x01},
    {27, "kEnvelope2Sustain", 35, Coding::Plain, 0, 127, 100, 62, 0x23, 0x01},
    {28, "kEnvelope2Release", 36, Coding::Plain, 0, 127, 30, 63, 0x24, 0x01},
    {29, "kLFO1Speed", 23, Coding::Plain, 0, 127, 0, 50, 0x17, 0x01},
    {30, "kLFO1Shape", 24, Coding::Plain, 0, 7, 0, 51, 0x18, 0x01},
    {31, "kLFO2Speed", 25, Coding::Plain, 0, 127, 0, 52, 0x19, 0x01},
    {32, "kLFO2Delay", 26, Coding::Plain, 0, 127, 0, 53, 0x1A, 0x01},
    {33, "kEnvelope1Keytrack", 31, Coding::Plain, 0, 127, 64, 58, 0x1F, 0x01},
    {34, "kEnvelope1Trigger", 32, Coding::Plain, 0, 3, 0, 59, 0x20, 0x01},
    {35, "kEnvelope2Keytrack", 37, Coding::Plain, 0, 127, 64, 66, 0x25, 0x01},
    {36, "kEnvelope2Trigger", 38, Coding::Plain, 0, 3, 0, 67, 0x26, 0x01},
    {37, "kOscillator2Keytrack", 15, Coding::Plain, 0, 1, 1, 40, 0x0F, 0x01},
    {38, "kOscillator2Sync", 14, Coding::Plain, 0, 1, 0, 41, 0x00, 0x02},
    {39, "kFilterCutoff", 61, Coding::Plain, 0, 127, 82, 74, 0x3D, 0x01},
    {40, "kFilterCutoffKeytrack", 62, Coding::Plain, 0, 127, 64, 75, 0x3E, 0x01},
    {41, "kFilterCutoffEnv1Sens", 63, Coding::Plain, 0, 127, 64, 76, 0x3F, 0x01},
    {42, "kFilterCutoffVeloSens", 64, Coding::Plain, 0, 127, 64, 77, 0x40, 0x01},
    {43, "kFilterCutoffModSource", 66, Coding::Plain, 0, 15, 0, 79, 0x42, 0x01},
    {44, "kFilterCutoffModAmount", 65, Coding::Plain, 0, 127, 64, 78, 0x41, 0x01},
    {45, "kFilterResonance", 67, Coding::Plain, 0, 127, 29, 71, 0x43, 0x01},
    {46, "kVolume", 68, Coding::Plain, 0, 127, 100, 80, 0x44, 0x01},
    {47, "kVolumeVeloSense", 69, Coding::Plain, 0, 127, 64, 81, 0x45, 0x01},
    {48, "kPitchModSource", 40, Coding::Plain, 0, 15, 0, 69, 0x28, 0x01},
    {49, "kPitchModAmount", 39, Coding::Plain, 0, 127, 64, 68, 0x27, 0x01},
    {50, "kPortamentoMode", 42, Coding::Plain, 0, 2, 0, 65, 0x10, 0x00},
    {51, "kPitchBendScale", 43, Coding::Plain, 0, 12, 2, 70, 0x2B, 0x01},
    {52, "kSustainSwitch", -1, Coding::Plain, 0, 1, 0, 64, -1, -1},
    {53, "kArpOnOff", 56, Coding::Plain, 0, 2, 0, 102, 0x38, 0x01},
    {54, "kArpRange", 57, Coding::Plain, 0, 3, 0, 103, 0x39, 0x01},
    {55, "kArpTempo", 58, Coding::Plain, 0, 127, 55, 104, 0x3A, 0x01},
    {56, "kArpClock", 59, Coding::ClockCode, 0, 9, 0, 105, 0x3B, 0x01},
    {57, "kArpMode", 60, Coding::Plain, 0, 6, 0, 106, 0x3C, 0x01},
    {58, "kModUnit1Source", 44, Coding::Plain, 0, 15, 0, 82, 0x2C, 0x01},
    {59, "kModUnit1Amount", 45, Coding::Plain, 0, 127, 64, 83, 0x2D, 0x01},
    {60, "kModUnit1Destination", 46, Coding::Plain, 0, 15, 0, 84, 0x2E, 0x01},
    {61, "kModUnit2Source", 47, Coding::Plain, 0, 15, 0, 85, 0x2F, 0x01},
    {62, "kModUnit2Amount", 48, Coding::Plain, 0, 127, 64, 86, 0x30, 0x01},
    {63, "kModUnit2Destination", 49, Coding::Plain, 0, 15, 0, 87, 0x31, 0x01},
    {64, "kModUnit3Source", 50, Coding::Plain, 0, 15, 0, 88, 0x32, 0x01},
    {65, "kModUnit3Amount", 51, Coding::Plain, 0, 127, 64, 89, 0x33, 0x01},
    {66, "kModUnit3Destination", 52, Coding::Plain, 0, 15, 0, 90, 0x34, 0x01},
    {67, "kModUnit4Source", 53, Coding::Plain, 0, 15, 0, 91, 0x35, 0x01},
    {68, "kModUnit4Amount", 54, Coding::Plain, 0, 127, 64, 92, 0x36, 0x01},
    {69, "kModUnit4Destination", 55, Coding::Plain, 0, 15, 0, 93, 0x37, 0x01},
    {70, "kCV2ModAmount", -1, Coding::Plain, 0, 127, 64, 94, -1, -1},
    {71, "kCV2ModSource", -1, Coding::Plain, 0, 15, 0, 95, -1, -1},
};

// index, name, global dump byte, offset, minimum, maximum, initial, parameter
// number MSB and LSB, controller.
const GlobalSetting kGlobalSettings[kGlobalSettingCount] = {
    {kIndexGlobalStartUpProgram, "kGlobalStartUpProgram", 5, 0, 0, 98, 0, kNumberMsbGlobals, 5, -1},
    {kIndexGlobalMasterTune, "kGlobalMasterTune", 6, 54, 0, 20, 10, kNumberMsbGlobals, 6, -1},
    {kIndexGlobalControlX, "kGlobalControlX", 7, 0, 0, 3, 0, kNumberMsbGlobals, 7, -1},
    {kIndexGlobalMidiChannel, "kGlobalMidiChannel", 8, 0, 0, 16, 1, kNumberMsbGlobals, 8, -1},
    {kIndexGlobalDeviceId, "kGlobalDeviceID", 9, 0, 0, kMaximumDeviceId, 0, kNumberMsbGlobals, 9, -1},
    {kIndexGlobalLocalControl, "kGlobalLocalControl", -1, 0, 0, 1, 1, -1, -1, 122},
};

// The first entry of a table that the test accepts, or null.
template <class Entry, std::size_t count, class Test>
const Entry* findFirst(const Entry (&table)[count], Test test) {
  for (const Entry& entry : table)
    if (test(entry)) return &entry;
  return nullptr;
}

}  // namespace

const SoundParameter* soundParameter(int index) {
  if (index < 0 || index >= kSoundParameterCount) return nullptr;
  return &kSoundParameters[index];
}

const SoundParameter* soundParameterByDumpByte(int dumpByte) {
  if (dumpByte < kFirstSoundByte || dumpByte > kLastSoundByte) return nullptr;
  return findFirst(kSoundParameters, [dumpByte](const SoundParameter& p) { return p.dumpByte == dumpByte; });
}

const SoundParameter* soundParameterByController(int controller) {
  return findFirst(kSoundParameters,
                   [controller](const SoundParameter& p) { return p.controller == controller; });
}

const SoundParameter* soundParameterByAddress(int addressLow, int addressHigh) {
  if (addressLow < 0) return nullptr;
  return findFirst(kSoundParameters, [addressLow, addressHigh](const SoundParameter& p) {
    return p.addressLow == addressLow && p.addressHigh == addressHigh;
  });
}

const GlobalSetting* globalSetting(int index) {
  return findFirst(kGlobalSettings, [index](const GlobalSetting& g) { return g.index == index; });
}

const GlobalSetting* globalSettingByDumpByte(int dumpByte) {
  if (dumpByte < 0) return nullptr;
  return findFirst(kGlobalSettings, [dumpByte](const GlobalSetting& g) { return g.dumpByte == dumpByte; });
}

const GlobalSetting* globalSettingByNumber(int msb, int lsb) {
  if (msb < 0) return nullptr;
  return findFirst(kGlobalSettings,
                   [msb, lsb](const GlobalSetting& g) { return g.numberMsb == msb && g.numberLsb == lsb; });
}

const GlobalSetting* globalSettingByController(int controller) {
  if (controller < 0) return nullptr;
  return findFirst(kGlobalSettings,
                   [controller](const GlobalSetting& g) { return g.controller == controller; });
}

const GlobalSetting* globalSettings() { return kGlobalSettings; }

int limitToRange(int value, int minimum, int maximum) {
  if (value < minimum) return minimum;
  if (value > maximum) return maximum;
  return value;
}

}  // namespace varno
