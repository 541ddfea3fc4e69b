#include "FileEncrypt/resource_cipher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "FileEncrypt/resource_key.h"
#include "FileEncrypt/tea.h"

namespace {

const uint8_t* bytesOf(const std::string& text) { return reinterpret_cast<const uint8_t*>(text.data()); }

// A text that is not a whole number of blocks comes back zero-padded, and
// read up to its first NUL it is the text again.
TEST(ResourceCipher, textRoundTripsZeroPaddedToWholeBlocks) {
  for (const std::string plain : {"", "<", "<a/>\n", "<ui></ui>", "<valueLists/>", "<sixteen bytes/>"}) {
    const std::vector<uint8_t> file = encipherResource(bytesOf(plain), plain.size(), kResourceKey);
    EXPECT_EQ((plain.size() + 7) / 8 * 8, file.size()) << plain;
    const std::string text = decipherResource(file.data(), file.size(), kResourceKey);
    ASSERT_EQ(file.size(), text.size()) << plain;
    EXPECT_EQ(plain, text.substr(0, plain.size()));
    EXPECT_EQ(std::string(text.size() - plain.size(), '\0'), text.substr(plain.size())) << plain;
    EXPECT_STREQ(plain.c_str(), text.c_str());
  }
}

// Sizes whose padding to whole blocks would wrap around give nothing; before
// the padding wrapped to a small buffer that the copy then overran.
TEST(ResourceCipher, aSizeTooLargeToPadGivesNothing) {
  const uint8_t data[8] = {};
  for (const size_t size : {SIZE_MAX, SIZE_MAX - 6})
    EXPECT_TRUE(encipherResource(data, size, kResourceKey).empty()) << size;
}

TEST(ResourceCipher, eachBlockIsEncipheredOnItsOwnWithBigEndianHalves) {
  const std::string plain = "<ui>0123456789</ui>";
  const std::vector<uint8_t> file = encipherResource(bytesOf(plain), plain.size(), kResourceKey);
  uint8_t block[8] = {};
  std::memcpy(block, plain.data() + 16, plain.size() - 16);
  Tea::simpleencrypt(block, kResourceKey);
  EXPECT_EQ(0, std::memcmp(block, file.data() + 16, 8));
}

// A file that is not a whole number of blocks: its last block is completed
// with zero bytes before deciphering, and all 8 bytes are kept.
TEST(ResourceCipher, thirteenByteFileDeciphersAsTwoBlocks) {
  const std::string plain = "<ui>12345678</ui>";  // 17 bytes: the file keeps 13 of them
  const std::vector<uint8_t> whole = encipherResource(bytesOf(plain), plain.size(), kResourceKey);
  const std::string text = decipherResource(whole.data(), 13, kResourceKey);
  ASSERT_EQ(16u, text.size());
  EXPECT_EQ(plain.substr(0, 8), text.substr(0, 8));

  uint8_t completed[8] = {};
  std::memcpy(completed, whole.data() + 8, 5);
  Tea::simpledecrypt(completed, kResourceKey);
  EXPECT_EQ(0, std::memcmp(completed, text.data() + 8, 8));

  EXPECT_EQ(16u, decipherResource(whole.data(), 16, kResourceKey).size());
  EXPECT_EQ(0u, decipherResource(nullptr, 0, kResourceKey).size());
}

TEST(ResourceCipher, anotherKeyGivesOtherText) {
  const std::string plain = "<ui></ui>";
  const std::vector<uint8_t> file = encipherResource(bytesOf(plain), plain.size(), kResourceKey);
  const uint32_t otherKey[4] = {kResourceKey[0] ^ 1, kResourceKey[1], kResourceKey[2], kResourceKey[3]};
  EXPECT_NE(plain, decipherResource(file.data(), file.size(), otherKey).substr(0, plain.size()));
}

}  // namespace
