#include <gtest/gtest.h>

#include <array>
#include <random>

#include "src/TapPatternCode.h"

namespace {

using Pattern = std::array<char, kTapPatternBytes>;
using Code = std::array<unsigned char, kTapPatternCodeBytes>;

Code pack(const Pattern& pattern) {
  std::array<char, kTapPatternCodeBytes> code;
  code.fill(char(0x55));
  GenTapPatternCode(code.data(), pattern.data());
  Code out;
  for (int i = 0; i < kTapPatternCodeBytes; ++i) out[i] = static_cast<unsigned char>(code[i]);
  return out;
}

Pattern unpack(const Code& code) {
  Pattern pattern;
  pattern.fill(char(0x55));
  decodeTapPatternCode(code.data(), pattern.data());
  return pattern;
}

Pattern emptyPattern() {
  Pattern p;
  p.fill(0);
  return p;
}

Pattern allHighest() {
  Pattern p;
  for (int k = 0; k < 15; ++k) {
    p[2 * k] = 7;
    p[2 * k + 1] = 2;
  }
  p[30] = 7;
  p[31] = 2;
  p[32] = 24;
  return p;
}

Pattern withStep(int step, int low, int high) {
  Pattern p = emptyPattern();
  p[2 * step] = static_cast<char>(low);
  p[2 * step + 1] = static_cast<char>(high);
  return p;
}

// The worked examples of the code layout.
TEST(TapPatternCode, knownPatternsGiveKnownCodes) {
  const struct {
    const char* why;
    Pattern pattern;
    Code code;
  } kCases[] = {
      {"all zero", emptyPattern(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"step 0 low 1: 24^4", withStep(0, 1, 0), {0x00, 0x20, 0x14, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"step 4 low 1: lowest digit", withStep(4, 1, 0), {0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"every field at its highest",
       allHighest(),
       {0x7F, 0x7F, 0x65, 0x7F, 0x7F, 0x17, 0x7F, 0x7F, 0x5F, 0x3C, 0x77}},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.code, pack(c.pattern)) << c.why;
    EXPECT_EQ(c.pattern, unpack(c.code)) << c.why;
  }
}

TEST(TapPatternCode, everyDigitOfEveryStepRoundTrips) {
  for (int step = 0; step < 15; ++step) {
    for (int digit = 0; digit < 24; ++digit) {
      const Pattern p = withStep(step, digit & 7, digit >> 3);
      const Code code = pack(p);
      for (unsigned char b : code) ASSERT_LT(b, 128) << "step " << step << " digit " << digit;
      ASSERT_EQ(p, unpack(code)) << "step " << step << " digit " << digit;
    }
  }
}

TEST(TapPatternCode, patternsInsideTheRangesRoundTrip) {
  std::mt19937 random(5);
  for (int i = 0; i < 2000; ++i) {
    Pattern p;
    for (int k = 0; k < 15; ++k) {
      p[2 * k] = static_cast<char>(random() % 8);
      p[2 * k + 1] = static_cast<char>(random() % 3);
    }
    p[30] = static_cast<char>(random() % 8);
    p[31] = static_cast<char>(random() % 3);
    p[32] = static_cast<char>(8 * (random() % 4));
    const Code code = pack(p);
    for (unsigned char b : code) ASSERT_LT(b, 128);
    ASSERT_EQ(p, unpack(code));
  }
}

TEST(TapPatternCode, secondSettingCodedAsThreeReadsAsZero) {
  Code code{};
  code[10] = 0x18 | 0x05;
  const Pattern p = unpack(code);
  EXPECT_EQ(0, p[31]);
  EXPECT_EQ(5, p[30]);
  EXPECT_EQ(0, p[32]);
}

// A value outside its range is packed as the nearest one inside it and leaves
// every other field as it was.
TEST(TapPatternCode, valuesOutsideTheirRangesStayInTheirOwnFields) {
  const struct {
    const char* why;
    int index, value, readsAs;
  } kCases[] = {
      {"first setting 15", 30, 15, 7},  {"first setting -1", 30, -1, 0},
      {"second setting 3", 31, 3, 2},   {"second setting 100", 31, 100, 2},
      {"third setting 31", 32, 31, 24}, {"third setting 9", 32, 9, 8},
      {"third setting -8", 32, -8, 0},  {"step 2 low part 12", 4, 12, 7},
      {"step 2 high part 3", 5, 3, 2},  {"step 14 high part -128", 29, -128, 0},
  };
  for (const auto& c : kCases) {
    Pattern p = allHighest();
    for (int k = 0; k < 15; ++k) p[2 * k + 1] = 1;  // middle values, so a spill either way shows
    p[30] = 3;
    p[31] = 1;
    p[32] = 16;
    Pattern expected = p;
    p[c.index] = static_cast<char>(c.value);
    expected[c.index] = static_cast<char>(c.readsAs);
    EXPECT_EQ(expected, unpack(pack(p))) << c.why;
  }
}

TEST(TapPatternCode, anyCodeUnpacksIntoTheRanges) {
  std::mt19937 random(9);
  for (int i = 0; i < 2000; ++i) {
    Code code;
    for (unsigned char& b : code) b = static_cast<unsigned char>(random());
    const Pattern p = unpack(code);
    for (int k = 0; k < 15; ++k) {
      ASSERT_GE(p[2 * k], 0);
      ASSERT_LE(p[2 * k], 7);
      ASSERT_GE(p[2 * k + 1], 0);
      ASSERT_LE(p[2 * k + 1], 2);
    }
    ASSERT_LE(p[30], 7);
    ASSERT_LE(p[31], 2);
    ASSERT_EQ(0, p[32] % 8);
    ASSERT_LE(p[32], 24);
  }
}

}  // namespace
