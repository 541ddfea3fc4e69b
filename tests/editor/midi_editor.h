// The real editor object with the framework's host side and MIDI output
// replaced by recorders: what the editor hands to SendMidiMsg, SendMidiSysex
// and SendMidiSysex2 (from any thread), and a host whose transport and tempo
// the test sets.
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/VivivI.h"
#include "tests/support/hostless_plug.h"

class MidiEditor : public HostlessPlug<VivivI> {
 public:
  using Bytes = std::vector<unsigned char>;

  MidiEditor() : HostlessPlug<VivivI>(IModuleInstanceInfo()) {}
  // The jobs call back into the recorders: they end before those go.
  ~MidiEditor() override {
    CloseExternalMIDIPorts();
    if (midiManager) {
      if (midiManager->sender) midiManager->sender->shutdown();
      midiManager->waitForJobs();
    }
  }

  // ---- The host ----
  std::atomic<bool> transportRunning{false};
  std::atomic<double> hostTempo{120.0};
  double GetTempo() override { return hostTempo; }
  void GetTime(ITimeInfo* info) override {
    info->mTempo = hostTempo;
    info->mTransportIsRunning = transportRunning;
  }

  // ---- The framework's MIDI output: recorded, and sent to the external
  // output port only while sendToPort is set ----
  std::atomic<bool> sendToPort{false};
  bool SendMidiMsg(IMidiMsg* msg) override {
    // Program change and channel pressure carry one data byte.
    const int type = msg->mStatus >> 4;
    Bytes bytes = {msg->mStatus, msg->mData1};
    if (type != 0xC && type != 0xD) bytes.push_back(msg->mData2);
    record(shortSent, bytes);
    return sendToPort ? IModuleAU::SendMidiMsg(msg) : true;
  }
  bool SendMidiSysex(unsigned char* bytes, int size) override {
    record(sysexSent, Bytes(bytes, bytes + size));
    return sendToPort ? IModuleAU::SendMidiSysex(bytes, size) : true;
  }
  bool SendMidiSysex2(std::vector<unsigned char> bytes) override {
    record(rawSent, bytes);
    return sendToPort ? IModuleAU::SendMidiSysex2(bytes) : true;
  }

  std::vector<Bytes> shortMessages() const { return copy(shortSent); }
  std::vector<Bytes> sysexMessages() const { return copy(sysexSent); }
  std::vector<Bytes> rawMessages() const { return copy(rawSent); }
  void clearSent() {
    std::lock_guard<std::mutex> lock(mutex);
    shortSent.clear();
    sysexSent.clear();
    rawSent.clear();
  }

  // A render call of n frames.
  void render(int nFrames = 128) { ProcessDoubleReplacing(nullptr, nullptr, nFrames); }

 private:
  void record(std::vector<Bytes>& list, Bytes bytes) {
    std::lock_guard<std::mutex> lock(mutex);
    list.push_back(std::move(bytes));
  }
  std::vector<Bytes> copy(const std::vector<Bytes>& list) const {
    std::lock_guard<std::mutex> lock(mutex);
    return list;
  }

  mutable std::mutex mutex;
  std::vector<Bytes> shortSent, sysexSent, rawSent;
};
