// The in-process loop-back ports themselves: names, numbering, what a
// connection carries once a port went away, the watchers, and an input
// that closes while an output keeps sending (ASan and TSan watch).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/LoopbackMidi.h"

namespace {

using Bytes = std::vector<unsigned char>;

// An input with a virtual port or a port opened by number, keeping what
// arrives.
class Collector {
 public:
  explicit Collector(const std::string& client) : mIn(client) {
    mIn.setCallback(&Collector::Callback, this);
    mIn.ignoreTypes(false, false, false);
  }
  LoopbackMidiIn& In() { return mIn; }
  std::vector<Bytes> Got() {
    std::lock_guard<std::mutex> lock(mMutex);
    return mGot;
  }

 private:
  static void Callback(double, std::vector<unsigned char>* message, void* self) {
    Collector* collector = static_cast<Collector*>(self);
    std::lock_guard<std::mutex> lock(collector->mMutex);
    collector->mGot.push_back(*message);
  }
  std::mutex mMutex;
  std::vector<Bytes> mGot;
  LoopbackMidiIn mIn;  // last, so it goes first
};

std::vector<std::string> Inputs() {
  std::vector<std::string> inputs;
  ListLoopbackMidiPorts(&inputs, nullptr);
  return inputs;
}

TEST(LoopbackMidi, PortsAreNamedAfterTheirClientAndListedByDirection) {
  LoopbackMidiOut source("synth");
  source.openVirtualPort("out");
  Collector sink("editor");
  sink.In().openVirtualPort("in");
  std::vector<std::string> inputs, outputs;
  ListLoopbackMidiPorts(&inputs, &outputs);
  EXPECT_EQ(inputs, std::vector<std::string>{"synth:out"});
  EXPECT_EQ(outputs, std::vector<std::string>{"editor:in"});
  EXPECT_EQ(sink.In().getPortCount(), 1u);
  EXPECT_EQ(sink.In().getPortName(0), "synth:out");
  EXPECT_EQ(sink.In().getPortName(1), "");
  EXPECT_EQ(source.getPortName(0), "editor:in");
  EXPECT_TRUE(LoopbackMidiPortExists("synth:out"));
  EXPECT_FALSE(LoopbackMidiPortExists("synth"));

  // A name taken is refused, in either direction; a number past the end
  // opens nothing.
  LoopbackMidiIn twin("synth");
  EXPECT_THROW(twin.openVirtualPort("out"), RtMidiError);
  EXPECT_THROW(twin.openPort(1), RtMidiError);
  EXPECT_FALSE(twin.isPortOpen());
  EXPECT_EQ(Inputs(), std::vector<std::string>{"synth:out"});
}

TEST(LoopbackMidi, AConnectionCarriesNothingOnceItsPortWentAway) {
  Collector sink("editor");
  auto source = std::make_unique<LoopbackMidiOut>("synth");
  source->openVirtualPort("out");
  sink.In().openPort(0, "in");
  ASSERT_TRUE(sink.In().isPortOpen());
  const Bytes note = {0x90, 60, 100};
  source->sendMessage(note.data(), note.size());
  source.reset();
  EXPECT_TRUE(Inputs().empty());

  // A new port of the same name is another port: the old connection does
  // not reach it.
  LoopbackMidiOut again("synth");
  again.openVirtualPort("out");
  const Bytes off = {0x80, 60, 0};
  again.sendMessage(off.data(), off.size());
  EXPECT_EQ(sink.Got(), std::vector<Bytes>{note});

  // Nor does an output whose port went away send anywhere.
  auto taker = std::make_unique<Collector>("taker");
  taker->In().openVirtualPort("in");
  LoopbackMidiOut out("editor-out");
  out.openPort(0, "out");
  taker.reset();
  Collector later("taker");
  later.In().openVirtualPort("in");
  out.sendMessage(off.data(), off.size());
  EXPECT_TRUE(later.Got().empty());
  EXPECT_THROW(out.sendMessage(off.data(), 0), RtMidiError);
}

TEST(LoopbackMidi, WatchersAreToldOfAPortGoneUntilTheyStop) {
  std::atomic<int> told{0};
  const uint64_t watch = WatchLoopbackMidiPorts([&] { ++told; });
  {
    LoopbackMidiOut source("synth");
    source.openVirtualPort("out");
    EXPECT_EQ(told.load(), 0);  // a port that comes is not a loss
  }
  EXPECT_EQ(told.load(), 1);
  StopWatchingLoopbackMidiPorts(watch);
  {
    LoopbackMidiOut source("synth");
    source.openVirtualPort("out");
  }
  EXPECT_EQ(told.load(), 1);
}

TEST(LoopbackMidi, TheIgnoredTypesAreDroppedAtTheInput) {
  const struct {
    const char* why;
    bool sysex, time, sense;
    std::vector<Bytes> expected;
  } kCases[] = {
      {"nothing ignored", false, false, false, {{0xF0, 1, 0xF7}, {0xF8}, {0xF1, 2}, {0xFE}, {0x90, 1, 2}}},
      {"SysEx ignored", true, false, false, {{0xF8}, {0xF1, 2}, {0xFE}, {0x90, 1, 2}}},
      {"timing ignored", false, true, false, {{0xF0, 1, 0xF7}, {0xFE}, {0x90, 1, 2}}},
      {"sensing ignored", false, false, true, {{0xF0, 1, 0xF7}, {0xF8}, {0xF1, 2}, {0x90, 1, 2}}},
  };
  for (const auto& c : kCases) {
    LoopbackMidiOut source("synth");
    source.openVirtualPort("out");
    Collector sink("editor");
    sink.In().ignoreTypes(c.sysex, c.time, c.sense);
    sink.In().openPort(0, "in");
    for (const Bytes& message : kCases[0].expected) source.sendMessage(message.data(), message.size());
    EXPECT_EQ(sink.Got(), c.expected) << c.why;
  }
}

// The input closes while another thread sends to it: no callback runs
// after closePort returned.
TEST(LoopbackMidi, NoCallbackRunsAfterTheInputClosed) {
  LoopbackMidiOut source("synth");
  source.openVirtualPort("out");
  std::atomic<bool> sending{true};
  std::thread sender([&] {
    const Bytes note = {0x90, 60, 100};
    while (sending) source.sendMessage(note.data(), note.size());
  });
  for (int round = 0; round < 50; ++round) {
    std::atomic<bool> closed{false};
    std::atomic<bool> lateCall{false};
    struct Watch {
      std::atomic<bool>* closed;
      std::atomic<bool>* lateCall;
    } watch{&closed, &lateCall};
    LoopbackMidiIn in("editor");
    in.setCallback(
        [](double, std::vector<unsigned char>*, void* self) {
          Watch* w = static_cast<Watch*>(self);
          if (w->closed->load()) w->lateCall->store(true);
        },
        &watch);
    in.openPort(0, "in");
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    in.closePort();
    closed = true;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    EXPECT_FALSE(lateCall.load()) << "round " << round;
  }
  sending = false;
  sender.join();
}

}  // namespace
