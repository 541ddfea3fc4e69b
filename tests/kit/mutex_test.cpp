#include "KIT/mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
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

// The other thread is known to be at the lock (it said so just before
// entering) and is given time to get in while the owner still holds it once:
// a lock that let it in would show within that time, however late the
// thread started.
TEST(KitMutex, OtherThreadWaitsUntilLastLeave) {
  using namespace std::chrono_literals;
  KIT_Mutex m;
  std::atomic<bool> atTheLock{false};
  std::atomic<int> shared{1};
  m.Enter();
  m.Enter();
  std::thread other([&] {
    atTheLock = true;
    KIT_MutexLock lock(&m);
    shared = 2;
  });
  for (const auto bound = std::chrono::steady_clock::now() + 10s;
       !atTheLock && std::chrono::steady_clock::now() < bound;)
    std::this_thread::yield();
  EXPECT_TRUE(atTheLock) << "the other thread never started";
  m.Leave();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(shared, 1) << "the other thread got in while the lock was still held once";
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
