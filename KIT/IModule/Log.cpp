#include "KIT/IModule/Log.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

Timer::Timer() : mStart(std::clock()) {}

bool Timer::Every(double seconds) {
  const std::clock_t now = std::clock();
  if (static_cast<double>(now - mStart) > seconds * 1000000.0) {
    mStart = now;
    return true;
  }
  return false;
}

const char* CurrentTime() {
  // One buffer per thread: callers on different threads no longer overwrite
  // each other's result while they read it.
  thread_local char sTimeStr[48];
  const time_t now = time(nullptr);
  struct tm local = {}, utc = {};
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);

  char text[32];
  const size_t n = strftime(text, sizeof(text), "%Y%m%d %H:%M ", &local);
  text[n] = 0;

  int offset = (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
  if (local.tm_yday != utc.tm_yday) {
    const int days = local.tm_yday - utc.tm_yday;
    if (days == 1)
      offset += 1440;
    else if (days == -1)
      offset -= 1440;
    else  // the year turned between the two: the smaller day number is the new year
      offset += local.tm_yday < utc.tm_yday ? 1440 : -1440;
  }
  const int magnitude = abs(offset);
  snprintf(sTimeStr, sizeof(sTimeStr), "%s%c%02d%02d", text, offset < 0 ? '-' : '+', magnitude / 60,
           magnitude % 60);
  return sTimeStr;
}

void CompileTimestamp(const char* date, const char* time, KIT_String* out) {
  if (!out) return;
  std::string stamp = "[";
  stamp += date ? date : "";
  if (stamp.size() > 7) stamp.resize(7);    // the bracket, the month and the day
  if (stamp.size() > 4) stamp.erase(4, 1);  // the blank between month and day
  stamp += " ";
  stamp += time ? time : "";
  if (stamp.size() > 12) stamp.resize(12);  // drops the seconds
  stamp += "]";
  out->Set(stamp.c_str());
}

const char* AppendTimestamp(const char* date, const char* time, const char* text) {
  thread_local KIT_String sStamped;
  KIT_String stamp;
  CompileTimestamp(date, time, &stamp);
  sStamped.Set(text);
  sStamped.Append(" ");
  sStamped.Append(stamp.Get());
  return sStamped.Get();
}

bool IsWhitespace(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

void ToLower(char* dest, const char* src) {
  if (!dest) return;
  if (!src) src = "";
  while ((*dest++ = static_cast<char>(tolower(static_cast<unsigned char>(*src++))))) {
  }
}

void Trace(const char*, int, const char*, ...) {}
const char* VSTOpcodeStr(int) { return ""; }
const char* AUSelectStr(int) { return ""; }
const char* AUPropertyStr(int) { return ""; }
const char* AUScopeStr(int) { return ""; }
