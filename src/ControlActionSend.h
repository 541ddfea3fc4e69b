// The send contract of a ControlAction: what a change of a mapped parameter
// becomes. The editor core's change handlers (the user's road and the
// synthesizer's road) hand the change and the state they know to
// processControlActionChange, then carry out the outcome: write the status
// and CC lines, and, when the outcome says send, hand each control change
// to the MIDI output routing and each SysEx message to the SysEx sender.
//
// The rules, in order:
//   1. v = the value truncated toward zero; a v equal to lastValue does nothing.
//   2. No MIDI output open: the bound controls follow the value (so that the
//      controls of one parameter never disagree), the port choices and the
//      MIDI channel do nothing more, every other parameter shows "Set MIDI
//      I/O First!"; lastValue stays.
//   3. Start-up not finished: nothing; lastValue stays.
//   4. lastValue = v; every bound control takes the normalised value.
//   5. The message of the record's kind is built (buildControlActionMessages).
//   6. It is sent unless the value came from the synthesizer (no echo) or the
//      echo rule holds it back (see ControlChange).
//
// Every byte that leaves is a valid MIDI byte: control-change data is
// limited to 0..127, a controller or parameter number outside 0..127 and a
// SysEx data byte of 0x80 or more send nothing, and a value without a
// message in the record's lists sends nothing.
//
// Contents: ControlChange, ControlActionMessage, ControlActionOutcome,
// the builders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KIT/IModule/IModuleStructs.h"
#include "src/ControlAction.h"

// ==== ControlChange ==========================================================
// What the editor core knows when a parameter's value changes.
struct ControlChange {
  int paramIndex = -1;
  double value = 0.0;            // the parameter's real value, not normalised
  double normalizedValue = 0.0;  // its 0..1 position, handed to every bound control
  bool midiOutputOpen = false;
  bool pluginReady = false;
  bool fromHardware = false;  // the value came from the synthesizer: nothing goes back
  int globalMidiChannel = 0;  // the value of kGlobalMidiChannel (0 and 1 both mean channel 1)
  int deviceId = -1;          // the synthesizer's device ID; negative while unknown
  // The echo rule: while the protocol applies a value received from the
  // synthesizer with local control on, a message that did not come from the
  // host is held back.
  bool applyingReceivedValue = false;
  bool localControl = false;
  bool messageFromHost = false;
};

// ==== ControlActionMessage ===================================================
// One message, in sending order: a control change, or a SysEx message
// without its frame (the SysEx sender adds F0 and F7).
struct ControlActionMessage {
  bool isSysEx = false;
  IMidiMsg controlChange;
  std::vector<uint8_t> sysex;
};

// ==== ControlActionOutcome ===================================================

enum class ControlActionResult {
  kSameValue,   // rule 1: the integer value did not change
  kPortChoice,  // rule 2 for the port choices and the MIDI channel: silent
  kNoOutput,    // rule 2: statusText says "Set MIDI I/O First!"
  kNotReady,    // rule 3
  kProcessed,   // rules 4 to 6 ran; messages may still be empty
};

// Why a processed change built nothing (the editor core logs it).
enum class ControlActionFault {
  kNone,
  kNoMessageForValue,  // a SysEx kind without an entry for v (a link partner without templates)
  kBadController,      // a controller, MSB or LSB number outside 0..127
  kBadSysExByte,       // a SysEx byte outside 0..127 between the frame, or an empty message
};

struct ControlActionOutcome {
  ControlActionResult result = ControlActionResult::kSameValue;
  ControlActionFault fault = ControlActionFault::kNone;
  const char* statusText = nullptr;  // for the status line, or null to leave it
  std::string ccLineText;            // "CC|74", "MSB/LSB", "SysEx"; empty: leave the CC line
  std::vector<ControlActionMessage> messages;
  bool send = false;  // false: built and shown, but not sent
};

// ==== Builders ===============================================================

// Rules 1 to 6 for one change. Writes lastValue and moves the bound
// controls; sends nothing itself. A null action gives kSameValue.
ControlActionOutcome processControlActionChange(ControlAction* action, const ControlChange& change);

// Rule 5 alone: the messages of the record's kind for the real value
// (truncated toward zero for the lists and the CC switch test; the CC kind
// adds its offset first). Control changes go out on
// controlChangeChannel(globalMidiChannel); deviceId (0..127) goes into byte
// 2 of SysEx messages. ccLineText receives the CC line's text, or nothing
// when nothing is built. Appends to messages.
//   CC:         data v + 16 for the three semitones, + 1 for the arpeggiator
//               clock; the three tunes send even values only (odd: nothing)
//   CC switch:  offValue for the value 0.0, else onValue
//   MSB/LSB:    99 msbValue, 98 lsbControl, ccNumber v + valueOffset
//   SysEx:      entry v; a non-multi SysEx value whose bytes 3..6 read
//               41, 43 or 53, 0 or 1, 10 has bytes 6 and 7 set to 7F
ControlActionFault buildControlActionMessages(const ControlAction& action, int paramIndex, double value,
                                              int globalMidiChannel, int deviceId,
                                              std::vector<ControlActionMessage>* messages,
                                              std::string* ccLineText);

// The 0-based channel of every control change: the setting minus 1 above 0
// (so 0 and 1 both give channel 0), limited to 0..15.
int controlChangeChannel(int globalMidiChannel);

// A short English text of a fault, for the log.
const char* controlActionFaultText(ControlActionFault fault);
