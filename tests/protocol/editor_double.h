// The editor as the protocol tests need it: the bodies of the VivivI
// operations the protocol calls, recording what they were asked, and a
// plug-in class on top that fills the host side of the framework. The UI
// configuration is stood in for by the parameter ranges of the Varno's
// implementation chart and by control maps the tests fill themselves.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "src/LibrarianPatch.h"
#include "src/MIDIMessageManager.h"
#include "src/PatchLibrarian.h"
#include "src/VivivI.h"
#include "tests/support/hostless_plug.h"

// What the editor's operations were asked, in order. One record per editor.
struct EditorCalls {
  std::vector<int> paramChanges;            // OnParamChange
  std::vector<int> paramChanges2;           // OnParamChange2
  std::vector<bool> hardwareFlagAtChange2;  // valueFromHardware when OnParamChange2 ran
  std::vector<std::string> categoryNames;
  int librarianViewDirty = 0;
  std::vector<int> librarianViewUpdates;
  std::vector<int> selectedRows;
  std::vector<std::pair<int, int>> librarianSends;  // slot, column
  std::vector<std::pair<int, int>> programChanges;  // program, argument
  std::vector<std::array<uint8_t, 3>> routed;       // MIDIOutRoutingSwitch
};

class TestEditor : public HostlessPlug<VivivI> {
 public:
  TestEditor();
  ~TestEditor() override;

  // ---- Stand-ins for the UI configuration's control maps ----
  // Creates a control bound to parameter, filed under the four SysEx key
  // bytes (value index 0) and/or a controller; the editor owns it.
  IControl* addSysExControl(int parameter, int key3, int key4, int c, int d);
  IControl* addCCControl(int parameter, int channelKey, int controller, int table);

  // ---- The host side of the framework ----
  // Frames an unframed message (F0 in front, F7 behind) and sends it.
  bool SendMidiSysex(unsigned char* bytes, int size) override;
  void CloseMidiPorts() { CloseExternalMIDIPorts(); }

  double value(int index) const { return GetParam(index)->Value(); }
  void set(int index, double value) { GetParam(index)->Set(value); }

  // A copy of what was recorded so far.
  EditorCalls calls() const;
  // The patches the library stored into its edited bank (an empty bank of
  // 99 slots at construction): slot number and patch, in slot order.
  std::vector<std::pair<int, LibrarianPatch>> storedPatches() const;
  void clearCalls();
  // Records a call: change receives the record under its lock (the MIDI
  // input thread records too).
  template <class Change>
  void record(Change change) {
    std::lock_guard<std::mutex> lock(mCallsMutex);
    change(mCalls);
  }

 private:
  friend class VivivI;
  mutable std::mutex mCallsMutex;
  EditorCalls mCalls;
  std::vector<std::unique_ptr<IControl>> mControls;
  std::map<std::array<int, 5>, IControl*> mSysExControls;
  std::map<std::array<int, 3>, IControl*> mCCControls;
};

// Range of a parameter as the stand-in UI configuration sets it up.
struct ParameterRange {
  int index;
  int minimum;
  int maximum;
};
// Every sound parameter with its range from the implementation chart.
extern const std::array<ParameterRange, kNumAutomatedParams> kSoundParameterRanges;
