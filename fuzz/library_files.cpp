// Fuzzes the patch-file reader: a whole file image is scanned into a bank as
// the loader does. The input's last byte picks whether the image gets a
// Standard MIDI file header in front (bit 0) and whether the banks written
// from the result are read back (bit 1). The image is copied into a chunk of
// its exact size, so a read past its end is caught. Every stored record must
// end in F7; a bank must be empty or hold 99 patches or more (a shorter one
// is padded; the loader splits a longer one into banks of 99); and each bank
// of 99 that the loader would write from it must read back as the same
// records.
//
// One librarian serves every input: reading a file keeps nothing between
// files but the converted-sound flag, which is cleared first as the loader
// does.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "KIT/IModule/IModuleStructs.h"
#include "src/PatchLibrarian.h"

namespace {

PatchLibrarian& sharedLibrarian() {
  static PatchLibrarian* library = new PatchLibrarian();  // lives as long as the process
  return *library;
}

// The piece of bank from patch first on, as the loader writes it when it
// splits a bank: at most 99 patches, padded with filler patches to 99.
PatchFile pieceOf(PatchLibrarian& library, const PatchFile& bank, size_t first) {
  PatchFile piece;
  const size_t count = std::min<size_t>(PatchFile::kSlots, bank.patches.size() - first);
  piece.patches.assign(bank.patches.begin() + static_cast<long>(first),
                       bank.patches.begin() + static_cast<long>(first + count));
  library.fillUncompletedBankFiles(&piece);
  return piece;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1 << 20)) return 0;
  const uint8_t flags = data[size - 1];
  std::vector<uint8_t> image;
  if (flags & 1) {
    static const uint8_t kHeader[14] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 1, 0xE0};
    image.assign(kHeader, kHeader + sizeof kHeader);
  }
  image.insert(image.end(), data, data + size - 1);

  PatchLibrarian& library = sharedLibrarian();
  library.soundConverted = false;
  PatchFile bank;
  ByteChunk chunk;
  chunk.PutBytes(image.data(), static_cast<int>(image.size()));
  library.loadFromChunk(&chunk, chunk.Size(), &bank, 0);
  if (!bank.patches.empty() && bank.patches.size() < PatchFile::kSlots) __builtin_trap();
  for (const LibrarianPatch& patch : bank.patches) {
    if (patch.messages.size() != 1) __builtin_trap();
    for (const PatchSysexMessage& message : patch.messages)
      if (message.size() < 76 || message.front() != 0xF0 || message.back() != 0xF7) __builtin_trap();
    if (!patch.name.empty() && patch.name.size() != 14) __builtin_trap();
  }

  if ((flags & 2) == 0) return 0;
  for (size_t first = 0; first < bank.patches.size(); first += PatchFile::kSlots) {
    // The first piece is the bank's first 99 patches, as the image holds them.
    const PatchFile piece = first == 0 ? PatchFile() : pieceOf(library, bank, first);
    const PatchFile& source = first == 0 ? bank : piece;
    ByteChunk written;
    PatchLibrarian::buildBankImage(source, false, &written);
    PatchFile again;
    library.loadFromChunk(&written, written.Size(), &again, 0);
    if (again.patches.size() != PatchFile::kSlots) __builtin_trap();
    const size_t real = std::min<size_t>(PatchFile::kSlots, bank.patches.size() - first);
    for (size_t i = 0; i < real; ++i) {
      // The reader rewrites the header's device, command and program bytes.
      PatchSysexMessage expected = source.patches[i].messages[0];
      expected[2] = 0x0B;
      expected[3] = 0x00;
      expected[4] = 0x01;
      expected[5] = static_cast<unsigned char>(i);
      if (again.patches[i].messages[0] != expected) __builtin_trap();
    }
  }
  return 0;
}
