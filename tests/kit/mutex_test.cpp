#include "KIT/mutex.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(KitMutex, OwnerReentersAndDepthCounts) {
  KIT_Mutex m;
  EXPECT_EQ(m.GetDepth(), -1);
  m.Enter();
  m.Enter();
  EXPECT_EQ(m.GetDepth(), 1);
  m.Leave();
  EXPECT_EQ(m.GetDepth(), 0);
  m.Leave();
  EXPECT_EQ(m.GetDepth(), -1);
}

TEST(KitMutex, OtherThreadWaitsUntilLastLeave) {
  KIT_Mutex m;
  int shared = 0;
  m.Enter();
  m.Enter();
  std::thread other([&] {
    KIT_MutexLock lock(&m);
    shared = 2;
  });
  shared = 1;
  m.Leave();
  EXPECT_EQ(shared, 1);  // still held once
  m.Leave();
  other.join();
  EXPECT_EQ(shared, 2);
}

TEST(KitMutex, ManyThreadsCountUnderTheLock) {
  KIT_Mutex m;
  long count = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        KIT_MutexLock outer(&m);
        KIT_MutexLock inner(&m);
        ++count;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(count, 40000);
}

}  // namespace
