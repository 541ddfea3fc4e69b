#include "src/ControlActionSend.h"

#include <algorithm>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/Truncate.h"
#include "src/EditorParams.h"

namespace {

constexpr int kNRPNMSBController = 99;
constexpr int kNRPNLSBController = 98;

bool IsMidiDataByte(int value) { return value >= 0 && value <= 127; }
int ClampData(int value) { return std::min(127, std::max(0, value)); }

ControlActionMessage ControlChangeMessage(int controller, int data, int channel) {
  ControlActionMessage message;
  // The builder takes data as a 0..1 fraction of 127 and gives back data itself.
  message.controlChange.MakeControlChangeMsg(controller, data / 127.0, channel);
  return message;
}

// The offset the synthesizer expects on the data of a CC-mapped parameter.
double CCDataOffset(int paramIndex) {
  switch (paramIndex) {
    case kOscillator1Semitone:
    case kOscillator2Semitone:
    case kOscillator3Semitone:
      return 16.0;
    case kArpClock:
      return 1.0;
    default:
      return 0.0;
  }
}

bool IsTune(int paramIndex) {
  return paramIndex == kOscillator1Tune || paramIndex == kOscillator2Tune || paramIndex == kOscillator3Tune;
}

// A copy of a template as bytes, the device ID in byte 2; false when a byte
// between the frame is not 7-bit (a leading F0 and a trailing F7 may stand).
bool SysExBytes(const ControlActionSysExMessage::Message& message, int deviceId, std::vector<uint8_t>* out) {
  const size_t n = message.size();
  if (n == 0) return false;
  out->clear();
  for (size_t i = 0; i < n; ++i) {
    const int32_t byte = message[i];
    const bool frame = (i == 0 && byte == 0xF0) || (i + 1 == n && n > 1 && byte == 0xF7);
    if (!frame && !IsMidiDataByte(byte)) return false;
    out->push_back(static_cast<uint8_t>(byte));
  }
  if (IsMidiDataByte(deviceId) && n > 2) (*out)[2] = static_cast<uint8_t>(deviceId);
  return true;
}

// Two addresses of the synthesizer take their value twice, as 7F 7F.
void ApplyDoubleSevenFRule(std::vector<uint8_t>* bytes) {
  std::vector<uint8_t>& b = *bytes;
  if (b.size() < 8) return;
  if (b[3] == 0x41 && (b[4] == 0x43 || b[4] == 0x53) && (b[5] == 0 || b[5] == 1) && b[6] == 0x10) {
    b[6] = 0x7F;
    b[7] = 0x7F;
  }
}

ControlActionFault BuildSysEx(const ControlAction& action, int v, int deviceId,
                              std::vector<ControlActionMessage>* messages, std::string* ccLineText) {
  const ControlActionSysExMessage& sysex = action.sysex;
  const bool sequence = action.kind == kActionSysEx && sysex.multi;
  std::vector<const ControlActionSysExMessage::Message*> templates;
  if (sequence) {
    if (v < 0 || static_cast<size_t>(v) >= sysex.multiMessages.size())
      return ControlActionFault::kNoMessageForValue;
    for (const auto& message : sysex.multiMessages[static_cast<size_t>(v)]) templates.push_back(&message);
  } else {
    if (v < 0 || static_cast<size_t>(v) >= sysex.messages.size())
      return ControlActionFault::kNoMessageForValue;
    templates.push_back(&sysex.messages[static_cast<size_t>(v)]);
  }
  if (templates.empty()) return ControlActionFault::kNoMessageForValue;

  // Every message is checked before any is handed on: all or nothing.
  std::vector<ControlActionMessage> built;
  for (const auto* message : templates) {
    ControlActionMessage out;
    out.isSysEx = true;
    if (!SysExBytes(*message, deviceId, &out.sysex)) return ControlActionFault::kBadSysExByte;
    if (action.kind == kActionSysEx && !sysex.multi) ApplyDoubleSevenFRule(&out.sysex);
    built.push_back(std::move(out));
  }
  messages->insert(messages->end(), built.begin(), built.end());
  *ccLineText = "SysEx";
  return ControlActionFault::kNone;
}

}  // namespace

int controlChangeChannel(int globalMidiChannel) {
  const int channel = globalMidiChannel > 0 ? globalMidiChannel - 1 : globalMidiChannel;
  return std::min(15, std::max(0, channel));
}

ControlActionFault buildControlActionMessages(const ControlAction& action, int paramIndex, double value,
                                              int globalMidiChannel, int deviceId,
                                              std::vector<ControlActionMessage>* messages,
                                              std::string* ccLineText) {
  const int v = TruncateToInt(value);
  const int channel = controlChangeChannel(globalMidiChannel);
  switch (action.kind) {
    case kActionCC: {
      if (!IsMidiDataByte(action.ccNumber)) return ControlActionFault::kBadController;
      // The tunes move in steps of two on the synthesizer.
      if (IsTune(paramIndex) && v % 2 != 0) return ControlActionFault::kNone;
      const int data = ClampData(TruncateToInt(value + CCDataOffset(paramIndex)));
      messages->push_back(ControlChangeMessage(action.ccNumber, data, channel));
      *ccLineText = "CC|" + std::to_string(action.ccNumber);
      return ControlActionFault::kNone;
    }
    case kActionCCSwitch: {
      if (!IsMidiDataByte(action.ccNumber)) return ControlActionFault::kBadController;
      const int data = ClampData(value == 0.0 ? action.offValue : action.onValue);
      messages->push_back(ControlChangeMessage(action.ccNumber, data, channel));
      *ccLineText = "CC|" + std::to_string(action.ccNumber);
      return ControlActionFault::kNone;
    }
    case kActionMsbLsb: {
      if (!IsMidiDataByte(action.ccNumber) || !IsMidiDataByte(action.msbValue) ||
          !IsMidiDataByte(action.lsbControl))
        return ControlActionFault::kBadController;
      const int64_t sum = static_cast<int64_t>(v) + action.valueOffset;
      const int data = static_cast<int>(std::min<int64_t>(127, std::max<int64_t>(0, sum)));
      messages->push_back(ControlChangeMessage(kNRPNMSBController, action.msbValue, channel));
      messages->push_back(ControlChangeMessage(kNRPNLSBController, action.lsbControl, channel));
      messages->push_back(ControlChangeMessage(action.ccNumber, data, channel));
      *ccLineText = "MSB/LSB";
      return ControlActionFault::kNone;
    }
    case kActionSysExSwitch:
    case kActionSysEx:
      return BuildSysEx(action, v, deviceId, messages, ccLineText);
    default:
      return ControlActionFault::kNone;
  }
}

ControlActionOutcome processControlActionChange(ControlAction* action, const ControlChange& change) {
  ControlActionOutcome outcome;
  if (!action) return outcome;
  const int v = TruncateToInt(change.value);
  if (action->lastValue.load() == static_cast<double>(v)) return outcome;

  // Over a copy: a control may bind further controls while it takes the value.
  const std::vector<IControl*> controls = action->controls;
  if (!change.midiOutputOpen) {
    // Nothing leaves, but every control showing the parameter still follows
    // it: two switches of one parameter (a panel's key and its close button)
    // would otherwise disagree, and the next click on one would change nothing.
    for (IControl* control : controls)
      if (control) control->SetValueFromPlug(change.normalizedValue);
    const int i = change.paramIndex;
    if (i == kDeviceOutSelection || i == kDeviceInSelection || i == kGlobalMidiChannel) {
      outcome.result = ControlActionResult::kPortChoice;
    } else {
      outcome.result = ControlActionResult::kNoOutput;
      outcome.statusText = "Set MIDI I/O First!";
    }
    return outcome;
  }
  if (!change.pluginReady) {
    outcome.result = ControlActionResult::kNotReady;
    return outcome;
  }

  outcome.result = ControlActionResult::kProcessed;
  action->lastValue.store(static_cast<double>(v));
  for (IControl* control : controls)
    if (control) control->SetValueFromPlug(change.normalizedValue);

  outcome.fault =
      buildControlActionMessages(*action, change.paramIndex, change.value, change.globalMidiChannel,
                                 change.deviceId, &outcome.messages, &outcome.ccLineText);
  const bool heldBack = change.applyingReceivedValue && change.localControl && !change.messageFromHost;
  outcome.send = !change.fromHardware && !heldBack && !outcome.messages.empty();
  return outcome;
}

const char* controlActionFaultText(ControlActionFault fault) {
  switch (fault) {
    case ControlActionFault::kNone:
      return "no fault";
    case ControlActionFault::kNoMessageForValue:
      return "no SysEx message for the value";
    case ControlActionFault::kBadController:
      return "controller or parameter number outside 0..127";
    case ControlActionFault::kBadSysExByte:
      return "SysEx data byte outside 0..127 or empty message";
  }
  return "unknown fault";
}
