#include "FileEncrypt/tea.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

// Published TEA vectors; blocks as big-endian bytes (first half first).
struct Vector {
  uint32_t key[4];
  uint8_t plain[8];
  uint8_t cipher[8];
};
const Vector kPublishedVectors[] = {
    {{0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}, {0x41, 0xEA, 0x3A, 0x0A, 0x94, 0xBA, 0xA9, 0x40}},
    {{0, 0, 0, 0}, {1, 2, 3, 4, 5, 6, 7, 8}, {0x6A, 0x2F, 0x9C, 0xF3, 0xFC, 0xCF, 0x3C, 0x55}},
    {{0x01234567, 0x12345678, 0x23456789, 0x3456789A},
     {0, 0, 0, 0, 0, 0, 0, 0},
     {0x34, 0xE9, 0x43, 0xB0, 0x90, 0x0F, 0x5D, 0xCB}},
    {{0x01234567, 0x12345678, 0x23456789, 0x3456789A},
     {1, 2, 3, 4, 5, 6, 7, 8},
     {0x77, 0x3D, 0xC1, 0x79, 0x87, 0x8A, 0x81, 0xC0}},
};

uint32_t bigEndianWord(const uint8_t* b) {
  return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

const uint32_t kKey[4] = {0xDEADBEEF, 0x01234567, 0x89ABCDEF, 0x0BADF00D};

TEST(Tea, byteBlocksMatchPublishedVectorsBothWays) {
  for (const Vector& v : kPublishedVectors) {
    uint8_t block[8];
    std::memcpy(block, v.plain, 8);
    Tea::simpleencrypt(block, v.key);
    EXPECT_EQ(0, std::memcmp(block, v.cipher, 8)) << "key word 0 " << std::hex << v.key[0];
    Tea::simpledecrypt(block, v.key);
    EXPECT_EQ(0, std::memcmp(block, v.plain, 8));
  }
}

TEST(Tea, wordBlocksMatchPublishedVectorsBothWays) {
  for (const Vector& v : kPublishedVectors) {
    uint32_t words[2] = {bigEndianWord(v.plain), bigEndianWord(v.plain + 4)};
    Tea::encryptTea(words, v.key);
    EXPECT_EQ(bigEndianWord(v.cipher), words[0]);
    EXPECT_EQ(bigEndianWord(v.cipher + 4), words[1]);
    Tea::decryptTea(words, v.key);
    EXPECT_EQ(bigEndianWord(v.plain), words[0]);
    EXPECT_EQ(bigEndianWord(v.plain + 4), words[1]);
  }
}

TEST(Tea, decipheringUndoesEncipheringForAnyBlock) {
  std::mt19937 random(7);
  for (int i = 0; i < 200; ++i) {
    uint8_t plain[8], block[8];
    for (uint8_t& b : plain) b = static_cast<uint8_t>(random());
    std::memcpy(block, plain, 8);
    Tea::simpleencrypt(block, kKey);
    Tea::simpledecrypt(block, kKey);
    ASSERT_EQ(0, std::memcmp(block, plain, 8));

    uint32_t words[2] = {static_cast<uint32_t>(random()), static_cast<uint32_t>(random())};
    const uint32_t original[2] = {words[0], words[1]};
    Tea::encryptTea(words, kKey);
    Tea::decryptTea(words, kKey);
    ASSERT_EQ(original[0], words[0]);
    ASSERT_EQ(original[1], words[1]);
  }
}

// Buffer form: data, zero fill to a multiple of 8, then a length block.
TEST(TeaBuffer, lengthsRoundTripThroughTheLengthBlock) {
  const struct {
    uint32_t length, blocks, enciphered;
  } kCases[] = {{0, 1, 8}, {1, 2, 16}, {8, 2, 16}, {13, 3, 24}, {16, 3, 24}, {17, 4, 32}};
  for (const auto& c : kCases) {
    std::vector<uint8_t> plain(c.length);
    for (uint32_t i = 0; i < c.length; ++i) plain[i] = static_cast<uint8_t>(i * 37 + 1);
    std::vector<uint8_t> buffer(c.enciphered, 0xCC);
    std::copy(plain.begin(), plain.end(), buffer.begin());

    uint32_t length = c.length;
    EXPECT_EQ(c.blocks, Tea::encryptBlock(buffer.data(), &length, kKey)) << "length " << c.length;
    EXPECT_EQ(c.enciphered, length);
    EXPECT_EQ(c.length, Tea::decryptBlock(buffer.data(), &length, kKey));
    EXPECT_EQ(c.length, length);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), buffer.begin())) << "length " << c.length;
  }
}

TEST(TeaBuffer, blocksAreLittleEndianWordPairs) {
  uint8_t buffer[16] = {1, 2, 3, 4, 5, 6, 7, 8};
  uint32_t length = 8;
  Tea::encryptBlock(buffer, &length, kKey);
  uint32_t words[2] = {0x04030201, 0x08070605};
  Tea::encryptTea(words, kKey);
  const uint8_t expected[8] = {uint8_t(words[0]),       uint8_t(words[0] >> 8), uint8_t(words[0] >> 16),
                               uint8_t(words[0] >> 24), uint8_t(words[1]),      uint8_t(words[1] >> 8),
                               uint8_t(words[1] >> 16), uint8_t(words[1] >> 24)};
  EXPECT_EQ(0, std::memcmp(buffer, expected, 8));
}

// Whatever the buffer held behind the data, the enciphered bytes are the same.
TEST(TeaBuffer, staleBytesBehindTheDataDoNotReachTheOutput) {
  uint8_t first[24], second[24];
  std::memset(first, 0x00, sizeof first);
  std::memset(second, 0xA5, sizeof second);
  std::memcpy(first, "thirteen byte", 13);
  std::memcpy(second, "thirteen byte", 13);
  uint32_t firstLength = 13, secondLength = 13;
  Tea::encryptBlock(first, &firstLength, kKey);
  Tea::encryptBlock(second, &secondLength, kKey);
  EXPECT_EQ(0, std::memcmp(first, second, sizeof first));
}

TEST(TeaBuffer, decipheringRefusesWhatWouldLeadPastTheData) {
  uint8_t enciphered[24] = {};
  std::memcpy(enciphered, "thirteen byte", 13);
  uint32_t length = 13;
  Tea::encryptBlock(enciphered, &length, kKey);

  const uint32_t otherKey[4] = {1, 2, 3, 4};
  const struct {
    const char* why;
    uint32_t length;
    const uint32_t* key;
    int damagedByte;
  } kCases[] = {
      {"shorter than one block", 7, kKey, -1}, {"empty", 0, kKey, -1},
      {"another key", 24, otherKey, -1},       {"damaged length block", 24, kKey, 20},
      {"length block missing", 16, kKey, -1},
  };
  for (const auto& c : kCases) {
    uint8_t buffer[24];
    std::memcpy(buffer, enciphered, sizeof buffer);
    if (c.damagedByte >= 0) buffer[c.damagedByte] ^= 0x40;
    uint32_t in = c.length;
    EXPECT_EQ(0u, Tea::decryptBlock(buffer, &in, c.key)) << c.why;
    EXPECT_EQ(0u, in) << c.why;
  }
}

TEST(TeaBuffer, lengthTooLargeForThirtyTwoBitsChangesNothing) {
  uint8_t buffer[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  uint32_t length = UINT32_MAX - 14;
  EXPECT_EQ(0u, Tea::encryptBlock(buffer, &length, kKey));
  EXPECT_EQ(UINT32_MAX - 14, length);
  for (uint8_t b : buffer) EXPECT_EQ(9, b);
}

TEST(Tea, printBufferWritesTheBytesThenALineFeed) {
  const unsigned char text[] = {'a', 'b', 'c'};
  const struct {
    const unsigned char* buffer;
    int count;
    const char* printed;
  } kCases[] = {{text, 3, "abc\n"}, {text, 0, "\n"}, {text, -4, "\n"}, {nullptr, 3, "\n"}};
  for (const auto& c : kCases) {
    testing::internal::CaptureStdout();
    Tea::printBuffer(c.buffer, c.count);
    std::fflush(stdout);
    EXPECT_EQ(c.printed, testing::internal::GetCapturedStdout()) << "count " << c.count;
  }
}

}  // namespace
