// One sound of the Varno as its dump carries it: the coded bytes 6..70. Values
// go in and out through the parameter table's codings; every stored byte is a
// valid code, because whatever is set is limited to the parameter's range
// first. A sound says nothing about the performance settings (modulation
// wheel, sustain, ...), which no dump carries.
#pragma once

#include <array>
#include <cstdint>

#include "tools/varno-sim/VarnoParameterTable.h"

namespace varno {

class Sound {
 public:
  // The Varno's initial sound: every parameter at its table initial value, the
  // arpeggiator on its own tempo.
  Sound();

  // The value of a sound parameter the dump carries (decoded as the editor
  // reads it: semitone byte - 16; clock code 0 reads as 0). Returns -1 for an
  // index without a dump byte.
  int value(int index) const;
  // Sets a dump-carried parameter, limited to its range; kArpClock set this way
  // puts the arpeggiator on received clock (code value + 1). Returns false (and
  // changes nothing) for an index without a dump byte.
  bool setValue(int index, int value);

  // The coded byte at dump byte 6..70; 0 outside.
  uint8_t code(int dumpByte) const;
  // Takes a received code for dump byte 6..70: decodes it, limits the value to
  // the parameter's range and stores it coded again. Returns false outside.
  bool setCode(int dumpByte, int code);

  // True while the arpeggiator runs on its own tempo (clock code 0).
  bool arpOnOwnTempo() const { return code(59) == 0; }

  bool operator==(const Sound& other) const { return m_codes == other.m_codes; }
  bool operator!=(const Sound& other) const { return !(*this == other); }

 private:
  std::array<uint8_t, kLastSoundByte - kFirstSoundByte + 1> m_codes{};
};

// Encodes a value of the parameter into its dump byte or controller data
// (PlusSixteen: value + 16; ClockCode: value + 1). The value is limited first.
int encodeValue(const SoundParameter& parameter, int value);
// Decodes a dump byte or controller data into a value within the range.
int decodeCode(const SoundParameter& parameter, int code);

}  // namespace varno
