// TEXT ROUTINES: splitting texts into tokens and SysEx templates into bytes.
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "src/UIConfigManager.h"

void UIConfigManager::Tokenize(const std::string& text, std::vector<std::string>& tokens,
                               const std::string& delimiters) {
  std::string::size_type start = text.find_first_not_of(delimiters);
  while (start != std::string::npos) {
    const std::string::size_type end = text.find_first_of(delimiters, start);
    tokens.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = text.find_first_not_of(delimiters, end);
  }
}

std::vector<int> UIConfigManager::convertStringSysextoVector(std::string text) {
  std::vector<std::string> tokens;
  Tokenize(text, tokens, " ");
  std::vector<int> bytes;
  bytes.reserve(tokens.size());
  for (const std::string& token : tokens) {
    // Leading white space, a sign and a "0x" prefix are accepted; reading
    // stops at the first character that is not a hexadecimal digit.
    const char* begin = token.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 16);
    const bool read = end != begin && errno == 0 && value >= INT_MIN && value <= INT_MAX;
    bytes.push_back(read ? static_cast<int>(value) : 0);
  }
  return bytes;
}
