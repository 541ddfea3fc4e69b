// MIDI clock timing at a receiving port: the sender's clock job drives the
// editor's external output into a JACK MIDI input port of this program,
// which times every timing clock three ways: by its frame time (the first
// frame of its period plus the event's offset in it, at the server's sample
// rate), by the server's time of the period's start plus the same offset
// (its cycle time), and by the system clock read in the process callback
// plus the offset, which also counts how late the callback runs. Frame time
// is the sample clock the port lives on; on a server whose cycles fall
// behind the system clock (the dummy back end without real-time scheduling)
// it can drift against the sender's grid, which the cycle time shows. The
// ticks are compared with the ideal grid of the tempo (fitted to the run's
// median offset, so a constant latency is not counted as error); reported
// are the median and 99th percentile of each error beside the ideal
// interval, the JACK period and the goal (half a period plus 0.1 ms for the
// 99th percentile of the frame-time error: a message from the MIDI
// library's JACK output is placed at the start of the period after it was
// written).
//
// Run by hand with a JACK server running; without one each case skips and
// says why. The test server of this project: jackd -S -d dummy -r 48000 -p 128.
#include <benchmark/benchmark.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/IParam.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "tests/support/test_editor.h"

namespace {

constexpr size_t kTicks = 250;  // measured ticks per tempo

// A JACK client with one MIDI input port that keeps the times of each timing
// clock (F8) it receives, up to kTicks: its frame time and its system-clock
// time in microseconds. The times are written on the JACK process thread and
// read once the count says they are there.
class TickReceiver {
 public:
  TickReceiver() {
    name = "vivivi-clock-bench-" + std::to_string(getpid());
    jack_status_t status{};
    client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (!client) {
      why =
          "no JACK server running (jack_client_open status " + std::to_string(static_cast<int>(status)) + ")";
      return;
    }
    name = jack_get_client_name(client);
    port = jack_port_register(client, "clock in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (!port || jack_set_process_callback(client, &TickReceiver::process, this) != 0 ||
        jack_activate(client) != 0) {
      why = "cannot set up a JACK MIDI input port";
      jack_client_close(client);
      client = nullptr;
    }
  }
  ~TickReceiver() {
    if (client) jack_client_close(client);
  }
  bool ready() const { return client != nullptr; }
  double periodMilliseconds() const {
    return 1000.0 * jack_get_buffer_size(client) / static_cast<double>(jack_get_sample_rate(client));
  }
  void clear() { count = 0; }
  size_t received() const { return count.load(); }
  // Cycle times in microseconds from the first tick's: the server's time of
  // each tick's period start plus its offset at the sample rate.
  std::vector<double> cycleTicks() const {
    const size_t n = count.load();
    std::vector<double> ticks;
    for (size_t k = 0; k < n; ++k) ticks.push_back(static_cast<double>(cycleTimes[k] - cycleTimes[0]));
    return ticks;
  }
  // Frame times in microseconds from the first tick's: frames at the sample
  // rate (frames wrap at 32 bits: differences are taken in frames first).
  std::vector<double> frameTicks() const {
    const size_t n = count.load();
    const double microsecondsPerFrame = 1e6 / static_cast<double>(jack_get_sample_rate(client));
    std::vector<double> ticks;
    for (size_t k = 0; k < n; ++k)
      ticks.push_back(static_cast<double>(static_cast<jack_nframes_t>(frames[k] - frames[0])) *
                      microsecondsPerFrame);
    return ticks;
  }
  // System-clock time of tick k in microseconds (k below received()).
  jack_time_t systemTime(size_t k) const { return times[k]; }
  // System-clock times in microseconds from the first tick's.
  std::vector<double> systemTicks() const {
    const size_t n = count.load();
    std::vector<double> ticks;
    for (size_t k = 0; k < n; ++k) ticks.push_back(static_cast<double>(times[k] - times[0]));
    return ticks;
  }

  std::string name;  // the client name JACK gave
  std::string why;   // why the receiver is not ready

 private:
  static int process(jack_nframes_t frames, void* self) {
    auto* receiver = static_cast<TickReceiver*>(self);
    void* buffer = jack_port_get_buffer(receiver->port, frames);
    // The first frame of this period and the time the server gives it (its
    // cycle start, not when this callback happens to run), and the system
    // clock as the callback runs.
    jack_nframes_t first = 0;
    jack_time_t periodStart = 0, nextStart = 0;
    float periodMicroseconds = 0;
    if (jack_get_cycle_times(receiver->client, &first, &periodStart, &nextStart, &periodMicroseconds) != 0)
      first = jack_last_frame_time(receiver->client),
      periodStart = jack_frames_to_time(receiver->client, first);
    const jack_time_t now = jack_get_time();
    const double microsecondsPerFrame = 1e6 / static_cast<double>(jack_get_sample_rate(receiver->client));
    const uint32_t events = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < events; ++i) {
      jack_midi_event_t event{};
      if (jack_midi_event_get(&event, buffer, i) != 0 || event.size != 1 || event.buffer[0] != 0xF8) continue;
      const size_t index = receiver->count.load();
      if (index >= kTicks) break;
      const jack_time_t offset = static_cast<jack_time_t>(event.time * microsecondsPerFrame);
      receiver->frames[index] = first + event.time;
      receiver->cycleTimes[index] = periodStart + offset;
      receiver->times[index] = now + offset;
      receiver->count.store(index + 1);
    }
    return 0;
  }

  jack_client_t* client = nullptr;
  jack_port_t* port = nullptr;
  std::array<jack_nframes_t, kTicks> frames{};
  std::array<jack_time_t, kTicks> cycleTimes{};
  std::array<jack_time_t, kTicks> times{};
  std::atomic<size_t> count{0};
};

// The real editor with its clock on: the host tempo is the given one, timing
// clocks go to the external output port.
class ClockEditor : public HostlessEditor<> {
 public:
  explicit ClockEditor(int tempo) {
    GetParam(kOverrideTempo)->Set(1);
    flags.hostTempo = tempo;
    flags.midiOutputOpen = true;
    flags.continuousClock = true;
  }
  // The clock job calls back into the recorder: it ends first.
  ~ClockEditor() override {
    CloseExternalMIDIPorts();
    midiManager->sender->shutdown();
    midiManager->waitForJobs();
  }
  bool SendMidiSysex2(std::vector<unsigned char> bytes) override {
    // The time each timing clock is handed to the port, on the server's clock.
    if (bytes.size() == 1 && bytes[0] == 0xF8) {
      const size_t index = sent.load();
      if (index < kTicks) {
        sendTimes[index] = jack_get_time();
        sent.store(index + 1);
      }
    }
    return SendToExternalMIDIOut(bytes.data(), static_cast<int>(bytes.size()));
  }
  void clearSent() { sent = 0; }
  // Send times in microseconds from the first tick's.
  std::vector<double> sendTicks() const {
    std::vector<double> ticks;
    for (size_t k = 0; k < sent.load(); ++k)
      ticks.push_back(static_cast<double>(sendTimes[k] - sendTimes[0]));
    return ticks;
  }
  std::array<jack_time_t, kTicks> sendTimes{};
  std::atomic<size_t> sent{0};
  // Opens the output port whose name ends in port; false when none does.
  bool connect(const std::string& port) {
    const std::vector<std::string>& names = getExternalMIDIOutNames();
    for (size_t i = 1; i < names.size(); ++i) {
      if (names[i].size() < port.size() ||
          names[i].compare(names[i].size() - port.size(), port.size(), port) != 0)
        continue;
      int index = static_cast<int>(i);
      return setExternalMIDIOut(index, names[i]) > 0;
    }
    return false;
  }
};

double percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const size_t index =
      std::min(values.size() - 1, static_cast<size_t>(std::ceil(fraction * values.size())) - 1);
  return values[index];
}

// Milliseconds between each tick (microseconds from the first) and the
// ideal grid of interval microseconds, the grid fitted to the median offset.
std::vector<double> gridErrors(const std::vector<double>& ticks, double interval) {
  std::vector<double> offsets;
  for (size_t k = 0; k < ticks.size(); ++k) offsets.push_back(ticks[k] - interval * static_cast<double>(k));
  const double anchor = percentile(offsets, 0.5);
  std::vector<double> errors;
  for (double offset : offsets) errors.push_back(std::fabs(offset - anchor) / 1000.0);
  return errors;
}

void BM_MidiClockTickError(benchmark::State& state) {
  const int tempo = static_cast<int>(state.range(0));
  setenv("VIVIVI_MIDI_API", "jack", 1);
  TickReceiver receiver;
  if (!receiver.ready()) {
    state.SkipWithError(("skipped: " + receiver.why).c_str());
    for (auto _ : state) {
    }
    return;
  }
  ClockEditor editor(tempo);
  if (!editor.connect(receiver.name + ":clock in")) {
    state.SkipWithError("skipped: the editor cannot open the benchmark's JACK port");
    for (auto _ : state) {
    }
    return;
  }
  MIDIMessageSender& sender = *editor.midiManager->sender;
  const double interval = MIDIMessageSender::clockIntervalFor(tempo) / 1000.0;  // microseconds
  std::vector<double> frameErrors, systemErrors, cycleErrors, sendErrors, transit;
  for (auto _ : state) {
    receiver.clear();
    editor.clearSent();
    sender.resetContinuousClock(false);
    SenderJob job;
    job.jobCode = kJobContinuousClock;
    job.clockArgument = 120;
    if (!editor.midiManager->postJob(job)) {
      state.SkipWithError("the clock thread is busy");
      break;
    }
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::microseconds(static_cast<int64_t>(interval * (kTicks + 50)));
    while (receiver.received() < kTicks && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    sender.resetContinuousClock(true);
    editor.midiManager->waitForJobs();

    const std::vector<double> byFrame = receiver.frameTicks(), bySystem = receiver.systemTicks();
    if (byFrame.size() < kTicks / 2) {
      state.SkipWithError("too few timing clocks arrived");
      break;
    }
    frameErrors = gridErrors(byFrame, interval);
    systemErrors = gridErrors(bySystem, interval);
    cycleErrors = gridErrors(receiver.cycleTicks(), interval);
    // The sender's own timing, and each tick's way from the send call to the
    // receiving port's callback.
    sendErrors = gridErrors(editor.sendTicks(), interval);
    transit.clear();
    for (size_t k = 0; k < std::min(editor.sent.load(), receiver.received()); ++k)
      transit.push_back(
          static_cast<double>(static_cast<int64_t>(receiver.systemTime(k) - editor.sendTimes[k])) / 1000.0);
  }
  if (frameErrors.empty()) return;
  const double period = receiver.periodMilliseconds();
  state.counters["ideal_interval_ms"] = interval / 1000.0;
  state.counters["frame_p50_ms"] = percentile(frameErrors, 0.5);
  state.counters["frame_p99_ms"] = percentile(frameErrors, 0.99);
  state.counters["system_p50_ms"] = percentile(systemErrors, 0.5);
  state.counters["system_p99_ms"] = percentile(systemErrors, 0.99);
  state.counters["goal_p99_ms"] = period / 2.0 + 0.1;
  state.counters["jack_period_ms"] = period;
  state.counters["cycle_p50_ms"] = percentile(cycleErrors, 0.5);
  state.counters["cycle_p99_ms"] = percentile(cycleErrors, 0.99);
  state.counters["ticks"] = static_cast<double>(frameErrors.size());
  if (!sendErrors.empty()) state.counters["send_p99_ms"] = percentile(sendErrors, 0.99);
  if (!transit.empty()) {
    state.counters["transit_p50_ms"] = percentile(transit, 0.5);
    state.counters["transit_p99_ms"] = percentile(transit, 0.99);
  }
  printf(
      "clock %d BPM: error by frame time p50 %.3f ms p99 %.3f ms; by cycle time p50 %.3f ms p99 %.3f ms; "
      "by system clock p50 %.3f ms p99 %.3f ms; goal p99 %.3f ms (period %.3f ms)\n",
      tempo, percentile(frameErrors, 0.5), percentile(frameErrors, 0.99), percentile(cycleErrors, 0.5),
      percentile(cycleErrors, 0.99), percentile(systemErrors, 0.5), percentile(systemErrors, 0.99),
      period / 2.0 + 0.1, period);
  if (!sendErrors.empty() && !transit.empty())
    printf(
        "clock %d BPM: sender against its grid p50 %.3f ms p99 %.3f ms; send to port p50 %.3f ms p99 %.3f "
        "ms\n",
        tempo, percentile(sendErrors, 0.5), percentile(sendErrors, 0.99), percentile(transit, 0.5),
        percentile(transit, 0.99));
}

BENCHMARK(BM_MidiClockTickError)
    ->ArgName("bpm")
    ->Arg(120)
    ->Arg(300)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
