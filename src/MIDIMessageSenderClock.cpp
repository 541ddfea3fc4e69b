// MIDI clock output: start (FA) and stop (FC) when the host's transport
// changes, and a running stream of timing clocks (F8) at 24 per quarter note.
// The ticks lie on an absolute grid of due times: each is slept to with the
// monotonic clock, so sending time never adds up and no processor spins.
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "KIT/IModule/IGraphics.h"
#include "src/EditorServices.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"

namespace {

constexpr int kTempoReadings = 12;         // at most 12 readings, 11 sleeps between them
constexpr int kTempoReadingsCounted = 10;  // a tempo found later does not count
constexpr int kLowestTempo = 2;            // below 2 BPM the interval does not fit 32 bits
constexpr int64_t kNanosecondsPerSecond = 1000000000;
// The longest single sleep of the loop, so that a stop is seen soon even at
// slow tempos.
constexpr int64_t kLongestSleep = 20000000;

int64_t monotonicNow() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
}

void sleepUntil(int64_t due) {
  timespec target{};
  target.tv_sec = static_cast<time_t>(due / kNanosecondsPerSecond);
  target.tv_nsec = static_cast<long>(due % kNanosecondsPerSecond);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &target, nullptr) == EINTR) {
  }
}

// While it lives, the calling thread sleeps without timer slack and, where
// the system allows it, runs at the lowest real-time priority: above every
// ordinary thread, so a busy machine does not hold a due tick back, and
// below audio threads. Where it is refused the thread runs as before; the
// thread's own settings come back at the end.
class TickTiming {
 public:
  TickTiming() {
    m_slack = ::prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    if (pthread_getschedparam(pthread_self(), &m_policy, &m_param) != 0) return;
    sched_param realTime{};
    realTime.sched_priority = sched_get_priority_min(SCHED_FIFO);
    m_raised = pthread_setschedparam(pthread_self(), SCHED_FIFO, &realTime) == 0;
  }
  ~TickTiming() {
    if (m_raised) pthread_setschedparam(pthread_self(), m_policy, &m_param);
    if (m_slack > 0) ::prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(m_slack), 0, 0, 0);
  }
  TickTiming(const TickTiming&) = delete;
  TickTiming& operator=(const TickTiming&) = delete;

 private:
  int m_slack = -1;
  int m_policy = SCHED_OTHER;
  sched_param m_param{};
  bool m_raised = false;
};

}  // namespace

void MIDIMessageSender::startMIDIClockOutput() {
  if (plug->flags.sendClockPointer) plug->SendMidiSysex2({0xFA});
}

void MIDIMessageSender::stopMIDIClockOutput() {
  if (plug->flags.sendClockPointer) plug->SendMidiSysex2({0xFC});
}

void MIDIMessageSender::resetContinuousClock(bool stop) { clockRunning = !stop; }

int32_t MIDIMessageSender::clockIntervalFor(int tempo) {
  if (tempo < kLowestTempo) return 0;
  return static_cast<int32_t>(60 * kNanosecondsPerSecond / (static_cast<int64_t>(tempo) * 24));
}

int MIDIMessageSender::readClockTempo() {
  if (parameter(kOverrideTempo) == 1.0) return plug->getTempoValue();
  return std::atoi(plug->getTempoValueText(static_cast<int>(parameter(kArpTempo))).c_str());
}

void MIDIMessageSender::sendContinuousMIDIClock(int) {
  if (!plug->flags.continuousClock) return;
  int tempo = readClockTempo();
  int readings = 1;
  while (tempo < kLowestTempo && readings < kTempoReadings && !isShuttingDown()) {
    sleep(1000);
    tempo = readClockTempo();
    ++readings;
  }
  if (isShuttingDown()) return;
  if (tempo < kLowestTempo || readings > kTempoReadingsCounted) {
    if (plug->graphics) plug->graphics->SetParameterFromPlug(kSendMIDIClockInfo, 0.0, false);
    plug->setClockStatusText("Unable to get DAW Tempo");
    plug->flags.continuousClock = false;
    return;
  }
  const int64_t interval = clockIntervalFor(tempo);
  clockInterval = static_cast<int32_t>(interval);
  const std::vector<unsigned char> tick = {0xF8};
  const TickTiming timing;
  plug->SendMidiSysex2(tick);
  int64_t due = monotonicNow() + interval;
  // The switch is looked at too: switching the clock off lets the render
  // call re-arm clockRunning at once, before this loop would see it fall.
  while (clockRunning && plug->flags.continuousClock) {
    const int64_t now = monotonicNow();
    if (now < due) {
      sleepUntil(std::min(due, now + kLongestSleep));
      continue;
    }
    if (!clockRunning || !plug->flags.continuousClock) break;  // stopped while asleep: no tick after a stop
    if (!plug->flags.midiOutputOpen) {
      clockRunning = false;
      break;
    }
    plug->SendMidiSysex2(tick);
    due += interval;
    // After a stall longer than a tick the grid restarts instead of bursting.
    if (due < now) due = now + interval;
  }
}
