// Releases a call that hangs on a named pipe, so that a test of "a pipe is
// never waited on" fails instead of hanging when the rule breaks. After the
// deadline the watchdog opens the pipe for reading and writing (an open
// that never waits), which lets a blocked open() on either side return,
// takes what a blocked writer put in, and closes it again, which lets a
// blocked read() see the end. Fired() then tells the test that it had to.
//
//   PipeWatchdog watchdog(pipePath);
//   callThatMustNotWait();
//   EXPECT_FALSE(watchdog.Fired());
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class PipeWatchdog {
 public:
  explicit PipeWatchdog(std::string path, std::chrono::milliseconds deadline = std::chrono::seconds(10))
      : m_path(std::move(path)) {
    m_thread = std::thread([this, deadline] {
      std::unique_lock<std::mutex> hold(m_mutex);
      if (m_condition.wait_for(hold, deadline, [this] { return m_stopped; })) return;
      m_fired = true;
      hold.unlock();
      Release();
    });
  }
  ~PipeWatchdog() {
    {
      std::lock_guard<std::mutex> hold(m_mutex);
      m_stopped = true;
    }
    m_condition.notify_all();
    m_thread.join();
  }
  PipeWatchdog(const PipeWatchdog&) = delete;
  PipeWatchdog& operator=(const PipeWatchdog&) = delete;

  bool Fired() const { return m_fired; }

 private:
  void Release() {
    // A writer released here may write after the pipe is closed again.
    ::signal(SIGPIPE, SIG_IGN);
    const int fd = ::open(m_path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    char drain[4096];
    for (int round = 0; round < 20; ++round) {
      while (::read(fd, drain, sizeof drain) > 0) {
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::close(fd);
  }

  const std::string m_path;
  std::mutex m_mutex;
  std::condition_variable m_condition;
  bool m_stopped = false;
  std::atomic<bool> m_fired{false};
  std::thread m_thread;
};
