#include "tools/varno-sim/VarnoSynth.h"

#include <utility>

namespace varno {
namespace {

constexpr int kControllerDataEntry = 6;
constexpr int kControllerBankSelect = 0;
constexpr int kControllerNumberLsb = 98;
constexpr int kControllerNumberMsb = 99;
constexpr int kControllerAllSoundOff = 120;
constexpr int kControllerResetControllers = 121;
constexpr int kControllerAllNotesOff = 123;
constexpr int kControlXControlChange = 0;
constexpr int kControlXParameterMessage = 1;
constexpr int kControlXBoth = 2;

const char* channelKindName(int status) {
  switch (status & 0xF0) {
    case 0x80:
      return "note-off";
    case 0x90:
      return "note-on";
    case 0xA0:
      return "poly-pressure";
    case 0xB0:
      return "control-change";
    case 0xC0:
      return "program-change";
    case 0xD0:
      return "channel-pressure";
    case 0xE0:
      return "pitch-bend";
  }
  return "?";
}

const char* systemKindName(int status) {
  switch (status) {
    case 0xF8:
      return "clock";
    case 0xFA:
      return "start";
    case 0xFB:
      return "continue";
    case 0xFC:
      return "stop";
    case 0xFE:
      return "active-sensing";
    case 0xFF:
      return "reset";
  }
  return "system";
}

bool isSwitch(const SoundParameter& parameter) { return parameter.minimum == 0 && parameter.maximum == 1; }

}  // namespace

const char* outcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::Applied:
      return "applied";
    case Outcome::Answered:
      return "answered";
    case Outcome::Ignored:
      return "ignored";
    case Outcome::Sent:
      return "sent";
  }
  return "?";
}

Sound factoryProgram(int program) {
  Sound sound;
  if (program <= 0) return sound;
  for (int index = 0; index < kSoundParameterCount; ++index) {
    const SoundParameter* parameter = soundParameter(index);
    if (parameter->dumpByte < 0) continue;
    const int span = parameter->maximum - parameter->minimum + 1;
    sound.setValue(index, parameter->minimum + (7 * program + 5 * index) % span);
  }
  sound.setCode(59, program % (kMaximumClockCode + 1));
  return sound;
}

Synth::Synth(const SynthSettings& settings) : m_settings(settings) {
  for (int program = 0; program < kProgramCount; ++program) m_programs[program] = factoryProgram(program);
  for (int index = 0; index < kSoundParameterCount; ++index) {
    const SoundParameter* parameter = soundParameter(index);
    if (parameter->dumpByte < 0) m_performance[index] = parameter->initial;
  }
  m_globals.setValue(kIndexGlobalDeviceId, settings.deviceId);
  m_currentProgram = m_globals.value(kIndexGlobalStartUpProgram);
  m_editBuffer = m_programs[m_currentProgram];
  m_numberMsb.fill(-1);
  m_numberLsb.fill(-1);
}

std::vector<Bytes> Synth::receive(const uint8_t* data, size_t size, int64_t timeMicroseconds) {
  Record record;
  record.timeMicroseconds = timeMicroseconds;
  record.direction = Direction::Received;
  if (data != nullptr && size > 0) record.bytes.assign(data, data + size);
  std::vector<Bytes> answers;
  if (data == nullptr || size == 0) {
    record.kind = "empty";
    record.outcome = Outcome::Ignored;
    record.fault = Fault::Empty;
  } else if (data[0] == 0xF0) {
    answers = receiveSysEx(data, size, record);
  } else if (data[0] >= 0x80 && data[0] < 0xF0) {
    receiveChannelMessage(data, size, record);
  } else if (data[0] >= 0xF8 && size == 1) {
    // Real-time bytes: the arpeggiator follows clock, start and stop; nothing
    // of the sound changes.
    record.kind = systemKindName(data[0]);
    record.outcome = Outcome::Applied;
  } else {
    record.kind = data[0] >= 0xF0 ? systemKindName(data[0]) : "data";
    record.outcome = Outcome::Ignored;
    record.fault = data[0] >= 0x80 ? Fault::UnknownCommand : Fault::NotFramed;
  }
  addRecord(std::move(record));
  return answers;
}

std::vector<Bytes> Synth::receiveSysEx(const uint8_t* data, size_t size, Record& record) {
  const SysExMessage message = readSysEx(data, size);
  record.kind = sysExKindName(message.kind);
  record.outcome = Outcome::Ignored;
  record.fault = message.fault;
  if (message.fault != Fault::None) return {};

  const bool request = message.kind == SysExKind::Enquiry || message.kind == SysExKind::EditBufferRequest ||
                       message.kind == SysExKind::ProgramRequest;
  if (request) {
    if (message.deviceByte != m_globals.deviceId()) {
      record.fault = Fault::OtherDevice;
      return {};
    }
    if (!m_answering) {
      record.fault = Fault::NotAnswering;
      return {};
    }
    record.outcome = Outcome::Answered;
    if (message.kind == SysExKind::Enquiry) return {globalDump()};
    if (message.kind == SysExKind::EditBufferRequest) return {editBufferDump()};
    return {programDump(message.program)};
  }

  switch (message.kind) {
    case SysExKind::SoundDump:
    case SysExKind::SoundStore: {
      if (soundChecksum(data, size) != data[74]) {
        record.fault = Fault::ChecksumMismatch;
        if (m_settings.strictChecksum) return {};
      }
      applySoundDump(data);
      record.outcome = Outcome::Applied;
      return {};
    }
    case SysExKind::GlobalDump:
      applyGlobalDump(data);
      record.outcome = Outcome::Applied;
      return {};
    case SysExKind::ParameterChange: {
      const SoundParameter* parameter = soundParameterByAddress(message.addressLow, message.addressHigh);
      // readSysEx has refused unknown addresses already.
      m_editBuffer.setValue(parameter->index,
                            parameterMessageValue(*parameter, message.valueLow, message.valueHigh));
      record.outcome = Outcome::Applied;
      return {};
    }
    default:
      record.fault = Fault::UnknownCommand;
      return {};
  }
}

void Synth::applySoundDump(const uint8_t* dump) {
  Sound sound;
  for (int byte = kFirstSoundByte; byte <= kLastSoundByte; ++byte) sound.setCode(byte, dump[byte]);
  const int program = dump[5];
  if (dump[4] == kCommandSoundStore) {
    m_programs[program] = sound;  // readSysEx has checked 0..98
    return;
  }
  m_editBuffer = sound;
  if (program < kProgramCount) m_currentProgram = program;
}

void Synth::applyGlobalDump(const uint8_t* dump) {
  const GlobalSetting* all = globalSettings();
  for (int slot = 0; slot < kGlobalSettingCount; ++slot) {
    const GlobalSetting& setting = all[slot];
    if (setting.dumpByte < 0) continue;
    m_globals.setValue(setting.index, dump[setting.dumpByte] - setting.offset);
  }
}

void Synth::receiveChannelMessage(const uint8_t* data, size_t size, Record& record) {
  const int status = data[0];
  const int type = status & 0xF0;
  const int channel = status & 0x0F;
  record.kind = channelKindName(status);
  record.outcome = Outcome::Ignored;
  const size_t expected = (type == 0xC0 || type == 0xD0) ? 2 : 3;
  if (size != expected) {
    record.fault = Fault::WrongLength;
    return;
  }
  for (size_t i = 1; i < size; ++i) {
    if (data[i] >= 0x80) {
      record.fault = Fault::DataByteTooLarge;
      return;
    }
  }
  // Parameter numbers are heard on every channel: the editor sends a change
  // of the MIDI channel setting on the new channel already.
  const bool parameterNumber =
      type == 0xB0 &&
      (data[1] == kControllerNumberMsb || data[1] == kControllerNumberLsb || data[1] == kControllerDataEntry);
  if (!hearsChannel(channel) && !parameterNumber) {
    record.fault = Fault::OtherChannel;
    return;
  }
  if (type == 0xB0) {
    receiveControlChange(channel, data[1], data[2], record);
    return;
  }
  if (type == 0xC0) {
    const int program = data[1];
    if (program >= kProgramCount) {
      record.fault = Fault::ProgramOutOfRange;
      return;
    }
    m_editBuffer = m_programs[program];
    m_currentProgram = program;
  }
  // Notes, pressure and pitch bend play the synthesizer; no setting changes.
  record.outcome = Outcome::Applied;
}

void Synth::receiveControlChange(int channel, int controller, int data, Record& record) {
  record.outcome = Outcome::Applied;
  switch (controller) {
    case kControllerBankSelect:
      // One bank: bank select changes nothing.
      record.outcome = Outcome::Ignored;
      return;
    case kControllerNumberMsb:
      m_numberMsb[channel] = data;
      return;
    case kControllerNumberLsb:
      m_numberLsb[channel] = data;
      return;
    case kControllerDataEntry: {
      const GlobalSetting* setting = globalSettingByNumber(m_numberMsb[channel], m_numberLsb[channel]);
      if (setting == nullptr) {
        record.outcome = Outcome::Ignored;
        record.fault = Fault::UnknownNumber;
        return;
      }
      m_globals.setValue(setting->index, data - setting->offset);
      return;
    }
    case kControllerAllSoundOff:
    case kControllerResetControllers:
    case kControllerAllNotesOff:
      return;
    default:
      break;
  }
  const GlobalSetting* global = globalSettingByController(controller);
  if (global != nullptr) {
    m_globals.setValue(global->index, data == 0 ? 0 : 1);  // local control: 0 off, 1..127 on
    return;
  }
  const SoundParameter* parameter = soundParameterByController(controller);
  if (parameter == nullptr) {
    record.outcome = Outcome::Ignored;
    record.fault = Fault::UnknownController;
    return;
  }
  if (parameter->coding == Coding::ClockCode) {
    m_editBuffer.setCode(parameter->dumpByte, data);
    return;
  }
  const int value = isSwitch(*parameter) ? (data == 0 ? 0 : 1) : decodeCode(*parameter, data);
  setValue(parameter->index, value);
}

bool Synth::hearsChannel(int channel) const {
  const int setting = m_globals.midiChannel();
  return setting == 0 || channel == setting - 1;
}

int Synth::transmitChannel() const {
  const int setting = m_globals.midiChannel();
  return setting == 0 ? 0 : setting - 1;
}

int Synth::controllerData(const SoundParameter& parameter) const {
  if (parameter.dumpByte >= 0) {
    if (isSwitch(parameter)) return m_editBuffer.value(parameter.index);
    return m_editBuffer.code(parameter.dumpByte);
  }
  const int value = m_performance[parameter.index];
  if (parameter.index == kIndexSustainSwitch) return value != 0 ? 127 : 0;
  return value;
}

std::vector<Bytes> Synth::turn(int index, int value) {
  if (!setValue(index, value)) return {};
  const int controlX = m_globals.controlX();
  if (controlX != kControlXControlChange && controlX != kControlXParameterMessage &&
      controlX != kControlXBoth)
    return {};
  std::vector<Bytes> messages;
  const GlobalSetting* global = globalSetting(index);
  if (global != nullptr) {
    if (global->controller >= 0)
      messages.push_back(controlChange(global->controller, this->value(index) != 0 ? 127 : 0));
    return messages;
  }
  const SoundParameter* parameter = soundParameter(index);
  const bool hasAddress = parameter->addressLow >= 0;
  if (controlX != kControlXParameterMessage || !hasAddress)
    messages.push_back(controlChange(parameter->controller, controllerData(*parameter)));
  if (controlX != kControlXControlChange && hasAddress) messages.push_back(parameterMessage(index));
  return messages;
}

std::vector<Bytes> Synth::selectProgram(int program) {
  if (program < 0 || program >= kProgramCount) return {};
  m_editBuffer = m_programs[program];
  m_currentProgram = program;
  if (m_globals.controlX() > kControlXBoth) return {};
  return {programChange(program)};
}

Bytes Synth::parameterMessage(int index) const {
  const SoundParameter* parameter = soundParameter(index);
  if (parameter == nullptr || parameter->dumpByte < 0) return Bytes();
  return buildParameterMessage(*parameter, m_editBuffer.value(index));
}

Bytes Synth::controlChange(int controller, int data) const {
  if (controller < 0 || controller > 127 || data < 0 || data > 127) return Bytes();
  return Bytes{static_cast<uint8_t>(0xB0 | transmitChannel()), static_cast<uint8_t>(controller),
               static_cast<uint8_t>(data)};
}

Bytes Synth::programChange(int program) const {
  if (program < 0 || program > 127) return Bytes();
  return Bytes{static_cast<uint8_t>(0xC0 | transmitChannel()), static_cast<uint8_t>(program)};
}

Bytes Synth::editBufferDump() const {
  return buildSoundDump(m_globals.deviceId(), kCommandSoundDump, m_currentProgram, m_editBuffer);
}

Bytes Synth::programDump(int program) const {
  if (program < 0 || program >= kProgramCount) return Bytes();
  return buildSoundDump(m_globals.deviceId(), kCommandSoundDump, program, m_programs[program]);
}

int Synth::value(int index) const {
  if (globalSetting(index) != nullptr) return m_globals.value(index);
  const SoundParameter* parameter = soundParameter(index);
  if (parameter == nullptr) return -1;
  if (parameter->dumpByte >= 0) return m_editBuffer.value(index);
  return m_performance[index];
}

bool Synth::setValue(int index, int value) {
  if (globalSetting(index) != nullptr) return m_globals.setValue(index, value);
  const SoundParameter* parameter = soundParameter(index);
  if (parameter == nullptr) return false;
  if (parameter->dumpByte >= 0) return m_editBuffer.setValue(index, value);
  m_performance[index] = limitToRange(value, parameter->minimum, parameter->maximum);
  return true;
}

const Sound& Synth::program(int program) const {
  return m_programs[limitToRange(program, 0, kProgramCount - 1)];
}

void Synth::noteSent(const Bytes& bytes, int64_t timeMicroseconds) {
  Record record;
  record.timeMicroseconds = timeMicroseconds;
  record.direction = Direction::Sent;
  record.outcome = Outcome::Sent;
  record.bytes = bytes;
  if (!bytes.empty() && bytes[0] == 0xF0) {
    record.kind = sysExKindName(readSysEx(bytes.data(), bytes.size()).kind);
  } else if (!bytes.empty() && bytes[0] >= 0x80 && bytes[0] < 0xF0) {
    record.kind = channelKindName(bytes[0]);
  } else {
    record.kind = bytes.empty() ? "empty" : systemKindName(bytes[0]);
  }
  addRecord(std::move(record));
}

void Synth::clearRecords() {
  m_records.clear();
  m_droppedRecords = 0;
}

void Synth::addRecord(Record record) {
  if (m_settings.recordBudget == 0) {
    ++m_droppedRecords;
    return;
  }
  while (m_records.size() >= m_settings.recordBudget) {
    m_records.pop_front();
    ++m_droppedRecords;
  }
  m_records.push_back(std::move(record));
}

}  // namespace varno
