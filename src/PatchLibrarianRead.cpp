// Scanning a file image for sound messages and turning them into library
// records. Single bytes go through readByte and runs through findInImage,
// neither of which passes the end.
#include <algorithm>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
int readByte(const unsigned char* data, int size, int& pos) {
  if (pos < 0 || pos >= size) {
    pos = -1;
    return -1;
  }
  return data[pos++];
}

// Index of the first byte equal to value at or after pos, or -1 when none
// lies before the end (or pos is outside the image).
int findInImage(const unsigned char* data, int size, int pos, int value) {
  if (pos < 0 || pos >= size) return -1;
  const void* found = memchr(data + pos, value, static_cast<size_t>(size - pos));
  return found ? static_cast<int>(static_cast<const unsigned char*>(found) - data) : -1;
}

constexpr unsigned char kRecordHeader[] = {0xF0, 0x3E, 0x0B, 0x00, 0x01};
constexpr int kRecordHeaderSize = static_cast<int>(sizeof kRecordHeader);

// Offsets from a message's manufacturer byte: its first body byte, and the
// closing F7 of a message as long as a library record.
constexpr int kBodyOffset = 5;
constexpr int kWholeEndOffset = VarnoSysEx::kLibraryRecordSize - 2;

// True when no byte of the count (at least 16) at data is an F7.
bool noEndIn(const unsigned char* data, int count) {
#if defined(__SSE2__)
  const __m128i end = _mm_set1_epi8(static_cast<char>(VarnoSysEx::kSysExEnd));
  __m128i seen = _mm_setzero_si128();
  int i = 0;
  for (; i + 16 <= count; i += 16)
    seen =
        _mm_or_si128(seen, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), end));
  if (i < count)  // the last 16 bytes, overlapping those seen
    seen = _mm_or_si128(
        seen, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + count - 16)), end));
  return _mm_movemask_epi8(seen) == 0;
#else
  return memchr(data, VarnoSysEx::kSysExEnd, static_cast<size_t>(count)) == nullptr;
#endif
}

// True when the message whose manufacturer byte is at m is a sound message
// as long as a library record that readRecord would make where it lies: a
// valid header and its first F7 where a library record has it, inside the
// image.
bool wholeRecordAt(const unsigned char* data, int size, int m) {
  if (m < 1 || m + kWholeEndOffset >= size || data[m] != VarnoSysEx::kManufacturer) return false;
  const unsigned char model = data[m + 1];
  if (model != VarnoSysEx::kModel && model != VarnoSysEx::kModelSecondGeneration) return false;
  if (data[m + 2] >= 0x80 || data[m + 3] > 0x10 || data[m + 4] >= 0x80) return false;
  return data[m + kWholeEndOffset] == VarnoSysEx::kSysExEnd &&
         noEndIn(data + m + kBodyOffset, kWholeEndOffset - kBodyOffset);
}

// Makes the message whose manufacturer byte is at manufacturer the record
// of size bytes where it lies, and appends it to bank: the header goes over
// the byte before the manufacturer byte and the four after it, which the
// scan has passed (a record ends with the image's F7).
void placeRecord(unsigned char* inPlace, int manufacturer, int program, uint32_t size, PatchFile* bank) {
  unsigned char* out = inPlace + manufacturer - 1;
  memcpy(out, kRecordHeader, kRecordHeaderSize);
  out[kRecordHeaderSize] = static_cast<unsigned char>(program & 0xFF);
  const bool whole = size == static_cast<uint32_t>(VarnoSysEx::kLibraryRecordSize);
  bank->patches.appendRecordRef(out, size, whole, false, nullptr);
  bank->paddingSwitch = 0;
}

// Appends a new patch whose only message is record (moved) to bank: into
// the bank's store while it keeps records, else as a patch. Only a whole
// record holds a name and a category byte (a record kept as bytes is read
// so when the patch is made).
void appendPatch(PatchFile* bank, PatchSysexMessage&& record) {
  bank->paddingSwitch = 0;
  const bool whole = record.size() == static_cast<size_t>(VarnoSysEx::kLibraryRecordSize);
  if (bank->patches.holdsRecords()) {
    bank->patches.appendRecordCopy(record.data(), static_cast<uint32_t>(record.size()), whole);
    return;
  }
  LibrarianPatch& patch = bank->patches.emplace_back();
  patch.messages.reserve(1);
  const PatchSysexMessage& stored = patch.messages.emplace_back(std::move(record));
  if (!whole) return;
  patch.name = recordPatchName(stored);
  patch.parseCategory();
}

}  // namespace

bool PatchLibrarian::findByte(ByteChunk* chunk, int& pos, int byte) {
  if (!chunk || pos < 0) {
    pos = -1;
    return false;
  }
  const int found = findInImage(chunk->GetData(), chunk->Size(), pos, byte);
  pos = found < 0 ? -1 : found + 1;
  return found >= 0;
}

int PatchLibrarian::readSysexMessage2(ByteChunk* chunk, int& pos, PatchFile* bank, int program) {
  return readSysexMessage(chunk, pos, bank, program);
}

int PatchLibrarian::readSysexMessage(ByteChunk* chunk, int& pos, PatchFile* bank, int program) {
  if (!chunk || !bank) return -1;
  return readRecord(chunk->GetData(), chunk->Size(), nullptr, pos, bank, program);
}

int PatchLibrarian::readRecord(const unsigned char* data, int size, unsigned char* inPlace, int& pos,
                               PatchFile* bank, int program) {
  if (pos < 0) {
    pos = -1;
    return -1;
  }
  // In a bank file the next message starts where the scan goes on.
  const int manufacturer = pos < size && data[pos] == VarnoSysEx::kManufacturer
                               ? pos
                               : findInImage(data, size, pos, VarnoSysEx::kManufacturer);
  if (manufacturer < 0) {
    pos = -1;
    return -1;
  }
  pos = manufacturer + 1;
  const int model = readByte(data, size, pos);
  if (model < 0) return -1;
  if (model != VarnoSysEx::kModel && model != VarnoSysEx::kModelSecondGeneration) return pos;
  const int device = readByte(data, size, pos);
  if (device < 0) return -1;
  if (device >= 0x80) return pos;
  const int command = readByte(data, size, pos);
  if (command < 0) return -1;
  if (command > 0x10) return pos;
  const int programByte = readByte(data, size, pos);
  if (programByte < 0) return -1;
  if (programByte >= 0x80) return pos;

  // A message cut off by the end of the image is not stored.
  const int end = findInImage(data, size, pos, VarnoSysEx::kSysExEnd);
  if (end < 0) {
    pos = -1;
    return -1;
  }
  const unsigned char* body = data + pos;
  const int bodyLength = end - pos;
  pos = end + 1;
  // The record: the header, the program byte, the body and the closing F7.
  const int length = kRecordHeaderSize + 1 + bodyLength;
  if (length < kShortestRecordBody) return pos;
  ++pos;  // the byte after the F7 is skipped
  const bool shortBody = length <= kShortestRecordBody + 1;
  const bool secondGeneration =
      model == VarnoSysEx::kModelSecondGeneration && !shortBody && length + 1 > kConversionThreshold;

  if (!shortBody && !secondGeneration && inPlace && manufacturer >= 1) {
    // An image the bank keeps becomes the record where it lies.
    placeRecord(inPlace, manufacturer, program, static_cast<uint32_t>(length + 1), bank);
    return pos;
  }

  // The header, the body and the closing F7; a short body is completed to a
  // whole record.
  PatchSysexMessage record;
  record.reserve(static_cast<size_t>(std::max(length + 1, VarnoSysEx::kLibraryRecordSize)));
  record.assign(kRecordHeader, kRecordHeader + kRecordHeaderSize);
  record.push_back(static_cast<unsigned char>(program & 0xFF));
  record.insert(record.end(), body, body + bodyLength);
  if (shortBody) {
    if (length == kShortestRecordBody) record.push_back(0x00);
    if (length == kShortestRecordBody + 1) record[VarnoSysEx::kRecordPadByte - 1] = 0x00;
    appendNumberedName(record, (program % 100 + 100) % 100 + 1);
  }
  record.push_back(VarnoSysEx::kSysExEnd);
  if (secondGeneration) {
    // The conversion reads up to byte 134: a shorter sound cannot be converted.
    if (static_cast<int>(record.size()) < kConversionSourceSize) return pos;
    record = convertPatchToVarno1Format(&record, program);
    soundConverted = true;
  }
  appendPatch(bank, std::move(record));
  return pos;
}

void appendNumberedName(PatchSysexMessage& record, int number) {
  const char* text = "Sound       ";
  record.insert(record.end(), text, text + 12);
  record.push_back(static_cast<unsigned char>('0' + (number / 10) % 10));
  record.push_back(static_cast<unsigned char>('0' + number % 10));
  record.push_back(static_cast<unsigned char>(kInitCategory));
}

std::string recordPatchName(const PatchSysexMessage& record) { return recordPatchName(record.data()); }

std::string recordPatchName(const unsigned char* record) {
  // Eight bytes at a time: a byte below 0x80 from 'a' to 'z' loses its 0x20
  // bit (every library name goes through here twice while loading).
  constexpr uint64_t kOnes = 0x0101010101010101ULL, kHighBits = 0x8080808080808080ULL;
  unsigned char bytes[16] = {};
  memcpy(bytes, record + VarnoSysEx::kNameByte, VarnoSysEx::kNameLength);
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
  if (!bank->patches.empty()) {
    loadImage(chunk->GetData(), chunk->Size(), nullptr, bank);
    return;
  }
  // A new bank keeps a copy of the image as the block its records lie in.
  auto store = std::make_shared<PatchStore>();
  unsigned char* block = store->allocateAlone(static_cast<size_t>(chunk->Size()));
  memcpy(block, chunk->GetData(), static_cast<size_t>(chunk->Size()));
  bank->patches.keepRecords(std::move(store));
  loadImage(block, chunk->Size(), block, bank);
}

void PatchLibrarian::loadImage(const unsigned char* data, int size, unsigned char* inPlace, PatchFile* bank) {
  static const unsigned char kMidiHeader[8] = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
  int pos = 0;
  bool midi = true;
  for (int i = 0; i < 8; ++i) midi = midi && data[i] == kMidiHeader[i];
  if (midi) pos = 14;
  bank->patches.reserve(PatchFile::kSlots);
  int program = 0;
  for (;;) {
    // A run of messages as long as library records, as a bank file holds
    // them, is placed without the general scan; each leaves the bank
    // non-empty, so the program moves on.
    if (inPlace)
      while (wholeRecordAt(data, size, pos)) {
        placeRecord(inPlace, pos, program, VarnoSysEx::kLibraryRecordSize, bank);
        pos += VarnoSysEx::kLibraryRecordSize;
        program = program + 1 > kHighestSlot ? 0 : program + 1;
      }
    if (readRecord(data, size, inPlace, pos, bank, program) <= 0) break;
    if (!bank->patches.empty()) program = program + 1 > kHighestSlot ? 0 : program + 1;
  }
  checkBankSizeAndAddData(bank);
}
