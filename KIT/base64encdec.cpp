// Base64 encoding and the two decoders over one table of digit values.
#include "KIT/base64encdec.h"

#include <cstring>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of a Base64 digit, or -1 for any other byte.
int DigitValue(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

std::string KIT_Base64Encode(const uint8_t* data, size_t size) {
  std::string text;
  if (!data) return text;
  text.reserve((size + 2) / 3 * 4);
  for (size_t i = 0; i < size; i += 3) {
    const size_t left = size - i;
    const uint32_t group = (uint32_t{data[i]} << 16) | (left > 1 ? uint32_t{data[i + 1]} << 8 : 0) |
                           (left > 2 ? uint32_t{data[i + 2]} : 0);
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    text += left > 2 ? kAlphabet[group & 63] : '=';
  }
  return text;
}

bool KIT_Base64Decode(const char* text, size_t length, std::vector<uint8_t>* out) {
  if (!out || (!text && length > 0)) return false;
  std::vector<uint8_t> bytes;
  bytes.reserve(length / 4 * 3 + 2);
  uint32_t group = 0;
  int filled = 0, padding = 0;
  for (size_t i = 0; i < length; ++i) {
    const char c = text[i];
    if (IsWhiteSpace(c)) continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    const int digit = DigitValue(static_cast<unsigned char>(c));
    if (digit < 0 || padding > 0) return false;  // a foreign byte, or data after the fill
    group = (group << 6) | static_cast<uint32_t>(digit);
    if (++filled == 4) {
      bytes.push_back(static_cast<uint8_t>(group >> 16));
      bytes.push_back(static_cast<uint8_t>(group >> 8));
      bytes.push_back(static_cast<uint8_t>(group));
      group = 0, filled = 0;
    }
  }
  if (filled == 1 || padding > 2 || (padding > 0 && filled + padding != 4)) return false;
  if (filled == 2) bytes.push_back(static_cast<uint8_t>(group >> 4));
  if (filled == 3) {
    bytes.push_back(static_cast<uint8_t>(group >> 10));
    bytes.push_back(static_cast<uint8_t>(group >> 2));
  }
  out->insert(out->end(), bytes.begin(), bytes.end());
  return true;
}

int KIT_Base64DecodeInto(const char* text, uint8_t* out, int size) {
  if (!out || size < 0) return 0;
  memset(out, 0, static_cast<size_t>(size));
  uint32_t bits = 0;
  int nBits = 0, written = 0;
  for (const char* p = text; p && *p && written < size; ++p) {
    const int digit = DigitValue(static_cast<unsigned char>(*p));
    if (digit < 0) break;
    bits = (bits << 6) | static_cast<uint32_t>(digit);
    nBits += 6;
    if (nBits >= 8) {
      nBits -= 8;
      out[written++] = static_cast<uint8_t>(bits >> nBits);
    }
  }
  return written;
}
