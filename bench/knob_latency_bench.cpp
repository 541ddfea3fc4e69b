// Latency from a knob change in the editor's GUI to the control change at a
// receiving JACK port: the cutoff knob is dragged through the GUI (mouse drags built from VivivI.bundle), and
// a JACK client of this program stamps the message's arrival with the JACK clock. Two roads: direct (sent at
// once through the MIDI output) and routed through the audio thread (queued, sent by ProcessDoubleReplacing,
// which a thread of this program calls once a period like a host's render thread). Counters: p50_ms and
// p99_ms of the latency beside period_ms, the JACK period. Needs a running JACK server (the dummy back end
// will do); the goal for the direct road is p99 within one period plus 1 ms.
#include <benchmark/benchmark.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "bench/bench_bundle.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "src/ControlAction.h"
#include "src/VivivI.h"

namespace {

constexpr int kCutoffController = 74;

// A JACK client with one MIDI input; its process callback keeps the JACK
// time (microseconds) at which the last cutoff control change arrived, and
// its data byte.
class Receiver {
 public:
  Receiver() {
    const std::string name = "knob-bench-" + std::to_string(getpid());
    m_client = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
    if (!m_client) return;
    m_port = jack_port_register(m_client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(m_client, &Receiver::Process, this);
    if (!m_port || jack_activate(m_client) != 0) {
      jack_client_close(m_client);
      m_client = nullptr;
      return;
    }
    m_portName = jack_port_name(m_port);
  }
  ~Receiver() {
    if (m_client) jack_client_close(m_client);
  }
  bool Ok() const { return m_client != nullptr; }
  const std::string& PortName() const { return m_portName; }
  double PeriodMs() const {
    return m_client ? 1000.0 * jack_get_buffer_size(m_client) / jack_get_sample_rate(m_client) : 0.0;
  }
  jack_time_t Now() const { return jack_get_time(); }
  // Waits for a change with data byte; its arrival time, or 0 after a second.
  jack_time_t WaitFor(int data) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < deadline) {
      const uint64_t arrival = m_arrival.load();
      if (arrival && static_cast<int>(arrival & 0xFF) == data) return arrival >> 8;
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return 0;
  }
  void Clear() { m_arrival = 0; }

 private:
  static int Process(jack_nframes_t frames, void* self) {
    Receiver* r = static_cast<Receiver*>(self);
    void* buffer = jack_port_get_buffer(r->m_port, frames);
    const uint32_t count = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < count; ++i) {
      jack_midi_event_t event;
      if (jack_midi_event_get(&event, buffer, i) != 0 || event.size != 3) continue;
      if ((event.buffer[0] & 0xF0) != 0xB0 || event.buffer[1] != kCutoffController) continue;
      // Arrival: when the receiving client's cycle hands it over, by the
      // JACK clock (a dummy driver's frame times can run ahead of that clock
      // on a loaded machine, so the event's frame offset is not used).
      const jack_time_t at = jack_get_time();
      r->m_arrival = (static_cast<uint64_t>(at) << 8) | event.buffer[2];
    }
    return 0;
  }

  jack_client_t* m_client = nullptr;
  jack_port_t* m_port = nullptr;
  std::string m_portName;
  std::atomic<uint64_t> m_arrival{0};
};

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t at = std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5));
  return values[at];
}

void SetParameter(VivivI* plug, int index, double value) {
  plug->GetParam(index)->Set(value);
  plug->OnParamChange(index);
}

}  // namespace

static void BM_KnobToJackPort(benchmark::State& state) {
  const bool routed = state.range(0) != 0;
  if (!RegisterBuiltBundle()) return state.SkipWithError("VivivI.bundle not found");
  Receiver receiver;
  if (!receiver.Ok()) return state.SkipWithError("no JACK server runs");
  const std::filesystem::path data =
      std::filesystem::temp_directory_path() / ("knob-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(data);
  setenv("VIVIVI_DATA_DIR", data.c_str(), 1);
  setenv("VIVIVI_MIDI_API", "jack", 1);
  std::unique_ptr<VivivI> plug(static_cast<VivivI*>(MakePlug()));
  IGraphics* gui = plug ? plug->GetGUI() : nullptr;
  IParam* output = plug ? plug->GetParam(kDeviceOutSelection) : nullptr;
  ControlAction* action = plug ? plug->GetParam(kFilterCutoff)->GetControlAction() : nullptr;
  if (!gui || !output || !action || action->controls.empty())
    return state.SkipWithError("the editor did not start");
  // The receiver's port as the editor's output, chosen by its name.
  int port = -1;
  for (int i = 1; i < output->GetNDisplayTexts() && port < 0; ++i)
    if (receiver.PortName() == output->GetDisplayText(i)) port = i;
  if (port < 0) return state.SkipWithError("the editor does not list the receiving port");
  SetParameter(plug.get(), kDeviceOutSelection, port);
  SetParameter(plug.get(), kMIDIFilterToDAWBuffer, routed ? 1.0 : 0.0);

  // The render thread: one pass a JACK period, on the steady clock.
  const int block = static_cast<int>(receiver.PeriodMs() * 48.0 + 0.5);
  plug->flags.audioRouteDelay = block;
  std::atomic<bool> rendering{true};
  std::thread render([&] {
    auto next = std::chrono::steady_clock::now();
    const auto period = std::chrono::microseconds(static_cast<int>(receiver.PeriodMs() * 1000));
    while (rendering) {
      plug->ProcessDoubleReplacing(nullptr, nullptr, block);
      next += period;
      std::this_thread::sleep_until(next);
    }
  });

  // Drags the knob up and down by 20 pixels: each step sends a new value.
  // The knob is dragged itself, past the window's hit test: the overlay of
  // the enquiry that opening the output sends (no Varno answers here) would
  // take the mouse for seconds.
  IControl* knob = action->controls[0];
  const IRECT r = knob->GetRECT();
  const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
  IMouseMod mod;
  mod.L = true;
  std::vector<double> latencies;
  bool up = true;
  for (auto _ : state) {
    receiver.Clear();
    const jack_time_t start = receiver.Now();
    knob->OnMouseDrag(x, y, 0, up ? -20 : 20, &mod);
    up = !up;
    const int expected = static_cast<int>(plug->GetParam(kFilterCutoff)->Value());
    const jack_time_t arrival = receiver.WaitFor(expected);
    const double seconds = arrival > start ? (arrival - start) / 1e6 : 0.0;
    if (!arrival) {
      state.SkipWithError("a change never arrived");
      break;
    }
    latencies.push_back(seconds * 1000.0);
    state.SetIterationTime(seconds);
    state.PauseTiming();
    std::this_thread::sleep_for(std::chrono::milliseconds(3));  // changes a user could make
    state.ResumeTiming();
  }
  rendering = false;
  render.join();
  state.counters["p50_ms"] = Percentile(latencies, 0.50);
  state.counters["p99_ms"] = Percentile(latencies, 0.99);
  state.counters["period_ms"] = receiver.PeriodMs();
  plug.reset();
  std::error_code ignored;
  std::filesystem::remove_all(data, ignored);
  unsetenv("VIVIVI_DATA_DIR");
}
BENCHMARK(BM_KnobToJackPort)
    ->ArgName("routed")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(400)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
