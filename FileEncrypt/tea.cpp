#include "FileEncrypt/tea.h"

#include <cstdio>

namespace {

constexpr uint32_t kDelta = 0x9E3779B9u;
constexpr int kCycles = 32;
constexpr uint32_t kDecipherStart = kDelta * kCycles;  // 0xC6EF3720, wraps

uint32_t readBigEndian(const unsigned char* bytes) {
  return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

void writeBigEndian(uint32_t value, unsigned char* bytes) {
  bytes[0] = static_cast<unsigned char>(value >> 24);
  bytes[1] = static_cast<unsigned char>(value >> 16);
  bytes[2] = static_cast<unsigned char>(value >> 8);
  bytes[3] = static_cast<unsigned char>(value);
}

uint32_t readLittleEndian(const unsigned char* bytes) {
  return bytes[0] | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16) | (uint32_t{bytes[3]} << 24);
}

void writeLittleEndian(uint32_t value, unsigned char* bytes) {
  bytes[0] = static_cast<unsigned char>(value);
  bytes[1] = static_cast<unsigned char>(value >> 8);
  bytes[2] = static_cast<unsigned char>(value >> 16);
  bytes[3] = static_cast<unsigned char>(value >> 24);
}

// Every block form reduces to these two, on the halves as numbers.
void encipherHalves(uint32_t& y, uint32_t& z, const uint32_t* k) {
  uint32_t sum = 0;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    sum += kDelta;
    y += ((z << 4) + k[0]) ^ (z + sum) ^ ((z >> 5) + k[1]);
    z += ((y << 4) + k[2]) ^ (y + sum) ^ ((y >> 5) + k[3]);
  }
}

void decipherHalves(uint32_t& y, uint32_t& z, const uint32_t* k) {
  uint32_t sum = kDecipherStart;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    z -= ((y << 4) + k[2]) ^ (y + sum) ^ ((y >> 5) + k[3]);
    y -= ((z << 4) + k[0]) ^ (z + sum) ^ ((z >> 5) + k[1]);
    sum -= kDelta;
  }
}

// The buffer routines store their words little-endian, the order of the
// processor the format was made on; written out byte by byte so it holds
// on any host.
void encipherLittleEndianBlock(unsigned char* block, const uint32_t* key) {
  uint32_t y = readLittleEndian(block), z = readLittleEndian(block + 4);
  encipherHalves(y, z, key);
  writeLittleEndian(y, block);
  writeLittleEndian(z, block + 4);
}

void decipherLittleEndianBlock(unsigned char* block, const uint32_t* key) {
  uint32_t y = readLittleEndian(block), z = readLittleEndian(block + 4);
  decipherHalves(y, z, key);
  writeLittleEndian(y, block);
  writeLittleEndian(z, block + 4);
}

uint32_t roundUpToBlock(uint32_t length) { return (length + 7u) & ~7u; }

}  // namespace

void Tea::simpledecrypt(unsigned char* block, const uint32_t* key) {
  uint32_t y = readBigEndian(block), z = readBigEndian(block + 4);
  decipherHalves(y, z, key);
  writeBigEndian(y, block);
  writeBigEndian(z, block + 4);
}

void Tea::simpleencrypt(unsigned char* block, const uint32_t* key) {
  uint32_t y = readBigEndian(block), z = readBigEndian(block + 4);
  encipherHalves(y, z, key);
  writeBigEndian(y, block);
  writeBigEndian(z, block + 4);
}

void Tea::decryptTea(uint32_t* words, const uint32_t* key) { decipherHalves(words[0], words[1], key); }

void Tea::encryptTea(uint32_t* words, const uint32_t* key) { encipherHalves(words[0], words[1], key); }

uint32_t Tea::encryptBlock(unsigned char* buffer, uint32_t* length, const uint32_t* key) {
  const uint32_t dataLength = *length;
  if (dataLength > UINT32_MAX - 15u) return 0;  // the enciphered size would not fit 32 bits
  const uint32_t padded = roundUpToBlock(dataLength);
  // Fill and the unused first word are zeroed so that no stale memory is
  // enciphered into the output and the same data always gives the same bytes.
  for (uint32_t i = dataLength; i < padded + 4; ++i) buffer[i] = 0;
  writeLittleEndian(dataLength, buffer + padded + 4);

  const uint32_t total = padded + 8;
  for (uint32_t offset = 0; offset < total; offset += 8) encipherLittleEndianBlock(buffer + offset, key);
  *length = total;
  return total / 8;
}

uint32_t Tea::decryptBlock(unsigned char* buffer, uint32_t* length, const uint32_t* key) {
  const uint32_t blocks = *length / 8;
  *length = 0;
  if (blocks == 0) return 0;
  const uint32_t total = blocks * 8;
  for (uint32_t offset = 0; offset < total; offset += 8) decipherLittleEndianBlock(buffer + offset, key);

  // The stored length must end in the block just before the length block,
  // as encryptBlock wrote it; anything else would send a caller past the data.
  const uint32_t stored = readLittleEndian(buffer + total - 4);
  if (stored > total - 8 || roundUpToBlock(stored) != total - 8) return 0;
  *length = stored;
  return stored;
}

void Tea::printBuffer(const unsigned char* buffer, int count) {
  if (buffer) {
    for (int i = 0; i < count; ++i) std::putchar(buffer[i]);
  }
  std::putchar('\n');
}
