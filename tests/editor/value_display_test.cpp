// The status and value lines after a parameter change: the value texts by
// parameter (signed offsets, panning, value lists, on/off words, bare
// numbers), and the changes that leave both lines as they were.
#include <string>
#include <vector>

#include "KIT/IModule/IParam.h"
#include "src/UIConfigManager.h"
#include "src/VivivI.h"
#include "tests/editor/actions_fixture.h"

namespace {

constexpr const char* kUntouched = "untouched";

class ValueDisplayTest : public ActionsTest {
 protected:
  void SetUp() override {
    ActionsTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(editor->flags.pluginReady);
    editor->uiConfig->valueLists["lfo1Shape"] = {"SAW", "TRIANGLE"};
    editor->uiConfig->valueLists["arpClockRange"] = {"1/4", "1/8"};
    editor->uiConfig->valueLists["arpTempoValues"] = {"60", "90"};
    editor->uiConfig->valueLists.erase("arpModeList");
    editor->uiConfig->valueLists["masterTune"] = {"430 Hz", "431 Hz"};
    editor->uiConfig->valueLists["controlX"] = {"CC", "SYSEX"};
  }
  // Both lines set to a text no change writes.
  void markLines() {
    SetLine(kControlDisplayName, kUntouched);
    SetLine(kControlDisplayValue, kUntouched);
  }
  void show(int index, double value, bool transport = false) {
    markLines();
    ControlDisplay::controlDisplay(editor, index, value, transport);
  }
  std::string nameOf(int index) { return editor->GetParam(index)->GetNameForHost(); }
};

struct ValueCase {
  int index;
  double value;
  const char* line;  // the value line
};

const ValueCase kValueCases[] = {
    {kOscillator1Semitone, 60, "+12 [60]"},
    {kOscillator2Semitone, 48, "0 [48]"},
    {kOscillator2Semitone, 36, "-12 [36]"},
    {kOscillator3Semitone, 0, "-48 [0]"},
    {kOscillator3Semitone, 97, "+49 [97]"},
    {kOscillator2Semitone, 98, " [98]"},
    {kOscillator1Tune, 66, "+1 [66]"},
    {kOscillator1Tune, 62, "-1 [62]"},
    {kOscillator2Tune, 0, "-32 [0]"},
    {kOscillator3Tune, 64, "0 [64]"},
    {kOscillator3Tune, 126, "+31 [126]"},
    {kOscillator3Tune, 128, " [128]"},
    {kFilterCutoffModAmount, 0, "-64 [0]"},
    {kModUnit4Amount, 64, "0 [64]"},
    {kCV2ModAmount, 127, "+63 [127]"},
    {kEnvelope1Keytrack, 128, " [128]"},
    {kPanning, 0, "LEFT 100% [0]"},
    {kPanning, 1, "LEFT 97% [1]"},
    {kPanning, 32, "LEFT 49% [32]"},
    {kPanning, 44, "LEFT 31% [44]"},
    {kPanning, 63, "LEFT 1% [63]"},
    {kPanning, 64, "< CENTER > [64]"},
    {kPanning, 65, "RIGHT 1% [65]"},
    {kPanning, 96, "RIGHT 49% [96]"},
    {kPanning, 104, "RIGHT 62% [104]"},
    {kPanning, 126, "RIGHT 96% [126]"},
    {kPanning, 127, "RIGHT 100% [127]"},
    {kPanning, 128, " [128]"},
    {kSectionLockFilter, 1, "ON [1]"},
    {kPartLock, 0, "OFF [0]"},
    {kOscillator2Sync, 1, "ON [1]"},
    {kOverrideTempo, 2, " [2]"},
    {kGlobalLocalControl, 0, "DISABLED [0]"},
    {kGlobalLocalControl, 1, "ALLOWED [1]"},
    {kGlobalLocalControl, 2, " [2]"},
    {kLFO1Shape, 1, "TRIANGLE [1]"},
    {kArpTempo, 0, "1/4 [0]"},      // the arpeggiator's tempo reads "arpClockRange"
    {kArpClock, 1, "90 [1]"},       // and its clock "arpTempoValues"
    {kLFO1Shape, 2, " [2]"},        // past the end of its list
    {kLFO1Shape, -1, " [-1]"},      // before its start
    {kArpMode, 3, " [3]"},          // a list the description lacks
    {kFilterCutoff, 100.7, "100"},  // the bare number, truncated
    {kEnvelope1Trigger, 1, "1"},
    {kSustainSwitch, 0, "0"},
    // The global settings in the Varno's terms: programs counted from 1,
    // master tune in Hz, control X by name, the channel from OMNI.
    {kGlobalStartUpProgram, 0, "1 [0]"},
    {kGlobalStartUpProgram, 98, "99 [98]"},
    {kGlobalStartUpProgram, 99, " [99]"},
    {kGlobalMasterTune, 1, "431 Hz [1]"},
    {kGlobalControlX, 1, "SYSEX [1]"},
    {kGlobalMidiChannel, 0, "OMNI [0]"},
    {kGlobalDeviceID, 5, "5"},
};

TEST_F(ValueDisplayTest, ValueLineShowsTheValueTextOfEachParameter) {
  for (const ValueCase& c : kValueCases) {
    SCOPED_TRACE("parameter " + std::to_string(c.index) + " value " + std::to_string(c.value));
    show(c.index, c.value);
    EXPECT_EQ(Line(kControlDisplayName), nameOf(c.index));
    EXPECT_EQ(Line(kControlDisplayValue), c.line);
  }
}

TEST_F(ValueDisplayTest, ChangesThatLeaveBothLinesAsTheyWere) {
  const struct {
    const char* why;
    int index;
    double value;
  } kCases[] = {
      {"odd tune", kOscillator1Tune, 65},
      {"odd tune", kOscillator3Tune, 1},
      {"patch name", kPatchName, 1},
      {"main tab", kMainTab, 2},
      {"port choice", kDeviceOutSelection, 1},
      {"bank list", kPatchSelectionListLower, 3},
      {"the status line itself", kControlDisplayName, 1},
      {"search switch", kPatchSearch, 1},
      {"search text", kPatchSearchString, 1},
      {"global settings panel", kGlobalSettings, 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    show(c.index, c.value);
    EXPECT_EQ(Line(kControlDisplayName), kUntouched);
    EXPECT_EQ(Line(kControlDisplayValue), kUntouched);
  }
}

TEST_F(ValueDisplayTest, NothingIsShownBeforeStartUpHasFinished) {
  editor->flags.pluginReady = false;
  show(kFilterCutoff, 10);
  editor->flags.pluginReady = true;
  EXPECT_EQ(Line(kControlDisplayName), kUntouched);
  EXPECT_EQ(Line(kControlDisplayValue), kUntouched);
}

TEST_F(ValueDisplayTest, LibraryControlIsShownOnlyWhileHostProgramChangesAreBlocked) {
  editor->flags.hostFilter[kFilterProgramChange] = false;
  show(kControlLibrary, 1);
  EXPECT_EQ(Line(kControlDisplayValue), kUntouched);

  editor->flags.hostFilter[kFilterProgramChange] = true;
  show(kControlLibrary, 1);
  EXPECT_EQ(Line(kControlDisplayValue), "ON");
}

// The editor's own switches and buttons read as words, never as a bare 0 or
// 1; a button's release leaves the lines to what it started.
TEST_F(ValueDisplayTest, EditorSwitchesAndButtonsShowWords) {
  const struct {
    int index;
    double value;
    bool output;
    const char *status, *line;
  } kCases[] = {
      {kMIDIFilterDAWPCPassThrough, 1, true, "Host program changes", "Passed on"},
      {kMIDIFilterHWSEPassThrough, 0, true, "Varno SysEx", "Filtered out"},
      {kSendMIDIClockInfo, 1, true, "MIDI clock to the Varno", "ON"},
      {kMIDIFilterTrackIncomingMIDI, 0, true, "Track incoming MIDI", "OFF"},
      {kRequestTempData, 1, true, "Request Sound", "Asking the Varno for its sound..."},
      {kPushArrangement, 1, false, "Send Sound", "Set MIDI I/O First!"},
      {kRequestTempData, 0, true, kUntouched, kUntouched},
      {kPushArrangement, 0, true, kUntouched, kUntouched},
      {kViewMIDIFilterSettings, 1, true, "MIDI Filter Settings", ""},
      {kViewMIDIFilterSettings, 0, true, "", ""},
      {kDisplayAboutWindow, 1, true, "About VivivI Editor", ""},
      {kExitAboutWindow, 1, true, "", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE("parameter " + std::to_string(c.index) + " value " + std::to_string(c.value));
    editor->flags.midiOutputOpen = c.output;
    show(c.index, c.value);
    EXPECT_EQ(Line(kControlDisplayName), c.status);
    EXPECT_EQ(Line(kControlDisplayValue), c.line);
  }
}

TEST_F(ValueDisplayTest, TheCCLineOfAnEarlierChangeIsCleared) {
  SetLine(kControlDisplayCC, "CC|105");
  show(kFilterCutoff, 10);
  EXPECT_EQ(Line(kControlDisplayCC), "");
  SetLine(kControlDisplayCC, "CC|105");
  show(kOscillator1Tune, 65);
  EXPECT_EQ(Line(kControlDisplayCC), "CC|105") << "a change that shows nothing leaves it";
}

TEST_F(ValueDisplayTest, NamelessParameterShowsNothingWhileTheTransportPlays) {
  constexpr int kNameless = 130;
  ASSERT_EQ(nameOf(kNameless), "");
  show(kNameless, 5, true);
  EXPECT_EQ(Line(kControlDisplayName), kUntouched);
  EXPECT_EQ(Line(kControlDisplayValue), kUntouched);

  show(kNameless, 5, false);
  EXPECT_EQ(Line(kControlDisplayName), "");
  EXPECT_EQ(Line(kControlDisplayValue), "5");

  show(kFilterCutoff, 5, true);
  EXPECT_EQ(Line(kControlDisplayValue), "5") << "a named parameter shows while the transport plays";
}

TEST(ValueStringTest, WholeNumbersWithoutDecimals) {
  EXPECT_EQ(ControlDisplay::getValueString(0.0), "0");
  EXPECT_EQ(ControlDisplay::getValueString(127.0), "127");
  EXPECT_EQ(ControlDisplay::getValueString(2.5), "2");
  EXPECT_EQ(ControlDisplay::getValueString(-12.0), "-12");
  EXPECT_EQ(VivivI::getValueString(99.0), "99");
}

}  // namespace
