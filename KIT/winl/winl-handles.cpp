#include "KIT/winl/winl-handles.h"

#include <errno.h>
#include <fcntl.h>
#include <fenv.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <stdlib.h>
#include <string.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "KIT/winl/winl-misc.h"

namespace {

struct HandleHead {
  int32_t type;
  std::atomic<int32_t> refs;
};

struct ThreadRecord {
  HandleHead head;
  unsigned id;
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

struct SocketEventRecord {
  HandleHead head;
  int readEnd;
  int writeEnd;
  bool autoReset;
};

struct FileRecord {
  HandleHead head;
  FILE* stream;
};

static_assert(sizeof(HandleHead) == 8 && sizeof(std::atomic<int32_t>) == sizeof(int32_t),
              "every handle record begins with two 32-bit words");

int32_t TypeOf(HANDLE handle) { return handle ? static_cast<HandleHead*>(handle)->type : 0; }

// Thread ids: handed out in turn, 0 never.
std::atomic<unsigned> s_nextThreadId{1};
thread_local unsigned s_threadId = 0;

unsigned NewThreadId() {
  unsigned id;
  while ((id = s_nextThreadId.fetch_add(1)) == 0) {
  }
  return id;
}

// Reads and discards what the read end holds (up to 128 bytes); true when a
// byte was read.
bool Drain(int descriptor) {
  uint8_t buffer[128];
  ssize_t n;
  do {
    n = read(descriptor, buffer, sizeof buffer);
  } while (n < 0 && errno == EINTR);
  return n > 0;
}

bool Readable(int descriptor) {
  pollfd p{descriptor, POLLIN, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

// Milliseconds left until the deadline for poll: -1 without limit.
int PollTimeout(bool unlimited, std::chrono::steady_clock::time_point deadline) {
  if (unlimited) return -1;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(left.count(), 0x7FFFFFFF)));
}

// The read descriptor of a socket object or socket-pair event, -1 for other
// handles; *autoReset tells whether a wait drains it.
int DescriptorOf(HANDLE handle, bool* autoReset) {
  *autoReset = false;
  if (TypeOf(handle) == WINL_HANDLE_SOCKET) return static_cast<WINL_SocketObject*>(handle)->descriptor;
  if (TypeOf(handle) != WINL_HANDLE_SOCKET_EVENT) return -1;
  auto* e = static_cast<SocketEventRecord*>(handle);
  *autoReset = e->autoReset;
  return e->readEnd;
}

// Waits until one of the descriptors is readable; an auto-reset one counts
// only when a byte could be drained from it. The index, or 258 at the
// deadline, -1 on a poll failure.
int WaitReadable(std::vector<pollfd>& polls, const std::vector<bool>& drains, uint32_t ms) {
  const bool unlimited = ms == INFINITE;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(unlimited ? 0 : ms);
  for (;;) {
    for (pollfd& p : polls) p.revents = 0;
    const int r = poll(polls.data(), polls.size(), PollTimeout(unlimited, deadline));
    if (r < 0 && errno != EINTR) return -1;
    for (size_t i = 0; r > 0 && i < polls.size(); ++i) {
      if (!(polls[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      if (!drains[i] || Drain(polls[i].fd)) return static_cast<int>(i);
    }
    if (!unlimited && std::chrono::steady_clock::now() >= deadline) return static_cast<int>(WAIT_TIMEOUT);
  }
}

void ReleaseThread(ThreadRecord* t) {
  if (!t->joined.exchange(true)) pthread_join(t->thread, nullptr);
  delete t;
}

void* RunThread(void* arg) {
  auto* t = static_cast<ThreadRecord*>(arg);
  s_threadId = t->id;
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
  auto* t = new ThreadRecord{
      {WINL_HANDLE_THREAD, {2}}, NewThreadId(), function, parameter, {}, 0, {false}, {false}};
  const unsigned id = t->id;
  if (pthread_create(&t->thread, nullptr, RunThread, t) != 0) {
    delete t;
    return nullptr;
  }
  if (threadId) *threadId = id;
  return t;
}

unsigned GetCurrentThreadId() {
  if (s_threadId == 0) s_threadId = NewThreadId();
  return s_threadId;
}

bool SetThreadPriority(HANDLE handle, int priority) {
  if (TypeOf(handle) != WINL_HANDLE_THREAD) return false;
  auto* t = static_cast<ThreadRecord*>(handle);
  if (t->done || t->joined) return false;
  int policy = 0;
  sched_param param{};
  if (pthread_getschedparam(t->thread, &policy, &param) != 0) return false;
  const int64_t wanted = int64_t{priority} + 31;
  param.sched_priority = static_cast<int>(std::max<int64_t>(
      sched_get_priority_min(policy), std::min<int64_t>(wanted, sched_get_priority_max(policy))));
  return pthread_setschedparam(t->thread, policy, &param) == 0;
}

HANDLE CreateEvent(void*, bool manualReset, bool initialState, const char*) {
  auto* e = new EventRecord;
  e->head.type = WINL_HANDLE_EVENT;
  e->head.refs = 1;
  e->signalled = initialState;
  e->manualReset = manualReset;
  return e;
}

HANDLE CreateEventAsSocket(void*, bool manualReset, bool initialState, const char*) {
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return nullptr;
  const int flags = fcntl(ends[0], F_GETFL);
  if (flags < 0 || fcntl(ends[0], F_SETFL, flags | O_NONBLOCK) < 0) {
    close(ends[0]);
    close(ends[1]);
    return nullptr;
  }
  auto* e = new SocketEventRecord{{WINL_HANDLE_SOCKET_EVENT, {1}}, ends[0], ends[1], !manualReset};
  if (initialState) SetEvent(e);
  return e;
}

int WINL_GetEventSocket(HANDLE handle) {
  bool autoReset;
  return DescriptorOf(handle, &autoReset);
}

HANDLE WINL_InitSocketObject(WINL_SocketObject* object, int descriptor) {
  if (!object) return nullptr;
  object->type = WINL_HANDLE_SOCKET;
  object->refs = 1;
  object->descriptor = descriptor;
  return object;
}

int SetEvent(HANDLE handle) {
  if (TypeOf(handle) == WINL_HANDLE_SOCKET_EVENT) {
    auto* e = static_cast<SocketEventRecord*>(handle);
    if (!Readable(e->readEnd)) {
      const uint8_t byte = 1;
      ssize_t n;
      do {
        n = send(e->writeEnd, &byte, 1, MSG_NOSIGNAL);
      } while (n < 0 && errno == EINTR);
    }
    return 1;
  }
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
  if (TypeOf(handle) == WINL_HANDLE_SOCKET_EVENT) {
    Drain(static_cast<SocketEventRecord*>(handle)->readEnd);
    return 1;
  }
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
    case WINL_HANDLE_SOCKET:
    case WINL_HANDLE_SOCKET_EVENT: {
      bool autoReset = false;
      const int descriptor = DescriptorOf(handle, &autoReset);
      if (descriptor < 0) {
        // Nothing to watch: the time passes and the wait fails.
        if (ms == 0)
          usleep(100);
        else
          std::this_thread::sleep_for(std::chrono::milliseconds(ms == INFINITE ? 1 : ms));
        return -1;
      }
      std::vector<pollfd> polls{pollfd{descriptor, POLLIN, 0}};
      return WaitReadable(polls, std::vector<bool>{autoReset}, ms);
    }
    case WINL_HANDLE_PROCESS:
      return WINL_WaitForNSTask(static_cast<ProcessRecord*>(handle)->task,
                                static_cast<int>(std::min<uint32_t>(ms, 0x7FFFFFFF)));
    default:
      return -1;
  }
}

int WaitForAnySocketObject(int count, const HANDLE* handles, uint32_t ms) {
  if (count < 1 || !handles) return static_cast<int>(WAIT_TIMEOUT);
  std::vector<pollfd> polls;
  std::vector<bool> drains;
  std::vector<int> indices;
  for (int i = 0; i < count; ++i) {
    bool autoReset = false;
    const int descriptor = DescriptorOf(handles[i], &autoReset);
    if (descriptor < 0) continue;
    polls.push_back(pollfd{descriptor, POLLIN, 0});
    drains.push_back(autoReset);
    indices.push_back(i);
  }
  if (polls.empty()) return static_cast<int>(WAIT_TIMEOUT);
  const int r = WaitReadable(polls, drains, ms);
  return r >= 0 && r != static_cast<int>(WAIT_TIMEOUT) ? indices[static_cast<size_t>(r)] : r;
}

int CloseHandle(HANDLE handle) {
  const int32_t type = TypeOf(handle);
  if (type < WINL_HANDLE_THREAD || type > WINL_HANDLE_PROCESS) return 0;
  if (type == WINL_HANDLE_SOCKET) {
    // The owner keeps the record: the last reference frees nothing.
    return __atomic_sub_fetch(&static_cast<WINL_SocketObject*>(handle)->refs, 1, __ATOMIC_ACQ_REL) > 0 ? 1
                                                                                                       : 0;
  }
  auto* head = static_cast<HandleHead*>(handle);
  if (head->refs.fetch_sub(1) != 1) return 1;
  if (type == WINL_HANDLE_FILE) {
    auto* f = static_cast<FileRecord*>(handle);
    fclose(f->stream);
    delete f;
  }
  if (type == WINL_HANDLE_SOCKET_EVENT) {
    auto* e = static_cast<SocketEventRecord*>(handle);
    close(e->readEnd);
    close(e->writeEnd);
    delete e;
  }
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

// ---- Files -------------------------------------------------------------------------------------

namespace {

FILE* StreamOf(HANDLE handle) {
  return TypeOf(handle) == WINL_HANDLE_FILE ? static_cast<FileRecord*>(handle)->stream : nullptr;
}

long Failed(long* high) {
  if (high) *high = -1;
  return -1;
}

}  // namespace

HANDLE WINL_NewFileHandle(FILE* stream) {
  if (!stream) return nullptr;
  return new FileRecord{{WINL_HANDLE_FILE, {1}}, stream};
}

long SetFilePointer(HANDLE file, long offset, long* high) {
  FILE* stream = StreamOf(file);
  if (!stream || (high && *high != 0) || offset < 0) return Failed(high);
  if (fseeko(stream, offset, SEEK_SET) != 0) return Failed(high);
  const off_t position = ftello(stream);
  return position < 0 ? Failed(high) : static_cast<long>(position);
}

long GetFilePointer(HANDLE file, long* high) {
  FILE* stream = StreamOf(file);
  const off_t position = stream ? ftello(stream) : -1;
  if (position < 0) return Failed(high);
  if (high) *high = 0;
  return static_cast<long>(position);
}

long GetFileSize(HANDLE file, long* high) {
  FILE* stream = StreamOf(file);
  const off_t position = stream ? ftello(stream) : -1;
  if (position < 0 || fseeko(stream, 0, SEEK_END) != 0) return Failed(high);
  const off_t size = ftello(stream);
  if (fseeko(stream, position, SEEK_SET) != 0 || size < 0) return Failed(high);
  if (high) *high = 0;
  return static_cast<long>(size);
}

int ReadFile(HANDLE file, void* buffer, long n, long* done, void*) {
  if (done) *done = 0;
  FILE* stream = StreamOf(file);
  if (!stream || !buffer || n <= 0) return 0;
  fseeko(stream, 0, SEEK_CUR);  // a stream may turn from writing to reading only here
  const size_t count = fread(buffer, 1, static_cast<size_t>(n), stream);
  if (done) *done = static_cast<long>(count);
  return count > 0;
}

int WriteFile(HANDLE file, const void* buffer, long n, long* done, void*) {
  if (done) *done = 0;
  FILE* stream = StreamOf(file);
  if (!stream || !buffer || n <= 0) return 0;
  fseeko(stream, 0, SEEK_CUR);  // a stream may turn from reading to writing only here
  const size_t count = fwrite(buffer, 1, static_cast<size_t>(n), stream);
  if (done) *done = static_cast<long>(count);
  return count > 0;
}

int GetFileTime(int descriptor, uint64_t* created, uint64_t* accessed, uint64_t* written) {
  struct stat info;
  if (descriptor < 0 || fstat(descriptor, &info) != 0) return 0;
  auto fileTime = [](time_t seconds) {
    return static_cast<uint64_t>(static_cast<int64_t>(seconds) * 10000000 + 116444736000000000LL);
  };
  if (created) *created = fileTime(info.st_ctime);
  if (accessed) *accessed = fileTime(info.st_atime);
  if (written) *written = fileTime(info.st_mtime);
  return 1;
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

unsigned _controlfp(unsigned value, unsigned mask) {
  static const struct {
    unsigned control;
    int mode;
  } kModes[] = {
      {_RC_NEAR, FE_TONEAREST}, {_RC_DOWN, FE_DOWNWARD}, {_RC_UP, FE_UPWARD}, {_RC_CHOP, FE_TOWARDZERO}};
  if (mask & _MCW_RC)
    for (const auto& m : kModes)
      if (m.control == (value & _MCW_RC)) fesetround(m.mode);
  const int now = fegetround();
  for (const auto& m : kModes)
    if (m.mode == now) return m.control;
  return _RC_NEAR;
}

void WINL_GenerateGUID(void* out) {
  if (!out) return;
  auto* bytes = static_cast<uint8_t*>(out);
  size_t got = 0;
  while (got < 16) {
    const ssize_t n = getrandom(bytes + got, 16 - got, 0);
    if (n > 0) {
      got += static_cast<size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      // No kernel source: a time-and-address seeded generator still makes
      // values that differ between calls.
      static std::atomic<uint64_t> counter{0};
      uint64_t seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                      (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
      for (; got < 16; ++got) {
        seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
        bytes[got] = static_cast<uint8_t>(seed);
      }
    }
  }
  bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4: random
  bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
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
