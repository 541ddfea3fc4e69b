// A small plug-in for the framework tests: three automated parameters (a
// gain, a mode, a switch), optional non-automated ones behind them, three
// presets, and a host side that records what the framework tells it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IModuleBase.h"
#include "tests/support/midi_record.h"
#include "tests/support/test_plug.h"

class TestPlug : public HostlessTestPlug {
 public:
  enum { kGain = 0, kMode, kSwitch, kNumAutomated };
  static constexpr int32_t kUniqueID = 0x6B7A726E;  // 'kzrn'
  static constexpr int32_t kVersion = 0x10105;

  struct Options {
    bool doesChunks = true;
    int nPresets = 3;
    bool makePresets = true;  // fill the three presets
    int nExtra = 0;           // non-automated parameters behind the three
    const char* channelIO = "2-2";
  };

  TestPlug() : TestPlug(Options()) {}
  explicit TestPlug(const Options& options);
  ~TestPlug() override;

  // ---- What the host side heard ----
  std::vector<std::pair<int, double>> informed;  // InformHostOfParamChange
  std::vector<int> changed;                      // OnParamChange
  std::vector<int> changed2;                     // OnParamChange2
  int resets = 0;
  int presetsChanged = 0;
  int programChanges = 0;
  int lockDepthInHandler = -2;  // lock depth seen by the last handler
  // Called from OnParamChange when set (for re-entry tests).
  std::function<void(int)> onChange;

  void InformHostOfParamChange(int index, double position) override {
    informed.emplace_back(index, position);
  }
  void InformHostOfProgramChange() override { ++programChanges; }
  double GetTempo() override { return tempo; }
  // Two bytes for program change and channel pressure, three otherwise.
  bool SendMidiMsg(IMidiMsg* msg) override;
  bool SendMidiSysex(unsigned char* bytes, int size) override { return SendToExternalMIDIOut(bytes, size); }

  void OnParamChange(int index) override;
  void OnParamChange2(int index) override;
  void Reset() override { ++resets; }
  void PresetsChangedByHost() override { ++presetsChanged; }

  // The state chunk (when the plug-in does chunks): a tag, the automated
  // values and a text, so the state form differs from a parameter chunk.
  bool SerializeState(ByteChunk* chunk) override;
  int UnserializeState(ByteChunk* chunk, int startPos) override;

  double tempo = 120.0;
  std::string stateText = "state";

  // ---- External MIDI: what arrived on the input, in order ----
  using Received = ReceivedMidi;
  void ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) override;
  void ProcessSysEx(ISysEx* msg, bool fromDevice) override;
  // While held by a test, the short-message handler waits for it, as a
  // handler waits for a lock another thread holds.
  std::mutex handlerGate;
  // All messages that arrived so far.
  std::vector<Received> ReceivedSoFar() { return mReceived.SoFar(); }

  // ---- What the ports told of their own accord, in order ----
  void OnExternalMIDIPortEvent(EMidiPortEvent event, const std::string& detail) override;
  // Waits until an event of that kind was told; its detail, or "(none)".
  std::string WaitForPortEvent(EMidiPortEvent event,
                               std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Waits until a message with these bytes arrived; returns what arrived up to then.
  bool WaitFor(const std::vector<uint8_t>& bytes, std::vector<Received>* upToThen,
               std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    return mReceived.WaitFor(bytes, upToThen, timeout);
  }
  void ClearReceived() { mReceived.Clear(); }
  void Close() { CloseExternalMIDIPorts(); }
  double* InputScratch(int i) { return mInChannels.Get(i)->mScratchBuf.Get(); }

 private:
  MidiRecord mReceived;
  std::mutex mPortEventMutex;
  std::condition_variable mPortEventSignal;
  std::vector<std::pair<EMidiPortEvent, std::string>> mPortEvents;  // guarded by mPortEventMutex
};

// A GUI that records what the plug-in pushes to it and answers the file
// prompt with a path the test chose.
class TestGraphics : public IGraphics {
 public:
  struct Call {
    std::string what;  // "set" or "prep"
    int index;
    double value;
    bool normalized;
  };
  TestGraphics(IModuleBase* plug, bool* deleted = nullptr) : IGraphics(plug, 100, 50), mDeleted(deleted) {}
  ~TestGraphics() override {
    if (mDeleted) *mDeleted = true;
  }
  void SetParameterFromPlug(int index, double value, bool normalized) override {
    calls.push_back({"set", index, value, normalized});
    IGraphics::SetParameterFromPlug(index, value, normalized);
  }
  void PrepDraw() override { calls.push_back({"prep", -1, 0, false}); }
  void PromptForFile(KIT_String* fileName, EFileAction action, KIT_String* dir,
                     const char* extensions) override {
    prompts.push_back(std::string(action == kFileSave ? "save " : "open ") + extensions + " " +
                      fileName->Get());
    fileName->Set(answer.c_str());
  }

  std::vector<Call> calls;
  std::vector<std::string> prompts;
  std::string answer;

 private:
  bool* mDeleted;
};
