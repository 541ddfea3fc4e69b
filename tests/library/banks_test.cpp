// Banks built in memory (categories, search results), the received patch in
// the selected slot, the reload, and saving the edited bank.
#include "tests/library/library_editor.h"

namespace {

// A library whose one file bank holds the given patches.
void addBank(PatchLibrarian& library, std::vector<LibrarianPatch> patches,
             const std::string& name = "b.vrn") {
  PatchFile* bank = new PatchFile();
  bank->fileName = name;
  bank->patches = std::move(patches);
  library.fileBanks.push_back(bank);
}

std::vector<LibrarianPatch> many(int count, const std::string& name, int category) {
  std::vector<LibrarianPatch> patches;
  for (int i = 0; i < count; ++i) patches.push_back(recordPatch(i, name, category));
  return patches;
}

std::vector<std::string> fileNames(const std::vector<PatchFile*>& banks) {
  std::vector<std::string> names;
  for (const PatchFile* bank : banks) names.push_back(bank->fileName);
  return names;
}

}  // namespace

// ---- Category banks ----

TEST(CategoryBanks, banksPerCategoryAndTheirTree) {
  PatchLibrarian library;
  std::vector<LibrarianPatch> patches = many(99, "Lead", 7);
  for (LibrarianPatch& p : many(100, "pad", 9)) patches.push_back(p);
  LibrarianPatch twoMessages = recordPatch(1, "Arp", 1);
  twoMessages.messages.push_back({0xF0, 0xF7});
  twoMessages.name = "renamed in memory";
  patches.push_back(twoMessages);
  LibrarianPatch lowerCase = recordPatch(2, "Odd", 9);
  lowerCase.category = "pad ";
  patches.push_back(lowerCase);
  for (LibrarianPatch& p : many(3, "Filler", 20)) patches.push_back(p);
  addBank(library, patches);
  library.createNewCategoryPatchFiles();

  EXPECT_EQ(fileNames(library.categoryBanks),
            (std::vector<std::string>{"ARP  1", "LEAD 1", "PAD  1", "PAD  2"}));
  const PatchFile* arp = library.categoryBanks[0];
  ASSERT_EQ(arp->patches.size(), 1u);
  EXPECT_EQ(arp->patches[0].messages.size(), 1u) << "only the first message";
  EXPECT_EQ(arp->patches[0].name, "ARP           ") << "the name is re-read from the record";
  EXPECT_EQ(arp->folderName, "ARP ");
  EXPECT_EQ(arp->numberTag, 1);
  EXPECT_EQ(library.categoryBanks[3]->patches.size(), 1u) << "100 PAD patches: 99 and 1, not padded";

  ASSERT_EQ(library.categoryTree.size(), 20u) << "one entry per category, INIT excluded";
  const FolderFiles* keys = library.categoryTree[6];
  EXPECT_EQ(keys->name, "KEYS 1");
  ASSERT_EQ(keys->subfolders.size(), 1u);
  EXPECT_EQ(keys->subfolders[0].name, "KEYS");
  ASSERT_EQ(keys->subfolders[0].banks.size(), 1u);
  EXPECT_TRUE(keys->subfolders[0].banks[0]->patches.empty()) << "an empty bank lives only in the tree";
  const FolderFiles* lead = library.categoryTree[7];
  EXPECT_EQ(fileNames(lead->subfolders[0].banks), (std::vector<std::string>{"LEAD 1", "LEAD 2"}));
  EXPECT_EQ(library.categoryTree[5]->name, "FX   1");
}

// A patch whose category text names a category but whose record has become
// too short to rebuild still takes its slot: the bank it falls in holds one
// patch fewer and the banks split where they would have.
TEST(CategoryBanks, aPatchThatCannotBeRebuiltKeepsItsSlot) {
  PatchLibrarian library;
  std::vector<LibrarianPatch> patches = many(100, "Bass", 3);
  patches[5].messages.front().resize(40);
  addBank(library, patches);
  library.createNewCategoryPatchFiles();
  EXPECT_EQ(fileNames(library.categoryBanks), (std::vector<std::string>{"BASS 1", "BASS 2"}));
  EXPECT_EQ(library.categoryBanks[0]->patches.size(), 98u);
  EXPECT_EQ(library.categoryBanks[1]->patches.size(), 1u);
}

// ---- Search-result banks ----

TEST(SearchBanks, termsAndBankBoundaries) {
  PatchLibrarian library;
  std::vector<LibrarianPatch> patches;
  for (const char* name : {"PAD ONE", "BIG PAD", "XPADX", "BASS", "Pad"})
    patches.push_back(recordPatch(1, name, 9));
  patches[0].messages.push_back({0xF0, 1, 0xF7});
  patches[0].messages.push_back({0xF0, 2, 0xF7});
  patches[4].name = "Pad";  // as held in memory, not upper-cased
  addBank(library, patches);

  library.createNewSearchPatchFiles("PAD");
  ASSERT_EQ(fileNames(library.searchBanks), (std::vector<std::string>{"Search Results 1"}));
  const PatchFile* results = library.searchBanks[0];
  ASSERT_EQ(results->patches.size(), 3u);
  EXPECT_EQ(results->patches[0].messages.size(), 2u) << "the first two messages";
  EXPECT_EQ(results->folderName, "Patches");
  ASSERT_EQ(library.searchTree.size(), 1u);
  EXPECT_EQ(library.searchTree[0]->name, "Patches");
  EXPECT_EQ(library.searchTree[0]->banks, library.searchBanks);

  library.createNewSearchPatchFiles("pad");
  EXPECT_TRUE(library.searchBanks.empty()) << "case matters";
}

TEST(SearchBanks, ninetyNineMatchesGiveAnEmptySecondBank) {
  for (int count : {99, 100}) {
    PatchLibrarian library;
    addBank(library, many(count, "Match", 3));
    library.createNewSearchPatchFiles("MATCH");
    ASSERT_EQ(library.searchBanks.size(), 2u) << count;
    EXPECT_EQ(library.searchBanks[0]->patches.size(), 99u);
    EXPECT_EQ(library.searchBanks[1]->patches.size(), static_cast<size_t>(count - 99));
    EXPECT_EQ(library.searchBanks[1]->numberTag, 1);
    EXPECT_EQ(library.searchTree[0]->banks.size(), 2u);
  }
}

// ---- Received patch ----

class ReceivedPatch : public testing::Test {
 protected:
  void SetUp() override { addBank(library, many(40, "Old", 3)); }
  PatchLibrarian library;
};

TEST_F(ReceivedPatch, storedIntoTheSelectedSlotOfA99SlotBank) {
  LibrarianPatch received = recordPatch(7, "Received", 7);
  received.messages.push_back({0xF0, 0x3E, 0xF7});
  library.selectedUpperSlot = 12;
  library.setSysexDatatoSelectedSlot(&received);
  const PatchFile* bank = library.fileBanks[0];
  ASSERT_EQ(bank->patches.size(), 99u);
  EXPECT_EQ(bank->patches[12].name, received.name);
  EXPECT_EQ(bank->patches[12].messages, received.messages) << "both messages";
  EXPECT_EQ(bank->patches[12].category, "LEAD");
  EXPECT_EQ(bank->patches[11].name, "OLD           ");
  EXPECT_TRUE(bank->patches[40].messages.empty() && bank->patches[98].name.empty());
}

TEST_F(ReceivedPatch, nothingHappensWithoutABankOrSlot) {
  LibrarianPatch received = recordPatch(7, "Received", 7);
  const struct {
    const char* why;
    int32_t bank;
    int32_t slot;
  } kCases[] = {
      {"no slot selected", 0, -1},
      {"slot past the bank", 0, 99},
      {"bank index past the list", 1, 0},
      {"negative bank index", -1, 0},
  };
  for (const auto& c : kCases) {
    library.upperBankIndex = c.bank;
    library.selectedUpperSlot = c.slot;
    library.setSysexDatatoSelectedSlot(&received);
    EXPECT_EQ(library.fileBanks[0]->patches.size(), 40u) << c.why;
  }
}

TEST_F(ReceivedPatch, longBankIsCutToNinetyNine) {
  addBank(library, many(120, "Long", 3), "long.vrn");
  library.upperBankIndex = 1;
  LibrarianPatch received = recordPatch(7, "Received", 7);
  library.setSysexDatatoSelectedSlot(&received);
  EXPECT_EQ(library.fileBanks[1]->patches.size(), 99u);
  EXPECT_EQ(library.fileBanks[1]->patches[0].name, received.name);
}

TEST_F(LibraryFolderTest, receivedPatchIsGoneAfterAReload) {
  std::vector<Bytes> records;
  for (int i = 0; i < 99; ++i) records.push_back(libraryRecord(i, "Pad " + std::to_string(i), 9, i));
  writeBytes(patches() / "bank.vrn", join(records));
  load();
  const std::vector<std::string> categories = {library().categoryBanks[0]->fileName};
  library().createNewSearchPatchFiles("PAD");
  ASSERT_FALSE(library().searchBanks.empty());

  LibrarianPatch received = recordPatch(1, "Fresh", 3);
  library().selectedUpperSlot = 5;
  library().setSysexDatatoSelectedSlot(&received);
  EXPECT_EQ(library().fileBanks[0]->patches[5].name, received.name);

  library().initBankFilesOnDiscard(patches().string());
  ASSERT_EQ(library().fileBanks.size(), 1u);
  EXPECT_EQ(library().fileBanks[0]->patches[5].name, "PAD 5         ");
  EXPECT_TRUE(library().searchBanks.empty() && library().searchTree.empty());
  EXPECT_EQ(std::vector<std::string>{library().categoryBanks[0]->fileName}, categories);
  EXPECT_EQ(library().fileTree.size(), 1u);
}

// ---- Saving ----

class SavingBanks : public LibraryFolderTest {
 protected:
  void SetUp() override {
    LibraryFolderTest::SetUp();
    std::vector<LibrarianPatch> patches;
    for (int i = 0; i < 120; ++i) {
      patches.push_back(recordPatch(i, "Saved " + std::to_string(i), 3));
      patches.back().messages[0][5] = static_cast<unsigned char>(i % 99);
    }
    addBank(library(), patches, "edited.vrn");
  }
};

TEST_F(SavingBanks, saveAsRawImageRecordsTheChosenFile) {
  std::filesystem::create_directories(m_dir / "Banks");
  editor->panel()->answer = (m_dir / "Banks" / "My Bank.vrn").string();
  EXPECT_TRUE(library().savePatchAs("proposed.vrn", "/start", false));
  EXPECT_EQ(editor->panel()->offeredName, "proposed.vrn");
  EXPECT_EQ(editor->panel()->offeredFolder, "/start");
  EXPECT_EQ(editor->panel()->offeredExtensions, "vrn");
  EXPECT_EQ(editor->currentBankFolderName, "Banks");
  EXPECT_EQ(editor->currentBankFileName, "My Bank.vrn");
  const Bytes written = readBytes(m_dir / "Banks" / "My Bank.vrn");
  ASSERT_EQ(written.size(), 9108u);
  EXPECT_EQ(library().fileBanks[0]->patches.size(), 120u) << "the edited bank keeps every patch";
  EXPECT_EQ((std::filesystem::status(m_dir / "Banks" / "My Bank.vrn").permissions() &
             std::filesystem::perms::others_read),
            std::filesystem::perms::others_read);
}

TEST_F(SavingBanks, saveAsStandardMidiFile) {
  editor->panel()->answer = (m_dir / "bank.mid").string();
  EXPECT_TRUE(library().savePatchAs("x.mid", "", true));
  EXPECT_EQ(editor->panel()->offeredExtensions, "mid");
  EXPECT_EQ(std::filesystem::file_size(m_dir / "bank.mid"), 14209u);
  PatchFile read;
  auto chunk = chunkOf(readBytes(m_dir / "bank.mid"));
  library().loadFromChunk(chunk.get(), chunk->Size(), &read, 1);
  ASSERT_EQ(read.patches.size(), 99u);
  EXPECT_EQ(read.patches[98].messages[0], library().fileBanks[0]->patches[98].messages[0]);
}

TEST_F(SavingBanks, cancelledOrFailedSaveAsChangesNothing) {
  editor->currentBankFileName = "before.vrn";
  editor->panel()->answer = "";
  EXPECT_FALSE(library().savePatchAs("x.vrn", "", false));
  editor->panel()->answer = (m_dir / "No Folder" / "x.vrn").string();
  EXPECT_FALSE(library().savePatchAs("x.vrn", "", false));
  EXPECT_EQ(editor->currentBankFileName, "before.vrn");
  EXPECT_NE(logText().find("could not write file"), std::string::npos);
}

TEST_F(SavingBanks, overwriteKeepsTheOldFileWhenTheWriteFails) {
  const std::filesystem::path target = m_dir / "current.vrn";
  writeBytes(target, Bytes{1, 2, 3});
  ASSERT_TRUE(library().saveEditedPatch(target.string(), "current.vrn"));
  EXPECT_EQ(std::filesystem::file_size(target), 9108u);
  EXPECT_EQ(editor->currentBankFileName, "current.vrn");

  // A folder the temporary file cannot be made in: the old file stays.
  const Bytes before = readBytes(target);
  EXPECT_FALSE(library().saveEditedPatch((m_dir / "missing" / "current.vrn").string(), "other.vrn"));
  EXPECT_EQ(editor->currentBankFileName, "current.vrn");
  EXPECT_EQ(readBytes(target), before);
  for (const auto& entry : std::filesystem::directory_iterator(m_dir))
    EXPECT_EQ(entry.path().filename().string().find(".current.vrn"), std::string::npos)
        << "no temporary left";
}

// "Save (Overwrite current bank)" of a bank opened from a raw SysEx file
// writes that file, as raw SysEx, and records its name: after a reload the
// library lists the edited bank once, under the name it had.
TEST_F(SavingBanks, bankOpenedFromSyxIsOverwrittenInItsOwnFile) {
  std::vector<Bytes> sounds;
  for (int i = 0; i < 30; ++i) sounds.push_back(plainDump(i));
  writeBytes(patches() / "old.syx", join(sounds));
  library().initBankFilesOnDiscard(patches().string());
  ASSERT_EQ(bankNames(), std::vector<std::string>{"old.syx"});
  library().upperBankIndex = 0;
  library().fileBanks[0]->patches[3] = recordPatch(77, "Edited", 2);

  const std::filesystem::path file = patches() / "old.syx";
  ASSERT_TRUE(library().saveEditedPatch(file.string(), "old.syx"));
  EXPECT_EQ(editor->currentBankFileName, "old.syx");
  EXPECT_EQ(std::filesystem::file_size(file), 9108u) << "99 records of 92 bytes, raw";
  EXPECT_FALSE(std::filesystem::exists(patches() / "old.vrn"));
  const Bytes written = readBytes(file);
  EXPECT_EQ(written.front(), 0xF0);
  EXPECT_EQ(written.back(), 0xF7);

  library().initBankFilesOnDiscard(patches().string());
  ASSERT_EQ(bankNames(), std::vector<std::string>{"old.syx"});
  EXPECT_EQ(library().fileBanks[0]->patches[3].name, "EDITED        ");

  ASSERT_TRUE(library().saveEditedPatch((m_dir / "song.mid").string(), "song.mid"));
  EXPECT_EQ(std::filesystem::file_size(m_dir / "song.mid"), 14209u);
}

TEST(SavingWithoutABank, saversRefuse) {
  LibraryEditor editor;
  editor.panel()->answer = "/tmp/never-written.vrn";
  EXPECT_FALSE(editor.patchLibrarian->savePatchAs("x", "", false));
  EXPECT_EQ(editor.panel()->actions, 0);
  EXPECT_FALSE(editor.patchLibrarian->saveEditedPatch("/tmp/never-written.vrn", "x.vrn"));
}

// An outside reader of Standard MIDI files: Debian's python3-mido. Skipped
// where it is not installed. Each event carries its record's own F7 inside
// its data (the bank format keeps it), which the reader accepts clipped.
TEST_F(SavingBanks, standardMidiFileReadsInAnOutsideReader) {
  if (std::system("/usr/bin/python3 -c 'import mido' > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "python3-mido missing";
  const std::filesystem::path file = m_dir / "outside.mid";
  ASSERT_TRUE(library().saveEditedPatch(file.string(), "outside.mid"));
  const std::string script =
      "import mido, sys\n"
      "f = mido.MidiFile(sys.argv[1], clip=True)\n"
      "assert f.type == 1 and f.ticks_per_beat == 480 and len(f.tracks) == 2\n"
      "events = [m for m in f.tracks[1] if m.type == 'sysex']\n"
      "assert len(events) == 99, len(events)\n"
      "for slot, m in enumerate(events):\n"
      "    assert len(m.data) == 137 and m.data[:4] == (0x3E, 0x0B, 0x00, 0x01) and m.data[4] == slot\n"
      "    assert m.data[90] == 127 and m.data[91:] == (0,) * 46\n"
      "    assert m.time == (0 if slot == 0 else 500)\n"
      "tempo = [m for m in f.tracks[0] if m.type == 'set_tempo']\n"
      "assert tempo[0].tempo == 500000\n";
  writeFile(m_dir / "check.py", script);
  const std::string command =
      "/usr/bin/python3 '" + (m_dir / "check.py").string() + "' '" + file.string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
}
