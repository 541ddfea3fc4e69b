// The bank lists' texts when the lower list's source changes: the long-name
// rule with its counter, which lists each source rewrites, and entries that
// always fit.
#include <string>
#include <vector>

#include "KIT/IModule/IParam.h"
#include "src/PatchLibrarian.h"
#include "tests/editor/editor_fixture.h"

namespace {

class BankListsTest : public EditorFixture {
 protected:
  std::vector<std::string> texts(int paramIndex) const {
    std::vector<std::string> out;
    const IParam* param = Plug()->GetParam(paramIndex);
    for (int i = 0; i < param->GetNDisplayTexts(); ++i) out.push_back(param->GetDisplayTextAtIdx(i));
    return out;
  }
  // Points the library's file banks at these names (the loaded banks keep
  // their patches; only the names matter here).
  void nameBanks(const std::vector<std::string>& names) {
    std::vector<PatchFile*>& banks = Plug()->patchLibrarian->fileBanks;
    ASSERT_EQ(banks.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) banks[i]->fileName = names[i];
  }
};

TEST_F(BankListsTest, LongNamesAreShortenedWithACounterThatFollowsEqualBeginnings) {
  for (int i = 0; i < 6; ++i) WriteBank("bank" + std::to_string(i) + ".syx", 99, i);
  Open();
  const std::string a47(47, 'A'), b47(47, 'B');
  const std::string none = std::string(60, 'N');  // no "." at all
  nameBanks({std::string(48, 'x') + ".SYX",       // 52 characters: unchanged
             a47 + "one.SYX", "short.syx", a47 + "two.Syx", b47 + "three." + std::string(30, 'E'), none});
  Plug()->patchTypeChanged(0, 0, false);

  const std::vector<std::string> expected = {
      std::string(48, 'x') + ".SYX",
      a47 + "~1.syx",
      "short.syx",
      a47 + "~2.syx",  // a short name between two equal beginnings does not break their count
      (b47 + "~1." + std::string(30, 'e')).substr(0, 55),
      (std::string(47, 'N') + "~1." + std::string(60, 'n')).substr(0, 55),
  };
  for (int list :
       {kPatchSelectionListUpper, kPatchSelectionListLower, kCurrentOpenPatchBankL, kCurrentOpenPatchBankR}) {
    SCOPED_TRACE(list);
    EXPECT_EQ(texts(list), expected);
  }
  for (const std::string& text : texts(kCurrentOpenPatchBankR)) EXPECT_LE(text.size(), 55u);
}

TEST_F(BankListsTest, CategoryAndSearchSourcesLeaveTheUpperListsAlone) {
  WriteBank("first.syx", 99, 1);
  WriteBank("second.syx", 99, 2);
  Open();
  const std::vector<std::string> upper = texts(kPatchSelectionListUpper);
  const std::vector<std::string> left = texts(kCurrentOpenPatchBankL);
  ASSERT_EQ(upper.size(), 2u);

  Plug()->patchTypeChanged(0, 1, false);
  EXPECT_EQ(texts(kPatchSelectionListUpper), upper);
  EXPECT_EQ(texts(kCurrentOpenPatchBankL), left);
  std::vector<std::string> categories;
  for (PatchFile* bank : Plug()->patchLibrarian->categoryBanks) categories.push_back(bank->fileName);
  EXPECT_EQ(texts(kCurrentOpenPatchBankR), categories);

  // No search banks: the right-hand list is emptied and reset.
  Plug()->patchLibrarian->searchBanks.clear();
  Plug()->patchTypeChanged(0, 4, false);
  EXPECT_TRUE(texts(kCurrentOpenPatchBankR).empty());
  EXPECT_EQ(Plug()->GetParam(kCurrentOpenPatchBankR)->Value(), 0.0);
  EXPECT_EQ(texts(kPatchSelectionListUpper), upper);

  // Another type changes no list, but still resets both selected banks.
  Plug()->patchLibrarian->upperBankIndex = 1;
  Plug()->patchTypeChanged(0, 2, false);
  EXPECT_EQ(Plug()->patchLibrarian->upperBankIndex, 0);
  EXPECT_EQ(texts(kPatchSelectionListUpper), upper);
}

TEST_F(BankListsTest, AReloadReadsTheLibraryAgain) {
  WriteBank("first.syx", 99, 1);
  Open();
  WriteBank("added later.syx", 99, 2);
  Plug()->patchTypeChanged(0, 0, true);
  EXPECT_EQ(texts(kPatchSelectionListUpper).size(), 2u);
}

}  // namespace
