// Timers, the posted-message queue, run-loop calls, threads, child
// processes and text conversion.
#include "KIT/winl/winl-misc.h"

#include <errno.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "KIT/mutex.h"
#include "KIT/winl/winl-handles.h"
#include "KIT/winl/winl-time.h"
#include "KIT/winl/winl-wnd-view.h"

extern char** environ;

HWND g_winl_only_timerhwnd = nullptr;
bool g_winl_terminating = false;

namespace {

const uintptr_t kAllTimers = static_cast<uintptr_t>(-1);
const uint32_t kKillRequest = 0xFFFFFFFFu;
const int kQueueLimit = 1024;

// ---- Timer records ---------------------------------------------------------------------

struct TimerRecord {
  uintptr_t id;
  HWND window;  // the receiving view, or null
  WmTimer* timer;
  TimerRecord* next;
};

TimerRecord* m_timer_list = nullptr;
KIT_Mutex& m_timermutex() {
  static KIT_Mutex* mutex = new KIT_Mutex;
  return *mutex;
}

// Stops a record's platform timer and frees it.
void DropRecord(TimerRecord* record) {
  if (record->timer) record->timer->Invalidate();
  delete record;
}

// ---- Queue records ----------------------------------------------------------------------

struct QueueRecord {
  HWND window;
  uint32_t msg;          // a timer request: the interval, all ones to kill
  unsigned long wParam;  // a timer request: the id
  long lParam;           // a timer request: the procedure
  QueueRecord* next;
  uint8_t isTimerRequest;
};

QueueRecord* m_pmq = nullptr;
QueueRecord* m_pmq_tail = nullptr;
int m_pmq_size = 0;
QueueRecord* m_pmq_empty = nullptr;
KIT_Mutex* m_pmq_mutex = nullptr;
std::thread::id m_pmq_mainthread;
WmTimer* m_pmq_timer = nullptr;
std::atomic<bool> s_queueReady{false};

bool OffMainThread() { return s_queueReady && std::this_thread::get_id() != m_pmq_mainthread; }

// A record from the free list or a new one; null at the limit (only when
// limited and no spare record is free). Called under m_pmq_mutex.
QueueRecord* TakeRecord(bool limited) {
  if (m_pmq_empty) {
    QueueRecord* record = m_pmq_empty;
    m_pmq_empty = record->next;
    return record;
  }
  if (limited && m_pmq_size >= kQueueLimit) return nullptr;
  return new QueueRecord{};
}

void Append(QueueRecord* record) {
  record->next = nullptr;
  if (m_pmq_tail)
    m_pmq_tail->next = record;
  else
    m_pmq = record;
  m_pmq_tail = record;
  ++m_pmq_size;
}

// Queues a timer request (or updates a queued one of the same window and
// id). Cross-thread requests share the posted messages' limit.
bool QueueTimerRequest(HWND window, uintptr_t id, uint32_t interval, TIMERPROC proc) {
  if (!window || !s_queueReady) return false;
  KIT_MutexLock lock(m_pmq_mutex);
  for (QueueRecord* r = m_pmq; r; r = r->next)
    if (r->isTimerRequest && r->window == window && r->wParam == id) {
      r->msg = interval;
      r->lParam = reinterpret_cast<long>(proc);
      return true;
    }
  QueueRecord* record = TakeRecord(true);
  if (!record) return false;
  *record = QueueRecord{window, interval, id, reinterpret_cast<long>(proc), nullptr, 1};
  Append(record);
  return true;
}

// ---- Tasks --------------------------------------------------------------------------------

struct Task {
  pid_t pid;
  bool ended;
  int status;
};

bool Poll(Task* task) {
  if (task->ended) return true;
  int status = 0;
  const pid_t r = waitpid(task->pid, &status, WNOHANG);
  if (r == task->pid || (r < 0 && errno == ECHILD)) {
    task->ended = true;
    task->status = r == task->pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return task->ended;
}

std::atomic<bool> s_rightclickemulate{true};
std::atomic<int> s_appNapCounter{0};

}  // namespace

// ---- Timers ----------------------------------------------------------------------------------

uintptr_t SetTimer(HWND window, uintptr_t id, uint32_t ms, TIMERPROC proc) {
  if (!window && !proc) return 0;
  if (window && id == 0) return 0;
  if (id != kAllTimers && OffMainThread()) {
    // Carried out by the main thread at the next drain; 0 when nothing
    // could be queued.
    return QueueTimerRequest(window, id, std::min<uint32_t>(ms, 0xFFFFFFFEu), proc) ? id : 0;
  }
  HWND receiver = nullptr;
  if (window) {
    if (WINL_AsLayerView(window)) {
      receiver = window;
    } else if (WmWindow* top = WINL_AsWindow(window)) {
      if (WINL_AsLayerView(top->contentView())) receiver = top->contentView();
    }
    if (!receiver) return 0;
  }
  KIT_MutexLock lock(&m_timermutex());
  TimerRecord* record = nullptr;
  if (id != 0 || receiver)
    for (TimerRecord* r = m_timer_list; r; r = r->next)
      if (r->id == id && r->window == receiver) {
        record = r;
        break;
      }
  const bool reused = record != nullptr;
  if (reused) {
    record->timer->Invalidate();
  } else {
    record = new TimerRecord{id, receiver, nullptr, nullptr};
  }
  if (proc || !receiver) {
    if (!receiver) record->id = reinterpret_cast<uintptr_t>(record);
    const uintptr_t timerId = record->id;
    record->timer = new WmTimer(ms, [proc, receiver, timerId](WmTimer*) {
      if (g_winl_only_timerhwnd && g_winl_only_timerhwnd != receiver) return;
      if (receiver && !WmIsLive(receiver)) return;
      if (proc) proc(receiver, WINL_TIMER_MESSAGE, timerId, GetTickCount());
    });
  } else {
    record->timer = new WmTimer(ms, [receiver, id](WmTimer*) {
      if (auto* view = WINL_AsLayerView(receiver)) view->WINL_Timer(id);
    });
  }
  WmApplication::Shared().AddTimer(record->timer);
  if (!reused) {
    record->next = m_timer_list;
    m_timer_list = record;
  }
  return record->id;
}

bool KillTimer(HWND window, uintptr_t id) {
  if (!window && id == 0) return false;
  if (id != kAllTimers && OffMainThread()) return QueueTimerRequest(window, id, kKillRequest, nullptr);
  if (!window && id == kAllTimers) return false;
  KIT_MutexLock lock(&m_timermutex());
  bool any = false;
  for (TimerRecord** link = &m_timer_list; *link;) {
    TimerRecord* r = *link;
    if (r->window == window && (id == kAllTimers || r->id == id)) {
      *link = r->next;
      DropRecord(r);
      any = true;
      if (id != kAllTimers) break;
    } else {
      link = &r->next;
    }
  }
  return any;
}

int WINL_TimerCount() {
  KIT_MutexLock lock(&m_timermutex());
  int n = 0;
  for (TimerRecord* r = m_timer_list; r; r = r->next) ++n;
  return n;
}

// ---- Posted messages --------------------------------------------------------------------------

void WINL_Internal_PostMessage_Init() {
  if (s_queueReady) return;
  m_pmq_mainthread = std::this_thread::get_id();
  m_pmq_mutex = new KIT_Mutex;
  m_pmq_timer = new WmTimer(50, [](WmTimer*) { WINL_MessageQueue_Flush(); });
  WmApplication::Shared().AddTimer(m_pmq_timer);
  s_queueReady = true;
}

bool WINL_Internal_PostMessage(HWND window, unsigned int msg, unsigned long wParam, long lParam) {
  if (!window || !s_queueReady) return false;
  KIT_MutexLock lock(m_pmq_mutex);
  auto* view = WINL_AsLayerView(window);
  if (!view || !view->winlCanPostMessage()) return false;
  QueueRecord* record = TakeRecord(true);
  if (!record) return false;
  *record = QueueRecord{window, msg, wParam, lParam, nullptr, 0};
  Append(record);
  return true;
}

void WINL_Internal_PMQ_ClearAllMessages(HWND window) {
  if (!s_queueReady) return;
  KIT_MutexLock lock(m_pmq_mutex);
  QueueRecord* last = nullptr;
  for (QueueRecord** link = &m_pmq; *link;) {
    QueueRecord* r = *link;
    if (!window || r->window == window) {
      *link = r->next;
      r->next = m_pmq_empty;
      m_pmq_empty = r;
      --m_pmq_size;
    } else {
      last = r;
      link = &r->next;
    }
  }
  m_pmq_tail = last;
}

void WINL_MessageQueue_Flush() {
  if (!s_queueReady) return;
  QueueRecord* chain;
  {
    KIT_MutexLock lock(m_pmq_mutex);
    chain = m_pmq;
    m_pmq = m_pmq_tail = nullptr;
  }
  if (!chain) return;
  int delivered = 0;
  QueueRecord* last = chain;
  for (QueueRecord* r = chain; r; r = r->next) {
    ++delivered;
    last = r;
    if (r->isTimerRequest) {
      if (r->msg != kKillRequest)
        SetTimer(r->window, r->wParam, r->msg, reinterpret_cast<TIMERPROC>(r->lParam));
      else
        KillTimer(r->window, r->wParam);
    } else {
      SendMessage(r->window, r->msg, r->wParam, r->lParam);
    }
  }
  KIT_MutexLock lock(m_pmq_mutex);
  m_pmq_size -= delivered;
  last->next = m_pmq_empty;
  m_pmq_empty = chain;
}

bool PostMessage(HWND window, unsigned int msg, unsigned long wParam, long lParam) {
  return WINL_Internal_PostMessage(window, msg, wParam, lParam);
}

void WINL_MessageQueue_Clear(HWND window) { WINL_Internal_PMQ_ClearAllMessages(window); }

int WINL_MessageQueue_Size() {
  if (!s_queueReady) return 0;
  KIT_MutexLock lock(m_pmq_mutex);
  return m_pmq_size;
}

void WINL_Internal_PostMessage_Shutdown() {
  if (!s_queueReady) return;
  s_queueReady = false;
  m_pmq_timer->Invalidate();
  m_pmq_timer = nullptr;
  for (QueueRecord* list : {m_pmq, m_pmq_empty})
    while (list) {
      QueueRecord* next = list->next;
      delete list;
      list = next;
    }
  m_pmq = m_pmq_tail = m_pmq_empty = nullptr;
  m_pmq_size = 0;
  delete m_pmq_mutex;
  m_pmq_mutex = nullptr;
}

void WINL_ShutdownLayer() {
  WmApplication& app = WmApplication::Shared();
  while (!app.windows().empty()) {
    WmWindow* window = app.windows().front();
    DestroyWindow(window);
    if (WmIsLive(window) && !app.windows().empty() && app.windows().front() == window) window->Close();
  }
  {
    KIT_MutexLock lock(&m_timermutex());
    while (m_timer_list) {
      TimerRecord* next = m_timer_list->next;
      DropRecord(m_timer_list);
      m_timer_list = next;
    }
  }
  WINL_Internal_PostMessage_Shutdown();
  g_winl_only_timerhwnd = nullptr;
  g_winl_terminating = false;
  if (GetCapture()) ReleaseCapture();
  app.Reset();
}

// ---- Run loop ------------------------------------------------------------------------------------

void WINL_RunRunLoop(int ms) { WmApplication::Shared().RunLoop(ms > 0 ? static_cast<uint32_t>(ms) : 0); }

void WINL_RunRunLoopEx(int ms, HWND window) {
  HWND saved = g_winl_only_timerhwnd;
  g_winl_only_timerhwnd = window;
  WINL_RunRunLoop(ms);
  if (g_winl_only_timerhwnd == window) g_winl_only_timerhwnd = saved;
}

void WINL_RunEvents() { WmApplication::Shared().Step(1); }

void WINL_PostQuitMessage(void*) { g_winl_terminating = true; }

// ---- Threads and processes ------------------------------------------------------------------------

HANDLE CreateThreadNS(void*, size_t, unsigned (*func)(void*), void* param, int, unsigned*) {
  std::thread([func, param] {
    if (func) func(param);
  }).detach();
  return nullptr;
}

void WINL_EnsureMultithreadedCocoa() {}

void* WINL_InitAutoRelease() { return new int(0); }
void WINL_QuitAutoRelease(void* pool) { delete static_cast<int*>(pool); }

HANDLE WINL_CreateProcess(const char* exe, int nparams, const char** params) {
  if (!exe || !*exe) return nullptr;
  std::vector<std::string> args{exe};
  for (int i = 0; i < nparams; ++i) args.push_back(WINL_CStringToCFString(params ? params[i] : nullptr));
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, exe, nullptr, nullptr, argv.data(), environ) != 0) return nullptr;
  return WINL_NewProcessHandle(new Task{pid, false, -1});
}

int WINL_WaitForNSTask(void* task, int ms) {
  auto* t = static_cast<Task*>(task);
  if (!t) return 0;
  if (ms == 0) return Poll(t) ? 0 : 258;
  const uint32_t start = GetTickCount();
  // Elapsed time in unsigned ticks, so the count's wrap does not end or
  // stretch the wait.
  while (static_cast<uint32_t>(GetTickCount() - start) < static_cast<uint32_t>(ms)) {
    if (Poll(t)) return 0;
    Sleep(1);
  }
  return Poll(t) ? 0 : 258;
}

void WINL_ReleaseNSTask(void* task) {
  auto* t = static_cast<Task*>(task);
  if (!t) return;
  if (!Poll(t)) {
    // Reap the child when it ends so that it leaves no zombie behind.
    const pid_t pid = t->pid;
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
  }
  delete t;
}

void WINL_MakeProcessFront(HANDLE) {}

int WINL_GetTaskExitStatus(HANDLE handle) {
  auto* t = static_cast<Task*>(WINL_ProcessTask(handle));
  return t && Poll(t) ? t->status : -1;
}

// ---- Text ---------------------------------------------------------------------------------------

namespace {
bool ValidUtf8(const unsigned char* s) {
  while (*s) {
    int extra = *s < 0x80             ? 0
                : (*s & 0xE0) == 0xC0 ? 1
                : (*s & 0xF0) == 0xE0 ? 2
                : (*s & 0xF8) == 0xF0 ? 3
                                      : -1;
    if (extra < 0 || (extra == 1 && *s < 0xC2)) return false;
    ++s;
    for (; extra > 0; --extra, ++s)
      if ((*s & 0xC0) != 0x80) return false;
  }
  return true;
}
}  // namespace

std::string WINL_CStringToCFString(const char* text) {
  if (!text) return std::string();
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  if (ValidUtf8(s)) return text;
  std::string out;
  for (; *s; ++s) {
    if (*s < 0x80) {
      out.push_back(static_cast<char>(*s));
    } else {
      out.push_back(static_cast<char>(0xC0 | (*s >> 6)));
      out.push_back(static_cast<char>(0x80 | (*s & 0x3F)));
    }
  }
  return out;
}

void WINL_CFStringToCString(const std::string* string, char* buffer, int size) {
  if (!buffer || size <= 0) return;
  buffer[0] = 0;
  if (!string || size < 2) return;
  size_t n = std::min(string->size(), static_cast<size_t>(size - 1));
  // A cut keeps whole characters.
  if (n < string->size())
    while (n > 0 && (static_cast<unsigned char>((*string)[n]) & 0xC0) == 0x80) --n;
  memcpy(buffer, string->data(), n);
  buffer[n] = 0;
}

bool IsRightClickEmulateEnabled() { return s_rightclickemulate; }
void WINL_EnableRightClickEmulate(bool on) { s_rightclickemulate = on; }

void WINL_DisableAppNap(int delta) {
  // No idle throttling here; the counter is kept for callers that pair
  // their calls.
  if (g_winl_terminating) return;
  s_appNapCounter += delta;
}
