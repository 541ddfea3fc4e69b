// The loader's look at each folder entry: links to bank files, pipes and
// links to nothing among the banks, and the reader of one file by its path.
#include <Poco/File.h>
#include <Poco/Path.h>
#include <sys/stat.h>

#include "tests/library/library_editor.h"

namespace {

// A raw file of count plain dumps (76 bytes each).
Bytes dumps(int count, int seed) {
  std::vector<Bytes> parts;
  for (int i = 0; i < count; ++i) parts.push_back(plainDump(seed + i));
  return join(parts);
}

}  // namespace

// A link to a bank file is read like the file, under the link's name and in
// the link's folder; a pipe with a bank's name is passed over unread (an
// open of it would wait for a writer); a link to nothing is logged.
TEST_F(LibraryFolderTest, linkedFilesAreReadAndPipesPassedOver) {
  writeBytes(m_dir / "Elsewhere" / "shared.syx", dumps(30, 5));
  std::filesystem::create_symlink(m_dir / "Elsewhere" / "shared.syx", patches() / "Linked.syx");
  writeBytes(patches() / "plain.syx", dumps(30, 9));
  ASSERT_EQ(::mkfifo((patches() / "pipe.syx").c_str(), 0600), 0);
  std::filesystem::create_symlink(patches() / "missing.syx", patches() / "dangling.syx");
  load();
  ASSERT_EQ(bankNames(), (std::vector<std::string>{"Linked.syx", "plain.syx"})) << logText();
  const PatchFile* linked = library().fileBanks[0];
  EXPECT_EQ(linked->folderPath, patches().string());
  EXPECT_EQ(linked->patches[0].messages[0][6], 5) << "the linked file's first sound";
  EXPECT_EQ(library().fileBanks[1]->patches[29].messages[0][6], (9 + 29) & 0x7F);
  EXPECT_NE(logText().find("skipped file " + (patches() / "dangling.syx").string()), std::string::npos);
}

// The reader of a single file, given its path: a bank with the given tag and
// the folder levels of its depth, in the file-bank list.
TEST_F(LibraryFolderTest, singleFileReadByItsPath) {
  const std::filesystem::path file = patches() / "A" / "one.syx";
  writeBytes(file, dumps(40, 2));
  const Poco::Path path(file.string());
  PatchFile* bank = library().parseFolderFiles(Poco::File(path), path, 1, 7, 1, "syx");
  ASSERT_NE(bank, nullptr);
  ASSERT_EQ(library().fileBanks.size(), 1u);
  EXPECT_EQ(library().fileBanks[0], bank);
  EXPECT_EQ(bank->numberTag, 7);
  EXPECT_EQ(bank->fileName, "one.syx");
  EXPECT_EQ(bank->folderName, "A");
  EXPECT_EQ(bank->folderLevels, (std::vector<std::string>{"Patches", "A"}));
  EXPECT_EQ(bank->folderPath, (patches() / "A").string());
  ASSERT_EQ(bank->patches.size(), 99u);
  EXPECT_EQ(bank->patches[39].messages[0][6], (2 + 39) & 0x7F);
  EXPECT_EQ(library().parseFolderFiles(Poco::File(path), Poco::Path((patches() / "none.syx").string()), 0, 0,
                                       1, "syx"),
            nullptr)
      << "a file that is not there gives no bank";
}
