// vivivi-encipher INPUT OUTPUT
//
// Reads a plain description file, zero-pads it to whole 8-byte blocks and
// enciphers it under the editor's resource key, so that the editor's resource
// reader turns it back into the same text. The output is written next to its
// final name first and renamed when complete, so a failed run never leaves a
// half-written resource behind for the build to take as up to date.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "FileEncrypt/resource_cipher.h"
#include "FileEncrypt/resource_key.h"

namespace {

const char kUsage[] =
    "usage: vivivi-encipher INPUT OUTPUT\n"
    "Enciphers the plain file INPUT into the resource file OUTPUT under the\n"
    "editor's resource key. The text is zero-padded to whole 8-byte blocks.\n"
    "INPUT must not hold a NUL byte (the editor reads the text up to the first\n"
    "one) and its padded size must not exceed the editor's resource limit.\n";

int fail(const std::string& message) {
  std::fprintf(stderr, "vivivi-encipher: %s\n", message.c_str());
  return 1;
}

std::string systemError() { return std::strerror(errno); }

// Reads the whole file; stops early once it holds more than the limit.
bool readFile(const char* path, std::vector<uint8_t>& out, std::string& error) {
  FILE* file = std::fopen(path, "rb");
  if (!file) {
    error = std::string("cannot open ") + path + ": " + systemError();
    return false;
  }
  uint8_t chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    out.insert(out.end(), chunk, chunk + got);
    if (out.size() > kResourceFileLimit) break;
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    error = std::string("cannot read ") + path;
    return false;
  }
  return true;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& data, std::string& error) {
  const std::string temporary = path + ".partial";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    error = "cannot create " + temporary + ": " + systemError();
    return false;
  }
  bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), file) == data.size();
  ok = (std::fclose(file) == 0) && ok;
  if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot rename " + temporary + " to " + path + ": " + systemError();
    std::remove(temporary.c_str());
    return false;
  }
  if (!ok) {
    error = "cannot write " + temporary;
    std::remove(temporary.c_str());
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 3) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  std::vector<uint8_t> plain;
  std::string error;
  if (!readFile(argv[1], plain, error)) return fail(error);

  const size_t padded = (plain.size() + 7) / 8 * 8;
  if (padded > kResourceFileLimit) {
    return fail(std::string(argv[1]) + " is too large: the editor reads at most " +
                std::to_string(kResourceFileLimit) + " bytes of a resource");
  }
  const void* nul = plain.empty() ? nullptr : std::memchr(plain.data(), 0, plain.size());
  if (nul) {
    const size_t offset = static_cast<size_t>(static_cast<const uint8_t*>(nul) - plain.data());
    return fail(std::string(argv[1]) + " holds a NUL byte at offset " + std::to_string(offset) +
                ": the editor would read the text only up to it");
  }

  if (!writeFile(argv[2], encipherResource(plain.data(), plain.size(), kResourceKey), error)) {
    return fail(error);
  }
  return 0;
}
