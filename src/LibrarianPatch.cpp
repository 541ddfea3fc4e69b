#include "src/LibrarianPatch.h"

#include "KIT/IModule/IModuleStructs.h"
#include "src/MIDIMessageSysEx.h"

std::string patchCategoryCode(unsigned char categoryByte) {
  const int code = categoryByte < kNumPatchCategories ? categoryByte : kInitCategory;
  std::string text = VarnoSysEx::categoryText(code);
  text.resize(4, ' ');
  return text;
}

void LibrarianPatch::parseCategory() {
  if (messages.empty()) return;
  const PatchSysexMessage& first = messages.front();
  if (first.size() <= static_cast<size_t>(VarnoSysEx::kCategoryByte)) return;
  category += patchCategoryCode(first[VarnoSysEx::kCategoryByte]);
}

void LibrarianPatch::save(ByteChunk* chunk, bool smf, int slot) const {
  if (!chunk) return;
  static const unsigned char kEventPrefix[] = {0x83, 0x74, 0xF0, 0x81, 0x0A};
  for (const PatchSysexMessage& message : messages) {
    if (!smf) {
      if (!message.empty()) chunk->PutBytes(message.data(), static_cast<int>(message.size()));
      continue;
    }
    if (slot != 0) chunk->PutBytes(kEventPrefix, sizeof kEventPrefix);
    if (message.size() > 1) chunk->PutBytes(message.data() + 1, static_cast<int>(message.size() - 1));
  }
}

PatchFile* PatchFile::clone() const {
  PatchFile* copy = new PatchFile();
  copy->patches = patches;
  copy->fileName = fileName;
  copy->secondFlag = secondFlag != 0 ? 1 : 0;
  return copy;
}
