// The editor end to end: the host program opens VivivI.bundle and shows its
// editor headless, a script drives it through the host's editor commands as a
// user would, and the simulated Varno on JACK ports records what reaches it.
// Every journey starts from a data folder that the install step has just
// seeded (tools/install.sh: the settings file, the library folders and the
// factory library). Every wait has a generous deadline only so that a broken
// run fails instead of hanging; nothing measures time.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "KIT/pix/pix-bitmap.h"
#include "KIT/pix/pix-png.h"
#include "tests/support/child_process.h"
#include "tests/support/jack_server.h"
#include "tests/support/read_file.h"
#include "tests/support/temp_folder.h"

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
  // Every global setting as "show globals" lists them ("globals 131=0 ...").
  std::string Globals() {
    for (const std::string& line : Command("show globals"))
      if (line.rfind("globals ", 0) == 0) return line;
    return {};
  }
  // The 76-byte dump the Varno would send of a program; empty when none.
  std::vector<int> ProgramDump(int program) {
    std::vector<int> bytes;
    for (const std::string& line : Command("show dump " + std::to_string(program)))
      if (line.rfind("dump ", 0) == 0) {
        std::istringstream stream(line.substr(5));
        for (std::string hex; stream >> hex;)
          bytes.push_back(static_cast<int>(strtol(hex.c_str(), nullptr, 16)));
      }
    return bytes;
  }

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
       bool onDisplay = false, const std::vector<std::string>& environment = {})
      : m_errorFile(folder + "/host-err.txt") {
    std::vector<std::string> arguments = {bundle};
    arguments.insert(arguments.end(), actions.begin(), actions.end());
    std::vector<std::string> variables = {onDisplay ? "VIVIVI_VIEW=x11" : "VIVIVI_VIEW=headless",
                                          "VIVIVI_MIDI_API=jack", "VIVIVI_DATA_DIR=" + folder + "/data"};
    variables.insert(variables.end(), environment.begin(), environment.end());
    m_process.reset(new ChildProcess(HOST_PROGRAM, arguments, variables, Pipes(m_errorFile)));
    // The editor is open once the host says so.
    for (std::string line; m_process->ReadLine(line, kDeadline);)
      if (line.rfind("editor open", 0) == 0) {
        m_open = true;
        m_openLine = line;
        break;
      }
  }
  ~Host() {
    if (!m_process->Ended()) m_process->Stop("quit", std::chrono::seconds(20));
  }

  bool Open() const { return m_open; }
  // The host's line on the open editor ("editor open: ..., 1500x667, ...").
  const std::string& OpenLine() const { return m_openLine; }
  // The X window of the editor (0 when headless), from the host's line
  // "editor open: ..., editor window 0x...".
  unsigned long EditorWindow() const {
    const size_t at = m_openLine.find("editor window ");
    return at == std::string::npos ? 0 : strtoul(m_openLine.c_str() + at + 14, nullptr, 16);
  }

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
  // The text the parameter shows for its value.
  std::string ParamText(int id) {
    const std::string answer = Command("get-param-text " + std::to_string(id));
    const std::string shows = "shows: ";
    const size_t at = answer.find(shows);
    return at == std::string::npos ? answer : answer.substr(at + shows.size());
  }
  // Polls the parameter's text until it holds one of texts; what it showed
  // last.
  std::string WaitForText(int id, const std::vector<std::string>& texts) {
    std::string shown;
    for (const auto until = std::chrono::steady_clock::now() + kDeadline;
         std::chrono::steady_clock::now() < until;) {
      shown = ParamText(id);
      for (const std::string& text : texts)
        if (shown.find(text) != std::string::npos) return shown;
      Command("wait 50");
    }
    return shown;
  }
  // Clicks at (x, y) until a popup menu opens (the processing overlay takes
  // clicks while a job runs), then chooses the entry of path ("Item>Sub
  // item"). Whether the entry was chosen.
  bool ChooseFromMenuAt(int x, int y, const std::string& path) {
    const std::string at = std::to_string(x) + " " + std::to_string(y);
    for (const auto deadline = steady_clock::now() + kDeadline; steady_clock::now() < deadline;) {
      if (Command("click " + at).find("a menu is open") != std::string::npos)
        return Command("menu " + path) == "chose " + path;
      Command("wait 100");
    }
    return false;
  }
  // Runs the editor until the parameter holds value; whether it came to.
  bool WaitForParam(int id, double value) {
    for (const auto deadline = steady_clock::now() + kDeadline; steady_clock::now() < deadline;) {
      if (Param(id) == value) return true;
      Command("wait 100");
    }
    return false;
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
    std::string said;
    for (std::string line; m_process->ReadLine(line, kDeadline);) said += line + "\n";
    const int code = m_process->Wait();
    // A host that ended badly shows in the test's log what it said last and
    // what it wrote on its error stream (a sanitizer's report among it): the
    // test's folder goes away with the test.
    if (code != 0)
      std::cerr << "the host ended with " << code << " after saying:\n"
                << said << "and on its error stream:\n"
                << ReadWholeFile(m_errorFile);
    if (rest) *rest += said;
    return code;
  }

 private:
  std::string m_errorFile;  // the host's error stream
  std::unique_ptr<ChildProcess> m_process;
  bool m_open = false;
  std::string m_openLine;
};

// What the editor's window showed, from a PNG the host wrote ("png FILE":
// the window with an open popup menu over it).
class Picture {
 public:
  explicit Picture(const std::string& path) : m_bitmap(PIX_LoadPNG(path.c_str(), nullptr)) {}
  bool Loaded() const { return m_bitmap != nullptr; }
  int Width() const { return m_bitmap ? m_bitmap->getWidth() : 0; }
  int Height() const { return m_bitmap ? m_bitmap->getHeight() : 0; }
  // The pixel word at (x, y); 0 outside the picture.
  PIX_pixel At(int x, int y) const {
    if (!m_bitmap || x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    return m_bitmap->getBits()[static_cast<size_t>(y) * m_bitmap->getRowSpan() + x];
  }
  // The number of pixels of the rectangle (left, top, right, bottom) that
  // differ from other's.
  int Differences(const Picture& other, int left, int top, int right, int bottom) const {
    int count = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if (At(x, y) != other.At(x, y)) ++count;
    return count;
  }

 private:
  std::unique_ptr<PIX_IBitmap> m_bitmap;
};

inline std::string Rgb(PIX_pixel p) {
  return "(" + std::to_string(PIX_Red(p)) + "," + std::to_string(PIX_Green(p)) + "," +
         std::to_string(PIX_Blue(p)) + ")";
}

// The host's actions for an editor in its window, driven by editor commands.
inline const std::vector<std::string> kWindowCommands = {"open-editor", "window", "editor-commands"};

class EditorEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_JACK_SERVER();
    ASSERT_TRUE(m_temp.Made());
    m_dir = m_temp.Name();
    ASSERT_EQ(InstallDataFolder(), 0) << "the install step failed: " << m_dir << "/install.txt";
  }
  void TearDown() override {
    if (HasFailure()) m_temp.Keep();  // to look into
  }

  // The data folder the editor is given.
  std::string DataFolder() const { return m_dir + "/data"; }

  // Runs the install step on the data folder, taking the factory library of
  // the built bundle (which itself stays where the build put it); its exit
  // code. Its output goes to install.txt in the test's folder.
  int InstallDataFolder() {
    const std::string bundle = EDITOR_BUNDLE;
    ChildProcess::Streams streams;
    streams.outputFile = streams.errorFile = m_dir + "/install.txt";
    ChildProcess install(
        "/bin/bash", {VIVIVI_INSTALL_SCRIPT, "--build", bundle.substr(0, bundle.rfind('/')), "--data-only"},
        {"VIVIVI_DATA_DIR=" + DataFolder()}, streams);
    return install.Wait();
  }

  // A freshly installed editor greets with its welcome note over the middle
  // of the window (470,203)-(1030,463); GOT IT closes it.
  void CloseWelcomeNote(Host& host) { EXPECT_EQ(host.Command("click 958 433"), "clicked 958 433"); }

  // The start of most journeys: the simulator ready, the editor open and
  // taking editor commands (host made with kWindowCommands), its welcome
  // note closed and both ports on the simulator's. Use it inside
  // ASSERT_NO_FATAL_FAILURE.
  void OpenOnPorts(Host& host, Simulator& sim) {
    ASSERT_TRUE(sim.Ready());
    ASSERT_TRUE(host.Open());
    CloseWelcomeNote(host);
    OpenPorts(host, sim);
  }

  // Choose a bank in the librarian's edited-bank or source-bank menu (the
  // librarian page is shown) by its menu path: a bank file lying directly in
  // the library folder by its file name, one in a folder below it as
  // "Folder>File".
  void ChooseEditedBank(Host& host, const std::string& path) {
    EXPECT_TRUE(host.ChooseFromMenuAt(1160, 143, path)) << "the edited bank's menu has no " << path;
  }
  void ChooseSourceBank(Host& host, const std::string& path) {
    EXPECT_TRUE(host.ChooseFromMenuAt(1160, 183, path)) << "the source bank's menu has no " << path;
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

  // What the window shows now (made current first: a headless window is
  // painted only when told), written to name.png in the test's folder.
  Picture Snapshot(Host& host, const std::string& name) {
    EXPECT_EQ(host.Command("sync"), "synced");
    const std::string path = m_dir + "/" + name + ".png";
    EXPECT_EQ(host.Command("png " + path), "wrote " + path);
    return Picture(path);
  }

  // Clicks (x, y) until the parameter holds value (the processing overlay
  // takes the clicks while it shows); whether it came to.
  bool ClickUntilParamIs(Host& host, int x, int y, int id, double value) {
    const std::string at = std::to_string(x) + " " + std::to_string(y);
    for (const auto deadline = steady_clock::now() + kDeadline;
         host.Param(id) != value && steady_clock::now() < deadline;) {
      EXPECT_EQ(host.Command("click " + at), "clicked " + at);
      host.Command("wait 200");
    }
    return host.Param(id) == value;
  }

  // Clicks the window at (x, y) until the simulator has received a message
  // of the kind from the editor (the editor's processing overlay takes the
  // clicks while it shows); true when it has.
  bool ClickUntilReceived(Host& host, Simulator& sim, int x, int y, const std::string& kind) {
    const std::string at = std::to_string(x) + " " + std::to_string(y);
    auto received = [&](const std::vector<Record>& r) {
      for (const Record& record : r)
        if (record.direction == "in" && record.kind == kind) return true;
      return false;
    };
    const auto deadline = steady_clock::now() + kDeadline;
    while (!received(sim.Records()) && steady_clock::now() < deadline) {
      EXPECT_EQ(host.Command("click " + at), "clicked " + at);
      host.Command("wait 300");
    }
    return received(sim.WaitFor(received));
  }

  TempFolder m_temp{"vivivi-e2e-"};
  std::string m_dir;
};

// The status, value and CC lines of the header, as the host reads them.
constexpr int kStatusLine = 173, kValueLine = 174, kCCLine = 175;

// The librarian page as the window design lays it out: the main menu, the
// edited bank's folder menu, and the slot list at (16,96) of rows 100 x 16
// in sub-columns of 16 rows, 27 apart; the upper (edited) column starts one
// row pixel down, the lower (source) one 303 down.
namespace librarian {
constexpr int kMainTab = 194;  // value 1: the librarian page
constexpr int kMainMenuX = 1160, kMainMenuY = 107;
constexpr int kUpperBankMenuX = 1160, kUpperBankMenuY = 143;
constexpr int kListX = 16, kListY = 96;
constexpr int kRowWidth = 100, kRowHeight = 16, kColumnGap = 27, kSubColumnRows = 16;

// "X Y" of the middle of a row of the upper (0) or lower (1) column.
inline std::string RowCentre(int column, int row) {
  const int top = kListY + (column == 0 ? 1 : 303);
  const int x = kListX + (row / kSubColumnRows) * (kRowWidth + kColumnGap) + kRowWidth / 2;
  const int y = top + (row % kSubColumnRows) * kRowHeight + kRowHeight / 2;
  return std::to_string(x) + " " + std::to_string(y);
}
}  // namespace librarian

// A bank file of raw SysEx: the dump once for each of the 99 programs, its
// program byte set to the slot.
inline void WriteSysExBank(const std::string& path, const std::vector<int>& dump) {
  std::string bytes;
  for (int slot = 0; slot < 99; ++slot)
    for (size_t i = 0; i < dump.size(); ++i) bytes.push_back(static_cast<char>(i == 5 ? slot : dump[i]));
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return;
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
}

// The control changes the simulator received from the editor, as bytes.
inline std::vector<std::vector<int>> ControlChangesReceived(const std::vector<Record>& records) {
  std::vector<std::vector<int>> found;
  for (const Record& r : records)
    if (r.direction == "in" && r.kind == "control-change") found.push_back(r.bytes);
  return found;
}

// Records of one kind received from the editor.
inline std::vector<Record> Received(const std::vector<Record>& records, const std::string& kind) {
  std::vector<Record> found;
  for (const Record& r : records)
    if (r.direction == "in" && r.kind == kind) found.push_back(r);
  return found;
}

}  // namespace e2e
