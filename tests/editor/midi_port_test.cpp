// The editor's MIDI output at a port: the editor's output is opened by name
// onto a loop-back port of the test's own (no MIDI server needed), and what
// the device messages and the checksum send put on the wire is read there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/MidiApi.h"
#include "KIT/IModule/MidiClients.h"
#include "tests/editor/midi_test_env.h"

namespace {

using Bytes = MidiEditor::Bytes;

// A loop-back client with one input port that collects what reaches it.
class PortListener {
 public:
  PortListener()
      : mClient("h19a-in-" + std::to_string(getpid()) + "-" + std::to_string(++sCount)),
        mIn(kLoopbackMIDIApi, mClient) {
    mIn.setCallback(&PortListener::Callback, this);
    mIn.ignoreTypes(false, false, false);
    mIn.openVirtualPort("in");
  }
  std::string PortName() const { return mClient + ":in"; }

  // Waits until count messages arrived; returns what arrived by then.
  std::vector<Bytes> WaitFor(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    std::unique_lock<std::mutex> lock(mMutex);
    mSignal.wait_for(lock, timeout, [&] { return mGot.size() >= count; });
    return mGot;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mMutex);
    mGot.clear();
  }

 private:
  static void Callback(double, std::vector<unsigned char>* message, void* self) {
    PortListener* listener = static_cast<PortListener*>(self);
    std::lock_guard<std::mutex> lock(listener->mMutex);
    listener->mGot.emplace_back(message->begin(), message->end());
    listener->mSignal.notify_all();
  }
  static inline int sCount = 0;
  std::string mClient;
  std::mutex mMutex;
  std::condition_variable mSignal;
  std::vector<Bytes> mGot;
  MIDIInClient mIn;  // last, so it goes first: its thread calls Callback until then
};

class MidiPort : public MidiEditorTest {
 protected:
  void SetUp() override {
    setenv("VIVIVI_MIDI_API", "loopback", 1);
    listener = std::make_unique<PortListener>();
    // The editor lists the ports once: the listener's port exists before.
    MidiEditorTest::SetUp();
    editor->getExternalMIDIOutNames();
    int index = 1;
    ASSERT_GT(editor->setExternalMIDIOut(index, listener->PortName()), 0);
    editor->midiOutputOpen = true;
    editor->sendToPort = true;
    setParam(kLibSyncTimer, 4);
    // A new connection carries events once the server has taken it in:
    // probe until one arrives.
    IMidiMsg probe(0, 0xB0, 0x7F, 0x01);
    bool connected = false;
    for (int attempt = 0; attempt < 200 && !connected; ++attempt) {
      editor->SendMidiMsg(&probe);
      connected = !listener->WaitFor(1, std::chrono::milliseconds(50)).empty();
    }
    ASSERT_TRUE(connected);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // late copies of the probe
    listener->Clear();
  }
  void TearDown() override {
    MidiEditorTest::TearDown();
    listener.reset();
  }
  std::unique_ptr<PortListener> listener;
};

TEST_F(MidiPort, ProgramChangeOnChannel16IsLimitedTo99) {
  setParam(kGlobalMidiChannel, 16);
  editor->SendProgramChangeCommand(120, 0);
  EXPECT_EQ(listener->WaitFor(1), std::vector<Bytes>({{0xCF, 99}}));
}

TEST_F(MidiPort, SoundDumpArrivesWithItsChecksum) {
  Bytes dump(76, 0x00);
  dump[0] = 0xF0;
  dump[1] = 0x3E;
  dump[2] = 0x0B;
  for (int i = 4; i <= 73; ++i) dump[static_cast<size_t>(i)] = static_cast<unsigned char>(i);
  dump[75] = 0xF7;
  unsigned sum = 0;
  for (int i = 4; i <= 73; ++i) sum += static_cast<unsigned>(i);
  editor->checksumCheckAndSend(dump.data(), 76);
  const std::vector<Bytes> got = listener->WaitFor(1);
  ASSERT_EQ(got.size(), 1u);
  ASSERT_EQ(got[0].size(), 76u);
  EXPECT_EQ(got[0][74], sum & 0x7F);
  EXPECT_EQ(got[0], dump);
}

}  // namespace
