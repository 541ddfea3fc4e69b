#include "heapbuf.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

KIT_HeapBuf::KIT_HeapBuf(int granularity) : m_granularity(granularity > 0 ? granularity : 1) {}

KIT_HeapBuf::KIT_HeapBuf(const KIT_HeapBuf& other) : m_granularity(other.m_granularity) {
  m_minAlloc = other.m_minAlloc;
  if (other.m_size > 0 && Resize(other.m_size, false))
    memcpy(m_buf, other.m_buf, static_cast<size_t>(m_size));
}

KIT_HeapBuf& KIT_HeapBuf::operator=(const KIT_HeapBuf& other) {
  if (this == &other) return *this;
  Resize(other.m_size, true);
  if (m_size == other.m_size && m_size > 0) memcpy(m_buf, other.m_buf, static_cast<size_t>(m_size));
  return *this;
}

KIT_HeapBuf::~KIT_HeapBuf() { free(m_buf); }

void KIT_HeapBuf::Free() {
  free(m_buf);
  m_buf = nullptr;
  m_alloc = 0;
  m_size = 0;
}

// Allocation for a buffer that must hold newSize bytes: half again as much,
// at least one granule; large granularities round to whole 4 KB pages less a
// 96-byte allowance for the allocator's own header.
int KIT_HeapBuf::NewAllocation(int newSize) const {
  int64_t extra = std::max<int64_t>(newSize / 2, m_granularity);
  int64_t alloc;
  if (m_granularity < 4096) {
    alloc = newSize + extra;
  } else {
    extra &= ~int64_t(4095);
    extra = std::min<int64_t>(std::max<int64_t>(extra, 4096), 4194304);
    alloc = ((newSize + extra + 96) & ~int64_t(4095)) - 96;
  }
  alloc = std::max<int64_t>(alloc, m_minAlloc);
  return alloc > INT32_MAX ? -1 : static_cast<int>(alloc);
}

void* KIT_HeapBuf::Resize(int newSize, bool resizeDown) {
  if (newSize < 0) return Get();
  if (newSize == m_size) return Get();

  int newAlloc = m_alloc;
  if (newSize > m_alloc) {
    newAlloc = NewAllocation(newSize);
  } else if (newSize < m_size && resizeDown && newSize < m_alloc / 2 &&
             static_cast<int64_t>(newSize) <
                 static_cast<int64_t>(m_alloc) - 4 * static_cast<int64_t>(m_granularity)) {
    newAlloc = NewAllocation(newSize);
  }
  if (newAlloc < 0) return Get();

  if (newAlloc != m_alloc) {
    void* block = newAlloc > 0 ? realloc(m_buf, static_cast<size_t>(newAlloc)) : nullptr;
    if (!block && newAlloc > 0) {
      block = malloc(static_cast<size_t>(newAlloc));
      if (!block) return Get();
      if (m_buf) memcpy(block, m_buf, static_cast<size_t>(std::min(m_size, newSize)));
      free(m_buf);
    } else if (newAlloc == 0) {
      free(m_buf);
    }
    m_buf = block;
    m_alloc = newAlloc;
  }
  m_size = newSize;
  return Get();
}
