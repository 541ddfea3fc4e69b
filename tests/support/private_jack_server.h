// A JACK server of a test's own, for the tests that stop and start a server
// (a server that goes away, ports that must come back): they never touch the
// shared one.
#pragma once

#include <jack/jack.h>
#include <signal.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/read_file.h"

// The dummy back end, synchronous like the shared one, under a name no
// other test uses. Programs reach it through
// Environment(); this process's own clients through JACK_DEFAULT_SERVER.
class PrivateJackServer {
 public:
  explicit PrivateJackServer(std::string name) : m_name(std::move(name)) {}
  ~PrivateJackServer() { Stop(); }
  PrivateJackServer(const PrivateJackServer&) = delete;
  PrivateJackServer& operator=(const PrivateJackServer&) = delete;

  const std::string& Name() const { return m_name; }
  std::string Environment() const { return "JACK_DEFAULT_SERVER=" + m_name; }

  // Starts the server and waits until a client can open on it; false when
  // it did not come up within the timeout. logFile takes its output,
  // logFile + ".err" its errors.
  bool Start(const std::string& logFile, std::chrono::seconds timeout = std::chrono::seconds(20)) {
    Stop();
    m_log = logFile;
    ChildProcess::Streams streams;
    streams.outputFile = logFile;
    streams.errorFile = logFile + ".err";
    m_process.reset(new ChildProcess(
        "/usr/bin/jackd", {"-n", m_name, "-S", "--no-realtime", "-d", "dummy", "-r", "48000", "-p", "128"},
        {}, streams));
    if (!m_process->Started()) return false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline && m_process->Running()) {
      jack_status_t status{};
      jack_client_t* probe = jack_client_open(
          "vivivi-private-probe", JackOptions(JackNoStartServer | JackServerName), &status, m_name.c_str());
      if (probe) {
        jack_client_close(probe);
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  // What the server wrote at its last start (output, then errors).
  std::string Said() const { return ReadWholeFile(m_log) + ReadWholeFile(m_log + ".err"); }

  // Ends the server as a user would (SIGTERM to its process), waits for it.
  void Stop() {
    if (!m_process) return;
    if (m_process->Running()) kill(m_process->Pid(), SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (m_process->Running() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    m_process->Stop();  // killed only when it would not end
    m_process.reset();
  }

 private:
  std::string m_name;
  std::string m_log;
  std::unique_ptr<ChildProcess> m_process;
};
