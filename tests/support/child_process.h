// A program that a test starts, talks to and stops: the host, the simulated
// synthesizer, the command-line tools. Its standard input and output can be
// pipes the test writes lines to and reads lines from, or files; its exit
// status is kept once it is reaped, however that happens (a poll of Running,
// Wait or Stop), so a program that crashed or reported a fault never reads
// as a clean exit.
//
// Exit codes: the code the program exited with; 128 + the signal number when
// a signal ended it; kNoStatus when it never started or its status was lost.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/spawn_vectors.h"

// Where the program's standard streams go. A stream neither piped nor sent
// to a file is this process's own.
struct ChildStreams {
  bool pipeInput = false;   // Send and CloseInput write to it
  bool pipeOutput = false;  // ReadLine reads from it
  std::string outputFile;   // standard output (when not piped), truncated
  std::string errorFile;    // standard error, truncated
};

class ChildProcess {
 public:
  static constexpr int kNoStatus = -1;

  using Streams = ChildStreams;

  // Starts program with the arguments and extra "NAME=value" environment
  // entries (before this process's own). Started() tells whether it did.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment = {}, const Streams& streams = {});
  // Stops the program (Stop without a quit line) when it still runs.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return m_pid > 0; }
  pid_t Pid() const { return m_pid; }

  // ---- Talking to it (piped streams only) --------------------------------
  // Writes the line and a newline to its input; false when that fails.
  bool Send(const std::string& line);
  // Closes its input: a program reading commands sees their end.
  void CloseInput();
  // The next line of its output without the newline; false at the end of
  // the output or when no whole line comes within the timeout.
  bool ReadLine(std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(30));

  // ---- Its end -----------------------------------------------------------
  // True while it runs. When it has ended, it is reaped and its status kept.
  bool Running();
  // Waits for it to end; its exit code.
  int Wait();
  // Ends it: sends quitLine (when not empty) and closes its input, waits up
  // to grace for it to end on its own, else kills it (SIGKILL, by its id);
  // its exit code.
  int Stop(const std::string& quitLine = "", std::chrono::milliseconds grace = std::chrono::seconds(30));
  // Whether it has ended (and was reaped), and then its exit code.
  bool Ended() const { return m_ended; }
  int ExitCode() const { return m_exitCode; }

 private:
  void Reaped(int status);
  static void CloseDescriptor(int& fd);

  pid_t m_pid = 0;
  int m_input = -1, m_output = -1;
  bool m_ended = false;
  int m_exitCode = kNoStatus;
  std::string m_buffer;
};

// ---------------------------------------------------------------------------

inline ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                                  const std::vector<std::string>& environment, const Streams& streams) {
  int toChild[2] = {-1, -1}, fromChild[2] = {-1, -1};
  // A line sent after the program ended must fail the send, not end the test
  // program with SIGPIPE.
  if (streams.pipeInput) signal(SIGPIPE, SIG_IGN);
  if (streams.pipeInput && pipe2(toChild, O_CLOEXEC) != 0) return;
  if (streams.pipeOutput && pipe2(fromChild, O_CLOEXEC) != 0) {
    CloseDescriptor(toChild[0]);
    CloseDescriptor(toChild[1]);
    return;
  }
  const SpawnVectors vectors(program, arguments, environment);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (streams.pipeInput) posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
  if (streams.pipeOutput)
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
  else if (!streams.outputFile.empty())
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, streams.outputFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!streams.errorFile.empty())
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, streams.errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, vectors.argv(), vectors.envp()) != 0) m_pid = 0;
  posix_spawn_file_actions_destroy(&actions);
  CloseDescriptor(toChild[0]);
  CloseDescriptor(fromChild[1]);
  m_input = toChild[1];
  m_output = fromChild[0];
  if (m_pid <= 0) {
    CloseDescriptor(m_input);
    CloseDescriptor(m_output);
  }
}

inline ChildProcess::~ChildProcess() {
  if (Started() && !m_ended) Stop();
  CloseDescriptor(m_input);
  CloseDescriptor(m_output);
}

inline bool ChildProcess::Send(const std::string& line) {
  if (m_input < 0) return false;
  const std::string text = line + "\n";
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t count = write(m_input, text.data() + written, text.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    written += static_cast<size_t>(count);
  }
  return true;
}

inline void ChildProcess::CloseInput() { CloseDescriptor(m_input); }

inline bool ChildProcess::ReadLine(std::string& line, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const size_t end = m_buffer.find('\n');
    if (end != std::string::npos) {
      line = m_buffer.substr(0, end);
      m_buffer.erase(0, end + 1);
      return true;
    }
    if (m_output < 0) return false;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd output{m_output, POLLIN, 0};
    const int ready = poll(&output, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno != EINTR) return false;
    if (ready <= 0) continue;
    char chunk[4096];
    const ssize_t count = read(m_output, chunk, sizeof chunk);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      CloseDescriptor(m_output);  // the end of its output
      continue;
    }
    m_buffer.append(chunk, static_cast<size_t>(count));
  }
}

inline bool ChildProcess::Running() {
  if (!Started() || m_ended) return false;
  int status = 0;
  const pid_t reaped = waitpid(m_pid, &status, WNOHANG);
  if (reaped == 0) return true;
  if (reaped == m_pid)
    Reaped(status);
  else
    m_ended = true;  // not our child any more: its status is lost
  return false;
}

inline int ChildProcess::Wait() {
  if (!Started() || m_ended) return m_exitCode;
  int status = 0;
  pid_t reaped;
  do reaped = waitpid(m_pid, &status, 0);
  while (reaped < 0 && errno == EINTR);
  if (reaped == m_pid)
    Reaped(status);
  else
    m_ended = true;
  return m_exitCode;
}

inline int ChildProcess::Stop(const std::string& quitLine, std::chrono::milliseconds grace) {
  if (!Started() || m_ended) return m_exitCode;
  if (!quitLine.empty()) Send(quitLine);
  CloseInput();
  const auto deadline = std::chrono::steady_clock::now() + grace;
  while (Running() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (!m_ended) {
    kill(m_pid, SIGKILL);  // the program this object started, by its id
    Wait();
  }
  return m_exitCode;
}

inline void ChildProcess::Reaped(int status) {
  m_ended = true;
  m_exitCode = WIFEXITED(status)     ? WEXITSTATUS(status)
               : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                     : kNoStatus;
}

inline void ChildProcess::CloseDescriptor(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}
