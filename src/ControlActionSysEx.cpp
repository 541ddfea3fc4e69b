#include "src/ControlActionSysEx.h"

#include <string>

namespace {
// Where the second timbre's address lies in a parameter message.
constexpr size_t kAddressLowByte = 4;
constexpr size_t kAddressHighByte = 5;
constexpr int kSecondTimbre = 1;

// value + step modulo 128, in 0..127 for any int (no overflow).
int32_t Add7Bit(int32_t value, int step) {
  const int64_t sum = static_cast<int64_t>(value) + step;
  return static_cast<int32_t>(((sum % 128) + 128) % 128);
}
}  // namespace

bool expandSysExTemplate(const std::vector<int>& base, int changingByte, int count, int startValue,
                         int instance, std::vector<ControlActionSysExMessage::Message>* messages,
                         const UIConfigLog& log) {
  if (!messages) return false;
  if (changingByte < 1 || static_cast<size_t>(changingByte) > base.size()) {
    reportConfigProblem(log, "CONFIG READER: changing byte " + std::to_string(changingByte) +
                                 " lies outside the SysEx template of " + std::to_string(base.size()) +
                                 " bytes; control has no SysEx messages!");
    return false;
  }
  if (startValue < -1) {
    reportConfigProblem(
        log, "CONFIG READER: SysEx start value " + std::to_string(startValue) + " is negative; refused!");
    return false;
  }
  if (instance == kSecondTimbre && base.size() <= kAddressHighByte) {
    reportConfigProblem(log, "CONFIG READER: SysEx template of " + std::to_string(base.size()) +
                                 " bytes is too short for the second timbre; refused!");
    return false;
  }

  const size_t changing = static_cast<size_t>(changingByte - 1);
  std::vector<ControlActionSysExMessage::Message> list;
  // Held modulo 128 from the start, so it never overflows and every value
  // written is a 7-bit data byte.
  int value = 0;
  int i = 0;
  if (startValue == -1) {
    list.emplace_back(base.begin(), base.end());
    value = base[changing];
    i = 1;
  } else {
    value = startValue;
  }
  value = Add7Bit(value, 0);  // a template byte of 128 or more, or negative

  for (; i < count; ++i) {
    ControlActionSysExMessage::Message m(base.begin(), base.end());
    if (instance == kSecondTimbre) {
      m[kAddressLowByte] = Add7Bit(m[kAddressLowByte], 16);
      m[kAddressHighByte] = Add7Bit(m[kAddressHighByte], 1);
    }
    m[changing] = value;
    list.push_back(std::move(m));
    value = (value + 1) % 128;
  }
  *messages = std::move(list);
  return true;
}

bool sysExLookupKey(const ControlActionSysExMessage::Message& message, int changingByte,
                    unsigned char key[4]) {
  const size_t first = changingByte == 7 ? 2 : 3;
  if (message.size() < first + 4) return false;
  for (size_t k = 0; k < 4; ++k) key[k] = static_cast<unsigned char>(message[first + k] & 0xFF);
  return true;
}
