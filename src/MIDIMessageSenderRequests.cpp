// Requests and the answer handshake: a short request, then sleeps of the
// editor's wait time W with a poll of the plug-in's answer flag after each;
// after the 15th unanswered sleep every device ID is tried once; after the
// 21st the request has timed out. An answer or a cancel is seen at most one
// sleep late.
#include <string>
#include <vector>

#include "KIT/IModule/IParam.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/MIDIMessageSysEx.h"
#include "src/PatchLibrarian.h"
#include "src/VivivI.h"

namespace {

constexpr int kScanAfterSleeps = 15;  // the scan follows the 15th unanswered sleep
constexpr int kLastWait = 20;         // the 21st unanswered sleep ends the wait
constexpr int kHighestDeviceId = 126;

constexpr unsigned char kCurrentSoundRequest = VarnoSysEx::kCommandCurrentSoundRequest;
constexpr unsigned char kProgramRequest = VarnoSysEx::kCommandProgramRequest;

std::vector<unsigned char> soundRequest(int id, unsigned char command, int program) {
  return command == kCurrentSoundRequest ? VarnoSysEx::buildCurrentSoundRequest(id, program)
                                         : VarnoSysEx::buildProgramRequest(id, program);
}

}  // namespace

void MIDIMessageSender::sendRequest(std::vector<unsigned char> request) {
  plug->checksumCheckAndSend(request.data(), static_cast<int>(request.size()));
}

void MIDIMessageSender::adoptScannedDeviceId(int id) {
  scannedDeviceId = id;
  const IParam* param = plug->GetParam(kGlobalDeviceID);
  if (param && id >= param->GetMin() && id <= param->GetMax()) setParameter(kGlobalDeviceID, id);
}

MIDIMessageSender::WaitEnd MIDIMessageSender::waitForAnswer(int wait, int scanSleep,
                                                            const std::function<void(int)>& request,
                                                            int* foundId) {
  if (foundId) *foundId = -1;
  for (int i = 0;; ++i) {
    sleep(wait);
    if (cancelRequested) {
      timedOut = true;
      return WaitEnd::Cancelled;
    }
    if (i + 1 == kScanAfterSleeps) {
      for (int id = 0; id <= kHighestDeviceId; ++id) {
        request(id);
        plug->setStatusText("Please wait, checking DeviceID " + std::to_string(id + 1));
        sleep(scanSleep);
        if (plug->responseReceived) {
          // The rest of the job uses the ID the answer carries: a late answer
          // to an earlier ID arrives while a later one is being asked.
          const int answered = manager->answerDeviceId.load();
          const int found = answered >= 0 ? answered : id;
          if (foundId) *foundId = found;
          adoptScannedDeviceId(found);
          break;
        }
        if (cancelRequested) break;
      }
    }
    if (i >= kLastWait) {
      plug->setStatusText("CONNECTION TIMED OUT!");
      timedOut = true;
      return WaitEnd::TimedOut;
    }
    if (plug->responseReceived) return WaitEnd::Answered;
  }
}

void MIDIMessageSender::sendActiveArrangementRequestSysex(bool requestEnabled) {
  const int wait = plug->getTimerValue();
  // The current sound: the scan and the closing pause take half a wait.
  requestForEditor(requestEnabled, kCurrentSoundRequest, static_cast<int>(parameter(kCurrentPatch)), wait,
                   wait / 2);
}

void MIDIMessageSender::sendPartRequestSysex(bool requestEnabled, int program) {
  const int wait = plug->getTimerValue();
  requestForEditor(requestEnabled, kProgramRequest, program, wait, wait);
}

void MIDIMessageSender::requestForEditor(bool requestEnabled, unsigned char command, int program, int wait,
                                         int shortWait) {
  plug->DisplayProcessingIndicator(true);
  timedOut = false;
  cancelRequested = false;
  scannedDeviceId = -1;
  if (requestEnabled) {
    plug->SetLibrarianRequestActive(false);
    manager->refreshMainTab = true;
    auto request = [&](int id) { sendRequest(soundRequest(id, command, program)); };
    request(deviceIdForRequest());
    waitForAnswer(wait, shortWait, request, nullptr);
  }
  plug->DisplayProcessingIndicator(true);
  sleep(shortWait);
  if (cancelRequested) {
    plug->setStatusText("Data request CANCELLED!");
  } else if (!timedOut) {
    plug->setStatusText("Data request completed!");
    if (!requestEnabled) plug->SetLibrarianStatusUnsaved(true);
  }
  plug->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::endLibrarianRequest() {
  if (cancelRequested) {
    plug->setStatusText("Data request CANCELLED!");
    setParameter(kDiscardBankData, 1.0);
    plug->OnParamChange(kDiscardBankData);
  } else if (!timedOut) {
    plug->setStatusText("Data request completed!");
    plug->SetLibrarianStatusUnsaved(true);
  }
  plug->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::sendSinglePatchRequestSysex(bool editBuffer) {
  PatchLibrarian* librarian = manager->patchLibrarian;
  plug->DisplayProcessingIndicator(true);
  cancelRequested = false;
  scannedDeviceId = -1;
  const int program = librarian ? librarian->selectedUpperSlot.load() : 0;
  timedOut = false;
  const int wait = plug->getTimerValue();
  manager->refreshMainTab = true;
  plug->SetLibrarianRequestActive(true);
  const unsigned char command = editBuffer ? kCurrentSoundRequest : kProgramRequest;
  auto request = [&](int id) { sendRequest(soundRequest(id, command, program)); };
  request(deviceIdForRequest());
  waitForAnswer(wait, wait, request, nullptr);
  sleep(wait);
  endLibrarianRequest();
}

void MIDIMessageSender::sendAllPatchRequestSysex(int count) {
  PatchLibrarian* librarian = manager->patchLibrarian;
  plug->DisplayProcessingIndicator(true);
  cancelRequested = false;
  scannedDeviceId = -1;
  if (librarian) librarian->selectedUpperSlot = 0;
  timedOut = false;
  const int wait = plug->getTimerValue();
  manager->refreshMainTab = true;
  for (int program = 0; program < count && !cancelRequested; ++program) {
    plug->SetLibrarianRequestActive(true);
    auto request = [&](int id) { sendRequest(soundRequest(id, kProgramRequest, program)); };
    request(deviceIdForRequest());
    // A time-out moves on to the next program; the slot advances either way.
    waitForAnswer(wait, wait, request, nullptr);
    if (librarian) ++librarian->selectedUpperSlot;
  }
  sleep(wait);
  if (librarian) librarian->selectedUpperSlot = 0;
  endLibrarianRequest();
}

void MIDIMessageSender::sendDeviceIdEnquiry() {
  plug->DisplayProcessingIndicator(true);
  cancelRequested = false;
  scannedDeviceId = -1;
  plug->SetLibrarianRequestActive(false);
  plug->setStatusText("Connecting to Hardware");
  timedOut = false;
  const int wait = plug->getTimerValue();
  auto enquiry = [&](int id) { sendRequest(VarnoSysEx::buildEnquiry(id)); };
  enquiry(deviceIdForRequest());
  sleep(2 * wait);
  for (int i = 0;; ++i) {
    sleep(wait);
    plug->setStatusText("Processing, please wait...");
    if (i + 1 == kScanAfterSleeps) {
      for (int id = 0; id <= kHighestDeviceId; ++id) {
        enquiry(id);
        sleep(wait);
        if (plug->responseReceived || cancelRequested) break;
      }
    }
    if (cancelRequested) break;
    if (i >= kLastWait) {
      plug->setStatusText("No response from Hardware");
      timedOut = true;
      break;
    }
    if (plug->responseReceived) break;
  }
  sleep(wait);
  if (!timedOut) plug->setStatusText("Plug-in is ready to go!");
  plug->DisplayProcessingIndicator(false);
}
