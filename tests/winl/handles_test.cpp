// Socket-pair events and socket objects, waiting on several descriptors,
// thread ids and priorities, file handles, file times, the rounding
// control and GUIDs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "KIT/winl/winl-handles.h"
#include "KIT/winl/winl-time.h"

namespace {

TEST(SocketEvents, AutoResetClearsOnTheWaitManualStaysSet) {
  const struct {
    bool manual, initial;
    int first, second;
  } kCases[] = {
      {false, true, 0, 258},
      {true, true, 0, 0},
      {false, false, 258, 258},
      {true, false, 258, 258},
  };
  for (const auto& c : kCases) {
    HANDLE event = CreateEventAsSocket(nullptr, c.manual, c.initial, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_GE(WINL_GetEventSocket(event), 0);
    EXPECT_EQ(WaitForSingleObject(event, 0), c.first) << c.manual << c.initial;
    EXPECT_EQ(WaitForSingleObject(event, 0), c.second) << c.manual << c.initial;
    // Setting twice leaves one byte: one reset clears it.
    EXPECT_EQ(SetEvent(event), 1);
    EXPECT_EQ(SetEvent(event), 1);
    EXPECT_EQ(ResetEvent(event), 1);
    EXPECT_EQ(WaitForSingleObject(event, 0), 258) << c.manual << c.initial;
    EXPECT_EQ(CloseHandle(event), 1);
  }
}

TEST(SocketEvents, AWaitEndsWhenAnotherThreadSets) {
  HANDLE event = CreateEventAsSocket(nullptr, false, false, nullptr);
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* e) -> unsigned {
        Sleep(5);
        return static_cast<unsigned>(SetEvent(e));
      },
      event, 0, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), 0);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), 0);
  CloseHandle(thread);
  CloseHandle(event);
}

TEST(SocketEvents, WaitForAnyGivesTheReadyOne) {
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  WINL_SocketObject socket;
  HANDLE plain = CreateEvent(nullptr, true, true, nullptr);  // no descriptor: not watched
  HANDLE first = CreateEventAsSocket(nullptr, false, false, nullptr);
  HANDLE second = CreateEventAsSocket(nullptr, false, false, nullptr);
  const HANDLE handles[4] = {plain, first, second, WINL_InitSocketObject(&socket, pipeEnds[0])};

  EXPECT_EQ(WaitForAnySocketObject(4, handles, 0), 258);
  SetEvent(second);
  EXPECT_EQ(WaitForAnySocketObject(4, handles, 0), 2);
  EXPECT_EQ(WaitForAnySocketObject(4, handles, 0), 258) << "the auto-reset event was drained";
  ASSERT_EQ(write(pipeEnds[1], "x", 1), 1);
  EXPECT_EQ(WaitForAnySocketObject(4, handles, 0), 3);
  EXPECT_EQ(WaitForAnySocketObject(4, handles, 0), 3) << "a socket object is not drained";
  EXPECT_EQ(WaitForSingleObject(handles[3], 0), 0);
  SetEvent(first);
  EXPECT_EQ(WaitForAnySocketObject(4, handles, 0), 1) << "the first ready one";

  EXPECT_EQ(WaitForAnySocketObject(0, handles, 0), 258);
  EXPECT_EQ(WaitForAnySocketObject(1, handles, INFINITE), 258) << "nothing to watch";
  EXPECT_EQ(SetEvent(handles[3]), 0) << "a socket object is not an event";

  // The owner keeps the socket object: its last reference frees nothing.
  EXPECT_EQ(CloseHandle(handles[3]), 0);
  EXPECT_EQ(socket.type, WINL_HANDLE_SOCKET);
  WINL_SocketObject closed;
  EXPECT_EQ(WaitForSingleObject(WINL_InitSocketObject(&closed, -1), 0), -1);
  close(pipeEnds[0]);
  close(pipeEnds[1]);
  CloseHandle(plain);
  CloseHandle(first);
  CloseHandle(second);
}

TEST(WinlThreads, IdsAndPriorities) {
  const unsigned self = GetCurrentThreadId();
  EXPECT_NE(self, 0u);
  EXPECT_EQ(GetCurrentThreadId(), self);

  struct Shared {
    HANDLE gate;
    unsigned seen;
  } shared{CreateEvent(nullptr, true, false, nullptr), 0};
  unsigned id = 0;
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* p) -> unsigned {
        auto* s = static_cast<Shared*>(p);
        s->seen = GetCurrentThreadId();
        WaitForSingleObject(s->gate, INFINITE);
        return 0;
      },
      &shared, 0, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, self);
  EXPECT_TRUE(SetThreadPriority(thread, 0)) << "a running thread takes its policy's priority";
  SetEvent(shared.gate);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), 0);
  EXPECT_EQ(shared.seen, id) << "the thread knows the id it was given";
  EXPECT_FALSE(SetThreadPriority(thread, 0)) << "an ended thread";
  EXPECT_FALSE(SetThreadPriority(shared.gate, 0)) << "not a thread";
  CloseHandle(thread);
  CloseHandle(shared.gate);
}

TEST(WinlFiles, ReadWriteSeekAndSize) {
  HANDLE file = WINL_NewFileHandle(tmpfile());
  ASSERT_NE(file, nullptr);
  long done = -1, high = 0;
  EXPECT_EQ(WriteFile(file, "hello world", 11, &done, nullptr), 1);
  EXPECT_EQ(done, 11);
  EXPECT_EQ(GetFilePointer(file, &high), 11);
  EXPECT_EQ(GetFileSize(file, &high), 11);
  EXPECT_EQ(high, 0);
  EXPECT_EQ(GetFilePointer(file, nullptr), 11) << "the size leaves the position";
  EXPECT_EQ(SetFilePointer(file, 6, &high), 6);
  char text[8] = {};
  EXPECT_EQ(ReadFile(file, text, 7, &done, nullptr), 1);
  EXPECT_EQ(done, 5);
  EXPECT_STREQ(text, "world");
  EXPECT_EQ(ReadFile(file, text, 7, &done, nullptr), 0) << "at the end";
  EXPECT_EQ(done, 0);
  SetFilePointer(file, 0, nullptr);
  EXPECT_EQ(ReadFile(file, text, 1, &done, nullptr), 1);
  EXPECT_EQ(WriteFile(file, "E", 1, &done, nullptr), 1) << "writing right after reading";
  SetFilePointer(file, 0, nullptr);
  EXPECT_EQ(ReadFile(file, text, 3, &done, nullptr), 1);
  EXPECT_EQ(std::string(text, 3), "hEl");

  const struct {
    const char* why;
    long offset, high;
  } kRefusedSeeks[] = {{"high part", 0, 1}, {"negative", -1, 0}};
  for (const auto& c : kRefusedSeeks) {
    high = c.high;
    EXPECT_EQ(SetFilePointer(file, c.offset, &high), -1) << c.why;
    EXPECT_EQ(high, -1) << c.why;
  }
  EXPECT_EQ(ReadFile(file, text, 0, &done, nullptr), 0);
  EXPECT_EQ(ReadFile(file, nullptr, 3, &done, nullptr), 0);
  HANDLE event = CreateEvent(nullptr, true, false, nullptr);
  EXPECT_EQ(WriteFile(event, "x", 1, &done, nullptr), 0);
  EXPECT_EQ(GetFileSize(event, &high), -1);
  CloseHandle(event);
  EXPECT_EQ(CloseHandle(file), 1);
  EXPECT_EQ(WINL_NewFileHandle(nullptr), nullptr);
}

TEST(WinlFiles, FileTimesCountFrom1601) {
  FILE* stream = tmpfile();
  ASSERT_NE(stream, nullptr);
  const int descriptor = fileno(stream);
  const timespec times[2] = {{1, 0}, {0, 0}};  // accessed 1 s, modified 0 s after 1970
  ASSERT_EQ(futimens(descriptor, times), 0);
  uint64_t created = 0, accessed = 0, written = 0;
  EXPECT_EQ(GetFileTime(descriptor, &created, &accessed, &written), 1);
  EXPECT_EQ(written, 116444736000000000ull);
  EXPECT_EQ(accessed, 116444736010000000ull);
  EXPECT_GT(created, written);
  EXPECT_EQ(GetFileTime(descriptor, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(GetFileTime(-1, &created, nullptr, nullptr), 0);
  fclose(stream);
}

TEST(WinlUtilities, RoundingControl) {
  const struct {
    unsigned control;
    double in, out;
  } kCases[] = {{_RC_CHOP, -2.7, -2}, {_RC_DOWN, 2.5, 2}, {_RC_UP, 2.1, 3}, {_RC_NEAR, 2.5, 2}};
  for (const auto& c : kCases) {
    EXPECT_EQ(_controlfp(c.control, _MCW_RC), c.control);
    volatile double value = c.in;
    EXPECT_EQ(std::nearbyint(value), c.out) << c.control;
  }
  EXPECT_EQ(_controlfp(_RC_UP, 0), static_cast<unsigned>(_RC_NEAR)) << "without the mask only reads";
}

TEST(WinlUtilities, GuidsAreNewVersion4Uuids) {
  std::set<std::string> seen;
  for (int i = 0; i < 4; ++i) {
    uint8_t guid[17] = {};
    WINL_GenerateGUID(guid);
    EXPECT_EQ(guid[6] >> 4, 4);
    EXPECT_EQ(guid[8] & 0xC0, 0x80);
    EXPECT_EQ(guid[16], 0) << "16 bytes only";
    seen.insert(std::string(reinterpret_cast<char*>(guid), 16));
  }
  EXPECT_EQ(seen.size(), 4u);
  WINL_GenerateGUID(nullptr);
}

}  // namespace
