// The Varno's parameter table, written from docs/midi-implementation.md: for
// each of the 72 sound parameters its place in the sound dump, its coding, its
// range and initial value, its controller and its single-parameter address;
// for the global settings their place in the global dump and their parameter
// number. The simulator's own table: it shares nothing with the editor, so a
// mapping that is wrong on either side fails a test.
#pragma once

#include <cstdint>

namespace varno {

constexpr int kSoundParameterCount = 72;
constexpr int kProgramCount = 99;  // programs 0..98
constexpr int kSoundDumpSize = 76;
constexpr int kGlobalDumpSize = 12;
constexpr int kParameterMessageSize = 10;
constexpr int kFirstSoundByte = 6;  // dump bytes 6..70 carry sound parameters
constexpr int kLastSoundByte = 70;
constexpr int kMaximumDeviceId = 15;

// Parameter indices the simulator treats by name.
constexpr int kIndexOscillator1Semitone = 0;
constexpr int kIndexSustainSwitch = 52;
constexpr int kIndexArpTempo = 55;
constexpr int kIndexArpClock = 56;
constexpr int kIndexGlobalMidiChannel = 74;
constexpr int kIndexGlobalLocalControl = 75;
constexpr int kIndexGlobalStartUpProgram = 131;
constexpr int kIndexGlobalMasterTune = 132;
constexpr int kIndexGlobalControlX = 133;
constexpr int kIndexGlobalDeviceId = 134;

// How a value travels in the sound dump and as controller data.
enum class Coding : uint8_t {
  Plain,        // the value itself
  PlusSixteen,  // value + 16 (the three semitones)
  ClockCode,    // 0 = own tempo, n = clock division n - 1 (kArpClock)
};

// The single-parameter message carries kArpTempo as this word: value + 20.
constexpr int kTempoWordOffset = 20;
// Highest clock code: ten divisions, codes 1..10.
constexpr int kMaximumClockCode = 10;

struct SoundParameter {
  int index;
  const char* name;
  int dumpByte;  // 6..70, or -1 for the performance settings no dump carries
  Coding coding;
  int minimum;
  int maximum;
  int initial;
  int controller;  // control change number
  int addressLow;  // single-parameter address (c, d), -1 when it has none
  int addressHigh;
};

// The global settings: the five of the global dump and local control.
struct GlobalSetting {
  int index;
  const char* name;
  int dumpByte;  // 5..9 of the global dump, -1 for local control
  int offset;    // added to the value in the dump byte and the parameter-number data
  int minimum;
  int maximum;
  int initial;
  int numberMsb;  // parameter number (controllers 99, 98), -1 when it has none
  int numberLsb;
  int controller;  // -1 when it has none
};

constexpr int kGlobalSettingCount = 6;
constexpr int kNumberMsbGlobals = 1;

// The sound parameter of index 0..71; null outside.
const SoundParameter* soundParameter(int index);
// Lookups by message field; null when no parameter has that field.
const SoundParameter* soundParameterByDumpByte(int dumpByte);
const SoundParameter* soundParameterByController(int controller);
const SoundParameter* soundParameterByAddress(int addressLow, int addressHigh);

// The global setting by parameter index (74, 75, 131..134); null for others.
const GlobalSetting* globalSetting(int index);
const GlobalSetting* globalSettingByDumpByte(int dumpByte);
const GlobalSetting* globalSettingByNumber(int msb, int lsb);
const GlobalSetting* globalSettingByController(int controller);
// All global settings in table order (kGlobalSettingCount entries).
const GlobalSetting* globalSettings();

// Limits a value to [minimum, maximum].
int limitToRange(int value, int minimum, int maximum);

}  // namespace varno
