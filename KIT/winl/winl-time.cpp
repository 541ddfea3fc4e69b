#include "KIT/winl/winl-time.h"

#include <sys/time.h>

#include <cerrno>
#include <ctime>

void Sleep(int milliseconds) {
  // 64-bit microseconds: a 32-bit product would wrap for waits above about
  // 71 minutes and turn them into a few microseconds.
  const int64_t microseconds = milliseconds > 0 ? int64_t{milliseconds} * 1000 : 100;
  timespec remaining;
  remaining.tv_sec = static_cast<time_t>(microseconds / 1000000);
  remaining.tv_nsec = static_cast<long>(microseconds % 1000000 * 1000);
  // Relative sleep; after a signal the rest of the time is slept.
  while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

uint32_t GetTickCount() {
  timeval now{0, 0};
  ::gettimeofday(&now, nullptr);
  return WINL_TickCountFromTime(now.tv_sec, now.tv_usec);
}

uint32_t WINL_TickCountFromTime(int64_t seconds, int64_t microseconds) {
  return static_cast<uint32_t>(seconds) * 1000u + static_cast<uint32_t>(microseconds / 1000);
}
