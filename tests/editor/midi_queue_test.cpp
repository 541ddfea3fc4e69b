// The MIDI queue between the editor's producers and the render thread: order
// by offset with arrival order kept for equal offsets, the block step that
// takes what is due and moves the rest, growth, compaction and resizing, and
// nothing lost or reordered when three producers fill it while the consumer
// drains it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/IMidiQueue.h"

namespace {

// A message whose data bytes name it: data 1 the producer, data 2 its number.
IMidiMsg tagged(int offset, int producer, int number) {
  return IMidiMsg(offset, 0xB0, static_cast<uint8_t>(producer), static_cast<uint8_t>(number));
}

std::vector<IMidiMsg> takeAll(IMidiQueue& queue, int nFrames) {
  std::vector<IMidiMsg> due;
  EXPECT_TRUE(queue.TakeDue(nFrames, due));
  return due;
}

struct OrderCase {
  const char* name;
  std::vector<int> offsets;   // in the order they are added
  std::vector<int> expected;  // the order they leave in, as indices into offsets
};

class MidiQueueOrder : public testing::TestWithParam<OrderCase> {};

TEST_P(MidiQueueOrder, LeavesSortedByOffsetWithArrivalOrderForEqualOffsets) {
  const OrderCase& c = GetParam();
  IMidiQueue queue(4);  // small, so that most cases also grow the buffer
  for (size_t i = 0; i < c.offsets.size(); ++i)
    ASSERT_TRUE(queue.Add(tagged(c.offsets[i], 0, static_cast<int>(i))));
  const std::vector<IMidiMsg> due = takeAll(queue, 1000);
  ASSERT_EQ(due.size(), c.expected.size());
  for (size_t i = 0; i < due.size(); ++i) {
    EXPECT_EQ(due[i].mData2, c.expected[i]) << "position " << i;
    EXPECT_EQ(due[i].mOffset, c.offsets[static_cast<size_t>(c.expected[i])]);
  }
  EXPECT_TRUE(queue.Empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MidiQueueOrder,
    testing::Values(OrderCase{"LaterFirst", {5, 2}, {1, 0}}, OrderCase{"EqualOffsets", {3, 3, 3}, {0, 1, 2}},
                    OrderCase{"InsertBetweenEquals", {0, 4, 4, 2, 4, 0}, {0, 5, 3, 1, 2, 4}},
                    OrderCase{"NegativeBeforeZero", {0, -1, 7, -1}, {1, 3, 0, 2}},
                    OrderCase{"AlreadySorted", {0, 1, 2, 3, 4, 5, 6, 7, 8}, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
                    OrderCase{"Reversed", {8, 7, 6, 5, 4, 3, 2, 1, 0}, {8, 7, 6, 5, 4, 3, 2, 1, 0}}),
    [](const testing::TestParamInfo<OrderCase>& info) { return info.param.name; });

TEST(MidiQueue, TakesWhatIsDueInTheBlockAndMovesTheRestEarlier) {
  IMidiQueue queue;
  for (int offset : {0, 511, 512, 700, 1100}) queue.Add(tagged(offset, 0, offset % 128));

  std::vector<IMidiMsg> due = takeAll(queue, 512);
  ASSERT_EQ(due.size(), 2u);
  EXPECT_EQ(due[0].mOffset, 0);
  EXPECT_EQ(due[1].mOffset, 511);

  // What stayed now lies one block earlier: 0, 188, 588.
  due = takeAll(queue, 189);
  ASSERT_EQ(due.size(), 2u);
  EXPECT_EQ(due[0].mOffset, 0);
  EXPECT_EQ(due[1].mOffset, 188);
  EXPECT_EQ(queue.ToDo(), 1);

  due = takeAll(queue, 1000);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0].mOffset, 1100 - 512 - 189);
}

TEST(MidiQueue, GrowsInStepsAndLosesNothing) {
  IMidiQueue queue(4);
  EXPECT_EQ(queue.Capacity(), 4);
  for (int i = 0; i < 9; ++i) ASSERT_TRUE(queue.Add(tagged(0, 0, i)));
  EXPECT_EQ(queue.Capacity(), 12);
  const std::vector<IMidiMsg> due = takeAll(queue, 1);
  ASSERT_EQ(due.size(), 9u);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(due[static_cast<size_t>(i)].mData2, i);
}

TEST(MidiQueue, AFullQueueReusesTakenRoomBeforeGrowing) {
  IMidiQueue queue(4);
  for (int i = 0; i < 4; ++i) queue.Add(tagged(i, 0, i));
  ASSERT_EQ(takeAll(queue, 2).size(), 2u);  // two taken, two left
  for (int i = 4; i < 6; ++i) ASSERT_TRUE(queue.Add(tagged(5, 0, i)));
  EXPECT_EQ(queue.Capacity(), 4);
  const std::vector<IMidiMsg> due = takeAll(queue, 100);
  ASSERT_EQ(due.size(), 4u);
  EXPECT_EQ(due[0].mData2, 2);
  EXPECT_EQ(due[3].mData2, 5);
}

TEST(MidiQueue, AQueueWithoutRoomOrGrowthDropsAndSaysSo) {
  IMidiQueue queue(0);
  EXPECT_EQ(queue.Capacity(), 0);
  EXPECT_FALSE(queue.Add(tagged(0, 0, 1)));
  EXPECT_TRUE(queue.Empty());
  // Sized for a block, it takes messages again.
  queue.Resize(64);
  EXPECT_TRUE(queue.Add(tagged(0, 0, 1)));
}

struct ResizeCase {
  int blockSize;
  int waiting;
  int step;
  int capacity;
};

class MidiQueueResize : public testing::TestWithParam<ResizeCase> {};

TEST_P(MidiQueueResize, RoundsToWholePagesAndKeepsWhatWaits) {
  const ResizeCase& c = GetParam();
  IMidiQueue queue;
  for (int i = 0; i < c.waiting; ++i) ASSERT_TRUE(queue.Add(tagged(i, 0, i % 128)));
  queue.Resize(c.blockSize);
  EXPECT_EQ(queue.GrowthStep(), c.step);
  EXPECT_EQ(queue.Capacity(), c.capacity);
  const std::vector<IMidiMsg> due = takeAll(queue, c.waiting + 1);
  ASSERT_EQ(static_cast<int>(due.size()), c.waiting);
  for (int i = 0; i < c.waiting; ++i) EXPECT_EQ(due[static_cast<size_t>(i)].mOffset, i);
}

INSTANTIATE_TEST_SUITE_P(Cases, MidiQueueResize,
                         testing::Values(ResizeCase{512, 0, 512, 512}, ResizeCase{513, 3, 1024, 1024},
                                         ResizeCase{128, 10, 512, 512}, ResizeCase{0, 0, 512, 512},
                                         ResizeCase{-5, 1, 512, 512}, ResizeCase{64, 1500, 512, 1536}),
                         [](const testing::TestParamInfo<ResizeCase>& info) {
                           const int block = info.param.blockSize;
                           return "Block" + std::string(block < 0 ? "Minus" : "") +
                                  std::to_string(std::abs(block)) + "Waiting" +
                                  std::to_string(info.param.waiting);
                         });

// Three producers add tagged messages with the same offset while the render
// thread drains block after block: every message leaves once, and each
// producer's messages leave in the order it added them.
TEST(MidiQueueThreads, ThreeProducersAndTheRenderThreadLoseAndReorderNothing) {
  constexpr int kProducers = 3;
  constexpr int kPerProducer = 2000;
  IMidiQueue queue(16);
  std::atomic<int> producersDone{0};
  std::vector<IMidiMsg> received;

  std::thread consumer([&] {
    std::vector<IMidiMsg> due;
    for (;;) {
      const bool finished = producersDone.load() == kProducers;
      due.clear();
      queue.TakeDue(1, due);  // a busy queue is simply left for the next block
      received.insert(received.end(), due.begin(), due.end());
      if (finished && queue.Empty()) break;
      std::this_thread::yield();
    }
  });
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p)
    producers.emplace_back([&queue, &producersDone, p] {
      for (int n = 0; n < kPerProducer; ++n)
        while (!queue.Add(IMidiMsg(0, 0xB0, static_cast<uint8_t>(p), static_cast<uint8_t>(n % 128))))
          std::this_thread::yield();
      ++producersDone;
    });
  for (std::thread& producer : producers) producer.join();
  consumer.join();

  ASSERT_EQ(received.size(), static_cast<size_t>(kProducers * kPerProducer));
  int next[kProducers] = {};
  for (const IMidiMsg& msg : received) {
    ASSERT_LT(msg.mData1, kProducers);
    EXPECT_EQ(msg.mData2, next[msg.mData1] % 128) << "producer " << int(msg.mData1);
    ++next[msg.mData1];
    EXPECT_EQ(msg.mOffset, 0);
  }
  for (int p = 0; p < kProducers; ++p) EXPECT_EQ(next[p], kPerProducer);
}

}  // namespace
