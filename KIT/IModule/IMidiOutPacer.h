// The road of outgoing MIDI to the external output port. Whatever thread
// sends (the GUI, the jobs, our MIDI input thread, the render thread) posts
// the message here and goes on; a thread of ours hands the messages to the
// MIDI library in the order they were posted, no more per cycle of the MIDI
// server than its port can carry. A message that cannot be sent is counted,
// never lost without a word.
//
// Threads: any number of posters and the pacer's own thread. Post never
// blocks for a real-time poster (it drops and counts when the queue is
// full); any other poster waits for room.
//
// Contents:
//   IMidiOutPacer::Cycles         the clock the pacer keeps pace with
//   IMidiOutPacer                 the queue and its thread
#pragma once

#include <semaphore.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class IMidiOutPacer {
 public:
  // The cycles of the MIDI server: how many have run, and how many bytes of
  // events one cycle of a port carries. Null (or zero bytes) for a MIDI
  // system without cycles: then nothing is held back. Lost: the server went
  // away, and the library's client with it; a message handed to that client
  // could hang its sender, so it is dropped (and counted) instead.
  struct Cycles {
    virtual ~Cycles() = default;
    virtual uint64_t CyclesRun() const = 0;
    virtual size_t BytesPerCycle() const = 0;
    virtual bool Lost() const { return false; }
  };
  // Hands one message to the MIDI library; false when it could not.
  using Sender = std::function<bool(const uint8_t* bytes, size_t size)>;

  // Told how many messages were dropped, on the pacer's thread, at most
  // twice a second.
  using DropReport = std::function<void(uint64_t dropped)>;

  // capacity: messages that may wait (rounded up to a power of two).
  explicit IMidiOutPacer(Sender sender, size_t capacity = kDefaultCapacity);
  IMidiOutPacer(const IMidiOutPacer&) = delete;
  IMidiOutPacer& operator=(const IMidiOutPacer&) = delete;
  ~IMidiOutPacer();  // Stop

  // Sends what waits (see Drain), then ends the thread; a message posted
  // afterwards is dropped. Stopping again does nothing.
  void Stop();
  void SetDropReport(DropReport report);

  static constexpr size_t kDefaultCapacity = 4096;
  // The share of a cycle's room the pacer fills: the server's cycle and our
  // clock are not in step, so up to two of our cycles can meet in one of its.
  static constexpr size_t kShareOfCycle = 4;
  // What an event costs in a port's buffer besides its bytes.
  static constexpr size_t kEventOverhead = 16;

  // The clock to keep pace with; null lets every message go at once. Set
  // while nothing is posted (the owner's lock serialises it with sends).
  void SetCycles(std::shared_ptr<const Cycles> cycles);

  // Queues a copy of the message. realTime: the caller may not wait, so a
  // full queue drops it (counted) instead of waiting for room. False when
  // it was dropped or empty.
  bool Post(const uint8_t* bytes, size_t size, bool realTime);

  // Waits until every message posted before the call has been handed on,
  // or timeoutMs passed; true when nothing is left.
  bool Drain(int timeoutMs);

  // Messages handed to the library so far, and dropped so far (the queue
  // was full, or the library refused them).
  uint64_t Sent() const { return mSent.load(); }
  uint64_t Dropped() const { return mDroppedTotal.load(); }

 private:
  struct Cell;
  bool TryPush(const uint8_t* bytes, size_t size);
  bool TryPop(std::vector<uint8_t>& message);
  void Run();
  // Holds the message back until the current cycle has room for cost;
  // false when the server is lost (the message must not be sent).
  bool WaitForRoom(size_t cost);

  Sender mSender;
  std::unique_ptr<Cell[]> mCells;
  size_t mMask;
  std::atomic<size_t> mEnqueue{0};
  std::atomic<size_t> mDequeue{0};
  std::shared_ptr<const Cycles> mCycles;
  std::mutex mCyclesMutex;  // guards mCycles (the pacer thread copies it)

  // The budget of the cycle in which the pacer sends now.
  uint64_t mCycle = 0;
  size_t mUsed = 0;

  DropReport mDropReport;  // set before anything is dropped
  std::mutex mDropReportMutex;
  std::atomic<uint64_t> mDropped{0};  // not reported yet
  std::atomic<uint64_t> mDroppedTotal{0};
  std::atomic<uint64_t> mSent{0};
  std::atomic<uint64_t> mPosted{0};
  std::atomic<uint64_t> mHandled{0};

  sem_t mWake;  // posted for every message: posting never blocks
  std::atomic<bool> mStop{false};
  std::thread mThread;  // last: starts when everything above exists
};
