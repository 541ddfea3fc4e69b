// MIDI output routing and the fixed message sequences the editor sends to the
// synthesizer: the start-up enquiry, all notes off, program and bank changes,
// the controller values a sound dump leaves out and the sound sent back after
// a program change. These run on their caller's thread (the host's main
// thread, the MIDI input thread or a worker) and take no lock; their pauses
// let go of the plug's lock when the caller holds it.
#include <algorithm>
#include <memory>
#include <mutex>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "KIT/mutex.h"
#include "KIT/winl/winl-time.h"
#include "src/ControlAction.h"
#include "src/LibrarianPatch.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/UIConfigManager.h"
#include "src/VivivI.h"
#include "src/debugger.h"

namespace {

constexpr const char* kSetMidiFirst = "Set MIDI I/O First!";

// Status nibbles and controllers of the messages built here.
constexpr int kControlChangeStatus = 0xB0;
constexpr int kProgramChangeStatus = 0xC0;
constexpr int kBankSelectMsb = 0;
constexpr int kBankSelectLsb = 32;
constexpr int kBankSelectLsbValue = 64;
// The highest program number a program change carries.
constexpr int kHighestProgram = 99;

// The sound parameters whose controller values a sound dump does not carry,
// in the order they are sent.
constexpr int kMissingCCParams[] = {kOscillator1Shape, kOscillator2Shape, kOscillator3Shape, kOscillator2Sync,
                                    kOscillator2Keytrack};

// The switches under which the editor's sound may differ from the one the
// synthesizer loads with a program: the section locks (but the pitch
// modulation's and the portamento's) and the tempo override.
constexpr int kSoundKeepingSwitches[] = {
    kSectionLockVP,     kSectionLockOsc1, kSectionLockOsc2, kSectionLockOsc3, kSectionLockMixer,
    kSectionLockFilter, kSectionLockAmp,  kSectionLockEg1,  kSectionLockEg2,  kSectionLockLFO1,
    kSectionLockLFO2,   kSectionLockArp,  kOverrideTempo};

int dataByte(int value) { return std::clamp(value, 0, 127); }

}  // namespace

// ==== Routing ================================================================

int VivivI::deviceChannel() const {
  const IParam* channel = GetParam(kGlobalMidiChannel);
  const int c = channel ? static_cast<int>(channel->Value()) : 0;
  return c > 0 ? std::min(c - 1, 15) : 0;
}

void VivivI::lightActivityIndicator() {
  IGraphics* gui = GetGUI();
  if (!gui) return;
  // Only the first of several threads that find it dark lights it.
  int dark = 0;
  if (!flags.indicatorLit.compare_exchange_strong(dark, 1)) return;
  flags.indicatorLitTicks = GetTickCount();
  gui->SetParameterFromPlug(kMIDILed, 1.0, false);
}

void VivivI::MIDIOutRoutingSwitch(IMidiMsg* msg) {
  if (!msg) return;
  if (flags.routeMidiThroughAudioThread) {
    if (!midiQueue.Add(*msg)) log("PROCESSOR: MIDI queue full, message dropped");
  } else {
    sendMidiMsgAndLog(msg);
  }
}

void VivivI::sendMidiMsgAndLog(IMidiMsg* msg) {
  if (!msg) return;
  if (!flags.midiOutputOpen) {
    setDisplayText(kControlDisplayName, kSetMidiFirst);
    return;
  }
  if (!flags.trackIncomingMidi && msg->Channel() == deviceChannel()) lightActivityIndicator();
  SendMidiMsg(msg);
  IMidiMsg copy = *msg;
  copy.LogMsg();
}

void VivivI::checksumCheckAndSend(unsigned char* bytes, int count) {
  if (!bytes || count < 1) return;
  if (!flags.midiOutputOpen) {
    setDisplayText(kControlDisplayName, kSetMidiFirst);
    return;
  }
  if (count >= 71) {
    // The sum runs from the command byte (behind the device ID) to the byte
    // before the checksum.
    const bool framed = bytes[0] == 0xF0;
    const int first = framed ? 4 : 3;
    const int checksumAt = framed ? count - 2 : count - 1;
    unsigned sum = 0;
    for (int i = first; i < checksumAt; ++i) sum += bytes[i];
    bytes[checksumAt] = static_cast<unsigned char>(sum & 0x7F);
  }
  if (!flags.trackIncomingMidi && count >= 3 && bytes[1] == 0x3E && bytes[2] == 0x0B)
    lightActivityIndicator();
  SendMidiSysex(bytes, count);
  DebuggerOutput::logSysExOutMessageByte(bytes, count);
}

// ==== Device messages ========================================================

void VivivI::sendSysExInitialization() {
  flags.globalAnswerExpected = true;
  // A newly chosen output may lead to another Varno: its global settings
  // are known again once it answers the enquiry.
  flags.knownGlobalSettings = 0;
  if (!flags.midiOutputOpen || flags.transferHold) return;
  if (midiManager) {
    SenderJob job;
    job.jobCode = kJobDeviceIdEnquiry;
    midiManager->postJob(job);  // clears the answer flag; dropped when the thread is busy
  }
  pauseWithoutLock(100);
}

void VivivI::AllSoundsOff() {
  if (!flags.midiOutputOpen) return;
  IMidiMsg msg(0, static_cast<uint8_t>(kControlChangeStatus | deviceChannel()), IMidiMsg::kAllNotesOff, 0);
  MIDIOutRoutingSwitch(&msg);
}

int VivivI::programByte(int program) { return std::clamp(program, 0, kHighestProgram); }

void VivivI::SendProgramChangeCommand(int program, int) {
  if (!flags.midiOutputOpen) return;
  IMidiMsg msg(0, static_cast<uint8_t>(kProgramChangeStatus | deviceChannel()),
               static_cast<uint8_t>(programByte(program)), 0);
  sendMidiMsgAndLog(&msg);
  pauseWithoutLock(getTimerValue());
}

bool VivivI::BankChangeMessage() {
  const IParam* patch = GetParam(kCurrentPatch);
  currentProgram = patch ? static_cast<int>(patch->Value()) : 0;
  partBank[0] = 0;
  partProgram[0] = currentProgram;
  const bool open = flags.midiOutputOpen;
  const uint8_t cc = static_cast<uint8_t>(kControlChangeStatus | deviceChannel());
  if (open) {
    IMidiMsg allOff(0, cc, IMidiMsg::kAllNotesOff, 0);
    MIDIOutRoutingSwitch(&allOff);
  }
  // Without an output each of these shows why nothing went out; the pauses
  // keep the same pace either way.
  IMidiMsg bankMsb(0, cc, kBankSelectMsb, 0);
  sendMidiMsgAndLog(&bankMsb);
  pauseWithoutLock(25);
  IMidiMsg bankLsb(0, cc, kBankSelectLsb, kBankSelectLsbValue);
  sendMidiMsgAndLog(&bankLsb);
  pauseWithoutLock(25);
  IMidiMsg program(0, static_cast<uint8_t>(kProgramChangeStatus | deviceChannel()),
                   static_cast<uint8_t>(programByte(currentProgram)), 0);
  sendMidiMsgAndLog(&program);
  pauseWithoutLock(50);
  return open;
}

void VivivI::sendMissingCCValues() {
  for (int index : kMissingCCParams) {
    const IParam* param = GetParam(index);
    const ControlAction* action = param ? param->GetControlAction() : nullptr;
    // A parameter without a mapped controller has nothing to send.
    if (action && action->ccNumber >= 0 && action->ccNumber <= 127 && flags.midiOutputOpen) {
      // A sound job may be writing the parameters from its dump meanwhile:
      // they are read under the plug's lock (never held over the pause).
      int value = 0;
      {
        KIT_MutexLock lock(GetMutex());
        value = static_cast<int>(param->Value());
      }
      IMidiMsg msg(0, static_cast<uint8_t>(kControlChangeStatus | deviceChannel()),
                   static_cast<uint8_t>(action->ccNumber), static_cast<uint8_t>(dataByte(value)));
      MIDIOutRoutingSwitch(&msg);
    }
    pauseWithoutLock(25);
  }
  OnParamChange(kMainTab);
}

void VivivI::sendPartDataBackToHardware(int) {
  if (flags.midiOutputOpen && !flags.transferHold) pauseWithoutLock(100);
  const bool differs =
      std::any_of(std::begin(kSoundKeepingSwitches), std::end(kSoundKeepingSwitches), [this](int index) {
        const IParam* param = GetParam(index);
        return param && param->Value() == 1.0;
      });
  if (!differs || !midiManager) return;
  SenderJob job;
  job.jobCode = kJobSendArrangement;
  job.storeToLibrarian = false;
  midiManager->postJob(job);  // dropped when the data thread is busy
}

void VivivI::sendPatchAndPatternToDevice(int, bool, bool b, bool, bool) {
  flags.sendGlobalsWithSound = b;
  flags.transferHold = false;
}

void VivivI::sendPatchToDeviceFromLibrarian(int slot, int column) {
  const PatchList* bank = librarianBankOfColumn(column);
  if (!bank) return;
  // Slots past a short bank count as empty.
  if (slot < 0 || slot >= PatchFile::kSlots || slot >= static_cast<int>(bank->size())) return;
  const LibrarianPatch& patch = (*bank)[static_cast<size_t>(slot)];
  if (patch.messages.empty()) return;

  setLibrarianViewCurrentRow(slot);
  if (IParam* current = GetParam(kCurrentPatch))
    current->Set(std::clamp(static_cast<double>(slot), current->GetMin(), current->GetMax()));
  if (!flags.midiOutputOpen) return;

  if (midiManager) {
    // The job reads the patch after its own pause: it gets a copy that stays
    // until the next send replaces it, which cannot happen while it runs.
    std::lock_guard<std::mutex> lock(librarianSendMutex);
    SenderJob job;
    job.jobCode = kJobSendLibrarianPatch;
    if (!midiManager->dataThread.isRunning()) {
      librarianSendPatch = std::make_shared<const LibrarianPatch>(patch);
      job.librarianPatch = librarianSendPatch.get();
      midiManager->postJob(job);
    } else {
      midiManager->reportBusy(job);  // the copy a running send reads cannot wait for another
    }
  }
  pauseWithoutLock(500);
  sendMissingCCValues();
}

// ==== Timing and tempo =======================================================

int VivivI::getTimerValue() {
  const IParam* timer = GetParam(kLibSyncTimer);
  switch (timer ? static_cast<int>(timer->Value()) : -1) {
    case 0:
      return 200;
    case 1:
      return 300;
    case 2:
      return 400;
    case 3:
      return 500;
    default:
      return 100;
  }
}

void VivivI::pauseWithoutLock(int milliseconds) {
  KIT_Mutex* lock = GetMutex();
  const int depth = lock->GetDepth();  // -1: not held by this thread
  for (int i = 0; i <= depth; ++i) lock->Leave();
  Sleep(milliseconds);
  for (int i = 0; i <= depth; ++i) lock->Enter();
}

int VivivI::getTempoValue() { return flags.hostTempo; }

std::string VivivI::getTempoValueText(int index) {
  if (!uiConfig || index < 0) return {};
  // Looked up without adding: the clock thread reads it while the main
  // thread may read other lists.
  const auto list = uiConfig->valueLists.find("tempoValues");
  if (list == uiConfig->valueLists.end() || index >= static_cast<int>(list->second.size())) return {};
  return list->second[static_cast<size_t>(index)];
}
