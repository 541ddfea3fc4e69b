// The MIDI mapping record of one parameter: which message a change of the
// parameter becomes, which controls show it, and the keys under which an
// incoming message of the synthesizer finds the control again. The record
// belongs to the parameter (IParam::GetControlAction), not to a control:
// every control of one parameter shares it. The control factories create
// and fill it while the window is built; the editor core reads it on every
// change (the send contract: ControlActionSend.h).
//
// Contents, in reading order:
//   KINDS                     the mapping kinds and the message each builds
//   LinkInfo                  the link to a partner parameter
//   ControlActionSysExMessage the SysEx messages per value
//   ControlAction             the record
//   BINDING                   attaching a control to its parameter's record
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

class ControlLayer;
class IControl;
class IModuleBase;
class IParam;

// ==== KINDS ==================================================================
// The message built for an integer value v (ControlActionSend.h has the
// details). Any other kind, 4 included, builds no message.
enum EControlActionKind {
  kActionNone = 0,         // plain switches, radios, plain menus, displays: none
  kActionCC = 1,           // one control change: ccNumber, data v
  kActionCCSwitch = 2,     // one control change: ccNumber, offValue for 0, else onValue
  kActionMsbLsb = 3,       // controller 99 msbValue, 98 lsbControl, ccNumber v + valueOffset
  kActionSysExSwitch = 5,  // entry v of the SysEx messages
  kActionSysEx = 6,        // entry v of the messages, or of the message sequences when multi;
                           // also the kind of a record created for a link partner
};

// ==== LinkInfo ===============================================================
// A link to a partner parameter; -1 everywhere when there is none.
struct LinkInfo {
  int32_t partnerParam = -1;  // index of the linked partner parameter
  int32_t secondParam = -1;   // index of a second named parameter
  int32_t linkValue = -1;     // an optional number

  LinkInfo() = default;
  LinkInfo(int32_t partner, int32_t second, int32_t value)
      : partnerParam(partner), secondParam(second), linkValue(value) {}
  bool operator==(const LinkInfo& o) const {
    return partnerParam == o.partnerParam && secondParam == o.secondParam && linkValue == o.linkValue;
  }
};

// ==== ControlActionSysExMessage ==============================================
// The SysEx messages of the SysEx kinds, precomputed per integer value while
// the window is built (ControlActionSysEx.h expands a template into them), so
// that sending needs no text work. One int32 per byte, as the template gives
// it: the bytes between the frame, byte 2 the place of the device ID. Copies
// are deep.
struct ControlActionSysExMessage {
  using Message = std::vector<int32_t>;

  bool multi = false;                               // true: a sequence of messages per value
  std::vector<Message> messages;                    // entry k: the message for the value k
  std::vector<std::vector<Message>> multiMessages;  // entry k: the messages for k, in order
};

// ==== ControlAction ==========================================================
// A plain record. lastValue is the one field written after start-up: the
// change handlers write it on the GUI thread and the MIDI input thread, and
// the SysEx receiver sets it back to -1 after a dump, so it is atomic.
class ControlAction {
 public:
  // Every field at its starting value, the kind as given.
  explicit ControlAction(int32_t kind = kActionNone) : kind(kind) {}
  ControlAction(const ControlAction&) = delete;
  ControlAction& operator=(const ControlAction&) = delete;

  // The next change is processed even when its integer value did not change
  // (the editor core calls it after an incoming dump).
  void resetLastValue() { lastValue.store(-1.0); }

  // The last integer value for which a message was processed; -1 at first.
  std::atomic<double> lastValue{-1.0};
  // The timbre of the control: the enclosing multilayer's instance, or the
  // description's channel minus 1 outside one. Not read by the send contract.
  int32_t timbreIndex = -1;
  int32_t kind;
  int32_t ccNumber = -1;     // controller of the CC kinds; data-entry controller of MSB/LSB
  int32_t msbValue = -1;     // sent with controller 99 (MSB/LSB)
  int32_t valueOffset = -1;  // added to the value sent with ccNumber (MSB/LSB)
  int32_t lsbControl = -1;   // sent with controller 98 (MSB/LSB)
  int32_t channel = -1;      // channel key of the incoming lookups
  int32_t mixerLayer = -1;   // 1 inside a mixer layer, else 0: innermost lookup key
  // Every control that shows the parameter, in the order they were made (the
  // first is the one the editor core addresses); owned by the GUI.
  std::vector<IControl*> controls;
  LinkInfo link;
  ControlActionSysExMessage sysex;
  int32_t offValue = -1;  // data value sent for 0 (CC switch)
  int32_t onValue = -1;   // data value sent for any other value (CC switch)
  // A layer whose sub-layers the parameter's value switches (the one whose
  // id equals the value is shown), or null; owned by the GUI.
  ControlLayer* layerGroup = nullptr;
};

// ==== BINDING ================================================================

// Binds control to param's record: a parameter without one gets a new
// record of the kind; one that has a record keeps its fields and takes the
// kind (the last factory to touch a record sets its kind). The control is
// appended to the record's controls. Returns the record; null (nothing
// changed) for a null param.
ControlAction* bindControlAction(IParam* param, IControl* control, int32_t kind);

// Deletes every parameter's record and clears the parameters' pointers; the
// editor's teardown calls it once the GUI is gone.
void releaseControlActions(IModuleBase* plug);
