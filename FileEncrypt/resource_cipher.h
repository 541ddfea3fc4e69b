// Enciphered description resources: plain XML text stored as whole TEA
// blocks (Tea::simpleencrypt, big-endian halves) under a key. No length is
// stored and no fill is removed: the text is zero-padded to a multiple of 8
// bytes, and the reader takes the deciphered text up to its first NUL byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The largest resource file the editor's loader reads, in bytes.
constexpr size_t kResourceFileLimit = 4096000;

// Zero-pads size bytes of data to whole 8-byte blocks and enciphers every
// block under key. Empty data, or a size too large to pad, gives an empty
// result. data may be null only when size is 0.
std::vector<uint8_t> encipherResource(const uint8_t* data, size_t size, const uint32_t* key);

// Deciphers a resource file image as the editor reads it: every 8 bytes from
// the start are one block, a final block of fewer than 8 bytes is completed
// with zero bytes first, and all 8 deciphered bytes of every block are kept
// (so 13 file bytes give 16 bytes of text). data may be null only when size
// is 0.
std::string decipherResource(const uint8_t* data, size_t size, const uint32_t* key);
