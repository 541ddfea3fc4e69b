#include "KIT/pix/pix-bitmap.h"

#include <cstdlib>

PIX_MemBitmap::PIX_MemBitmap(int w, int h, unsigned int linealign) {
  if (linealign >= 2) {
    m_linealign = (linealign & (0u - linealign)) - 1;
    // Above 16 pixels the mask stays at 15: rows then start on 64-byte
    // boundaries like the block itself.
    if (m_linealign > 15) m_linealign = 15;
  }
  if (w != 0 || h != 0) resize(w, h);
}

PIX_MemBitmap::~PIX_MemBitmap() { freeBlock(); }

void PIX_MemBitmap::freeBlock() {
  free(m_block);
  m_block = nullptr;
  m_allocated = 0;
}

PIX_pixel* PIX_MemBitmap::getBits() {
  if (!m_block) return nullptr;
  const uintptr_t p = (reinterpret_cast<uintptr_t>(m_block) + 63) & ~static_cast<uintptr_t>(63);
  return reinterpret_cast<PIX_pixel*>(p);
}

bool PIX_MemBitmap::resize(int w, int h) {
  if (w == m_width && h == m_height) return false;
  m_width = w;
  m_height = h;
  // Counted in 64 bits so that a huge size is refused instead of wrapping.
  int64_t needed = 0;
  if (w > 0 && h > 0)
    needed = ((static_cast<int64_t>(w) + m_linealign) & ~static_cast<int64_t>(m_linealign)) * h * 4;
  if (needed <= 0 || needed > kMaxBytes) {
    freeBlock();
    m_width = m_height = 0;
    return true;
  }
  if (!m_block) {
    m_allocated = static_cast<int32_t>(needed);
    m_block = malloc(static_cast<size_t>(needed) + 63);
  } else if (needed <= m_allocated) {
    return true;
  } else {
    int64_t grown = needed + needed / 4;
    if (grown > kMaxBytes) grown = kMaxBytes;
    void* block = realloc(m_block, static_cast<size_t>(grown) + 63);
    if (block) {
      m_block = block;
      m_allocated = static_cast<int32_t>(grown);
    } else {
      freeBlock();
      m_allocated = static_cast<int32_t>(needed);
      m_block = malloc(static_cast<size_t>(needed) + 63);
    }
  }
  if (!m_block) {
    m_allocated = 0;
    m_width = m_height = 0;
  }
  return true;
}
