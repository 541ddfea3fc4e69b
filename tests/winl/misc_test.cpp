// Timers, posted messages, cross-thread requests, child processes, handles
// and text conversion.
#include <atomic>
#include <cstring>
#include <thread>

#include "KIT/winl/winl-handles.h"
#include "KIT/winl/winl-wnd-view.h"
#include "wnd_fixture.h"

namespace {
std::vector<uintptr_t> g_fired;
void CountingProc(HWND, unsigned int msg, uintptr_t id, uint32_t) {
  if (msg == WINL_TIMER_MESSAGE) g_fired.push_back(id);
}
}  // namespace

class TimerTest : public WndTest {
 protected:
  void SetUp() override {
    WndTest::SetUp();
    g_fired.clear();
  }
};

TEST_F(TimerTest, SettingATimerAgainRestartsItWithoutASecond) {
  HWND view = MakeView(nullptr);
  EXPECT_EQ(SetTimer(view, 7, 100, nullptr), 7u);
  EXPECT_EQ(SetTimer(view, 7, 50, nullptr), 7u);
  EXPECT_EQ(WINL_TimerCount(), 1);
  Advance(50);
  EXPECT_EQ(Count(view, WM_TIMER), 1) << "the new interval, one timer";
  Advance(49);
  EXPECT_EQ(Count(view, WM_TIMER), 1);
  Advance(1);
  EXPECT_EQ(Count(view, WM_TIMER), 2);
  EXPECT_EQ(Log().back().wParam, 7u);
}

TEST_F(TimerTest, RefusedTimers) {
  HWND view = MakeView(nullptr);
  auto* plain = new WmView(WmRect{0, 0, 5, 5});
  WINL_AsView(view)->AddSubview(plain);
  EXPECT_EQ(SetTimer(nullptr, 1, 10, nullptr), 0u) << "no window and no procedure";
  EXPECT_EQ(SetTimer(view, 0, 10, nullptr), 0u) << "id 0 on a window";
  EXPECT_EQ(SetTimer(plain, 3, 10, nullptr), 0u) << "a view that takes no timers";
  EXPECT_EQ(WINL_TimerCount(), 0);
}

TEST_F(TimerTest, WindowlessTimersGetFreshIdsAndStopByThem) {
  const uintptr_t a = SetTimer(nullptr, 0, 10, CountingProc);
  const uintptr_t b = SetTimer(nullptr, 0, 10, CountingProc);
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  Advance(10);
  EXPECT_EQ(g_fired.size(), 2u);
  EXPECT_TRUE(KillTimer(nullptr, a));
  EXPECT_FALSE(KillTimer(nullptr, a));
  Advance(10);
  EXPECT_EQ(g_fired.size(), 3u);
  EXPECT_EQ(g_fired.back(), b);
  EXPECT_FALSE(KillTimer(nullptr, static_cast<uintptr_t>(-1)));
  EXPECT_FALSE(KillTimer(nullptr, 0));
}

TEST_F(TimerTest, KillAllOfAWindowIsTrueOnlyWhenThereWasOne) {
  HWND view = MakeView(nullptr);
  HWND other = MakeView(nullptr);
  SetTimer(view, 1, 10, nullptr);
  SetTimer(view, 2, 10, nullptr);
  SetTimer(other, 1, 10, nullptr);
  EXPECT_TRUE(KillTimer(view, static_cast<uintptr_t>(-1)));
  EXPECT_FALSE(KillTimer(view, static_cast<uintptr_t>(-1)));
  EXPECT_EQ(WINL_TimerCount(), 1);
  Advance(10);
  EXPECT_EQ(Count(view, WM_TIMER), 0);
  EXPECT_EQ(Count(other, WM_TIMER), 1);
}

TEST_F(TimerTest, ATimerSetOnAWindowIsKeptUnderItsContentView) {
  auto* window = new Winl_vVivivI_modelesswindow(WmRect{0, 0, 100, 100}, 15);
  HWND content = WINL_CreateWindowView(nullptr, window, reinterpret_cast<DLGPROC>(LoggingProc), 0);
  EXPECT_EQ(SetTimer(window, 4, 10, nullptr), 4u);
  Advance(10);
  EXPECT_EQ(Count(content, WM_TIMER), 1);
  EXPECT_FALSE(KillTimer(window, 4)) << "compared as passed";
  EXPECT_TRUE(KillTimer(content, 4));
}

TEST_F(TimerTest, OnlyTheNamedWindowsTimersFireInARestrictedRun) {
  HWND a = MakeView(nullptr);
  HWND b = MakeView(nullptr);
  SetTimer(a, 1, 10, nullptr);
  SetTimer(b, 1, 10, nullptr);
  SetTimer(nullptr, 0, 10, CountingProc);
  m_now += 10;
  WINL_RunRunLoopEx(0, a);
  EXPECT_EQ(Count(a, WM_TIMER), 1);
  EXPECT_EQ(Count(b, WM_TIMER), 0);
  EXPECT_TRUE(g_fired.empty());
  EXPECT_EQ(g_winl_only_timerhwnd, nullptr) << "restored";
}

TEST_F(TimerTest, DestroyingAViewStopsItsTimers) {
  HWND view = MakeView(nullptr);
  SetTimer(view, 1, 10, nullptr);
  DestroyWindow(view);
  EXPECT_EQ(WINL_TimerCount(), 0);
  Advance(10);
}

// ---- Posted messages ------------------------------------------------------------------------

TEST_F(TimerTest, PostingNeedsTheQueueAndALiveWindowAndStopsAt1024) {
  HWND view = MakeView(nullptr);
  EXPECT_FALSE(PostMessage(view, 0x4000, 0, 0)) << "before the queue exists";
  WINL_Internal_PostMessage_Init();
  EXPECT_FALSE(PostMessage(nullptr, 0x4000, 0, 0));
  for (int i = 0; i < 1024; ++i)
    ASSERT_TRUE(PostMessage(view, 0x4000, static_cast<unsigned long>(i), 0)) << i;
  EXPECT_FALSE(PostMessage(view, 0x4000, 1024, 0)) << "the 1025th with no spare record";
  EXPECT_EQ(WINL_MessageQueue_Size(), 1024);
  WINL_MessageQueue_Flush();
  ASSERT_EQ(Count(view, 0x4000), 1024);
  unsigned long expected = 0;
  for (const LoggedMessage& m : Log()) {
    if (m.msg == 0x4000) {
      EXPECT_EQ(m.wParam, expected++);
    }
  }
  EXPECT_EQ(WINL_MessageQueue_Size(), 0);
  EXPECT_TRUE(PostMessage(view, 0x4000, 0, 0)) << "spare records are reused";
}

TEST_F(TimerTest, ClearingDropsOneWindowsMessages) {
  HWND a = MakeView(nullptr);
  HWND b = MakeView(nullptr);
  WINL_Internal_PostMessage_Init();
  PostMessage(a, 0x4000, 1, 0);
  PostMessage(b, 0x4000, 2, 0);
  PostMessage(a, 0x4000, 3, 0);
  WINL_MessageQueue_Clear(a);
  PostMessage(b, 0x4000, 4, 0);
  WINL_MessageQueue_Flush();
  EXPECT_EQ(Count(a, 0x4000), 0);
  ASSERT_EQ(Count(b, 0x4000), 2);
  std::vector<unsigned long> got;
  for (const LoggedMessage& m : Log())
    if (m.msg == 0x4000) got.push_back(m.wParam);
  EXPECT_EQ(got, (std::vector<unsigned long>{2, 4})) << "the tail stays right after a clear";
  DestroyWindow(b);
  EXPECT_FALSE(PostMessage(b, 0x4000, 0, 0));
}

TEST_F(TimerTest, MessagesFromSeveralThreadsKeepTheirOrder) {
  HWND view = MakeView(nullptr);
  WINL_Internal_PostMessage_Init();
  const int kThreads = 4, kEach = 100;
  std::atomic<int> refused{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i)
        if (!PostMessage(view, 0x4000, static_cast<unsigned long>(t), i)) ++refused;
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(refused, 0);
  WINL_MessageQueue_Flush();
  ASSERT_EQ(Count(view, 0x4000), kThreads * kEach);
  std::vector<long> next(kThreads, 0);
  for (const LoggedMessage& m : Log()) {
    if (m.msg != 0x4000) continue;
    EXPECT_EQ(m.lParam, next[m.wParam]) << "thread " << m.wParam;
    ++next[m.wParam];
  }
}

TEST_F(TimerTest, TimerRequestsFromOtherThreadsAreQueuedAndLimited) {
  HWND view = MakeView(nullptr);
  WINL_Internal_PostMessage_Init();
  uintptr_t queued = 0, windowless = 1, refused = 1;
  bool killQueued = false;
  std::thread([&] {
    queued = SetTimer(view, 5, 10, nullptr);
    windowless = SetTimer(nullptr, 9, 10, CountingProc);
  }).join();
  EXPECT_EQ(queued, 5u);
  EXPECT_EQ(windowless, 0u) << "nothing was queued";
  EXPECT_EQ(WINL_TimerCount(), 0);
  WINL_MessageQueue_Flush();
  EXPECT_EQ(WINL_TimerCount(), 1);
  std::thread([&] { killQueued = KillTimer(view, 5); }).join();
  EXPECT_TRUE(killQueued);
  WINL_MessageQueue_Flush();
  EXPECT_EQ(WINL_TimerCount(), 0);
  // A full queue refuses cross-thread timer requests as it refuses posts.
  for (int i = 0; i < 1024; ++i) ASSERT_TRUE(PostMessage(view, 0x4000, 0, 0));
  std::thread([&] { refused = SetTimer(view, 6, 10, nullptr); }).join();
  EXPECT_EQ(refused, 0u);
}

// ---- Processes and handles ----------------------------------------------------------------------

TEST(WinlProcess, ArgumentsReachTheChildVerbatim) {
  const char* args[] = {"-c", "test \"$1\" = 'a;b $(x) c' && exit 3", "sh", "a;b $(x) c"};
  HANDLE process = WINL_CreateProcess("/bin/sh", 4, args);
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(WaitForSingleObject(process, 10000), 0);
  EXPECT_EQ(WINL_GetTaskExitStatus(process), 3) << "no shell saw the argument";
  EXPECT_EQ(CloseHandle(process), 1);
  EXPECT_EQ(WINL_CreateProcess("/nonexistent/program", 0, nullptr), nullptr);
}

TEST(WinlProcess, WaitTimesOutWhileTheChildRuns) {
  const char* args[] = {"1"};
  HANDLE process = WINL_CreateProcess("/bin/sleep", 1, args);
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(WaitForSingleObject(process, 0), 258);
  EXPECT_EQ(WaitForSingleObject(process, 1), 258);
  EXPECT_EQ(CloseHandle(process), 1);
}

TEST(WinlHandles, EventsSignalOnceOrUntilReset) {
  HANDLE automatic = CreateEvent(nullptr, false, true, nullptr);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), 0);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), 258);
  HANDLE manual = CreateEvent(nullptr, true, false, nullptr);
  SetEvent(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), 0);
  EXPECT_EQ(WaitForSingleObject(manual, 0), 0);
  ResetEvent(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), 258);
  EXPECT_EQ(CloseHandle(automatic), 1);
  EXPECT_EQ(CloseHandle(manual), 1);
  EXPECT_EQ(CloseHandle(nullptr), 0);
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), -1);
}

TEST(WinlHandles, ThreadHandleOutlivesOrPrecedesItsThread) {
  HANDLE gate = CreateEvent(nullptr, true, false, nullptr);
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* g) -> unsigned {
        WaitForSingleObject(g, 0xFFFFFFFF);
        return 0;
      },
      gate, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 0), 258);
  SetEvent(gate);
  EXPECT_EQ(WaitForSingleObject(thread, 0xFFFFFFFF), 0);
  EXPECT_EQ(CloseHandle(thread), 1);
  CloseHandle(gate);
}

TEST(WinlHandles, RectanglesAndUtilities) {
  RECT a{0, 0, 10, 10}, b{10, 0, 20, 10}, out;
  EXPECT_EQ(WinIntersectRect(&out, &a, &b), 0) << "touching rectangles";
  EXPECT_EQ(out.left, 10);
  EXPECT_EQ(out.right, 10);
  EXPECT_EQ(WinUnionRect(&out, &a, &b), 1);
  EXPECT_EQ(out.right, 20);
  RECT flipped{0, 10, 10, 0};
  EXPECT_TRUE(WINL_PtInRect(&flipped, POINT{5, 5}));
  EXPECT_FALSE(WINL_PtInRect(&flipped, POINT{10, 5}));
  EXPECT_FALSE(WINL_PtInRect(nullptr, POINT{0, 0}));
  EXPECT_EQ(MulDiv(7, 3, 2), 10);
  EXPECT_EQ(MulDiv(5, 5, 0), 0);
  char buffer[8];
  EXPECT_STREQ(lstrcpyn(buffer, "abcdef", 4), "abc");
  HGLOBAL block = GlobalAlloc(0, -5);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 0);
  EXPECT_EQ(GlobalLock(block), block);
  GlobalUnlock(block);
  GlobalFree(block);
}

TEST(WinlText, ConversionKeepsWholeCharacters) {
  EXPECT_EQ(WINL_CStringToCFString(nullptr), "");
  EXPECT_EQ(WINL_CStringToCFString("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(WINL_CStringToCFString("caf\xE9"), "caf\xC3\xA9") << "not UTF-8: read byte by byte";
  const std::string text = "caf\xC3\xA9!";
  char buffer[16];
  memset(buffer, 'x', sizeof buffer);
  WINL_CFStringToCString(&text, buffer, 1);
  EXPECT_STREQ(buffer, "");
  WINL_CFStringToCString(&text, buffer, 5);
  EXPECT_STREQ(buffer, "caf") << "a cut does not split a character";
  WINL_CFStringToCString(&text, buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer), text);
}
