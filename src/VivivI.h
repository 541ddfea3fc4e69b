// The plug-in object of the editor: the parameter names of the whole editor
// and the part of the VivivI class that the synthesizer protocol reads and
// calls. The class owns the patch library, the GUI and the protocol's
// manager; the protocol keeps a pointer back to it.
//
// Contents, in reading order:
//   PARAMETER NAMES        the flat index space of the editor's parameters
//   MIDI FILTER KINDS      the seven per-type filters of each MIDI source
//   VivivI                 fields and operations used by the protocol
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "KIT/IModule/IModuleBase.h"
#include "KIT/IModule/IModuleStructs.h"

class IControl;
class IGraphics;
class MIDIMessageManager;
class PatchLibrarian;
class PatchManager;

// ==== PARAMETER NAMES ========================================================
// Indices 0 to 71 are the synthesizer's sound parameters; the others belong to
// the editor, the librarian, the MIDI filters, the section locks and the
// indicators. The plug-in has kNumParams parameters; kTimbreLED names one
// past the last of them, so no parameter exists under it. Numbers that no
// name carries (130, 176, 187, 188, 191) are parameters without a name.
enum EParams {
  kOscillator1Semitone = 0,
  kOscillator2Semitone = 1,
  kOscillator3Semitone = 2,
  kOscillator1Tune = 3,
  kOscillator2Tune = 4,
  kOscillator3Tune = 5,
  kOscillator1Shape = 6,
  kOscillator2Shape = 7,
  kOscillator3Shape = 8,
  kOscillator1Level = 9,
  kOscillator2Level = 10,
  kOscillator3Level = 11,
  kNoiseLevel = 12,
  kExternalSignalLevel = 13,
  kOscillator1Pulsewidth = 14,
  kOscillator2Pulsewidth = 15,
  kEnvelope1Attack = 16,
  kEnvelope1Decay = 17,
  kEnvelope1Sustain = 18,
  kEnvelope1Release = 19,
  kPanning = 20,
  kMainVolume = 21,
  kPortamento = 22,
  kBreathControl = 23,
  kModWheel = 24,
  kEnvelope2Attack = 25,
  kEnvelope2Decay = 26,
  kEnvelope2Sustain = 27,
  kEnvelope2Release = 28,
  kLFO1Speed = 29,
  kLFO1Shape = 30,
  kLFO2Speed = 31,
  kLFO2Delay = 32,
  kEnvelope1Keytrack = 33,
  kEnvelope1Trigger = 34,
  kEnvelope2Keytrack = 35,
  kEnvelope2Trigger = 36,
  kOscillator2Keytrack = 37,
  kOscillator2Sync = 38,
  kFilterCutoff = 39,
  kFilterCutoffKeytrack = 40,
  kFilterCutoffEnv1Sens = 41,
  kFilterCutoffVeloSens = 42,
  kFilterCutoffModSource = 43,
  kFilterCutoffModAmount = 44,
  kFilterResonance = 45,
  kVolume = 46,
  kVolumeVeloSense = 47,
  kPitchModSource = 48,
  kPitchModAmount = 49,
  kPortamentoMode = 50,
  kPitchBendScale = 51,
  kSustainSwitch = 52,
  kArpOnOff = 53,
  kArpRange = 54,
  kArpTempo = 55,
  kArpClock = 56,
  kArpMode = 57,
  kModUnit1Source = 58,
  kModUnit1Amount = 59,
  kModUnit1Destination = 60,
  kModUnit2Source = 61,
  kModUnit2Amount = 62,
  kModUnit2Destination = 63,
  kModUnit3Source = 64,
  kModUnit3Amount = 65,
  kModUnit3Destination = 66,
  kModUnit4Source = 67,
  kModUnit4Amount = 68,
  kModUnit4Destination = 69,
  kCV2ModAmount = 70,
  kCV2ModSource = 71,
  kNumAutomatedParams = 72,
  kPatchFileDialog = 72,
  kOverrideTempo = 73,
  kGlobalMidiChannel = 74,
  kGlobalLocalControl = 75,
  kBankSelection = 76,
  kPatchSelection = 77,
  kPatchName = 78,
  kPatchNameView = 79,
  kRefreshFolders = 80,
  kLibSyncTimer = 81,
  kPartLock = 82,
  kSectionLockOsc1 = 83,
  kSectionLockOsc2 = 84,
  kSectionLockOsc3 = 85,
  kSectionLockMixer = 86,
  kSectionLockPitchMod = 87,
  kSectionLockPorta = 88,
  kSectionLockFilter = 89,
  kSectionLockEg1 = 90,
  kSectionLockEg2 = 91,
  kSectionLockAmp = 92,
  kSectionLockLFO1 = 93,
  kSectionLockLFO2 = 94,
  kSectionLockVP = 95,
  kSectionLockArp = 96,
  kPatchRename = 97,
  kMIDILed = 98,
  kMIDIFilterDAWCCPassThrough = 99,
  kMIDIFilterDAWPCPassThrough = 100,
  kMIDIFilterDAWNotePassThrough = 101,
  kMIDIFilterDAWPPPassThrough = 102,
  kMIDIFilterDAWPAPassThrough = 103,
  kMIDIFilterDAWCAPassThrough = 104,
  kMIDIFilterDAWSEPassThrough = 105,
  kMIDIFilterHWCCPassThrough = 106,
  kMIDIFilterHWPCPassThrough = 107,
  kMIDIFilterHWNotePassThrough = 108,
  kMIDIFilterHWPPPassThrough = 109,
  kMIDIFilterHWPAPassThrough = 110,
  kMIDIFilterHWCAPassThrough = 111,
  kMIDIFilterHWSEPassThrough = 112,
  kMIDIFilterTrackIncomingMIDI = 113,
  kMIDIFilterDirectToHardware = 114,
  kMIDIFilterToDAWBuffer = 115,
  kSendMIDIClockPointer = 116,
  kSendMIDIClockInfo = 117,
  kLibUpperNextBank = 118,
  kLibUpperPreviousBank = 119,
  kLibLowerNextBank = 120,
  kLibLowerPreviousBank = 121,
  kBankEditUnsaved = 122,
  kCurrentOpenPatternBankL = 123,
  kCurrentOpenPatchBankL = 124,
  kCurrentOpenPerfBankL = 125,
  kCurrentOpenPatternBankR = 126,
  kCurrentOpenPatchBankR = 127,
  kCurrentOpenPerfBankR = 128,
  kAdjustDAWOffset = 129,
  kGlobalStartUpProgram = 131,
  kGlobalMasterTune = 132,
  kGlobalControlX = 133,
  kGlobalDeviceID = 134,
  kCurrentPatch = 135,
  kCategoryName = 136,
  kTempoInformation = 137,
  kOverwriteBank = 138,
  kControlDisplayLibCategory = 139,
  kControlDisplayCategory = 140,
  kCategorySelection = 141,
  kOscillator1WaveTrigger = 142,
  kOscillator2WaveTrigger = 143,
  kOscillator3WaveTrigger = 144,
  kOscillator2KeytrackTrigger = 145,
  kOscillator2SyncTrigger = 146,
  kOscillator1OctaveIndicator = 147,
  kOscillator2OctaveIndicator = 148,
  kOscillator3OctaveIndicator = 149,
  kLFO1ShapeTrigger = 150,
  kEnvelope1TriggerTrigger = 151,
  kEnvelope2TriggerTrigger = 152,
  kEditPage2Switch = 153,
  kArpSyncTrigger = 154,
  kArpSyncIndicator = 155,
  kArpModeTrigger = 156,
  kArpOnOffIndicator = 157,
  kUserInterfaceSize = 158,
  kPatchSearchString = 159,
  kPatchSearch = 160,
  kViewMIDIFilterSettings = 161,
  kDisplayAboutWindow = 162,
  kFirstRunExit = 163,
  kRandomize = 164,
  kDeviceOutSelection = 165,
  kDeviceInSelection = 166,
  kDataType = 167,
  kKeepSelectedBank = 168,
  kStorePatchToLib = 169,
  kPatchUp = 170,
  kPatchDown = 171,
  kControlLibrary = 172,
  kControlDisplayName = 173,
  kControlDisplayValue = 174,
  kControlDisplayCC = 175,
  kControlDisplayPatch = 177,
  kShowLibrarian = 178,
  kImportVarnoData = 179,
  kPushArrangement = 180,
  kCurrentBank = 181,
  kRequestFromBank = 182,
  kDiscardBankData = 183,
  kControlDisplayMIDIOutDelay = 184,
  kControlDisplayBuild = 185,
  kExitAboutWindow = 186,
  kPatchSelectionListUpper = 189,
  kPatchSelectionListLower = 190,
  kRequestTempData = 192,
  kDataSlider = 193,
  kMainTab = 194,
  kQuickTab = 195,
  kGlobalSettings = 196,
  kLibrarianArea = 197,
  kTimbreLED = 198
};

// Number of parameters the plug-in creates (indices 0 to kNumParams - 1).
constexpr int kNumParams = 198;

// ==== MIDI FILTER KINDS ======================================================
// One filter flag per message kind and source; a set flag drops that kind.
// The order is the order of the filter parameters (CC, PC, Note, PP, PA, CA,
// SE): pitch bend, poly pressure (aftertouch), channel pressure.
enum EMidiFilterKind {
  kFilterControlChange = 0,
  kFilterProgramChange,
  kFilterNotes,
  kFilterPitchBend,
  kFilterPolyPressure,
  kFilterChannelPressure,
  kFilterSysEx,
  kNumMidiFilterKinds
};

// ==== VivivI =================================================================

class VivivI : public IModuleBase {
public:
  explicit VivivI(IModuleInstanceInfo info);
  ~VivivI() override;

  // ---- Hooks -----------------------------------------------------------------
  // kMainTab refreshes the editor's main tab; the others are the editor's
  // parameter handlers.
  void OnParamChange(int index) override;
  // The hardware change handler: runs for values the synthesizer reported.
  void OnParamChange2(int index) override;
  // Gate in front of MIDIMessageManager::ProcessSysEx; raises responseReceived
  // when the manager reports an answer.
  void ProcessSysEx(ISysEx* sysex, bool fromDevice) override;

  // ---- Control lookups (filled by the UI configuration) ----------------------
  // The control filed under four SysEx template bytes and a value index, or
  // null when none is.
  IControl* getSysexControl(int byte1, int byte2, int byte3, int byte4, int valueIndex);
  // The control filed under channel key, controller number and table (0, 1
  // or 2), or null when none is.
  IControl* getCCControls(int channelKey, int controller, int table);

  // ---- Librarian glue --------------------------------------------------------
  // Shows the text in the editor's category display.
  void displayCategoryName(std::string name);
  // Marks the librarian list for redrawing.
  void setLibrarianViewDirty();
  // The librarian list's upper column (0), lower column (1) or both (2)
  // changed; any other value does nothing.
  void updatePatchLibrarianView(int which);
  // Writes row into the selected row of both columns of the librarian list
  // (a program change selects that program in the librarian).
  void selectLibrarianViewRow(int row);
  // The librarian list's active column: 0 upper, 1 lower.
  int getLibrarianViewColumn();

  // ---- MIDI out --------------------------------------------------------------
  // Posts the job that sends the patch of that slot of the column's bank.
  void sendPatchToDeviceFromLibrarian(int slot, int column);
  // Sends a program change (program limited to 99) on the synthesizer's channel
  // when an output is open, then waits the librarian handshake time.
  void SendProgramChangeCommand(int program, int argument);
  // Sends a short message at once, or queues it for the audio thread.
  void MIDIOutRoutingSwitch(IMidiMsg* msg);

  // ---- Fields ----------------------------------------------------------------
  PatchManager* patchManager = nullptr;
  PatchLibrarian* patchLibrarian = nullptr;
  IGraphics* graphics = nullptr;
  MIDIMessageManager* midiManager = nullptr;

  // Flags and values shared between the host's threads, the MIDI input thread
  // and the worker threads: each is written whole by one and polled by others.
  std::atomic<bool> midiOutputOpen{false};      // an external MIDI output is in use
  std::atomic<bool> librarianMode{false};       // program changes act on the librarian
  std::atomic<bool> localControl{true};         // while set, MIDI input is not passed on
  std::atomic<bool> trackIncomingMidi{true};    // the activity indicator follows input
  std::atomic<bool> globalAnswerExpected{false};  // the start-up enquiry was sent
  std::atomic<bool> responseReceived{false};    // an awaited answer arrived
  std::atomic<bool> transferHold{false};        // incoming MIDI is dropped while set
  std::atomic<int> deviceId{0};                 // device ID in use on the wire
  std::atomic<int> indicatorLit{0};             // MIDI activity indicator lit (0 or 1)
  std::atomic<uint32_t> indicatorLitTicks{0};   // GetTickCount() when it was lit
  std::array<std::atomic<bool>, kNumMidiFilterKinds> hostFilter{};    // drop host MIDI of a kind
  std::array<std::atomic<bool>, kNumMidiFilterKinds> deviceFilter{};  // drop device MIDI of a kind

  // The randomiser's bytes, one per sound-dump byte; written and read only on
  // the host's main thread.
  std::array<int, 100> randomValues{};
};
