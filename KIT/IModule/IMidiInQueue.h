// The road of incoming MIDI off the MIDI library's thread. That thread is the
// JACK process thread (or the ALSA input thread): it must never wait, so it
// only copies each message into this queue and goes back; a thread of ours
// takes the messages out, in the order they arrived, and hands them to the
// plug-in.
//
// Threads: one producer (the MIDI library's thread: Push) and one consumer
// (ours: Wait, Take). Push never blocks and never allocates: a message that
// finds no room is dropped and counted, and the consumer reports the count.
//
// Contents:
//   IMidiInQueue                  the byte ring between the two threads
//   CoalesceRepeatedChanges       thins a backlog of one controller's changes
#pragma once

#include <semaphore.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class IMidiInQueue {
 public:
  // Room for messages totalling about capacityBytes (each takes its bytes
  // and four more); rounded up to a power of two.
  explicit IMidiInQueue(size_t capacityBytes = kDefaultCapacity);
  IMidiInQueue(const IMidiInQueue&) = delete;
  IMidiInQueue& operator=(const IMidiInQueue&) = delete;
  ~IMidiInQueue();

  // One megabyte: a quarter of a million short messages, more than 20 s of
  // a flood of 10,000 messages a second while the consumer is held up.
  static constexpr size_t kDefaultCapacity = 1 << 20;

  // Producer. Copies the message in and wakes the consumer; false when it
  // is empty or there is no room (then it is dropped and counted).
  bool Push(const uint8_t* bytes, size_t size);

  // Consumer. Waits until a message is waiting, Wake is called, or
  // timeoutMs pass; true when a message waits.
  bool Wait(int timeoutMs);
  // Wakes a waiting consumer (to let it see that it should stop).
  void Wake();
  // Appends up to maxMessages waiting messages to messages, oldest first;
  // returns how many were taken.
  size_t Take(std::vector<std::vector<uint8_t>>& messages, size_t maxMessages);
  // Messages dropped since the last call.
  uint64_t TakeDropped() { return mDropped.exchange(0); }
  // Forgets every waiting message (the consumer's side; nothing is pushed
  // meanwhile).
  void Clear();

 private:
  // Copies size bytes at position (modulo the capacity) in or out.
  void CopyIn(size_t position, const uint8_t* bytes, size_t size);
  void CopyOut(size_t position, uint8_t* bytes, size_t size) const;

  std::vector<uint8_t> mRing;
  size_t mMask = 0;
  // Written by the producer, read by the consumer (and the reverse).
  std::atomic<size_t> mWritten{0};
  std::atomic<size_t> mRead{0};
  std::atomic<uint64_t> mDropped{0};
  sem_t mWaiting;
};

// Thins a backlog: of the control changes of one channel and controller in
// messages, only the last stays, in its place; everything else keeps its
// place and order. Controllers that make up a sequence with others (bank
// select, data entry, increment, decrement, parameter numbers) and the
// channel mode messages (120 to 127) are kept whole.
void CoalesceRepeatedChanges(std::vector<std::vector<uint8_t>>& messages);
