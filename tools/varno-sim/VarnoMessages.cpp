#include "tools/varno-sim/VarnoMessages.h"

namespace varno {

const char* faultName(Fault fault) {
  switch (fault) {
    case Fault::None:
      return "none";
    case Fault::Empty:
      return "empty";
    case Fault::NotFramed:
      return "not-framed";
    case Fault::DataByteTooLarge:
      return "data-byte-too-large";
    case Fault::ForeignManufacturer:
      return "foreign-manufacturer";
    case Fault::SecondGeneration:
      return "second-generation";
    case Fault::UnknownModel:
      return "unknown-model";
    case Fault::UnknownCommand:
      return "unknown-command";
    case Fault::WrongLength:
      return "wrong-length";
    case Fault::OtherDevice:
      return "other-device";
    case Fault::ProgramOutOfRange:
      return "program-out-of-range";
    case Fault::ChecksumMismatch:
      return "checksum-mismatch";
    case Fault::UnknownAddress:
      return "unknown-address";
    case Fault::UnknownController:
      return "unknown-controller";
    case Fault::UnknownNumber:
      return "unknown-number";
    case Fault::OtherChannel:
      return "other-channel";
    case Fault::NotAnswering:
      return "not-answering";
  }
  return "?";
}

const char* sysExKindName(SysExKind kind) {
  switch (kind) {
    case SysExKind::Unknown:
      return "sysex";
    case SysExKind::Enquiry:
      return "enquiry";
    case SysExKind::EditBufferRequest:
      return "edit-buffer-request";
    case SysExKind::ProgramRequest:
      return "program-request";
    case SysExKind::SoundDump:
      return "sound-dump";
    case SysExKind::SoundStore:
      return "sound-store";
    case SysExKind::GlobalDump:
      return "global-dump";
    case SysExKind::ParameterChange:
      return "parameter";
  }
  return "?";
}

SysExMessage readSysEx(const uint8_t* data, size_t size) {
  SysExMessage message;
  if (data == nullptr || size == 0) {
    message.fault = Fault::Empty;
    return message;
  }
  if (size < 2 || data[0] != 0xF0 || data[size - 1] != 0xF7) {
    message.fault = Fault::NotFramed;
    return message;
  }
  for (size_t i = 1; i + 1 < size; ++i) {
    if (data[i] >= 0x80) {
      message.fault = Fault::DataByteTooLarge;
      return message;
    }
  }
  if (size < 4) {
    message.fault = Fault::WrongLength;
    return message;
  }
  if (data[1] != kManufacturer) {
    message.fault = Fault::ForeignManufacturer;
    return message;
  }
  if (data[2] != kModelFirstGeneration) {
    message.fault = data[2] == kModelSecondGeneration ? Fault::SecondGeneration : Fault::UnknownModel;
    return message;
  }
  if (size < 6) {
    message.fault = Fault::WrongLength;
    return message;
  }
  message.deviceByte = data[3];
  message.command = data[4];
  switch (message.command) {
    case kCommandEnquiry:
      message.kind = SysExKind::Enquiry;
      if (size != 6) message.fault = Fault::WrongLength;
      break;
    case kCommandEditBufferRequest:
      message.kind = SysExKind::EditBufferRequest;
      if (size != 7) {
        message.fault = Fault::WrongLength;
        break;
      }
      message.program = data[5];  // not used: the edit buffer is answered
      break;
    case kCommandProgramRequest:  // also kCommandParameter: the length decides
      if (size == 7) {
        message.kind = SysExKind::ProgramRequest;
        message.program = data[5];
        if (message.program >= kProgramCount) message.fault = Fault::ProgramOutOfRange;
      } else if (size == static_cast<size_t>(kParameterMessageSize)) {
        message.kind = SysExKind::ParameterChange;
        message.addressLow = data[5];
        message.addressHigh = data[6];
        message.valueLow = data[7];
        message.valueHigh = data[8];
        if (soundParameterByAddress(message.addressLow, message.addressHigh) == nullptr)
          message.fault = Fault::UnknownAddress;
      } else {
        message.fault = Fault::WrongLength;
      }
      break;
    case kCommandSoundDump:
    case kCommandSoundStore:
      message.kind = message.command == kCommandSoundDump ? SysExKind::SoundDump : SysExKind::SoundStore;
      if (size != static_cast<size_t>(kSoundDumpSize)) {
        message.fault = Fault::WrongLength;
        break;
      }
      message.program = data[5];
      if (message.kind == SysExKind::SoundStore && message.program >= kProgramCount)
        message.fault = Fault::ProgramOutOfRange;
      break;
    case kCommandGlobalDump:
      message.kind = SysExKind::GlobalDump;
      if (size != static_cast<size_t>(kGlobalDumpSize)) message.fault = Fault::WrongLength;
      break;
    default:
      message.fault = Fault::UnknownCommand;
      break;
  }
  return message;
}

int soundChecksum(const uint8_t* dump, size_t size) {
  if (dump == nullptr || size < static_cast<size_t>(kSoundDumpSize)) return -1;
  int sum = 0;
  for (int i = 5; i <= 73; ++i) sum += dump[i];
  return sum % 128;
}

Bytes buildSoundDump(int deviceId, int command, int program, const Sound& sound) {
  Bytes dump(kSoundDumpSize, 0);
  dump[0] = 0xF0;
  dump[1] = kManufacturer;
  dump[2] = kModelFirstGeneration;
  dump[3] = static_cast<uint8_t>(deviceId & 0x7F);
  dump[4] = static_cast<uint8_t>(command & 0x7F);
  dump[5] = static_cast<uint8_t>(program & 0x7F);
  for (int byte = kFirstSoundByte; byte <= kLastSoundByte; ++byte) dump[byte] = sound.code(byte);
  dump[74] = static_cast<uint8_t>(soundChecksum(dump.data(), dump.size()));
  dump[75] = 0xF7;
  return dump;
}

Bytes buildGlobalDump(const GlobalValues& globals) {
  Bytes dump(kGlobalDumpSize, 0);
  dump[0] = 0xF0;
  dump[1] = kManufacturer;
  dump[2] = kModelFirstGeneration;
  dump[3] = static_cast<uint8_t>(globals.deviceId());
  dump[4] = kCommandGlobalDump;
  const GlobalSetting* all = globalSettings();
  for (int slot = 0; slot < kGlobalSettingCount; ++slot) {
    const GlobalSetting& setting = all[slot];
    if (setting.dumpByte < 0) continue;
    dump[setting.dumpByte] = static_cast<uint8_t>((globals.value(setting.index) + setting.offset) & 0x7F);
  }
  dump[10] = 0x00;
  dump[11] = 0xF7;
  return dump;
}

Bytes buildParameterMessage(const SoundParameter& parameter, int value) {
  if (parameter.addressLow < 0) return Bytes();
  const int limited = limitToRange(value, parameter.minimum, parameter.maximum);
  int low = limited;
  int high = 0;
  if (parameter.index == kIndexArpTempo) {
    const int word = limited + kTempoWordOffset;
    low = word % 128;
    high = word / 128;
  }
  return Bytes{0xF0,
               kManufacturer,
               kModelFirstGeneration,
               kParameterMessageSender,
               kCommandParameter,
               static_cast<uint8_t>(parameter.addressLow),
               static_cast<uint8_t>(parameter.addressHigh),
               static_cast<uint8_t>(low),
               static_cast<uint8_t>(high),
               0xF7};
}

int parameterMessageValue(const SoundParameter& parameter, int valueLow, int valueHigh) {
  if (parameter.index == kIndexArpTempo) return valueLow + 128 * valueHigh - kTempoWordOffset;
  return valueLow;
}

}  // namespace varno
