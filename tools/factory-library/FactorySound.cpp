#include "tools/factory-library/FactorySound.h"

#include <cctype>

namespace factory {
namespace {

struct Range {
  int minimum, maximum, initial;
};

// Dump bytes 6..70 in order: range and the Varno's initial value.
const Range kRanges[kLastSoundByte - kFirstSoundByte + 1] = {
    {0, 96, 48},   {0, 127, 64}, {0, 2, 0},     {0, 127, 64},  {0, 96, 48},    // 6..10
    {0, 127, 64},  {0, 3, 0},    {0, 127, 64},  {0, 1, 0},     {0, 1, 1},      // 11..15
    {0, 96, 48},   {0, 127, 64}, {0, 2, 0},     {0, 127, 100}, {0, 127, 100},  // 16..20
    {0, 127, 100}, {0, 127, 0},  {0, 127, 0},   {0, 7, 0},     {0, 127, 0},    // 21..25
    {0, 127, 0},   {0, 127, 0},  {0, 127, 60},  {0, 127, 100}, {0, 127, 30},   // 26..30
    {0, 127, 64},  {0, 3, 0},    {0, 127, 0},   {0, 127, 60},  {0, 127, 100},  // 31..35
    {0, 127, 30},  {0, 127, 64}, {0, 3, 0},     {0, 127, 64},  {0, 15, 0},     // 36..40
    {0, 127, 0},   {0, 2, 0},    {0, 12, 2},    {0, 15, 0},    {0, 127, 64},   // 41..45
    {0, 15, 0},    {0, 15, 0},   {0, 127, 64},  {0, 15, 0},    {0, 15, 0},     // 46..50
    {0, 127, 64},  {0, 15, 0},   {0, 15, 0},    {0, 127, 64},  {0, 15, 0},     // 51..55
    {0, 2, 0},     {0, 3, 0},    {0, 127, 55},  {0, 10, 0},    {0, 6, 0},      // 56..60
    {0, 127, 82},  {0, 127, 64}, {0, 127, 64},  {0, 127, 64},  {0, 127, 64},   // 61..65
    {0, 15, 0},    {0, 127, 29}, {0, 127, 100}, {0, 127, 64},  {0, 127, 64},   // 66..70
};

bool inSound(int dumpByte) { return dumpByte >= kFirstSoundByte && dumpByte <= kLastSoundByte; }

const Range& rangeOf(int dumpByte) { return kRanges[dumpByte - kFirstSoundByte]; }

// The semitones travel as value + 16.
int codeOf(int dumpByte, int value) {
  const bool semitone = dumpByte == kOsc1Semitone || dumpByte == kOsc2Semitone || dumpByte == kOsc3Semitone;
  return semitone ? value + 16 : value;
}

}  // namespace

int minimumOf(int dumpByte) { return inSound(dumpByte) ? rangeOf(dumpByte).minimum : 0; }
int maximumOf(int dumpByte) { return inSound(dumpByte) ? rangeOf(dumpByte).maximum : 0; }

FactorySound::FactorySound() {
  for (int b = kFirstSoundByte; b <= kLastSoundByte; ++b) m_values[b - kFirstSoundByte] = rangeOf(b).initial;
}

void FactorySound::set(int dumpByte, int value) {
  if (!inSound(dumpByte)) return;
  const Range& range = rangeOf(dumpByte);
  m_values[dumpByte - kFirstSoundByte] = value < range.minimum   ? range.minimum
                                         : value > range.maximum ? range.maximum
                                                                 : value;
}

int FactorySound::value(int dumpByte) const {
  return inSound(dumpByte) ? m_values[dumpByte - kFirstSoundByte] : -1;
}

Record FactorySound::record(int program, const std::string& name, int category) const {
  Record r{};
  const uint8_t header[] = {0xF0, 0x3E, 0x0B, 0x00, 0x01, static_cast<uint8_t>(program & 0x7F)};
  for (size_t i = 0; i < sizeof header; ++i) r[i] = header[i];
  for (int b = kFirstSoundByte; b <= kLastSoundByte; ++b)
    r[static_cast<size_t>(b)] = static_cast<uint8_t>(codeOf(b, value(b)));
  int sum = 0;  // bytes 71..73 stay 0
  for (size_t i = 5; i <= 73; ++i) sum += r[i];
  r[74] = static_cast<uint8_t>(sum % 128);
  r[75] = 0x00;
  for (size_t i = 0; i < static_cast<size_t>(kNameSize); ++i) {
    const unsigned char c = i < name.size() ? static_cast<unsigned char>(name[i]) : ' ';
    r[76 + i] = c >= 0x20 && c < 0x7F ? static_cast<uint8_t>(std::toupper(c)) : ' ';
  }
  r[90] = static_cast<uint8_t>(category < 0 || category > 20 ? 20 : category);
  r[91] = 0xF7;
  return r;
}

}  // namespace factory
