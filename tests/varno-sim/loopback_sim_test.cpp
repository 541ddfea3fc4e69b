// The simulated Varno inside the test process on loop-back ports: a peer
// joined to its two ports by name, as the editor joins them, talks to it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/LoopbackMidi.h"
#include "KIT/IModule/MidiApi.h"
#include "tests/support/midi_peer.h"
#include "tools/varno-sim/LoopbackSim.h"

namespace {

using Bytes = std::vector<unsigned char>;
using varno::hexText;

std::string uniqueName(const char* role) {
  static int counter = 0;
  return "ls-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + "-" + role;
}

// Data lines of a command that answered "ok" (the "ok" left out).
std::vector<std::string> dataLines(const varno::CommandResult& result) {
  std::vector<std::string> lines = result.lines;
  EXPECT_FALSE(lines.empty());
  if (!lines.empty()) {
    EXPECT_EQ(lines.back(), "ok");
    lines.pop_back();
  }
  return lines;
}

class LoopbackVarnoSim : public ::testing::Test {
 protected:
  // Starts the simulator at device ID 5 with the extra options given and
  // joins the peer to both its ports.
  void start(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> arguments = {"--client", m_client, "--device-id", "5"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    varno::SimOptions options;
    std::string error;
    ASSERT_TRUE(varno::parseOptions(arguments, options, error)) << error;
    m_sim = std::make_unique<varno::LoopbackSim>(options);
    ASSERT_TRUE(m_listener.ConnectToOutputEndingWith(m_client + ":Varno Out"));
    ASSERT_EQ(OpenMIDIPortByName(&m_output, m_client + ":Varno In", "out"), 1);
  }
  void send(const Bytes& bytes) { m_output.sendMessage(bytes.data(), bytes.size()); }
  // Whether a line of the simulator's record holds text within a few
  // seconds: an answer reaches the peer before its sending thread notes it
  // as sent.
  bool recorded(const std::string& text) {
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);;) {
      for (const std::string& line : dataLines(m_sim->command("records")))
        if (line.find(text) != std::string::npos) return true;
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  std::string m_client = uniqueName("sim");
  MidiPeerIn m_listener{uniqueName("peer"), "in", false, kLoopbackMIDIApi};
  LoopbackMidiOut m_output{uniqueName("peer")};
  std::unique_ptr<varno::LoopbackSim> m_sim;  // ends first: it sends to the listener
};

TEST_F(LoopbackVarnoSim, AnswersAndCommandedMessagesLeaveOnItsOutputPortAndAreRecorded) {
  ASSERT_NO_FATAL_FAILURE(start());
  send({0xF0, 0x3E, 0x0B, 0x04, 0x41, 42, 0xF7});  // another device: no answer
  send({0xF0, 0x3E, 0x0B, 0x05, 0x41, 42, 0xF7});
  const Bytes dump = m_listener.Next();
  ASSERT_EQ(dump.size(), 76u);
  const std::vector<std::string> shown = dataLines(m_sim->command("show dump 42"));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ("dump " + hexText(dump), shown[0]);
  EXPECT_TRUE(recorded("in program-request ignored other-device F0 3E 0B 04 41 2A F7"));
  EXPECT_TRUE(recorded(" out sound-dump sent none " + hexText(dump)));

  dataLines(m_sim->command("select 7"));
  EXPECT_EQ(m_listener.Next(), (Bytes{0xC0, 7}));
}

TEST_F(LoopbackVarnoSim, EndsWithALateAnswerStillWaitingAndNeverSendsIt) {
  ASSERT_NO_FATAL_FAILURE(start({"--answer", "late:600000"}));
  send({0xF0, 0x3E, 0x0B, 0x05, 0x48, 0xF7});  // the enquiry, answered ten minutes on
  EXPECT_TRUE(recorded("in enquiry answered"));
  m_sim.reset();  // does not wait for the answer's time
  EXPECT_TRUE(m_listener.WaitForCount(1, std::chrono::milliseconds(100)).empty());
}

}  // namespace
