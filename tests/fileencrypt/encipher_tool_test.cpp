// Runs the enciphering tool as the build does and reads its output back with
// the editor's resource reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "FileEncrypt/resource_cipher.h"
#include "FileEncrypt/resource_key.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder_fixture.h"

namespace {

namespace fs = std::filesystem;

class EncipherTool : public TempFolderTest {
 protected:
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(m_dir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Runs the tool with the arguments; returns its exit status and keeps what
  // it wrote to standard error.
  int run(const std::vector<std::string>& arguments) {
    const std::string errors = path("stderr.txt").string();
    ChildProcess::Streams streams;
    streams.errorFile = errors;
    ChildProcess tool(VIVIVI_ENCIPHER_TOOL, arguments, {}, streams);
    if (!tool.Started()) return -1;
    const int exitCode = tool.Wait();
    m_errors = readFile(errors);
    fs::remove(errors);
    return exitCode;
  }

  std::string m_errors;
};

TEST_F(EncipherTool, thirteenBytePlainFileReadsBackAsTwoBlocks) {
  const std::string plain = "<ui>text</ui>";
  ASSERT_EQ(13u, plain.size());
  writeFile(path("plain.xml"), plain);

  ASSERT_EQ(0, run({path("plain.xml").string(), path("uiconfig.tea").string()})) << m_errors;
  const std::string file = readFile(path("uiconfig.tea"));
  ASSERT_EQ(16u, file.size());
  EXPECT_NE(plain, file.substr(0, 13));

  const std::string text =
      decipherResource(reinterpret_cast<const uint8_t*>(file.data()), file.size(), kResourceKey);
  ASSERT_EQ(16u, text.size());
  EXPECT_EQ(plain + std::string(3, '\0'), text);
  EXPECT_EQ(std::vector<std::string>({"plain.xml", "uiconfig.tea"}), entries()) << "no partial file left";
}

TEST_F(EncipherTool, emptyPlainFileGivesEmptyResource) {
  writeFile(path("empty.xml"), "");
  ASSERT_EQ(0, run({path("empty.xml").string(), path("empty.tea").string()})) << m_errors;
  EXPECT_TRUE(fs::exists(path("empty.tea")));
  EXPECT_EQ(0u, fs::file_size(path("empty.tea")));
}

TEST_F(EncipherTool, refusesInputTheEditorCouldNotReadWhole) {
  writeFile(path("nul.xml"), std::string("<ui>\0</ui>", 10));
  writeFile(path("large.xml"), std::string(kResourceFileLimit + 1, ' '));
  const struct {
    const char* why;
    const char* input;
    const char* message;
  } kCases[] = {
      {"NUL byte inside the text", "nul.xml", "NUL byte at offset 4"},
      {"larger than the loader reads", "large.xml", "too large"},
      {"input missing", "missing.xml", "cannot open"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(1, run({path(c.input).string(), path("out.tea").string()})) << c.why;
    EXPECT_NE(std::string::npos, m_errors.find(c.message)) << c.why << ": " << m_errors;
    EXPECT_FALSE(fs::exists(path("out.tea"))) << c.why;
  }
}

TEST_F(EncipherTool, largestReadableResourceIsAccepted) {
  writeFile(path("limit.xml"), std::string(kResourceFileLimit - 3, ' '));
  ASSERT_EQ(0, run({path("limit.xml").string(), path("limit.tea").string()})) << m_errors;
  EXPECT_EQ(kResourceFileLimit, fs::file_size(path("limit.tea")));
}

TEST_F(EncipherTool, wrongArgumentsPrintUsage) {
  EXPECT_EQ(2, run({}));
  EXPECT_NE(std::string::npos, m_errors.find("usage: vivivi-encipher INPUT OUTPUT"));
  EXPECT_EQ(0, run({"--help"}));
}

TEST_F(EncipherTool, unwritableOutputIsAnError) {
  writeFile(path("plain.xml"), "<ui/>");
  EXPECT_EQ(1, run({path("plain.xml").string(), path("no-such-folder/out.tea").string()}));
  EXPECT_NE(std::string::npos, m_errors.find("cannot create"));
}

}  // namespace
