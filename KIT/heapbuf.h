// Growable byte buffer and the typed array built on it. Every container of the
// framework grows by one rule (Resize), so memory use is predictable and a
// failed allocation never loses what the buffer already holds.
#pragma once

#include <cstddef>
#include <cstdint>

class KIT_HeapBuf {
 public:
  explicit KIT_HeapBuf(int granularity = 4096);
  KIT_HeapBuf(const KIT_HeapBuf& other);
  KIT_HeapBuf& operator=(const KIT_HeapBuf& other);
  ~KIT_HeapBuf();

  // Sets the number of bytes held to newSize, keeping the bytes already held.
  // Returns the data, or null for size 0. When memory cannot be had (or newSize
  // is negative) nothing changes and the old data is returned, so a caller
  // detects failure by comparing GetSize() afterwards. With resizeDown a large
  // enough shrink (more than half and more than four granules) frees memory.
  void* Resize(int newSize, bool resizeDown = true);

  void* Get() const { return m_size > 0 ? m_buf : nullptr; }
  int GetSize() const { return m_size; }
  int GetAllocated() const { return m_alloc; }
  int GetGranularity() const { return m_granularity; }

  // The allocation never falls below this many bytes (0 by default).
  void SetMinAllocSize(int bytes) { m_minAlloc = bytes < 0 ? 0 : bytes; }

  // Releases the memory; the buffer is then empty.
  void Free();

 private:
  int NewAllocation(int newSize) const;

  void* m_buf = nullptr;
  int m_granularity;
  int m_alloc = 0;
  int m_size = 0;
  int m_minAlloc = 0;
};

// An array of plain values on top of KIT_HeapBuf; sizes count elements.
template <class T>
class KIT_TypedBuf {
 public:
  explicit KIT_TypedBuf(int granularity = 4096) : m_hb(granularity) {}

  // Returns the elements, or null for 0 or when growing failed (the size then
  // keeps its old value).
  T* Resize(int elements, bool resizeDown = true) {
    if (elements < 0 || static_cast<int64_t>(elements) * sizeof(T) > INT32_MAX) return Get();
    return static_cast<T*>(m_hb.Resize(elements * static_cast<int>(sizeof(T)), resizeDown));
  }
  T* Get() const { return static_cast<T*>(m_hb.Get()); }
  int GetSize() const { return m_hb.GetSize() / static_cast<int>(sizeof(T)); }

  // Appends one value; returns a pointer to it, or null when growing failed.
  T* Add(const T& value) {
    const int n = GetSize();
    Resize(n + 1, false);
    if (GetSize() != n + 1) return nullptr;
    Get()[n] = value;
    return Get() + n;
  }

  KIT_HeapBuf& Heap() { return m_hb; }
  const KIT_HeapBuf& Heap() const { return m_hb; }

 private:
  KIT_HeapBuf m_hb;
};
