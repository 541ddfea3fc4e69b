// Channel messages from the synthesizer and from the host: per-type filters,
// control changes to controls, program changes to the librarian or to a sound
// request, the activity indicator and the pass-through to the output.
#include <algorithm>

#include "KIT/IModule/IControl.h"
#include "KIT/winl/winl-time.h"
#include "src/EditorServices.h"
#include "src/MIDIMessageManager.h"
#include "src/PatchLibrarian.h"

namespace {

constexpr int kMaxProgram = 98;
// Pause of the librarian branch before it sends the selected patch.
constexpr int kLibrarianProgramPauseMs = 200;

// Controllers the synthesizer sends with a coding of their own.
constexpr int kArpClockController = 105;  // clock code: value - 1
constexpr int kSemitoneOffset = 16;       // semitone controllers: value - 16
constexpr int kSemitonesPerOctave = 12;
constexpr int kHighestOctaveSemitone = 96;

struct SemitoneController {
  int controller;
  int octaveIndicator;
};
constexpr SemitoneController kSemitoneControllers[] = {
    {32, kOscillator1OctaveIndicator},
    {36, kOscillator2OctaveIndicator},
    {42, kOscillator3OctaveIndicator},
};
// Controllers after which the main tab is refreshed.
constexpr int kMainTabControllers[] = {38, 41};

// The filter kind of a channel message other than control and program change.
bool filterKind(IMidiMsg::EStatusMsg status, EMidiFilterKind* kind) {
  switch (status) {
    case IMidiMsg::kNoteOn:
    case IMidiMsg::kNoteOff:
      *kind = kFilterNotes;
      return true;
    case IMidiMsg::kPolyAftertouch:
      *kind = kFilterPolyPressure;
      return true;
    case IMidiMsg::kChannelAftertouch:
      *kind = kFilterChannelPressure;
      return true;
    case IMidiMsg::kPitchWheel:
      *kind = kFilterPitchBend;
      return true;
    default:
      return false;
  }
}

}  // namespace

// ==== Both sources ===========================================================

void MIDIMessageManager::selectLibrarianProgram(int program) {
  plug->selectLibrarianViewRow(program);
  if (patchLibrarian) patchLibrarian->selectedUpperSlot = program;
}

void MIDIMessageManager::lightActivityIndicator(int channel) {
  if (!plug->flags.trackIncomingMidi || !plug->GetGUI() || plug->flags.indicatorLit) return;
  const IParam* midiChannel = plug->GetParam(kGlobalMidiChannel);
  const int setting = midiChannel ? static_cast<int>(midiChannel->Value()) : 0;
  if (channel != std::max(setting - 1, 0)) return;
  setParameterFromPlug(kMIDILed, 1.0);
  plug->flags.indicatorLit = 1;
  plug->flags.indicatorLitTicks = GetTickCount();
}

bool MIDIMessageManager::takeProgramChange(int program, bool filtered) {
  writeParameterValue(kCurrentPatch, program);
  const IParam* partLock = plug->GetParam(kPartLock);
  if (filtered || (partLock && partLock->Value() == 1.0)) return false;
  lastProgramChangeTime = GetTickCount();
  return true;
}

void MIDIMessageManager::sendLibrarianProgram(int program) {
  receiveBusy = true;
  selectLibrarianProgram(program);
  plug->pauseWithoutLock(kLibrarianProgramPauseMs);  // the host's MIDI comes under the plug's lock
  soundDumpExpected = true;
  libraryPatchRequest.requestActive = false;
  plug->sendPatchToDeviceFromLibrarian(program, plug->getLibrarianViewColumn());
}

void MIDIMessageManager::requestProgramSound(int program) {
  soundDumpExpected = true;
  libraryPatchRequest.requestActive = false;
  postPartRequest(program);  // dropped while the data thread is busy
  selectLibrarianProgram(program);
}

// ==== Both paths =============================================================

void MIDIMessageManager::ProcessMidiMsgFromDevice(IMidiMsg* msg) {
  if (!msg) return;
  processChannelMessage(*msg, false, 0);
}

void MIDIMessageManager::ProcessMidiMsgFromDAW(IMidiMsg* msg, int argument) {
  if (!msg || !plug->flags.midiOutputOpen) return;
  processChannelMessage(*msg, true, argument);
}

void MIDIMessageManager::processChannelMessage(IMidiMsg& msg, bool fromHost, int argument) {
  messageFromHost = fromHost;
  const auto& filter = fromHost ? plug->flags.hostFilter : plug->flags.deviceFilter;
  const IMidiMsg::EStatusMsg status = msg.StatusMsg();
  const int channel = msg.Channel();
  EMidiFilterKind kind;

  if (filterKind(status, &kind)) {
    if (filter[kind]) return;
  } else if (status == IMidiMsg::kControlChange) {
    if (filter[kFilterControlChange]) return;
    // The synthesizer's controls are filed under channel key 0 whatever its
    // channel; the host's under its MIDI channel (1 to 16).
    getLegacyCCparam(msg.ControlChangeIdx(), fromHost ? channel + 1 : 0, msg.mData2, false, !fromHost);
  } else if (status == IMidiMsg::kProgramChange) {
    const int program = std::min<int>(msg.mData1, kMaxProgram);
    if (!takeProgramChange(program, filter[kFilterProgramChange])) return;
    if (plug->flags.librarianMode) {
      sendLibrarianProgram(program);
    } else {
      if (fromHost) plug->SendProgramChangeCommand(program, argument);
      requestProgramSound(program);
    }
    if (!fromHost) return;  // a program change from the synthesizer is not passed on
  } else {
    return;  // not a channel message
  }

  lightActivityIndicator(channel);
  // Input from the synthesizer goes back out only while its local control is
  // off; host MIDI always goes on to the synthesizer.
  if (fromHost || !plug->flags.localControl) plug->MIDIOutRoutingSwitch(&msg);
}

// ==== Control changes ========================================================

void MIDIMessageManager::getLegacyCCparam(int controller, int channelKey, int value, bool refresh,
                                          bool fromDevice) {
  IControl* control = plug->getCCControls(0, controller, 0);
  if (!control) control = plug->getCCControls(channelKey, controller, 1);
  if (!control) control = plug->getCCControls(channelKey, controller, 2);
  if (!control) return;

  valueFromHardware = false;
  double applied = value;
  if (fromDevice) {
    valueFromHardware = true;
    if (control->ParamIdx() == kGlobalLocalControl) {
      plug->flags.localControl = value != 0;
    } else if (controller == kArpClockController) {
      applied = value - 1;
    }
    for (const SemitoneController& semitone : kSemitoneControllers) {
      if (controller != semitone.controller) continue;
      const int semitones = value - kSemitoneOffset;
      applied = semitones;
      const bool octave =
          semitones >= 0 && semitones <= kHighestOctaveSemitone && semitones % kSemitonesPerOctave == 0;
      const IParam* indicator = plug->GetParam(semitone.octaveIndicator);
      if (octave)
        setParameterFromPlug(semitone.octaveIndicator, 1.0);
      else if (indicator && indicator->Value() == 1.0)
        setParameterFromPlug(semitone.octaveIndicator, 0.0);
    }
    for (int mainTabController : kMainTabControllers)
      if (controller == mainTabController) refresh = true;
  }
  applyHardwareValue(control, applied);

  if (refresh) plug->OnParamChange(kMainTab);
  valueFromHardware = false;
}
