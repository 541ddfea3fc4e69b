// Requests and the answer handshake: a short request, then sleeps of the
// editor's wait time W with a poll of the plug-in's answer flag after each;
// after the 15th unanswered sleep every device ID is tried once; after the
// 21st the request has timed out. An answer or a cancel is seen at most one
// sleep late.
#include <string>
#include <vector>

#include "KIT/IModule/IParam.h"
#include "src/EditorServices.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/MIDIMessageSysEx.h"
#include "src/PatchLibrarian.h"

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
        if (plug->flags.responseReceived) {
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
      plug->setDisplayText(kControlDisplayValue, "No answer - check MIDI In/Out");
      timedOut = true;
      return WaitEnd::TimedOut;
    }
    if (plug->flags.responseReceived) return WaitEnd::Answered;
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
  bool answered = false;
  const std::string received = command == kCurrentSoundRequest
                                   ? std::string("Sound received from the Varno")
                                   : "Program " + std::to_string(program + 1) + " received";
  showRequestLines(command == kCurrentSoundRequest
                       ? "Asking the Varno for its sound..."
                       : "Asking for program " + std::to_string(program + 1) + "...");
  timedOut = false;
  cancelRequested = false;
  scannedDeviceId = -1;
  if (requestEnabled) {
    plug->SetLibrarianRequestActive(false);
    manager->refreshMainTab = true;
    auto request = [&](int id) { sendRequest(soundRequest(id, command, program)); };
    request(deviceIdForRequest());
    answered = waitForAnswer(wait, shortWait, request, nullptr) == WaitEnd::Answered;
  }
  // With the answer in, the window takes clicks again during the closing
  // pause: a click then waits for this job (postOrWait) instead of landing
  // on the overlay.
  plug->DisplayProcessingIndicator(!answered);
  sleep(shortWait);
  if (cancelRequested) {
    plug->setStatusText("Data request CANCELLED!");
    plug->setDisplayText(kControlDisplayValue, "");
  } else if (!timedOut) {
    plug->setStatusText("Data request completed!");
    plug->setDisplayText(kControlDisplayValue, requestEnabled ? received : "");
    if (!requestEnabled) plug->SetLibrarianStatusUnsaved(true);
  }
  plug->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::showRequestLines(const std::string& value) {
  plug->setDisplayText(kControlDisplayValue, value);
  plug->setDisplayText(kControlDisplayCC, "");
}

bool MIDIMessageSender::refuseWithoutEditedBank() {
  const PatchLibrarian* librarian = manager->patchLibrarian;
  const int bank = librarian ? librarian->upperBankIndex : -1;
  if (librarian && bank >= 0 && static_cast<size_t>(bank) < librarian->fileBanks.size() &&
      librarian->fileBanks[static_cast<size_t>(bank)])
    return false;
  plug->setStatusText("No bank to receive into!");
  plug->setDisplayText(kControlDisplayValue, "Choose an edited bank first");
  plug->setDisplayText(kControlDisplayCC, "");
  plug->SetLibrarianRequestActive(false);
  plug->DisplayProcessingIndicator(false);
  return true;
}

void MIDIMessageSender::endLibrarianRequest(int received, int requested) {
  const std::string count =
      requested == 1 ? std::string(received == 1 ? "Patch received" : "No patch received")
                     : std::to_string(received) + " of " + std::to_string(requested) + " patches received";
  if (cancelRequested) {
    plug->setStatusText("Data request CANCELLED!");
    plug->setDisplayText(kControlDisplayValue, "");
    setParameter(kDiscardBankData, 1.0);
    plug->OnParamChange(kDiscardBankData);
  } else if (!timedOut) {
    plug->setStatusText("Data request completed!");
    plug->setDisplayText(kControlDisplayValue, count);
    plug->SetLibrarianStatusUnsaved(true);
  } else {
    plug->setStatusText("CONNECTION TIMED OUT!");
    plug->setDisplayText(kControlDisplayValue, count);
    // What did arrive is in the edited bank: it is marked unsaved, so that
    // it is saved or discarded, never dropped without a word.
    if (received > 0) plug->SetLibrarianStatusUnsaved(true);
  }
  plug->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::sendSinglePatchRequestSysex(bool editBuffer) {
  PatchLibrarian* librarian = manager->patchLibrarian;
  if (refuseWithoutEditedBank()) return;
  plug->DisplayProcessingIndicator(true);
  cancelRequested = false;
  scannedDeviceId = -1;
  const int program = librarian ? librarian->selectedUpperSlot.load() : 0;
  timedOut = false;
  const int wait = plug->getTimerValue();
  manager->refreshMainTab = true;
  plug->SetLibrarianRequestActive(true);
  const unsigned char command = editBuffer ? kCurrentSoundRequest : kProgramRequest;
  showRequestLines("Asking for slot " + std::to_string(program + 1) + "'s patch...");
  auto request = [&](int id) { sendRequest(soundRequest(id, command, program)); };
  request(deviceIdForRequest());
  const bool answered = waitForAnswer(wait, wait, request, nullptr) == WaitEnd::Answered;
  if (answered) plug->DisplayProcessingIndicator(false);  // the closing pause takes clicks
  sleep(wait);
  endLibrarianRequest(answered ? 1 : 0, 1);
}

void MIDIMessageSender::sendAllPatchRequestSysex(int count) {
  PatchLibrarian* librarian = manager->patchLibrarian;
  if (refuseWithoutEditedBank()) return;
  plug->DisplayProcessingIndicator(true);
  cancelRequested = false;
  scannedDeviceId = -1;
  if (librarian) librarian->selectedUpperSlot = 0;
  timedOut = false;
  const int wait = plug->getTimerValue();
  manager->refreshMainTab = true;
  showRequestLines("");
  int received = 0;
  for (int program = 0; program < count && !cancelRequested; ++program) {
    plug->SetLibrarianRequestActive(true);
    plug->setStatusText("Receiving patch " + std::to_string(program + 1) + " of " + std::to_string(count) +
                        "...");
    auto request = [&](int id) { sendRequest(soundRequest(id, kProgramRequest, program)); };
    request(deviceIdForRequest());
    // A time-out moves on to the next program; the slot advances either way.
    if (waitForAnswer(wait, wait, request, nullptr) == WaitEnd::Answered) ++received;
    if (librarian) ++librarian->selectedUpperSlot;
  }
  plug->DisplayProcessingIndicator(false);  // the last answer is in: the closing pause takes clicks
  sleep(wait);
  if (librarian) librarian->selectedUpperSlot = 0;
  endLibrarianRequest(received, count);
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
        if (plug->flags.responseReceived || cancelRequested) break;
      }
    }
    if (cancelRequested) break;
    if (i >= kLastWait) {
      plug->setStatusText("No response from Hardware");
      timedOut = true;
      break;
    }
    if (plug->flags.responseReceived) break;
  }
  sleep(wait);
  if (!timedOut) plug->setStatusText("Plug-in is ready to go!");
  plug->DisplayProcessingIndicator(false);
}
