#include "tools/varno-sim/SimRunner.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

#include "tools/varno-sim/TransmitSchedule.h"
#include "tools/varno-sim/VarnoSynth.h"

namespace varno {
namespace {

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
    Bytes bytes;
    bool operator>(const Pending& other) const {
      return due != other.due ? due > other.due : order > other.order;
    }
  };

  void post(int64_t due, Bytes bytes) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_pending.push(Pending{due, m_nextOrder++, std::move(bytes)});
    }
    m_wake.notify_one();
  }

  // Waits for the next message that is due; false once stopped.
  bool next(const Clock& clock, Bytes& bytes) {
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

}  // namespace

// Everything the input, the commands and the sender share.
struct SimRunner::State {
  explicit State(const SimOptions& options)
      : synth(SynthSettings{options.deviceId, options.strictChecksum}), policy(options.policy) {
    synth.setAnswering(policy.answerMode != AnswerMode::Never);
  }

  // Hands messages to the output queue; call with mutex held.
  void post(const std::vector<Bytes>& messages, int64_t readyAt) {
    for (const Bytes& bytes : messages) {
      if (bytes.empty()) continue;
      output.post(schedule.schedule(bytes.size(), readyAt, policy.pace), bytes);
    }
  }

  std::mutex mutex;
  Synth synth;
  OutputPolicy policy;
  TransmitSchedule schedule;
  OutputQueue output;
  Clock clock;
  std::thread sender;
};

SimRunner::SimRunner(const SimOptions& options) : m_state(std::make_unique<State>(options)) {}

SimRunner::~SimRunner() { stop(); }

void SimRunner::start(Send send) {
  State& state = *m_state;
  state.sender = std::thread([&state, send = std::move(send)] {
    Bytes bytes;
    while (state.output.next(state.clock, bytes)) {
      if (!send(bytes)) continue;
      std::lock_guard<std::mutex> lock(state.mutex);
      state.synth.noteSent(bytes, state.clock.now());
    }
  });
}

void SimRunner::stop() {
  m_state->output.stop();
  if (m_state->sender.joinable()) m_state->sender.join();
}

void SimRunner::receive(const uint8_t* data, size_t size) {
  State& state = *m_state;
  std::lock_guard<std::mutex> lock(state.mutex);
  const int64_t now = state.clock.now();
  const std::vector<Bytes> answers = state.synth.receive(data, size, now);
  state.post(answers, now + TransmitSchedule::answerDelay(state.policy));
}

CommandResult SimRunner::command(const std::string& line) {
  State& state = *m_state;
  std::lock_guard<std::mutex> lock(state.mutex);
  CommandResult result = runCommand(line, state.synth, state.policy);
  state.post(result.messages, state.clock.now());
  return result;
}

}  // namespace varno
