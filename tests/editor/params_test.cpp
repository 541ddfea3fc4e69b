// The user's change handler (OnParamChange) and the hardware change handler
// (OnParamChange2) of the real editor: bank and program stepping, the
// triggers, the MIDI filters and routes, the clock switches, the librarian's
// search, the randomiser and the settings file.
#include <algorithm>
#include <sstream>
#include <thread>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "src/ControlAction.h"
#include "src/LibrarianPatch.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSysEx.h"
#include "src/PatchLibrarian.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/params_description.h"

namespace {

class ParamsTest : public EditorFixture {
 protected:
  // The editor on the description of this area; banks written before are
  // in its library.
  VivivI* OpenEditorObject() {
    UseDescriptions(kParamsUiDescription, kParamsSysexDescription);
    plug = Open();
    return plug;
  }
  // A parameter set without a handler, its controls following.
  void Set(int index, double value) { plug->setParameterNoHandler(index, value); }
  // A parameter set and handled, as when the user moves its control.
  void Change(int index, double value) {
    Set(index, value);
    plug->OnParamChange(index);
  }
  std::string Line(int displayParam) {
    Tick();
    return DisplayText(displayParam);
  }
  std::string Status() { return Line(kControlDisplayName); }
  ControlLayer* Layer(const char* name) {
    ControlLayer* layer = plug->layerNamed(name);
    EXPECT_NE(layer, nullptr) << name;
    return layer;
  }
  static bool Shown(const ControlLayer* layer) { return layer && layer->visible; }
  std::string SearchText() { return plug->GetParam(kPatchSearchString)->GetDisplayText(0); }
  void Search(const std::string& text) {
    plug->GetParam(kPatchSearchString)->SetDisplayText(0, text.c_str());
    plug->OnParamChange(kPatchSearchString);
  }
  // A layer of numbered zones (ids 0 to count - 1) that the parameter's
  // value switches; the GUI owns it.
  ControlLayer* GiveLayerGroup(int index, int count) {
    auto* group = new ControlLayer(99, "testGroup");
    for (int id = 0; id < count; ++id)
      group->subLayers.Add(new ControlLayer(id, "zone" + std::to_string(id)));
    plug->GetGUI()->AttachLayer(group);
    ControlAction* action = plug->GetParam(index)->GetControlAction();
    EXPECT_NE(action, nullptr) << "parameter " << index << " has no mapping in the description";
    if (action) action->layerGroup = group;
    return group;
  }
  // The id of the one shown zone of a group; -1 for none, -2 for several.
  static int ShownZone(const ControlLayer* group) {
    int shown = -1;
    for (int i = 0; i < group->subLayers.GetSize(); ++i)
      if (group->subLayers.Get(i)->visible) shown = shown == -1 ? group->subLayers.Get(i)->id : -2;
    return shown;
  }

  VivivI* plug = nullptr;
};

// ---- Bank stepping ----------------------------------------------------------------

class BankSteppingTest : public ParamsTest {
 protected:
  void SetUp() override {
    ParamsTest::SetUp();
    for (const char* name : {"Bank A.syx", "Bank B.syx", "Bank C.syx"}) WriteBank(name, 99);
    OpenEditorObject();
    ASSERT_EQ(plug->patchLibrarian->fileBanks.size(), 3u);
  }
};

TEST_F(BankSteppingTest, EachButtonStepsItsListAndWrapsAtBothEnds) {
  struct Case {
    int button, list, openBank, from, to;
  };
  const Case cases[] = {
      {kLibUpperNextBank, kPatchSelectionListUpper, kCurrentOpenPatchBankL, 0, 1},
      {kLibUpperNextBank, kPatchSelectionListUpper, kCurrentOpenPatchBankL, 2, 0},
      {kLibUpperPreviousBank, kPatchSelectionListUpper, kCurrentOpenPatchBankL, 0, 2},
      {kLibUpperPreviousBank, kPatchSelectionListUpper, kCurrentOpenPatchBankL, 2, 1},
      {kLibLowerNextBank, kPatchSelectionListLower, kCurrentOpenPatchBankR, 2, 0},
      {kLibLowerPreviousBank, kPatchSelectionListLower, kCurrentOpenPatchBankR, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("button " + std::to_string(c.button) + " from " + std::to_string(c.from));
    Set(c.list, c.from);
    Change(c.button, 1);
    EXPECT_EQ(Value(c.list), c.to);
    const bool upper = c.list == kPatchSelectionListUpper;
    EXPECT_EQ(upper ? plug->patchLibrarian->upperBankIndex : plug->patchLibrarian->lowerBankIndex, c.to);
  }
}

TEST_F(BankSteppingTest, TheEditedBankStaysWhileItHasUnsavedChanges) {
  Set(kPatchSelectionListUpper, 1);
  plug->patchLibrarian->upperBankIndex = 1;
  Set(kBankEditUnsaved, 1);
  for (int button : {kLibUpperNextBank, kLibUpperPreviousBank}) {
    Change(button, 1);
    EXPECT_EQ(Value(kPatchSelectionListUpper), 1);
    EXPECT_EQ(plug->patchLibrarian->upperBankIndex, 1);
    EXPECT_EQ(Status(), "Save bank or Discard changes!");
  }
  // The lower list is not being edited: it steps.
  Set(kPatchSelectionListLower, 0);
  Change(kLibLowerNextBank, 1);
  EXPECT_EQ(Value(kPatchSelectionListLower), 1);
}

// The lower list steps through the banks it shows: while it shows the
// category banks, all of them in turn (more than the three file banks).
TEST_F(BankSteppingTest, TheLowerListStepsThroughTheCategoryBanksItShows) {
  Change(kCategorySelection, 1);
  ASSERT_TRUE(plug->flags.lowerShowsCategories);
  const int categories = static_cast<int>(plug->patchLibrarian->categoryBanks.size());
  ASSERT_GT(categories, 3);
  for (int step = 1; step <= categories; ++step) {
    Change(kLibLowerNextBank, 1);
    const int expected = step % categories;
    EXPECT_EQ(Value(kPatchSelectionListLower), expected) << "step " << step;
    EXPECT_EQ(plug->patchLibrarian->lowerBankIndex, expected) << "step " << step;
  }
  Change(kLibLowerPreviousBank, 1);
  EXPECT_EQ(plug->patchLibrarian->lowerBankIndex, categories - 1);
}

TEST_F(BankSteppingTest, ReleasingAButtonStepsNothing) {
  Set(kPatchSelectionListLower, 1);
  Change(kLibLowerNextBank, 0);
  EXPECT_EQ(Value(kPatchSelectionListLower), 1);
}

TEST_F(ParamsTest, AnEmptyLibraryHasNoBankToStepTo) {
  OpenEditorObject();
  ASSERT_TRUE(plug->patchLibrarian->fileBanks.empty());
  Change(kLibLowerNextBank, 1);
  Change(kLibUpperPreviousBank, 1);
  EXPECT_EQ(Value(kPatchSelectionListLower), 0);
  EXPECT_EQ(Value(kPatchSelectionListUpper), 0);
  EXPECT_EQ(plug->patchLibrarian->upperBankIndex, 0);
}

// ---- Triggers -----------------------------------------------------------------------

TEST_F(ParamsTest, TriggersCycleTheirTargetsAndHandleEachValue) {
  OpenEditorObject();
  struct Case {
    int trigger, target;
    std::vector<int> values;  // the target after each press, from 0
  };
  const Case cases[] = {
      {kOscillator1WaveTrigger, kOscillator1Shape, {1, 2, 0, 1}},
      {kOscillator3WaveTrigger, kOscillator3Shape, {1, 2, 0}},
      {kOscillator2KeytrackTrigger, kOscillator2Keytrack, {1, 0, 1}},
      {kLFO1ShapeTrigger, kLFO1Shape, {1, 2, 3, 4, 5, 6, 7, 0}},
      {kEnvelope1TriggerTrigger, kEnvelope1Trigger, {1, 2, 3, 0}},
      {kEnvelope2TriggerTrigger, kEnvelope2Trigger, {1, 2, 3, 0}},
      {kArpModeTrigger, kArpMode, {1, 2, 3, 4, 5, 6, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("trigger " + std::to_string(c.trigger));
    Set(c.target, 0);
    // The target's own handling switches its layer group: the trigger
    // handled the target after setting it.
    ControlLayer* group = GiveLayerGroup(c.target, 8);
    for (int expected : c.values) {
      Change(c.trigger, 1);
      EXPECT_EQ(Value(c.target), expected);
      EXPECT_EQ(ShownZone(group), expected);
    }
  }
}

TEST_F(ParamsTest, ATriggerAtZeroDoesNothing) {
  OpenEditorObject();
  Set(kEnvelope1Trigger, 2);
  ControlLayer* group = GiveLayerGroup(kEnvelope1Trigger, 4);
  Change(kEnvelope1TriggerTrigger, 0);
  EXPECT_EQ(Value(kEnvelope1Trigger), 2);
  EXPECT_EQ(ShownZone(group), -1);
}

TEST_F(ParamsTest, TheSecondWaveTriggerShowsCrossModulationOnItsFourthShape) {
  OpenEditorObject();
  ControlLayer* crossMod = Layer("crossModIndicator");
  Set(kOscillator2Shape, 2);
  Change(kOscillator2WaveTrigger, 1);
  EXPECT_EQ(Value(kOscillator2Shape), 3);
  EXPECT_TRUE(Shown(crossMod));
  Change(kOscillator2WaveTrigger, 1);
  EXPECT_EQ(Value(kOscillator2Shape), 0);
  EXPECT_FALSE(Shown(crossMod));
}

TEST_F(ParamsTest, TheSyncTriggerTogglesSyncAndItsIndicator) {
  OpenEditorObject();
  ControlLayer* sync = Layer("syncIndicator");
  Set(kOscillator2Sync, 0);
  Change(kOscillator2SyncTrigger, 1);
  EXPECT_EQ(Value(kOscillator2Sync), 1);
  EXPECT_TRUE(Shown(sync));
  Change(kOscillator2SyncTrigger, 1);
  EXPECT_EQ(Value(kOscillator2Sync), 0);
  EXPECT_FALSE(Shown(sync));
}

// A shape or sync chosen straight (a click on a light or a key, not the
// cycling trigger) keeps its indicator in step, on the sound page only.
TEST_F(ParamsTest, TheCrossModulationAndSyncIndicatorsFollowTheirParameters) {
  OpenEditorObject();
  ControlLayer* crossMod = Layer("crossModIndicator");
  ControlLayer* sync = Layer("syncIndicator");
  Change(kMainTab, 2);
  const struct {
    int param, value;
    ControlLayer* indicator;
    bool shown;
  } kCases[] = {
      {kOscillator2Shape, 3, crossMod, true},
      {kOscillator2Shape, 1, crossMod, false},
      {kOscillator2Sync, 1, sync, true},
      {kOscillator2Sync, 0, sync, false},
  };
  for (const auto& c : kCases) {
    Change(c.param, c.value);
    Tick();
    EXPECT_EQ(Shown(c.indicator), c.shown) << "parameter " << c.param << " at " << c.value;
  }
  // On the librarian page the sound page's indicators stay hidden.
  Change(kMainTab, 1);
  Change(kOscillator2Shape, 3);
  Change(kOscillator2Sync, 1);
  Tick();
  EXPECT_FALSE(Shown(crossMod));
  EXPECT_FALSE(Shown(sync));
}

// While the host's tempo rules, turning the tempo knob would send nothing:
// the knob says so by being grayed (and then takes no gesture).
TEST_F(ParamsTest, TheArpTempoKnobIsGrayedWhileTheHostTempoRules) {
  OpenEditorObject();
  ControlAction* tempo = plug->GetParam(kArpTempo)->GetControlAction();
  ASSERT_NE(tempo, nullptr);
  ASSERT_FALSE(tempo->controls.empty());
  IControl* knob = tempo->controls[0];
  Change(kOverrideTempo, 0);
  Tick();
  EXPECT_FALSE(knob->IsGrayed());
  Change(kOverrideTempo, 1);
  Tick();
  EXPECT_TRUE(knob->IsGrayed());
  Change(kOverrideTempo, 0);
  Tick();
  EXPECT_FALSE(knob->IsGrayed());
  // Set by a recalled project (no handler): the sound page shows the rule.
  Set(kOverrideTempo, 1);
  Change(kMainTab, 2);
  Tick();
  EXPECT_TRUE(knob->IsGrayed());
}

TEST_F(ParamsTest, TheArpSyncTriggerSwitchesTheTempoSourceAndNamesItsController) {
  OpenEditorObject();
  ControlLayer* knob = Layer("arpTempoKnob");
  ControlLayer* syncChoice = Layer("arpTempoSync");
  Set(kArpSyncIndicator, 0);
  Change(kArpSyncTrigger, 1);
  EXPECT_EQ(Value(kArpSyncIndicator), 1);
  EXPECT_FALSE(Shown(knob));
  EXPECT_TRUE(Shown(syncChoice));
  EXPECT_EQ(Line(kControlDisplayCC), "CC|104");
  EXPECT_EQ(Line(kControlDisplayValue), "ON");
  Change(kArpSyncTrigger, 1);
  EXPECT_EQ(Value(kArpSyncIndicator), 0);
  EXPECT_TRUE(Shown(knob));
  EXPECT_FALSE(Shown(syncChoice));
  EXPECT_EQ(Line(kControlDisplayCC), "CC|105");
  EXPECT_EQ(Line(kControlDisplayValue), "OFF") << "the lines say what the switch set";
}

// ---- Indicators ---------------------------------------------------------------------

TEST_F(ParamsTest, SemitonesOnAWholeOctaveLightTheirOscillatorsIndicator) {
  OpenEditorObject();
  struct Case {
    int semitone, value, indicatorValue;
  };
  const Case cases[] = {
      {kOscillator1Semitone, 0, 1},   {kOscillator1Semitone, 36, 1}, {kOscillator1Semitone, 37, 0},
      {kOscillator2Semitone, 24, 1},  {kOscillator2Semitone, 25, 0}, {kOscillator3Semitone, 96, 1},
      {kOscillator3Semitone, 108, 0}, {kOscillator3Semitone, 11, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.semitone) + " at " + std::to_string(c.value));
    Change(c.semitone, c.value);
    EXPECT_EQ(Value(kOscillator1OctaveIndicator + c.semitone), c.indicatorValue);
  }
}

TEST_F(ParamsTest, TheArpeggiatorSwitchLightsItsIndicator) {
  OpenEditorObject();
  Change(kArpOnOff, 127);
  EXPECT_EQ(Value(kArpOnOffIndicator), 1);
  Change(kArpOnOff, 0);
  EXPECT_EQ(Value(kArpOnOffIndicator), 0);
}

// ---- MIDI filters, routes and the clock -----------------------------------------------

TEST_F(ParamsTest, EachPassThroughSwitchClearsItsFilterAndItsReleaseSetsIt) {
  OpenEditorObject();
  for (int kind = 0; kind < kNumMidiFilterKinds; ++kind) {
    SCOPED_TRACE("kind " + std::to_string(kind));
    Change(kMIDIFilterDAWCCPassThrough + kind, 1);
    Change(kMIDIFilterHWCCPassThrough + kind, 0);
    EXPECT_FALSE(plug->flags.hostFilter[kind]);
    EXPECT_TRUE(plug->flags.deviceFilter[kind]);
    Change(kMIDIFilterDAWCCPassThrough + kind, 0);
    Change(kMIDIFilterHWCCPassThrough + kind, 1);
    EXPECT_TRUE(plug->flags.hostFilter[kind]);
    EXPECT_FALSE(plug->flags.deviceFilter[kind]);
  }
}

TEST_F(ParamsTest, TheTwoRoutesAreExclusive) {
  OpenEditorObject();
  Change(kMIDIFilterToDAWBuffer, 1);
  EXPECT_TRUE(plug->flags.routeMidiThroughAudioThread);
  EXPECT_EQ(Value(kMIDIFilterDirectToHardware), 0);
  Change(kMIDIFilterDirectToHardware, 1);
  EXPECT_FALSE(plug->flags.routeMidiThroughAudioThread);
  EXPECT_EQ(Value(kMIDIFilterToDAWBuffer), 0);
}

TEST_F(ParamsTest, TrackingAndLocalControlFollowTheirSwitches) {
  OpenEditorObject();
  Change(kMIDIFilterTrackIncomingMIDI, 0);
  EXPECT_FALSE(plug->flags.trackIncomingMidi);
  Change(kMIDIFilterTrackIncomingMIDI, 1);
  EXPECT_TRUE(plug->flags.trackIncomingMidi);
  Change(kGlobalLocalControl, 1);
  EXPECT_TRUE(plug->flags.localControl);
  Change(kGlobalLocalControl, 0);
  EXPECT_FALSE(plug->flags.localControl);
}

TEST_F(ParamsTest, TheClockSwitchesLetTheClockRunAndStopIt) {
  OpenEditorObject();
  MIDIMessageSender* sender = plug->midiManager->sender.get();
  Change(kSendMIDIClockPointer, 1);
  EXPECT_TRUE(plug->flags.sendClockPointer);
  Change(kSendMIDIClockPointer, 0);
  EXPECT_FALSE(plug->flags.sendClockPointer);

  plug->flags.clockLoopStarted = true;
  Change(kSendMIDIClockInfo, 1);
  EXPECT_TRUE(plug->flags.sendClockInfo);
  EXPECT_TRUE(sender->clockRunning);
  EXPECT_FALSE(plug->flags.clockLoopStarted) << "the audio thread posts the clock job again";
  plug->flags.clockLoopStarted = true;
  Change(kSendMIDIClockInfo, 0);
  EXPECT_FALSE(plug->flags.sendClockInfo);
  EXPECT_FALSE(sender->clockRunning);
  EXPECT_FALSE(plug->flags.clockLoopStarted);
}

TEST_F(ParamsTest, TheHostOffsetAndTheArpTempoAreKept) {
  OpenEditorObject();
  Change(kAdjustDAWOffset, 10);
  EXPECT_EQ(plug->flags.audioRouteDelay, 20 + plug->GetBlockSize());

  Set(kOverrideTempo, 0);
  Change(kArpTempo, 40);
  EXPECT_EQ(plug->flags.lastArpTempoIndex, 40);
  Set(kOverrideTempo, 1);
  Change(kArpTempo, 50);
  EXPECT_EQ(plug->flags.lastArpTempoIndex, 40) << "the host's tempo rules";
}

// ---- Program stepping -------------------------------------------------------------

TEST_F(ParamsTest, ProgramsStepAndWrapAtZeroAndNinetyEight) {
  OpenEditorObject();
  struct Case {
    int button, from, to;
  };
  const Case cases[] = {
      {kPatchDown, 0, 98},
      {kPatchUp, 98, 0},
      {kPatchUp, 10, 11},
      {kPatchDown, 10, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.button) + " from " + std::to_string(c.from));
    Set(kCurrentPatch, c.from);
    Change(c.button, 1);
    EXPECT_EQ(Value(kCurrentPatch), c.to);
    EXPECT_EQ(plug->currentProgram, c.to);
  }
}

TEST_F(ParamsTest, ProgramStepsCountFromTheProgramShown) {
  OpenEditorObject();
  plug->currentProgram = 3;
  Set(kCurrentPatch, 50);  // a program change from the synthesizer
  Change(kPatchUp, 1);
  EXPECT_EQ(Value(kCurrentPatch), 51);
}

TEST_F(ParamsTest, ThePartLockAndAReleasedButtonStepNothing) {
  OpenEditorObject();
  Set(kCurrentPatch, 10);
  Set(kPartLock, 1);
  Change(kPatchUp, 1);
  Change(kPatchDown, 1);
  EXPECT_EQ(Value(kCurrentPatch), 10);
  Set(kPartLock, 0);
  Change(kPatchUp, 0);
  Change(kPatchDown, 0);
  EXPECT_EQ(Value(kCurrentPatch), 10);
}

TEST_F(ParamsTest, InLibrarianModeTheSelectedSlotSteps) {
  OpenEditorObject();
  plug->flags.librarianMode = true;
  plug->patchLibrarian->selectedUpperSlot = 98;
  Change(kPatchUp, 1);
  EXPECT_EQ(plug->patchLibrarian->selectedUpperSlot, 0);
  EXPECT_EQ(Value(kCurrentPatch), 0);
  Change(kPatchDown, 1);
  EXPECT_EQ(plug->patchLibrarian->selectedUpperSlot, 98);
  EXPECT_EQ(Value(kCurrentPatch), 98);
}

// ---- The librarian's search --------------------------------------------------------

class SearchTest : public ParamsTest {
 protected:
  void SetUp() override {
    ParamsTest::SetUp();
    WriteBank("Search Bank.syx", 99, 7);
    OpenEditorObject();
    rightPatchMenu = plug->librarianMenuLayers[kMenuRightPatch];
    rightSearchMenu = plug->librarianMenuLayers[kMenuRightSearch];
    ASSERT_NE(rightPatchMenu, nullptr);
    ASSERT_NE(rightSearchMenu, nullptr);
  }
  const PatchFile* FirstResult() const {
    const auto& banks = plug->patchLibrarian->searchBanks;
    return banks.empty() ? nullptr : banks.front();
  }
  ControlLayer* rightPatchMenu = nullptr;
  ControlLayer* rightSearchMenu = nullptr;
};

TEST_F(SearchTest, ASearchWithResultsShowsThemInTheLowerList) {
  Search("P7");
  EXPECT_TRUE(plug->flags.lowerShowsSearch);
  ASSERT_NE(FirstResult(), nullptr);
  EXPECT_EQ(plug->shownSearchText, "P7");
  EXPECT_EQ(SearchText(), "P7");
  EXPECT_TRUE(Shown(rightSearchMenu));
  EXPECT_FALSE(Shown(rightPatchMenu));
}

TEST_F(SearchTest, ASearchWithoutResultsSaysSoAndEmptiesTheField) {
  Search("P7");
  Search("NOTHING LIKE IT");
  EXPECT_EQ(FirstResult(), nullptr) << "the previous result is gone";
  EXPECT_EQ(Status(), "No results - Try another keyword!");
  EXPECT_EQ(Line(kControlDisplayValue), "Tip: Note that letter size matters..");
  EXPECT_EQ(SearchText(), "search...");
}

TEST_F(SearchTest, OneCharacterAsksForMore) {
  Search("P");
  EXPECT_EQ(Status(), "Enter 2 digits or more!");
  EXPECT_EQ(SearchText(), "search...");
  EXPECT_EQ(FirstResult(), nullptr);
}

TEST_F(SearchTest, AnEmptyTextClosesSearchModeQuietly) {
  Search("P7");
  const std::string before = Status();
  Search("");
  EXPECT_FALSE(plug->flags.lowerShowsSearch);
  EXPECT_EQ(SearchText(), "search...");
  EXPECT_EQ(Status(), before);
  EXPECT_TRUE(Shown(rightPatchMenu));
}

// The search button opens the field and sets search mode; the text typed
// next must still be searched for.
TEST_F(SearchTest, TheTextTypedAfterTheSearchButtonIsSearchedFor) {
  Change(kPatchSearch, 1);
  EXPECT_TRUE(plug->flags.lowerShowsSearch);
  EXPECT_TRUE(Shown(Layer("searchField")));
  EXPECT_FALSE(Shown(Layer("categoryLimit")));
  ASSERT_EQ(FirstResult(), nullptr);

  Search("P7");
  const PatchFile* result = FirstResult();
  ASSERT_NE(result, nullptr);
  // The same text again keeps the result shown; another one searches anew.
  Search("P7");
  EXPECT_EQ(FirstResult(), result);
  Search("P7 1");
  ASSERT_NE(FirstResult(), nullptr);
  EXPECT_EQ(plug->shownSearchText, "P7 1");
}

TEST_F(SearchTest, ReleasingTheSearchButtonLeavesSearchMode) {
  Change(kPatchSearch, 1);
  Search("P7");
  Change(kPatchSearch, 0);
  EXPECT_FALSE(plug->flags.lowerShowsSearch);
  EXPECT_FALSE(Shown(Layer("searchField")));
  EXPECT_TRUE(Shown(Layer("categoryLimit")));
  EXPECT_EQ(SearchText(), "search...");
  // Search mode opened again: the old text is searched for again.
  Change(kPatchSearch, 1);
  Search("P7");
  EXPECT_NE(FirstResult(), nullptr);
}

// ---- Randomiser ----------------------------------------------------------------------

TEST_F(ParamsTest, RandomisingOutsideTheMainTabsDoesNothing) {
  OpenEditorObject();
  Set(kMainTab, 0);
  Change(kRandomize, 1);
  EXPECT_FALSE(plug->flags.readBackPending);
  EXPECT_NE(Status(), "Patch Randomized");
}

TEST_F(ParamsTest, RandomisingKeepsLockedSectionsAndReleasesTheButton) {
  OpenEditorObject();
  Set(kMainTab, 2);
  Set(kSectionLockOsc1, 1);
  Set(kOscillator1Shape, 1);
  Set(kOscillator1Semitone, 17);
  Change(kRandomize, 1);
  EXPECT_TRUE(plug->flags.readBackPending);
  EXPECT_EQ(Status(), "Patch Randomized");
  EXPECT_EQ(Value(kRandomize), 0);
  EXPECT_EQ(Value(kOscillator1Shape), 1);
  EXPECT_EQ(Value(kOscillator1Semitone), 17);
}

// ---- The settings file ------------------------------------------------------------

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(ParamsTest, EachSizeIsWrittenIntoTheSettingsFile) {
  WriteSettings("black\nnormal\nno\nspare one\nspare two\n");
  OpenEditorObject();
  const std::pair<int, const char*> sizes[] = {{2, "large"}, {0, "small"}, {1, "normal"}};
  for (const auto& [value, text] : sizes) {
    SCOPED_TRACE(text);
    Change(kUserInterfaceSize, value);
    const std::vector<std::string> lines = Lines(ReadFile(SettingsPath()));
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "black");
    EXPECT_EQ(lines[1], text);
    EXPECT_EQ(lines[2], "no");
    EXPECT_EQ(lines[3], "spare one");
    EXPECT_EQ(lines[4], "spare two");
    EXPECT_EQ(Status(), "Size changes applied...");
    EXPECT_EQ(Line(kControlDisplayValue), "Reload project!");
  }
  EXPECT_EQ(plug->guiScale, 1.0);
}

TEST_F(ParamsTest, LeavingTheFirstRunNoticeIsRemembered) {
  WriteSettings("normal\nnormal\nno\n\n\n");
  OpenEditorObject();
  Change(kFirstRunExit, 1);
  const std::vector<std::string> lines = Lines(ReadFile(SettingsPath()));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[2], "yes");
  EXPECT_EQ(Status(), "Set MIDI In and MIDI Out");
}

TEST_F(ParamsTest, WithoutASettingsFileNothingIsWrittenAndTheUserIsTold) {
  OpenEditorObject();
  for (int index : {kUserInterfaceSize, kFirstRunExit}) {
    SCOPED_TRACE(index);
    Change(index, 1);
    EXPECT_EQ(Status(), "VivivI Editor UI.txt MISSING!");
    EXPECT_EQ(Line(kControlDisplayValue), "Contact support");
    EXPECT_FALSE(std::filesystem::exists(SettingsPath()));
  }
}

// ---- Pages and overlays ------------------------------------------------------------

TEST_F(ParamsTest, OverlaySwitchesShowAndHideTheirLayers) {
  OpenEditorObject();
  struct Case {
    int param, value;
    const char* layer;
    bool shown;
  };
  const Case cases[] = {
      {kViewMIDIFilterSettings, 1, "midiFilterSettings", true},
      {kViewMIDIFilterSettings, 0, "midiFilterSettings", false},
      {kGlobalSettings, 1, "globalSettings", true},
      {kGlobalSettings, 0, "globalSettings", false},
      {kDisplayAboutWindow, 1, "aboutWindow", true},
      {kExitAboutWindow, 1, "aboutWindow", false},
      {kEditPage2Switch, 1, "arpeggiator", true},
      {kEditPage2Switch, 1, "envelopes", false},
      {kEditPage2Switch, 0, "envelopes", true},
      {kEditPage2Switch, 0, "arpeggiator", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.param) + " at " + std::to_string(c.value) + ": " + c.layer);
    Change(c.param, c.value);
    EXPECT_EQ(Shown(Layer(c.layer)), c.shown);
  }
}

TEST_F(ParamsTest, TheLibrarianButtonOpensTheLibrarianAndItsReleaseTheSoundEditor) {
  OpenEditorObject();
  ControlLayer* root = Layer("root");
  Change(kShowLibrarian, 1);
  EXPECT_EQ(Value(kMainTab), 1);
  EXPECT_EQ(root->zoneId.Load(), 1);
  Change(kShowLibrarian, 0);
  EXPECT_EQ(Value(kMainTab), 2);
  EXPECT_EQ(root->zoneId.Load(), 2);
}

TEST_F(ParamsTest, CategoriesReplaceTheFileBanksAndGreyOutTheSearch) {
  OpenEditorObject();
  ControlLayer* categoryMenu = plug->librarianMenuLayers[kMenuRightCategory];
  ControlLayer* patchMenu = plug->librarianMenuLayers[kMenuRightPatch];
  ASSERT_NE(plug->patchSearchControl, nullptr);
  Change(kCategorySelection, 1);
  EXPECT_TRUE(plug->flags.lowerShowsCategories);
  EXPECT_TRUE(Shown(categoryMenu));
  EXPECT_FALSE(Shown(patchMenu));
  EXPECT_TRUE(plug->patchSearchControl->IsGrayed());
  Change(kCategorySelection, 0);
  EXPECT_FALSE(plug->flags.lowerShowsCategories);
  EXPECT_FALSE(Shown(categoryMenu));
  EXPECT_TRUE(Shown(patchMenu));
  EXPECT_FALSE(plug->patchSearchControl->IsGrayed());
}

// ---- Global settings ----------------------------------------------------------------

// Each global setting the user sets joins the values the global dump may
// carry; a device ID the user gives addresses the Varno's SysEx at once.
TEST_F(ParamsTest, AGlobalSettingTheUserSetsIsKnownAndANewDeviceIdIsUsedAtOnce) {
  OpenEditorObject();
  plug->flags.knownGlobalSettings = 0;
  const int settings[] = {kGlobalStartUpProgram, kGlobalMasterTune, kGlobalControlX, kGlobalMidiChannel,
                          kGlobalDeviceID};
  unsigned known = 0;
  for (const int index : settings) {
    SCOPED_TRACE(index);
    EXPECT_NE(plug->flags.knownGlobalSettings, VarnoSysEx::kAllGlobalSettings);
    Change(index, 7);
    known |= VarnoSysEx::globalSettingBit(index);
    EXPECT_EQ(plug->flags.knownGlobalSettings, known);
  }
  EXPECT_EQ(plug->flags.knownGlobalSettings, VarnoSysEx::kAllGlobalSettings);
  EXPECT_EQ(plug->flags.deviceId, 7);
  EXPECT_EQ(Value(kGlobalDeviceID), 7);
  // Another parameter is no global setting.
  plug->flags.knownGlobalSettings = 0;
  Change(kGlobalLocalControl, 0);
  EXPECT_EQ(plug->flags.knownGlobalSettings, 0u);
}

// The panel opened before the Varno's own values arrived says so.
TEST_F(ParamsTest, ThePanelOpenedBeforeTheVarnosValuesArrivedSaysSo) {
  OpenEditorObject();
  const struct {
    unsigned known;
    const char* status;
  } kCases[] = {
      {0, "Not yet read from the Varno"},
      {VarnoSysEx::kAllGlobalSettings & ~1u, "Not yet read from the Varno"},
      {VarnoSysEx::kAllGlobalSettings, "untouched"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.known);
    Change(kGlobalSettings, 0);
    plug->setDisplayText(kControlDisplayName, "untouched");
    plug->flags.knownGlobalSettings = c.known;
    Change(kGlobalSettings, 1);
    EXPECT_EQ(Status(), c.status);
  }
}

// ---- Requests and sends --------------------------------------------------------------

TEST_F(ParamsTest, NameChangesAndTheSendButtonEndALibrarianRequestAndChooseTheGlobals) {
  OpenEditorObject();
  MIDIMessageManager* manager = plug->midiManager.get();
  for (int index : {kPatchName, kCategoryName}) {
    manager->libraryPatchRequest.requestActive = true;
    plug->flags.suppressGlobalsDump = false;
    plug->OnParamChange(index);
    EXPECT_FALSE(manager->libraryPatchRequest.requestActive);
    EXPECT_TRUE(plug->flags.suppressGlobalsDump);
  }
  manager->libraryPatchRequest.requestActive = true;
  Change(kPushArrangement, 1);
  EXPECT_FALSE(manager->libraryPatchRequest.requestActive);
  EXPECT_FALSE(plug->flags.suppressGlobalsDump);
  EXPECT_TRUE(plug->flags.sendGlobalsWithSound);
}

TEST_F(ParamsTest, TheSoundRequestSwitchArmsTheDumpOnlyForOne) {
  OpenEditorObject();
  MIDIMessageManager* manager = plug->midiManager.get();
  manager->soundDumpExpected = false;
  Change(kRequestTempData, 1);
  EXPECT_TRUE(manager->soundDumpExpected);
  // No output is open: nothing was posted.
  EXPECT_EQ(manager->postedJob(manager->dataThread).jobCode, kJobNothing);
  Change(kRequestTempData, 0);
  EXPECT_TRUE(manager->soundDumpExpected) << "0 changes nothing";
}

TEST_F(ParamsTest, TheCancelButtonEndsARunningRequest) {
  OpenEditorObject();
  plug->midiManager->sender->cancelRequested = false;
  Change(188, 1);
  EXPECT_TRUE(plug->midiManager->sender->cancelRequested);
}

TEST_F(ParamsTest, TheOutputSetToOffClosesTheOutputAndStopsTheClock) {
  OpenEditorObject();
  plug->flags.midiOutputOpen = true;
  plug->midiManager->sender->clockRunning = true;
  Change(kDeviceOutSelection, 0);
  EXPECT_FALSE(plug->flags.midiOutputOpen);
  EXPECT_FALSE(plug->midiManager->sender->clockRunning);
}

// ---- Slot rename ----------------------------------------------------------------------

class RenameTest : public ParamsTest {
 protected:
  void SetUp() override {
    ParamsTest::SetUp();
    WriteBank("Rename Bank.syx", 99, 3);
    OpenEditorObject();
    ASSERT_EQ(plug->patchLibrarian->fileBanks.size(), 1u);
    plug->patchLibrarian->upperBankIndex = 0;
    plug->patchLibrarian->selectedUpperSlot = 5;
    plug->renameClosed = false;
    VivivI::hideLayer(Layer("patchRename"), false);
  }
  void Rename(const char* text) {
    plug->GetParam(kPatchRename)->SetDisplayText(0, text);
    plug->OnParamChange(kPatchRename);
  }
  const LibrarianPatch& Slot(int slot) { return plug->patchLibrarian->fileBanks[0]->patches[slot]; }
};

TEST_F(RenameTest, TheNewNameGoesIntoTheSelectedSlotUpperCasedAndCutToFourteen) {
  Rename("a much longer name than fits");
  EXPECT_EQ(Slot(5).name, "A MUCH LONGER ");
  EXPECT_TRUE(plug->renameClosed);
  EXPECT_FALSE(Shown(Layer("patchRename")));
  EXPECT_NE(Slot(4).name, Slot(5).name);
}

TEST_F(RenameTest, AClosedRenameChangesNoName) {
  const std::string before = Slot(5).name;
  plug->renameClosed = true;
  Rename("other");
  EXPECT_EQ(Slot(5).name, before);
}

TEST_F(RenameTest, WithoutASelectedSlotTheRenameEnds) {
  plug->patchLibrarian->selectedUpperSlot = -1;
  Rename("other");
  EXPECT_TRUE(plug->renameClosed);
  EXPECT_FALSE(Shown(Layer("patchRename")));
  for (int slot = 0; slot < 99; ++slot) EXPECT_NE(Slot(slot).name, "OTHER");
}

// ---- The hardware change path -------------------------------------------------------

TEST_F(ParamsTest, AValueFromTheSynthesizerSwitchesTheLayerGroupOnTheGUIThread) {
  OpenEditorObject();
  ControlLayer* group = GiveLayerGroup(kOscillator1Shape, 3);
  Set(kOscillator1Shape, 2);
  plug->midiManager->soundDumpExpected = true;
  std::thread midiInput([&] { plug->OnParamChange2(kOscillator1Shape); });
  midiInput.join();
  EXPECT_EQ(ShownZone(group), -1) << "layers change only on the GUI thread";
  EXPECT_FALSE(plug->midiManager->soundDumpExpected);
  EXPECT_FALSE(plug->flags.changeFromHardware);
  Tick();
  EXPECT_EQ(ShownZone(group), 2);
  EXPECT_EQ(group->zoneId.Load(), 2);
}

TEST_F(ParamsTest, TheMainTabFromTheSynthesizerSwitchesPagesOnTheGUIThread) {
  OpenEditorObject();
  ControlLayer* root = Layer("root");
  Set(kMainTab, 0);
  std::thread midiInput([&] { plug->OnParamChange2(kMainTab); });
  midiInput.join();
  EXPECT_EQ(root->zoneId.Load(), 2) << "still the page of start-up";
  Tick();
  EXPECT_EQ(root->zoneId.Load(), 0);
  EXPECT_EQ(ShownZone(root), 0);
}

TEST_F(ParamsTest, AValueFromTheSynthesizerOnTheGUIThreadSwitchesAtOnce) {
  OpenEditorObject();
  ControlLayer* group = GiveLayerGroup(kEnvelope2Trigger, 4);
  Set(kEnvelope2Trigger, 3);
  plug->OnParamChange2(kEnvelope2Trigger);
  EXPECT_EQ(ShownZone(group), 3);
}

}  // namespace
