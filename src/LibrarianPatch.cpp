#include "src/LibrarianPatch.h"

#include <array>

#include "KIT/IModule/IModuleStructs.h"
#include "src/MIDIMessageSysEx.h"

namespace {

// The four characters of each category code, padded with blanks; made once.
using CategoryCode = std::array<char, 4>;

const std::array<CategoryCode, kNumPatchCategories>& categoryCodes() {
  static const std::array<CategoryCode, kNumPatchCategories> codes = [] {
    std::array<CategoryCode, kNumPatchCategories> made{};
    for (int code = 0; code < kNumPatchCategories; ++code) {
      const char* text = VarnoSysEx::categoryText(code);
      made[static_cast<size_t>(code)].fill(' ');
      for (size_t i = 0; i < 4 && text && text[i]; ++i) made[static_cast<size_t>(code)][i] = text[i];
    }
    return made;
  }();
  return codes;
}

const CategoryCode& codeOf(unsigned char categoryByte) {
  return categoryCodes()[categoryByte < kNumPatchCategories ? categoryByte : kInitCategory];
}

}  // namespace

std::string patchCategoryCode(unsigned char categoryByte) {
  const CategoryCode& code = codeOf(categoryByte);
  return std::string(code.data(), code.size());
}

void LibrarianPatch::parseCategory() {
  if (messages.empty()) return;
  const PatchSysexMessage& first = messages.front();
  if (first.size() <= static_cast<size_t>(VarnoSysEx::kCategoryByte)) return;
  const CategoryCode& code = codeOf(first[VarnoSysEx::kCategoryByte]);
  category.append(code.data(), code.size());
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
