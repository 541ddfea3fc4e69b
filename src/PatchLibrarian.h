// The patch library as the synthesizer protocol sees it: the state snapshot
// with its five names (PatchManager) and the library object (PatchLibrarian)
// with the selected slots and the store of a received patch. The library
// holds much more (banks, folder trees, file formats); this header declares
// only what the protocol reads, writes and calls.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "src/LibrarianPatch.h"

// The base of PatchManager: five names, each "- INIT -" at construction.
// Names are counted from 1 in the editor's texts: name 1 is names[0] (the
// received patch name), name 2 names[1] (its category text).
class Patch {
public:
  static constexpr int kNumNames = 5;

  std::vector<std::string> names = std::vector<std::string>(kNumNames, "- INIT -");
};

class PatchManager : public Patch {};

class PatchLibrarian {
public:
  // Stores the received patch (read only, owned by the caller) into the
  // selected slot of the upper list's bank, the bank being edited.
  void setSysexDatatoSelectedSlot(LibrarianPatch* received);

  // Selected slot of the upper list (0..98, -1 while no row is selected): the
  // slot a received patch is stored into; a program change makes it the
  // program number. Read on the MIDI input thread.
  std::atomic<int32_t> selectedUpperSlot{0};
  std::atomic<int32_t> selectedLowerSlot{0};
};
