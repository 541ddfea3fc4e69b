// The request jobs against the simulated Varno over real MIDI ports, on the
// real clock with the shortest handshake wait (100 ms).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "../protocol/sim_process.h"
#include "KIT/IModule/MidiApi.h"
#include "job_editor.h"
#include "src/MIDIMessageManager.h"

namespace {

constexpr int kSimDeviceId = 5;

class JobsOverPorts : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("VIVIVI_MIDI_API", "jack", 0);
    const std::string system = GetExternalMIDIApi() == RtMidi::UNIX_JACK ? "jack" : "alsa";
    client = "h10-sim-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    sim = std::make_unique<simtest::SimProcess>(system, client, kSimDeviceId);
    ASSERT_TRUE(sim->started());
    std::string ready;
    ASSERT_TRUE(sim->readLine(ready));
    ASSERT_EQ(ready.rfind("ready", 0), 0u) << ready;
    int out = simtest::entryOf(editor.getExternalMIDIOutNames(), client, "Varno In");
    int in = simtest::entryOf(editor.getExternalMIDIInNames(), client, "Varno Out");
    ASSERT_GT(out, 0);
    ASSERT_GT(in, 0);
    ASSERT_GT(editor.setExternalMIDIOut(out, editor.getExternalMIDIOutNames()[out]), 0);
    ASSERT_GT(editor.setExternalMIDIIn(in, editor.getExternalMIDIInNames()[in]), 0);
    editor.set(kLibSyncTimer, 4);  // W = 100 ms
  }
  void TearDown() override {
    editor.joinAll();
    editor.CloseMidiPorts();
    sim.reset();
  }
  MIDIMessageManager& manager() { return *editor.midiManager; }
  bool shown(const std::string& text) {
    const SenderCalls calls = editor.jobs().calls();
    return std::find(calls.statusTexts.begin(), calls.statusTexts.end(), text) != calls.statusTexts.end();
  }

  static int counter;
  std::string client;
  std::unique_ptr<simtest::SimProcess> sim;
  JobEditor editor{false};
};
int JobsOverPorts::counter = 0;

TEST_F(JobsOverPorts, enquiryAtTheRightIdIsAnswered) {
  editor.set(kGlobalDeviceID, kSimDeviceId);
  editor.globalAnswerExpected = true;
  SenderJob job;
  job.jobCode = kJobDeviceIdEnquiry;
  ASSERT_TRUE(manager().postJob(job));
  editor.joinAll();
  EXPECT_EQ(editor.jobs().calls().statusTexts.back(), "Plug-in is ready to go!");
  EXPECT_FALSE(editor.sender().timedOut);
}

TEST_F(JobsOverPorts, programRequestIsAnsweredIntoTheEditor) {
  editor.set(kGlobalDeviceID, kSimDeviceId);
  ASSERT_TRUE(manager().postPartRequest(3));
  editor.joinAll();
  EXPECT_TRUE(shown("Data request completed!"));
  EXPECT_EQ(editor.value(kCurrentPatch), 3);
}

TEST_F(JobsOverPorts, runOfFortyFindsTheSynthesizerByScanAndFillsTheSlots) {
  manager().sendAllPatchRequestSysexFromLibrarian(40);
  editor.joinAll();
  const std::vector<std::pair<int, LibrarianPatch>> stored = editor.storedPatches();
  ASSERT_GE(stored.size(), 40u);
  for (int slot = 0; slot < 40; ++slot) {
    const auto found = std::find_if(stored.begin(), stored.end(), [&](const auto& entry) { return entry.first == slot; });
    ASSERT_NE(found, stored.end()) << "slot " << slot;
    ASSERT_FALSE(found->second.messages.empty());
    EXPECT_EQ(found->second.messages.front()[5], slot) << "program " << slot;
  }
  EXPECT_TRUE(shown("Please wait, checking DeviceID 6"));
  EXPECT_TRUE(shown("Data request completed!"));
  EXPECT_EQ(editor.value(kGlobalDeviceID), kSimDeviceId);
}

}  // namespace
