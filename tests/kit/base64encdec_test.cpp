#include "KIT/base64encdec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// The test vectors of RFC 4648, section 10.
const struct {
  const char* bytes;
  const char* text;
} kVectors[] = {
    {"", ""},
    {"f", "Zg=="},
    {"fo", "Zm8="},
    {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="},
    {"fooba", "Zm9vYmE="},
    {"foobar", "Zm9vYmFy"},
};

TEST(Base64, EncodesTheStandardVectors) {
  for (const auto& v : kVectors) {
    EXPECT_EQ(KIT_Base64Encode(reinterpret_cast<const uint8_t*>(v.bytes), strlen(v.bytes)), v.text)
        << "bytes \"" << v.bytes << "\"";
  }
  EXPECT_EQ(KIT_Base64Encode(nullptr, 5), "");
}

TEST(Base64, BothDecodersReadTheStandardVectors) {
  for (const auto& v : kVectors) {
    std::vector<uint8_t> strict;
    ASSERT_TRUE(KIT_Base64Decode(v.text, strlen(v.text), &strict)) << v.text;
    EXPECT_EQ(strict, Bytes(v.bytes)) << v.text;
    std::vector<uint8_t> lenient(strlen(v.bytes));
    EXPECT_EQ(KIT_Base64DecodeInto(v.text, lenient.data(), static_cast<int>(lenient.size())),
              static_cast<int>(lenient.size()))
        << v.text;
    EXPECT_EQ(lenient, Bytes(v.bytes)) << v.text;
  }
}

// Every byte value at every position of the last group, over lengths that
// end a text in each of the three fills.
TEST(Base64, RoundTripsEveryByteAndTail) {
  for (size_t length = 0; length <= 260; ++length) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + length);
    const std::string text = KIT_Base64Encode(bytes.data(), bytes.size());
    ASSERT_EQ(text.size(), (length + 2) / 3 * 4);
    std::vector<uint8_t> strict;
    ASSERT_TRUE(KIT_Base64Decode(text.data(), text.size(), &strict)) << "length " << length;
    EXPECT_EQ(strict, bytes) << "length " << length;
    std::vector<uint8_t> lenient(length);
    KIT_Base64DecodeInto(text.c_str(), lenient.data(), static_cast<int>(length));
    EXPECT_EQ(lenient, bytes) << "length " << length;
  }
}

TEST(Base64, StrictDecoderSkipsWhiteSpaceAndTakesAMissingFill) {
  const struct {
    const char* why;
    const char* text;
    const char* bytes;
  } cases[] = {
      {"line breaks of a written list", "\n\tZm9v\r\n\tYmFy\n", "foobar"},
      {"spaces inside a group and the fill", "Zm 9v Yg = =", "foob"},
      {"fill left out, two digits", "Zm9vYg", "foob"},
      {"fill left out, three digits", "Zm9vYmE", "fooba"},
      {"white space only", " \n\t", ""},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> out;
    ASSERT_TRUE(KIT_Base64Decode(c.text, strlen(c.text), &out)) << c.why;
    EXPECT_EQ(out, Bytes(c.bytes)) << c.why;
  }
}

TEST(Base64, StrictDecoderRefusesBadTextAndKeepsWhatItHad) {
  const struct {
    const char* why;
    std::string text;
  } cases[] = {
      {"a foreign byte", "AA*A"},
      {"a byte above 127", "AA\xC3\xA9"},
      {"a NUL inside the text", std::string("AA\0A", 4)},
      {"data after the fill", "AA==AA"},
      {"a lone digit in the last group", "AAAAA"},
      {"three fill characters", "A==="},
      {"fill only", "=="},
      {"fill that does not complete the group", "AA="},
      {"fill after a whole group", "AAAA="},
      {"URL-safe alphabet", "-_-_"},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> out = {1, 2, 3};
    EXPECT_FALSE(KIT_Base64Decode(c.text.data(), c.text.size(), &out)) << c.why;
    EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3})) << c.why << ": nothing appended";
  }
  std::vector<uint8_t> out;
  EXPECT_FALSE(KIT_Base64Decode(nullptr, 4, &out));
  EXPECT_TRUE(KIT_Base64Decode(nullptr, 0, &out));
  EXPECT_FALSE(KIT_Base64Decode("AAAA", 4, nullptr));
}

TEST(Base64, LenientDecoderFillsExactlyItsBuffer) {
  const struct {
    const char* why;
    const char* text;
    int size;
    std::vector<uint8_t> expected;  // the buffer afterwards
    int written;
  } cases[] = {
      {"stops at the fill", "Zm8=Zm8=", 4, {'f', 'o', 0, 0}, 2},
      {"stops at white space", "Zm9v Zm9v", 6, {'f', 'o', 'o', 0, 0, 0}, 3},
      {"stops at a foreign byte", "Zm9v*Zm9v", 4, {'f', 'o', 'o', 0}, 3},
      {"zeros past a short text", "Zg", 3, {'f', 0, 0}, 1},
      {"never more than its size", "Zm9vYmFy", 2, {'f', 'o'}, 2},
      {"a lone digit writes nothing", "Z", 2, {0, 0}, 0},
      {"empty text", "", 2, {0, 0}, 0},
  };
  for (const auto& c : cases) {
    // Guard bytes on both sides catch a write outside the buffer.
    std::vector<uint8_t> buffer(static_cast<size_t>(c.size) + 2, 0xAA);
    EXPECT_EQ(KIT_Base64DecodeInto(c.text, buffer.data() + 1, c.size), c.written) << c.why;
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin() + 1, buffer.end() - 1), c.expected) << c.why;
    EXPECT_EQ(buffer.front(), 0xAA) << c.why;
    EXPECT_EQ(buffer.back(), 0xAA) << c.why;
  }
  uint8_t buffer[2] = {9, 9};
  EXPECT_EQ(KIT_Base64DecodeInto(nullptr, buffer, 2), 0);
  EXPECT_EQ(buffer[0], 0) << "a null text still zero-fills";
  EXPECT_EQ(KIT_Base64DecodeInto("Zg", nullptr, 2), 0);
  EXPECT_EQ(KIT_Base64DecodeInto("Zg", buffer, -1), 0);
}

}  // namespace
