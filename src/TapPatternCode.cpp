#include "src/TapPatternCode.h"

#include <cstdint>

namespace {

constexpr int kStepsPerNumber = 5;
constexpr uint32_t kBase = 24;
constexpr int kFirstSetting = 30;
constexpr int kSecondSetting = 31;
constexpr int kThirdSetting = 32;

// Pattern bytes are signed whatever the signedness of plain char.
int patternValue(const char* pattern, int index) { return static_cast<signed char>(pattern[index]); }

uint32_t clampTo(int value, int highest) {
  return static_cast<uint32_t>(value < 0 ? 0 : value > highest ? highest : value);
}

uint32_t stepDigit(const char* pattern, int step) {
  return clampTo(patternValue(pattern, 2 * step), 7) | (clampTo(patternValue(pattern, 2 * step + 1), 2) << 3);
}

// Steps first .. first + 4 as one base-24 number, the first step most significant.
uint32_t packNumber(const char* pattern, int first) {
  uint32_t number = 0;
  for (int step = first; step < first + kStepsPerNumber; ++step)
    number = number * kBase + stepDigit(pattern, step);
  return number;
}

void unpackNumber(uint32_t number, int first, char* pattern) {
  for (int j = 0; j < kStepsPerNumber; ++j) {
    const uint32_t digit = number % kBase;
    number /= kBase;
    const int step = first + kStepsPerNumber - 1 - j;
    pattern[2 * step] = static_cast<char>(digit & 7);
    pattern[2 * step + 1] = static_cast<char>(digit >> 3);
  }
}

char codeByte(uint32_t bits) { return static_cast<char>(bits & 0x7F); }

}  // namespace

void GenTapPatternCode(char* code, const char* pattern) {
  const uint32_t n1 = packNumber(pattern, 0);
  const uint32_t n2 = packNumber(pattern, 5);
  const uint32_t n3 = packNumber(pattern, 10);

  code[0] = codeByte(n1);
  code[1] = codeByte(n1 >> 7);
  code[2] = codeByte(n1 >> 14);
  code[3] = codeByte(((n2 & 0x1F) << 2) | ((n1 >> 21) & 3));
  code[4] = codeByte(n2 >> 5);
  code[5] = codeByte(n2 >> 12);
  code[6] = codeByte(((n3 & 7) << 4) | ((n2 >> 19) & 0x0F));
  code[7] = codeByte(n3 >> 3);
  code[8] = codeByte(n3 >> 10);
  code[9] = static_cast<char>((n3 >> 17) & 0x3F);

  const uint32_t first = clampTo(patternValue(pattern, kFirstSetting), 7);
  const uint32_t second = clampTo(patternValue(pattern, kSecondSetting), 2);
  const uint32_t third = clampTo(patternValue(pattern, kThirdSetting), 24) & 0x18;
  code[10] = codeByte((third << 2) | (second << 3) | first);
}

void decodeTapPatternCode(const unsigned char* code, char* pattern) {
  const uint32_t c[kTapPatternCodeBytes] = {code[0], code[1], code[2], code[3], code[4], code[5],
                                            code[6], code[7], code[8], code[9], code[10]};
  const uint32_t n1 = c[0] | (c[1] << 7) | (c[2] << 14) | ((c[3] & 3) << 21);
  const uint32_t n2 = (c[3] >> 2) | (c[4] << 5) | (c[5] << 12) | ((c[6] & 0x0F) << 19);
  const uint32_t n3 = (c[6] >> 4) | (c[7] << 3) | (c[8] << 10) | (c[9] << 17);
  unpackNumber(n1, 0, pattern);
  unpackNumber(n2, 5, pattern);
  unpackNumber(n3, 10, pattern);

  const uint32_t second = (c[10] >> 3) & 3;
  pattern[kFirstSetting] = static_cast<char>(c[10] & 7);
  pattern[kSecondSetting] = static_cast<char>(second == 3 ? 0 : second);
  pattern[kThirdSetting] = static_cast<char>((c[10] >> 2) & 0x18);
}
