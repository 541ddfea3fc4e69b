// The editor's start-up: the log it writes, the parameters and layers it
// leaves, the settings file it reads and rewrites, the bank lists and their
// long names, the data folder, the display lines from any thread, and the
// teardown with a job still running. Descriptions that lack layers and
// controls, or are empty or cut short, start an editor all the same.
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "src/MIDIMessageManager.h"
#include "src/PatchLibrarian.h"
#include "src/ProgressIndicator.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/pipe_watchdog.h"

namespace {

// A description holding every layer that start-up looks up by name, the
// display lines, and the controls start-up sets.
const char kFullDescription[] = R"(<uiconfig>
  <valueLists><list name="sizes"><value>small</value><value>normal</value><value>large</value></list></valueLists>
  <background imageId="BG_ID_PLAIN" position="0,0"/>
  <display name="Status" paramId="kControlDisplayName" bounds="10,10,300,12" displaySize="9"/>
  <display name="Value" paramId="kControlDisplayValue" bounds="10,30,300,12" displaySize="9"/>
  <display name="CC" paramId="kControlDisplayCC" bounds="10,50,300,12" displaySize="9"/>
  <layer name="root" id="1">
    <radio name="Tab" paramId="kMainTab" imageId="BUTTON_BLUE_ID" position="130,140" buttons="4"/>
    <autooff name="Random" paramId="kRandomize" imageId="BUTTON_GREY_ID" position="50,60"/>
    <multiFx type="Knob" name="Channel" paramId="kGlobalMidiChannel" imageId="KNOB_ID21" position="70,80" valueBounds="5,0,16,1"/>
    <dropMenu type="dropSelection" name="Size" paramId="kUserInterfaceSize" bounds="90,100,40,12" valueBounds="1,0,3" valueList="sizes"/>
    <multiFx type="Switch" name="Local" paramId="kGlobalLocalControl" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="1"/>
    <multiFx type="Switch" name="Override" paramId="kOverrideTempo" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
  </layer>
  <layer name="multiModeMixer" id="2">
    <layer name="mixerAll" id="-1"/>
    <layer name="mixerOne" id="3"/>
  </layer>
  <layer name="patchLibrarian" id="4"/>
  <layer name="envelopes" id="5"/>
  <layer name="arpeggiator" id="6"/>
  <layer name="arpTempoKnob" id="7"/>
  <layer name="arpTempoSync" id="8"/>
  <layer name="syncIndicator" id="9"/>
  <layer name="crossModIndicator" id="10"/>
  <layer name="saveChangesLayer" id="11"/>
  <layer name="discardChangesLayerRight" id="12"/>
  <layer name="aboutWindow" id="13"/>
  <layer name="firstRunNotification" id="14"/>
  <layer name="categoryLimit" id="15"/>
  <layer name="patchRename" id="16"/>
  <layer name="miniMixer" id="17"/>
  <layer name="searchField" id="18"/>
  <layer name="midiFilterSettings" id="19">
    <multiFx type="Switch" name="f" paramId="kMIDIFilterDAWCCPassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterDAWPCPassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="1"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterDAWNotePassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterDAWPPPassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterDAWPAPassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterDAWCAPassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterDAWSEPassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="1"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterHWCCPassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterHWPCPassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="1"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterHWNotePassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterHWPPPassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterHWPAPassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterHWCAPassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterHWSEPassThrough" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterTrackIncomingMIDI" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterDirectToHardware" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="0"/>
    <multiFx type="Switch" name="f" paramId="kMIDIFilterToDAWBuffer" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="1"/>
    <multiFx type="Switch" name="f" paramId="kSendMIDIClockPointer" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="1"/>
    <multiFx type="Switch" name="f" paramId="kSendMIDIClockInfo" imageId="BTN_CHECKBOX_ID" position="1,1" valueBounds="1"/>
  </layer>
</uiconfig>)";
const char kSysExDescription[] = "<sysexlist><sysex><values><value>7F</value></values></sysex></sysexlist>";

// The lines start-up itself writes, in their order.
const std::vector<std::string> kStartupLines = {
    "INITIALIZATION STARTED!",
    "Data folder located at ",  // followed by the folder
    "PATCH MANAGER INITIALIZED...",
    "PATCH LIBRARIAN INITIALIZED...",
    "PATCH LIBRARIAN COMPLETED LOADING SINGLES...",
    "STARTING USER INTERFACE CONFIGURATION...",
    "USER INTERFACE CONFIGURATION COMPLETED... BUILDING UI",
    "Layers attached...",
    "Control set 1 attached",
    "Librarian menus attached",
    "Control set 2 attached... Resetting",
    "Plug-in is ready to load!",
};

class StartupTest : public EditorFixture {
 protected:
  // The log's lines that start-up itself writes (the data folder cut off).
  std::vector<std::string> StartupLines() const {
    std::vector<std::string> lines;
    for (std::string line : LogLines()) {
      if (line.rfind("Data folder located at ", 0) == 0) line = "Data folder located at ";
      if (std::find(kStartupLines.begin(), kStartupLines.end(), line) != kStartupLines.end())
        lines.push_back(line);
    }
    return lines;
  }
  bool Logged(const std::string& text) const {
    for (const std::string& line : LogLines())
      if (line == text) return true;
    return false;
  }
};

// ---- The log --------------------------------------------------------------------

TEST_F(StartupTest, WithALogFileStartUpEmptiesItAndWritesItsLinesInOrder) {
  WriteFile(LogPath(), "a line of the last run\n");
  Open();
  const std::vector<std::string> lines = LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "INITIALIZATION STARTED!");
  EXPECT_EQ(StartupLines(), kStartupLines);
  EXPECT_TRUE(Logged("Data folder located at " + DataFolder().string() + "/"));
}

TEST_F(StartupTest, WithoutALogFileNoneIsWritten) {
  Open();
  EXPECT_FALSE(Plug()->loggingEnabled);
  Close();
  EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

// ---- Parameters, flags and layers after start-up ---------------------------------

TEST_F(StartupTest, StartUpLeavesTheEditorOnTheMainTabWithItsFiltersAndFlags) {
  UseDescriptions(kFullDescription, kSysExDescription);
  VivivI* plug = Open();
  EXPECT_TRUE(plug->flags.pluginReady);
  EXPECT_EQ(plug->NParams(), kNumParams);
  EXPECT_EQ(plug->NAutomatedParams(), 0);
  EXPECT_EQ(Value(kGlobalMidiChannel), 1.0);
  EXPECT_EQ(Value(kMainTab), 2.0);
  EXPECT_EQ(Value(kOverrideTempo), 1.0);
  EXPECT_EQ(Value(kLibSyncTimer), 0.0);
  const struct {
    int param;
    double value;
  } kFilters[] = {
      {kMIDIFilterDAWCCPassThrough, 1},  {kMIDIFilterDAWPCPassThrough, 0}, {kMIDIFilterDAWNotePassThrough, 1},
      {kMIDIFilterDAWPPPassThrough, 1},  {kMIDIFilterDAWPAPassThrough, 1}, {kMIDIFilterDAWCAPassThrough, 1},
      {kMIDIFilterDAWSEPassThrough, 0},  {kMIDIFilterHWCCPassThrough, 1},  {kMIDIFilterHWPCPassThrough, 0},
      {kMIDIFilterHWNotePassThrough, 1}, {kMIDIFilterHWPPPassThrough, 1},  {kMIDIFilterHWPAPassThrough, 1},
      {kMIDIFilterHWCAPassThrough, 1},   {kMIDIFilterHWSEPassThrough, 1},  {kMIDIFilterTrackIncomingMIDI, 1},
      {kMIDIFilterDirectToHardware, 1},  {kMIDIFilterToDAWBuffer, 0},      {kSendMIDIClockPointer, 0},
      {kSendMIDIClockInfo, 0},
  };
  for (const auto& f : kFilters) {
    EXPECT_EQ(Value(f.param), f.value) << "parameter " << f.param;
    ASSERT_NE(plug->filterControls[f.param - kMIDIFilterDAWCCPassThrough], nullptr);
  }
  // A filter is on where its pass-through is off: host PC and SysEx, device PC.
  const bool hostOn[] = {false, true, false, false, false, false, true};
  const bool deviceOn[] = {false, true, false, false, false, false, false};
  for (int kind = 0; kind < kNumMidiFilterKinds; ++kind) {
    EXPECT_EQ(plug->flags.hostFilter[kind].load(), hostOn[kind]) << "host kind " << kind;
    EXPECT_EQ(plug->flags.deviceFilter[kind].load(), deviceOn[kind]) << "device kind " << kind;
  }
  EXPECT_TRUE(plug->flags.trackIncomingMidi);
  EXPECT_FALSE(plug->flags.routeMidiThroughAudioThread);
  EXPECT_FALSE(plug->flags.sendClockPointer);
  EXPECT_FALSE(plug->flags.sendClockInfo);
  EXPECT_TRUE(plug->flags.localControl);  // kGlobalLocalControl is on
  EXPECT_FALSE(plug->flags.midiOutputOpen);
  EXPECT_FALSE(plug->flags.librarianMode);

  // The layers.
  ASSERT_NE(plug->rootLayer, nullptr);
  EXPECT_TRUE(plug->rootLayer->visible);
  ASSERT_NE(plug->multiModeMixerLayer, nullptr);
  EXPECT_EQ(plug->multiModeMixerLayer->zoneId, -1);
  EXPECT_TRUE(plug->multiModeMixerLayer->subLayers.Get(0)->visible);
  EXPECT_FALSE(plug->multiModeMixerLayer->subLayers.Get(1)->visible);
  for (ControlLayer* hidden :
       {plug->syncIndicatorLayer, plug->firstRunLayer, plug->patchRenameLayer, plug->searchFieldLayer,
        plug->midiFilterSettingsLayer, plug->categoryLimitLayer}) {
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(hidden->visible) << hidden->name;
  }
  // The randomiser waits for the tab switch; the display lines are found.
  ASSERT_NE(plug->randomizeControl, nullptr);
  EXPECT_NE(plug->statusLineControl, nullptr);
  EXPECT_NE(plug->valueLineControl, nullptr);
  EXPECT_NE(plug->ccLineControl, nullptr);

  // The progress overlay: hidden, on the last layer, with its two buttons.
  ASSERT_NE(plug->progressLayer, nullptr);
  IGraphics* gui = plug->GetGUI();
  EXPECT_EQ(gui->GetLayer(gui->NLayers() - 1), plug->progressLayer);
  EXPECT_FALSE(plug->progressLayer->visible);
  EXPECT_EQ(plug->progressLayer->name, "PROGRESS");
  EXPECT_NE(plug->progressIndicator, nullptr);
  EXPECT_NE(plug->cancelButtons[0], nullptr);
  EXPECT_NE(plug->cancelButtons[1], nullptr);
  EXPECT_NE(plug->midiManager, nullptr);
}

TEST_F(StartupTest, TheLibrarianMenuLayersAreAttachedWithTheirIdsAndNames) {
  VivivI* plug = Open();
  const struct {
    int id;
    const char* name;
  } kMenus[kNumLibrarianMenus] = {{70, "LeftPatchPopupMenu"},   {71, "RightPatchPopupMenu"},
                                  {74, "BANKEDITMENU"},         {75, "RightPatchPopupMenu"},
                                  {76, "PROGRAMNUMBERMENU"},    {77, "BANKNUMBERMENUPROGRAMS"},
                                  {78, "RightSearchPopupMenu"}, {80, "PROGBANKNAMEMENUPROGRAMS"}};
  IGraphics* gui = plug->GetGUI();
  for (int menu = 0; menu < kNumLibrarianMenus; ++menu) {
    ControlLayer* layer = plug->librarianMenuLayers[menu];
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->id, kMenus[menu].id);
    EXPECT_EQ(layer->name, kMenus[menu].name);
    // The header's number menus are open on the first page; the rest wait
    // for the librarian page.
    EXPECT_EQ(layer->visible.Load(), menu == kMenuProgramNumber || menu == kMenuBankNumber) << layer->name;
    bool attached = false;
    for (int i = 0; i < gui->NLayers(); ++i) attached = attached || gui->GetLayer(i) == layer;
    EXPECT_TRUE(attached) << layer->name;
    // The menu alone in its layer, on its rectangle at the GUI scale.
    ASSERT_NE(plug->librarianMenus[menu], nullptr);
    ASSERT_EQ(layer->controls.GetSize(), 1);
    EXPECT_EQ(layer->controls.Get(0), plug->librarianMenus[menu]);
    EXPECT_EQ(plug->librarianMenus[menu]->ParamIdx(), -1);
  }
  // The category menu's layer shares its name but is not found by it.
  EXPECT_NE(plug->layerNamed("RightPatchPopupMenu"), plug->librarianMenuLayers[kMenuRightCategory]);
}

// ---- The settings file ------------------------------------------------------------

struct SettingsCase {
  const char* why;
  const char* file;  // null: no settings file
  int colour;
  double scale;
  int width, height;
  bool firstRunShown;
  double interfaceSize;  // 1 is also the value the description starts with
  IRECT leftMenu;        // the upper bank menu's rectangle
};

void PrintTo(const SettingsCase& c, std::ostream* out) { *out << c.why; }

class SettingsTest : public StartupTest, public ::testing::WithParamInterface<SettingsCase> {};

const SettingsCase kSettingsCases[] = {
    {"black, small, no with CRLF", "black\r\nsmall\r\nno\r\n", 1, 0.75, 1125, 500, true, 0,
     IRECT(762, 99, 978, 115)},
    {"a leading blank is kept", "normal\n small\nno\n", 0, 1.0, 1500, 667, true, 1,
     IRECT(1016, 132, 1304, 154)},
    {"one line sets the colour only", "black", 1, 1.0, 1500, 667, false, 1, IRECT(1016, 132, 1304, 154)},
    {"no settings file", nullptr, 0, 1.0, 1500, 667, false, 1, IRECT(1016, 132, 1304, 154)},
    {"large, first run over", "normal\nlarge\nyes\n\n\n", 0, 1.25, 1875, 833, false, 2,
     IRECT(1270, 165, 1630, 192)},
    {"comparisons keep the case", "Black\nSmall\nNo\n", 0, 1.0, 1500, 667, false, 1,
     IRECT(1016, 132, 1304, 154)},
    {"trailing tabs and blanks go", "black \t\nsmall\t\nno  \n", 1, 0.75, 1125, 500, true, 0,
     IRECT(762, 99, 978, 115)},
};

INSTANTIATE_TEST_SUITE_P(Files, SettingsTest, ::testing::ValuesIn(kSettingsCases));

TEST_P(SettingsTest, TheSettingsFileGivesColourScaleWindowAndFirstRun) {
  const SettingsCase& c = GetParam();
  SCOPED_TRACE(c.why);
  if (c.file) WriteSettings(c.file);
  UseDescriptions(kFullDescription, kSysExDescription);
  VivivI* plug = Open();
  EXPECT_EQ(plug->colourScheme, c.colour);
  EXPECT_EQ(plug->guiScale, c.scale);
  EXPECT_EQ(plug->GetGUI()->Width(), c.width);
  EXPECT_EQ(plug->GetGUI()->Height(), c.height);
  ASSERT_NE(plug->firstRunLayer, nullptr);
  EXPECT_EQ(plug->firstRunLayer->visible, c.firstRunShown);
  EXPECT_EQ(Value(kUserInterfaceSize), c.interfaceSize);
  // The processing overlay covers the whole window and takes every click in it.
  ASSERT_NE(plug->progressIndicator, nullptr);
  const IRECT& overlay = plug->progressIndicator->GetRECT();
  EXPECT_EQ(overlay.L, 0);
  EXPECT_EQ(overlay.T, 0);
  EXPECT_EQ(overlay.R, c.width);
  EXPECT_EQ(overlay.B, c.height);
  const IRECT& r = plug->librarianMenuRects[kMenuLeftPatch];
  EXPECT_EQ(r.L, c.leftMenu.L);
  EXPECT_EQ(r.T, c.leftMenu.T);
  EXPECT_EQ(r.R, c.leftMenu.R);
  EXPECT_EQ(r.B, c.leftMenu.B);
}

TEST(LibrarianMenuRectTest, EachRectangleIsScaledAndTruncatedCoordinateByCoordinate) {
  // 34 x 0.75 = 25.5, 118 x 1.25 = 147.5.
  const IRECT small = VivivI::librarianMenuRect(kMenuProgBankName, 0.75);
  EXPECT_EQ(small.L, 135);
  EXPECT_EQ(small.T, 9);
  EXPECT_EQ(small.R, 162);
  EXPECT_EQ(small.B, 25);
  const IRECT large = VivivI::librarianMenuRect(kMenuBankEdit, 1.25);
  EXPECT_EQ(large.L, 1270);
  EXPECT_EQ(large.B, 147);
  EXPECT_TRUE(VivivI::librarianMenuRect(kNumLibrarianMenus, 1.0).Empty());
  EXPECT_TRUE(VivivI::librarianMenuRect(-1, 1.0).Empty());
}

TEST_F(StartupTest, AStrayLargeSettingsFileIsReadFromItsStartOnly) {
  WriteSettings("black\nsmall\nno\n" + std::string(1 << 20, 'x'));
  VivivI* plug = Open();
  EXPECT_EQ(plug->colourScheme, 1);
  EXPECT_EQ(plug->guiScale, 0.75);
  EXPECT_EQ(plug->settingsLines[2], "no");
  EXPECT_LE(plug->settingsLines[3].size(), 4096u);
}

TEST_F(StartupTest, RewritingTheSettingsKeepsAllFiveLines) {
  WriteSettings("black\nsmall\nno\nspare four\nspare five\n");
  VivivI* plug = Open();
  EXPECT_EQ(plug->settingsLines[3], "spare four");
  EXPECT_EQ(plug->settingsLines[4], "spare five");
  plug->settingsLines[2] = "yes";
  ASSERT_TRUE(plug->writeSettingsFile());
  EXPECT_EQ(ReadFile(SettingsPath()), "black\nsmall\nyes\nspare four\nspare five");
}

// A pipe under the settings file's name is a missing settings file: start-up
// keeps the defaults without waiting for a writer, and a size change writes
// nothing (and says the file is missing) without waiting for a reader.
TEST_F(StartupTest, ASettingsFileThatIsAPipeIsMissingAndNeverWaitedOn) {
  ASSERT_EQ(::mkfifo(SettingsPath().c_str(), 0600), 0);
  PipeWatchdog watchdog(SettingsPath().string());
  VivivI* plug = Open();
  EXPECT_EQ(plug->guiScale, 1.0);
  EXPECT_EQ(plug->colourScheme, 0);
  EXPECT_FALSE(plug->settingsFileReadable());
  plug->settingsLines[1] = "large";
  EXPECT_FALSE(plug->writeSettingsFile());
  EXPECT_FALSE(watchdog.Fired());
  struct stat info {};
  ASSERT_EQ(::lstat(SettingsPath().c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe stays";
}

TEST_F(StartupTest, WithoutASettingsFileNoneIsWritten) {
  VivivI* plug = Open();
  plug->settingsLines[1] = "large";
  EXPECT_FALSE(plug->writeSettingsFile());
  EXPECT_FALSE(std::filesystem::exists(SettingsPath()));
}

// ---- Bank lists and long names -----------------------------------------------------

TEST(ShortBankNameTest, LongNamesAreCutWithTheirExtensionWithinFortyNineCharacters) {
  const std::string head(44, 'a');
  const struct {
    const char* why;
    std::string name, shown;
  } kCases[] = {
      {"49 characters stay", std::string(45, 'a') + ".syx", std::string(45, 'a') + ".syx"},
      {"50 characters are cut", std::string(46, 'a') + ".SYX", head + "~.syx"},
      {"60 characters", std::string(56, 'a') + ".SyX", head + "~.syx"},
      {"no dot: the name lower-cased, cut to fit", "ABCDE" + std::string(50, 'x'),
       "ABCDE" + std::string(39, 'x') + "~.abc"},
      {"a long extension is cut", std::string(45, 'a') + ".Extension", head + "~.ext"},
      {"a dot at the end", std::string(55, 'a') + ".", head + "~."},
      {"a dot inside the head", "a.b" + std::string(60, 'C'), "a.b" + std::string(41, 'C') + "~.bcc"},
      {"a character of two bytes across the cut",
       std::string(43, 'a') + "\xC3\xA9" + std::string(10, 'b') + ".mid", std::string(43, 'a') + "~.mid"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    const std::string shown = VivivI::shortBankName(c.name);
    EXPECT_EQ(shown, c.shown);
    EXPECT_LE(shown.size(), 49u);
  }
}

TEST_F(StartupTest, TheBankListsNameEveryBankAndShortenLongNames) {
  const std::string exact(45, 'e'), longer(46, 'l');
  WriteBank("A Bank.vrn");
  WriteBank(exact + ".syx");   // 49 characters
  WriteBank(longer + ".SYX");  // 50 characters
  WriteLogFile();
  VivivI* plug = Open();
  const std::vector<PatchFile*>& banks = plug->patchLibrarian->fileBanks;
  ASSERT_EQ(banks.size(), 3u);
  for (int list : {kPatchSelectionListUpper, kPatchSelectionListLower}) {
    const IParam* param = plug->GetParam(list);
    ASSERT_EQ(param->GetNDisplayTexts(), 3);
    EXPECT_EQ(param->GetMax(), 2.0);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(param->GetDisplayTextAtIdx(i), VivivI::shortBankName(banks[i]->fileName)) << i;
  }
  EXPECT_EQ(plug->upperFirstName, VivivI::shortBankName(banks[0]->fileName));
  EXPECT_EQ(plug->lowerFirstName, plug->upperFirstName);
  EXPECT_EQ(plug->upperBankName, banks[0]->folderName);
  EXPECT_EQ(plug->lowerBankName, banks[0]->folderName);
  const std::string shortened = std::string(44, 'l') + "~.syx";
  EXPECT_TRUE(Logged("PATCH LIBRARIAN: Filename " + longer + ".SYX RENAMED TO " + shortened +
                     " Because the filename was too long to fit in plug-in display!"));
  for (const std::string& line : LogLines()) EXPECT_EQ(line.find("RENAMED TO " + exact), std::string::npos);
}

TEST_F(StartupTest, AnEmptyLibraryLeavesBothListsWithoutTexts) {
  VivivI* plug = Open();
  for (int list : {kPatchSelectionListUpper, kPatchSelectionListLower}) {
    const IParam* param = plug->GetParam(list);
    EXPECT_EQ(param->GetNDisplayTexts(), 0);
    EXPECT_EQ(param->GetMin(), 0.0);
    EXPECT_EQ(param->GetMax(), 1.0);
  }
  EXPECT_EQ(plug->upperFirstName, "");
  EXPECT_EQ(plug->lowerFirstName, "");
  EXPECT_EQ(plug->upperBankName, "");
  EXPECT_EQ(plug->lowerBankName, "");
}

// ---- The data folder and the small texts -------------------------------------------

TEST(DataFolderTest, TheDataFolderComesFromTheEnvironment) {
  const struct {
    const char* why;
    const char* own;
    const char* xdg;
    const char* home;
    std::string folder;
  } kCases[] = {
      {"the editor's own variable", "/srv/vivivi", "/xdg", "/home/u", "/srv/vivivi/"},
      {"its own variable with a slash", "/srv/vivivi/", nullptr, "/home/u", "/srv/vivivi/"},
      {"the data home", nullptr, "/xdg", "/home/u", "/xdg/Harrow Creek Sound/Tarnwel VivivI Editor/"},
      {"a relative data home is ignored", nullptr, "rel", "/home/u",
       "/home/u/.local/share/Harrow Creek Sound/Tarnwel VivivI Editor/"},
      {"the home folder", "", nullptr, "/home/u",
       "/home/u/.local/share/Harrow Creek Sound/Tarnwel VivivI Editor/"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    for (const auto& [name, value] :
         {std::pair{"VIVIVI_DATA_DIR", c.own}, std::pair{"XDG_DATA_HOME", c.xdg}, std::pair{"HOME", c.home}})
      value ? setenv(name, value, 1) : unsetenv(name);
    EXPECT_EQ(VivivI::getDataFolder(), c.folder);
  }
}

TEST_F(StartupTest, PathsAndTextsBuiltOnTheDataFolder) {
  VivivI* plug = Open();
  const std::string folder = DataFolder().string() + "/";
  EXPECT_EQ(plug->dataFolder, folder);
  EXPECT_EQ(plug->getPatchesFolderStr(), folder + "Patches");
  EXPECT_EQ(plug->getPatchesFolderLength(), static_cast<int>(folder.size() + 7));
  EXPECT_EQ(plug->logFilePath, folder + "VivivI Editor LOG.txt");
  EXPECT_EQ(plug->settingsFilePath, folder + "VivivI Editor UI.txt");
  EXPECT_STREQ(plug->getPanelString(0, "Osc"), "Timbre 1 Osc");
  EXPECT_STREQ(plug->getPanelString(3, "Arp"), "Timbre 4 Arp");
}

TEST(HelpTopicTest, ThreePagesOfTheMakersSiteAndNothingElse) {
  std::set<std::string> pages;
  for (int topic = 0; topic < 3; ++topic) {
    const std::string url = VivivI::helpTopicURL(topic);
    EXPECT_EQ(url.rfind("https://", 0), 0u) << url;
    pages.insert(url);
  }
  EXPECT_EQ(pages.size(), 3u);
  for (int topic : {-1, 3, 100}) EXPECT_EQ(VivivI::helpTopicURL(topic), "") << topic;
}

// ---- Display lines from any thread -----------------------------------------------

TEST_F(StartupTest, DisplayTextsFromAnotherThreadReachTheLineAtTheNextTickInOrder) {
  UseDescriptions(kFullDescription, kSysExDescription);
  VivivI* plug = Open();
  plug->setDisplayText(kControlDisplayName, "on the GUI thread");
  EXPECT_EQ(DisplayText(kControlDisplayName), "on the GUI thread");

  std::thread worker([plug] {
    plug->setDisplayText(kControlDisplayName, "first");
    plug->setDisplayText(kControlDisplayValue, "value");
    plug->setDisplayText(kControlDisplayName, "CONNECTION TIMED OUT!");
  });
  worker.join();
  EXPECT_EQ(DisplayText(kControlDisplayName), "on the GUI thread");  // not before the GUI's tick
  Tick();
  EXPECT_EQ(DisplayText(kControlDisplayName), "CONNECTION TIMED OUT!");
  EXPECT_EQ(DisplayText(kControlDisplayValue), "value");

  // A text written on the GUI thread later wins over one still waiting.
  std::thread late([plug] { plug->setDisplayText(kControlDisplayCC, "older"); });
  late.join();
  plug->setDisplayText(kControlDisplayCC, "newer");
  Tick();
  EXPECT_EQ(DisplayText(kControlDisplayCC), "newer");

  // A parameter without a display does nothing.
  plug->setDisplayText(kFilterCutoff, "nowhere");
  plug->setDisplayText(-5, "nowhere");
}

// ---- Descriptions that lack what start-up looks for --------------------------------

struct DescriptionCase {
  const char* why;
  const char* uiconfig;  // null: no file
  const char* sysex;
};

void PrintTo(const DescriptionCase& c, std::ostream* out) { *out << c.why; }

class DescriptionTest : public StartupTest, public ::testing::WithParamInterface<DescriptionCase> {};

const DescriptionCase kDescriptionCases[] = {
    {"no description files", nullptr, nullptr},
    {"empty descriptions", "", ""},
    {"a description cut short", "<uiconfig><layer name=\"root\" id=\"1\"><display paramId=\"kControlDisp",
     "<sys"},
    {"a root and nothing else", "<uiconfig/>", "<sysexlist/>"},
    {"layers of the right names holding nothing",
     "<uiconfig><layer name=\"root\"/><layer name=\"multiModeMixer\"/><layer name=\"firstRunNotification\"/>"
     "<layer name=\"PROGRESS\"/></uiconfig>",
     kSysExDescription},
};

INSTANTIATE_TEST_SUITE_P(Descriptions, DescriptionTest, ::testing::ValuesIn(kDescriptionCases));

TEST_P(DescriptionTest, StartUpSkipsWhatIsMissingAndLogsIt) {
  SCOPED_TRACE(GetParam().why);
  WriteSettings("black\nsmall\nno\n");
  WriteLogFile();
  WriteBank("One.vrn");
  UseDescriptions(GetParam().uiconfig, GetParam().sysex);
  VivivI* plug = Open();
  EXPECT_TRUE(plug->flags.pluginReady);
  EXPECT_EQ(StartupLines(), kStartupLines);
  EXPECT_TRUE(Logged("INITIALIZATION: Layer \"searchField\" is missing from the UI description, skipped"));
  EXPECT_TRUE(Logged("INITIALIZATION: No control is bound to parameter 173, skipped"));
  EXPECT_EQ(plug->statusLineControl, nullptr);
  // What start-up made itself is there all the same.
  EXPECT_NE(plug->progressLayer, nullptr);
  EXPECT_NE(plug->librarianMenuLayers[kMenuProgBankName], nullptr);
  EXPECT_EQ(plug->GetParam(kPatchSelectionListUpper)->GetNDisplayTexts(), 1);
  plug->setDisplayText(kControlDisplayName, "no line to show it");
  // The window opens and paints.
  ViewPane* pane = OpenEditor();
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->Width(), 1125);
  EXPECT_EQ(pane->Height(), 500);
  EXPECT_EQ(WindowPixels().size(), 1125u * 500u);
}

// ---- Teardown ----------------------------------------------------------------------

TEST_F(StartupTest, ClosingWithAJobRunningEndsTheJobBeforeWhatItUsesIsGone) {
  VivivI* plug = Open();
  // The running clock waits for a tempo the host never gives: it runs on.
  plug->flags.continuousClock = true;
  SenderJob job;
  job.jobCode = kJobContinuousClock;
  ASSERT_TRUE(plug->midiManager->postJob(job));
  EXPECT_TRUE(plug->midiManager->clockThread.isRunning());
  ViewPane* pane = OpenEditor();
  ASSERT_NE(pane, nullptr);
  Close();  // ASan and LSan watch what follows
  EXPECT_EQ(Plug(), nullptr);
}

TEST_F(StartupTest, TwoEditorsBuiltAtOnceShareTheDataFolder) {
  WriteLogFile();
  WriteBank("Shared.vrn");
  Open();
  IModuleBase* made[2] = {};
  std::thread second([&made] { made[1] = MakePlug(); });
  made[0] = MakePlug();
  second.join();
  for (IModuleBase* plug : made) {
    ASSERT_NE(plug, nullptr);
    EXPECT_TRUE(static_cast<VivivI*>(plug)->flags.pluginReady);
    EXPECT_EQ(static_cast<VivivI*>(plug)->patchLibrarian->fileBanks.size(), 1u);
  }
  // The last one emptied the log after the other had finished: the lock in
  // MakePlug kept the two start-ups apart.
  EXPECT_EQ(StartupLines(), kStartupLines);
  for (IModuleBase* plug : made) delete plug;
}

}  // namespace
