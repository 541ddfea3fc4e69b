#include "tools/varno-sim/VarnoSound.h"

namespace varno {

int encodeValue(const SoundParameter& parameter, int value) {
  const int limited = limitToRange(value, parameter.minimum, parameter.maximum);
  switch (parameter.coding) {
    case Coding::PlusSixteen:
      return limited + 16;
    case Coding::ClockCode:
      return limited + 1;
    case Coding::Plain:
      break;
  }
  return limited;
}

int decodeCode(const SoundParameter& parameter, int code) {
  int value = code;
  switch (parameter.coding) {
    case Coding::PlusSixteen:
      value = code - 16;
      break;
    case Coding::ClockCode:
      value = code <= 0 ? 0 : code - 1;
      break;
    case Coding::Plain:
      break;
  }
  return limitToRange(value, parameter.minimum, parameter.maximum);
}

Sound::Sound() {
  for (int index = 0; index < kSoundParameterCount; ++index) {
    const SoundParameter* parameter = soundParameter(index);
    if (parameter->dumpByte >= 0) setValue(index, parameter->initial);
  }
  m_codes[59 - kFirstSoundByte] = 0;  // own tempo
}

int Sound::value(int index) const {
  const SoundParameter* parameter = soundParameter(index);
  if (parameter == nullptr || parameter->dumpByte < 0) return -1;
  return decodeCode(*parameter, code(parameter->dumpByte));
}

bool Sound::setValue(int index, int value) {
  const SoundParameter* parameter = soundParameter(index);
  if (parameter == nullptr || parameter->dumpByte < 0) return false;
  m_codes[parameter->dumpByte - kFirstSoundByte] = static_cast<uint8_t>(encodeValue(*parameter, value));
  return true;
}

uint8_t Sound::code(int dumpByte) const {
  if (dumpByte < kFirstSoundByte || dumpByte > kLastSoundByte) return 0;
  return m_codes[dumpByte - kFirstSoundByte];
}

bool Sound::setCode(int dumpByte, int code) {
  const SoundParameter* parameter = soundParameterByDumpByte(dumpByte);
  if (parameter == nullptr) return false;
  if (parameter->coding == Coding::ClockCode) {
    // The clock code is kept as it came (0 = own tempo), limited to the codes
    // that exist; decoding would lose the difference between 0 and 1.
    m_codes[dumpByte - kFirstSoundByte] = static_cast<uint8_t>(limitToRange(code, 0, kMaximumClockCode));
    return true;
  }
  m_codes[dumpByte - kFirstSoundByte] =
      static_cast<uint8_t>(encodeValue(*parameter, decodeCode(*parameter, code)));
  return true;
}

}  // namespace varno
