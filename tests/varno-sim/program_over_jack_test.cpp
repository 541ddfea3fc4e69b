// The varno-sim program as a fixture: started on JACK ports with its command
// channel on pipes, spoken to through RtMidi like the editor would. Waits have
// deadlines only so that a broken run fails instead of hanging; nothing here
// measures time.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/jack_server.h"
#include "tests/support/midi_peer.h"
#include "tools/varno-sim/CommandInterpreter.h"

namespace {

using varno::hexText;

using Bytes = std::vector<unsigned char>;
using std::chrono::steady_clock;

// Generous: the JACK server is shared, and other clients can hold up a cycle.
constexpr auto kDeadline = std::chrono::seconds(30);

std::string uniqueName(const char* role) {
  static int counter = 0;
  return "vs-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + "-" + role;
}

// The simulator process with its standard input and output on pipes.
class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& arguments)
      : m_process(VARNO_SIM_PROGRAM, arguments, {}, pipes()) {}

  void send(const std::string& line) { m_process.Send(line); }

  // The next line of output, or "" when none comes before the deadline.
  std::string readLine() {
    std::string line;
    return m_process.ReadLine(line, kDeadline) ? line : std::string();
  }

  // Runs a command; returns its lines up to and including "ok" or "error: ...".
  std::vector<std::string> command(const std::string& line) {
    send(line);
    std::vector<std::string> lines;
    for (;;) {
      const std::string answer = readLine();
      lines.push_back(answer);
      if (answer.empty() || answer == "ok" || answer.rfind("error: ", 0) == 0) return lines;
    }
  }

  // Asks for the record until a line holds the text; false at the deadline.
  // The input port hands messages over a JACK cycle later, so a test that must
  // know a message was handled looks for it here.
  bool waitForRecord(const std::string& text) {
    const auto deadline = steady_clock::now() + kDeadline;
    while (steady_clock::now() < deadline) {
      for (const std::string& line : command("records"))
        if (line.find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  bool started() const { return m_process.Started(); }
  // Tells it to quit and waits (killed when it does not end); its exit code.
  int stop() { return m_process.Stop("quit"); }

 private:
  static ChildProcess::Streams pipes() {
    ChildProcess::Streams streams;
    streams.pipeInput = streams.pipeOutput = true;
    return streams;
  }

  ChildProcess m_process;
};

// Connects JACK ports by name. RtMidi opens ports by list index, and the list
// changes while other clients come and go (tests run in parallel), so the
// test's ports are virtual and joined here by their exact names.
class JackConnector {
 public:
  JackConnector() : m_client(jack_client_open(uniqueName("connector").c_str(), JackNoStartServer, nullptr)) {}
  ~JackConnector() {
    if (m_client != nullptr) jack_client_close(m_client);
  }

  // The full name ("client:port") of the MIDI port whose port name is given.
  std::string fullName(const std::string& portName) const {
    std::string found;
    if (m_client == nullptr) return found;
    const char** ports =
        jack_get_ports(m_client, ("^.*:" + portName + "$").c_str(), JACK_DEFAULT_MIDI_TYPE, 0);
    if (ports != nullptr && ports[0] != nullptr) found = ports[0];
    if (ports != nullptr) jack_free(ports);
    return found;
  }

  bool connect(const std::string& sourcePort, const std::string& destinationPort) const {
    const std::string source = fullName(sourcePort);
    const std::string destination = fullName(destinationPort);
    return !source.empty() && !destination.empty() &&
           jack_connect(m_client, source.c_str(), destination.c_str()) == 0;
  }

 private:
  jack_client_t* m_client;
};

// The test's own pair of JACK ports, joined to the simulator's.
class MidiPeer {
 public:
  bool connect(const std::string& simInPort, const std::string& simOutPort) {
    JackConnector connector;
    return connector.connect(m_outputName, simInPort) && connector.connect(simOutPort, m_inputName);
  }

  void send(const Bytes& bytes) { m_output.Send(bytes); }

  // The next message received, or an empty one after the deadline.
  Bytes next() { return m_input.Next(kDeadline); }

 private:
  std::string m_inputName = uniqueName("peer-in");
  std::string m_outputName = uniqueName("peer-out");
  MidiPeerIn m_input{uniqueName("peer"), m_inputName, false};
  MidiPeerOut m_output{uniqueName("peer"), m_outputName};
};

class VarnoSimOverJack : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_JACK_SERVER();
    m_peer = std::make_unique<MidiPeer>();
    m_sim = std::make_unique<SimProcess>(
        std::vector<std::string>{"--api", "jack", "--client", uniqueName("sim"), "--in-port", m_inPort,
                                 "--out-port", m_outPort, "--device-id", "5"});
    ASSERT_TRUE(m_sim->started());
    const std::string ready = m_sim->readLine();
    ASSERT_EQ(ready.rfind("ready jack", 0), 0u)
        << "varno-sim did not start (is the JACK server running?): " << ready;
    ASSERT_TRUE(m_peer->connect(m_inPort, m_outPort)) << "simulator ports not found";
    // JACK connections take effect in the next cycle; an answered enquiry
    // shows that both directions are through.
    m_peer->send({0xF0, 0x3E, 0x0B, 0x05, 0x48, 0xF7});
    ASSERT_EQ(m_peer->next().size(), 12u);
  }
  void TearDown() override {
    if (m_sim && m_sim->started()) {
      EXPECT_EQ(m_sim->stop(), 0) << "the simulator did not end cleanly";
    }
  }

  std::string m_inPort = uniqueName("in");
  std::string m_outPort = uniqueName("out");
  std::unique_ptr<SimProcess> m_sim;
  std::unique_ptr<MidiPeer> m_peer;  // made once a server is known to run
};

TEST_F(VarnoSimOverJack, ProgramRequestAtItsDeviceIdIsAnsweredWithTheProgramDump) {
  m_peer->send({0xF0, 0x3E, 0x0B, 0x04, 0x41, 42, 0xF7});  // another device: no answer
  m_peer->send({0xF0, 0x3E, 0x0B, 0x05, 0x41, 42, 0xF7});
  const Bytes dump = m_peer->next();
  ASSERT_EQ(dump.size(), 76u);
  const std::vector<std::string> shown = m_sim->command("show dump 42");
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ("dump " + hexText(dump), shown[0]);

  EXPECT_TRUE(m_sim->waitForRecord("in program-request ignored other-device F0 3E 0B 04 41 2A F7"));
}

TEST_F(VarnoSimOverJack, StoredDumpAndControlChangeAreTakenFromThePort) {
  Bytes store(76, 0);
  store[0] = 0xF0;
  store[1] = 0x3E;
  store[2] = 0x0B;
  store[3] = 0x05;
  store[4] = 0x01;
  store[5] = 3;
  for (int byte = 6; byte <= 70; ++byte) store[byte] = 20;  // valid for every parameter but the shapes
  int sum = 0;
  for (int byte = 5; byte <= 73; ++byte) sum += store[byte];
  store[74] = static_cast<unsigned char>(sum % 128);
  store[75] = 0xF7;
  m_peer->send(store);
  m_peer->send({0xB0, 74, 11});
  m_peer->send({0xF0, 0x3E, 0x0B, 0x05, 0x41, 3, 0xF7});
  const Bytes dump = m_peer->next();
  ASSERT_EQ(dump.size(), 76u);
  EXPECT_EQ(dump[5], 3);
  EXPECT_EQ(dump[61], 20) << "kFilterCutoff as stored";
  EXPECT_EQ(dump[8], 2) << "kOscillator1Shape limited to its range";
  // Messages are handled in order: the answer shows the control change is in.
  const std::vector<std::string> edit = m_sim->command("show edit");
  ASSERT_EQ(edit.size(), 2u);
  EXPECT_NE(edit[0].find(" 39=11 "), std::string::npos) << edit[0];
}

TEST_F(VarnoSimOverJack, CommandedMessagesLeaveOnTheOutputPort) {
  EXPECT_EQ(m_sim->command("send-param 55 108").back(), "ok");
  EXPECT_EQ(m_peer->next(), (Bytes{0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x3A, 0x01, 0x00, 0x01, 0xF7}));
  EXPECT_EQ(m_sim->command("select 7").back(), "ok");
  EXPECT_EQ(m_peer->next(), (Bytes{0xC0, 7}));
  EXPECT_EQ(m_sim->command("turn 0 36").back(), "ok");
  EXPECT_EQ(m_peer->next(), (Bytes{0xB0, 32, 52}));
}

TEST_F(VarnoSimOverJack, WithheldAnswersNeverArriveButOthersDo) {
  EXPECT_EQ(m_sim->command("answer never").back(), "ok");
  m_peer->send({0xF0, 0x3E, 0x0B, 0x05, 0x40, 0, 0xF7});
  ASSERT_TRUE(m_sim->waitForRecord("in edit-buffer-request ignored not-answering"));
  EXPECT_EQ(m_sim->command("answer now").back(), "ok");
  m_peer->send({0xF0, 0x3E, 0x0B, 0x05, 0x48, 0xF7});
  EXPECT_EQ(m_peer->next().size(), 12u) << "the first answer after the withheld request is the enquiry's";
}

}  // namespace
