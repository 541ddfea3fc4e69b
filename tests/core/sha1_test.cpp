#include "src/sha1.h"

#include <Poco/DigestEngine.h>
#include <Poco/SHA1Engine.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::string hexDigest(const void* message, int length) {
  unsigned char hash[20];
  char hex[41];
  sha1::calc(message, length, hash);
  std::memset(hex, 'x', sizeof hex);
  sha1::toHexString(hash, hex);
  return std::string(hex, 41);  // with the terminating NUL, which must be there
}

std::string withNul(const char* hex) { return std::string(hex, 41); }

// FIPS 180-1 messages, the empty message, and the lengths around the 56-byte
// mark where the message length no longer fits in the last block.
TEST(Sha1, publishedDigests) {
  const struct {
    const char* why;
    std::string message;
    const char* digest;
  } kCases[] = {
      {"abc", "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"empty", "", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"56-byte FIPS message", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {"55 bytes: one final block", std::string(55, 'a'), "c1c8bbdc22796e28c0e15163d20899b65621d65a"},
      {"56 bytes: a second final block", std::string(56, 'a'), "c2db330f6083854c99d4b5bfb6e8f29f201be699"},
      {"63 bytes", std::string(63, 'a'), "03f09f5b158a7a8cdad920bddc29b81c18a551f5"},
      {"64 bytes: one whole block", std::string(64, 'a'), "0098ba824b5c16427bd7a1122a5a442a25ec644d"},
      {"one million a", std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(withNul(c.digest), hexDigest(c.message.data(), static_cast<int>(c.message.size()))) << c.why;
  }
}

// Every tail length of a block and a few blocks beyond, against Poco's digest.
TEST(Sha1, agreesWithAnIndependentDigestForEveryLength) {
  std::mt19937 random(11);
  std::vector<unsigned char> message(300);
  for (unsigned char& b : message) b = static_cast<unsigned char>(random());
  for (int length = 0; length <= 300; ++length) {
    Poco::SHA1Engine engine;
    engine.update(message.data(), static_cast<unsigned>(length));
    const std::string expected = Poco::DigestEngine::digestToHex(engine.digest());
    ASSERT_EQ(withNul(expected.c_str()), hexDigest(message.data(), length)) << "length " << length;
  }
}

TEST(Sha1, negativeLengthOrNullMessageDigestsAsEmpty) {
  const std::string empty = withNul("da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(empty, hexDigest("abc", -1));
  EXPECT_EQ(empty, hexDigest(nullptr, 10));
}

}  // namespace
