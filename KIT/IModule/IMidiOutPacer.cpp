#include "KIT/IModule/IMidiOutPacer.h"

#include <errno.h>
#include <time.h>

#include <chrono>
#include <cstring>

namespace {

// Bytes a waiting message keeps in its cell; longer ones take memory of
// their own (only the editor's jobs send such, never a real-time thread).
constexpr size_t kInlineBytes = 120;
// How long the pacer waits for the next cycle before it lets a message go
// anyway. A server holds a client that is late this long no more (it is
// dropped from the graph and the cycles go on), so a watch that sees no
// cycle for this long sees none at all: the messages then go unpaced.
constexpr auto kLongestCycleWait = std::chrono::seconds(2);
// How often the pacer looks whether a new cycle has begun while it waits.
constexpr auto kCyclePoll = std::chrono::microseconds(300);

// How long stopping waits for what is still queued.
constexpr int kStopDrainMs = 1000;
// The drop report comes at most this often.
constexpr auto kDropReportInterval = std::chrono::milliseconds(500);

size_t RoundUpToPowerOfTwo(size_t n) {
  size_t power = 2;
  while (power < n) power <<= 1;
  return power;
}

}  // namespace

// One place of the queue. Its sequence number tells who may use it next: a
// poster when it equals the place's position, the pacer when it is one more.
struct IMidiOutPacer::Cell {
  std::atomic<size_t> sequence{0};
  size_t size = 0;
  uint8_t bytes[kInlineBytes];
  std::vector<uint8_t> large;
};

IMidiOutPacer::IMidiOutPacer(Sender sender, size_t capacity)
    : mSender(std::move(sender)),
      mCells(new Cell[RoundUpToPowerOfTwo(capacity)]),
      mMask(RoundUpToPowerOfTwo(capacity) - 1) {
  for (size_t i = 0; i <= mMask; ++i) mCells[i].sequence.store(i, std::memory_order_relaxed);
  sem_init(&mWake, 0, 0);
  mThread = std::thread([this] { Run(); });
}

IMidiOutPacer::~IMidiOutPacer() {
  Stop();
  sem_destroy(&mWake);
}

void IMidiOutPacer::Stop() {
  if (!mThread.joinable()) return;
  Drain(kStopDrainMs);
  mStop = true;
  sem_post(&mWake);
  mThread.join();
}

void IMidiOutPacer::SetDropReport(DropReport report) {
  std::lock_guard<std::mutex> lock(mDropReportMutex);
  mDropReport = std::move(report);
}

void IMidiOutPacer::SetCycles(std::shared_ptr<const Cycles> cycles) {
  std::lock_guard<std::mutex> lock(mCyclesMutex);
  mCycles = std::move(cycles);
}

// ---- The queue: many posters, one pacer, no lock ------------------------------------

bool IMidiOutPacer::TryPush(const uint8_t* bytes, size_t size) {
  size_t position = mEnqueue.load(std::memory_order_relaxed);
  for (;;) {
    Cell& cell = mCells[position & mMask];
    const size_t sequence = cell.sequence.load(std::memory_order_acquire);
    const intptr_t difference = static_cast<intptr_t>(sequence) - static_cast<intptr_t>(position);
    if (difference == 0) {
      if (mEnqueue.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
        cell.size = size;
        if (size <= kInlineBytes)
          memcpy(cell.bytes, bytes, size);
        else
          cell.large.assign(bytes, bytes + size);
        cell.sequence.store(position + 1, std::memory_order_release);
        return true;
      }
    } else if (difference < 0) {
      return false;  // full
    } else {
      position = mEnqueue.load(std::memory_order_relaxed);
    }
  }
}

bool IMidiOutPacer::TryPop(std::vector<uint8_t>& message) {
  const size_t position = mDequeue.load(std::memory_order_relaxed);
  Cell& cell = mCells[position & mMask];
  const size_t sequence = cell.sequence.load(std::memory_order_acquire);
  if (static_cast<intptr_t>(sequence) - static_cast<intptr_t>(position + 1) < 0) return false;  // empty
  // One pacer: nobody else takes this place.
  mDequeue.store(position + 1, std::memory_order_relaxed);
  if (cell.size <= kInlineBytes) {
    message.assign(cell.bytes, cell.bytes + cell.size);
  } else {
    message.swap(cell.large);
    cell.large.clear();
  }
  cell.sequence.store(position + mMask + 1, std::memory_order_release);
  return true;
}

bool IMidiOutPacer::Post(const uint8_t* bytes, size_t size, bool realTime) {
  if (!bytes || size == 0) return false;
  while (!TryPush(bytes, size)) {
    if (realTime || mStop) {
      mDropped.fetch_add(1);
      mDroppedTotal.fetch_add(1);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));  // room comes as the pacer sends
  }
  mPosted.fetch_add(1);
  sem_post(&mWake);
  return true;
}

bool IMidiOutPacer::Drain(int timeoutMs) {
  const uint64_t posted = mPosted.load();
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (mHandled.load() < posted) {
    if (std::chrono::steady_clock::now() >= until || mStop) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return true;
}

// ---- The pacer's thread ---------------------------------------------------------------

bool IMidiOutPacer::WaitForRoom(size_t cost) {
  std::shared_ptr<const Cycles> cycles;
  {
    std::lock_guard<std::mutex> lock(mCyclesMutex);
    cycles = mCycles;
  }
  if (cycles && cycles->Lost()) return false;
  const size_t budget = cycles ? cycles->BytesPerCycle() / kShareOfCycle : 0;
  if (budget == 0) return true;  // nothing to keep pace with
  uint64_t now = cycles->CyclesRun();
  if (now != mCycle) {
    mCycle = now;
    mUsed = 0;
  }
  // A message always goes into an empty cycle, however long it is.
  if (mUsed > 0 && mUsed + cost > budget) {
    const auto until = std::chrono::steady_clock::now() + kLongestCycleWait;
    while (now == mCycle && std::chrono::steady_clock::now() < until && !mStop) {
      std::this_thread::sleep_for(kCyclePoll);
      now = cycles->CyclesRun();
    }
    mCycle = now;
    mUsed = 0;
  }
  mUsed += cost;
  return !cycles->Lost();
}

void IMidiOutPacer::Run() {
  std::vector<uint8_t> message;
  uint64_t unreported = 0;
  auto lastReport = std::chrono::steady_clock::now() - kDropReportInterval;
  for (;;) {
    while (TryPop(message)) {
      if (WaitForRoom(message.size() + kEventOverhead) && mSender && mSender(message.data(), message.size()))
        mSent.fetch_add(1);
      else
        ++unreported, mDroppedTotal.fetch_add(1);
      mHandled.fetch_add(1);
    }
    unreported += mDropped.exchange(0);
    if (unreported > 0 && std::chrono::steady_clock::now() - lastReport >= kDropReportInterval) {
      std::lock_guard<std::mutex> lock(mDropReportMutex);
      if (mDropReport) mDropReport(unreported);
      unreported = 0;
      lastReport = std::chrono::steady_clock::now();
    }
    if (mStop) return;
    timespec until{};
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_nsec += 100 * 1000000L;
    if (until.tv_nsec >= 1000000000L) {
      until.tv_nsec -= 1000000000L;
      ++until.tv_sec;
    }
    while (sem_timedwait(&mWake, &until) != 0 && errno == EINTR) {
    }
  }
}
