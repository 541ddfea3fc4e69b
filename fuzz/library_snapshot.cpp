// Fuzzes the patch-manager block of the host state chunk. The input's first
// byte picks the position the block is read from; the rest is the chunk,
// copied into storage of its exact size. The result must be -1 or a position
// within the chunk, the snapshot no larger than the chunk, and names 1 to 3
// exactly 14 characters.
#include <cstdint>
#include <cstdlib>

#include "KIT/IModule/IModuleStructs.h"
#include "src/PatchManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1 << 20)) return 0;
  const int position = static_cast<int>(data[0] % 16) - 2;
  ByteChunk chunk;
  chunk.PutBytes(data + 1, static_cast<int>(size - 1));
  PatchManager manager;
  const int end = manager.loadAllFromChunk(&chunk, position);
  if (end < -1 || end > chunk.Size()) __builtin_trap();
  if (manager.snapshot.GetSize() > chunk.Size()) __builtin_trap();
  for (int i = 0; i < 3; ++i)
    if (manager.names[static_cast<size_t>(i)].size() != 14) __builtin_trap();
  // What was read writes back and reads again to the same snapshot.
  if (end < 0) return 0;
  ByteChunk again;
  manager.saveAllToChunk(&again);
  PatchManager second;
  if (second.loadAllFromChunk(&again, 0) != again.Size()) __builtin_trap();
  if (second.snapshot.GetSize() != manager.snapshot.GetSize()) __builtin_trap();
  return 0;
}
