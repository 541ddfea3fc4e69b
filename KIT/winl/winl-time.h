// Time services of the Win32-style layer: a millisecond sleep and a
// millisecond tick count. Both hold no state and may be called from any
// thread at any time.
#pragma once

#include <cstdint>

// Suspends the calling thread for milliseconds. 0 (and, since a negative
// wait means nothing, any negative value) sleeps 100 microseconds instead of
// returning at once, so polling loops always yield. Long requests are not
// cut short: the whole time is slept even past 2^32 microseconds, and a
// signal arriving meanwhile does not end the sleep early.
void Sleep(int milliseconds);

// Milliseconds from the wall clock: seconds * 1000 + microseconds / 1000,
// wrapping in 32 bits. It has no fixed origin and follows changes of the
// system clock. Measure elapsed time by unsigned subtraction
// (GetTickCount() - start), which stays right across the wrap.
uint32_t GetTickCount();

// The count GetTickCount gives for a time of day (seconds and microseconds).
uint32_t WINL_TickCountFromTime(int64_t seconds, int64_t microseconds);
