// The editor's MIDI input under a flood, on a running JACK server: the real
// editor's input port opened by name onto a flood client of this program.
//
//   BM_InputCallbackCost: what one message costs the MIDI library's thread
//     (the JACK process thread), the editor's MIDI callback called for a
//     control change after control change; items_per_second is how many
//     messages a second that thread can take. The editor's own input thread
//     handles them meanwhile.
//   BM_FloodToShownValue/<rate>: a flood of control changes of the cutoff
//     at rate messages a second for two seconds; the time from the flood's
//     last message to the editor's cutoff parameter holding its value (the
//     window shows it at its next tick, 40 ms at most later). Counters:
//     latency p50/max in ms, and listener_missed, the messages another client
//     on the same port did not get (0: the editor held up no cycle). The goal
//     at 10,000 messages a second: under 100 ms.
//
// Run by hand with a JACK server running (the test server of this project:
// jackd -S -d dummy -r 48000 -p 128); without one each case skips and says why.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/IParam.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "tests/support/jack_midi_clients.h"
#include "tests/support/test_editor.h"

namespace {

using std::chrono::steady_clock;

constexpr int kCutoffController = 74;

std::vector<uint8_t> CutoffChange(uint64_t i) {
  return {0xB0, kCutoffController, static_cast<uint8_t>(i % 128)};
}

// The real editor, its jobs ended before it goes.
class InputEditor : public HostlessEditor<> {
 public:
  ~InputEditor() override {
    CloseExternalMIDIPorts();
    midiManager->sender->shutdown();
    midiManager->waitForJobs();
  }
  // Opens the input on the port of that name; false when the editor does
  // not list it.
  bool OpenInput(const std::string& port) {
    IParam* input = GetParam(kDeviceInSelection);
    for (int i = 1; i < input->GetNDisplayTexts(); ++i)
      if (port == input->GetDisplayText(i)) {
        input->Set(i);
        OnParamChange(kDeviceInSelection);
        return input->Value() == i;
      }
    return false;
  }
};

std::string ClientName(const char* role) {
  return std::string("midi-in-bench-") + role + "-" + std::to_string(getpid());
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5))];
}

}  // namespace

static void BM_InputCallbackCost(benchmark::State& state) {
  jacktest::MidiFlood source(ClientName("source"));
  if (!source.Activate()) return state.SkipWithError("no JACK server runs");
  InputEditor editor;
  if (!editor.OpenInput(source.PortName()))
    return state.SkipWithError("the editor does not list the source port");
  std::vector<unsigned char> message = {0xB0, kCutoffController, 0};
  uint8_t value = 0;
  for (auto _ : state) {
    message[2] = value++ & 0x7F;
    IModuleBase::MIDICallback(0.0, &message, &editor);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InputCallbackCost);

static void BM_FloodToShownValue(benchmark::State& state) {
  const double rate = static_cast<double>(state.range(0));
  const uint64_t count = static_cast<uint64_t>(rate * 2);  // two seconds
  jacktest::MidiFlood flood(ClientName("flood"));
  if (!flood.Activate()) return state.SkipWithError("no JACK server runs");
  InputEditor editor;
  if (!editor.OpenInput(flood.PortName()))
    return state.SkipWithError("the editor does not list the flood port");
  const IParam* cutoff = editor.GetParam(kFilterCutoff);
  const double last = CutoffChange(count - 1)[2];
  std::vector<double> latencies;
  uint64_t missed = 0;
  for (auto _ : state) {
    // The cutoff starts elsewhere, so that only the flood's end brings it there.
    editor.GetParam(kFilterCutoff)->Set(last == 0 ? 1 : 0);
    jacktest::MidiCounter listener(ClientName("listener"), CutoffChange);
    if (!listener.Activate() || !listener.ConnectWith(flood.PortName())) {
      state.SkipWithError("the listener could not connect");
      break;
    }
    listener.Expect(count);
    flood.Start(count, rate, CutoffChange);
    const auto deadline = steady_clock::now() + std::chrono::seconds(60);
    while (!flood.Done() && steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    const auto end = steady_clock::now();
    while (cutoff->Value() != last && steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    const double seconds = std::chrono::duration<double>(steady_clock::now() - end).count();
    if (cutoff->Value() != last) {
      state.SkipWithError("the editor never showed the flood's last value");
      break;
    }
    latencies.push_back(seconds * 1000.0);
    state.SetIterationTime(seconds);
    while (listener.Received() < count && steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    missed += count - std::min(count, listener.Received()) + listener.OutOfOrder();
  }
  state.counters["p50_ms"] = Percentile(latencies, 0.5);
  state.counters["max_ms"] = Percentile(latencies, 1.0);
  state.counters["listener_missed"] = static_cast<double>(missed);
}
BENCHMARK(BM_FloodToShownValue)
    ->ArgName("per_second")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
