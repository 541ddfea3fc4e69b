#include "src/PatchLibrarian.h"

#include "src/EditorServices.h"
#include "src/debugger.h"

// Format 1, two tracks, 480 ticks; a tempo track (4/4, 500000 us); the sound
// track's header with length 14160 and the first event's delta, F0, length.
const unsigned char midiSingleStartHeader_NL99[53] = {
    0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00, 0x02, 0x01, 0xE0,
    0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x13, 0x00, 0xFF, 0x58, 0x04, 0x04, 0x02,
    0x18, 0x08, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00, 0x4D,
    0x54, 0x72, 0x6B, 0x00, 0x00, 0x37, 0x50, 0x00, 0xF0, 0x81, 0x0A};

const unsigned char midiSingleInBetweenHeader_NL99[5] = {0x83, 0x74, 0xF0, 0x81, 0x0A};

void removeCharsFromString(std::string& text, const char* chars) {
  if (!chars) return;
  for (const char* c = chars; *c; ++c) {
    std::string kept;
    for (char t : text)
      if (t != *c) kept += t;
    text.swap(kept);
  }
}

PatchLibrarian::~PatchLibrarian() { emptyLibrary(); }

void PatchLibrarian::emptyLibrary() {
  clearDataStructures(0);
  clearDataStructures(2);
  clearDataStructures(3);
  deleteBanks(fileBanks);
  deleteBanks(searchBanks);
  deleteBanks(categoryBanks);
}

void PatchLibrarian::deleteBanks(std::vector<PatchFile*>& banks) {
  for (PatchFile* bank : banks) delete bank;
  banks.clear();
}

void PatchLibrarian::clearDataStructures(int tree) {
  std::vector<FolderFiles*>* entries = nullptr;
  if (tree == 0)
    entries = &fileTree;
  else if (tree == 2)
    entries = &categoryTree;
  else if (tree == 3)
    entries = &searchTree;
  if (!entries) return;
  for (FolderFiles* entry : *entries) delete entry;
  entries->clear();
  // Empty category banks are reachable only through their tree.
  if (tree == 2) deleteBanks(mEmptyCategoryBanks);
}

bool PatchLibrarian::logging() const { return owner && owner->loggingEnabled; }

void PatchLibrarian::log(const std::string& text) {
  // Nothing is composed while the log is off.
  if (!logging()) return;
  logText.str("");
  logText << text;
  DebuggerOutput::printDebugInfo(owner->logFilePath, logText.str());
}
