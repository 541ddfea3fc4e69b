// The patch records the protocol and the library share: one SysEx message and
// one patch (name, four-character category code, messages). Plain data with
// public fields; only parseCategory carries logic.
#pragma once

#include <string>
#include <vector>

// One complete SysEx message, from the opening 0xF0 to the closing 0xF7. The
// library form of a sound is 92 bytes: the name in bytes 76 to 89, the
// category byte in byte 90 and 0xF7 in byte 91.
using PatchSysexMessage = std::vector<unsigned char>;

// Number of category codes: 0 "NONE" to 20 "INIT".
constexpr int kNumPatchCategories = 21;
// The category of filler patches and of any byte above 20.
constexpr int kInitCategory = 20;

// The four-character code of a category byte: "NONE", "ARP ", ..., "INIT"
// (short words padded with blanks); every byte above 20 gives "INIT".
std::string patchCategoryCode(unsigned char categoryByte);

class LibrarianPatch {
public:
  // Empty name and category, no messages. Copies are deep (banks hold patches
  // by value).
  LibrarianPatch() = default;
  LibrarianPatch(const LibrarianPatch&) = default;
  LibrarianPatch& operator=(const LibrarianPatch&) = default;

  // Appends the code of the category byte (byte 90 of the first message) to
  // the category text; callers use it while the category is still empty. A
  // patch without a first message of at least 91 bytes carries no category
  // byte: the category is left as it is.
  void parseCategory();

  std::string name;
  std::string category;
  std::vector<PatchSysexMessage> messages;
};
