// Sending sounds, banks and global settings: the current sound from the
// editor's parameters (job 0), the global settings (job 1, only once the
// editor knows every one of them), one librarian patch (job 2), the first 40
// patches of a librarian bank into the synthesizer's programs (job 3) and
// the init sound into the selected librarian slot (job 8).
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "KIT/IModule/IModuleStructs.h"
#include "KIT/IModule/IParam.h"
#include "src/EditorServices.h"
#include "src/InitSound.h"
#include "src/LibrarianPatch.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/MIDIMessageSysEx.h"
#include "src/PatchLibrarian.h"

namespace {

constexpr int kBankStoreSlots = 40;  // a bank store fills programs 0 to 39
constexpr int kReceiveWaitStep = 25;
constexpr int kReceiveWaitSteps = 100;

// A librarian sound dump made ready to send: cut to 76 bytes, device byte,
// command and program written, checksum of bytes 5 to 73 in byte 74, F7 in
// byte 75. The caller made sure it has 76 bytes or more.
std::vector<unsigned char> preparedDump(const PatchSysexMessage& message, int deviceId, int command,
                                        int program) {
  std::vector<unsigned char> dump(message.begin(), message.begin() + VarnoSysEx::kSoundDumpSize);
  dump[VarnoSysEx::kDeviceByte] = static_cast<unsigned char>(deviceId & 0x7F);
  dump[VarnoSysEx::kCommandByte] = static_cast<unsigned char>(command);
  dump[VarnoSysEx::kProgramByte] = static_cast<unsigned char>(program & 0x7F);
  dump[VarnoSysEx::kChecksumByte] = 0;
  dump[VarnoSysEx::kChecksumByte] = VarnoSysEx::soundDumpChecksum(dump.data(), static_cast<int>(dump.size()));
  dump[VarnoSysEx::kSoundDumpSize - 1] = VarnoSysEx::kSysExEnd;
  return dump;
}

// A framed message shorter than a whole dump goes out unchanged apart from
// the device byte, command and program, as far as they lie before its F7.
std::vector<unsigned char> withHeaderBytes(const PatchSysexMessage& message, int deviceId, int command,
                                           int program) {
  std::vector<unsigned char> bytes(message.begin(), message.end());
  const auto put = [&bytes](int index, int value) {
    if (static_cast<size_t>(index) + 1 < bytes.size())
      bytes[static_cast<size_t>(index)] = static_cast<unsigned char>(value);
  };
  put(VarnoSysEx::kDeviceByte, deviceId & 0x7F);
  put(VarnoSysEx::kCommandByte, command);
  put(VarnoSysEx::kProgramByte, program & 0x7F);
  return bytes;
}

// Only a whole SysEx message may go out: a piece without its F7 would leave
// the synthesizer's receiver inside a message that never ends, and a status
// byte inside would cut it in two.
bool isFramedSysEx(const PatchSysexMessage& message) {
  if (message.size() < 2 || message.front() != VarnoSysEx::kSysExStart ||
      message.back() != VarnoSysEx::kSysExEnd)
    return false;
  return std::all_of(message.begin() + 1, message.end() - 1, [](unsigned char byte) { return byte < 0x80; });
}

bool hasWholeFirstMessage(const LibrarianPatch& patch) {
  return !patch.messages.empty() && patch.messages.front().size() >= VarnoSysEx::kSoundDumpSize &&
         patch.messages.front().front() == VarnoSysEx::kSysExStart;
}

}  // namespace

unsigned MIDIMessageSender::calculateCheckSum(const std::vector<unsigned char>& message) {
  unsigned sum = 0;
  for (size_t i = 5; i + 2 < message.size(); ++i) sum = (sum + message[i]) % 128;
  return sum;
}

void MIDIMessageSender::sendArrangementToDevice(bool storeToLibrarian) {
  plug->DisplayProcessingIndicator(true);
  if (!storeToLibrarian && globalSettingsKnown()) {
    if (plug->flags.sendGlobalsWithSound) {
      sendGlobalToDevice(0);
      sleep(400);
    }
    if (!plug->flags.suppressGlobalsDump) {
      sendGlobalToDevice(0);
      sleep(400);
    }
  }
  VarnoSysEx::SoundDump dump = VarnoSysEx::buildSoundDump([this](int index) { return parameter(index); });

  const IParam* nameParam = plug->GetParam(plug->flags.librarianRenaming ? kPatchRename : kPatchName);
  const char* shown = nameParam ? nameParam->GetDisplayText(0) : nullptr;
  const std::string name = shown ? shown : "";
  if (patchManager) patchManager->names[1] = name.empty() ? "Set Name" : name;
  plug->setLibrarianViewDirty();

  const int category = static_cast<int>(parameter(kCategoryName));
  const char* categoryName = VarnoSysEx::categoryText(category);
  plug->displayCategoryName(categoryName ? categoryName : "");

  if (!storeToLibrarian) {
    dump[VarnoSysEx::kSoundDumpSize - 1] = VarnoSysEx::kSysExEnd;
    plug->checksumCheckAndSend(dump.data(), static_cast<int>(dump.size()));
    sleep(200);
    plug->sendMissingCCValues();
    // Without an output the send's own text ("Set MIDI I/O First!") stays.
    if (plug->flags.midiOutputOpen) plug->setDisplayText(kControlDisplayValue, "Sound sent to the Varno");
    plug->DisplayProcessingIndicator(false);
    return;
  }
  VarnoSysEx::LibraryRecord record = VarnoSysEx::buildLibraryRecord(dump, name, category);
  plug->SetLibrarianRequestActive(true);
  ISysEx sysex(0, record.data(), static_cast<int32_t>(record.size()));
  plug->ProcessSysEx(&sysex, true);
  plug->SetLibrarianStatusUnsaved(true);
  plug->setDisplayText(kControlDisplayValue, "Sound stored in the librarian");
  plug->DisplayProcessingIndicator(false);
}

bool MIDIMessageSender::globalSettingsKnown() const {
  return plug->flags.knownGlobalSettings == VarnoSysEx::kAllGlobalSettings;
}

void MIDIMessageSender::sendGlobalToDevice(int) {
  if (!globalSettingsKnown()) return;
  plug->DisplayProcessingIndicator(true);
  VarnoSysEx::GlobalDump dump = VarnoSysEx::buildGlobalDump([this](int index) { return parameter(index); });
  plug->flags.suppressGlobalsDump = true;
  plug->checksumCheckAndSend(dump.data(), static_cast<int>(dump.size()));
  sleep(1000);
  plug->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::sendPatchToDeviceFromLibrarian(const LibrarianPatch* patch) {
  if (!patch) return;
  // Without an output the synthesizer gets nothing, but the editor still
  // takes the patch: choosing a patch in the librarian moves the controls.
  const bool output = plug->flags.midiOutputOpen;
  plug->DisplayProcessingIndicator(true);
  if (output)
    sendAllNotesOff();
  else
    plug->setStatusText("Set MIDI I/O First!");
  sleep(50);
  if (output && !patch->messages.empty()) {
    const int deviceId = VarnoSysEx::deviceIdByte(parameter(kGlobalDeviceID));
    const int program = VarnoSysEx::dataByte(parameter(kCurrentPatch));
    const PatchSysexMessage& first = patch->messages.front();
    if (hasWholeFirstMessage(*patch)) {
      sendRaw(preparedDump(first, deviceId, VarnoSysEx::kCommandSoundDump, program));
    } else if (isFramedSysEx(first)) {
      sendRaw(withHeaderBytes(first, deviceId, VarnoSysEx::kCommandSoundDump, program));
    }
  }

  // The editor takes the sound's values through its own receive side, from
  // the messages as the patch holds them.
  manager->receiveBusy = true;
  for (const PatchSysexMessage& message : patch->messages) {
    manager->soundDumpExpected = true;
    ISysEx sysex(0, message.data(), static_cast<int32_t>(message.size()));
    plug->ProcessSysEx(&sysex, true);
    manager->soundDumpExpected = false;
  }
  for (int step = 1; !isShuttingDown(); ++step) {
    sleep(kReceiveWaitStep);
    if (step == kReceiveWaitSteps) {
      plug->setStatusText("CONNECTION TIMED OUT!");
      break;
    }
    if (!manager->receiveBusy) break;
  }
  plug->DisplayProcessingIndicator(false);
}

bool MIDIMessageSender::beginLibrarianSend() {
  if (!plug->flags.midiOutputOpen) {
    plug->setStatusText("Set MIDI I/O First!");
    return false;
  }
  plug->DisplayProcessingIndicator(true);
  sendAllNotesOff();
  sleep(50);
  return true;
}

void MIDIMessageSender::storeAllPatchesToDeviceFromLibrarian(int column) {
  if (!beginLibrarianSend()) return;
  const PatchList* shown = plug->librarianBankOfColumn(column);
  if (!shown) {
    plug->DisplayProcessingIndicator(false);
    return;
  }
  // A copy: the library may change on the main thread while the store runs.
  const std::vector<LibrarianPatch> bank(*shown);
  PatchLibrarian* librarian = manager->patchLibrarian;
  const int viewColumn = column == 0 ? 0 : 1;
  const int deviceId = VarnoSysEx::deviceIdByte(parameter(kGlobalDeviceID));
  int stored = 0;
  plug->setDisplayText(kControlDisplayValue, "");
  plug->setDisplayText(kControlDisplayCC, "");
  for (int slot = 0; slot < kBankStoreSlots && !isShuttingDown(); ++slot) {
    plug->DisplayProcessingIndicator(true);
    if (librarian) (viewColumn == 0 ? librarian->selectedUpperSlot : librarian->selectedLowerSlot) = slot;
    plug->setLibrarianViewRow(viewColumn, slot);
    if (slot >= static_cast<int>(bank.size()) || bank[slot].messages.empty()) break;
    if (!hasWholeFirstMessage(bank[slot])) continue;  // skipped: not a whole sound dump
    plug->setStatusText("Storing program " + std::to_string(slot + 1) + " to the Varno...");
    if (sendRaw(preparedDump(bank[slot].messages.front(), deviceId, VarnoSysEx::kCommandStoreSound, slot)))
      ++stored;
    sleep(500);
    plug->DisplayProcessingIndicator(false);
  }
  plug->DisplayProcessingIndicator(false);
  if (librarian) librarian->selectedUpperSlot = 0;
  if (stored > 0) {
    plug->setStatusText("Bank stored to the Varno");
    plug->setDisplayText(kControlDisplayValue, std::to_string(stored) + " programs stored");
  }
}

void MIDIMessageSender::initClassicPatch(bool initOnRequest) {
  plug->DisplayProcessingIndicator(true);
  if (initOnRequest) {
    plug->DisplayProcessingIndicator(false);
    return;
  }
  // Stored into the librarian as if the synthesizer had sent it.
  std::array<unsigned char, 77> sound = initSoundStoreTemplate();
  PatchLibrarian* librarian = manager->patchLibrarian;
  sound[3] = VarnoSysEx::deviceIdByte(parameter(kGlobalDeviceID));
  sound[4] = VarnoSysEx::kCommandStoreSound;
  sound[5] = VarnoSysEx::dataByte(librarian ? librarian->selectedUpperSlot.load() : 0);
  unsigned sum = 0;
  for (int i = 4; i <= 73; ++i) sum += sound[i];
  sound[75] = static_cast<unsigned char>(sum % 128);
  plug->SetLibrarianRequestActive(true);
  ISysEx sysex(0, sound.data(), static_cast<int32_t>(sound.size()));
  plug->ProcessSysEx(&sysex, true);
  sleep(100);
  plug->SetLibrarianStatusUnsaved(true);
  plug->DisplayProcessingIndicator(false);
}
