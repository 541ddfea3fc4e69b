// PARAMETER TABLE: the names of the editor's parameters, as the UI
// description and the editor code write them, and their indices.
#include "KIT/IModule/IParam.h"
#include "src/EditorServices.h"
#include "src/UIConfigManager.h"

namespace {

struct ParamName {
  const char* name;
  int index;
};

// Each name is the spelling of its own constant, so the table cannot
// disagree with the index space. 130, 176, 187, 188 and 191 have no name;
// kTimbreLED names no parameter.
#define PARAM(n) \
  { #n, n }
const ParamName kParamNames[] = {
    PARAM(kOscillator1Semitone),
    PARAM(kOscillator2Semitone),
    PARAM(kOscillator3Semitone),
    PARAM(kOscillator1Tune),
    PARAM(kOscillator2Tune),
    PARAM(kOscillator3Tune),
    PARAM(kOscillator1Shape),
    PARAM(kOscillator2Shape),
    PARAM(kOscillator3Shape),
    PARAM(kOscillator1Level),
    PARAM(kOscillator2Level),
    PARAM(kOscillator3Level),
    PARAM(kNoiseLevel),
    PARAM(kExternalSignalLevel),
    PARAM(kOscillator1Pulsewidth),
    PARAM(kOscillator2Pulsewidth),
    PARAM(kEnvelope1Attack),
    PARAM(kEnvelope1Decay),
    PARAM(kEnvelope1Sustain),
    PARAM(kEnvelope1Release),
    PARAM(kPanning),
    PARAM(kMainVolume),
    PARAM(kPortamento),
    PARAM(kBreathControl),
    PARAM(kModWheel),
    PARAM(kEnvelope2Attack),
    PARAM(kEnvelope2Decay),
    PARAM(kEnvelope2Sustain),
    PARAM(kEnvelope2Release),
    PARAM(kLFO1Speed),
    PARAM(kLFO1Shape),
    PARAM(kLFO2Speed),
    PARAM(kLFO2Delay),
    PARAM(kEnvelope1Keytrack),
    PARAM(kEnvelope1Trigger),
    PARAM(kEnvelope2Keytrack),
    PARAM(kEnvelope2Trigger),
    PARAM(kOscillator2Keytrack),
    PARAM(kOscillator2Sync),
    PARAM(kFilterCutoff),
    PARAM(kFilterCutoffKeytrack),
    PARAM(kFilterCutoffEnv1Sens),
    PARAM(kFilterCutoffVeloSens),
    PARAM(kFilterCutoffModSource),
    PARAM(kFilterCutoffModAmount),
    PARAM(kFilterResonance),
    PARAM(kVolume),
    PARAM(kVolumeVeloSense),
    PARAM(kPitchModSource),
    PARAM(kPitchModAmount),
    PARAM(kPortamentoMode),
    PARAM(kPitchBendScale),
    PARAM(kSustainSwitch),
    PARAM(kArpOnOff),
    PARAM(kArpRange),
    PARAM(kArpTempo),
    PARAM(kArpClock),
    PARAM(kArpMode),
    PARAM(kModUnit1Source),
    PARAM(kModUnit1Amount),
    PARAM(kModUnit1Destination),
    PARAM(kModUnit2Source),
    PARAM(kModUnit2Amount),
    PARAM(kModUnit2Destination),
    PARAM(kModUnit3Source),
    PARAM(kModUnit3Amount),
    PARAM(kModUnit3Destination),
    PARAM(kModUnit4Source),
    PARAM(kModUnit4Amount),
    PARAM(kModUnit4Destination),
    PARAM(kCV2ModAmount),
    PARAM(kCV2ModSource),
    PARAM(kNumAutomatedParams),
    PARAM(kPatchFileDialog),
    PARAM(kOverrideTempo),
    PARAM(kGlobalMidiChannel),
    PARAM(kGlobalLocalControl),
    PARAM(kBankSelection),
    PARAM(kPatchSelection),
    PARAM(kPatchName),
    PARAM(kPatchNameView),
    PARAM(kRefreshFolders),
    PARAM(kLibSyncTimer),
    PARAM(kPartLock),
    PARAM(kSectionLockOsc1),
    PARAM(kSectionLockOsc2),
    PARAM(kSectionLockOsc3),
    PARAM(kSectionLockMixer),
    PARAM(kSectionLockPitchMod),
    PARAM(kSectionLockPorta),
    PARAM(kSectionLockFilter),
    PARAM(kSectionLockEg1),
    PARAM(kSectionLockEg2),
    PARAM(kSectionLockAmp),
    PARAM(kSectionLockLFO1),
    PARAM(kSectionLockLFO2),
    PARAM(kSectionLockVP),
    PARAM(kSectionLockArp),
    PARAM(kPatchRename),
    PARAM(kMIDILed),
    PARAM(kMIDIFilterDAWCCPassThrough),
    PARAM(kMIDIFilterDAWPCPassThrough),
    PARAM(kMIDIFilterDAWNotePassThrough),
    PARAM(kMIDIFilterDAWPPPassThrough),
    PARAM(kMIDIFilterDAWPAPassThrough),
    PARAM(kMIDIFilterDAWCAPassThrough),
    PARAM(kMIDIFilterDAWSEPassThrough),
    PARAM(kMIDIFilterHWCCPassThrough),
    PARAM(kMIDIFilterHWPCPassThrough),
    PARAM(kMIDIFilterHWNotePassThrough),
    PARAM(kMIDIFilterHWPPPassThrough),
    PARAM(kMIDIFilterHWPAPassThrough),
    PARAM(kMIDIFilterHWCAPassThrough),
    PARAM(kMIDIFilterHWSEPassThrough),
    PARAM(kMIDIFilterTrackIncomingMIDI),
    PARAM(kMIDIFilterDirectToHardware),
    PARAM(kMIDIFilterToDAWBuffer),
    PARAM(kSendMIDIClockPointer),
    PARAM(kSendMIDIClockInfo),
    PARAM(kLibUpperNextBank),
    PARAM(kLibUpperPreviousBank),
    PARAM(kLibLowerNextBank),
    PARAM(kLibLowerPreviousBank),
    PARAM(kBankEditUnsaved),
    PARAM(kCurrentOpenPatternBankL),
    PARAM(kCurrentOpenPatchBankL),
    PARAM(kCurrentOpenPerfBankL),
    PARAM(kCurrentOpenPatternBankR),
    PARAM(kCurrentOpenPatchBankR),
    PARAM(kCurrentOpenPerfBankR),
    PARAM(kAdjustDAWOffset),
    PARAM(kGlobalStartUpProgram),
    PARAM(kGlobalMasterTune),
    PARAM(kGlobalControlX),
    PARAM(kGlobalDeviceID),
    PARAM(kCurrentPatch),
    PARAM(kCategoryName),
    PARAM(kTempoInformation),
    PARAM(kOverwriteBank),
    PARAM(kControlDisplayLibCategory),
    PARAM(kControlDisplayCategory),
    PARAM(kCategorySelection),
    PARAM(kOscillator1WaveTrigger),
    PARAM(kOscillator2WaveTrigger),
    PARAM(kOscillator3WaveTrigger),
    PARAM(kOscillator2KeytrackTrigger),
    PARAM(kOscillator2SyncTrigger),
    PARAM(kOscillator1OctaveIndicator),
    PARAM(kOscillator2OctaveIndicator),
    PARAM(kOscillator3OctaveIndicator),
    PARAM(kLFO1ShapeTrigger),
    PARAM(kEnvelope1TriggerTrigger),
    PARAM(kEnvelope2TriggerTrigger),
    PARAM(kEditPage2Switch),
    PARAM(kArpSyncTrigger),
    PARAM(kArpSyncIndicator),
    PARAM(kArpModeTrigger),
    PARAM(kArpOnOffIndicator),
    PARAM(kUserInterfaceSize),
    PARAM(kPatchSearchString),
    PARAM(kPatchSearch),
    PARAM(kViewMIDIFilterSettings),
    PARAM(kDisplayAboutWindow),
    PARAM(kFirstRunExit),
    PARAM(kRandomize),
    PARAM(kDeviceOutSelection),
    PARAM(kDeviceInSelection),
    PARAM(kDataType),
    PARAM(kKeepSelectedBank),
    PARAM(kStorePatchToLib),
    PARAM(kPatchUp),
    PARAM(kPatchDown),
    PARAM(kControlLibrary),
    PARAM(kControlDisplayName),
    PARAM(kControlDisplayValue),
    PARAM(kControlDisplayCC),
    PARAM(kControlDisplayPatch),
    PARAM(kShowLibrarian),
    PARAM(kImportVarnoData),
    PARAM(kPushArrangement),
    PARAM(kCurrentBank),
    PARAM(kRequestFromBank),
    PARAM(kDiscardBankData),
    PARAM(kControlDisplayMIDIOutDelay),
    PARAM(kControlDisplayBuild),
    PARAM(kExitAboutWindow),
    PARAM(kPatchSelectionListUpper),
    PARAM(kPatchSelectionListLower),
    PARAM(kRequestTempData),
    PARAM(kDataSlider),
    PARAM(kMainTab),
    PARAM(kQuickTab),
    PARAM(kGlobalSettings),
    PARAM(kLibrarianArea),
    PARAM(kTimbreLED),
};
#undef PARAM

// The global settings' rows: name, start value and highest value (each
// starts at 0), as the Varno holds them.
struct GlobalSettingRow {
  int index;
  const char* name;
  int defaultValue;
  int maximum;
};
const GlobalSettingRow kGlobalSettingRows[] = {
    {kGlobalStartUpProgram, "Start-up Program", 0, 98},
    {kGlobalMasterTune, "Master Tune", 10, 20},
    {kGlobalControlX, "Control X", 0, 3},
    {kGlobalMidiChannel, "MIDI Channel", 1, 16},
    {kGlobalDeviceID, "Device ID", 0, 15},
};

// The editor's own settings whose handler takes more than 0 and 1, or
// starts from a value other than 0: each gets its range before any control
// is built, so that a value set by the host, a project or a script is held
// whole even where the window gives it no control (a control of the
// description sets the parameter up again).
struct EditorSettingRow {
  int index;
  const char* name;
  int defaultValue;
  int maximum;  // each starts at 0
  const char* group;
};
const EditorSettingRow kEditorSettingRows[] = {
    // Local control: 0 DISABLED, 1 ALLOWED, as the Varno starts.
    {kGlobalLocalControl, "Local Control", 1, 1, "Global"},
    // The handshake wait: 0..3 give 200..500 ms, 4 gives 100 ms.
    {kLibSyncTimer, "Handshake Timer", 0, 4, "Editor"},
    // Half the extra delay of MIDI sent in time with the host's audio, in
    // samples (up to 4096 more samples).
    {kAdjustDAWOffset, "Host Offset", 0, 2048, "Editor"},
};

}  // namespace

void UIConfigManager::initParams() {
  log("CONFIG READER: Started to initialize parameters...");
  for (const ParamName& entry : kParamNames) mapParamToString(entry.name, entry.index);
  initGlobalSettings();
  initEditorSettings();
  log("CONFIG READER: Completed!");
}

void UIConfigManager::initGlobalSettings() {
  if (!plug) return;
  for (const GlobalSettingRow& row : kGlobalSettingRows)
    if (IParam* param = plug->GetParam(row.index))
      param->InitEnum(row.name, row.defaultValue, row.maximum + 1, "", "Global");
}

void UIConfigManager::initEditorSettings() {
  if (!plug) return;
  for (const EditorSettingRow& row : kEditorSettingRows)
    if (IParam* param = plug->GetParam(row.index))
      param->InitInt(row.name, row.defaultValue, 0, row.maximum, "", row.group);
}

void UIConfigManager::mapParamToString(std::string name, int index) {
  if (paramTable.count(name)) {
    log("CONFIG READER: parameter " + name + " ALREADY EXISTS!");
    return;
  }
  paramTable.emplace(name, index);
}

int UIConfigManager::getParamByName(std::string name) {
  const auto found = paramTable.find(name);
  if (found != paramTable.end()) return found->second;
  log("CONFIG READER: parameter " + name + " NOT FOUND!");
  return -1;
}
