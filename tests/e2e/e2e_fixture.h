// The editor end to end: the host program opens VivivI.bundle and shows its
// editor headless, a script drives it through the host's editor commands as a
// user would, and the simulated Varno on JACK ports records what reaches it.
// Every wait has a generous deadline only so that a broken run fails instead
// of hanging; nothing measures time.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/jack_server.h"

namespace e2e {

using std::chrono::steady_clock;

// The shared JACK server and a loaded machine can hold things up for long.
constexpr auto kDeadline = std::chrono::seconds(40);

inline std::string UniqueName(const char* role) {
  static int counter = 0;
  return "e2e-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + "-" + role;
}

inline ChildProcess::Streams Pipes(const std::string& errorFile) {
  ChildProcess::Streams streams;
  streams.pipeInput = streams.pipeOutput = true;
  streams.errorFile = errorFile;
  return streams;
}

// One record line of the simulator: "record <us> in|out <kind> <outcome> <fault> <hex>".
struct Record {
  std::string direction, kind, outcome, fault;
  std::vector<int> bytes;
};

inline bool ParseRecord(const std::string& line, Record* record) {
  std::istringstream stream(line);
  std::string word, time;
  if (!(stream >> word) || word != "record") return false;
  stream >> time >> record->direction >> record->kind >> record->outcome >> record->fault;
  record->bytes.clear();
  for (std::string hex; stream >> hex;)
    record->bytes.push_back(static_cast<int>(strtol(hex.c_str(), nullptr, 16)));
  return !record->kind.empty();
}

// The names under which a simulator makes its ports, and the environment it
// runs in (a private JACK server: "JACK_DEFAULT_SERVER=..."). Empty names are
// made unique; a second simulator given the same names makes the same ports
// again once the first has ended.
struct SimulatorSetup {
  std::string client, inPort, outPort;
  std::vector<std::string> environment;
};

// The simulated Varno with its command channel on pipes.
class Simulator {
 public:
  Simulator(const std::string& folder, const std::vector<std::string>& options = {},
            const SimulatorSetup& setup = {})
      : inPort(setup.inPort.empty() ? UniqueName("in") : setup.inPort),
        outPort(setup.outPort.empty() ? UniqueName("out") : setup.outPort) {
    const std::string client = setup.client.empty() ? UniqueName("varno") : setup.client;
    std::vector<std::string> arguments = {"--api",     "jack", "--client",   client,
                                          "--in-port", inPort, "--out-port", outPort};
    arguments.insert(arguments.end(), options.begin(), options.end());
    m_process.reset(
        new ChildProcess(VARNO_SIM_PROGRAM, arguments, setup.environment, Pipes(folder + "/sim-err.txt")));
    std::string line;
    m_ready = m_process->ReadLine(line, kDeadline) && line.rfind("ready", 0) == 0;
  }
  ~Simulator() { m_process->Stop("quit"); }

  bool Ready() const { return m_ready; }

  // Runs a command; its lines up to and including "ok" or "error: ...".
  std::vector<std::string> Command(const std::string& line) {
    m_process->Send(line);
    std::vector<std::string> lines;
    for (std::string answer;;) {
      if (!m_process->ReadLine(answer, kDeadline)) return lines;
      lines.push_back(answer);
      if (answer == "ok" || answer.rfind("error: ", 0) == 0) return lines;
    }
  }

  std::vector<Record> Records() {
    std::vector<Record> records;
    Record record;
    for (const std::string& line : Command("records"))
      if (ParseRecord(line, &record)) records.push_back(record);
    return records;
  }

  // Polls the record until the test holds; the records of the last poll.
  std::vector<Record> WaitFor(const std::function<bool(const std::vector<Record>&)>& test) {
    const auto deadline = steady_clock::now() + kDeadline;
    std::vector<Record> records = Records();
    while (!test(records) && steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      records = Records();
    }
    return records;
  }

  // The value of a sound setting ("show edit") or a global one ("show
  // globals"); -1 when absent.
  int EditValue(int index) { return ShownValue("edit", index); }
  int GlobalValue(int index) { return ShownValue("globals", index); }

  const std::string inPort, outPort;  // the Varno's: the editor's output goes to inPort

 private:
  int ShownValue(const std::string& what, int index) {
    for (const std::string& line : Command("show " + what)) {
      const std::string key = " " + std::to_string(index) + "=";
      const size_t at = line.find(key);
      if (line.rfind(what + " ", 0) == 0 && at != std::string::npos)
        return atoi(line.c_str() + at + key.size());
    }
    return -1;
  }

  std::unique_ptr<ChildProcess> m_process;
  bool m_ready = false;
};

// The host program with the editor open and its commands on pipes.
class Host {
 public:
  // Runs the host on bundle with the actions; they end in editor-commands.
  // Headless, or with onDisplay in a window on the display the environment
  // names; environment adds "NAME=value" entries (a private JACK server).
  Host(const std::string& folder, const std::string& bundle, const std::vector<std::string>& actions,
       bool onDisplay = false, const std::vector<std::string>& environment = {}) {
    std::vector<std::string> arguments = {bundle};
    arguments.insert(arguments.end(), actions.begin(), actions.end());
    std::vector<std::string> variables = {onDisplay ? "VIVIVI_VIEW=x11" : "VIVIVI_VIEW=headless",
                                          "VIVIVI_MIDI_API=jack", "VIVIVI_DATA_DIR=" + folder + "/data"};
    variables.insert(variables.end(), environment.begin(), environment.end());
    m_process.reset(new ChildProcess(HOST_PROGRAM, arguments, variables, Pipes(folder + "/host-err.txt")));
    // The editor is open once the host says so.
    for (std::string line; m_process->ReadLine(line, kDeadline);)
      if (line.rfind("editor open", 0) == 0) {
        m_open = true;
        break;
      }
  }
  ~Host() {
    if (!m_process->Ended()) m_process->Stop("quit", std::chrono::seconds(20));
  }

  bool Open() const { return m_open; }

  // Sends one editor command; its answer (lines the host prints of its own,
  // the notices of parameter changes, are passed over).
  std::string Command(const std::string& line) {
    Send(line);
    return Answer();
  }
  // A command whose answer comes later (one that runs a modal dialog), and
  // the answer of the command sent before.
  void Send(const std::string& line) { m_process->Send(line); }
  std::string Answer() {
    for (std::string answer; m_process->ReadLine(answer, kDeadline);)
      if (answer.rfind("host heard:", 0) != 0) return answer;
    return "(no answer)";
  }

  double Param(int id) {
    const std::string answer = Command("get-param " + std::to_string(id));
    const size_t colon = answer.find(": ");
    return colon == std::string::npos ? -1.0 : atof(answer.c_str() + colon + 2);
  }

  // Ends one block of editor commands (the actions go on with the next
  // action) and reads up to the first line that begins with prefix, which
  // the actions after it print; that line, or "" when none came.
  std::string EndCommands(const std::string& prefix) {
    m_process->Send("quit");
    for (std::string line; m_process->ReadLine(line, kDeadline);)
      if (line.rfind(prefix, 0) == 0) return line;
    return "";
  }

  // Ends the commands and the host; its exit code and everything it printed
  // after the commands.
  int Quit(std::string* rest = nullptr) {
    m_process->Send("quit");
    m_process->CloseInput();
    for (std::string line; m_process->ReadLine(line, kDeadline);)
      if (rest) *rest += line + "\n";
    return m_process->Wait();
  }

 private:
  std::unique_ptr<ChildProcess> m_process;
  bool m_open = false;
};

class EditorEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_JACK_SERVER();
    char pattern[] = "/tmp/vivivi-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
    mkdir((m_dir + "/data").c_str(), 0755);
  }
  void TearDown() override {
    if (!m_dir.empty() && !HasFailure()) std::system(("rm -rf '" + m_dir + "'").c_str());
  }

  // Chooses the simulator's ports in the editor, input first (so that the
  // answer to the enquiry that opening the output sends finds the input
  // open), and waits until the enquiry was answered.
  void OpenPorts(Host& host, Simulator& sim) {
    EXPECT_EQ(host.Command("set-param-text 166 " + sim.outPort).rfind("parameter 166 set to", 0), 0u);
    EXPECT_EQ(host.Command("set-param-text 165 " + sim.inPort).rfind("parameter 165 set to", 0), 0u);
    const auto records = sim.WaitFor([](const std::vector<Record>& r) {
      for (const Record& x : r)
        if (x.kind == "enquiry" && x.outcome == "answered") return true;
      return false;
    });
    ASSERT_FALSE(records.empty()) << "the editor sent no enquiry on opening its output";
  }

  std::string m_dir;
};

// Chooses an entry of the librarian's main menu (at the place the window
// design gives it) by its path; a click while the processing overlay covers
// the window opens nothing, so it is tried again. False, with the window
// written to folder/main-menu-failed.png, when the menu never opened.
inline bool LibrarianMainMenu(Host& host, const std::string& path, const std::string& folder) {
  const std::string click = "click 1160 107";
  const auto deadline = steady_clock::now() + kDeadline;
  std::string clicked;
  while (steady_clock::now() < deadline) {
    clicked = host.Command(click);
    if (clicked.find("a menu is open") != std::string::npos) {
      const std::string chose = host.Command("menu " + path);
      EXPECT_EQ(chose, "chose " + path);
      return chose == "chose " + path;
    }
    host.Command("wait 100");
  }
  host.Command("png " + folder + "/main-menu-failed.png");
  ADD_FAILURE() << "the main menu did not open: " << clicked;
  return false;
}

// Records of one kind received from the editor.
inline std::vector<Record> Received(const std::vector<Record>& records, const std::string& kind) {
  std::vector<Record> found;
  for (const Record& r : records)
    if (r.direction == "in" && r.kind == kind) found.push_back(r);
  return found;
}

}  // namespace e2e
