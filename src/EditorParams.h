// The editor's parameter space and the constants the core shares with the
// plug-in: parameter names, MIDI filter kinds, GUI scales and the window's
// size, and the librarian's popup menus.
//
// Contents, in reading order:
//   PARAMETER NAMES        the flat index space of the editor's parameters
//   MIDI FILTER KINDS      the seven per-type filters of each MIDI source
//   WINDOW                 GUI scales and the window's design size
//   LIBRARIAN MENUS        the eight popup menus of the librarian
#pragma once

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

// ==== WINDOW ================================================================
// The GUI scales: the window and every design coordinate are multiplied by
// one of these and truncated toward zero.
constexpr double kGuiScaleSmall = 0.75;
constexpr double kGuiScaleNormal = 1.0;
constexpr double kGuiScaleLarge = 1.25;
// The window at the normal size, in design pixels.
constexpr int kEditorWidth = 1500;
constexpr int kEditorHeight = 667;

// ==== LIBRARIAN MENUS =======================================================
// The librarian's eight popup menus: their layers, made at start-up, hidden
// until the tab switch and the parameter handlers show them.
enum ELibrarianMenu {
  kMenuLeftPatch = 0,  // "LeftPatchPopupMenu" (id 70)
  kMenuRightPatch,     // "RightPatchPopupMenu" (id 71)
  kMenuBankEdit,       // "BANKEDITMENU" (id 74)
  kMenuRightCategory,  // "RightPatchPopupMenu" (id 75)
  kMenuProgramNumber,  // "PROGRAMNUMBERMENU" (id 76)
  kMenuBankNumber,     // "BANKNUMBERMENUPROGRAMS" (id 77)
  kMenuRightSearch,    // "RightSearchPopupMenu" (id 78)
  kMenuProgBankName,   // "PROGBANKNAMEMENUPROGRAMS" (id 80)
  kNumLibrarianMenus
};
