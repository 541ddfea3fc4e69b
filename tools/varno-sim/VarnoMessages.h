// The Varno's system-exclusive messages byte by byte: reading what arrives
// (frame, header, length and fields checked before anything is used) and
// building what the Varno sends. Layouts: docs/midi-implementation.md, §2.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/varno-sim/VarnoGlobals.h"
#include "tools/varno-sim/VarnoSound.h"

namespace varno {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kManufacturer = 0x3E;
constexpr uint8_t kModelFirstGeneration = 0x0B;
constexpr uint8_t kModelSecondGeneration = 0x16;
constexpr uint8_t kParameterMessageSender = 0x58;  // byte 3 of what the Varno sends

constexpr uint8_t kCommandSoundDump = 0x00;
constexpr uint8_t kCommandSoundStore = 0x01;
constexpr uint8_t kCommandGlobalDump = 0x08;
constexpr uint8_t kCommandEditBufferRequest = 0x40;
constexpr uint8_t kCommandProgramRequest = 0x41;  // 7 bytes; 10 bytes: parameter message
constexpr uint8_t kCommandParameter = 0x41;
constexpr uint8_t kCommandEnquiry = 0x48;

// Why a message was not taken (None when it was).
enum class Fault : uint8_t {
  None,
  Empty,
  NotFramed,            // no F0 first or no F7 last
  DataByteTooLarge,     // a byte of 80 or above between F0 and F7
  ForeignManufacturer,  // byte 1 is not 3E
  SecondGeneration,     // model byte 16
  UnknownModel,
  UnknownCommand,
  WrongLength,        // the length does not fit the command
  OtherDevice,        // a request for another device ID
  ProgramOutOfRange,  // a program above 98
  ChecksumMismatch,
  UnknownAddress,  // a parameter message for an address no parameter has
  UnknownController,
  UnknownNumber,  // parameter-number data without a known number selected
  OtherChannel,   // a channel message on a channel the Varno does not hear
  NotAnswering,   // a request while answers are withheld
};
const char* faultName(Fault fault);

enum class SysExKind : uint8_t {
  Unknown,
  Enquiry,
  EditBufferRequest,
  ProgramRequest,
  SoundDump,   // command 00
  SoundStore,  // command 01
  GlobalDump,
  ParameterChange,
};
const char* sysExKindName(SysExKind kind);

// The fields of one received system-exclusive message. When fault is not None
// only the fields read before the fault are set.
struct SysExMessage {
  SysExKind kind = SysExKind::Unknown;
  Fault fault = Fault::None;
  int deviceByte = -1;
  int command = -1;
  int program = -1;     // requests and dumps: byte 5
  int addressLow = -1;  // parameter message: bytes 5 and 6
  int addressHigh = -1;
  int valueLow = -1;  // parameter message: bytes 7 and 8
  int valueHigh = -1;
};

// Reads one complete message (F0 … F7). Never reads past size; a null pointer
// or size 0 gives Fault::Empty. Checks, in this order: frame, data bytes below
// 80, manufacturer, model, command and its length, and the ranges of the
// fields it names (program 0..98 for requests and stores). The checksum of a
// sound dump is not judged here (see soundChecksum).
SysExMessage readSysEx(const uint8_t* data, size_t size);

// The checksum of a 76-byte sound dump: bytes 5..73 summed, modulo 128. Returns
// -1 when size is below 76.
int soundChecksum(const uint8_t* dump, size_t size);

// A 76-byte sound dump as the Varno sends it: F0 3E 0B device command program,
// the sound's 65 codes, 00 00 00, checksum, F7. deviceId, command and program
// are written as their low seven bits.
Bytes buildSoundDump(int deviceId, int command, int program, const Sound& sound);

// The 12-byte global dump of the settings, byte 3 = their device ID.
Bytes buildGlobalDump(const GlobalValues& globals);

// The 10-byte single-parameter message the Varno sends for a sound parameter
// that has an address (F0 3E 0B 58 41 c d v x F7); empty when it has none.
// kArpTempo travels as the tempo word value + 20 split into v and x; every
// other value as v with x = 0.
Bytes buildParameterMessage(const SoundParameter& parameter, int value);

// The value a received parameter message gives the parameter, before limiting:
// the tempo word v + 128 x - 20 for kArpTempo, else v.
int parameterMessageValue(const SoundParameter& parameter, int valueLow, int valueHigh);

}  // namespace varno
