// Replays the saved inputs of the reader's fuzz target (fuzz/uiconfig_reader,
// linked in): each must run through the reader without a fault. The folder
// holds the target's findings and hand-made hostile descriptions; a file's
// name says what it holds.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

TEST(ReaderFindings, EverySavedInputReadsWithoutAFault) {
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(UICONFIG_FINDINGS)) {
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(0, LLVMFuzzerTestOneInput(bytes.data(), bytes.size()));
    ++replayed;
  }
  EXPECT_GT(replayed, 0) << "no saved inputs in " << UICONFIG_FINDINGS;
}

}  // namespace
