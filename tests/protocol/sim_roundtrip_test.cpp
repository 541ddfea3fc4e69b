// End to end over MIDI ports: the simulated Varno runs on two named ports
// (sim_process.h: its core on loop-back ports of the test process, or its
// own program over JACK); the real editor opens them by name, sends a
// request built by the message set, and its receive side turns the answer
// into parameter values, which must equal what the simulator holds. Over
// JACK the program request alone runs, keeping the real back end covered.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/MidiApi.h"
#include "sim_process.h"
#include "src/MIDIMessageSysEx.h"
#include "tests/protocol/protocol_editor.h"

extern char** environ;

namespace {

using Bytes = std::vector<uint8_t>;
using simtest::entryOf;
constexpr int kSimDeviceId = 5;

// The "index=value" words of a line ("program 3 clock-code=3 0=48 1=50 ...")
// as index -> value; named words such as "clock-code=3" are left out.
std::map<int, int> parseValues(const std::string& line) {
  std::map<int, int> values;
  std::istringstream words(line);
  std::string word;
  while (words >> word) {
    const size_t equals = word.find('=');
    if (equals == 0 || equals == std::string::npos || equals + 1 == word.size()) continue;
    if (word.find_first_not_of("0123456789") != equals) continue;
    values[std::stoi(word.substr(0, equals))] = std::stoi(word.substr(equals + 1));
  }
  return values;
}

// The test runner knows tests by name: the JACK build's carry names of
// their own, so that the loop-back build's are free of the JACK lock.
#ifdef SIM_OVER_JACK
#define SimRoundTrip SimRoundTripOverJack
#endif

class SimRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    mClient = "h5-sim-" + std::to_string(getpid()) + "-" + std::to_string(++sCounter);
    ASSERT_NO_FATAL_FAILURE(simtest::startSim(mClient, kSimDeviceId, {}, mSim));
    if (IsSkipped()) return;

    editor = std::make_unique<ProtocolEditor>();
    int out = entryOf(editor->getExternalMIDIOutNames(), mClient, "Varno In");
    int in = entryOf(editor->getExternalMIDIInNames(), mClient, "Varno Out");
    ASSERT_GT(out, 0) << "no port " << mClient << ":Varno In";
    ASSERT_GT(in, 0) << "no port " << mClient << "...:Varno Out";
    ASSERT_GT(editor->setExternalMIDIOut(out, editor->getExternalMIDIOutNames()[out]), 0);
    ASSERT_GT(editor->setExternalMIDIIn(in, editor->getExternalMIDIInNames()[in]), 0);
    editor->flags.midiOutputOpen = true;
  }

  void TearDown() override {
    if (editor) editor->CloseMidiPorts();
    if (mSim) {
      EXPECT_EQ(mSim->stop(), 0) << "the simulator did not end cleanly";
    }
  }

  void send(const Bytes& unframed) {
    Bytes bytes = unframed;
    ASSERT_TRUE(editor->SendMidiSysex(bytes.data(), static_cast<int>(bytes.size())));
  }

  // Waits until the receive side reports an answer (the plug-in's answer flag).
  bool waitForAnswer() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!editor->flags.responseReceived) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  static int sCounter;
  std::string mClient;
  std::unique_ptr<simtest::Sim> mSim;
  // Made once the simulator runs: the editor lists the ports at start-up.
  std::unique_ptr<ProtocolEditor> editor;
};

int SimRoundTrip::sCounter = 0;

TEST_F(SimRoundTrip, programRequestGivesTheSimulatorsProgram) {
  // The editor does not know the simulator's device ID yet: the request goes
  // out under that ID (as the device-ID scan sends it) and the answer teaches it.
  constexpr int kProgram = 23;
  editor->midiManager->soundDumpExpected = true;
  send(VarnoSysEx::buildProgramRequest(kSimDeviceId, kProgram));
  ASSERT_TRUE(waitForAnswer()) << "no sound dump arrived";

  const std::vector<std::string> shown = mSim->command("show program " + std::to_string(kProgram));
  ASSERT_EQ(shown.size(), 1u);
  const std::map<int, int> expected = parseValues(shown[0]);
  ASSERT_EQ(expected.size(), 65u) << "every parameter the dump carries";
  for (const auto& entry : expected)
    EXPECT_EQ(editor->value(entry.first), entry.second) << "parameter " << entry.first;
  EXPECT_EQ(editor->value(kCurrentPatch), kProgram);
  EXPECT_EQ(editor->flags.deviceId, kSimDeviceId);
  EXPECT_EQ(editor->value(kGlobalDeviceID), kSimDeviceId);
  EXPECT_EQ(editor->GetParam(kPatchName)->GetDisplayText(0), std::string("REQUESTED"));
}

#ifndef SIM_OVER_JACK
TEST_F(SimRoundTrip, editBufferRequestGivesTheSimulatorsSound) {
  // A panel change on the simulator first, so the edit buffer differs from
  // every program.
  mSim->command("set 39 11");
  mSim->command("set 0 5");
  editor->set(kGlobalDeviceID, kSimDeviceId);
  editor->midiManager->soundDumpExpected = true;
  send(VarnoSysEx::buildCurrentSoundRequest(kSimDeviceId, 0));
  ASSERT_TRUE(waitForAnswer()) << "no sound dump arrived";

  const std::vector<std::string> shown = mSim->command("show edit");
  ASSERT_FALSE(shown.empty());
  std::map<int, int> expected = parseValues(shown.back());
  ASSERT_EQ(expected.count(39), 1u);
  EXPECT_EQ(expected[39], 11);
  const size_t program = shown.back().find("program=");
  ASSERT_NE(program, std::string::npos);
  EXPECT_EQ(editor->value(kCurrentPatch), std::stoi(shown.back().substr(program + 8)));
  for (const VarnoSysEx::SoundDumpByte& row : VarnoSysEx::kSoundDumpTable) {
    if (row.parameter == kCurrentPatch) continue;
    ASSERT_EQ(expected.count(row.parameter), 1u) << row.parameter;
    EXPECT_EQ(editor->value(row.parameter), expected[row.parameter]) << "parameter " << row.parameter;
  }
}

TEST_F(SimRoundTrip, enquiryGivesTheSimulatorsGlobalSettings) {
  mSim->command("set 132 17");
  mSim->command("set 131 44");
  editor->flags.globalAnswerExpected = true;
  send(VarnoSysEx::buildEnquiry(kSimDeviceId));
  ASSERT_TRUE(waitForAnswer()) << "no global dump arrived";

  const std::vector<std::string> shown = mSim->command("show globals");
  ASSERT_FALSE(shown.empty());
  const std::map<int, int> expected = parseValues(shown.back());
  for (int index :
       {kGlobalStartUpProgram, kGlobalMasterTune, kGlobalControlX, kGlobalMidiChannel, kGlobalDeviceID}) {
    ASSERT_EQ(expected.count(index), 1u) << index;
    EXPECT_EQ(editor->value(index), expected.at(index)) << "setting " << index;
  }
  EXPECT_EQ(editor->value(kGlobalMasterTune), 17);
  EXPECT_EQ(editor->flags.deviceId, kSimDeviceId);
}
#endif

}  // namespace
