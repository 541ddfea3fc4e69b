// Base64 text of bytes (RFC 4648 alphabet, "=" fill at the end): one codec for
// the data of the property lists and the preset blobs.
//
// Encoding always writes whole groups of four characters, the last one
// filled with "=". Two decoders serve the two kinds of text:
//   KIT_Base64Decode      strict: a whole text or a refusal (property lists);
//   KIT_Base64DecodeInto  lenient: a fixed-size buffer filled from the text's
//                         leading Base64 characters (preset blobs).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The Base64 text of size bytes at data (empty for no bytes or null data).
std::string KIT_Base64Encode(const uint8_t* data, size_t size);

// Decodes length bytes of text and appends the bytes to out. White space
// (space, tab, CR, LF) is skipped anywhere; "=" may only end the text, at
// most two of them and only to fill its last group of four; the fill may be
// left out. False, with out as it was, for any other character, data after
// the fill, too much or misplaced fill, or a lone digit in the last group.
bool KIT_Base64Decode(const char* text, size_t length, std::vector<uint8_t>* out);

// Zero-fills the size bytes at out, then decodes text (NUL-terminated) into
// them up to its first character outside the alphabet (so at "=" fill, white
// space or its end), never writing more than size bytes. Returns the bytes
// written. A null text writes none; a null out or a negative size does
// nothing and returns 0.
int KIT_Base64DecodeInto(const char* text, uint8_t* out, int size);
