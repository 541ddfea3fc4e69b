// One sound of the factory library as the Varno's dump carries it: a value
// for each sound parameter of dump bytes 6..70, starting from the Varno's
// initial sound (docs/midi-implementation.md, section 4), and the 92-byte
// library record the editor keeps for it. Every value is held within its
// parameter's range, so every record is a sound the Varno takes as it is.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace factory {

// Dump bytes of the sound parameters, by the names the recipes use.
enum DumpByte : int {
  kOsc1Semitone = 6,
  kOsc1Tune,
  kOsc1Shape,
  kOsc1Pulsewidth,
  kOsc2Semitone,
  kOsc2Tune,
  kOsc2Shape,
  kOsc2Pulsewidth,
  kOsc2Sync,
  kOsc2Keytrack,
  kOsc3Semitone,
  kOsc3Tune,
  kOsc3Shape,
  kOsc1Level,
  kOsc2Level,
  kOsc3Level,
  kNoiseLevel,
  kLfo1Speed,
  kLfo1Shape,
  kLfo2Speed,
  kLfo2Delay,
  kEnv1Attack,
  kEnv1Decay,
  kEnv1Sustain,
  kEnv1Release,
  kEnv1Keytrack,
  kEnv1Trigger,
  kEnv2Attack,
  kEnv2Decay,
  kEnv2Sustain,
  kEnv2Release,
  kEnv2Keytrack,
  kEnv2Trigger,
  kPitchModAmount,
  kPitchModSource,
  kPortamento,
  kPortamentoMode,
  kPitchBendScale,
  kMod1Source,
  kMod1Amount,
  kMod1Destination,
  kMod2Source,
  kMod2Amount,
  kMod2Destination,
  kMod3Source,
  kMod3Amount,
  kMod3Destination,
  kMod4Source,
  kMod4Amount,
  kMod4Destination,
  kArpOnOff,
  kArpRange,
  kArpTempo,
  kArpClockCode,  // 0: the arpeggiator's own tempo; 1..10: MIDI clock division + 1
  kArpMode,
  kFilterCutoff,
  kFilterKeytrack,
  kFilterEnv1Sens,
  kFilterVeloSens,
  kFilterModAmount,
  kFilterModSource,
  kFilterResonance,
  kVolume,
  kVolumeVeloSense,
  kPanning,
};

constexpr int kFirstSoundByte = kOsc1Semitone;
constexpr int kLastSoundByte = kPanning;
constexpr int kRecordSize = 92;
constexpr int kNameSize = 14;

using Record = std::array<uint8_t, kRecordSize>;

// Range of the parameter at a dump byte (6..70); 0..0 outside.
int minimumOf(int dumpByte);
int maximumOf(int dumpByte);

class FactorySound {
 public:
  // The Varno's initial sound.
  FactorySound();

  // Sets the parameter at a dump byte to value, limited to its range; a byte
  // outside 6..70 changes nothing.
  void set(int dumpByte, int value);
  // The value at a dump byte; -1 outside 6..70.
  int value(int dumpByte) const;

  // The library record of this sound for a program slot 0..98: F0 3E 0B 00
  // 01 program, the coded sound bytes (semitones + 16), 00 00 00, the
  // checksum of bytes 5..73, 00, the name upper-cased and filled with blanks
  // to 14 characters (cut at 14; characters outside 0x20..0x7E become
  // blanks), the category code 0..20, F7.
  Record record(int program, const std::string& name, int category) const;

 private:
  std::array<int, kLastSoundByte - kFirstSoundByte + 1> m_values{};
};

}  // namespace factory
