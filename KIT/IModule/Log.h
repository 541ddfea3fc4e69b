// Time stamps, timers and text helpers of the framework's log module. The
// framework's own trace output is switched off: Trace does nothing and the
// operations that only label trace lines return "".
#pragma once

#include <ctime>

#include "KIT/kitstring.h"

// Fires every so many seconds of processor time (clock ticks of std::clock,
// one million a second).
class Timer {
 public:
  Timer();
  // True, and the start mark taken anew, when more than seconds * 1,000,000
  // clock ticks have passed since the start mark; false otherwise.
  bool Every(double seconds);

 private:
  std::clock_t mStart;
};

// The local time and its offset from UTC, "YYYYMMDD HH:MM +hhmm" (sign "-"
// west of UTC). The text lives in a per-thread buffer that the next call on
// the same thread overwrites.
const char* CurrentTime();

// A short build stamp from a build date "Mmm dd yyyy" and time "hh:mm:ss":
// "[Mmmdd hh:mm]". Null texts read as "".
void CompileTimestamp(const char* date, const char* time, KIT_String* out);
// The text, a blank and the build stamp, in a per-thread string that the next
// call on the same thread overwrites.
const char* AppendTimestamp(const char* date, const char* time, const char* text);

// True for tab, line feed, carriage return and blank; false for every other byte.
bool IsWhitespace(char c);
// Copies src lower-cased into dest, NUL included; dest holds strlen(src) + 1 bytes.
void ToLower(char* dest, const char* src);

// Trace output is switched off in this system.
void Trace(const char* file, int line, const char* format, ...);
const char* VSTOpcodeStr(int opcode);
const char* AUSelectStr(int selector);
const char* AUPropertyStr(int property);
const char* AUScopeStr(int scope);
