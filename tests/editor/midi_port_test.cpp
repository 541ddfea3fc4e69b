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
#include "tests/editor/midi_test_env.h"
#include "tests/support/midi_peer.h"

namespace {

using Bytes = MidiEditor::Bytes;

// A name for the listening client that no other test uses.
std::string ListenerName() {
  static int count = 0;
  return "h19a-in-" + std::to_string(getpid()) + "-" + std::to_string(++count);
}

class MidiPort : public MidiEditorTest {
 protected:
  void SetUp() override {
    setenv("VIVIVI_MIDI_API", "loopback", 1);
    listener = std::make_unique<MidiPeerIn>(ListenerName(), "in", true, kLoopbackMIDIApi);
    // The editor lists the ports once: the listener's port exists before.
    MidiEditorTest::SetUp();
    editor->getExternalMIDIOutNames();
    int index = 1;
    ASSERT_GT(editor->setExternalMIDIOut(index, listener->PortName()), 0);
    editor->flags.midiOutputOpen = true;
    editor->sendToPort = true;
    setParam(kLibSyncTimer, 4);
    // A new connection carries events once the server has taken it in:
    // probe until one arrives.
    IMidiMsg probe(0, 0xB0, 0x7F, 0x01);
    bool connected = false;
    for (int attempt = 0; attempt < 200 && !connected; ++attempt) {
      editor->SendMidiMsg(&probe);
      connected = !listener->WaitForCount(1, std::chrono::milliseconds(50)).empty();
    }
    ASSERT_TRUE(connected);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // late copies of the probe
    listener->Clear();
  }
  void TearDown() override {
    MidiEditorTest::TearDown();
    listener.reset();
  }
  std::unique_ptr<MidiPeerIn> listener;
};

TEST_F(MidiPort, ProgramChangeOnChannel16IsLimitedTo99) {
  setParam(kGlobalMidiChannel, 16);
  editor->SendProgramChangeCommand(120, 0);
  EXPECT_EQ(listener->WaitForCount(1), std::vector<Bytes>({{0xCF, 99}}));
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
  const std::vector<Bytes> got = listener->WaitForCount(1);
  ASSERT_EQ(got.size(), 1u);
  ASSERT_EQ(got[0].size(), 76u);
  EXPECT_EQ(got[0][74], sum & 0x7F);
  EXPECT_EQ(got[0], dump);
}

}  // namespace
