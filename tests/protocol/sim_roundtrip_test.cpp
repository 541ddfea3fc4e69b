// End to end over real MIDI ports: the simulated Varno runs as its own
// program on two named ports; the editor's stand-in opens them by name, sends
// a request built by the message set, and its receive side turns the answer
// into parameter values, which must equal what the simulator holds.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/MidiApi.h"
#include "editor_double.h"
#include "src/MIDIMessageSysEx.h"

extern char** environ;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kSimDeviceId = 5;

// The simulator as a child process: commands go to its standard input, its
// answers (data lines, then "ok" or "error: ...") come from its output.
class SimProcess {
public:
  SimProcess(const std::string& system, const std::string& client) {
    int toSim[2], fromSim[2];
    if (pipe(toSim) != 0 || pipe(fromSim) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toSim[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromSim[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, toSim[1]);
    posix_spawn_file_actions_addclose(&actions, fromSim[0]);
    const std::vector<std::string> arguments = {VARNO_SIM_PATH, "--api",       system,
                                                "--client",     client,        "--device-id",
                                                std::to_string(kSimDeviceId)};
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&mPid, VARNO_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) mPid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(toSim[0]);
    close(fromSim[1]);
    mIn = toSim[1];
    mOut = fromSim[0];
  }

  ~SimProcess() {
    if (mIn >= 0) {
      const char quit[] = "quit\n";
      [[maybe_unused]] const ssize_t written = write(mIn, quit, sizeof quit - 1);
      close(mIn);
    }
    if (mPid > 0) {
      for (int i = 0; i < 100; ++i) {
        if (waitpid(mPid, nullptr, WNOHANG) == mPid) {
          mPid = -1;
          break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      if (mPid > 0) {
        kill(mPid, SIGKILL);
        waitpid(mPid, nullptr, 0);
      }
    }
    if (mOut >= 0) close(mOut);
  }

  // The next line of output; false after the timeout or at its end.
  bool readLine(std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      const size_t end = mBuffer.find('\n');
      if (end != std::string::npos) {
        line = mBuffer.substr(0, end);
        mBuffer.erase(0, end + 1);
        return true;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || mOut < 0) return false;
      pollfd output{mOut, POLLIN, 0};
      if (poll(&output, 1, static_cast<int>(left.count())) <= 0) continue;
      char chunk[4096];
      const ssize_t count = read(mOut, chunk, sizeof chunk);
      if (count <= 0) return false;
      mBuffer.append(chunk, static_cast<size_t>(count));
    }
  }

  // Runs one command; returns its data lines, or fails the test.
  std::vector<std::string> command(const std::string& text) {
    const std::string line = text + "\n";
    EXPECT_EQ(write(mIn, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    std::vector<std::string> lines;
    std::string answer;
    while (readLine(answer)) {
      if (answer == "ok") return lines;
      if (answer.rfind("error", 0) == 0) break;
      lines.push_back(answer);
    }
    ADD_FAILURE() << "simulator command \"" << text << "\" answered \"" << answer << "\"";
    return lines;
  }

  bool started() const { return mPid > 0; }

private:
  pid_t mPid = -1;
  int mIn = -1;
  int mOut = -1;
  std::string mBuffer;
};

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

// The entry of a port name list that names the simulator's port: its client
// name (which the MIDI system may give a suffix, as its input and output are
// two clients of one name) and the port name.
int entryOf(const std::vector<std::string>& names, const std::string& client, const std::string& port) {
  const std::string tail = ":" + port;
  for (size_t i = 1; i < names.size(); ++i) {
    const std::string& name = names[i];
    if (name.rfind(client, 0) == 0 && name.size() >= tail.size() &&
        name.compare(name.size() - tail.size(), tail.size(), tail) == 0)
      return static_cast<int>(i);
  }
  return 0;
}

class SimRoundTrip : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("VIVIVI_MIDI_API", "jack", 0);
    const std::string system = GetExternalMIDIApi() == RtMidi::UNIX_JACK ? "jack" : "alsa";
    mClient = "h5-sim-" + std::to_string(getpid()) + "-" + std::to_string(++sCounter);
    mSim.reset(new SimProcess(system, mClient));
    ASSERT_TRUE(mSim->started()) << VARNO_SIM_PATH;
    std::string ready;
    ASSERT_TRUE(mSim->readLine(ready)) << "the simulator did not start";
    ASSERT_EQ(ready.rfind("ready", 0), 0u) << ready;

    int out = entryOf(editor.getExternalMIDIOutNames(), mClient, "Varno In");
    int in = entryOf(editor.getExternalMIDIInNames(), mClient, "Varno Out");
    ASSERT_GT(out, 0) << "no port " << mClient << ":Varno In";
    ASSERT_GT(in, 0) << "no port " << mClient << "...:Varno Out";
    ASSERT_GT(editor.setExternalMIDIOut(out, editor.getExternalMIDIOutNames()[out]), 0);
    ASSERT_GT(editor.setExternalMIDIIn(in, editor.getExternalMIDIInNames()[in]), 0);
    editor.midiOutputOpen = true;
  }

  void TearDown() override {
    editor.CloseMidiPorts();
    mSim.reset();
  }

  void send(const Bytes& unframed) {
    Bytes bytes = unframed;
    ASSERT_TRUE(editor.SendMidiSysex(bytes.data(), static_cast<int>(bytes.size())));
  }

  // Waits until the receive side reports an answer (the plug-in's answer flag).
  bool waitForAnswer() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!editor.responseReceived) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  static int sCounter;
  std::string mClient;
  std::unique_ptr<SimProcess> mSim;
  TestEditor editor;
};

int SimRoundTrip::sCounter = 0;

TEST_F(SimRoundTrip, programRequestGivesTheSimulatorsProgram) {
  // The editor does not know the simulator's device ID yet: the request goes
  // out under that ID (as the device-ID scan sends it) and the answer teaches it.
  constexpr int kProgram = 23;
  editor.midiManager->soundDumpExpected = true;
  send(VarnoSysEx::buildProgramRequest(kSimDeviceId, kProgram));
  ASSERT_TRUE(waitForAnswer()) << "no sound dump arrived";

  const std::vector<std::string> shown = mSim->command("show program " + std::to_string(kProgram));
  ASSERT_EQ(shown.size(), 1u);
  const std::map<int, int> expected = parseValues(shown[0]);
  ASSERT_EQ(expected.size(), 65u) << "every parameter the dump carries";
  for (const auto& entry : expected)
    EXPECT_EQ(editor.value(entry.first), entry.second) << "parameter " << entry.first;
  EXPECT_EQ(editor.value(kCurrentPatch), kProgram);
  EXPECT_EQ(editor.deviceId, kSimDeviceId);
  EXPECT_EQ(editor.value(kGlobalDeviceID), kSimDeviceId);
  EXPECT_EQ(editor.GetParam(kPatchName)->GetDisplayText(0), std::string("REQUESTED"));
}

TEST_F(SimRoundTrip, editBufferRequestGivesTheSimulatorsSound) {
  // A panel change on the simulator first, so the edit buffer differs from
  // every program.
  mSim->command("set 39 11");
  mSim->command("set 0 5");
  editor.set(kGlobalDeviceID, kSimDeviceId);
  editor.midiManager->soundDumpExpected = true;
  send(VarnoSysEx::buildCurrentSoundRequest(kSimDeviceId, 0));
  ASSERT_TRUE(waitForAnswer()) << "no sound dump arrived";

  const std::vector<std::string> shown = mSim->command("show edit");
  ASSERT_FALSE(shown.empty());
  std::map<int, int> expected = parseValues(shown.back());
  ASSERT_EQ(expected.count(39), 1u);
  EXPECT_EQ(expected[39], 11);
  const size_t program = shown.back().find("program=");
  ASSERT_NE(program, std::string::npos);
  EXPECT_EQ(editor.value(kCurrentPatch), std::stoi(shown.back().substr(program + 8)));
  for (const VarnoSysEx::SoundDumpByte& row : VarnoSysEx::kSoundDumpTable) {
    if (row.parameter == kCurrentPatch) continue;
    ASSERT_EQ(expected.count(row.parameter), 1u) << row.parameter;
    EXPECT_EQ(editor.value(row.parameter), expected[row.parameter]) << "parameter " << row.parameter;
  }
}

TEST_F(SimRoundTrip, enquiryGivesTheSimulatorsGlobalSettings) {
  mSim->command("set 132 17");
  mSim->command("set 131 44");
  editor.globalAnswerExpected = true;
  send(VarnoSysEx::buildEnquiry(kSimDeviceId));
  ASSERT_TRUE(waitForAnswer()) << "no global dump arrived";

  const std::vector<std::string> shown = mSim->command("show globals");
  ASSERT_FALSE(shown.empty());
  const std::map<int, int> expected = parseValues(shown.back());
  for (int index : {kGlobalStartUpProgram, kGlobalMasterTune, kGlobalControlX, kGlobalMidiChannel, kGlobalDeviceID}) {
    ASSERT_EQ(expected.count(index), 1u) << index;
    EXPECT_EQ(editor.value(index), expected.at(index)) << "setting " << index;
  }
  EXPECT_EQ(editor.value(kGlobalMasterTune), 17);
  EXPECT_EQ(editor.deviceId, kSimDeviceId);
}

}  // namespace
