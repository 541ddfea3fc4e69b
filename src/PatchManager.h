// The state snapshot and its five names, written as one block into the
// host's state chunk and read back on a project recall.
//
// Block layout: 00 00 00 01, 00 00 00 01, the snapshot length L (big-endian),
// the L snapshot bytes, then five names, each a 32-bit length in host order
// followed by its characters (no terminator, nothing after a zero character).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KIT/heapbuf.h"

class ByteChunk;
class EditorServices;

// The base of PatchManager: the snapshot buffer (empty) and five names, each
// "- INIT -" at construction. Names are counted from 1 in the editor's texts:
// name 1 is names[0] (the received patch name), name 2 names[1] (its
// category text), names 4 and 5 the patch and category shown at a save.
class Patch {
 public:
  static constexpr int kNumNames = 5;
  // Names 1 to 3 are read back as exactly this many characters.
  static constexpr int kShortNameLength = 14;

  Patch() : snapshot(4096) {}

  KIT_HeapBuf snapshot;
  std::vector<std::string> names = std::vector<std::string>(kNumNames, "- INIT -");
};

class PatchManager : public Patch {
 public:
  // Takes the snapshot: the owner's short state form (SerializeState2 with
  // full false) replaces the snapshot bytes. Does nothing without an owner.
  void init();

  // Appends the whole block to chunk (null: nothing).
  void saveAllToChunk(ByteChunk* chunk);

  // Reads a block starting at position; replaces the snapshot and the five
  // names and returns the position behind the block, or -1. A negative
  // position or fewer than 12 bytes: empty snapshot, names 1 to 3 fourteen
  // zero characters, names 4 and 5 empty, -1. A snapshot length that is
  // negative or larger than the bytes left is refused (-1, empty snapshot,
  // empty names) without reading or allocating it. A name whose length is
  // negative or runs past the end is empty, as is every later name, and the
  // result is -1.
  int loadAllFromChunk(ByteChunk* chunk, int position);

  // Appends one name: its length up to its first zero character (host
  // order), then those characters. lengthLimit is not applied (the writer
  // passes 14 for names 1 to 3 and 32 for names 4 and 5).
  static void putStringToChunk(ByteChunk* chunk, std::string text, int lengthLimit);

  int32_t firstValue = 0;
  int32_t secondValue = 0;
  EditorServices* owner = nullptr;
};
