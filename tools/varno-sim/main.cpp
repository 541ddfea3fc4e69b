// varno-sim: the simulated Varno on two MIDI ports. The core (Synth) handles
// every message under one lock; answers and commanded messages go through one
// output queue, sent by one thread at their scheduled times, so late answers
// and cable pace hold for everything the Varno sends.
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <queue>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tools/varno-sim/CommandInterpreter.h"
#include "tools/varno-sim/MidiPorts.h"
#include "tools/varno-sim/SimOptions.h"
#include "tools/varno-sim/TransmitSchedule.h"
#include "tools/varno-sim/VarnoSynth.h"

namespace {

std::atomic<bool> g_stopRequested{false};

void onStopSignal(int) { g_stopRequested = true; }

class Clock {
 public:
  int64_t now() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_start)
        .count();
  }
  std::chrono::steady_clock::time_point at(int64_t microseconds) const {
    return m_start + std::chrono::microseconds(microseconds);
  }

 private:
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// Messages waiting for their time; one thread sends them in order.
class OutputQueue {
 public:
  struct Pending {
    int64_t due;
    uint64_t order;
    varno::Bytes bytes;
    bool operator>(const Pending& other) const {
      return due != other.due ? due > other.due : order > other.order;
    }
  };

  void post(int64_t due, varno::Bytes bytes) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_pending.push(Pending{due, m_nextOrder++, std::move(bytes)});
    }
    m_wake.notify_one();
  }

  // Waits for the next message that is due; false once stopped.
  bool next(const Clock& clock, varno::Bytes& bytes) {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
      if (m_stopped) return false;
      if (!m_pending.empty()) {
        const int64_t due = m_pending.top().due;
        if (clock.now() >= due) {
          bytes = m_pending.top().bytes;
          m_pending.pop();
          return true;
        }
        m_wake.wait_until(lock, clock.at(due));
      } else {
        m_wake.wait(lock);
      }
    }
  }

  void stop() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stopped = true;
    }
    m_wake.notify_all();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::priority_queue<Pending, std::vector<Pending>, std::greater<Pending>> m_pending;
  uint64_t m_nextOrder = 0;
  bool m_stopped = false;
};

// Everything the input thread, the command loop and the sender share.
struct Simulator {
  explicit Simulator(const varno::SimOptions& options)
      : synth(varno::SynthSettings{options.deviceId, options.strictChecksum}), policy(options.policy) {
    synth.setAnswering(policy.answerMode != varno::AnswerMode::Never);
  }

  // Hands messages to the output queue; call with mutex held.
  void post(const std::vector<varno::Bytes>& messages, int64_t readyAt) {
    for (const varno::Bytes& bytes : messages) {
      if (bytes.empty()) continue;
      output.post(schedule.schedule(bytes.size(), readyAt, policy.pace), bytes);
    }
  }

  std::mutex mutex;
  varno::Synth synth;
  varno::OutputPolicy policy;
  varno::TransmitSchedule schedule;
  OutputQueue output;
  Clock clock;
};

// Runs one command line; returns false when the program is to end.
bool runLine(Simulator& simulator, const std::string& line) {
  varno::CommandResult result;
  {
    std::lock_guard<std::mutex> lock(simulator.mutex);
    result = varno::runCommand(line, simulator.synth, simulator.policy);
    simulator.post(result.messages, simulator.clock.now());
  }
  for (const std::string& text : result.lines) std::printf("%s\n", text.c_str());
  std::fflush(stdout);
  if (result.waitMicroseconds > 0)
    std::this_thread::sleep_for(std::chrono::microseconds(result.waitMicroseconds));
  return !result.quit;
}

// Reads standard input line by line, waking up now and then to see a signal.
void runStandardInput(Simulator& simulator) {
  std::string pending;
  char buffer[4096];
  while (!g_stopRequested) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&input, 1, 200);
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0) continue;
    const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
    if (count <= 0) {
      if (!pending.empty()) runLine(simulator, pending);
      return;  // end of input
    }
    pending.append(buffer, static_cast<size_t>(count));
    for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
      const std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!runLine(simulator, line)) return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  varno::SimOptions options;
  std::string error;
  if (!varno::parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "varno-sim: %s\nTry varno-sim --help.\n", error.c_str());
    return 2;
  }
  if (options.showHelp) {
    std::printf("%s", varno::usageText().c_str());
    return 0;
  }
  std::vector<std::string> script;
  if (!options.scriptPath.empty()) {
    std::ifstream file(options.scriptPath);
    if (!file) {
      std::fprintf(stderr, "varno-sim: cannot read script %s\n", options.scriptPath.c_str());
      return 2;
    }
    for (std::string line; std::getline(file, line);) script.push_back(line);
  }

  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
  std::signal(SIGPIPE, SIG_IGN);

  struct stat sequencer;
  const std::string system = varno::chooseMidiSystem(options.api, std::getenv("VIVIVI_MIDI_API"),
                                                     stat("/dev/snd/seq", &sequencer) == 0);

  Simulator simulator(options);
  std::unique_ptr<varno::MidiPorts> ports;
  try {
    ports = std::make_unique<varno::MidiPorts>(
        system, options.clientName, options.inPortName, options.outPortName,
        [&simulator](const uint8_t* data, size_t size) {
          std::lock_guard<std::mutex> lock(simulator.mutex);
          const int64_t now = simulator.clock.now();
          const std::vector<varno::Bytes> answers = simulator.synth.receive(data, size, now);
          simulator.post(answers, now + varno::TransmitSchedule::answerDelay(simulator.policy));
        });
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "varno-sim: %s\n", failure.what());
    return 1;
  }

  std::thread sender([&simulator, &ports] {
    varno::Bytes bytes;
    while (simulator.output.next(simulator.clock, bytes)) {
      if (!ports->send(bytes)) continue;
      std::lock_guard<std::mutex> lock(simulator.mutex);
      simulator.synth.noteSent(bytes, simulator.clock.now());
    }
  });

  std::printf("ready %s %s %s\n", system.c_str(), options.inPortName.c_str(), options.outPortName.c_str());
  std::fflush(stdout);

  bool running = true;
  for (const std::string& line : script) {
    if (!running || g_stopRequested) break;
    running = runLine(simulator, line);
  }
  if (running && options.readStandardInput) {
    runStandardInput(simulator);
  } else if (running) {
    while (!g_stopRequested) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }

  simulator.output.stop();
  sender.join();
  ports.reset();  // closes the ports before the simulator they call into goes
  return 0;
}
