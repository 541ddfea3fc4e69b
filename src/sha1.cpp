#include "src/sha1.h"

#include <cstdint>
#include <cstring>

namespace {

uint32_t rotateLeft(uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }

// The compression of one block: expands the sixteen big-endian words in
// block to eighty in place and adds the result of the 80 steps into state.
void innerHash(uint32_t* state, uint32_t* block) {
  for (int i = 16; i < 80; ++i) {
    block[i] = rotateLeft(block[i - 3] ^ block[i - 8] ^ block[i - 14] ^ block[i - 16], 1);
  }
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
  for (int i = 0; i < 80; ++i) {
    uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999u;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1u;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6u;
    }
    const uint32_t next = rotateLeft(a, 5) + f + e + k + block[i];
    e = d;
    d = c;
    c = rotateLeft(b, 30);
    b = a;
    a = next;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
  state[4] += e;
}

// Loads up to 64 bytes as big-endian words into a zeroed block.
void loadBlock(const unsigned char* bytes, int count, uint32_t* block) {
  std::memset(block, 0, 80 * sizeof(uint32_t));
  for (int i = 0; i < count; ++i) block[i / 4] |= uint32_t{bytes[i]} << (24 - 8 * (i % 4));
}

}  // namespace

namespace sha1 {

void calc(const void* message, int length, unsigned char* hash) {
  static const unsigned char kEmpty[1] = {0};
  const unsigned char* bytes = static_cast<const unsigned char*>(message);
  if (length < 0 || !bytes) {
    length = 0;
    bytes = kEmpty;
  }
  uint32_t state[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  uint32_t block[80];

  int offset = 0;
  for (; length - offset >= 64; offset += 64) {
    loadBlock(bytes + offset, 64, block);
    innerHash(state, block);
  }

  const int tail = length - offset;
  loadBlock(bytes + offset, tail, block);
  block[tail / 4] |= 0x80u << (24 - 8 * (tail % 4));
  if (tail >= 56) {  // no room left for the length: it goes into a block of its own
    innerHash(state, block);
    std::memset(block, 0, sizeof block);
  }
  // The full 64-bit bit count, so messages of 512 MiB and more digest correctly.
  const uint64_t bits = static_cast<uint64_t>(length) * 8u;
  block[14] = static_cast<uint32_t>(bits >> 32);
  block[15] = static_cast<uint32_t>(bits);
  innerHash(state, block);

  for (int i = 0; i < 20; ++i) hash[i] = static_cast<unsigned char>(state[i / 4] >> (24 - 8 * (i % 4)));
}

void toHexString(const unsigned char* hash, char* hexString) {
  static const char kDigits[] = "0123456789abcdef";
  for (int i = 0; i < 20; ++i) {
    hexString[2 * i] = kDigits[hash[i] >> 4];
    hexString[2 * i + 1] = kDigits[hash[i] & 0x0F];
  }
  hexString[40] = '\0';
}

}  // namespace sha1
