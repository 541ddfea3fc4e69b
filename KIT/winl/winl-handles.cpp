#include "KIT/winl/winl-handles.h"

#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "KIT/winl/winl-misc.h"

namespace {

struct HandleHead {
  int32_t type;
  std::atomic<int32_t> refs;
};

struct ThreadRecord {
  HandleHead head;
  unsigned (*function)(void*);
  void* parameter;
  pthread_t thread;
  unsigned result;
  std::atomic<bool> done;
  std::atomic<bool> joined;
};

struct EventRecord {
  HandleHead head;
  std::mutex mutex;
  std::condition_variable condition;
  bool signalled;
  bool manualReset;
};

struct ProcessRecord {
  HandleHead head;
  void* task;
};

int32_t TypeOf(HANDLE handle) { return handle ? static_cast<HandleHead*>(handle)->type : 0; }

void ReleaseThread(ThreadRecord* t) {
  if (!t->joined.exchange(true)) pthread_join(t->thread, nullptr);
  delete t;
}

void* RunThread(void* arg) {
  auto* t = static_cast<ThreadRecord*>(arg);
  t->result = t->function ? t->function(t->parameter) : 0;
  t->done = true;
  if (t->head.refs.fetch_sub(1) == 1) {
    // The last reference: nobody will join; detach and free.
    if (!t->joined.exchange(true)) pthread_detach(t->thread);
    delete t;
  }
  return nullptr;
}

}  // namespace

HANDLE CreateThread(void*, size_t, unsigned (*function)(void*), void* parameter, int, unsigned* threadId) {
  WINL_EnsureMultithreadedCocoa();
  auto* t = new ThreadRecord{{WINL_HANDLE_THREAD, {2}}, function, parameter, {}, 0, {false}, {false}};
  if (pthread_create(&t->thread, nullptr, RunThread, t) != 0) {
    delete t;
    return nullptr;
  }
  if (threadId) *threadId = static_cast<unsigned>(reinterpret_cast<uintptr_t>(t));
  return t;
}

HANDLE CreateEvent(void*, bool manualReset, bool initialState, const char*) {
  auto* e = new EventRecord;
  e->head.type = WINL_HANDLE_EVENT;
  e->head.refs = 1;
  e->signalled = initialState;
  e->manualReset = manualReset;
  return e;
}

int SetEvent(HANDLE handle) {
  if (TypeOf(handle) != WINL_HANDLE_EVENT) return 0;
  auto* e = static_cast<EventRecord*>(handle);
  std::lock_guard<std::mutex> lock(e->mutex);
  if (!e->signalled) {
    e->signalled = true;
    if (e->manualReset)
      e->condition.notify_all();
    else
      e->condition.notify_one();
  }
  return 1;
}

int ResetEvent(HANDLE handle) {
  if (TypeOf(handle) != WINL_HANDLE_EVENT) return 0;
  auto* e = static_cast<EventRecord*>(handle);
  std::lock_guard<std::mutex> lock(e->mutex);
  e->signalled = false;
  return 1;
}

int WaitForSingleObject(HANDLE handle, uint32_t ms) {
  switch (TypeOf(handle)) {
    case WINL_HANDLE_THREAD: {
      auto* t = static_cast<ThreadRecord*>(handle);
      if (!t->done && ms == 0) return static_cast<int>(WAIT_TIMEOUT);
      if (!t->done && ms != INFINITE) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!t->done && std::chrono::steady_clock::now() < deadline)
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!t->done) return static_cast<int>(WAIT_TIMEOUT);
      }
      if (!t->joined.exchange(true) && pthread_join(t->thread, nullptr) != 0) return -1;
      return 0;
    }
    case WINL_HANDLE_EVENT: {
      auto* e = static_cast<EventRecord*>(handle);
      std::unique_lock<std::mutex> lock(e->mutex);
      if (ms == INFINITE)
        e->condition.wait(lock, [e] { return e->signalled; });
      else if (!e->condition.wait_for(lock, std::chrono::milliseconds(ms), [e] { return e->signalled; }))
        return static_cast<int>(WAIT_TIMEOUT);
      if (!e->manualReset) e->signalled = false;
      return 0;
    }
    case WINL_HANDLE_PROCESS:
      return WINL_WaitForNSTask(static_cast<ProcessRecord*>(handle)->task,
                                static_cast<int>(std::min<uint32_t>(ms, 0x7FFFFFFF)));
    default:
      return -1;
  }
}

int CloseHandle(HANDLE handle) {
  const int32_t type = TypeOf(handle);
  if (type != WINL_HANDLE_THREAD && type != WINL_HANDLE_EVENT && type != WINL_HANDLE_PROCESS) return 0;
  auto* head = static_cast<HandleHead*>(handle);
  if (head->refs.fetch_sub(1) != 1) return 1;
  if (type == WINL_HANDLE_THREAD) ReleaseThread(static_cast<ThreadRecord*>(handle));
  if (type == WINL_HANDLE_EVENT) delete static_cast<EventRecord*>(handle);
  if (type == WINL_HANDLE_PROCESS) {
    auto* p = static_cast<ProcessRecord*>(handle);
    WINL_ReleaseNSTask(p->task);
    delete p;
  }
  return 1;
}

HANDLE WINL_NewProcessHandle(void* task) {
  auto* p = new ProcessRecord;
  p->head.type = WINL_HANDLE_PROCESS;
  p->head.refs = 1;
  p->task = task;
  return p;
}

void* WINL_ProcessTask(HANDLE handle) {
  return TypeOf(handle) == WINL_HANDLE_PROCESS ? static_cast<ProcessRecord*>(handle)->task : nullptr;
}

// ---- Rectangles and utilities ---------------------------------------------------------------

bool WINL_PtInRect(const RECT* r, POINT p) {
  if (!r) return false;
  return p.x >= r->left && p.x < r->right && p.y >= std::min(r->top, r->bottom) &&
         p.y < std::max(r->top, r->bottom);
}

int WinOffsetRect(RECT* r, int dx, int dy) {
  if (!r) return 0;
  r->left += dx, r->right += dx, r->top += dy, r->bottom += dy;
  return 1;
}

int WinSetRect(RECT* r, int l, int t, int rr, int b) {
  if (!r) return 0;
  *r = RECT{l, t, rr, b};
  return 1;
}

int WinIntersectRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out) return 0;
  *out = RECT{0, 0, 0, 0};
  if (!a || !b) return 0;
  if (a->right <= a->left || a->bottom <= a->top || b->right <= b->left || b->bottom <= b->top) return 0;
  *out = RECT{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
              std::min(a->bottom, b->bottom)};
  return out->right > out->left && out->bottom > out->top;
}

int WinUnionRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return 0;
  *out = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
              std::max(a->bottom, b->bottom)};
  return 1;
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return 0;
  const double v = static_cast<double>(a) * b / c;
  if (v >= 2147483647.0 || v <= -2147483648.0) return v > 0 ? 2147483647 : -2147483647 - 1;
  return static_cast<int>(v);
}

char* lstrcpyn(char* dst, const char* src, int n) {
  if (!dst || n < 1) return dst;
  int i = 0;
  if (src)
    for (; i < n - 1 && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
  return dst;
}

// ---- Global memory -----------------------------------------------------------------------------
// An 8-byte header (size, lock count) before the data; the handle is the
// data's address.

HGLOBAL GlobalAlloc(int, long size) {
  if (size < 0) size = 0;
  if (static_cast<unsigned long>(size) > 0x7FFFFFFFul - 8) return nullptr;
  auto* block = static_cast<uint8_t*>(malloc(static_cast<size_t>(size) + 8));
  if (!block) return nullptr;
  const int32_t header[2] = {static_cast<int32_t>(size), 0};
  memcpy(block, header, sizeof header);
  return block + 8;
}

static int32_t* Header(HGLOBAL h) { return reinterpret_cast<int32_t*>(static_cast<uint8_t*>(h) - 8); }

void* GlobalLock(HGLOBAL h) {
  if (!h) return nullptr;
  ++Header(h)[1];
  return h;
}
void GlobalUnlock(HGLOBAL h) {
  if (h) --Header(h)[1];
}
long GlobalSize(HGLOBAL h) { return h ? Header(h)[0] : 0; }
void GlobalFree(HGLOBAL h) {
  if (h) free(static_cast<uint8_t*>(h) - 8);
}
