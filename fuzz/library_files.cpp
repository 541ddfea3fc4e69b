// Fuzzes the patch-file reader: a whole file image is scanned into a bank as
// the loader does. The input's last byte picks whether the image gets a
// Standard MIDI file header in front. The image is copied into a chunk of its
// exact size, so a read past its end is caught. Every stored record must end
// in F7, a bank must be empty or hold 99 patches, and the raw image written
// from it must read back as the same records.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "KIT/IModule/IModuleStructs.h"
#include "src/PatchLibrarian.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1 << 20)) return 0;
  std::vector<uint8_t> image;
  if (data[size - 1] & 1) {
    static const uint8_t kHeader[14] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 1, 0xE0};
    image.assign(kHeader, kHeader + sizeof kHeader);
  }
  image.insert(image.end(), data, data + size - 1);

  PatchLibrarian library;
  PatchFile bank;
  ByteChunk chunk;
  chunk.PutBytes(image.data(), static_cast<int>(image.size()));
  library.loadFromChunk(&chunk, chunk.Size(), &bank, 0);
  if (!bank.patches.empty() && bank.patches.size() != 99) __builtin_trap();
  for (const LibrarianPatch& patch : bank.patches) {
    for (const PatchSysexMessage& message : patch.messages)
      if (message.size() < 76 || message.front() != 0xF0 || message.back() != 0xF7) __builtin_trap();
    if (!patch.name.empty() && patch.name.size() != 14) __builtin_trap();
  }
  if (bank.patches.empty()) return 0;

  ByteChunk written;
  PatchLibrarian::buildBankImage(bank, false, &written);
  PatchFile again;
  library.loadFromChunk(&written, written.Size(), &again, 0);
  if (again.patches.size() != 99) __builtin_trap();
  for (size_t i = 0; i < 99; ++i) {
    // The reader rewrites the header's device, command and program bytes.
    PatchSysexMessage expected = bank.patches[i].messages[0];
    expected[2] = 0x0B;
    expected[3] = 0x00;
    expected[4] = 0x01;
    expected[5] = static_cast<unsigned char>(i);
    if (again.patches[i].messages[0] != expected) __builtin_trap();
  }
  return 0;
}
