#include "FileEncrypt/resource_cipher.h"

#include <cstring>
#include <limits>

#include "FileEncrypt/tea.h"

std::vector<uint8_t> encipherResource(const uint8_t* data, size_t size, const uint32_t* key) {
  // A size whose padding to whole blocks would wrap around cannot be held.
  if (size > std::numeric_limits<size_t>::max() - 7) return {};
  const size_t padded = (size + 7) / 8 * 8;
  std::vector<uint8_t> out(padded, 0);
  if (size > 0) std::memcpy(out.data(), data, size);
  for (size_t offset = 0; offset < padded; offset += 8) Tea::simpleencrypt(out.data() + offset, key);
  return out;
}

std::string decipherResource(const uint8_t* data, size_t size, const uint32_t* key) {
  std::string text;
  text.reserve((size + 7) / 8 * 8);
  for (size_t offset = 0; offset < size; offset += 8) {
    unsigned char block[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    const size_t available = size - offset < 8 ? size - offset : 8;
    std::memcpy(block, data + offset, available);
    Tea::simpledecrypt(block, key);
    text.append(reinterpret_cast<const char*>(block), 8);
  }
  return text;
}
