#include "src/MIDIMessageSender.h"

#include <algorithm>
#include <chrono>

#include "KIT/IModule/IModuleStructs.h"
#include "KIT/IModule/IParam.h"
#include "KIT/mutex.h"
#include "src/EditorServices.h"
#include "src/MIDIMessageManager.h"

MIDIMessageSender::MIDIMessageSender(MIDIMessageManager* manager, PatchManager* patchManager,
                                     EditorServices* plug)
    : manager(manager), patchManager(patchManager), plug(plug) {}

MIDIMessageSender::~MIDIMessageSender() = default;

void MIDIMessageSender::run() { runJob(job); }

void SenderThreadJob::run() {
  SenderJob current = job;
  for (;;) {
    if (sender) sender->runJob(current);
    if (!next || !next(&current)) return;
  }
}

std::string jobActionText(const SenderJob& job) {
  switch (job.jobCode) {
    case kJobSendArrangement:
      return job.storeToLibrarian ? "Store to the librarian" : "Sound send";
    case kJobSendLibrarianPatch:
      return "Patch send";
    case kJobStoreAllPatches:
      return "Bank store";
    case kJobActiveArrangementRequest:
      return "Sound request";
    case kJobPartRequest:
      return "Request of program " + std::to_string(job.partProgram + 1);
    case kJobSinglePatchRequest:
      return "Patch request";
    case kJobAllPatchRequest:
      return "Request of " + std::to_string(job.requestCount) + " patches";
    case kJobInitClassicPatch:
      return "Slot init";
    case kJobDeviceIdEnquiry:
      return "Connection check";
    default:
      return "";
  }
}

void MIDIMessageSender::runJob(const SenderJob& record) {
  if (shuttingDown) return;
  switch (record.jobCode) {
    case kJobSendArrangement:
      sendArrangementToDevice(record.storeToLibrarian);
      break;
    case kJobSendLibrarianPatch:
      sendPatchToDeviceFromLibrarian(record.librarianPatch);
      break;
    case kJobStoreAllPatches:
      storeAllPatchesToDeviceFromLibrarian(record.storeColumn);
      break;
    case kJobActiveArrangementRequest:
      sendActiveArrangementRequestSysex(record.requestEnabled);
      break;
    case kJobPartRequest:
      sendPartRequestSysex(record.requestEnabled, record.partProgram);
      break;
    case kJobSinglePatchRequest:
      sendSinglePatchRequestSysex(record.editBufferRequest);
      break;
    case kJobAllPatchRequest:
      sendAllPatchRequestSysex(record.requestCount);
      break;
    case kJobInitClassicPatch:
      initClassicPatch(record.initOnRequest);
      break;
    case kJobDeviceIdEnquiry:
      sendDeviceIdEnquiry();
      break;
    case kJobStartClock:
      startMIDIClockOutput();
      break;
    case kJobContinuousClock:
      sendContinuousMIDIClock(record.clockArgument);
      break;
    case kJobStopClock:
      stopMIDIClockOutput();
      break;
    default:
      break;  // 1 is called directly, 10 and unknown codes do nothing
  }
}

// ==== Time ===================================================================

void MIDIMessageSender::shutdown() {
  {
    std::lock_guard<std::mutex> lock(sleepMutex);
    shuttingDown = true;
  }
  cancelRequested = true;
  clockRunning = false;
  sleepWake.notify_all();
}

void MIDIMessageSender::setSleepFunction(SleepFunction function) { sleepFunction = std::move(function); }

void MIDIMessageSender::sleep(int milliseconds) {
  if (shuttingDown) return;
  if (sleepFunction) {
    sleepFunction(milliseconds);
    return;
  }
  std::unique_lock<std::mutex> lock(sleepMutex);
  sleepWake.wait_for(lock, std::chrono::milliseconds(std::max(milliseconds, 0)),
                     [this] { return shuttingDown.load(); });
}

// ==== Shared steps ===========================================================

// Parameters are shared with the host's threads and the MIDI input: the
// plug-in's lock guards each read and write, as for every change from a
// thread other than the GUI's. The lock is never held across a wait.
double MIDIMessageSender::parameter(int index) const {
  const IParam* param = plug->GetParam(index);
  if (!param) return 0.0;
  KIT_MutexLock lock(plug->GetMutex());
  return param->Value();
}

void MIDIMessageSender::setParameter(int index, double value) {
  IParam* param = plug->GetParam(index);
  if (!param) return;
  KIT_MutexLock lock(plug->GetMutex());
  param->Set(std::min(std::max(value, param->GetMin()), param->GetMax()));
}

int MIDIMessageSender::deviceIdForRequest() const {
  if (scannedDeviceId >= 0) return scannedDeviceId;
  const double value = parameter(kGlobalDeviceID);
  return value > 0.0 ? static_cast<int>(value) & 0x7F : 0;
}

bool MIDIMessageSender::sendRaw(const std::vector<unsigned char>& bytes) {
  if (!plug->flags.midiOutputOpen) {
    plug->setStatusText("Set MIDI I/O First!");
    return false;
  }
  if (bytes.empty()) return false;
  plug->SendMidiSysex2(bytes);
  return true;
}

void MIDIMessageSender::sendAllNotesOff() {
  IMidiMsg message;
  message.MakeControlChangeMsg(123, 0.0, 0);
  plug->SendMidiMsg(&message);
}
