// The real editor as the protocol tests drive it: built with the built
// bundle's descriptions, with recorders on the host side of the framework
// (every SysEx, raw and short message handed to it, and a responder that
// plays the synthesizer's answers), on its change hooks (the real handlers
// still run), and a watcher of what the window shows while jobs run: the
// status line's texts and the progress overlay.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "src/LibrarianPatch.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/PatchLibrarian.h"
#include "tests/support/test_editor.h"

using Bytes = std::vector<unsigned char>;

// The change hooks' calls, in order.
struct EditorCalls {
  std::vector<int> paramChanges;            // OnParamChange
  std::vector<int> paramChanges2;           // OnParamChange2
  std::vector<bool> hardwareFlagAtChange2;  // the manager's valueFromHardware when OnParamChange2 ran
};

class ProtocolEditor : public HostlessEditor<> {
 public:
  // virtualClock: the jobs' pauses only count (virtualTime) instead of
  // sleeping. The library holds two banks of 99 empty slots (the upper list
  // shows the first, the lower list the second), the first selected.
  explicit ProtocolEditor(bool virtualClock = false);
  ~ProtocolEditor() override;
  // Ends the jobs and the MIDI input, which call back into the recorders.
  // A class derived from this one calls it first in its own destructor, so
  // that no job makes a virtual call while the object is taken apart.
  void endCallbacks();

  void CloseMidiPorts() { CloseExternalMIDIPorts(); }
  double value(int index) const { return GetParam(index)->Value(); }
  void set(int index, double value) { GetParam(index)->Set(value); }

  // ---- Controls filed for incoming MIDI ----
  // The control filed under the four SysEx key bytes (value index 0), or
  // under a controller: the one filed there when it is bound to parameter,
  // else the parameter's control of the window (a new one, owned here, when
  // the window has none) filed there in its place.
  IControl* addSysExControl(int parameter, int key3, int key4, int c, int d);
  IControl* addCCControl(int parameter, int channelKey, int controller, int table);

  // ---- Hooks: recorded, then the real handlers run ----
  void OnParamChange(int index) override;
  void OnParamChange2(int index) override;
  EditorCalls calls() const;
  void clearCalls();

  // ---- The host side ----
  // SysEx as handed to the framework; recorded framed, given to onRequest as
  // given, then sent to the external output (a request for withheldProgram
  // never leaves).
  bool SendMidiSysex(unsigned char* bytes, int size) override;
  bool SendMidiSysex2(std::vector<unsigned char> bytes) override;
  bool SendMidiMsg(IMidiMsg* msg) override;
  std::vector<Bytes> sent() const;      // SysEx, framed
  std::vector<Bytes> rawSends() const;  // SendMidiSysex2 and short messages, in order
  // When each SendMidiSysex2 left: the F8 sends of the clock.
  std::vector<std::chrono::steady_clock::time_point> clockTickTimes() const;
  // The synthesizer the test plays: called with each SysEx message the editor
  // sends, on the sending thread. Set before jobs run.
  std::function<void(const Bytes&)> onRequest;
  std::atomic<int> withheldProgram{-1};

  // ---- The library ----
  // The slots of the first bank that differ from what they held at
  // construction: slot number and patch, in slot order.
  std::vector<std::pair<int, LibrarianPatch>> storedPatches() const;
  // storedPatches() as it stood when kDiscardBankData last changed (its
  // handler reads the banks again).
  std::vector<std::pair<int, LibrarianPatch>> storedBeforeDiscard() const;
  // The bank the upper (0) or lower (1) list shows.
  std::vector<LibrarianPatch>& bank(int column) {
    return patchLibrarian->fileBanks.at(column ? 1 : 0)->patches;
  }

  // ---- What the window shows ----
  // The status line's texts as they stood at each pause of a job and after
  // it (each change once), since construction or clearStatus().
  std::vector<std::string> statusTexts();
  // The progress overlay's shown (true) and hidden states, each change once.
  std::vector<bool> indicatorStates();
  void clearStatus();
  // The texts the category display showed, each change once (blank ones
  // left out): as each change hook began (a main-tab refresh shows the
  // recalled category again) and now. Blank at construction.
  std::vector<std::string> categoriesShown();
  // What the category display shows now, blank included.
  std::string categoryShownNow();
  // Takes waiting values and texts to the controls and notes what the window
  // shows. On the editor's GUI thread (the test's).
  void watch();

  // ---- Jobs ----
  MIDIMessageSender& sender() { return *midiManager->sender; }
  // Waits until no worker thread runs, watching the window meanwhile (at
  // every pause of a job on the virtual clock).
  void joinAll();
  // Posts job and waits as joinAll does, the watcher serving the job's
  // pauses from before the post, so that no text the job shows before its
  // first pause is missed. False, waiting for nothing, when the post is
  // refused.
  bool postAndJoin(const SenderJob& job);
  std::atomic<long long> virtualTime{0};  // milliseconds slept on the virtual clock

 private:
  IControl* controlFor(int parameter);
  void noteCategory();
  void record(std::vector<Bytes>& list, Bytes bytes, bool timed);
  void pauseForWatcher();
  bool jobsRunning();

  mutable std::mutex mMutex;
  EditorCalls mCalls;
  std::vector<Bytes> mSent, mRaw;
  std::vector<std::chrono::steady_clock::time_point> mRawTimes;  // when each raw send left
  std::vector<std::unique_ptr<IControl>> mControls;
  std::vector<LibrarianPatch> mBankAtStart;
  std::vector<std::string> mCategories;
  std::vector<std::pair<int, LibrarianPatch>> mStoredBeforeDiscard;

  std::vector<std::string> mStatusTexts;
  std::vector<bool> mIndicator;
  // The watcher's hand-shake with a job's pause.
  std::mutex mWatchMutex;
  std::condition_variable mWatchChanged;
  bool mServing = false;
  unsigned long long mAsked = 0, mAnswered = 0;
};
