// The queue of short MIDI messages that wait for the audio thread: records
// kept in the order of their sample offsets (equal offsets in the order they
// arrived) in one growable buffer, with a read index (front) and a write
// index (back).
//
// Threads: any number of producers (Add) and one consumer, the render thread
// (TakeDue). Producers take the queue's lock for the insert only and may
// wait for one another briefly. The consumer only tries the lock: when a
// producer holds it at that moment, the consumer takes nothing and moves
// nothing, and everything waits for its next block, so the render thread
// never waits for a producer. Nothing is lost either way.
#pragma once

#include <mutex>
#include <vector>

#include "KIT/IModule/IModuleStructs.h"

class IMidiQueue {
 public:
  // Records of room that a new queue has, and grows by.
  static constexpr int kDefaultSize = 1024;

  // Room for size records, growing in steps of size records. Size 0, or an
  // allocation that fails, gives a queue without room (capacity 0).
  explicit IMidiQueue(int size = kDefaultSize);
  IMidiQueue(const IMidiQueue&) = delete;
  IMidiQueue& operator=(const IMidiQueue&) = delete;
  ~IMidiQueue();

  // Inserts the message behind every record whose offset is not larger than
  // its own. A full queue first moves its records to the start of the
  // buffer, else grows by the growth step. False (the message dropped) when
  // it is full and cannot grow: growth step 0 or no memory.
  bool Add(const IMidiMsg& msg);

  // Prepares for blocks of blockSize frames (below 1 counts as 1): the
  // growth step becomes blockSize rounded up to a multiple of 512 records
  // (whole 4096-byte pages), and so does the capacity, or the number of
  // waiting records rounded up the same way when more are waiting. When
  // the new buffer cannot be had, the old one stays. Nothing waiting is lost.
  void Resize(int blockSize);

  // The consumer's step for one block of nFrames frames: appends to due, in
  // order, every record whose offset is below nFrames and removes it, then
  // moves the records left nFrames frames earlier. False, with nothing taken
  // and nothing moved, when a producer holds the queue at this moment.
  bool TakeDue(int nFrames, std::vector<IMidiMsg>& due);

  // Records waiting.
  int ToDo() const;
  bool Empty() const { return ToDo() == 0; }
  int Capacity() const;
  int GrowthStep() const;

 private:
  // Moves the records front..back-1 to the start of the buffer. Lock held.
  void Compact();
  // Reallocates the buffer for capacity records; false (buffer unchanged)
  // when that fails. Lock held.
  bool Reallocate(int capacity);

  mutable std::mutex mMutex;
  IMidiMsg* mBuf = nullptr;
  int mCapacity = 0;
  int mGrowthStep = 0;
  int mFront = 0;
  int mBack = 0;
};
