// The patch-manager block of the host state chunk, written and read field by
// field; a damaged block is refused without reading past the chunk's end.
#include "src/PatchManager.h"

#include <cstring>

#include "KIT/IModule/IModuleStructs.h"

namespace {

constexpr int kBlockHeaderSize = 12;
constexpr int kFirstLongName = 3;  // names 4 and 5 are read at any length

void putBigEndian(ByteChunk* chunk, uint32_t value) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(value >> 24),
                                  static_cast<unsigned char>(value >> 16),
                                  static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
  chunk->PutBytes(bytes, 4);
}

}  // namespace

void PatchManager::putStringToChunk(ByteChunk* chunk, std::string text, int) {
  if (!chunk) return;
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  chunk->PutInt32(static_cast<int32_t>(text.size()));
  chunk->PutBytes(text.data(), static_cast<int>(text.size()));
}

void PatchManager::saveAllToChunk(ByteChunk* chunk) {
  if (!chunk) return;
  ByteChunk block;
  putBigEndian(&block, 1);
  putBigEndian(&block, 1);
  putBigEndian(&block, static_cast<uint32_t>(snapshot.GetSize()));
  block.PutBytes(snapshot.Get(), snapshot.GetSize());
  for (int i = 0; i < kNumNames; ++i)
    putStringToChunk(&block, names[static_cast<size_t>(i)], i < kFirstLongName ? 14 : 32);
  chunk->PutChunk(&block);
}

int PatchManager::loadAllFromChunk(ByteChunk* chunk, int position) {
  const int size = chunk ? chunk->Size() : 0;
  const uint8_t* data = chunk ? chunk->GetData() : nullptr;
  int pos = -1;
  int64_t length = 0;
  if (position >= 0 && static_cast<int64_t>(position) + kBlockHeaderSize <= size) {
    const uint8_t* l = data + position + 8;
    length = static_cast<int32_t>(static_cast<uint32_t>(l[0]) << 24 | static_cast<uint32_t>(l[1]) << 16 |
                                  static_cast<uint32_t>(l[2]) << 8 | l[3]);
    pos = position + kBlockHeaderSize;
  }
  snapshot.Resize(0);
  // A negative length or one beyond the bytes left is refused before any
  // copy or allocation of that size.
  if (pos >= 0 && length >= 0 && length <= size - pos) {
    snapshot.Resize(static_cast<int>(length));
    if (length > 0) std::memcpy(snapshot.Get(), data + pos, static_cast<size_t>(length));
    pos += static_cast<int>(length);
  } else {
    pos = -1;
  }

  for (int i = 0; i < kNumNames; ++i) {
    std::string name;
    if (pos >= 0 && size - pos >= 4) {
      int32_t n = 0;
      chunk->GetInt32(&n, pos);
      if (n < 0 || n > size - pos - 4) {
        pos = -1;  // runs past the end: this and every later name are empty
      } else {
        name.assign(reinterpret_cast<const char*>(data + pos + 4), static_cast<size_t>(n));
        const size_t zero = name.find('\0');
        if (zero != std::string::npos) name.resize(zero);
        pos += 4 + n;
      }
    } else {
      pos = -1;
    }
    if (i < kFirstLongName) name.resize(kShortNameLength, '\0');
    names[static_cast<size_t>(i)] = name;
  }
  return pos;
}
