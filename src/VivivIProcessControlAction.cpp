#include <string>
#include <vector>

#include "KIT/IModule/IParam.h"
#include "KIT/IModule/Truncate.h"
#include "src/ControlActionSend.h"
#include "src/MIDIMessageManager.h"
#include "src/VivivI.h"

// The send contract (ControlActionSend.h) decides what a change becomes; this
// hands it what the plug-in knows and carries out the outcome: the status
// and CC lines, then each message to the MIDI output or the SysEx sender.
void VivivI::processControlAction(ControlAction* action, int index, double value) {
  IParam* param = GetParam(index);
  if (!action || !param) return;

  ControlChange change;
  change.paramIndex = index;
  change.value = value;
  change.normalizedValue = param->GetNormalized();
  change.midiOutputOpen = flags.midiOutputOpen;
  change.pluginReady = flags.pluginReady;
  change.fromHardware = flags.changeFromHardware;
  if (IParam* channel = GetParam(kGlobalMidiChannel))
    change.globalMidiChannel = TruncateToInt(channel->Value());
  change.deviceId = flags.deviceId;
  change.localControl = flags.localControl;
  if (midiManager) {
    change.applyingReceivedValue = midiManager->valueFromHardware;
    change.messageFromHost = midiManager->messageFromHost;
  }

  const ControlActionOutcome outcome = processControlActionChange(action, change);
  if (outcome.statusText) setDisplayText(kControlDisplayName, outcome.statusText);
  if (outcome.result != ControlActionResult::kProcessed) return;
  if (outcome.fault != ControlActionFault::kNone)
    log("PROCESSOR: parameter " + std::to_string(index) + " value " + std::to_string(TruncateToInt(value)) +
        " sends nothing: " + controlActionFaultText(outcome.fault));
  if (!outcome.ccLineText.empty()) setDisplayText(kControlDisplayCC, outcome.ccLineText);
  if (!outcome.send) return;

  for (const ControlActionMessage& message : outcome.messages) {
    if (message.isSysEx) {
      if (midiManager)
        midiManager->sendSysexMessage(std::vector<int>(message.sysex.begin(), message.sysex.end()));
    } else {
      IMidiMsg controlChange = message.controlChange;
      MIDIOutRoutingSwitch(&controlChange);
    }
  }
}
