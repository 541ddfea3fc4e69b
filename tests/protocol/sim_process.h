// The simulated Varno for tests of the editor's port code, and the look-up of
// its ports by name. A test binary built with SIM_OVER_JACK runs it as its
// own program over the MIDI system's ports (its path in VARNO_SIM_PATH);
// otherwise its core runs in the test process on loop-back ports, which
// need no MIDI server. Either way it runs with the device ID given and
// answers the same commands.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "KIT/IModule/MidiApi.h"
#include "tests/support/child_process.h"
#include "tests/support/jack_server.h"
#include "tools/varno-sim/LoopbackSim.h"

namespace simtest {

// The simulator a test talks to, wherever it runs.
class Sim {
 public:
  virtual ~Sim() = default;
  // Runs one command; returns its data lines, or fails the test.
  virtual std::vector<std::string> command(const std::string& text) = 0;
  // Ends the simulator; 0 for a clean end.
  virtual int stop() = 0;
};

// The simulator's core in this process on loop-back ports of the client
// name given, with the program's command-line options.
class SimInProcess : public Sim {
 public:
  SimInProcess(const std::string& client, int deviceId, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> arguments = {"--client", client, "--device-id", std::to_string(deviceId)};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    varno::SimOptions options;
    std::string error;
    if (varno::parseOptions(arguments, options, error))
      mSim = std::make_unique<varno::LoopbackSim>(options);
    else
      ADD_FAILURE() << "simulator options: " << error;
  }

  bool started() const { return mSim != nullptr; }

  std::vector<std::string> command(const std::string& text) override {
    std::vector<std::string> lines;
    if (!mSim) {
      ADD_FAILURE() << "the simulator is not running";
      return lines;
    }
    const varno::CommandResult result = mSim->command(text);
    lines = result.lines;
    if (!lines.empty() && lines.back() == "ok") {
      lines.pop_back();
      return lines;
    }
    ADD_FAILURE() << "simulator command \"" << text << "\" answered \""
                  << (lines.empty() ? std::string() : lines.back()) << "\"";
    if (!lines.empty()) lines.pop_back();
    return lines;
  }

  int stop() override {
    mSim.reset();
    return 0;
  }

 private:
  std::unique_ptr<varno::LoopbackSim> mSim;
};

#ifdef SIM_OVER_JACK
// The simulator as a child process: commands go to its standard input, its
// answers (data lines, then "ok" or "error: ...") come from its output.
class SimProcess : public Sim {
 public:
  SimProcess(const std::string& system, const std::string& client, int deviceId,
             const std::vector<std::string>& extra = {})
      : mProcess(VARNO_SIM_PATH, arguments(system, client, deviceId, extra), {}, pipes()) {}

  // The next line of output; false after the timeout or at its end.
  bool readLine(std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    return mProcess.ReadLine(line, timeout);
  }

  // Runs one command; returns its data lines, or fails the test.
  std::vector<std::string> command(const std::string& text) override {
    EXPECT_TRUE(mProcess.Send(text)) << "the simulator takes no more commands";
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

  bool started() const { return mProcess.Started(); }

  // Tells the simulator to quit and waits for it (killed when it does not
  // end within a few seconds); its exit code, 0 for a clean end.
  int stop() override { return mProcess.Stop("quit"); }

 private:
  static std::vector<std::string> arguments(const std::string& system, const std::string& client,
                                            int deviceId, const std::vector<std::string>& extra) {
    std::vector<std::string> all = {"--api", system,        "--client",
                                    client,  "--device-id", std::to_string(deviceId)};
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
  }
  static ChildProcess::Streams pipes() {
    ChildProcess::Streams streams;
    streams.pipeInput = streams.pipeOutput = true;
    return streams;
  }

  ChildProcess mProcess;
};
#endif

// Starts the simulator on this binary's ports under the client name given
// and chooses the editor's MIDI back end to match; a test that uses it
// skips when JACK is needed and there is no server.
inline void startSim(const std::string& client, int deviceId, const std::vector<std::string>& extra,
                     std::unique_ptr<Sim>& sim) {
#ifdef SIM_OVER_JACK
  SKIP_WITHOUT_JACK_SERVER();
  setenv("VIVIVI_MIDI_API", "jack", 0);
  const std::string system = GetExternalMIDIApi() == RtMidi::UNIX_JACK ? "jack" : "alsa";
  auto process = std::make_unique<SimProcess>(system, client, deviceId, extra);
  ASSERT_TRUE(process->started()) << VARNO_SIM_PATH;
  std::string ready;
  ASSERT_TRUE(process->readLine(ready)) << "the simulator did not start";
  ASSERT_EQ(ready.rfind("ready", 0), 0u) << ready;
  sim = std::move(process);
#else
  setenv("VIVIVI_MIDI_API", "loopback", 1);
  auto inProcess = std::make_unique<SimInProcess>(client, deviceId, extra);
  ASSERT_TRUE(inProcess->started());
  sim = std::move(inProcess);
#endif
}

// The entry of a port name list that names the simulator's port: its client
// name (which the MIDI system may give a suffix, as its input and output are
// two clients of one name) and the port name.
inline int entryOf(const std::vector<std::string>& names, const std::string& client,
                   const std::string& port) {
  const std::string tail = ":" + port;
  for (size_t i = 1; i < names.size(); ++i) {
    const std::string& name = names[i];
    if (name.rfind(client, 0) == 0 && name.size() >= tail.size() &&
        name.compare(name.size() - tail.size(), tail.size(), tail) == 0)
      return static_cast<int>(i);
  }
  return 0;
}

}  // namespace simtest
