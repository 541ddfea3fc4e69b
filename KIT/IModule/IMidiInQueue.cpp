#include "KIT/IModule/IMidiInQueue.h"

#include <errno.h>
#include <time.h>

#include <bitset>
#include <cstring>

namespace {

constexpr size_t kHeaderBytes = 4;  // the message's size, little-endian

size_t RoundUpToPowerOfTwo(size_t n) {
  size_t power = 64;
  while (power < n) power <<= 1;
  return power;
}

// Controllers whose value means something only together with the ones
// before or after it.
bool PartOfASequence(int controller) {
  switch (controller) {
    case 0:   // bank select MSB
    case 32:  // bank select LSB
    case 6:   // data entry MSB
    case 38:  // data entry LSB
    case 96:  // data increment
    case 97:  // data decrement
    case 98:  // parameter number LSB
    case 99:  // parameter number MSB
    case 100:
    case 101:
      return true;
    default:
      return controller >= 120;  // channel mode messages
  }
}

}  // namespace

IMidiInQueue::IMidiInQueue(size_t capacityBytes) {
  mRing.assign(RoundUpToPowerOfTwo(capacityBytes), 0);
  mMask = mRing.size() - 1;
  sem_init(&mWaiting, 0, 0);
}

IMidiInQueue::~IMidiInQueue() { sem_destroy(&mWaiting); }

void IMidiInQueue::CopyIn(size_t position, const uint8_t* bytes, size_t size) {
  const size_t at = position & mMask;
  const size_t first = std::min(size, mRing.size() - at);
  memcpy(mRing.data() + at, bytes, first);
  if (first < size) memcpy(mRing.data(), bytes + first, size - first);
}

void IMidiInQueue::CopyOut(size_t position, uint8_t* bytes, size_t size) const {
  const size_t at = position & mMask;
  const size_t first = std::min(size, mRing.size() - at);
  memcpy(bytes, mRing.data() + at, first);
  if (first < size) memcpy(bytes + first, mRing.data(), size - first);
}

bool IMidiInQueue::Push(const uint8_t* bytes, size_t size) {
  if (!bytes || size == 0) return false;
  const size_t written = mWritten.load(std::memory_order_relaxed);
  const size_t read = mRead.load(std::memory_order_acquire);
  const size_t free = mRing.size() - (written - read);
  if (size > UINT32_MAX || kHeaderBytes + size > free) {
    mDropped.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  const uint32_t length = static_cast<uint32_t>(size);
  const uint8_t header[kHeaderBytes] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                                        static_cast<uint8_t>(length >> 16),
                                        static_cast<uint8_t>(length >> 24)};
  CopyIn(written, header, kHeaderBytes);
  CopyIn(written + kHeaderBytes, bytes, size);
  mWritten.store(written + kHeaderBytes + size, std::memory_order_release);
  sem_post(&mWaiting);  // never blocks: a count and, with a waiter, a wake-up
  return true;
}

bool IMidiInQueue::Wait(int timeoutMs) {
  if (mWritten.load(std::memory_order_acquire) != mRead.load(std::memory_order_relaxed)) return true;
  timespec until{};
  clock_gettime(CLOCK_REALTIME, &until);
  until.tv_sec += timeoutMs / 1000;
  until.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
  if (until.tv_nsec >= 1000000000L) {
    until.tv_nsec -= 1000000000L;
    ++until.tv_sec;
  }
  while (sem_timedwait(&mWaiting, &until) != 0 && errno == EINTR) {
  }
  // The posts of messages taken in one go are left over: use them up.
  while (sem_trywait(&mWaiting) == 0) {
  }
  return mWritten.load(std::memory_order_acquire) != mRead.load(std::memory_order_relaxed);
}

void IMidiInQueue::Wake() { sem_post(&mWaiting); }

size_t IMidiInQueue::Take(std::vector<std::vector<uint8_t>>& messages, size_t maxMessages) {
  size_t read = mRead.load(std::memory_order_relaxed);
  const size_t written = mWritten.load(std::memory_order_acquire);
  size_t taken = 0;
  while (read != written && taken < maxMessages) {
    uint8_t header[kHeaderBytes];
    CopyOut(read, header, kHeaderBytes);
    const size_t length = static_cast<size_t>(header[0]) | static_cast<size_t>(header[1]) << 8 |
                          static_cast<size_t>(header[2]) << 16 | static_cast<size_t>(header[3]) << 24;
    std::vector<uint8_t> message(length);
    CopyOut(read + kHeaderBytes, message.data(), length);
    messages.push_back(std::move(message));
    read += kHeaderBytes + length;
    ++taken;
  }
  mRead.store(read, std::memory_order_release);
  return taken;
}

void IMidiInQueue::Clear() {
  mRead.store(mWritten.load(std::memory_order_acquire), std::memory_order_release);
}

void CoalesceRepeatedChanges(std::vector<std::vector<uint8_t>>& messages) {
  // Walking back, the first change of a channel and controller met is the
  // last one sent: it stays, the earlier ones go.
  std::bitset<16 * 128> seen;
  std::vector<bool> keep(messages.size(), true);
  for (size_t i = messages.size(); i-- > 0;) {
    const std::vector<uint8_t>& m = messages[i];
    if (m.size() != 3 || (m[0] & 0xF0) != 0xB0 || m[1] > 127 || PartOfASequence(m[1])) continue;
    const size_t key = static_cast<size_t>(m[0] & 0x0F) * 128 + m[1];
    if (seen.test(key))
      keep[i] = false;
    else
      seen.set(key);
  }
  size_t out = 0;
  for (size_t i = 0; i < messages.size(); ++i)
    if (keep[i]) {
      if (out != i) messages[out] = std::move(messages[i]);
      ++out;
    }
  messages.resize(out);
}
