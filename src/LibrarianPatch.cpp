#include "src/LibrarianPatch.h"

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
