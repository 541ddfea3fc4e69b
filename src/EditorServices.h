// What the product's core (the protocol, the library, the UI builder and the
// librarian's menus and list) asks of the editor it serves. The plug-in
// object implements it; the core holds an EditorServices* and never the
// plug-in's own class, so that the core links and is tested without it.
//
// Contents, in reading order:
//   EditorFlags            the flags and values shared between threads
//   EditorServices         the plug-in as the core sees it:
//     status and progress texts
//     parameter reads and writes, tempo and the handshake wait
//     sends to the synthesizer
//     the librarian's list, banks, menus and files
//     control lookups for incoming MIDI
//     the editor's objects, layers, controls and names the core reads
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "KIT/IModule/IModuleAU.h"
#include "src/EditorParams.h"

class ControlLayer;
class IControl;
class IGraphics;
class LibrarianViewControl;
class MIDIMessageManager;
class PatchLibrarian;
class PatchList;

// ==== EditorFlags =============================================================
// Flags and values shared between the host's threads, the MIDI input thread,
// the audio thread and the worker threads: each is written whole and polled
// by others. Grouped by the thread that writes them.
struct EditorFlags {
  // Written by the host's main thread: start-up, the parameter change
  // handlers and a project's recall.
  std::atomic<bool> pluginReady{false};                  // start-up has finished
  std::atomic<bool> midiOutputOpen{false};               // an external MIDI output is in use
  std::atomic<bool> librarianMode{false};                // program changes act on the librarian
  std::atomic<bool> routeMidiThroughAudioThread{false};  // MIDI goes out through the audio thread
  std::atomic<bool> trackIncomingMidi{true};             // the activity indicator follows input
  std::atomic<bool> sendClockPointer{true};              // start and stop bytes are sent
  std::atomic<bool> sendClockInfo{true};                 // the running clock follows the host
  // The clock job's name for the running-clock switch: the job runs only
  // while it is on and switches it off when it finds no tempo.
  std::atomic<bool>& continuousClock = sendClockInfo;
  std::atomic<int> audioRouteDelay{0};            // samples added to routed MIDI
  std::atomic<int> hostTempo{0};                  // the host's tempo in whole BPM
  std::atomic<bool> lowerShowsCategories{false};  // category mode: the lower list shows the category banks
  std::atomic<bool> lowerShowsSearch{false};      // search mode: ... else the search-result banks
  std::array<std::atomic<bool>, kNumMidiFilterKinds> hostFilter{};    // drop host MIDI of a kind
  std::array<std::atomic<bool>, kNumMidiFilterKinds> deviceFilter{};  // drop device MIDI of a kind
  // Written by the change handlers and by the MIDI handling thread when the
  // synthesizer reports local control or a device ID.
  std::atomic<bool> localControl{true};  // while set, MIDI input is not passed on
  std::atomic<int> deviceId{0};          // device ID in use on the wire
  // Written by the change handlers and the librarian list while a slot is
  // renamed.
  std::atomic<bool> librarianRenaming{false};  // the list's rename field holds the name

  // Written by the audio thread (and reset by the change handlers).
  std::atomic<bool> clockLoopStarted{false};     // the running clock's job was posted
  std::atomic<bool> readBackPending{false};      // a randomised sound waits to be read back
  std::atomic<int> lastArpTempoIndex{0};         // the arpeggiator tempo last chosen
  std::atomic<bool> transportWasRunning{false};  // the host's transport as last seen

  // Written by the hardware jobs, the transfers and the librarian's menus.
  std::atomic<bool> globalAnswerExpected{false};  // the start-up enquiry was sent
  std::atomic<bool> transferHold{false};          // incoming MIDI is dropped while set
  std::atomic<bool> sendGlobalsWithSound{false};  // the sound send sends the globals first
  std::atomic<bool> suppressGlobalsDump{true};    // the globals went out since the last recall

  // Written by the MIDI handling thread as answers and messages arrive.
  std::atomic<bool> responseReceived{false};    // an awaited answer arrived
  std::atomic<bool> changeFromHardware{false};  // OnParamChange2 is running
  // The global settings whose values came from the Varno (its global dump)
  // or from the user since the output port was chosen or a project was
  // recalled, as bits of VarnoSysEx::globalSettingBit. The global dump is
  // sent only while all are known: it never writes a value the Varno did
  // not have. Also written by the change handlers and a recall.
  std::atomic<unsigned> knownGlobalSettings{0};
  // The MIDI activity indicator, lit by input and output and put out by the
  // audio thread.
  std::atomic<int> indicatorLit{0};            // lit (0 or 1)
  std::atomic<uint32_t> indicatorLitTicks{0};  // GetTickCount() when it was lit
};

// ==== EditorServices ==========================================================
class EditorServices : public IModuleAU {
 public:
  using IModuleAU::IModuleAU;
  ~EditorServices() override;

  EditorFlags flags;

  // ---- Status and progress texts ---------------------------------------------
  // Shows text in the general status display.
  virtual void setStatusText(const std::string& text) = 0;
  // Shows text in the clock status display ("Unable to get DAW Tempo").
  virtual void setClockStatusText(const std::string& text) = 0;
  // Writes text into a display line (the first control bound to the
  // parameter, a text control); nothing when there is none. Any thread.
  virtual void setDisplayText(int paramIndex, const std::string& text) = 0;
  // Shows (true) or hides the progress overlay; hiding also clears the
  // manager's sound-dump flag.
  virtual void DisplayProcessingIndicator(bool show) = 0;
  // Shows the text in the editor's category display.
  virtual void displayCategoryName(std::string name) = 0;
  // Shows the category of that slot of the column's bank in the librarian's
  // category display.
  virtual void DisplayLibrarianPatchCategory(int slot, int column) = 0;
  // Shows (false) or hides (true) a layer; null does nothing.
  static void hideLayer(ControlLayer* layer, bool hide);

  // ---- Parameters, tempo and the handshake wait ------------------------------
  // Sets a parameter from a value in its own units, its controls following,
  // without a change handler (any thread).
  virtual void setParameterNoHandler(int index, double value) = 0;
  // The host's tempo in whole BPM as last read; 0 when none is known.
  virtual int getTempoValue() = 0;
  // The text at index of the UI configuration's "tempoValues" list; empty
  // when the index lies outside it.
  virtual std::string getTempoValueText(int index) = 0;
  // The handshake wait in milliseconds from kLibSyncTimer: 0, 1, 2, 3 give
  // 200, 300, 400, 500; any other value 100.
  virtual int getTimerValue() = 0;
  // Sleeps for milliseconds without the plug's lock: a caller that holds it
  // (at any depth) lets it go for the pause and takes it back after.
  virtual void pauseWithoutLock(int milliseconds) = 0;
  // Appends the state chunk: the short form (full false: version word and
  // parameters 0 to 136) or the full form with the patch-manager block.
  virtual bool SerializeState2(ByteChunk* chunk, bool full) = 0;

  // ---- Sends to the synthesizer ----------------------------------------------
  // With the MIDI ports set: writes the 7-bit checksum into a message of 71
  // bytes or more, frames and sends it, and logs it. Without them: shows
  // "Set MIDI I/O First!" and sends nothing. Null or count below 1 does
  // nothing.
  virtual void checksumCheckAndSend(unsigned char* bytes, int count) = 0;
  // Bank select and program change for kCurrentPatch; false when no output
  // is open.
  virtual bool BankChangeMessage() = 0;
  // Sends the control changes of the sound parameters the dump leaves out.
  virtual void sendMissingCCValues() = 0;
  // Sends a program change (program limited to 99) on the synthesizer's
  // channel when an output is open, then waits the librarian handshake time.
  virtual void SendProgramChangeCommand(int program, int argument) = 0;
  // Sends a short message at once, or queues it for the audio thread.
  virtual void MIDIOutRoutingSwitch(IMidiMsg* msg) = 0;
  // Posts the job that sends the patch of that slot of the column's bank.
  virtual void sendPatchToDeviceFromLibrarian(int slot, int column) = 0;
  // The librarian's sends of the selected program and of the whole bank.
  virtual void SendSingleProgramFromLibrarian(bool unused) = 0;
  virtual void SendAllProgramsFromLibrarian() = 0;

  // ---- The librarian's list, banks, menus and files ---------------------------
  // true: ends a sound-dump expectation, empties and arms the library
  // request; false: expects a sound dump and disarms it.
  virtual void SetLibrarianRequestActive(bool active) = 0;
  // true: marks the edited librarian bank unsaved and ends the library
  // request; false does nothing.
  virtual void SetLibrarianStatusUnsaved(bool unsaved) = 0;
  // Whether the library has a bank being edited for received patches and
  // saves to land in; when not, the status lines say what to do.
  virtual bool editedBankReady() = 0;
  // Marks the librarian list for redrawing.
  virtual void setLibrarianViewDirty() = 0;
  // The librarian list's upper column (0), lower column (1) or both (2)
  // changed and is reloaded (on the GUI thread).
  virtual void updatePatchLibrarianView(int which) = 0;
  // Selects row in one column of the librarian list (0 upper, 1 lower).
  virtual void setLibrarianViewRow(int column, int row) = 0;
  // Writes row into the selected row of both columns and the current row.
  virtual void selectLibrarianViewRow(int row) = 0;
  // The librarian list's active column: 0 upper, 1 lower.
  virtual int getLibrarianViewColumn() = 0;
  // The patches of the bank the column of the librarian list shows; null
  // when its bank index lies outside its list.
  virtual const PatchList* librarianBankOfColumn(int column) = 0;
  // Brings the program and bank menus in line with the current bank.
  virtual void updateBankAndProgramMenuNames(bool keepBankMenu) = 0;
  // The slot list's right click: the slot menu or the copy menu at the
  // point. 1 when an item was chosen, else 0.
  virtual int showFileEditMenu(int x, int y) = 0;
  virtual int showFileCopyMenu(int x, int y) = 0;
  // Saves the imported bank as a standard MIDI file (smf) or a bank file.
  virtual void saveImportedFile(bool smf) = 0;
  // Imports single sounds from files (older: of the second generation).
  virtual void ImportSingleVarnoPatches(bool older) = 0;
  // Sets the category of the selected librarian patch.
  virtual void SetCategoryForLibrarianPatch(int category) = 0;
  // Opens the data folder (false) or the user manual in it (true), and the
  // help pages by topic.
  virtual void OpenDataDirectory(bool manual) = 0;
  virtual void OpenHelpTopics(int topic) = 0;

  // ---- Control lookups for incoming MIDI ---------------------------------------
  // The control filed under four SysEx template bytes and a value index, or
  // null when none is.
  virtual IControl* getSysexControl(int byte1, int byte2, int byte3, int byte4, int valueIndex) = 0;
  // The control filed under channel key, controller number and table, or
  // null.
  virtual IControl* getCCControls(int channelKey, int controller, int table) = 0;

  // ---- The editor's objects, layers, controls and names ------------------------
  // Owned by the editor, which ends them in its own order.
  std::unique_ptr<PatchLibrarian> patchLibrarian;
  std::unique_ptr<MIDIMessageManager> midiManager;
  IGraphics* graphics = nullptr;                  // the window; null without one
  LibrarianViewControl* librarianView = nullptr;  // made by the UI build; null without one
  // Layers and controls found at start-up (owned by the GUI), null when the
  // UI description lacks them.
  ControlLayer* patchRenameLayer = nullptr;  // "patchRename"
  ControlLayer* saveChangesLayer = nullptr;  // "saveChangesLayer"
  ControlLayer* aboutWindowLayer = nullptr;  // "aboutWindow"
  IControl* patchRenameControl = nullptr;    // kPatchRename
  IControl* bankListUpperControl = nullptr;  // kPatchSelectionListUpper
  IControl* bankListLowerControl = nullptr;  // kPatchSelectionListLower
  // The slot list's own operations that the slot menus start at the right
  // click's point: paste, rename, copy. Set by whoever builds the list; an
  // unset one does nothing.
  struct LibrarianListActions {
    std::function<void(int x, int y)> pasteSlot, renameSlot, copySlot;
  };
  LibrarianListActions librarianListActions;
  // The bank last chosen for each list, by name: its bank name (the file
  // name, *FirstName) and its folder name (*BankName). The bank menus find
  // the bank again by this pair after a rescan.
  std::string upperFirstName, upperBankName, lowerFirstName, lowerBankName;
  // The bank the bank menus mark as current: its folder name and file name.
  std::string currentBankFolderName;
  std::string currentBankFileName;
  bool renameClosed = true;  // a slot rename has ended (the view clears it when one opens)
  // The data folder (a full path ending in a separator); the library puts
  // "Converted Banks" in it beside "Patches".
  std::string dataFolder;
  // The log: on when the log file existed at start-up.
  bool loggingEnabled = false;
  std::string logFilePath;
  // The randomiser's bytes, one per sound-dump byte; written and read only on
  // the host's main thread.
  std::array<int, 100> randomValues{};
  // The last message DebuggerOutput::compareMIDIdata saw (status and data).
  IMidiMsg lastComparedMidiMsg;
};
