#include "sender_double.h"

#include <map>
#include <memory>

#include "KIT/IModule/IParam.h"
#include "src/MIDIMessageManager.h"

namespace {
std::mutex g_registryMutex;
std::map<const VivivI*, std::unique_ptr<SenderDouble>>& registry() {
  static std::map<const VivivI*, std::unique_ptr<SenderDouble>> doubles;
  return doubles;
}
}  // namespace

SenderDouble& SenderDouble::of(const VivivI* editor) {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  std::unique_ptr<SenderDouble>& entry = registry()[editor];
  if (!entry) entry = std::make_unique<SenderDouble>();
  return *entry;
}

void SenderDouble::forget(const VivivI* editor) {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  registry().erase(editor);
}

void VivivI::checksumCheckAndSend(unsigned char* bytes, int count) {
  SenderDouble& self = SenderDouble::of(this);
  if (!bytes || count < 1) return;
  if (!midiOutputOpen) {
    setStatusText("Set MIDI I/O First!");
    return;
  }
  std::vector<unsigned char> message(bytes, bytes + count);
  if (count >= 71) {
    const bool framed = bytes[0] == 0xF0;
    const int first = framed ? 4 : 3, last = framed ? count - 3 : count - 2;
    unsigned sum = 0;
    for (int i = first; i <= last; ++i) sum += message[i];
    message[framed ? count - 2 : count - 1] = static_cast<unsigned char>(sum % 128);
  }
  SendMidiSysex(message.data(), count);
  std::vector<unsigned char> sent = message;
  if (sent.front() != 0xF0) {
    sent.insert(sent.begin(), 0xF0);
    sent.push_back(0xF7);
  }
  self.change([&](SenderCalls& calls) { calls.sent.push_back(sent); });
  if (self.settings.onRequest) self.settings.onRequest(message);
}

void VivivI::sendMissingCCValues() {
  SenderDouble::of(this).change([](SenderCalls& calls) { ++calls.missingCCSends; });
}

void VivivI::setStatusText(const std::string& text) {
  SenderDouble::of(this).change([&](SenderCalls& calls) { calls.statusTexts.push_back(text); });
}

void VivivI::setClockStatusText(const std::string& text) {
  SenderDouble::of(this).change([&](SenderCalls& calls) { calls.clockStatusTexts.push_back(text); });
}

void VivivI::DisplayProcessingIndicator(bool show) {
  if (!show) midiManager->soundDumpExpected = false;
  SenderDouble::of(this).change([&](SenderCalls& calls) { calls.indicator.push_back(show); });
}

int VivivI::getTimerValue() {
  switch (static_cast<int>(GetParam(kLibSyncTimer)->Value())) {
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

int VivivI::getTempoValue() { return SenderDouble::of(this).settings.tempo; }

std::string VivivI::getTempoValueText(int index) {
  const std::vector<std::string>& values = SenderDouble::of(this).settings.tempoValues;
  return index >= 0 && index < static_cast<int>(values.size()) ? values[index] : std::string();
}

void VivivI::SetLibrarianRequestActive(bool active) {
  if (active) {
    midiManager->soundDumpExpected = false;
    midiManager->libraryPatchRequest.arm();
  } else {
    midiManager->soundDumpExpected = true;
    midiManager->libraryPatchRequest.requestActive = false;
  }
  responseReceived = false;
  midiManager->slotStored = false;
  SenderDouble::of(this).change([&](SenderCalls& calls) { calls.requestActive.push_back(active); });
}

void VivivI::SetLibrarianStatusUnsaved(bool unsaved) {
  if (!unsaved) return;
  midiManager->soundDumpExpected = false;
  midiManager->libraryPatchRequest.requestActive = false;
  SenderDouble::of(this).change([](SenderCalls& calls) { ++calls.unsavedMarks; });
}

void VivivI::setLibrarianViewRow(int column, int row) {
  SenderDouble::of(this).change([&](SenderCalls& calls) { calls.viewRows.emplace_back(column, row); });
}

const std::vector<LibrarianPatch>* VivivI::librarianBankOfColumn(int column) {
  SenderSettings& settings = SenderDouble::of(this).settings;
  const int which = column == 0 ? 0 : 1;
  return settings.bankShown[which] ? &settings.banks[which] : nullptr;
}
