#include "KIT/IModule/IMidiQueue.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// Records per 4096-byte page of the buffer.
constexpr int kRecordsPerPage = 4096 / static_cast<int>(sizeof(IMidiMsg));

int roundUpToPages(int records) {
  if (records < 1) records = 1;
  if (records > std::numeric_limits<int>::max() - kRecordsPerPage) return records;
  return (records + kRecordsPerPage - 1) / kRecordsPerPage * kRecordsPerPage;
}

}  // namespace

IMidiQueue::IMidiQueue(int size) {
  if (size < 0) size = 0;
  mGrowthStep = size;
  if (size > 0) Reallocate(size);
}

IMidiQueue::~IMidiQueue() { std::free(mBuf); }

bool IMidiQueue::Reallocate(int capacity) {
  if (capacity < 1 || static_cast<size_t>(capacity) > std::numeric_limits<size_t>::max() / sizeof(IMidiMsg))
    return false;
  void* grown = std::realloc(mBuf, static_cast<size_t>(capacity) * sizeof(IMidiMsg));
  if (!grown) return false;
  mBuf = static_cast<IMidiMsg*>(grown);
  mCapacity = capacity;
  return true;
}

void IMidiQueue::Compact() {
  if (mFront == 0) return;
  const int count = mBack - mFront;
  if (count > 0)
    std::memmove(static_cast<void*>(mBuf), mBuf + mFront, static_cast<size_t>(count) * sizeof(IMidiMsg));
  mBack = count;
  mFront = 0;
}

bool IMidiQueue::Add(const IMidiMsg& msg) {
  std::lock_guard<std::mutex> lock(mMutex);
  if (mBack >= mCapacity) {
    if (mFront > 0) {
      Compact();
    } else {
      if (mGrowthStep <= 0 || mCapacity > std::numeric_limits<int>::max() - mGrowthStep) return false;
      const int grown = (mCapacity / mGrowthStep + 1) * mGrowthStep;
      if (!Reallocate(grown)) return false;
    }
  }
  // Walk back past every record with a larger offset; equal offsets stay in
  // the order they arrived.
  int at = mBack;
  while (at > mFront && msg.mOffset < mBuf[at - 1].mOffset) --at;
  if (at < mBack)
    std::memmove(static_cast<void*>(mBuf + at + 1), mBuf + at,
                 static_cast<size_t>(mBack - at) * sizeof(IMidiMsg));
  mBuf[at] = msg;
  ++mBack;
  return true;
}

void IMidiQueue::Resize(int blockSize) {
  std::lock_guard<std::mutex> lock(mMutex);
  Compact();
  mGrowthStep = roundUpToPages(blockSize);
  int capacity = mGrowthStep;
  if (mBack > capacity) capacity = roundUpToPages(mBack);
  if (capacity != mCapacity) Reallocate(capacity);
}

bool IMidiQueue::TakeDue(int nFrames, std::vector<IMidiMsg>& due) {
  std::unique_lock<std::mutex> lock(mMutex, std::try_to_lock);
  if (!lock.owns_lock()) return false;
  if (nFrames < 0) nFrames = 0;
  while (mFront < mBack && mBuf[mFront].mOffset < nFrames) due.push_back(mBuf[mFront++]);
  Compact();
  // Records left lie at nFrames or later, so none goes below zero.
  for (int i = 0; i < mBack; ++i) mBuf[i].mOffset -= nFrames;
  return true;
}

int IMidiQueue::ToDo() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mBack - mFront;
}

int IMidiQueue::Capacity() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mCapacity;
}

int IMidiQueue::GrowthStep() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mGrowthStep;
}
