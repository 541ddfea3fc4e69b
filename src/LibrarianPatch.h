// The patch records the protocol and the library share: one SysEx message,
// one patch (name, four-character category code, messages) and one bank of
// patches read from or written to a file. Plain data with public fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ByteChunk;

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
  // by value); moves take the buffers over, so a bank grows without copying
  // its patches.
  LibrarianPatch() = default;
  LibrarianPatch(const LibrarianPatch&) = default;
  LibrarianPatch& operator=(const LibrarianPatch&) = default;
  LibrarianPatch(LibrarianPatch&&) noexcept = default;
  LibrarianPatch& operator=(LibrarianPatch&&) noexcept = default;

  // Appends the code of the category byte (byte 90 of the first message) to
  // the category text; callers use it while the category is still empty. A
  // patch without a first message of at least 91 bytes carries no category
  // byte: the category is left as it is.
  void parseCategory();

  // Appends the messages to a file image in list order. Raw (smf false):
  // every byte of every message. Standard MIDI file (smf true): for each
  // message the event prefix 83 74 F0 81 0A unless slot is 0 (slot 0's
  // prefix is the end of the file header), then the message from its byte 1
  // on. A patch without messages appends nothing.
  void save(ByteChunk* chunk, bool smf, int slot) const;

  std::string name;
  std::string category;
  std::vector<PatchSysexMessage> messages;
};

// One bank: the patches of one file, 99 once loaded. Banks are created on the
// heap and owned by the library's bank lists; the folder trees only point at
// them.
class PatchFile {
 public:
  static constexpr int kSlots = 99;

  // A deep copy that the caller owns: the patches, the file name and the
  // second flag (as 0 or 1); padding switch 0, folder texts empty, tag 0.
  PatchFile* clone() const;

  int32_t paddingSwitch = 0;  // while 0, a bank read short is padded with fillers
  int32_t secondFlag = 0;
  std::vector<LibrarianPatch> patches;
  std::string fileName;                   // with its extension, as on disk
  std::string folderName;                 // the folder that holds the file
  std::vector<std::string> folderLevels;  // root's own folder down to that folder
  std::string folderPath;                 // full path of that folder, no trailing separator
  int32_t numberTag = 0;                  // category index or search-bank position
};
