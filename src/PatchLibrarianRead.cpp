// Scanning a file image for sound messages and turning them into library
// records. Single bytes go through readByte and runs through findInImage,
// neither of which passes the end.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "KIT/IModule/IModuleStructs.h"
#include "src/MIDIMessageSysEx.h"
#include "src/PatchLibrarian.h"
#include "src/PatchLibrarianRecords.h"

namespace {

constexpr int kShortestRecordBody = 75;    // a plain dump before its F7
constexpr int kConversionThreshold = 100;  // second-generation records above this are converted
// The conversion reads bytes up to 134 (the category); with the closing F7
// behind it the message holds at least 136 bytes. A 135-byte message would
// hand over its F7 as the category and end the record early.
constexpr int kConversionSourceSize = 136;
constexpr int kHighestSlot = 98;

// One byte at pos, or -1 (pos becomes -1) below 0 or at or past the end.
int readByte(const ByteChunk* chunk, int& pos) {
  if (pos < 0 || pos >= chunk->Size()) {
    pos = -1;
    return -1;
  }
  return chunk->GetData()[pos++];
}

// Index of the first byte equal to value at or after pos, or -1 when none
// lies before the end (or pos is outside the image).
int findInImage(const ByteChunk* chunk, int pos, int value) {
  const int size = chunk->Size();
  if (pos < 0 || pos >= size) return -1;
  const unsigned char* data = chunk->GetData();
  const void* found = memchr(data + pos, value, static_cast<size_t>(size - pos));
  return found ? static_cast<int>(static_cast<const unsigned char*>(found) - data) : -1;
}

}  // namespace

bool PatchLibrarian::findByte(ByteChunk* chunk, int& pos, int byte) {
  if (!chunk || pos < 0) {
    pos = -1;
    return false;
  }
  const int found = findInImage(chunk, pos, byte);
  pos = found < 0 ? -1 : found + 1;
  return found >= 0;
}

int PatchLibrarian::readSysexMessage2(ByteChunk* chunk, int& pos, PatchFile* bank, int program) {
  return readSysexMessage(chunk, pos, bank, program);
}

int PatchLibrarian::readSysexMessage(ByteChunk* chunk, int& pos, PatchFile* bank, int program) {
  if (!chunk || !bank) return -1;
  if (!findByte(chunk, pos, VarnoSysEx::kManufacturer)) return -1;
  const int model = readByte(chunk, pos);
  if (model < 0) return -1;
  if (model != VarnoSysEx::kModel && model != VarnoSysEx::kModelSecondGeneration) return pos;
  const int device = readByte(chunk, pos);
  if (device < 0) return -1;
  if (device >= 0x80) return pos;
  const int command = readByte(chunk, pos);
  if (command < 0) return -1;
  if (command > 0x10) return pos;
  const int programByte = readByte(chunk, pos);
  if (programByte < 0) return -1;
  if (programByte >= 0x80) return pos;

  // A message cut off by the end of the image is not stored.
  const int end = findInImage(chunk, pos, VarnoSysEx::kSysExEnd);
  if (end < 0) {
    pos = -1;
    return -1;
  }
  static const unsigned char kRecordHeader[] = {0xF0, 0x3E, 0x0B, 0x00, 0x01};
  PatchSysexMessage record;
  // The header, the body and the closing F7; a short body is completed to
  // a whole record.
  const size_t finalSize = sizeof kRecordHeader + 1 + static_cast<size_t>(end - pos) + 1;
  record.reserve(std::max(finalSize, static_cast<size_t>(VarnoSysEx::kLibraryRecordSize)));
  record.assign(kRecordHeader, kRecordHeader + sizeof kRecordHeader);
  record.push_back(static_cast<unsigned char>(program & 0xFF));
  record.insert(record.end(), chunk->GetData() + pos, chunk->GetData() + end);
  pos = end + 1;
  const int length = static_cast<int>(record.size());
  if (length < kShortestRecordBody) return pos;
  if (length == kShortestRecordBody) record.push_back(0x00);
  if (length == kShortestRecordBody + 1) record[VarnoSysEx::kRecordPadByte - 1] = 0x00;
  if (length <= kShortestRecordBody + 1) appendNumberedName(record, (program % 100 + 100) % 100 + 1);
  record.push_back(VarnoSysEx::kSysExEnd);
  ++pos;  // the byte after the F7 is skipped

  if (model == VarnoSysEx::kModelSecondGeneration && static_cast<int>(record.size()) > kConversionThreshold) {
    // The conversion reads up to byte 134: a shorter sound cannot be converted.
    if (static_cast<int>(record.size()) < kConversionSourceSize) return pos;
    record = convertPatchToVarno1Format(&record, program);
    soundConverted = true;
  }

  // The patch is built where the bank keeps it.
  LibrarianPatch& patch = bank->patches.emplace_back();
  patch.messages.reserve(1);
  const PatchSysexMessage& stored = patch.messages.emplace_back(std::move(record));
  // Only a whole record holds a name and a category byte.
  if (stored.size() == static_cast<size_t>(VarnoSysEx::kLibraryRecordSize)) {
    patch.name = recordPatchName(stored);
    patch.parseCategory();
  }
  bank->paddingSwitch = 0;
  return pos;
}

void appendNumberedName(PatchSysexMessage& record, int number) {
  const char* text = "Sound       ";
  record.insert(record.end(), text, text + 12);
  record.push_back(static_cast<unsigned char>('0' + (number / 10) % 10));
  record.push_back(static_cast<unsigned char>('0' + number % 10));
  record.push_back(static_cast<unsigned char>(kInitCategory));
}

std::string recordPatchName(const PatchSysexMessage& record) {
  // Eight bytes at a time: a byte below 0x80 from 'a' to 'z' loses its 0x20
  // bit (every library name goes through here twice while loading).
  constexpr uint64_t kOnes = 0x0101010101010101ULL, kHighBits = 0x8080808080808080ULL;
  unsigned char bytes[16] = {};
  memcpy(bytes, record.data() + VarnoSysEx::kNameByte, VarnoSysEx::kNameLength);
  for (int half = 0; half < 2; ++half) {
    uint64_t word;
    memcpy(&word, bytes + 8 * half, 8);
    const uint64_t low = word & ~kHighBits;             // each byte's low seven bits
    const uint64_t fromA = low + (0x80 - 'a') * kOnes;  // high bit: at least 'a'
    const uint64_t pastZ = low + (0x7F - 'z') * kOnes;  // high bit: above 'z'
    word ^= ((fromA & ~pastZ & ~word & kHighBits) >> 2);
    memcpy(bytes + 8 * half, &word, 8);
  }
  return std::string(reinterpret_cast<const char*>(bytes), VarnoSysEx::kNameLength);
}

void PatchLibrarian::loadFromChunk(ByteChunk* chunk, int size, PatchFile* bank, int) {
  if (!chunk || !bank || size < 15 || size > chunk->Size()) return;
  static const unsigned char kMidiHeader[8] = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
  int pos = 0;
  bool midi = true;
  for (int i = 0; i < 8; ++i) midi = midi && chunk->GetData()[i] == kMidiHeader[i];
  if (midi) pos = 14;
  bank->patches.reserve(PatchFile::kSlots);
  int program = 0;
  int result = readSysexMessage(chunk, pos, bank, program);
  while (result > 0) {
    if (!bank->patches.empty()) program = program + 1 > kHighestSlot ? 0 : program + 1;
    result = readSysexMessage(chunk, pos, bank, program);
  }
  checkBankSizeAndAddData(bank);
}
