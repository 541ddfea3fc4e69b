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
#include <vector>

#include "KIT/IModule/IModuleBase.h"
#include "KIT/IModule/IModuleStructs.h"

class IControl;
class LibrarianPatch;
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
  // With the MIDI ports set: writes the 7-bit checksum into a message of 71
  // bytes or more (F0 first: sum of bytes 4 to count - 3 into count - 2, else
  // bytes 3 to count - 2 into count - 1), frames and sends it, and logs it.
  // Without them: shows "Set MIDI I/O First!" and sends nothing. Null or
  // count below 1 does nothing.
  void checksumCheckAndSend(unsigned char* bytes, int count);
  // Sends the control changes of the sound parameters the dump leaves out.
  void sendMissingCCValues();

  // ---- Hardware jobs: status, progress and settings ---------------------------
  // Shows text in the general status display.
  void setStatusText(const std::string& text);
  // Shows text in the clock status display ("Unable to get DAW Tempo").
  void setClockStatusText(const std::string& text);
  // Shows (true) or hides the progress overlay; hiding also clears the
  // manager's sound-dump flag.
  void DisplayProcessingIndicator(bool show);
  // The handshake wait in milliseconds from kLibSyncTimer: 0, 1, 2, 3 give
  // 200, 300, 400, 500; any other value 100.
  int getTimerValue();
  // The host's tempo in whole BPM as last read; 0 when none is known.
  int getTempoValue();
  // The text at index of the UI configuration's "tempoValues" list; empty
  // when the index lies outside it.
  std::string getTempoValueText(int index);
  // true: ends a sound-dump expectation, empties and arms the library
  // request; false: expects a sound dump and disarms it. Both clear
  // responseReceived and the manager's slot-stored flag.
  void SetLibrarianRequestActive(bool active);
  // true: marks the edited librarian bank unsaved and ends the library
  // request; false does nothing.
  void SetLibrarianStatusUnsaved(bool unsaved);
  // Selects row in one column of the librarian list (0 upper, 1 lower).
  void setLibrarianViewRow(int column, int row);
  // The patches of the bank the column of the librarian list shows (0: the
  // upper list's file bank; 1: the lower list's category, search-result or
  // file bank by the two flags below); null when its bank index lies outside
  // its list. Valid until the library changes on the main thread.
  const std::vector<LibrarianPatch>* librarianBankOfColumn(int column);

  // ---- State -----------------------------------------------------------------
  // Appends the state chunk: the short form (full false) or the full form
  // with the patch-manager block.
  bool SerializeState2(ByteChunk* chunk, bool full);

  // ---- Fields ----------------------------------------------------------------
  // The data folder (a full path ending in a separator); the library puts
  // "Converted Banks" in it beside "Patches".
  std::string dataFolder;
  // The log: on when the log file existed at start-up.
  bool logEnabled = false;
  std::string logFilePath;
  // The bank the bank menus mark as current: its folder name and file name.
  std::string currentBankFolderName;
  std::string currentBankFileName;

  PatchManager* patchManager = nullptr;
  PatchLibrarian* patchLibrarian = nullptr;
  IGraphics* graphics = nullptr;
  MIDIMessageManager* midiManager = nullptr;

  // Flags and values shared between the host's threads, the MIDI input thread
  // and the worker threads: each is written whole by one and polled by others.
  std::atomic<bool> midiOutputOpen{false};        // an external MIDI output is in use
  std::atomic<bool> librarianMode{false};         // program changes act on the librarian
  std::atomic<bool> localControl{true};           // while set, MIDI input is not passed on
  std::atomic<bool> trackIncomingMidi{true};      // the activity indicator follows input
  std::atomic<bool> globalAnswerExpected{false};  // the start-up enquiry was sent
  std::atomic<bool> responseReceived{false};      // an awaited answer arrived
  std::atomic<bool> transferHold{false};          // incoming MIDI is dropped while set
  std::atomic<int> deviceId{0};                   // device ID in use on the wire
  std::atomic<bool> clockOutput{false};           // start and stop bytes are sent
  std::atomic<bool> continuousClock{false};       // the running clock may be sent
  std::atomic<bool> sendGlobalsWithSound{false};  // the sound send sends the globals first
  std::atomic<bool> globalsSent{true};            // the globals went out since the last recall
  std::atomic<bool> lowerShowsCategories{false};  // the lower list shows the category banks
  std::atomic<bool> lowerShowsSearch{false};      // ... else the search-result banks
  std::atomic<bool> librarianRenaming{false};     // the list's rename field holds the name
  std::atomic<int> indicatorLit{0};               // MIDI activity indicator lit (0 or 1)
  std::atomic<uint32_t> indicatorLitTicks{0};     // GetTickCount() when it was lit
  std::array<std::atomic<bool>, kNumMidiFilterKinds> hostFilter{};    // drop host MIDI of a kind
  std::array<std::atomic<bool>, kNumMidiFilterKinds> deviceFilter{};  // drop device MIDI of a kind

  // The randomiser's bytes, one per sound-dump byte; written and read only on
  // the host's main thread.
  std::array<int, 100> randomValues{};
};
