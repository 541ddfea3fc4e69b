// The simulated Varno as a child process for tests over real MIDI ports, and
// the look-up of its ports by exact name. The program's path comes from
// VARNO_SIM_PATH; it runs with the device ID given.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace simtest {

// The simulator as a child process: commands go to its standard input, its
// answers (data lines, then "ok" or "error: ...") come from its output.
class SimProcess {
 public:
  SimProcess(const std::string& system, const std::string& client, int deviceId,
             const std::vector<std::string>& extra = {})
      : mProcess(VARNO_SIM_PATH, arguments(system, client, deviceId, extra), {}, pipes()) {}

  // The next line of output; false after the timeout or at its end.
  bool readLine(std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    return mProcess.ReadLine(line, timeout);
  }

  // Runs one command; returns its data lines, or fails the test.
  std::vector<std::string> command(const std::string& text) {
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
  int stop() { return mProcess.Stop("quit"); }

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
