// The factory library: its banks load in the editor's library with a name
// and a category for every sound, and the simulated Varno takes every sound
// as it stands, checksum included, without limiting any value.
#include <map>
#include <set>

#include "tests/library/library_editor.h"
#include "tools/factory-library/FactoryLibrary.h"
#include "tools/factory-library/FactoryRecipes.h"
#include "tools/varno-sim/VarnoSynth.h"

namespace {

class FactoryLibraryTest : public LibraryFolderTest {
 protected:
  void SetUp() override {
    LibraryFolderTest::SetUp();
    std::string error;
    ASSERT_TRUE(factory::writeFactoryLibrary(patches().string(), &error)) << error;
  }
};

// The category each slot of a bank is planned for.
std::vector<int> plannedCategories(const factory::BankPlan& plan) {
  std::vector<int> categories;
  for (const factory::BankPlan::Block& block : plan.blocks)
    categories.insert(categories.end(), static_cast<size_t>(block.slots), block.category);
  return categories;
}

TEST_F(FactoryLibraryTest, BanksLoadWithANameAndACategoryForEverySound) {
  load();
  const std::vector<factory::BankPlan>& plans = factory::factoryBankPlans();
  ASSERT_GE(plans.size(), 2u);
  ASSERT_EQ(library().fileBanks.size(), plans.size());
  std::set<std::string> names;
  std::map<int, size_t> perCategory;
  for (size_t b = 0; b < plans.size(); ++b) {
    const PatchFile* bank = library().fileBanks[b];
    EXPECT_EQ(bank->fileName, plans[b].fileName);
    EXPECT_EQ(bank->folderName, factory::kFactoryFolder);
    const std::vector<int> categories = plannedCategories(plans[b]);
    ASSERT_EQ(categories.size(), 99u) << plans[b].fileName;
    ASSERT_EQ(bank->patches.size(), 99u);
    for (size_t slot = 0; slot < 99; ++slot) {
      const LibrarianPatch& patch = bank->patches[slot];
      const std::string where = bank->fileName + " slot " + std::to_string(slot + 1);
      ASSERT_EQ(patch.messages.size(), 1u) << where;
      EXPECT_EQ(patch.messages[0].size(), 92u) << where;
      EXPECT_EQ(patch.name.size(), 14u) << where;
      EXPECT_NE(patch.name.find_first_not_of(' '), std::string::npos) << where << " has no name";
      EXPECT_EQ(patch.name.rfind("SOUND ", 0), std::string::npos) << where << " is a filler: " << patch.name;
      EXPECT_TRUE(names.insert(patch.name).second) << where << " repeats the name " << patch.name;
      EXPECT_EQ(patch.category, patchCategoryCode(static_cast<unsigned char>(categories[slot]))) << where;
      ++perCategory[categories[slot]];
    }
  }
  // Each category reaches the librarian's category banks with all its sounds.
  for (const auto& [category, count] : perCategory) {
    size_t listed = 0;
    for (const PatchFile* bank : library().categoryBanks)
      if (bank->numberTag == category) listed += bank->patches.size();
    EXPECT_EQ(listed, count) << patchCategoryCode(static_cast<unsigned char>(category));
  }
}

TEST(FactoryLibrarySounds, EverySoundIsTakenByTheVarnoAsItStands) {
  for (const factory::FactoryBank& bank : factory::buildFactoryLibrary()) {
    varno::SynthSettings settings;
    settings.strictChecksum = true;  // a wrong checksum is refused, not noted
    varno::Synth synth(settings);
    for (size_t slot = 0; slot < bank.records.size(); ++slot) {
      const factory::Record& record = bank.records[slot];
      const std::string where = bank.fileName + " slot " + std::to_string(slot + 1);
      // Stored into the program of the slot, as the librarian stores it.
      Bytes dump(record.begin(), record.begin() + 75);
      dump.push_back(0xF7);
      EXPECT_EQ(dump[4], 0x01) << where;
      EXPECT_EQ(dump[5], slot) << where;
      synth.receive(dump.data(), dump.size(), 0);
      ASSERT_FALSE(synth.records().empty());
      const varno::Record& received = synth.records().back();
      EXPECT_EQ(received.outcome, varno::Outcome::Applied)
          << where << ": " << varno::faultName(received.fault);
      EXPECT_EQ(received.fault, varno::Fault::None) << where << ": " << varno::faultName(received.fault);
      // Nothing was limited: the program holds every byte as sent.
      for (int b = varno::kFirstSoundByte; b <= varno::kLastSoundByte; ++b)
        EXPECT_EQ(synth.program(static_cast<int>(slot)).code(b), dump[static_cast<size_t>(b)])
            << where << ", dump byte " << b;
    }
  }
}

TEST_F(FactoryLibraryTest, SameFilesOnEveryRun) {
  const std::filesystem::path again = m_dir / "again";
  std::string error;
  ASSERT_TRUE(factory::writeFactoryLibrary(again.string(), &error)) << error;
  for (const factory::BankPlan& plan : factory::factoryBankPlans()) {
    const Bytes first = readBytes(patches() / factory::kFactoryFolder / plan.fileName);
    EXPECT_EQ(first.size(), 99u * 92u) << plan.fileName;
    EXPECT_EQ(readBytes(again / factory::kFactoryFolder / plan.fileName), first) << plan.fileName;
  }
  // Only the banks: no temporary file stays behind.
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(again / factory::kFactoryFolder)) {
    EXPECT_EQ(entry.path().extension(), ".vrn") << entry.path();
    ++files;
  }
  EXPECT_EQ(files, factory::factoryBankPlans().size());
}

}  // namespace
