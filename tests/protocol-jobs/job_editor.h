// The editor stand-in for the sender's jobs: records every raw send and
// short message (and passes them to the output port when one is open), runs
// the jobs on a virtual clock unless told otherwise, and ends running jobs
// before its records go away.
#pragma once

#include <Poco/Thread.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

#include "../protocol/editor_double.h"
#include "../protocol/sender_double.h"
#include "src/MIDIMessageSender.h"

using Bytes = std::vector<unsigned char>;

class JobEditor : public TestEditor {
 public:
  explicit JobEditor(bool virtualClock = true) {
    // Ranges of the settings the jobs read, as the UI description gives them.
    GetParam(kLibSyncTimer)->InitInt("", 0, 0, 4);
    GetParam(kDeviceOutSelection)->InitInt("", 0, 0, 8);
    GetParam(kDiscardBankData)->InitInt("", 0, 0, 1);
    GetParam(kOverrideTempo)->InitInt("", 0, 0, 1);
    midiOutputOpen = true;
    if (virtualClock) sender().setSleepFunction([this](int ms) { virtualTime += ms; });
  }
  ~JobEditor() override {
    sender().shutdown();
    midiManager->waitForJobs();
    SenderDouble::forget(this);
  }

  bool SendMidiSysex2(std::vector<unsigned char> bytes) override {
    {
      std::lock_guard<std::mutex> lock(rawMutex);
      raw.push_back(bytes);
      rawTimes.push_back(std::chrono::steady_clock::now());
    }
    SendToExternalMIDIOut(bytes.data(), static_cast<int>(bytes.size()));
    return true;
  }
  // Requests for withheldProgram never leave: to the jobs that program of
  // the synthesizer stays silent, at every device ID.
  bool SendMidiSysex(unsigned char* bytes, int size) override {
    const int offset = size > 0 && bytes[0] == 0xF0 ? 1 : 0;
    if (size - offset >= 5 && bytes[offset + 3] == 0x41 && bytes[offset + 4] == withheldProgram) return true;
    return TestEditor::SendMidiSysex(bytes, size);
  }
  bool SendMidiMsg(IMidiMsg* msg) override {
    const Bytes bytes = {msg->mStatus, msg->mData1, msg->mData2};
    std::lock_guard<std::mutex> lock(rawMutex);
    raw.push_back(bytes);
    return true;
  }
  std::vector<Bytes> rawSends() {
    std::lock_guard<std::mutex> lock(rawMutex);
    return raw;
  }
  // When each raw send left, in order: the F8 sends of the clock.
  std::vector<std::chrono::steady_clock::time_point> clockTickTimes() {
    std::lock_guard<std::mutex> lock(rawMutex);
    std::vector<std::chrono::steady_clock::time_point> times;
    for (size_t i = 0; i < raw.size() && i < rawTimes.size(); ++i)
      if (raw[i] == Bytes{0xF8}) times.push_back(rawTimes[i]);
    return times;
  }

  MIDIMessageSender& sender() { return *midiManager->sender; }
  SenderDouble& jobs() { return SenderDouble::of(this); }
  // Waits until no worker thread runs.
  void joinAll() { midiManager->waitForJobs(); }

  std::atomic<long long> virtualTime{0};  // milliseconds slept on the virtual clock
  std::atomic<int> withheldProgram{-1};

 private:
  std::mutex rawMutex;
  std::vector<Bytes> raw;
  std::vector<std::chrono::steady_clock::time_point> rawTimes;  // of SendMidiSysex2 only
};
