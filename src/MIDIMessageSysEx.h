// The system-exclusive messages the editor exchanges with the Varno, in one
// place: the frame, the three requests, the sound dump with its byte table
// (parameter, coding, section lock), the 92-byte library record, the global
// dump and the single-parameter message. The dump builders, the receive side
// and the randomiser all walk the same table.
//
// Every message is F0 3E, model, device, command, data, F7, and every byte
// between F0 and F7 is 7-bit. The builders keep that rule whatever values they
// are given: each value is truncated to an integer and limited to 0..127, so a
// stray parameter value can never put a status byte inside a message.
//
// Contents, in reading order:
//   FRAME AND COMMANDS
//   REQUESTS            unframed, for the framework's framing send
//   SOUND DUMP          76 bytes; the byte table and its codings
//   LIBRARY RECORD      92 bytes; names and category texts
//   GLOBAL DUMP         12 bytes
//   PARAMETER MESSAGES  10 bytes from the synthesizer
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace VarnoSysEx {

// ==== FRAME AND COMMANDS =====================================================

constexpr uint8_t kSysExStart = 0xF0;
constexpr uint8_t kSysExEnd = 0xF7;
constexpr uint8_t kManufacturer = 0x3E;
// Model byte of every message the editor sends.
constexpr uint8_t kModel = 0x0B;
// Model byte of the second generation: accepted by the receive dispatcher only.
constexpr uint8_t kModelSecondGeneration = 0x16;

// Byte positions of the header, counted from the F0.
constexpr int kManufacturerByte = 1;
constexpr int kModelByte = 2;
constexpr int kDeviceByte = 3;
constexpr int kCommandByte = 4;
constexpr int kProgramByte = 5;

enum Command : uint8_t {
  kCommandSoundDump = 0x00,   // both ways: sound of the edit buffer
  kCommandStoreSound = 0x01,  // to the synthesizer: sound into program byte 5
  kCommandGlobalDump = 0x08,  // both ways
  kCommandCurrentSoundRequest = 0x40,
  kCommandProgramRequest = 0x41,
  kCommandEnquiry = 0x48,  // answered with the global dump
};

// Total sizes, frame included.
constexpr int kEnquirySize = 6;
constexpr int kRequestSize = 7;
constexpr int kSoundDumpSize = 76;
constexpr int kLibraryRecordSize = 92;
constexpr int kGlobalDumpSize = 12;
constexpr int kParameterMessageSize = 10;

// Highest value of a data byte.
constexpr int kMaxDataByte = 127;

// A value as a data byte: truncated toward zero, then limited to 0..127
// (NaN gives 0).
uint8_t dataByte(double value);

// The device byte of outgoing messages: the integer part of the value of
// kGlobalDeviceID when it is above 0, else 0; at most 127.
uint8_t deviceIdByte(double deviceIdValue);

// ==== REQUESTS ===============================================================
// Built without F0 and F7 (4 or 5 bytes starting with 0x3E); the framework's
// send adds the frame. Device and program are limited to 0..127.

std::vector<uint8_t> buildEnquiry(int deviceId);                           // 3E 0B dd 48
std::vector<uint8_t> buildCurrentSoundRequest(int deviceId, int program);  // 3E 0B dd 40 pp
std::vector<uint8_t> buildProgramRequest(int deviceId, int program);       // 3E 0B dd 41 pp

// ==== SOUND DUMP =============================================================
// 76 bytes: header (command 0x00 edit buffer, 0x01 store into program byte
// 5), byte 5 the program, bytes 6 to 70 one byte per sound parameter, bytes
// 71 to 73 zero, byte 74 the checksum, byte 75 F7.

// How a parameter's value travels in its byte.
enum class ByteCoding : uint8_t {
  kValue,     // the value itself
  kSemitone,  // value + 16 (the three oscillator semitones)
  kArpClock,  // 0 while the arpeggiator sync indicator is on, else value + 1
};

// One row of the byte table: the byte, its parameter index, its coding and the
// section lock under which the receive side and the randomiser leave it alone.
struct SoundDumpByte {
  int byteIndex;
  int parameter;
  ByteCoding coding;
  int lock;
};

constexpr int kFirstTableByte = 5;  // byte 5, kCurrentPatch, is a table row too
constexpr int kFirstSoundByte = 6;  // the randomiser starts here
constexpr int kLastSoundByte = 70;
constexpr int kChecksumByte = 74;
constexpr int kSemitoneOffset = 16;
// Byte of kArpOnOff, which also drives the arpeggiator on/off indicator.
constexpr int kArpOnOffByte = 56;

// Rows for bytes 5 to 70, in byte order.
extern const std::array<SoundDumpByte, kLastSoundByte - kFirstTableByte + 1> kSoundDumpTable;
// The row of a byte, or null outside 5..70.
const SoundDumpByte* soundDumpByte(int byteIndex);

// The fourteen section locks, kSectionLockOsc1 to kSectionLockArp.
constexpr int kNumSectionLocks = 14;
// True when the lock's value (as read from its parameter) switches it on.
inline bool lockIsOn(double lockValue) { return lockValue == 1.0; }

using SoundDump = std::array<uint8_t, kSoundDumpSize>;
// The reader of a parameter's current value, by parameter index.
using ParameterValue = std::function<double(int index)>;

// The starting template of every outgoing sound dump.
extern const SoundDump kSoundDumpTemplate;

// The byte a parameter value travels as (within 0..127). arpSyncOn is the
// state of kArpSyncIndicator (used by the clock coding only).
uint8_t encodeSoundByte(const SoundDumpByte& row, double value, bool arpSyncOn);
// The parameter value a received byte stands for: semitones byte - 16; the
// clock byte 0 reads 0 and any other byte - 1; all others the byte itself.
double decodeSoundByte(const SoundDumpByte& row, uint8_t byte);

// The edit-buffer sound dump of the given parameter values: the template with
// byte 3 = the device byte of kGlobalDeviceID, byte 5 = kCurrentPatch and bytes
// 6 to 70 from the table. Byte 4 stays 0x00 and the checksum byte 0: the
// sending side fills it (writeSoundDumpChecksum).
SoundDump buildSoundDump(const ParameterValue& value);

// The sum of bytes 5 to 73 modulo 128. size must be at least 74; a shorter
// message has no checksum and gives 0.
uint8_t soundDumpChecksum(const uint8_t* dump, int size);
// Writes soundDumpChecksum into byte 74 when size is at least 75.
void writeSoundDumpChecksum(uint8_t* dump, int size);

// ==== LIBRARY RECORD =========================================================
// 92 bytes: dump bytes 0 to 74, 0x00, the name (14 characters), the category
// code (0..20) and F7.

constexpr int kRecordPadByte = 75;
constexpr int kNameByte = 76;
constexpr int kNameLength = 14;
constexpr int kCategoryByte = 90;

using LibraryRecord = std::array<uint8_t, kLibraryRecordSize>;
using RecordName = std::array<uint8_t, kNameLength>;

// The name a 76-byte dump collected for the librarian gets ("Requested" and
// five blanks) and its category (20, "INIT").
extern const char kRequestedName[kNameLength + 1];
constexpr int kRequestedCategory = 20;

// The 14 name bytes of a record the editor builds: each character upper-cased,
// characters below 0x20 and above 0x7E (outside 7-bit text) written as blanks,
// blanks after the end of the name.
RecordName recordName(const std::string& name);

// The record of a sound dump: its bytes 0 to 74, then 0x00, the name as
// recordName gives it and the category code (limited to 0..127), then F7.
LibraryRecord buildLibraryRecord(const SoundDump& dump, const std::string& name, int category);

// The text of a category code: "NONE", "ARP", ..., "INIT"; null outside 0..20.
const char* categoryText(int code);

// ==== GLOBAL DUMP ============================================================
// 12 bytes: header with command 0x08, bytes 5 to 9 the global settings, byte
// 10 zero, F7. No checksum.

constexpr int kMasterTuneOffset = 54;

// One setting of the global dump: its byte, parameter index and the offset
// added to the value in the byte.
struct GlobalDumpByte {
  int byteIndex;
  int parameter;
  int offset;
};
constexpr int kGlobalSettingCount = 5;
extern const std::array<GlobalDumpByte, kGlobalSettingCount> kGlobalDumpTable;

using GlobalDump = std::array<uint8_t, kGlobalDumpSize>;
extern const GlobalDump kGlobalDumpTemplate;

// A set of global settings as bits, one per row of kGlobalDumpTable in
// table order: which of them the editor knows.
constexpr unsigned kAllGlobalSettings = (1u << kGlobalSettingCount) - 1;
// The bit of a global setting's parameter; 0 for any other parameter.
unsigned globalSettingBit(int parameter);

// The global dump of the given values: byte 3 the device byte of
// kGlobalDeviceID, bytes 5 to 9 from the table.
GlobalDump buildGlobalDump(const ParameterValue& value);

// ==== PARAMETER MESSAGES =====================================================
// 10 bytes from the synthesizer: F0 3E model 58 41 c d v x F7. Bytes 3 to 6
// select the control; v is the value; x is read for kArpTempo only.

constexpr uint8_t kParameterMessageDevice = 0x58;
constexpr uint8_t kParameterMessageCommand = 0x41;
constexpr int kParameterAddressLowByte = 5;
constexpr int kParameterAddressHighByte = 6;
constexpr int kParameterValueByte = 7;
constexpr int kParameterExtraByte = 8;

// kArpTempo from the value byte v and the extra byte x: v + 236 when x is 2,
// v + 108 when x is 1, v - 20 otherwise.
int arpTempoFromParameterMessage(int v, int x);

}  // namespace VarnoSysEx
