// The store of a patch received from the synthesizer (or fed through the
// receive path by the editor) into the selected slot of the edited bank.
#include "src/PatchLibrarian.h"

void PatchLibrarian::setSysexDatatoSelectedSlot(LibrarianPatch* received) {
  if (!received || editBlocked != 0) return;
  if (upperBankIndex < 0 || static_cast<size_t>(upperBankIndex) >= fileBanks.size()) return;
  PatchFile* bank = fileBanks[static_cast<size_t>(upperBankIndex)];
  if (!bank) return;
  // No row selected (-1) or a slot outside the bank: the patch has no place.
  const int32_t slot = selectedUpperSlot.load();
  if (slot < 0 || slot >= PatchFile::kSlots) return;
  const LibrarianPatch copy = *received;
  bank->patches.resize(PatchFile::kSlots);
  LibrarianPatch& target = bank->patches[static_cast<size_t>(slot)];
  target.name = copy.name;
  target.messages = copy.messages;
  // The slot shows the received category at once, as a reload would.
  target.category = copy.category;
}
