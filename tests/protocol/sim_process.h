// The simulated Varno as a child process for tests over real MIDI ports, and
// the look-up of its ports by exact name. The program's path comes from
// VARNO_SIM_PATH; it runs with the device ID given.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace simtest {

// The simulator as a child process: commands go to its standard input, its
// answers (data lines, then "ok" or "error: ...") come from its output.
class SimProcess {
 public:
  SimProcess(const std::string& system, const std::string& client, int deviceId,
             const std::vector<std::string>& extra = {}) {
    int toSim[2], fromSim[2];
    if (pipe(toSim) != 0 || pipe(fromSim) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toSim[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromSim[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, toSim[1]);
    posix_spawn_file_actions_addclose(&actions, fromSim[0]);
    std::vector<std::string> arguments = {
        VARNO_SIM_PATH, "--api", system, "--client", client, "--device-id", std::to_string(deviceId)};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
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
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
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
