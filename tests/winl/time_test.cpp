// Time services. Only lower bounds of sleeps are checked: a loaded machine
// may sleep longer, never shorter.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "KIT/winl/winl-time.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;

microseconds sleepFor(int milliseconds) {
  const Clock::time_point start = Clock::now();
  Sleep(milliseconds);
  return std::chrono::duration_cast<microseconds>(Clock::now() - start);
}

TEST(TickCount, isMillisecondsOfTheTimeOfDayWrappingInThirtyTwoBits) {
  const struct {
    int64_t seconds, microseconds;
    uint32_t count;
  } kCases[] = {
      {0, 0, 0},
      {1, 999999, 1999},                  // whole milliseconds, truncated
      {4294967, 295999, 4294967295u},     // the last count before the wrap
      {4294967, 296000, 0},               // wraps to 0
      {4294968, 0, 704},                  // 4294968000 mod 2^32
      {1700000000, 123456, 3487918203u},  // a present-day date
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.count, WINL_TickCountFromTime(c.seconds, c.microseconds))
        << c.seconds << " s " << c.microseconds << " us";
  }
}

TEST(TickCount, elapsedTimeByUnsignedSubtractionSurvivesTheWrap) {
  const uint32_t start = WINL_TickCountFromTime(4294967, 0);  // 296 ms before the wrap
  const uint32_t later = WINL_TickCountFromTime(4294968, 500000);
  EXPECT_LT(later, start);
  EXPECT_EQ(1500u, later - start);
}

TEST(TickCount, followsTheWallClock) {
  timeval before{}, after{};
  ::gettimeofday(&before, nullptr);
  const uint32_t count = GetTickCount();
  ::gettimeofday(&after, nullptr);
  const uint32_t low = WINL_TickCountFromTime(before.tv_sec, before.tv_usec);
  const uint32_t high = WINL_TickCountFromTime(after.tv_sec, after.tv_usec);
  EXPECT_LE(count - low, high - low) << "count " << count << " outside [" << low << ", " << high << "]";
}

TEST(SleepTest, sleepsAtLeastTheRequestAndZeroOrLessStillYields) {
  const struct {
    int milliseconds;
    microseconds atLeast;
  } kCases[] = {{0, microseconds(100)},
                {-1, microseconds(100)},
                {-2000000, microseconds(100)},
                {1, microseconds(1000)},
                {5, microseconds(5000)}};
  for (const auto& c : kCases) EXPECT_GE(sleepFor(c.milliseconds), c.atLeast) << c.milliseconds << " ms";
}

void ignoreSignal(int) {}

// A signal arriving during the sleep must not end it early.
TEST(SleepTest, signalsDoNotCutTheSleepShort) {
  struct sigaction action {};
  action.sa_handler = ignoreSignal;
  sigemptyset(&action.sa_mask);
  struct sigaction previous {};
  ASSERT_EQ(0, ::sigaction(SIGUSR1, &action, &previous));

  std::atomic<bool> done{false};
  microseconds slept{0};
  std::thread sleeper([&] {
    slept = sleepFor(100);
    done = true;
  });
  while (!done) {
    ::pthread_kill(sleeper.native_handle(), SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  sleeper.join();
  ::sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_GE(slept, microseconds(100000));
}

// 4294968 ms is 4294968000 us: in 32-bit microseconds it would wrap to 704.
// A child process sleeps it; after 200 ms it must still be asleep.
TEST(SleepTest, longSleepIsNotWrappedShort) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    Sleep(4294968);
    ::_exit(0);
  }
  pid_t finished = 0;
  for (int i = 0; i < 20 && finished == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    finished = ::waitpid(child, nullptr, WNOHANG);
  }
  EXPECT_EQ(0, finished) << "the sleep ended within 200 ms";
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}

}  // namespace
