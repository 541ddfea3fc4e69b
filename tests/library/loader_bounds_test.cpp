// What a load may never do to a library: replace a file it finds there with
// a bank it writes, or walk a folder more than once however many links lead
// to it, or walk without end.
#include <sys/stat.h>

#include <map>

#include "tests/library/library_editor.h"

namespace {

// A raw file of count plain dumps (76 bytes each).
Bytes dumps(int count, int seed) {
  std::vector<Bytes> parts;
  for (int i = 0; i < count; ++i) parts.push_back(plainDump(seed + i));
  return join(parts);
}

// count second-generation sounds (model 0x16, 139 bytes), each converted on
// reading.
Bytes secondGenerationSounds(int count) {
  std::vector<Bytes> parts;
  for (int i = 0; i < count; ++i) parts.push_back(secondGenerationMessage(139));
  return join(parts);
}

size_t occurrences(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace

// A split or converted file is written beside its source under a name that
// a user's bank may already carry (or a piece of another source written a
// moment ago, or a link to nothing): that file stays byte for byte, the new
// bank takes the first free name, and the log says so.
TEST_F(LibraryFolderTest, writtenBanksNeverReplaceFilesOfTheLibrary) {
  const struct {
    const char* why;
    std::map<std::string, Bytes> sources;    // read, then moved away
    std::map<std::string, Bytes> userFiles;  // banks (30 sounds or more): must stay as they are
    std::vector<std::string> links;          // links to nothing, must stay links
    std::vector<std::string> written;        // the new names, in the log
  } kCases[] = {
      {"a split beside the user's pieces",
       {{"Big.syx", dumps(150, 3)}},
       {{"Big Singles 1.vrn", dumps(30, 40)}, {"Big Singles 2.vrn", dumps(35, 70)}},
       {},
       {"Big Singles 1 2.vrn", "Big Singles 2 2.vrn"}},
      {"a conversion beside the user's bank of that name",
       {{"Old.syx", secondGenerationSounds(60)}},
       {{"Old.vrn", dumps(45, 11)}, {"Old 2.vrn", dumps(40, 90)}},
       {},
       {"Old 3.vrn"}},
      {"two sources of one name: the second's pieces keep the first's",
       {{"Twin.mid", dumps(120, 5)}, {"Twin.syx", dumps(110, 60)}},
       {},
       {},
       {"Twin Singles 1 2.vrn", "Twin Singles 2 2.vrn"}},
      {"a link to nothing under the piece's name",
       {{"Far.syx", dumps(100, 8)}},
       {},
       {"Far Singles 1.vrn"},
       {"Far Singles 1 2.vrn"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    std::filesystem::remove_all(patches());
    std::filesystem::remove_all(converted());
    std::filesystem::create_directories(patches());
    std::filesystem::remove(m_dir / "log.txt");
    for (const auto& source : c.sources) writeBytes(patches() / source.first, source.second);
    for (const auto& user : c.userFiles) writeBytes(patches() / user.first, user.second);
    for (const std::string& link : c.links)
      std::filesystem::create_symlink(m_dir / "nowhere" / link, patches() / link);
    editor = std::make_unique<LibraryEditor>();
    editor->dataFolder = m_dir.string() + "/";
    editor->loggingEnabled = true;
    editor->logFilePath = (m_dir / "log.txt").string();
    load();

    const std::string log = logText();
    for (const auto& user : c.userFiles)
      EXPECT_EQ(readBytes(patches() / user.first), user.second) << user.first;
    for (const std::string& link : c.links) {
      EXPECT_TRUE(std::filesystem::is_symlink(patches() / link)) << link;
      EXPECT_FALSE(std::filesystem::exists(m_dir / "nowhere" / link)) << "never written through " << link;
    }
    for (const auto& source : c.sources)
      EXPECT_EQ(readBytes(converted() / source.first), source.second) << "moved whole: " << source.first;
    for (const std::string& name : c.written) {
      EXPECT_TRUE(std::filesystem::is_regular_file(patches() / name)) << name;
      EXPECT_NE(log.find("wrote file " + name + " in place of "), std::string::npos) << name << "\n" << log;
    }
    // Every bank file of the folder is a bank of the library after the rescan.
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(patches()))
      if (entry.is_regular_file()) ++files;
    EXPECT_EQ(library().fileBanks.size(), files) << log;
  }
}

// The split pieces themselves: a user's "Big Singles 1.vrn" stays, and the
// bank written in its place holds the first 99 sounds of the source.
TEST_F(LibraryFolderTest, aPieceUnderAFreeNameHoldsItsOwnSounds) {
  writeBytes(patches() / "Big Singles 1.vrn", dumps(30, 40));
  writeBytes(patches() / "Big.syx", dumps(150, 3));
  load();
  EXPECT_EQ(bankNames(),
            (std::vector<std::string>{"Big Singles 1 2.vrn", "Big Singles 1.vrn", "Big Singles 2.vrn"}));
  const PatchFile* piece = library().fileBanks[0];
  const PatchFile* users = library().fileBanks[1];
  EXPECT_EQ(piece->patches[0].messages[0][6], 3) << "the source's first sound";
  EXPECT_EQ(users->patches[0].messages[0][6], 40) << "the user's first sound";
  EXPECT_EQ(users->patches[30].name, "SOUND       31") << "the user's bank padded in memory only";
}

// 18 folders, each holding two links to the next: 2^18 roads lead to the
// last, which holds the one bank. Each folder is walked once, the bank is
// loaded once, and the rescan after a written file walks the same way.
TEST_F(LibraryFolderTest, aFolderReachedByManyLinksIsWalkedOnce) {
  constexpr int kLevels = 18;
  for (int level = 1; level <= kLevels; ++level) {
    const std::filesystem::path folder = m_dir / "Levels" / std::to_string(level);
    std::filesystem::create_directories(folder);
    if (level < kLevels)
      for (const char* name : {"a", "b"})
        std::filesystem::create_directory_symlink("../" + std::to_string(level + 1), folder / name);
  }
  for (const char* name : {"a", "b"})
    std::filesystem::create_directory_symlink(m_dir / "Levels" / "1", patches() / name);
  writeBytes(m_dir / "Levels" / std::to_string(kLevels) / "deep.syx", dumps(30, 1));
  // A file that is split makes the load rescan.
  writeBytes(patches() / "Big.syx", dumps(120, 2));
  load();

  EXPECT_EQ(library().folderScanList.size(), static_cast<size_t>(kLevels) + 1)
      << "each level once, and the root";
  EXPECT_EQ(bankNames(), (std::vector<std::string>{"deep.syx", "Big Singles 1.vrn", "Big Singles 2.vrn"}));
  const std::string log = logText();
  EXPECT_EQ(occurrences(log, "FOLDER RESCAN INITIATED BY PATCH LIBRARIAN"), 1u);
  EXPECT_EQ(occurrences(log, "loaded file " + (patches() / "a").string()), 2u) << "deep.syx, once per load";
  EXPECT_EQ(occurrences(log, "it leads to a folder that is loaded already"), 2u * kLevels) << "the b roads";
  EXPECT_EQ(library().fileBanks[0]->folderLevels.size(), static_cast<size_t>(kLevels) + 1)
      << "loaded by its first road, a/a/.../a";

  // Reloading walks the same way again.
  library().initBankFilesOnDiscard(patches().string());
  EXPECT_EQ(library().folderScanList.size(), static_cast<size_t>(kLevels) + 1);
  EXPECT_EQ(library().fileBanks.size(), 3u);
}

// Folders deeper than the depth bound, and folders past the count bound,
// are skipped with a log line; the rest is loaded.
TEST_F(LibraryFolderTest, theWalkKeepsItsDepthAndFolderBounds) {
  std::filesystem::path deep = patches();
  for (int level = 1; level <= PatchLibrarian::kMaximumFolderDepth + 2; ++level) {
    deep /= "d";
    writeBytes(deep / "bank.syx", dumps(30, level));
  }
  load();
  EXPECT_EQ(library().fileBanks.size(), static_cast<size_t>(PatchLibrarian::kMaximumFolderDepth))
      << "the banks of levels 1 to the bound";
  EXPECT_NE(logText().find("more than " + std::to_string(PatchLibrarian::kMaximumFolderDepth) +
                           " levels below the library folder"),
            std::string::npos);

  // Wide: more folders than the bound, each empty; one bank in the root.
  std::filesystem::remove_all(patches());
  const size_t wide = PatchLibrarian::kMaximumFolders + 5;
  for (size_t i = 0; i < wide; ++i)
    std::filesystem::create_directories(patches() / ("f" + std::to_string(i)));
  writeBytes(patches() / "root.syx", dumps(30, 0));
  library().initBankFilesOnDiscard(patches().string());
  EXPECT_EQ(library().folderScanList.size(), PatchLibrarian::kMaximumFolders + 1);
  EXPECT_EQ(bankNames(), (std::vector<std::string>{"root.syx"}));
  EXPECT_EQ(occurrences(logText(), "and every further one: the library holds more than"), 1u)
      << "one line for the walk";
}
