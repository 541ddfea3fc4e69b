// Banks read from files keep their patches as records until a patch is asked
// for, and the category and search banks show those records. These tests
// hold the two forms to each other and to the copies the category and
// search banks have always been: built from records or from made patches
// they are the same, writes to a file bank after they were built do not
// reach them, and they outlive the banks a rescan or reload frees.
#include <functional>
#include <thread>
#include <tuple>

#include "tests/library/library_editor.h"

namespace {

// What a bank list shows: each bank's file name and, per patch, the name,
// the category and the messages.
using PatchView = std::tuple<std::string, std::string, std::vector<PatchSysexMessage>>;
using BankView = std::pair<std::string, std::vector<PatchView>>;

std::vector<BankView> viewOf(const std::vector<PatchFile*>& banks) {
  std::vector<BankView> view;
  for (const PatchFile* bank : banks) {
    BankView& shown = view.emplace_back(bank->fileName, std::vector<PatchView>());
    for (const LibrarianPatch& patch : bank->patches)
      shown.second.emplace_back(patch.name, patch.category, patch.messages);
  }
  return view;
}

// A record of count bytes (not a whole one: it gets no name on reading).
Bytes oddSizedMessage(size_t count, int seed) {
  Bytes body;
  for (size_t i = 0; i + 7 < count; ++i) body.push_back(static_cast<unsigned char>((seed + i) & 0x7F));
  return soundMessage(body);
}

// 99 whole records: names "LEAD n", "PAD n", "KEYS n", "NOISE n" (the
// latter of category bytes 20, 21 and 0x7F: "INIT").
Bytes mixedBank(int seed) {
  static const struct {
    const char* name;
    int category;
  } kKinds[] = {{"Lead", 7}, {"pad", 9}, {"Keys", 6}, {"Noise", 20}, {"Noise", 21}, {"Noise", 0x7F}};
  std::vector<Bytes> records;
  for (int slot = 0; slot < PatchFile::kSlots; ++slot) {
    const auto& kind = kKinds[static_cast<size_t>(slot) % (sizeof kKinds / sizeof kKinds[0])];
    records.push_back(
        libraryRecord(seed + slot, std::string(kind.name) + " " + std::to_string(slot), kind.category, slot));
  }
  return join(records);
}

// A library folder whose banks take every road of the reader: whole records
// of many categories in a raw bank and in a Standard MIDI file, plain dumps
// completed with numbered names, records too short or too long to be whole,
// and a short bank padded with fillers.
void writeLibrary(const std::filesystem::path& folder) {
  writeBytes(folder / "A mixed.vrn", mixedBank(0));
  PatchLibrarian reader;
  PatchFile bank;
  reader.loadFromChunk(chunkOf(mixedBank(40)).get(), static_cast<int>(mixedBank(40).size()), &bank, 0);
  ByteChunk midi;
  PatchLibrarian::buildBankImage(bank, true, &midi);
  writeBytes(folder / "B song.mid", bytesOf(midi));
  std::vector<Bytes> odd;
  for (int i = 0; i < 30; ++i) odd.push_back(plainDump(i));
  odd.push_back(oddSizedMessage(100, 7));
  odd.push_back(libraryRecord(3, "Lead odd", 7));
  writeBytes(folder / "Sub" / "C odd.syx", join(odd));
}

class BankViews : public LibraryFolderTest {
 protected:
  void SetUp() override {
    LibraryFolderTest::SetUp();
    std::filesystem::create_directories(patches() / "Sub");
    writeLibrary(patches());
  }
  // A library of its own, loaded from the test's folder.
  std::unique_ptr<PatchLibrarian> loaded() {
    auto library = std::make_unique<PatchLibrarian>();
    library->loadPatchesFromFilesystem(patches().string());
    return library;
  }
};

const char* const kSearchTerms[] = {"LEAD", "SOUND", "", "NOISE 2", "lead", "NOTHING"};

}  // namespace

TEST_F(BankViews, banksOfRecordsShowWhatBanksOfMadePatchesShow) {
  std::unique_ptr<PatchLibrarian> records = loaded();
  ASSERT_EQ(records->fileBanks.size(), 3u);
  for (const PatchFile* bank : records->fileBanks)
    ASSERT_TRUE(bank->patches.holdsRecords()) << bank->fileName << ": read as records";
  const std::vector<BankView> categories = viewOf(records->categoryBanks);
  std::vector<std::vector<BankView>> searches;
  for (const char* term : kSearchTerms) {
    records->createNewSearchPatchFiles(term);
    searches.push_back(viewOf(records->searchBanks));
  }
  ASSERT_FALSE(categories.empty());

  // The same patches, made and copied into banks of a second library.
  PatchLibrarian made;
  for (const PatchFile* bank : records->fileBanks) {
    PatchFile* copy = new PatchFile();
    copy->fileName = bank->fileName;
    copy->patches = std::vector<LibrarianPatch>(bank->patches);
    made.fileBanks.push_back(copy);
  }
  made.createNewCategoryPatchFiles();
  EXPECT_EQ(viewOf(made.categoryBanks), categories);
  for (size_t t = 0; t < std::size(kSearchTerms); ++t) {
    made.createNewSearchPatchFiles(kSearchTerms[t]);
    EXPECT_EQ(viewOf(made.searchBanks), searches[t]) << "search for \"" << kSearchTerms[t] << "\"";
  }
  EXPECT_EQ(viewOf(made.fileBanks), viewOf(records->fileBanks));
}

TEST_F(BankViews, writesToAFileBankLeaveTheBanksBuiltBeforeAsTheyWere) {
  const struct {
    const char* write;
    std::function<void(PatchLibrarian&, PatchFile&)> apply;
  } kWrites[] = {
      {"a message byte edited",
       [](PatchLibrarian&, PatchFile& bank) { bank.patches[6].messages[0][80] = 'Z'; }},
      {"renamed",
       [](PatchLibrarian&, PatchFile& bank) {
         bank.patches[6].name = "RENAMED       ";
         bank.patches[6].messages[0][76] = 'R';
       }},
      {"another patch pasted over it",
       [](PatchLibrarian&, PatchFile& bank) { bank.patches[6] = recordPatch(90, "Pasted", 9); }},
      {"a received patch stored into its slot",
       [](PatchLibrarian& library, PatchFile&) {
         library.upperBankIndex = 0;
         library.selectedUpperSlot = 6;
         LibrarianPatch received = recordPatch(91, "Received", 3);
         library.setSysexDatatoSelectedSlot(&received);
       }},
      {"the bank cut short", [](PatchLibrarian&, PatchFile& bank) { bank.patches.resize(2); }},
      {"the bank emptied", [](PatchLibrarian&, PatchFile& bank) { bank.patches.clear(); }},
  };
  const std::unique_ptr<PatchLibrarian> untouched = loaded();
  untouched->createNewSearchPatchFiles("LEAD");
  const std::vector<BankView> categories = viewOf(untouched->categoryBanks);
  const std::vector<BankView> found = viewOf(untouched->searchBanks);
  const std::vector<BankView> files = viewOf(untouched->fileBanks);

  for (const auto& write : kWrites)
    for (bool shownBefore : {false, true}) {
      SCOPED_TRACE(std::string(write.write) +
                   (shownBefore ? ", banks shown before" : ", banks not shown yet"));
      std::unique_ptr<PatchLibrarian> library = loaded();
      library->createNewSearchPatchFiles("LEAD");
      if (shownBefore) {
        ASSERT_EQ(viewOf(library->categoryBanks), categories);
        ASSERT_EQ(viewOf(library->searchBanks), found);
      }
      write.apply(*library, *library->fileBanks[0]);
      EXPECT_NE(viewOf(library->fileBanks), files) << "the write reaches the file bank";
      EXPECT_EQ(viewOf(library->categoryBanks), categories);
      EXPECT_EQ(viewOf(library->searchBanks), found);
    }
}

TEST_F(BankViews, copiesOfABankOfRecordsShareNoPatches) {
  std::unique_ptr<PatchLibrarian> library = loaded();
  PatchFile& bank = *library->fileBanks[0];
  const std::vector<BankView> before = viewOf({&bank});
  PatchFile copy = bank;
  std::unique_ptr<PatchFile> clone(bank.clone());
  copy.patches[0].messages[0][10] = 0x55;
  clone->patches[1].name = "CHANGED       ";
  EXPECT_EQ(viewOf({&bank}), before);
  bank.patches[2].messages[0][10] = 0x66;
  EXPECT_NE(copy.patches[2].messages[0][10], 0x66);
  EXPECT_NE(clone->patches[2].messages[0][10], 0x66);
}

TEST_F(BankViews, banksShownStayWholeWhenARescanOrReloadFreesTheirSources) {
  load();
  library().createNewSearchPatchFiles("LEAD");
  const std::unique_ptr<PatchLibrarian> reference = loaded();
  reference->createNewSearchPatchFiles("LEAD");
  ASSERT_FALSE(reference->searchBanks.empty());
  // A file of 198 sounds is split: the load writes two banks and rescans,
  // freeing every file and category bank it had, the first load's too.
  std::vector<Bytes> many;
  for (int i = 0; i < 198; ++i) many.push_back(plainDump(i));
  writeBytes(patches() / "D many.syx", join(many));
  load();
  ASSERT_NE(logText().find("FOLDER RESCAN INITIATED BY PATCH LIBRARIAN"), std::string::npos);
  EXPECT_EQ(viewOf(library().searchBanks), viewOf(reference->searchBanks))
      << "the search banks built before the rescan";

  // The lower list shows a category bank while the library is reloaded.
  editor->flags.lowerShowsCategories = true;
  editor->patchTypeChanged(0, 1, false);
  library().lowerBankIndex = 1;
  const PatchList* shown = editor->librarianBankOfColumn(1);
  ASSERT_NE(shown, nullptr);
  const std::vector<LibrarianPatch> before = *shown;
  writeBytes(patches() / "E many.syx", join(many));
  library().initBankFilesOnDiscard(patches().string());
  library().lowerBankIndex = 1;
  shown = editor->librarianBankOfColumn(1);
  ASSERT_NE(shown, nullptr);
  ASSERT_EQ(shown->size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ((*shown)[i].name, before[i].name) << "slot " << i;
    EXPECT_EQ((*shown)[i].messages, before[i].messages) << "slot " << i;
  }
  editor->DisplayLibrarianPatchCategory(0, 1);
}

// The category banks take each bank as a load reads it. After a load that
// splits a file and rescans, and after a load into a library that holds
// banks already, they are the banks built from the file banks at the end.
TEST_F(BankViews, categoryBanksOfALoadAreThoseBuiltFromItsFileBanks) {
  auto builtFrom = [](const std::vector<PatchFile*>& fileBanks) {
    PatchLibrarian made;
    for (const PatchFile* bank : fileBanks) {
      PatchFile* copy = new PatchFile();
      copy->fileName = bank->fileName;
      copy->patches = std::vector<LibrarianPatch>(bank->patches);
      made.fileBanks.push_back(copy);
    }
    made.createNewCategoryPatchFiles();
    return viewOf(made.categoryBanks);
  };
  std::vector<Bytes> many;
  for (int i = 0; i < 198; ++i)
    many.push_back(libraryRecord(i, "Split " + std::to_string(i), i % 23, i % 99));
  // The pieces the split writes are read on the rescan before the bank
  // "D Zed.vrn", which the first pass read before the file split.
  writeBytes(patches() / "D.syx", join(many));
  writeBytes(patches() / "D Zed.vrn", mixedBank(60));
  load();
  ASSERT_NE(logText().find("FOLDER RESCAN INITIATED BY PATCH LIBRARIAN"), std::string::npos);
  ASSERT_EQ(library().fileBanks.size(), 6u);
  const std::vector<BankView> first = viewOf(library().categoryBanks);
  EXPECT_EQ(first, builtFrom(library().fileBanks));

  library().loadPatchesFromFilesystem(patches().string());
  ASSERT_EQ(library().fileBanks.size(), 12u);
  std::vector<BankView> both = viewOf(library().categoryBanks);
  ASSERT_GT(both.size(), first.size());
  EXPECT_EQ(std::vector<BankView>(both.begin(), both.begin() + static_cast<ptrdiff_t>(first.size())), first);
  EXPECT_EQ(std::vector<BankView>(both.begin() + static_cast<ptrdiff_t>(first.size()), both.end()),
            builtFrom(library().fileBanks))
      << "the second load's category banks show every file bank, the first load's too";
}

TEST(BankRecords, patchesAskedForOnTwoThreadsAtOnceAreMadeOnce) {
  const Bytes image = mixedBank(5);
  PatchLibrarian reader;
  PatchFile bank;
  reader.loadFromChunk(chunkOf(image).get(), static_cast<int>(image.size()), &bank, 0);
  ASSERT_TRUE(bank.patches.holdsRecords());
  const std::vector<BankView> expected = viewOf({&bank});
  for (int round = 0; round < 20; ++round) {
    PatchFile shared;
    reader.loadFromChunk(chunkOf(image).get(), static_cast<int>(image.size()), &shared, 0);
    // The main thread draws the bank while the MIDI input thread stores a
    // received patch into it: both ask for patches first.
    std::string drawn;
    std::thread drawing([&] { drawn = shared.patches[98].name; });
    const std::string stored = shared.patches[0].name;
    drawing.join();
    EXPECT_EQ(drawn, std::get<0>(expected[0].second[98]));
    EXPECT_EQ(stored, std::get<0>(expected[0].second[0]));
    EXPECT_EQ(viewOf({&shared}), expected);
  }
}
