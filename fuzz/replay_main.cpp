// Runs a fuzz target over saved inputs without libFuzzer: every file named on
// the command line, and every file of every folder named (in name order, so a
// failure reproduces in the same place); hidden files (a folder's .keep, which
// holds a folder without findings in git) are skipped. A target signals a
// broken invariant by crashing; the name of the input it crashed on is
// printed first. A path that does not exist is an error, so a moved corpus
// cannot pass unread.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool replay(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  fprintf(stderr, "replaying %s (%zu bytes)\n", path.c_str(), bytes.size());
  // An empty input gets a valid pointer too, as under libFuzzer.
  static const uint8_t kNothing = 0;
  LLVMFuzzerTestOneInput(bytes.empty() ? &kNothing : bytes.data(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path(argv[i]);
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      std::vector<std::filesystem::path> files;
      for (const auto& entry : std::filesystem::directory_iterator(path, error))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
          files.push_back(entry.path());
      if (error) {
        fprintf(stderr, "cannot list %s: %s\n", path.c_str(), error.message().c_str());
        return 1;
      }
      std::sort(files.begin(), files.end());
      for (const auto& file : files) {
        if (!replay(file)) return 1;
        ++replayed;
      }
    } else if (std::filesystem::is_regular_file(path, error)) {
      if (!replay(path)) return 1;
      ++replayed;
    } else {
      fprintf(stderr, "no such file or folder: %s\n", path.c_str());
      return 1;
    }
  }
  printf("%d inputs replayed\n", replayed);
  return 0;
}
