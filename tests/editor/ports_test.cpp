// The editor's external MIDI ports on loop-back ports of the test's own (no
// MIDI server needed): the fixture
// opens an output by name and what the editor sends arrives; closing the
// editor while the synthesizer keeps sending stops the input before anything
// its thread reaches is deleted (ASan watches).
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/MidiApi.h"
#include "KIT/mutex.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/midi_peer.h"

namespace {

class EditorPortTest : public EditorFixture {
 protected:
  void SetUp() override {
    setenv("VIVIVI_MIDI_API", "loopback", 1);
    EditorFixture::SetUp();
  }
};

TEST_F(EditorPortTest, TheFixtureOpensAnOutputByNameAndWhatTheEditorSendsArrives) {
  const std::string client = "vivivi-synth-" + std::to_string(getpid());
  MidiPeerIn synthesizer(client, "in", true, kLoopbackMIDIApi);
  VivivI* plug = Open();
  EXPECT_EQ(OpenMidiOutput("no such port anywhere"), 0);
  ASSERT_GT(OpenMidiOutput(client), 0);
  EXPECT_TRUE(plug->flags.midiOutputOpen);
  // A new connection carries events once the server's graph has taken it in.
  IMidiMsg controlChange(0, 0xB0, 0x4A, 0x40);
  bool arrived = false;
  for (int attempt = 0; attempt < 100 && !arrived; ++attempt) {
    plug->SendMidiMsg(&controlChange);
    arrived = synthesizer.WaitFor({0xB0, 0x4A, 0x40}, nullptr, std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(arrived);
  Close();
}

TEST_F(EditorPortTest, ClosingWhileTheSynthesizerSendsStopsTheInputFirst) {
  const std::string client = "vivivi-teardown-" + std::to_string(getpid());
  MidiPeerOut synthesizer(client, "out", kLoopbackMIDIApi);

  VivivI* plug = Open();
  {
    KIT_MutexLock lock(plug->GetMutex());
    const std::vector<std::string>& names = plug->getExternalMIDIInNames();
    int index = 0;
    for (size_t i = 1; i < names.size() && index == 0; ++i)
      if (names[i].find(client) != std::string::npos) index = static_cast<int>(i);
    ASSERT_GT(index, 0) << "the synthesizer's port is not listed";
    ASSERT_EQ(plug->setExternalMIDIIn(index, names[index]), index);
  }

  // A sound dump, a parameter message and a control change, over and over.
  std::vector<unsigned char> dump = {0xF0, 0x3E, 0x0B, 0x00, 0x00, 0x00};
  for (int i = 6; i < 75; ++i) dump.push_back(static_cast<unsigned char>(i & 0x7F));
  dump.push_back(0xF7);
  std::vector<unsigned char> parameter = {0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x00, 0x27, 0x40, 0x00, 0xF7};
  std::vector<unsigned char> controlChange = {0xB0, 0x4A, 0x40};
  std::atomic<bool> sending{true};
  std::thread sender([&] {
    while (sending) {
      for (const std::vector<unsigned char>* message : {&dump, &parameter, &controlChange})
        synthesizer.Send(*message);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  Close();
  sending = false;
  sender.join();
  EXPECT_EQ(Plug(), nullptr);
}

}  // namespace
