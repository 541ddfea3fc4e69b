// Incoming MIDI and SysEx from the synthesizer (the MIDI input's own thread,
// never the MIDI library's) and from the host (the host's threads): thin
// gates in front of the protocol's manager, which interprets what passes.
// The channel-message gate takes no lock; the SysEx gate holds the plug's
// lock while the manager handles the message (below). Also what the ports
// tell of their own accord: a server or a port gone, messages dropped.
#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IParam.h"
#include "KIT/mutex.h"
#include "src/ControlAction.h"
#include "src/MIDIMessageManager.h"
#include "src/VivivI.h"

void VivivI::ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) {
  if (!msg || !midiManager) return;
  if (flags.transferHold || midiManager->soundDumpExpected) return;
  // System messages (clock, start, stop and the rest) are not the editor's.
  if (msg->StatusMsg() == IMidiMsg::kNone) return;
  if (fromDevice)
    midiManager->ProcessMidiMsgFromDevice(msg);
  else
    midiManager->ProcessMidiMsgFromDAW(msg, 0);
}

void VivivI::ProcessSysEx(ISysEx* sysex, bool fromDevice) {
  if (!sysex || !sysex->mData || sysex->mSize < 1 || !midiManager) return;
  if (flags.transferHold) return;
  if (fromDevice ? flags.deviceFilter[kFilterSysEx] : flags.hostFilter[kFilterSysEx]) return;

  // The header is read only when the message has one.
  const uint8_t* bytes = sysex->mData;
  if (flags.trackIncomingMidi && sysex->mSize >= 3 && bytes[1] == 0x3E && bytes[2] == 0x0B)
    lightActivityIndicator();

  // The receive path is fed by the MIDI input thread and, with a librarian
  // request armed, by the editor itself (a paste, a rename, an import, a
  // job): one feed at a time, so that a request armed for the editor's own
  // messages never takes the synthesizer's, and the request's patch is never
  // changed by two threads. The plug's lock, because the path takes it
  // anyway for every parameter it writes (a second lock would invert the
  // order); a feeder holds it over arming, feeding and ending its request.
  KIT_MutexLock lock(GetMutex());
  midiManager->ProcessSysEx(sysex, fromDevice);

  if (miniMixerLayer) miniMixerLayer->setControlsDirty();
  // The next change of an automated parameter is sent again, whatever the
  // dump set it to.
  for (int i = 0; i < NAutomatedParams(); ++i) {
    const IParam* param = GetParam(i);
    if (ControlAction* action = param ? param->GetControlAction() : nullptr) action->resetLastValue();
  }
  if (midiManager->slotStored) flags.responseReceived = true;
}

// ==== Ports that go away, messages dropped ===================================

namespace {

std::string portText(bool input) { return input ? "MIDI In" : "MIDI Out"; }

}  // namespace

void VivivI::OnExternalMIDIPortEvent(EMidiPortEvent event, const std::string& detail) {
  switch (event) {
    case kMidiServerGone:
      log("MIDI: the MIDI server went away; choose the ports again once it runs");
      setStatusText("MIDI server stopped - reselect!");
      break;
    case kMidiInPortGone:
    case kMidiOutPortGone: {
      const bool input = event == kMidiInPortGone;
      log("MIDI: " + portText(input) + " port " + detail + " went away; it is closed");
      // Closed as the user's "OFF" would close it (the output's clock
      // stops, sends say "Set MIDI I/O First!"); choosing the port again
      // is then a change that opens it anew. The status line says why,
      // after the lines of the choice.
      const int selection = input ? kDeviceInSelection : kDeviceOutSelection;
      setParameterNoHandler(selection, 0);
      OnParamChange(selection);
      setStatusText(portText(input) + " port lost - reselect!");
      break;
    }
    case kMidiInDropped:
      log("MIDI: " + detail + " incoming messages dropped: they came faster than the editor could take them");
      setStatusText("MIDI In: " + detail + " messages dropped!");
      break;
    case kMidiOutDropped:
      log("MIDI: " + detail + " outgoing messages could not be sent");
      setStatusText("MIDI Out: " + detail + " messages lost!");
      break;
  }
}
