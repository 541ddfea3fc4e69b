// The two queues of the external MIDI ports: incoming messages from the MIDI
// library's thread to ours (IMidiInQueue, with the thinning of a flood), and
// outgoing messages through the pacer (IMidiOutPacer), on a clock the test
// advances itself.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/IMidiInQueue.h"
#include "KIT/IModule/IMidiOutPacer.h"

namespace {

using Bytes = std::vector<uint8_t>;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

// A generous deadline that only stops a broken run from hanging.
constexpr auto kHang = std::chrono::seconds(20);

Bytes Message(size_t size, uint8_t seed) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i);
  return bytes;
}

// ---- The incoming queue ------------------------------------------------------------

TEST(MidiInQueue, MessagesComeOutWholeAndInOrderAcrossTheRingsEnd) {
  IMidiInQueue queue(64);  // small: the messages wrap round many times
  const size_t sizes[] = {1, 3, 2, 10, 3, 27, 3, 1, 12};
  std::vector<std::vector<uint8_t>> taken;
  for (int round = 0; round < 20; ++round) {
    std::vector<Bytes> pushed;
    for (size_t i = 0; i < sizeof(sizes) / sizeof(sizes[0]); ++i) {
      const Bytes m = Message(sizes[i], static_cast<uint8_t>(round * 16 + i));
      if (!queue.Push(m.data(), m.size())) break;
      pushed.push_back(m);
    }
    ASSERT_GE(pushed.size(), 3u) << "round " << round;
    taken.clear();
    EXPECT_EQ(queue.Take(taken, 1000), pushed.size());
    EXPECT_EQ(taken, pushed) << "round " << round;
  }
}

TEST(MidiInQueue, AFullQueueDropsAndCountsAndKeepsWhatWaits) {
  IMidiInQueue queue(64);
  std::vector<Bytes> kept;
  const Bytes three = {0xB0, 74, 1};
  while (queue.Push(three.data(), three.size())) kept.push_back(three);
  const Bytes big = Message(40, 0);
  EXPECT_FALSE(queue.Push(big.data(), big.size()));
  EXPECT_FALSE(queue.Push(nullptr, 3));  // nothing to push: not counted
  EXPECT_EQ(queue.TakeDropped(), 2u);    // the failed three-byte push and the big one
  EXPECT_EQ(queue.TakeDropped(), 0u);
  std::vector<std::vector<uint8_t>> taken;
  EXPECT_EQ(queue.Take(taken, 1000), kept.size());
  EXPECT_EQ(taken, kept);
  EXPECT_TRUE(queue.Push(big.data(), big.size()));  // room again
  const Bytes larger = Message(100, 0);
  EXPECT_FALSE(queue.Push(larger.data(), larger.size()));  // never fits
}

TEST(MidiInQueue, WaitReturnsForAMessageOrAWakeAndTakeStopsAtItsLimit) {
  IMidiInQueue queue(1024);
  EXPECT_FALSE(queue.Wait(1));
  std::thread waker([&] {
    std::this_thread::sleep_for(milliseconds(20));
    queue.Wake();
  });
  const auto start = steady_clock::now();
  EXPECT_FALSE(queue.Wait(static_cast<int>(std::chrono::duration_cast<milliseconds>(kHang).count())));
  EXPECT_LT(steady_clock::now() - start, kHang);
  waker.join();
  const Bytes m = {0x90, 60, 100};
  for (int i = 0; i < 5; ++i) queue.Push(m.data(), m.size());
  EXPECT_TRUE(queue.Wait(1));
  std::vector<std::vector<uint8_t>> taken;
  EXPECT_EQ(queue.Take(taken, 2), 2u);
  EXPECT_TRUE(queue.Wait(1));  // three still wait
  queue.Clear();
  EXPECT_FALSE(queue.Wait(1));
}

// The MIDI library's thread and ours at full speed: every message, in order.
TEST(MidiInQueue, OneProducerAndOneConsumerThreadKeepEveryMessageInOrder) {
  IMidiInQueue queue(4096);
  constexpr uint32_t kCount = 200000;
  std::thread producer([&] {
    for (uint32_t i = 0; i < kCount;) {
      const uint8_t m[4] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8),
                            static_cast<uint8_t>(i >> 16), static_cast<uint8_t>(i % 7)};
      if (queue.Push(m, 1 + i % 4))
        ++i;
      else
        std::this_thread::yield();  // the real producer drops; this one waits to count every message
    }
  });
  uint32_t next = 0;
  bool inOrder = true;
  std::vector<std::vector<uint8_t>> taken;
  const auto deadline = steady_clock::now() + kHang;
  while (next < kCount && steady_clock::now() < deadline) {
    if (!queue.Wait(100)) continue;
    taken.clear();
    queue.Take(taken, 512);
    for (const auto& m : taken) {
      const uint8_t expected[4] = {static_cast<uint8_t>(next), static_cast<uint8_t>(next >> 8),
                                   static_cast<uint8_t>(next >> 16), static_cast<uint8_t>(next % 7)};
      inOrder = inOrder && m == Bytes(expected, expected + 1 + next % 4);
      ++next;
    }
  }
  producer.join();
  EXPECT_EQ(next, kCount);
  EXPECT_TRUE(inOrder);
}

// ---- Thinning a flood ------------------------------------------------------------------

struct CoalesceCase {
  const char* name;
  const char* why;
  std::vector<Bytes> in, out;
};
void PrintTo(const CoalesceCase& c, std::ostream* out) { *out << c.why; }

class Coalesce : public ::testing::TestWithParam<CoalesceCase> {};

TEST_P(Coalesce, KeepsTheLastChangeOfEachControllerInItsPlace) {
  std::vector<Bytes> messages = GetParam().in;
  CoalesceRepeatedChanges(messages);
  EXPECT_EQ(messages, GetParam().out);
}

const Bytes kSysEx = {0xF0, 0x3E, 0x0B, 0x00, 0x41, 0xF7};
INSTANTIATE_TEST_SUITE_P(
    Batches, Coalesce,
    ::testing::Values(
        CoalesceCase{"OneController",
                     "one controller: the last value stays",
                     {{0xB0, 74, 1}, {0xB0, 74, 2}, {0xB0, 74, 3}},
                     {{0xB0, 74, 3}}},
        CoalesceCase{"OthersAroundIt",
                     "others keep their places around it",
                     {{0xB0, 74, 1}, {0x90, 60, 100}, {0xB0, 71, 9}, {0xB0, 74, 2}, {0x80, 60, 0}},
                     {{0x90, 60, 100}, {0xB0, 71, 9}, {0xB0, 74, 2}, {0x80, 60, 0}}},
        CoalesceCase{"Channels",
                     "channels are told apart",
                     {{0xB0, 74, 1}, {0xB1, 74, 2}, {0xB0, 74, 3}},
                     {{0xB1, 74, 2}, {0xB0, 74, 3}}},
        CoalesceCase{
            "ParameterNumbers",
            "parameter numbers and data entry go whole",
            {{0xB0, 99, 1}, {0xB0, 98, 6}, {0xB0, 6, 40}, {0xB0, 99, 1}, {0xB0, 98, 7}, {0xB0, 6, 41}},
            {{0xB0, 99, 1}, {0xB0, 98, 6}, {0xB0, 6, 40}, {0xB0, 99, 1}, {0xB0, 98, 7}, {0xB0, 6, 41}}},
        CoalesceCase{"BankSelectAndChannelMode",
                     "bank select and channel mode messages go whole",
                     {{0xB0, 0, 0}, {0xB0, 32, 64}, {0xB0, 0, 0}, {0xB0, 123, 0}, {0xB0, 123, 0}},
                     {{0xB0, 0, 0}, {0xB0, 32, 64}, {0xB0, 0, 0}, {0xB0, 123, 0}, {0xB0, 123, 0}}},
        CoalesceCase{
            "NeverThinned",
            "notes, programs, SysEx and short forms are never thinned",
            {{0x90, 60, 1}, {0x90, 60, 2}, {0xC0, 5}, {0xC0, 5}, kSysEx, kSysEx, {0xB0, 74}, {0xB0, 74}},
            {{0x90, 60, 1}, {0x90, 60, 2}, {0xC0, 5}, {0xC0, 5}, kSysEx, kSysEx, {0xB0, 74}, {0xB0, 74}}},
        CoalesceCase{"Empty", "an empty batch", {}, {}}),
    [](const ::testing::TestParamInfo<CoalesceCase>& info) { return std::string(info.param.name); });

// ---- The pacer -----------------------------------------------------------------------

// A server's clock that the test advances.
struct TestCycles : IMidiOutPacer::Cycles {
  std::atomic<uint64_t> cycles{0};
  std::atomic<size_t> bytesPerCycle{0};
  std::atomic<bool> lost{false};
  uint64_t CyclesRun() const override { return cycles.load(); }
  size_t BytesPerCycle() const override { return bytesPerCycle.load(); }
  bool Lost() const override { return lost.load(); }
};

// What the pacer hands on, with the cycle it was handed on in.
struct Recorder {
  struct Sent {
    Bytes bytes;
    uint64_t cycle;
  };
  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<Sent> sent;
  std::shared_ptr<TestCycles> cycles;
  IMidiOutPacer::Sender Sender() {
    return [this](const uint8_t* bytes, size_t size) {
      std::lock_guard<std::mutex> lock(mutex);
      sent.push_back({Bytes(bytes, bytes + size), cycles ? cycles->CyclesRun() : 0});
      arrived.notify_all();
      return true;
    };
  }
  bool WaitFor(size_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    return arrived.wait_for(lock, kHang, [&] { return sent.size() >= count; });
  }
};

TEST(MidiOutPacer, EveryMessageOfEveryPosterGoesOutInTheOrderPosted) {
  Recorder recorder;
  IMidiOutPacer pacer(recorder.Sender(), 64);  // small: posters wait for room
  constexpr int kPosters = 3, kEach = 2000;
  std::vector<std::thread> posters;
  for (int p = 0; p < kPosters; ++p)
    posters.emplace_back([&, p] {
      for (int i = 0; i < kEach; ++i) {
        const Bytes m = {static_cast<uint8_t>(0x90 + p), static_cast<uint8_t>(i >> 7),
                         static_cast<uint8_t>(i & 0x7F)};
        EXPECT_TRUE(pacer.Post(m.data(), m.size(), false));
      }
    });
  for (std::thread& t : posters) t.join();
  // Every message handed on and counted: the count follows each send.
  ASSERT_TRUE(pacer.Drain(static_cast<int>(std::chrono::duration_cast<milliseconds>(kHang).count())));
  ASSERT_TRUE(recorder.WaitFor(kPosters * kEach));
  std::map<int, int> next;
  for (const Recorder::Sent& s : recorder.sent) {
    const int poster = s.bytes[0] - 0x90;
    EXPECT_EQ((s.bytes[1] << 7) | s.bytes[2], next[poster]++) << "poster " << poster;
  }
  EXPECT_EQ(pacer.Sent(), static_cast<uint64_t>(kPosters * kEach));
  EXPECT_EQ(pacer.Dropped(), 0u);
}

TEST(MidiOutPacer, NoCycleCarriesMoreThanItsShareAndEveryMessageGoesInOne) {
  Recorder recorder;
  recorder.cycles = std::make_shared<TestCycles>();
  // A port of 1600 bytes a cycle: the pacer fills a quarter, 400 bytes,
  // four 84-byte dumps (100 bytes each with the event's own).
  recorder.cycles->bytesPerCycle = 1600;
  IMidiOutPacer pacer(recorder.Sender());
  pacer.SetCycles(recorder.cycles);
  constexpr int kDumps = 30;
  const Bytes dump = Message(84, 0);
  for (int i = 0; i < kDumps; ++i) ASSERT_TRUE(pacer.Post(dump.data(), dump.size(), false));
  // The server's cycles come one after the other until everything went.
  const auto deadline = steady_clock::now() + kHang;
  while (pacer.Sent() < kDumps && steady_clock::now() < deadline) {
    std::this_thread::sleep_for(milliseconds(2));
    ++recorder.cycles->cycles;
  }
  ASSERT_TRUE(recorder.WaitFor(kDumps));
  std::map<uint64_t, size_t> bytesInCycle;
  for (const Recorder::Sent& s : recorder.sent)
    bytesInCycle[s.cycle] += s.bytes.size() + IMidiOutPacer::kEventOverhead;
  for (const auto& [cycle, bytes] : bytesInCycle) EXPECT_LE(bytes, 400u) << "cycle " << cycle;
  EXPECT_GE(bytesInCycle.size(), static_cast<size_t>(kDumps / 4));
}

TEST(MidiOutPacer, WithTheServerGoneNothingIsHandedOnAndTheLossIsReported) {
  Recorder recorder;
  recorder.cycles = std::make_shared<TestCycles>();
  recorder.cycles->bytesPerCycle = 32768;
  recorder.cycles->lost = true;
  IMidiOutPacer pacer(recorder.Sender());
  std::mutex mutex;
  std::condition_variable told;
  uint64_t reported = 0;
  pacer.SetDropReport([&](uint64_t dropped) {
    std::lock_guard<std::mutex> lock(mutex);
    reported += dropped;
    told.notify_all();
  });
  pacer.SetCycles(recorder.cycles);
  const Bytes clock = {0xF8};
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(pacer.Post(clock.data(), clock.size(), false));
  std::unique_lock<std::mutex> lock(mutex);
  EXPECT_TRUE(told.wait_for(lock, kHang, [&] { return reported == 5; })) << reported;
  EXPECT_TRUE(recorder.sent.empty());
  EXPECT_EQ(pacer.Dropped(), 5u);
}

TEST(MidiOutPacer, ARealTimePosterNeverWaitsForAFullQueueButOthersDo) {
  std::mutex gate;
  std::unique_lock<std::mutex> closed(gate);
  std::atomic<int> entered{0}, sent{0};
  IMidiOutPacer pacer(
      [&](const uint8_t*, size_t) {
        ++entered;
        std::lock_guard<std::mutex> pass(gate);  // held shut by the test
        ++sent;
        return true;
      },
      4);
  const Bytes m = {0xB0, 1, 2};
  // The pacer takes the first and waits at the gate; four more fill the queue.
  ASSERT_TRUE(pacer.Post(m.data(), m.size(), true));
  for (const auto until = steady_clock::now() + kHang; entered == 0 && steady_clock::now() < until;)
    std::this_thread::sleep_for(milliseconds(1));
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(pacer.Post(m.data(), m.size(), true)) << i;
  EXPECT_FALSE(pacer.Post(m.data(), m.size(), true));  // full: dropped at once
  EXPECT_EQ(pacer.Dropped(), 1u);
  std::atomic<bool> posted{false};
  std::thread waiting([&] { posted = pacer.Post(m.data(), m.size(), false); });  // waits for room
  std::this_thread::sleep_for(milliseconds(50));
  EXPECT_FALSE(posted.load()) << "the queue had no room";
  closed.unlock();
  waiting.join();
  EXPECT_TRUE(posted.load());
  EXPECT_TRUE(pacer.Drain(static_cast<int>(std::chrono::duration_cast<milliseconds>(kHang).count())));
  EXPECT_EQ(sent.load(), 6);
}

}  // namespace
