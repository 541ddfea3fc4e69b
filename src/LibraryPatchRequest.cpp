#include "src/LibraryPatchRequest.h"

#include <algorithm>
#include <cctype>

#include "src/MIDIMessageSysEx.h"

namespace {

// Messages of this size and more are kept whole.
constexpr int kWholeMessageSize = 78;
// The sound part of a record: dump bytes 0 to 74.
constexpr int kSoundPartSize = VarnoSysEx::kRecordPadByte;

}  // namespace

void LibraryPatchRequest::arm() {
  patch.name.clear();
  patch.category.clear();
  patch.messages.clear();
  requestActive = true;
}

bool LibraryPatchRequest::addMessageData(const unsigned char* bytes, int size) {
  using namespace VarnoSysEx;
  if (!bytes || size < kSoundPartSize) return false;
  if (static_cast<int>(patch.messages.size()) >= kMaxMessages) return false;

  PatchSysexMessage record;
  if (size >= kWholeMessageSize) {
    record.assign(bytes, bytes + size);
    record[kRecordPadByte] = 0x00;
  } else {
    record.assign(bytes, bytes + kSoundPartSize);
    record.push_back(0x00);
    record.insert(record.end(), kRequestedName, kRequestedName + kNameLength);
    record.push_back(kRequestedCategory);
    record.push_back(kSysExEnd);
  }
  const bool complete = record.size() == static_cast<size_t>(kLibraryRecordSize);
  patch.messages.push_back(std::move(record));
  if (!complete) return false;

  status = 1;
  const PatchSysexMessage& first = patch.messages.front();
  const size_t nameEnd = std::min(first.size(), static_cast<size_t>(kNameByte + kNameLength));
  for (size_t i = kNameByte; i < nameEnd; ++i) patch.name += static_cast<char>(std::toupper(first[i]));
  patch.parseCategory();
  requestActive = false;
  return true;
}
