// Loading the library folder: the file filter, the folder tree, splitting
// and converting files, moving sources away, and the one rescan.
#include <sys/resource.h>

#include "tests/library/library_editor.h"

namespace {

// A raw file of count plain dumps (76 bytes each).
Bytes dumps(int count, int seed = 0) {
  std::vector<Bytes> parts;
  for (int i = 0; i < count; ++i) parts.push_back(plainDump(seed + i));
  return join(parts);
}

// A second-generation message of 139 bytes named name, category BASS.
Bytes secondGenerationSound(const std::string& name) {
  Bytes m = secondGenerationMessage(139);
  std::string padded = name;
  padded.resize(14, ' ');
  std::copy(padded.begin(), padded.end(), m.begin() + 120);
  m[134] = 3;
  return m;
}

Bytes padTo(Bytes bytes, size_t size) {
  bytes.resize(size, 0x00);
  return bytes;
}

}  // namespace

TEST_F(LibraryFolderTest, fileFilterBySizeAndExtension) {
  writeBytes(patches() / "small.syx", padTo(plainDump(1), 2200));
  writeBytes(patches() / "exact.syx", padTo(plainDump(2), 2201));
  writeBytes(patches() / "UPPER.SYX", dumps(30));
  writeBytes(patches() / "notes.txt", dumps(30));
  writeBytes(patches() / "newer.vr2", dumps(150));
  writeBytes(patches() / "song.mid", dumps(30));
  load();
  EXPECT_EQ(bankNames(), (std::vector<std::string>{"UPPER.SYX", "exact.syx", "song.mid"}));
  for (const PatchFile* bank : library().fileBanks) EXPECT_EQ(bank->patches.size(), 99u);
  EXPECT_TRUE(std::filesystem::exists(patches() / "newer.vr2")) << "vr2 is never moved";
  EXPECT_EQ(readBytes(patches() / "newer.vr2"), dumps(150)) << "nor written";
  EXPECT_EQ(logText().find("newer.vr2"), std::string::npos) << "nor logged";
  EXPECT_FALSE(std::filesystem::exists(converted()));
}

TEST_F(LibraryFolderTest, folderTreeOfNestedFolders) {
  writeBytes(patches() / "root.syx", dumps(30));
  writeBytes(patches() / "A" / "a.syx", dumps(30));
  writeBytes(patches() / "A" / "X" / "x.syx", dumps(30));
  writeBytes(patches() / "A" / "Y" / "y.syx", dumps(30));
  writeBytes(patches() / "A" / "X" / "Deep" / "deep.syx", dumps(30));
  load();
  EXPECT_EQ(bankNames(), (std::vector<std::string>{"a.syx", "x.syx", "deep.syx", "y.syx", "root.syx"}))
      << "folders in path order, the root last";
  const std::vector<FolderFiles*>& tree = library().fileTree;
  ASSERT_EQ(tree.size(), 3u) << "deep.syx is loaded but has no place in the tree";
  // A's own bank and X share the first unnamed entry.
  EXPECT_EQ(tree[0]->name, "");
  ASSERT_EQ(tree[0]->subfolders.size(), 1u);
  EXPECT_EQ(tree[0]->subfolders[0].name, "A");
  ASSERT_EQ(tree[0]->subfolders[0].banks.size(), 1u);
  EXPECT_EQ(tree[0]->subfolders[0].banks[0]->fileName, "a.syx");
  ASSERT_EQ(tree[0]->subfolders[0].subfolders.size(), 1u);
  EXPECT_EQ(tree[0]->subfolders[0].subfolders[0].name, "X");
  EXPECT_EQ(tree[0]->subfolders[0].subfolders[0].banks[0]->fileName, "x.syx");
  // Y gets an unnamed entry with a second A of its own.
  EXPECT_EQ(tree[1]->name, "");
  EXPECT_EQ(tree[1]->subfolders[0].name, "A");
  EXPECT_EQ(tree[1]->subfolders[0].subfolders[0].name, "Y");
  EXPECT_EQ(tree[2]->name, "Patches");
  ASSERT_EQ(tree[2]->banks.size(), 1u);
  EXPECT_EQ(tree[2]->banks[0]->fileName, "root.syx");

  const PatchFile* x = library().fileBanks[1];
  EXPECT_EQ(x->folderName, "X");
  EXPECT_EQ(x->folderLevels, (std::vector<std::string>{"Patches", "A", "X"}));
  EXPECT_EQ(x->folderPath, (patches() / "A" / "X").string());
}

TEST_F(LibraryFolderTest, largeFileIsSplitIntoBanksAndMoved) {
  const Bytes source = dumps(150, 3);
  writeBytes(patches() / "Big Bank.syx", source);
  load();
  EXPECT_EQ(bankNames(), (std::vector<std::string>{"Big Bank Singles 1.vrn", "Big Bank Singles 2.vrn"}));
  EXPECT_FALSE(std::filesystem::exists(patches() / "Big Bank.syx"));
  EXPECT_EQ(readBytes(converted() / "Big Bank.syx"), source) << "the source is kept whole";
  EXPECT_EQ(std::filesystem::file_size(patches() / "Big Bank Singles 1.vrn"), 9108u);
  const PatchFile* second = library().fileBanks[1];
  ASSERT_EQ(second->patches.size(), 99u);
  EXPECT_EQ(second->patches[0].messages[0][6], (3 + 99) & 0x7F) << "sound 100 opens the second bank";
  EXPECT_EQ(second->patches[51].name, "SOUND       52") << "fillers numbered by their slot";
  const std::string log = logText();
  EXPECT_NE(log.find("moved file Big Bank.syx because it is not Varno 1 standard formatted!"),
            std::string::npos);
  EXPECT_EQ(log.find("FOLDER RESCAN INITIATED BY PATCH LIBRARIAN"),
            log.rfind("FOLDER RESCAN INITIATED BY PATCH LIBRARIAN"))
      << "one rescan";
}

TEST_F(LibraryFolderTest, splitBoundaries) {
  const struct {
    int sounds;
    std::vector<std::string> banks;
  } kCases[] = {
      {99, {"b.syx"}},
      {100, {"b Singles 1.vrn", "b Singles 2.vrn"}},
      {198, {"b Singles 1.vrn", "b Singles 2.vrn"}},
      {250, {"b Singles 1.vrn", "b Singles 2.vrn", "b Singles 3.vrn"}},
  };
  for (const auto& c : kCases) {
    std::filesystem::remove_all(patches());
    std::filesystem::remove_all(converted());
    writeBytes(patches() / "b.syx", dumps(c.sounds));
    editor = std::make_unique<LibraryEditor>();
    editor->dataFolder = m_dir.string() + "/";
    load();
    EXPECT_EQ(bankNames(), c.banks) << c.sounds;
  }
}

// A vrn file of second-generation sounds is rewritten under its own name:
// the source is moved away first, so the written bank never replaces it.
TEST_F(LibraryFolderTest, convertedBankReplacesItsSourceSafely) {
  std::vector<Bytes> sounds;
  for (int i = 0; i < 60; ++i) sounds.push_back(secondGenerationSound("Old " + std::to_string(i)));
  const Bytes source = join(sounds);
  writeBytes(patches() / "Old.vrn", source);
  load();
  EXPECT_EQ(bankNames(), (std::vector<std::string>{"Old.vrn"}));
  EXPECT_EQ(readBytes(converted() / "Old.vrn"), source);
  const Bytes written = readBytes(patches() / "Old.vrn");
  EXPECT_EQ(written.size(), 9108u);
  const PatchFile* bank = library().fileBanks[0];
  EXPECT_EQ(bank->patches[0].name, "OLD 0         ");
  EXPECT_EQ(bank->patches[0].messages[0][2], 0x0B);
  EXPECT_EQ(bank->patches[60].name, "SOUND       61");

  // Loading again changes nothing: the converted bank needs no rewriting.
  library().initBankFilesOnDiscard(patches().string());
  EXPECT_EQ(bankNames(), (std::vector<std::string>{"Old.vrn"}));
  EXPECT_EQ(readBytes(patches() / "Old.vrn"), written);
}

TEST_F(LibraryFolderTest, splitFileOfConvertedSoundsKeepsEveryPiece) {
  std::vector<Bytes> sounds;
  for (int i = 0; i < 120; ++i) sounds.push_back(secondGenerationSound("New " + std::to_string(i)));
  writeBytes(patches() / "Mixed.syx", join(sounds));
  load();
  EXPECT_EQ(bankNames(), (std::vector<std::string>{"Mixed Singles 1.vrn", "Mixed Singles 2.vrn"}));
  EXPECT_EQ(library().fileBanks[1]->patches[20].name, "NEW 119       ");
}

TEST_F(LibraryFolderTest, movedFileNeverReplacesAnEarlierOne) {
  writeBytes(converted() / "Big.syx", Bytes{1, 2, 3});
  writeBytes(patches() / "Big.syx", dumps(120));
  load();
  EXPECT_EQ(readBytes(converted() / "Big.syx"), (Bytes{1, 2, 3}));
  EXPECT_EQ(readBytes(converted() / "Big 2.syx"), dumps(120));
}

TEST_F(LibraryFolderTest, failedMoveIsLoggedAndSkipped) {
  // "Converted Banks" cannot be created: a file stands in its place.
  writeBytes(converted(), Bytes{1});
  writeBytes(patches() / "Big.syx", dumps(120));
  writeBytes(patches() / "fine.syx", dumps(30));
  load();
  EXPECT_EQ(bankNames(), (std::vector<std::string>{"fine.syx"})) << logText();
  EXPECT_EQ(readBytes(patches() / "Big.syx"), dumps(120)) << "the source stays untouched";
  EXPECT_FALSE(std::filesystem::exists(patches() / "Big Singles 1.vrn")) << "nothing written beside it";
  EXPECT_NE(logText().find("could not move file Big.syx"), std::string::npos);
}

TEST_F(LibraryFolderTest, unreadableEntriesAreSkipped) {
  writeBytes(patches() / "fine.syx", dumps(30));
  std::filesystem::create_directories(patches() / "folder.syx");  // a folder with a bank's name
  std::filesystem::create_symlink(patches() / "missing.syx", patches() / "dangling.syx");
  std::filesystem::create_directory_symlink(patches(), patches() / "Loop");
  load();
  EXPECT_EQ(bankNames(), (std::vector<std::string>{"fine.syx"})) << logText();
}

// Folders reached through links are loaded like any other, under the
// link's name; a link leading back to a folder above it is not followed.
TEST_F(LibraryFolderTest, linkedFoldersAreLoadedAndLoopsAreCaught) {
  writeBytes(m_dir / "Elsewhere" / "shared.syx", dumps(30));
  std::filesystem::create_directory_symlink(m_dir / "Elsewhere", patches() / "Shared");
  writeBytes(patches() / "A" / "a.syx", dumps(30));
  std::filesystem::create_directory_symlink(patches(), patches() / "A" / "Up");
  std::filesystem::create_directory_symlink("../A", patches() / "A" / "Again");
  load();
  EXPECT_EQ(bankNames(), (std::vector<std::string>{"a.syx", "shared.syx"})) << logText();
  ASSERT_EQ(library().fileBanks.size(), 2u);
  EXPECT_EQ(library().fileBanks[1]->folderLevels, (std::vector<std::string>{"Patches", "Shared"}));
  EXPECT_NE(logText().find("skipped folder " + (patches() / "A" / "Up").string()), std::string::npos);
}

// A file above the limit is refused unread, with a log line, and stays
// where it is; memory does not grow with it. The large file is sparse, so
// it costs no disk space; read, it would cost its whole size in memory.
TEST_F(LibraryFolderTest, oversizedFilesAreRefusedUnreadWithALogLine) {
  writeBytes(patches() / "fine.syx", dumps(30));
  Bytes atLimit = dumps(40, 7);
  atLimit.resize(static_cast<size_t>(kMaximumPatchFileSize), 0x00);
  writeBytes(patches() / "limit.syx", atLimit);
  const std::filesystem::path huge = patches() / "huge.syx";
  writeBytes(huge, dumps(30));
  constexpr uintmax_t kHugeSize = 256u << 20;
  std::filesystem::resize_file(huge, kHugeSize);

  const auto peakKilobytes = [] {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
  };
  const long before = peakKilobytes();
  load();
  const long grown = peakKilobytes() - before;

  EXPECT_EQ(bankNames(), (std::vector<std::string>{"fine.syx", "limit.syx"}));
  EXPECT_LT(grown, 32 * 1024) << "peak memory grew by " << grown << " KB";
  EXPECT_EQ(std::filesystem::file_size(huge), kHugeSize) << "the file stays";
  EXPECT_NE(logText().find("skipped file " + huge.string()), std::string::npos);
}

TEST_F(LibraryFolderTest, missingRootIsLogged) {
  library().loadPatchesFromFilesystem((m_dir / "Nowhere").string());
  EXPECT_TRUE(library().fileBanks.empty());
  EXPECT_TRUE(library().categoryTree.empty()) << "no category banks either";
  EXPECT_NE(logText().find("PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER..."), std::string::npos);
}

TEST_F(LibraryFolderTest, fileWithoutPatchesStaysAndGivesNoBank) {
  writeBytes(patches() / "junk.syx", Bytes(3000, 0x3E));
  load();
  EXPECT_TRUE(library().fileBanks.empty());
  EXPECT_TRUE(std::filesystem::exists(patches() / "junk.syx"));
}
