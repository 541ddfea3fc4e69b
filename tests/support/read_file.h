// The whole contents of a file as text (empty when it cannot be read).
#pragma once

#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
