// The librarian display glue on the real editor: the texts it writes, the
// bank a librarian column shows, the category of a slot, the progress
// overlay with its cancel buttons, the arming of a librarian request and the
// unsaved mark. The librarian list itself is not part of the window yet.
#include <string>
#include <vector>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IModuleStructs.h"
#include "KIT/IModule/IParam.h"
#include "src/MIDIMessageManager.h"
#include "src/PatchLibrarian.h"
#include "src/ProgressIndicator.h"
#include "src/debugger.h"
#include "tests/editor/actions_fixture.h"

namespace {

class LibrarianGlueTest : public ActionsTest {
 protected:
  // Two banks; the categories of a bank's slots cycle through the table
  // from its seed on (slot 1 of seed 0 is "ARP ").
  void WriteBanks() override {
    WriteBank("A bank.syx", 99, 0);
    WriteBank("B bank.syx", 99, 5);
  }
  PatchLibrarian& library() { return *editor->patchLibrarian; }
  PatchFile& fileBank(const std::string& name) {
    for (PatchFile* bank : library().fileBanks)
      if (bank->fileName == name) return *bank;
    ADD_FAILURE() << name << " not loaded";
    return *library().fileBanks.at(0);
  }
  int fileBankIndex(const std::string& name) {
    for (size_t i = 0; i < library().fileBanks.size(); ++i)
      if (library().fileBanks[i]->fileName == name) return static_cast<int>(i);
    return -1;
  }
  void setParam(int index, double value) { editor->GetParam(index)->Set(value); }
};

TEST_F(LibrarianGlueTest, TextsGoToTheirDisplays) {
  editor->displayText("Cutoff", "100", "CC|74");
  EXPECT_EQ(Line(kControlDisplayName), "Cutoff");
  EXPECT_EQ(Line(kControlDisplayValue), "100");
  EXPECT_EQ(Line(kControlDisplayCC), "CC|74");

  editor->setStatusText("No response from Hardware");
  EXPECT_EQ(Line(kControlDisplayName), "No response from Hardware");
  editor->setClockStatusText("Unable to get DAW Tempo");
  EXPECT_EQ(Line(kControlDisplayName), "Unable to get DAW Tempo");
  editor->displayCategoryName("LEAD");
  EXPECT_EQ(Line(kControlDisplayCategory), "LEAD");
  editor->displayPatchName("BIG PAD");
  EXPECT_EQ(Line(kPatchName), "BIG PAD");
}

TEST_F(LibrarianGlueTest, ColumnsShowTheFileCategoryOrSearchBankOfTheirIndex) {
  ASSERT_EQ(library().fileBanks.size(), 2u);
  const int b = fileBankIndex("B bank.syx");
  library().upperBankIndex = b;
  EXPECT_EQ(editor->librarianBankOfColumn(0), &fileBank("B bank.syx").patches);

  library().lowerBankIndex = -1;
  EXPECT_EQ(editor->librarianBankOfColumn(1), nullptr) << "no lower bank chosen yet";
  library().lowerBankIndex = 1 - b;
  EXPECT_EQ(editor->librarianBankOfColumn(1), &fileBank("A bank.syx").patches);
  library().lowerBankIndex = 2;
  EXPECT_EQ(editor->librarianBankOfColumn(1), nullptr) << "index past the file banks";

  ASSERT_FALSE(library().categoryBanks.empty());
  library().lowerBankIndex = 0;
  editor->flags.lowerShowsCategories = true;
  editor->flags.lowerShowsSearch = true;  // category mode wins
  EXPECT_EQ(editor->librarianBankOfColumn(1), &library().categoryBanks[0]->patches);
  EXPECT_EQ(editor->librarianBankOfColumn(0), &fileBank("B bank.syx").patches)
      << "the upper column ignores modes";

  editor->flags.lowerShowsCategories = false;
  library().createNewSearchPatchFiles("P5");
  ASSERT_FALSE(library().searchBanks.empty());
  EXPECT_EQ(editor->librarianBankOfColumn(1), &library().searchBanks[0]->patches);
  library().lowerBankIndex = static_cast<int>(library().searchBanks.size());
  EXPECT_EQ(editor->librarianBankOfColumn(1), nullptr) << "index past the search results";

  library().upperBankIndex = 7;
  EXPECT_EQ(editor->librarianBankOfColumn(0), nullptr);
}

TEST_F(LibrarianGlueTest, CategoryOfASlotOrCategoryUnset) {
  library().upperBankIndex = fileBankIndex("A bank.syx");
  PatchFile& bank = fileBank("A bank.syx");
  ASSERT_EQ(bank.patches.size(), 99u);
  ASSERT_EQ(bank.patches[1].category, "ARP ");
  bank.patches[2].category.clear();  // a category byte outside the table
  bank.patches.resize(40);           // a bank short of 99

  const struct {
    int row;
    const char* shown;
  } kCases[] = {
      {1, "ARP "},
      {0, "NONE"},
      {-1, "category unset!"},
      {2, "category unset!"},
      {60, "category unset!"},   // a padded empty slot
      {500, "category unset!"},  // past any bank
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.row);
    SetLine(kControlDisplayLibCategory, "untouched");
    editor->DisplayLibrarianPatchCategory(c.row, 0);
    EXPECT_EQ(Line(kControlDisplayLibCategory), c.shown);
  }
}

TEST_F(LibrarianGlueTest, CategoryOfAColumnWithoutABankChangesNothing) {
  editor->flags.lowerShowsSearch = true;
  library().lowerBankIndex = static_cast<int>(library().searchBanks.size()) + 3;
  SetLine(kControlDisplayLibCategory, "untouched");
  editor->DisplayLibrarianPatchCategory(1, 1);
  EXPECT_EQ(Line(kControlDisplayLibCategory), "untouched");
}

class ProgressOverlayTest : public LibrarianGlueTest {
 protected:
  void SetUp() override {
    LibrarianGlueTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_NE(editor->progressIndicator, nullptr);
    ASSERT_NE(editor->cancelButtons[0], nullptr);
    ASSERT_NE(editor->cancelButtons[1], nullptr);
    ASSERT_NE(editor->patchSearchControl, nullptr);
    ASSERT_NE(editor->searchFieldLayer, nullptr);
    ASSERT_NE(editor->categoryLimitLayer, nullptr);
  }
  bool overlayShown() {
    return !editor->progressIndicator->IsHidden() && editor->progressIndicator->GetLayer()->visible;
  }
  bool shown(IControl* control) { return !control->IsHidden(); }
};

TEST_F(ProgressOverlayTest, OnTheLibrarianPageTheFirstCancelButtonAndTheSearchComeBack) {
  setParam(kMainTab, 1);
  setParam(kPatchSearch, 1);
  editor->flags.transferHold = true;
  editor->DisplayProcessingIndicator(true);
  EXPECT_FALSE(editor->flags.transferHold);
  EXPECT_TRUE(overlayShown());
  EXPECT_TRUE(shown(editor->cancelButtons[0]));
  EXPECT_FALSE(shown(editor->cancelButtons[1]));
  EXPECT_FALSE(editor->searchFieldLayer->visible);
  EXPECT_FALSE(editor->categoryLimitLayer->visible);
  EXPECT_TRUE(editor->patchSearchControl->IsGrayed());

  editor->midiManager->soundDumpExpected = true;
  editor->DisplayProcessingIndicator(false);
  EXPECT_FALSE(overlayShown());
  EXPECT_FALSE(shown(editor->cancelButtons[0]));
  EXPECT_FALSE(shown(editor->cancelButtons[1]));
  EXPECT_FALSE(editor->midiManager->soundDumpExpected);
  EXPECT_TRUE(editor->searchFieldLayer->visible) << "search on: the search field";
  EXPECT_FALSE(editor->categoryLimitLayer->visible);
  EXPECT_FALSE(editor->patchSearchControl->IsGrayed());

  setParam(kPatchSearch, 0);
  editor->DisplayProcessingIndicator(true);
  editor->DisplayProcessingIndicator(false);
  EXPECT_TRUE(editor->categoryLimitLayer->visible) << "search off: the category limit";
}

TEST_F(ProgressOverlayTest, OnAnyOtherPageTheSecondCancelButtonAndTheLibrarianLayersStay) {
  setParam(kMainTab, 2);
  VivivI::hideLayer(editor->searchFieldLayer, false);
  VivivI::hideLayer(editor->categoryLimitLayer, true);
  editor->DisplayProcessingIndicator(true);
  EXPECT_TRUE(overlayShown());
  EXPECT_FALSE(shown(editor->cancelButtons[0]));
  EXPECT_TRUE(shown(editor->cancelButtons[1]));
  EXPECT_FALSE(editor->patchSearchControl->IsGrayed());

  editor->DisplayProcessingIndicator(false);
  EXPECT_FALSE(overlayShown());
  EXPECT_FALSE(shown(editor->cancelButtons[1]));
  EXPECT_TRUE(editor->searchFieldLayer->visible);
  EXPECT_FALSE(editor->categoryLimitLayer->visible);
}

TEST_F(LibrarianGlueTest, ArmingARequestEmptiesItAndEndingItExpectsASound) {
  MIDIMessageManager& manager = *editor->midiManager;
  manager.libraryPatchRequest.patch.name = "OLD";
  manager.libraryPatchRequest.patch.category = "LEAD";
  manager.libraryPatchRequest.patch.messages.push_back({0xF0, 0xF7});
  manager.soundDumpExpected = true;
  manager.slotStored = true;
  editor->flags.responseReceived = true;

  editor->SetLibrarianRequestActive(true);
  EXPECT_TRUE(manager.libraryPatchRequest.requestActive);
  EXPECT_TRUE(manager.libraryPatchRequest.patch.name.empty());
  EXPECT_TRUE(manager.libraryPatchRequest.patch.category.empty());
  EXPECT_TRUE(manager.libraryPatchRequest.patch.messages.empty());
  EXPECT_FALSE(manager.soundDumpExpected);
  EXPECT_FALSE(manager.slotStored);
  EXPECT_FALSE(editor->flags.responseReceived);

  manager.slotStored = true;
  editor->flags.responseReceived = true;
  editor->SetLibrarianRequestActive(false);
  EXPECT_FALSE(manager.libraryPatchRequest.requestActive);
  EXPECT_TRUE(manager.soundDumpExpected);
  EXPECT_FALSE(manager.slotStored);
  EXPECT_FALSE(editor->flags.responseReceived);
}

TEST_F(LibrarianGlueTest, UnsavedMarkAsksForSaveOrDiscardBeforeAnotherUpperBank) {
  ControlLayer* leftMenu = editor->librarianMenuLayers[kMenuLeftPatch];
  MIDIMessageManager& manager = *editor->midiManager;
  setParam(kBankEditUnsaved, 0);
  setParam(kDiscardBankData, 1);
  VivivI::hideLayer(editor->discardChangesLayer, true);
  VivivI::hideLayer(leftMenu, false);
  manager.libraryPatchRequest.requestActive = true;
  manager.soundDumpExpected = true;

  editor->SetLibrarianStatusUnsaved(false);
  EXPECT_EQ(Value(kBankEditUnsaved), 0.0) << "false changes nothing";
  EXPECT_TRUE(manager.libraryPatchRequest.requestActive);

  editor->SetLibrarianStatusUnsaved(true);
  EXPECT_EQ(Value(kBankEditUnsaved), 1.0);
  EXPECT_EQ(Value(kDiscardBankData), 0.0);
  EXPECT_FALSE(manager.libraryPatchRequest.requestActive);
  EXPECT_FALSE(manager.soundDumpExpected);
  ASSERT_NE(editor->discardChangesLayer, nullptr);
  EXPECT_TRUE(editor->discardChangesLayer->visible);
  if (leftMenu) {
    EXPECT_FALSE(leftMenu->visible);
  }
}

TEST_F(LibrarianGlueTest, ListStepsDoNothingWithoutTheList) {
  ASSERT_EQ(editor->librarianView, nullptr);
  for (int which : {-1, 0, 1, 2, 3}) editor->updatePatchLibrarianView(which);
  editor->setLibrarianViewDirty();
  editor->selectLibrarianViewRow(5);
  editor->setLibrarianViewRow(1, 5);
  EXPECT_EQ(editor->getLibrarianViewColumn(), 0);
}

TEST_F(LibrarianGlueTest, CompareMidiDataReportsOnlyAChangedMessage) {
  const struct {
    IMidiMsg msg;
    bool changed;
  } kSequence[] = {
      {IMidiMsg(0, 0xB0, 74, 10), true},   {IMidiMsg(0, 0xB0, 74, 10), false},
      {IMidiMsg(64, 0xB0, 74, 10), false},  // the offset is not compared
      {IMidiMsg(0, 0xB1, 74, 10), true},   {IMidiMsg(0, 0xB1, 75, 10), true},
      {IMidiMsg(0, 0xB1, 75, 11), true},   {IMidiMsg(0, 0xB1, 75, 11), false},
  };
  for (const auto& step : kSequence)
    EXPECT_EQ(DebuggerOutput::compareMIDIdata(editor, step.msg), step.changed);
  EXPECT_FALSE(DebuggerOutput::compareMIDIdata(nullptr, IMidiMsg(0, 0x90, 60, 1)));
}

}  // namespace
