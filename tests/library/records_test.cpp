// Patch records, categories, the folder-tree entries and the snapshot block.
#include "src/FolderFiles.h"
#include "src/MIDIMessageSysEx.h"
#include "src/PatchLibrarianRecords.h"
#include "src/PatchManager.h"
#include "tests/library/library_editor.h"

TEST(PatchRecords, categoryCodeOfEveryByte) {
  const struct {
    int byte;
    const char* code;
  } kCases[] = {
      {0, "NONE"},  {1, "ARP "},  {5, "FX  "},    {9, "PAD "},    {19, "EXFX"},
      {20, "INIT"}, {21, "INIT"}, {0x7F, "INIT"}, {0xFF, "INIT"},
  };
  for (const auto& c : kCases) {
    LibrarianPatch patch;
    patch.messages.push_back(libraryRecord(1, "X", 0));
    patch.messages[0][90] = static_cast<unsigned char>(c.byte);
    patch.parseCategory();
    EXPECT_EQ(patch.category, c.code) << "byte " << c.byte;
  }
}

// Every byte value at every name position: a to z upper-cased, the rest,
// bytes above 0x7F among them, as they are.
TEST(PatchRecords, nameOfEveryByteAtEveryPosition) {
  for (int position = 0; position < VarnoSysEx::kNameLength; ++position)
    for (int byte = 0; byte < 256; ++byte) {
      PatchSysexMessage record(VarnoSysEx::kLibraryRecordSize, 'q');
      record[static_cast<size_t>(VarnoSysEx::kNameByte + position)] = static_cast<unsigned char>(byte);
      std::string expected(static_cast<size_t>(VarnoSysEx::kNameLength), 'Q');
      expected[static_cast<size_t>(position)] =
          static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte);
      ASSERT_EQ(recordPatchName(record), expected) << "byte " << byte << " at " << position;
    }
}

TEST(PatchRecords, patchWithoutCategoryByteKeepsItsCategory) {
  LibrarianPatch none;
  none.parseCategory();
  EXPECT_EQ(none.category, "");
  LibrarianPatch shortMessage;
  shortMessage.messages.push_back(Bytes(90, 0x01));
  shortMessage.parseCategory();
  EXPECT_EQ(shortMessage.category, "");
}

TEST(PatchRecords, copiedPatchSharesNoStorage) {
  LibrarianPatch source = recordPatch(3, "Bass", 3);
  LibrarianPatch copy(source);
  copy.messages[0][10] ^= 0x7F;
  EXPECT_NE(copy.messages[0][10], source.messages[0][10]);
  PatchFile bank;
  bank.patches.push_back(source);
  bank.secondFlag = 7;
  bank.folderName = "A";
  bank.numberTag = 4;
  std::unique_ptr<PatchFile> clone(bank.clone());
  clone->patches[0].messages[0][11] ^= 0x7F;
  EXPECT_NE(clone->patches[0].messages[0][11], bank.patches[0].messages[0][11]);
  EXPECT_EQ(clone->secondFlag, 1);
  EXPECT_EQ(clone->folderName, "");
  EXPECT_EQ(clone->numberTag, 0);
}

TEST(PatchRecords, rawAndMidiSaveOfAPatch) {
  LibrarianPatch patch;
  patch.messages = {{0xF0, 1, 2, 0xF7}, {0xF0, 3, 0xF7}};
  const struct {
    bool smf;
    int slot;
    Bytes expected;
  } kCases[] = {
      {false, 5, {0xF0, 1, 2, 0xF7, 0xF0, 3, 0xF7}},
      {true, 0, {1, 2, 0xF7, 3, 0xF7}},
      {true, 1, {0x83, 0x74, 0xF0, 0x81, 0x0A, 1, 2, 0xF7, 0x83, 0x74, 0xF0, 0x81, 0x0A, 3, 0xF7}},
  };
  for (const auto& c : kCases) {
    ByteChunk chunk;
    patch.save(&chunk, c.smf, c.slot);
    EXPECT_EQ(bytesOf(chunk), c.expected) << "smf " << c.smf << " slot " << c.slot;
  }
  ByteChunk empty;
  LibrarianPatch().save(&empty, true, 3);
  EXPECT_EQ(empty.Size(), 0);
}

TEST(PatchRecords, destroyingFolderEntriesLeavesTheBanks) {
  PatchLibrarian library;
  PatchFile* bank = new PatchFile();
  bank->fileName = "kept.vrn";
  library.fileBanks.push_back(bank);
  for (std::vector<FolderFiles*>* tree : {&library.fileTree, &library.categoryTree, &library.searchTree}) {
    FolderFiles* entry = new FolderFiles();
    entry->banks.push_back(bank);
    tree->push_back(entry);
  }
  library.clearDataStructures(1);
  EXPECT_EQ(library.fileTree.size() + library.categoryTree.size() + library.searchTree.size(), 3u);
  for (int tree : {0, 2, 3}) library.clearDataStructures(tree);
  EXPECT_TRUE(library.fileTree.empty() && library.categoryTree.empty() && library.searchTree.empty());
  ASSERT_EQ(library.fileBanks.size(), 1u);
  EXPECT_EQ(library.fileBanks[0]->fileName, "kept.vrn");
}

TEST(PatchRecords, removeCharsFromString) {
  std::string text = "/Ba\\nks/";
  removeCharsFromString(text, "/\\");
  EXPECT_EQ(text, "Banks");
  std::string same = "/Banks";
  removeCharsFromString(same, "");
  EXPECT_EQ(same, "/Banks");
}

// ---- Snapshot block ----

TEST(SnapshotBlock, newManagerWritesTheSeventyTwoByteBlock) {
  PatchManager manager;
  EXPECT_EQ(manager.snapshot.GetSize(), 0);
  ByteChunk chunk;
  manager.saveAllToChunk(&chunk);
  Bytes expected = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0};
  for (int i = 0; i < 5; ++i) {
    expected.insert(expected.end(), {8, 0, 0, 0});
    const std::string init = "- INIT -";
    expected.insert(expected.end(), init.begin(), init.end());
  }
  EXPECT_EQ(bytesOf(chunk), expected);
}

TEST(SnapshotBlock, roundTripPadsShortNamesAndKeepsLongOnes) {
  PatchManager manager;
  manager.snapshot.Resize(3);
  uint8_t* snapshot = static_cast<uint8_t*>(manager.snapshot.Get());
  snapshot[0] = 0;
  snapshot[1] = 0xAB;
  snapshot[2] = 0;
  manager.names = {"Bass", std::string(20, 'n'), "", std::string(20, 'p'), std::string("Cat\0egory", 9)};
  ByteChunk chunk;
  chunk.PutInt32(77);  // something in front of the block
  manager.saveAllToChunk(&chunk);

  PatchManager read;
  EXPECT_EQ(read.loadAllFromChunk(&chunk, 4), chunk.Size());
  EXPECT_EQ(Bytes(static_cast<uint8_t*>(read.snapshot.Get()), static_cast<uint8_t*>(read.snapshot.Get()) + 3),
            (Bytes{0, 0xAB, 0}));
  EXPECT_EQ(read.names[0], std::string("Bass") + std::string(10, '\0'));
  EXPECT_EQ(read.names[1], std::string(14, 'n'));
  EXPECT_EQ(read.names[2], std::string(14, '\0'));
  EXPECT_EQ(read.names[3], std::string(20, 'p'));
  EXPECT_EQ(read.names[4], "Cat") << "written only up to its zero character";

  // Names padded with zeros are written up to the zeros: the same block again.
  ByteChunk again;
  again.PutInt32(77);
  read.names[1] = "nnnnnnnnnnnnnn";
  read.saveAllToChunk(&again);
  PatchManager third;
  EXPECT_EQ(third.loadAllFromChunk(&again, 4), again.Size());
  EXPECT_EQ(third.names, read.names);
}

// Every damaged block is refused: the result is -1 and nothing is read or
// allocated beyond the chunk.
TEST(SnapshotBlock, damagedBlocksAreRefused) {
  auto header = [](uint32_t length) {
    return Bytes{0,
                 0,
                 0,
                 1,
                 0,
                 0,
                 0,
                 1,
                 static_cast<unsigned char>(length >> 24),
                 static_cast<unsigned char>(length >> 16),
                 static_cast<unsigned char>(length >> 8),
                 static_cast<unsigned char>(length)};
  };
  auto name = [](int32_t length, const std::string& text) {
    Bytes b = {static_cast<unsigned char>(length), static_cast<unsigned char>(length >> 8),
               static_cast<unsigned char>(length >> 16), static_cast<unsigned char>(length >> 24)};
    b.insert(b.end(), text.begin(), text.end());
    return b;
  };
  const struct {
    const char* why;
    Bytes block;
    int position;
    int namesRead;
  } kCases[] = {
      {"fewer than 12 bytes", {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, 0, 0},
      {"negative position", header(0), -4, 0},
      {"negative snapshot length", join({header(0x80000000u), name(0, "")}), 0, 0},
      {"snapshot longer than the chunk", join({header(0x7FFFFFF0u), Bytes(64, 1)}), 0, 0},
      {"snapshot one byte too long", join({header(5), Bytes(4, 1)}), 0, 0},
      {"name runs past the end", join({header(0), name(5, "abcd")}), 0, 0},
      {"negative name length", join({header(0), name(3, "abc"), name(-2, "")}), 0, 1},
      {"only two names", join({header(0), name(1, "a"), name(1, "b")}), 0, 2},
  };
  for (const auto& c : kCases) {
    PatchManager manager;
    auto chunk = chunkOf(c.block);
    EXPECT_EQ(manager.loadAllFromChunk(chunk.get(), c.position), -1) << c.why;
    EXPECT_EQ(manager.snapshot.GetSize(), 0) << c.why;
    for (int i = c.namesRead; i < 5; ++i)
      EXPECT_EQ(manager.names[i], i < 3 ? std::string(14, '\0') : std::string())
          << c.why << " name " << i + 1;
  }
}

TEST(SnapshotBlock, initTakesTheOwnersShortState) {
  LibraryEditor editor;
  editor.GetParam(kFilterCutoff)->Set(77);
  ByteChunk state;
  ASSERT_TRUE(editor.SerializeState2(&state, false));
  editor.patchManager->init();
  ASSERT_EQ(editor.patchManager->snapshot.GetSize(), state.Size());
  const uint8_t* snapshot = static_cast<const uint8_t*>(editor.patchManager->snapshot.Get());
  EXPECT_EQ(Bytes(snapshot, snapshot + state.Size()), bytesOf(state));
}
