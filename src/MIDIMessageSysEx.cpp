#include "src/MIDIMessageSysEx.h"

#include <cmath>

#include "src/EditorParams.h"

namespace VarnoSysEx {

// ==== FRAME AND COMMANDS =====================================================

uint8_t dataByte(double value) {
  if (std::isnan(value) || value <= 0.0) return 0;
  if (value >= kMaxDataByte) return kMaxDataByte;
  return static_cast<uint8_t>(value);  // truncation toward zero
}

uint8_t deviceIdByte(double deviceIdValue) { return dataByte(deviceIdValue); }

// ==== REQUESTS ===============================================================

namespace {

std::vector<uint8_t> request(uint8_t command, int deviceId) {
  return {kManufacturer, kModel, dataByte(deviceId), command};
}

}  // namespace

std::vector<uint8_t> buildEnquiry(int deviceId) { return request(kCommandEnquiry, deviceId); }

std::vector<uint8_t> buildCurrentSoundRequest(int deviceId, int program) {
  std::vector<uint8_t> bytes = request(kCommandCurrentSoundRequest, deviceId);
  bytes.push_back(dataByte(program));
  return bytes;
}

std::vector<uint8_t> buildProgramRequest(int deviceId, int program) {
  std::vector<uint8_t> bytes = request(kCommandProgramRequest, deviceId);
  bytes.push_back(dataByte(program));
  return bytes;
}

// ==== SOUND DUMP =============================================================

namespace {
constexpr ByteCoding V = ByteCoding::kValue;
constexpr ByteCoding S = ByteCoding::kSemitone;
constexpr ByteCoding C = ByteCoding::kArpClock;
}  // namespace

const std::array<SoundDumpByte, kLastSoundByte - kFirstTableByte + 1> kSoundDumpTable = {{
    {5, kCurrentPatch, V, kSectionLockOsc1},
    {6, kOscillator1Semitone, S, kSectionLockOsc1},
    {7, kOscillator1Tune, V, kSectionLockOsc1},
    {8, kOscillator1Shape, V, kSectionLockOsc1},
    {9, kOscillator1Pulsewidth, V, kSectionLockOsc1},
    {10, kOscillator2Semitone, S, kSectionLockOsc2},
    {11, kOscillator2Tune, V, kSectionLockOsc2},
    {12, kOscillator2Shape, V, kSectionLockOsc2},
    {13, kOscillator2Pulsewidth, V, kSectionLockOsc2},
    {14, kOscillator2Sync, V, kSectionLockOsc2},
    {15, kOscillator2Keytrack, V, kSectionLockOsc2},
    {16, kOscillator3Semitone, S, kSectionLockOsc3},
    {17, kOscillator3Tune, V, kSectionLockOsc3},
    {18, kOscillator3Shape, V, kSectionLockOsc3},
    {19, kOscillator1Level, V, kSectionLockMixer},
    {20, kOscillator2Level, V, kSectionLockMixer},
    {21, kOscillator3Level, V, kSectionLockMixer},
    {22, kNoiseLevel, V, kSectionLockMixer},
    {23, kLFO1Speed, V, kSectionLockLFO1},
    {24, kLFO1Shape, V, kSectionLockLFO1},
    {25, kLFO2Speed, V, kSectionLockLFO2},
    {26, kLFO2Delay, V, kSectionLockLFO2},
    {27, kEnvelope1Attack, V, kSectionLockEg1},
    {28, kEnvelope1Decay, V, kSectionLockEg1},
    {29, kEnvelope1Sustain, V, kSectionLockEg1},
    {30, kEnvelope1Release, V, kSectionLockEg1},
    {31, kEnvelope1Keytrack, V, kSectionLockEg1},
    {32, kEnvelope1Trigger, V, kSectionLockEg1},
    {33, kEnvelope2Attack, V, kSectionLockEg2},
    {34, kEnvelope2Decay, V, kSectionLockEg2},
    {35, kEnvelope2Sustain, V, kSectionLockEg2},
    {36, kEnvelope2Release, V, kSectionLockEg2},
    {37, kEnvelope2Keytrack, V, kSectionLockEg2},
    {38, kEnvelope2Trigger, V, kSectionLockEg2},
    {39, kPitchModAmount, V, kSectionLockPitchMod},
    {40, kPitchModSource, V, kSectionLockPitchMod},
    {41, kPortamento, V, kSectionLockPorta},
    {42, kPortamentoMode, V, kSectionLockPorta},
    {43, kPitchBendScale, V, kSectionLockPorta},
    {44, kModUnit1Source, V, kSectionLockVP},
    {45, kModUnit1Amount, V, kSectionLockVP},
    {46, kModUnit1Destination, V, kSectionLockVP},
    {47, kModUnit2Source, V, kSectionLockVP},
    {48, kModUnit2Amount, V, kSectionLockVP},
    {49, kModUnit2Destination, V, kSectionLockVP},
    {50, kModUnit3Source, V, kSectionLockVP},
    {51, kModUnit3Amount, V, kSectionLockVP},
    {52, kModUnit3Destination, V, kSectionLockVP},
    {53, kModUnit4Source, V, kSectionLockVP},
    {54, kModUnit4Amount, V, kSectionLockVP},
    {55, kModUnit4Destination, V, kSectionLockVP},
    {56, kArpOnOff, V, kSectionLockArp},
    {57, kArpRange, V, kSectionLockArp},
    {58, kArpTempo, V, kSectionLockArp},
    {59, kArpClock, C, kSectionLockArp},
    {60, kArpMode, V, kSectionLockArp},
    {61, kFilterCutoff, V, kSectionLockFilter},
    {62, kFilterCutoffKeytrack, V, kSectionLockFilter},
    {63, kFilterCutoffEnv1Sens, V, kSectionLockFilter},
    {64, kFilterCutoffVeloSens, V, kSectionLockFilter},
    {65, kFilterCutoffModAmount, V, kSectionLockFilter},
    {66, kFilterCutoffModSource, V, kSectionLockFilter},
    {67, kFilterResonance, V, kSectionLockFilter},
    {68, kVolume, V, kSectionLockAmp},
    {69, kVolumeVeloSense, V, kSectionLockAmp},
    {70, kPanning, V, kSectionLockAmp},
}};

const SoundDumpByte* soundDumpByte(int byteIndex) {
  if (byteIndex < kFirstTableByte || byteIndex > kLastSoundByte) return nullptr;
  return &kSoundDumpTable[byteIndex - kFirstTableByte];
}

const SoundDump kSoundDumpTemplate = {
    0xF0, 0x3E, 0x0B, 0x00, 0x00, 0x00, 0x40, 0x40, 0x00, 0x40, 0x40, 0x45, 0x00, 0x40, 0x00, 0x00,
    0x40, 0x3B, 0x00, 0x64, 0x64, 0x64, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1E, 0x3C, 0x64, 0x1E, 0x40,
    0x00, 0x1E, 0x3C, 0x64, 0x1E, 0x40, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00,
    0x40, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x40, 0x40,
    0x40, 0x00, 0x40, 0x32, 0x64, 0x40, 0x40, 0x00, 0x00, 0x00, 0x00, 0xF7};

uint8_t encodeSoundByte(const SoundDumpByte& row, double value, bool arpSyncOn) {
  switch (row.coding) {
    case ByteCoding::kSemitone:
      return dataByte(std::trunc(value) + kSemitoneOffset);
    case ByteCoding::kArpClock:
      return arpSyncOn ? 0 : dataByte(std::trunc(value) + 1);
    case ByteCoding::kValue:
      break;
  }
  return dataByte(value);
}

double decodeSoundByte(const SoundDumpByte& row, uint8_t byte) {
  switch (row.coding) {
    case ByteCoding::kSemitone:
      return static_cast<double>(byte) - kSemitoneOffset;
    case ByteCoding::kArpClock:
      return byte == 0 ? 0.0 : static_cast<double>(byte) - 1;
    case ByteCoding::kValue:
      break;
  }
  return byte;
}

SoundDump buildSoundDump(const ParameterValue& value) {
  SoundDump dump = kSoundDumpTemplate;
  dump[kDeviceByte] = deviceIdByte(value(kGlobalDeviceID));
  const bool arpSyncOn = value(kArpSyncIndicator) != 0.0;
  for (const SoundDumpByte& row : kSoundDumpTable)
    dump[row.byteIndex] = encodeSoundByte(row, value(row.parameter), arpSyncOn);
  return dump;
}

uint8_t soundDumpChecksum(const uint8_t* dump, int size) {
  if (!dump || size < kChecksumByte) return 0;
  unsigned sum = 0;
  for (int i = kProgramByte; i < kChecksumByte; ++i) sum += dump[i];
  return static_cast<uint8_t>(sum % 128);
}

void writeSoundDumpChecksum(uint8_t* dump, int size) {
  if (!dump || size <= kChecksumByte) return;
  dump[kChecksumByte] = soundDumpChecksum(dump, size);
}

// ==== LIBRARY RECORD =========================================================

const char kRequestedName[kNameLength + 1] = "Requested     ";

RecordName recordName(const std::string& name) {
  RecordName bytes;
  bytes.fill(' ');
  for (size_t i = 0; i < bytes.size() && i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c >= 0x20 && c < 0x7F) bytes[i] = static_cast<uint8_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  return bytes;
}

LibraryRecord buildLibraryRecord(const SoundDump& dump, const std::string& name, int category) {
  LibraryRecord record{};
  for (int i = 0; i < kRecordPadByte; ++i) record[i] = dump[i];
  record[kRecordPadByte] = 0x00;
  const RecordName nameBytes = recordName(name);
  for (int i = 0; i < kNameLength; ++i) record[kNameByte + i] = nameBytes[i];
  record[kCategoryByte] = dataByte(category);
  record[kLibraryRecordSize - 1] = kSysExEnd;
  return record;
}

const char* categoryText(int code) {
  static const char* const kTexts[] = {"NONE", "ARP",  "ATMO", "BASS", "DRUM", "FX",   "KEYS",
                                       "LEAD", "MONO", "PAD",  "PERC", "POLY", "SEQ",  "DUB",
                                       "LUSH", "STRG", "PLUK", "WIND", "NOIS", "EXFX", "INIT"};
  constexpr int kCount = sizeof(kTexts) / sizeof(kTexts[0]);
  return code >= 0 && code < kCount ? kTexts[code] : nullptr;
}

// ==== GLOBAL DUMP ============================================================

const std::array<GlobalDumpByte, kGlobalSettingCount> kGlobalDumpTable = {{
    {5, kGlobalStartUpProgram, 0},
    {6, kGlobalMasterTune, kMasterTuneOffset},
    {7, kGlobalControlX, 0},
    {8, kGlobalMidiChannel, 0},
    {9, kGlobalDeviceID, 0},
}};

const GlobalDump kGlobalDumpTemplate = {0xF0, 0x3E, 0x0B, 0x00, 0x08, 0x00,
                                        0x40, 0x00, 0x01, 0x00, 0x00, 0xF7};

unsigned globalSettingBit(int parameter) {
  for (size_t row = 0; row < kGlobalDumpTable.size(); ++row)
    if (kGlobalDumpTable[row].parameter == parameter) return 1u << row;
  return 0;
}

GlobalDump buildGlobalDump(const ParameterValue& value) {
  GlobalDump dump = kGlobalDumpTemplate;
  dump[kDeviceByte] = deviceIdByte(value(kGlobalDeviceID));
  for (const GlobalDumpByte& row : kGlobalDumpTable)
    dump[row.byteIndex] = dataByte(std::trunc(value(row.parameter)) + row.offset);
  return dump;
}

// ==== PARAMETER MESSAGES =====================================================

int arpTempoFromParameterMessage(int v, int x) {
  if (x == 2) return v + 236;
  if (x == 1) return v + 108;
  return v - 20;
}

}  // namespace VarnoSysEx
