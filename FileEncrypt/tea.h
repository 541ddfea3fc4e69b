// The Tiny Encryption Algorithm (TEA): 64-bit blocks, a 128-bit key, 32
// cycles with the published delta 0x9E3779B9. The editor uses it to decipher
// its description resources (see resource_cipher.h); the other routines keep
// the block and buffer forms together in one place.
//
// A key is always four 32-bit words (k0..k3). The class holds no state: its
// operations are members only to group them.
#pragma once

#include <cstdint>

class Tea {
 public:
  // One 8-byte block, changed in place. Bytes 0-3 are the first half and
  // bytes 4-7 the second, each read and written big-endian.
  static void simpledecrypt(unsigned char* block, const uint32_t* key);
  static void simpleencrypt(unsigned char* block, const uint32_t* key);

  // One block given as two words (words[0] first, words[1] second), changed
  // in place.
  static void decryptTea(uint32_t* words, const uint32_t* key);
  static void encryptTea(uint32_t* words, const uint32_t* key);

  // Enciphers *length bytes of buffer together with a trailing length block:
  // the data is counted up to the next multiple of 8, the 8-byte block after
  // it gets 0 in its first word and the original length in its second, and
  // every block is enciphered with its words read little-endian. The bytes
  // between the end of the data and the next multiple of 8 are set to 0.
  // The buffer must have room for the length raised to a multiple of 8, plus 8.
  // Sets *length to the enciphered size and returns the number of blocks.
  // A length too large for the enciphered size to fit 32 bits changes nothing
  // and returns 0.
  static uint32_t encryptBlock(unsigned char* buffer, uint32_t* length, const uint32_t* key);

  // Reverses encryptBlock: deciphers the *length / 8 whole blocks in place,
  // then sets *length to, and returns, the data length stored in the last
  // block. A length below 8, or a stored length that does not fit in front of
  // the length block (another key, or a damaged buffer), sets *length to 0
  // and returns 0, so a caller never reads past the deciphered data.
  static uint32_t decryptBlock(unsigned char* buffer, uint32_t* length, const uint32_t* key);

  // Writes count bytes of buffer to standard output, then a line feed (only
  // the line feed when count is 0 or less, or buffer is null).
  static void printBuffer(const unsigned char* buffer, int count);
};
