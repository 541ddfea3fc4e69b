// The plug-in object of the editor: the VivivI class, which implements the
// services the core asks of the editor (src/EditorServices.h) and owns the
// patch snapshot, the patch library, the window, the UI builder and the
// protocol's manager. The parameter names are in src/EditorParams.h.
//
// Contents, in reading order:
//   VivivI                 the plug-in, by file:
//     VivivI.cpp                  MakePlug, start-up, data folder, settings,
//                                 help, teardown
//     VivivIParamChanges.cpp      OnParamChange, OnParamChange2, ControlDisplay
//     VivivIProcessControlAction.cpp  processControlAction
//     VivivITotalRecall.cpp       TabSwitchFunctions (and the state chunk)
//     VivivIControlLookups.cpp    lookups for incoming MIDI
//     VivivIMidiOut.cpp           MIDI output routing and device messages
//     VivivIMidiIn.cpp            incoming MIDI and SysEx
//     VivivIAudioThread.cpp       Reset and the render call
//     VivivILibrarian.cpp         librarian glue called by the protocol
//     VivivILibrarianMenus.cpp    the slot and copy menus of a right click
//   ControlDisplay, TabSwitchFunctions   stateless helpers of the plug-in
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "KIT/IModule/IGraphicsStructs.h"
#include "KIT/IModule/IMidiQueue.h"
#include "KIT/IModule/IModuleAU.h"
#include "KIT/IModule/IModuleBase.h"
#include "KIT/IModule/IModuleStructs.h"
#include "src/EditorParams.h"
#include "src/EditorServices.h"

class ControlAction;
class ControlLayer;
class IControl;
class IGraphicsMac;
class LibrarianViewControl;
class ProgressIndicator;
class UIConfigManager;
class LibrarianPatch;
class PatchList;
class IGraphics;
class MIDIMessageManager;
class PatchLibrarian;
class PatchManager;

// The texts of the editor's identity.
extern const char* const kVivivIBundleID;    // "com.Harrow Creek Sound.audiounit.VivivI Editor"
extern const char* const kVivivIEffectName;  // "VivivI Editor"

// A window for the plug-in, of that size, whose resources come from the
// editor's bundle. fps 0 or less selects the GUI's default.
IGraphicsMac* MakeGraphics(IModuleAU* plug, int width, int height, int fps);

class VivivI : public EditorServices {
 public:
  explicit VivivI(IModuleInstanceInfo info);
  ~VivivI() override;

  // ---- Hooks -----------------------------------------------------------------
  // The user's change handler: every parameter change from the GUI, the host
  // or the editor itself (VivivIParamChanges.cpp).
  void OnParamChange(int index) override;
  // The hardware change handler: runs for values the synthesizer reported;
  // shows and moves the controls, sends nothing back.
  void OnParamChange2(int index) override;
  // The slot rename's field dropped (Escape): the rename closes, the slot
  // keeps its name.
  void OnTextEntryDropped(int index) override;
  // Work on controls and layers runs on the GUI thread: at once there (or
  // without a GUI), else handed to the GUI's next tick in order.
  void onGUIThread(std::function<void()> work);
  // Shows (false) or hides (true) a layer on the GUI thread; null does nothing.
  void switchLayer(ControlLayer* layer, bool hide);
  // On the GUI thread: the group's zone id becomes v, its sub-layer of id v
  // is shown and every other one hidden. Null does nothing.
  void switchLayerGroup(ControlLayer* group, int v);
  // Sets a parameter from a value in its own units, its controls following,
  // without a change handler (any thread).
  void setParameterNoHandler(int index, double value) override;
  // The controls of the indicator lamps (the octave, arpeggiator sync and
  // MIDI activity LEDs) take no mouse: a lamp shows what the synthesizer
  // holds or does and is changed only by that. Called once the window is
  // built.
  void makeIndicatorLamps();
  // On the GUI thread: the arpeggiator's tempo knob grayed while the host's
  // tempo rules (kOverrideTempo on), so that it shows it is not the user's to
  // turn, and ungrayed otherwise.
  void showArpTempoRule();
  // The text whose search result the lower list shows; empty while none is.
  std::string shownSearchText;
  // Gate in front of MIDIMessageManager::ProcessSysEx; raises responseReceived
  // when the manager reports an answer.
  void ProcessSysEx(ISysEx* sysex, bool fromDevice) override;
  // The MIDI server or a port went away, or messages were dropped: said in
  // the status line and the log; a lost port's choice goes to "OFF", closing
  // it as a user's choice would, so that choosing it again opens it anew
  // (VivivIMidiIn.cpp).
  void OnExternalMIDIPortEvent(EMidiPortEvent event, const std::string& detail) override;

  // ---- Start-up helpers (VivivI.cpp) -----------------------------------------
  // A bank file name as a bank list shows it: fewer than 50 characters
  // unchanged, else cut with "~." and the lower-cased extension so that it
  // never exceeds 49 characters.
  static std::string shortBankName(const std::string& name);
  // A librarian menu's rectangle: its design rectangle with each coordinate
  // multiplied by scale and truncated toward zero.
  static IRECT librarianMenuRect(int menu, double scale);

  // ---- Data folder, settings, help (VivivI.cpp) ------------------------------
  // The data folder: $VIVIVI_DATA_DIR, else $XDG_DATA_HOME (or
  // ~/.local/share) + "/Harrow Creek Sound/Tarnwel VivivI Editor/"; ends in "/".
  static std::string getDataFolder();
  // The data folder + "Patches" (no trailing separator).
  std::string getPatchesFolderStr() const;
  int getPatchesFolderLength() const;
  // "Timbre " + (n + 1) + " " + text; valid until the next call.
  const char* getPanelString(int n, const std::string& text);
  // Reads the settings file into settingsLines and derives guiScale and
  // colourScheme; a missing file, or anything but a regular file (opened
  // without waiting), keeps the defaults.
  void readSettingsFile();
  // Whether the settings file is there to be read and rewritten: a regular
  // file that opens for reading (a pipe or a device under its name is not).
  bool settingsFileReadable() const;
  // Rewrites the settings file with its five lines; false (nothing written)
  // when the file does not exist or is not a regular file.
  bool writeSettingsFile();
  // Opens the data folder (false) or the user manual in it (true).
  void OpenDataDirectory(bool manual) override;
  // Opens the support-ticket (0), downloads (1) or help-articles (2) page;
  // any other topic does nothing.
  void OpenHelpTopics(int topic) override;
  // The web address of a help topic; empty for an unknown topic.
  static std::string helpTopicURL(int topic);
  // Appends one line to the log when logging is on.
  void log(const std::string& text);

  // ---- Sound-parameter change path (VivivIProcessControlAction.cpp) ----------
  // Carries out a mapped parameter's change: shows, moves the bound controls
  // and sends (not while changeFromHardware is set).
  void processControlAction(ControlAction* action, int index, double value);

  // ---- Value display (VivivIParamChanges.cpp) --------------------------------
  // The value as "%.0f".
  static std::string getValueString(double value);

  // ---- Layers and controls found at start-up ---------------------------------
  // The layer of that name in the UI configuration, or null (logged once at
  // start-up when missing).
  ControlLayer* layerNamed(const std::string& name) const;
  // Shows (false) or hides (true) a layer; null does nothing.
  // The first control bound to the parameter, or null.
  IControl* firstControlOf(int paramIndex) const;
  // Writes text into a display line (the first control bound to the
  // parameter, a text control); nothing when there is none. Off the GUI's
  // thread the text reaches the control through the GUI's hand-off.
  void setDisplayText(int paramIndex, const std::string& text) override;

  // ---- Control lookups for incoming MIDI (VivivIControlLookups.cpp) ----------
  // The control filed under four SysEx template bytes and a value index, or
  // null when none is.
  IControl* getSysexControl(int byte1, int byte2, int byte3, int byte4, int valueIndex) override;
  // The control filed under the five keys of an MSB/LSB mapping, or null.
  IControl* getMsbLsbControl(int channelKey, int msb, int offset, int lsb, int table);
  // The control filed under channel key, controller number and table (0, 1
  // or 2), or null when none is.
  IControl* getCCControls(int channelKey, int controller, int table) override;
  // A small store of ints under three keys: 0 for keys never stored.
  int getProgramValueByParts(int a, int b, int c) const;
  void setProgramValueByParts(int a, int b, int c, int value);

  // ---- Librarian glue --------------------------------------------------------
  // Shows the text in the editor's category display.
  void displayCategoryName(std::string name) override;
  // Shows the patch name in the editor's name field.
  void displayPatchName(std::string name);
  // Shows the category of that slot of the column's bank in the librarian's
  // category display.
  void DisplayLibrarianPatchCategory(int slot, int column) override;
  // Marks the librarian list for redrawing.
  void setLibrarianViewDirty() override;
  // The librarian list's upper column (0), lower column (1) or both (2)
  // changed and is reloaded (on the GUI thread); any other value does
  // nothing.
  void updatePatchLibrarianView(int which) override;
  // Writes row into the selected row of both columns of the librarian list
  // and its current row (a program change selects that program in the
  // librarian). Any thread.
  void selectLibrarianViewRow(int row) override;
  // The row the librarian list's arrow keys move from. Any thread.
  void setLibrarianViewCurrentRow(int row);
  // The librarian list's active column: 0 upper, 1 lower.
  int getLibrarianViewColumn() override;

  // ---- Librarian glue, menus, transfers and import (VivivILibrarian.cpp) -----
  // Rebuilds the bank menus of both lists and the bank-name menu, then
  // reloads both columns.
  void refreshPopUpMenus();
  // Writes the three texts into the status, value and CC lines.
  void displayText(std::string name, std::string value, std::string cc);
  // The slot list's right click: shows the slot menu (a row of the upper
  // list) or the copy menu (anywhere else) at the point and carries the
  // choice out; the menu lives only for that popup. 1 when an item was
  // chosen, else 0.
  int showFileEditMenu(int x, int y) override;
  int showFileCopyMenu(int x, int y) override;
  // The slot or copy menu while its popup runs (IControl: FileEditPopupMenu,
  // FileCopyPopupMenu); null otherwise.
  IControl* fileEditMenu = nullptr;
  IControl* fileCopyMenu = nullptr;
  // Brings the program and bank menus in line with the current bank.
  void updateBankAndProgramMenuNames(bool keepBankMenu) override;
  // The lower list's kind changed (type 0 files, 1 categories, 4 search);
  // reload rescans the library first. The first argument is not used.
  void patchTypeChanged(int unused, int type, bool reload);
  void ResetPatchSelectionMenus();
  void SendSingleProgramFromLibrarian(bool unused) override;
  void SendAllProgramsFromLibrarian() override;
  void storeAllPatchesToDeviceFromLibrarian(int column, int start);
  void saveImportedFile(bool smf) override;
  void ImportSingleVarnoPatches(bool older) override;
  int ReadSysExDataFromPackage(ByteChunk* image, int& pos, std::string fileName, bool older);
  void SetCategoryForLibrarianPatch(int category) override;

  // ---- MIDI out (VivivIMidiOut.cpp) ------------------------------------------
  // Sends one channel message now through the external output and lights
  // the activity indicator.
  void sendMidiMsgAndLog(IMidiMsg* msg);
  // Posts the device-ID enquiry job.
  void sendSysExInitialization();
  // Controller 123 on the device channel.
  void AllSoundsOff();
  // Bank select and program change for kCurrentPatch; false when no output
  // is open.
  bool BankChangeMessage() override;
  // Posts the send-sound job when the editor's sound differs from the
  // synthesizer's. The argument is not used.
  void sendPartDataBackToHardware(int unused);
  // Sets sendGlobalsWithSound to b and clears transferHold.
  void sendPatchAndPatternToDevice(int unused1, bool unused2, bool b, bool unused3, bool unused4);
  // Posts the job that sends the patch of that slot of the column's bank.
  void sendPatchToDeviceFromLibrarian(int slot, int column) override;
  // Sends a program change (program limited to 99) on the synthesizer's channel
  // when an output is open, then waits the librarian handshake time.
  void SendProgramChangeCommand(int program, int argument) override;
  // Sends a short message at once, or queues it for the audio thread.
  void MIDIOutRoutingSwitch(IMidiMsg* msg) override;
  // With the MIDI ports set: writes the 7-bit checksum into a message of 71
  // bytes or more (F0 first: sum of bytes 4 to count - 3 into count - 2, else
  // bytes 3 to count - 2 into count - 1), frames and sends it, and logs it.
  // Without them: shows "Set MIDI I/O First!" and sends nothing. Null or
  // count below 1 does nothing.
  void checksumCheckAndSend(unsigned char* bytes, int count) override;
  // Sends the control changes of the sound parameters the dump leaves out;
  // a parameter without a mapped controller is skipped.
  void sendMissingCCValues() override;
  // The device channel (0 to 15): kGlobalMidiChannel - 1, 0 when that is not
  // above 0.
  int deviceChannel() const;
  // A program number as a program change carries it: limited to 0 to 99.
  static int programByte(int program);
  // Lights the MIDI activity indicator when a GUI is attached and it is
  // dark; the audio thread puts it out again.
  void lightActivityIndicator();

  // Channel messages waiting for the audio thread (filled by any thread,
  // drained by the render thread).
  IMidiQueue midiQueue;
  // The copy of the patch that the librarian send job reads; replaced only
  // while the data thread is idle.
  std::shared_ptr<const LibrarianPatch> librarianSendPatch;

  // ---- MIDI in and the audio thread (VivivIMidiIn.cpp, VivivIAudioThread.cpp)
  // Gate in front of the manager for channel messages of either source:
  // dropped while transferHold or a requested sound dump is awaited, and
  // when not a channel message.
  void ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) override;
  // Under the plug's lock: takes the sample rate, sizes the queue for the
  // block size, arms one all-notes-off and resets the displays.
  void Reset() override;
  // The render call: transport edges, the clock jobs, tempo sync, queued
  // MIDI, the all-notes-off after a reset and the activity indicator.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // Posts a clock job (11, 12 or 13) on its thread; dropped when busy.
  void postClockJob(int jobCode);
  // Clock start and stop on the transport's edges (direct route only).
  void followTransport(bool running);
  // While kOverrideTempo is 1: kArpTempo follows the host tempo.
  void syncArpTempo();
  // Puts the activity indicator out.
  void putIndicatorOut();
  // The MIDI out delay display: the milliseconds that frames take at the
  // sample rate (truncated), "ms|", the block size, "bfr"; empty for a
  // sample rate that is not above 0.
  static std::string midiOutDelayText(double sampleRate, int frames, int blockSize);

  std::atomic<double> sampleRate{44100.0};  // the base's sample rate as Reset last took it
  std::atomic<bool> resetPending{false};    // all notes off is owed since the last Reset

  // ---- Hardware jobs: status, progress and settings ---------------------------
  // Shows text in the general status display.
  void setStatusText(const std::string& text) override;
  // Shows text in the clock status display ("Unable to get DAW Tempo").
  void setClockStatusText(const std::string& text) override;
  // Shows (true) or hides the progress overlay; hiding also clears the
  // manager's sound-dump flag.
  void DisplayProcessingIndicator(bool show) override;
  // The handshake wait in milliseconds from kLibSyncTimer: 0, 1, 2, 3 give
  // 200, 300, 400, 500; any other value 100.
  int getTimerValue() override;
  // Sleeps for milliseconds without the plug's lock: a caller that holds it
  // (at any depth) lets it go for the pause and takes it back after, so
  // that the MIDI input, the jobs and the GUI are not held up meanwhile, and
  // an answer the pause waits for can arrive (VivivIMidiOut.cpp).
  void pauseWithoutLock(int milliseconds) override;
  // The host's tempo in whole BPM as last read; 0 when none is known.
  int getTempoValue() override;
  // The text at index of the UI configuration's "tempoValues" list; empty
  // when the index lies outside it.
  std::string getTempoValueText(int index) override;
  // true: ends a sound-dump expectation, empties and arms the library
  // request; false: expects a sound dump and disarms it. Both clear
  // responseReceived and the manager's slot-stored flag.
  void SetLibrarianRequestActive(bool active) override;
  // true: marks the edited librarian bank unsaved and ends the library
  // request; false does nothing.
  void SetLibrarianStatusUnsaved(bool unsaved) override;
  // Selects row in one column of the librarian list (0 upper, 1 lower).
  void setLibrarianViewRow(int column, int row) override;
  // The patches of the bank the column of the librarian list shows (0: the
  // upper list's file bank; 1: the lower list's category, search-result or
  // file bank by the two flags below); null when its bank index lies outside
  // its list. Valid until the library changes on the main thread.
  const PatchList* librarianBankOfColumn(int column) override;
  // Whether the library has a bank being edited for received patches and
  // saves to land in. When it has none, the status and value lines say what
  // to do (the library holds no bank at all, or none is chosen) and the
  // caller leaves its action out.
  bool editedBankReady() override;

  // ---- State (VivivITotalRecall.cpp) -----------------------------------------
  // The host's project state: the full form of the chunk below.
  bool SerializeState(ByteChunk* chunk) override;
  int UnserializeState(ByteChunk* chunk, int startPos) override;
  // Appends the state chunk: the short form (full false: version word and
  // parameters 0 to 136) or the full form with the patch-manager block, the
  // port and selection values in between.
  bool SerializeState2(ByteChunk* chunk, bool full) override;
  // Reads a chunk written by SerializeState2; returns the position behind it,
  // or -1 when it ended early or its patch-manager block is damaged (the
  // snapshot and names then keep their old values and nothing further is
  // read). The full form reopens the MIDI ports by name and sends the
  // recalled sound when an output opened.
  int UnserializeState2(ByteChunk* chunk, int startPos, bool full);

  // ---- Owned objects ---------------------------------------------------------
  // The destructor ends them, and the library and the manager it holds as
  // the core's services, in its own order (threads before what they use).
  std::unique_ptr<PatchManager> patchManager;
  std::unique_ptr<UIConfigManager> uiConfig;
  ProgressIndicator* progressIndicator = nullptr;  // on the "PROGRESS" layer
  ControlLayer* progressLayer = nullptr;           // attached to the GUI at the end of start-up
  std::array<IControl*, 2> cancelButtons{};        // "Cancel Data Request" on the "PROGRESS" layer

  // ---- Layers and controls kept at start-up (owned by the GUI) --------------
  // The librarian menus' layers and their menu controls (IPopupMenuControl.h,
  // IPopupMenuProgSelector.h), one per ELibrarianMenu.
  std::array<ControlLayer*, kNumLibrarianMenus> librarianMenuLayers{};
  std::array<IControl*, kNumLibrarianMenus> librarianMenus{};
  std::array<IRECT, kNumLibrarianMenus> librarianMenuRects{};  // at the GUI scale
  // The named layers of the UI description, null when it lacks one.
  ControlLayer* arpTempoKnobLayer = nullptr;        // "arpTempoKnob"
  ControlLayer* arpTempoSyncLayer = nullptr;        // "arpTempoSync"
  ControlLayer* arpeggiatorLayer = nullptr;         // "arpeggiator"
  ControlLayer* crossModIndicatorLayer = nullptr;   // "crossModIndicator"
  ControlLayer* envelopesLayer = nullptr;           // "envelopes"
  ControlLayer* globalSettingsLayer = nullptr;      // "globalSettings"
  ControlLayer* miniMixerLayer = nullptr;           // "miniMixer"
  ControlLayer* rootLayer = nullptr;                // "root": one page per main tab
  ControlLayer* multiModeMixerLayer = nullptr;      // "multiModeMixer"
  ControlLayer* syncIndicatorLayer = nullptr;       // "syncIndicator"
  ControlLayer* discardChangesLayer = nullptr;      // "discardChangesLayerRight"
  ControlLayer* firstRunLayer = nullptr;            // "firstRunNotification"
  ControlLayer* midiFilterSettingsLayer = nullptr;  // "midiFilterSettings"
  ControlLayer* categoryLimitLayer = nullptr;       // "categoryLimit"
  ControlLayer* searchFieldLayer = nullptr;         // "searchField"
  // The first control bound to each of these parameters.
  IControl* randomizeControl = nullptr;    // kRandomize
  IControl* patchSearchControl = nullptr;  // kPatchSearch
  IControl* statusLineControl = nullptr;   // kControlDisplayName
  IControl* valueLineControl = nullptr;    // kControlDisplayValue
  IControl* ccLineControl = nullptr;       // kControlDisplayCC
  // The MIDI filter and clock switches (kMIDIFilterDAWCCPassThrough to
  // kSendMIDIClockInfo), in parameter order.
  std::array<IControl*, kSendMIDIClockInfo - kMIDIFilterDAWCCPassThrough + 1> filterControls{};

  // ---- Files and settings ----------------------------------------------------
  std::string settingsFilePath;
  // Colour, size, first-run state and two spare lines, as read and written.
  std::array<std::string, 5> settingsLines;
  double guiScale = kGuiScaleNormal;
  int colourScheme = 0;  // 0 normal, 1 black

  // ---- State of the main thread ----------------------------------------------
  int currentProgram = 0;  // the program last selected on the synthesizer
  int tabContext = 0;      // handed to the tab switch, which does not read it
  std::array<int, 16> partProgram{};

 private:
  friend class ControlDisplay;
  friend class TabSwitchFunctions;
  // The render thread's own state (VivivIAudioThread.cpp).
  ITimeInfo timeInfo;                     // the host transport as last read (render thread)
  std::atomic<bool> clockStarted{false};  // the clock-start job was posted for the running transport
  std::atomic<bool> tempoSynced{false};   // the host tempo has been applied to kArpTempo
  std::vector<IMidiMsg> dueMessages;      // the render thread's messages of one pass
  // Guards librarianSendPatch.
  std::mutex librarianSendMutex;
  // The selected ports' indices in the port name lists (0 = "OFF").
  int midiInIndex = 0;
  int midiOutIndex = 0;
  // A named layer of the UI description, null when it lacks it.
  ControlLayer* patchLibrarianLayer = nullptr;  // "patchLibrarian"
  // The first control bound to each of these parameters.
  IControl* deviceOutControl = nullptr;        // kDeviceOutSelection
  IControl* deviceInControl = nullptr;         // kDeviceInSelection
  IControl* patchNameControl = nullptr;        // kPatchName
  IControl* categoryDisplayControl = nullptr;  // kControlDisplayCategory
  IControl* midiOutDelayControl = nullptr;     // kControlDisplayMIDIOutDelay
  IControl* libCategoryControl = nullptr;      // kControlDisplayLibCategory
  IControl* controlLibraryControl = nullptr;   // kControlLibrary
  IControl* showLibrarianControl = nullptr;    // kShowLibrarian
  // The actions of two parameters the change handlers read.
  ControlAction* mainTabAction = nullptr;        // of kMainTab
  ControlAction* overrideTempoAction = nullptr;  // of kOverrideTempo
  // getPanelString's text and the parts' banks.
  std::string panelString;
  std::array<int, 16> partBank{};
  // The program-value store: three keys to a value.
  std::map<int, std::map<int, std::map<int, int>>> mProgramValues;
};

// ==== ControlDisplay ==========================================================
// The status and value lines after a parameter change (VivivIParamChanges.cpp).
class ControlDisplay {
 public:
  // Writes the parameter's name and value text into the two lines and clears
  // the CC line (the change's own MIDI mapping writes it again); transport
  // is the host transport's running flag (a nameless parameter shows nothing
  // while it plays). The editor's own switches and buttons show words: a
  // button's release (value 0) changes no line, a button shows what it
  // starts, a switch "ON" or "OFF", a MIDI filter whether the kind of message
  // is passed on; an overlay's switch names it when it opens and clears the
  // lines when it closes.
  static void controlDisplay(VivivI* plug, int index, double value, bool transport);
  // The status line's name of an editor parameter whose own name is a
  // label of its panel ("Host PC"), or null: the parameter's own name.
  static const char* statusNameOf(int index);
  // The value text of the value line for parameter index at integer value v;
  // *alone is set when the text is shown without the bracketed value.
  static std::string valueText(VivivI* plug, int index, int v, bool* alone);
  // The value as "%.0f".
  static std::string getValueString(double value);
};

// ==== TabSwitchFunctions =====================================================
// Puts the window into the state of a main tab (VivivITotalRecall.cpp).
class TabSwitchFunctions {
 public:
  static void mainTabSwitch(VivivI* plug, int index, int tab, int context);
};
