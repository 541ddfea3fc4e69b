#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "KIT/kitstring.h"
#include "KIT/regularfile.h"
#include "KIT/winl/winl-time.h"
#include "src/LibrarianPatch.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/PatchLibrarian.h"
#include "src/VivivI.h"

// Librarian transfers and file import: stores to the synthesizer through the
// sender's jobs, copies of patch files into the library, and single sounds
// imported into the selected slot of the edited bank by re-feeding them to
// the receive path as if the synthesizer had sent them.

namespace {

constexpr int kSlots = 99;
constexpr uint8_t kManufacturer = 0x3E;
constexpr uint8_t kModelFirst = 0x0B;
constexpr uint8_t kModelSecond = 0x16;
constexpr size_t kSoundLength = 76;  // header and sound bytes before the name
constexpr size_t kNameLength = 14;
constexpr size_t kNameEnd = kSoundLength + kNameLength;  // 90: the category byte's index
constexpr uint8_t kCategoryInit = 20;

// The name an imported sound gets from its file: the base name without its
// extension, cut or filled with blanks to 14 characters.
std::string importedName(const std::string& fileName) {
  if (fileName.empty()) return "IMPORTEDSINGLE";
  const size_t slash = fileName.find_last_of("/\\");
  std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos) base.resize(dot);
  base.resize(kNameLength, ' ');
  return base;
}

// The file's bytes; false when it cannot be read whole, is not a regular
// file (a pipe is never waited on) or is larger than a patch file can be.
bool readFile(const std::string& path, std::vector<uint8_t>* bytes) {
  return KIT_ReadRegularFile(path.c_str(), bytes, static_cast<size_t>(kMaximumPatchFileSize));
}

// Whether anything stands at path (a link to nothing included).
bool fileExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// The path with " 2", " 3", ... put before its extension, the first not taken.
std::string freePathFor(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string stem = hasExtension ? path.substr(0, dot) : path;
  const std::string extension = hasExtension ? path.substr(dot) : "";
  for (int n = 2; n < 10000; ++n) {
    const std::string candidate = stem + " " + std::to_string(n) + extension;
    if (!fileExists(candidate)) return candidate;
  }
  return "";
}

}  // namespace

// ==== Stores to the synthesizer ==============================================

void VivivI::SendSingleProgramFromLibrarian(bool) {
  if (!patchLibrarian) return;
  const int column = patchLibrarian->selectedUpperSlot < 0 ? 1 : 0;
  sendPatchToDeviceFromLibrarian(patchLibrarian->selectedUpperSlot, column);
}

void VivivI::SendAllProgramsFromLibrarian() {
  if (!patchLibrarian) return;
  const int column = patchLibrarian->selectedUpperSlot < 0 ? 1 : 0;
  patchLibrarian->selectedUpperSlot = 0;
  storeAllPatchesToDeviceFromLibrarian(column, 0);
}

void VivivI::storeAllPatchesToDeviceFromLibrarian(int column, int) {
  if (!flags.midiOutputOpen || !midiManager) return;
  SenderJob job;
  job.jobCode = kJobStoreAllPatches;
  job.storeColumn = column;
  midiManager->postOrWait(job);  // follows a job the data thread is running
}

// ==== Files into the library ==================================================

void VivivI::saveImportedFile(bool smf) {
  if (!graphics) return;
  KIT_String chosen;
  graphics->PromptForFile(&chosen, IGraphics::kFileOpen, &mPreviousPath, smf ? "mid" : "syx vrn");
  const std::string path = chosen.Get() ? chosen.Get() : "";
  if (path.empty()) return;
  std::vector<uint8_t> bytes;
  if (!readFile(path, &bytes)) {
    setStatusText("Import failed: file not readable");
    log("FILE IMPORTER: cannot read " + path);
    return;
  }
  const std::string folder = getPatchesFolderStr();
  log("FILE IMPORTER: patch file copied to " + folder);
  const size_t slash = path.rfind('/');
  std::string target = folder + (slash == std::string::npos ? "/" + path : path.substr(slash));
  if (fileExists(target)) {
    std::vector<uint8_t> existing;
    if (readFile(target, &existing) && existing == bytes) return;  // the same file is there already
    // Another file of that name stays; the copy takes a free name beside it.
    target = freePathFor(target);
    if (target.empty()) {
      setStatusText("Import failed: no free file name");
      return;
    }
  }
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::remove(target.c_str());
    setStatusText("Import failed: file not written");
    log("FILE IMPORTER: cannot write " + target);
  }
}

// ==== Single sounds into the selected slot =====================================

void VivivI::ImportSingleVarnoPatches(bool older) {
  if (!graphics) return;
  KIT_String chosen;
  graphics->PromptForFile(&chosen, IGraphics::kFileOpen, &mPreviousPath, "mid syx");
  const std::string path = chosen.Get() ? chosen.Get() : "";
  if (path.empty()) return;
  std::vector<uint8_t> bytes;
  if (!readFile(path, &bytes)) {
    setStatusText("Import failed: file not readable");
    return;
  }
  ByteChunk image;
  image.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
  int pos = 0;
  while (ReadSysExDataFromPackage(&image, pos, path, older) > 0) {
  }
}

int VivivI::ReadSysExDataFromPackage(ByteChunk* image, int& pos, std::string fileName, bool older) {
  const int size = image ? image->Size() : 0;
  const uint8_t* data = image ? image->GetData() : nullptr;
  if (pos < 0 || pos >= size) {
    pos = -1;
    return -1;
  }
  const uint8_t* found = std::find(data + pos, data + size, kManufacturer);
  if (found == data + size) {
    pos = -1;
    return -1;
  }
  pos = static_cast<int>(found - data) + 1;
  if (pos >= size) return pos;  // no model byte: the next call ends the scan
  const uint8_t model = data[pos++];
  if (model != (older ? kModelFirst : kModelSecond)) return pos;
  if (pos >= size) return pos;
  const uint8_t device = data[pos++];

  PatchSysexMessage message = {0xF0, kManufacturer, kModelFirst, device};
  bool closed = false;
  while (pos < size) {
    const uint8_t byte = data[pos++];
    if (byte == 0xF7) {
      closed = true;
      break;
    }
    message.push_back(byte);
  }
  // After an F7 the byte behind it (the next message's F0) is skipped too; a
  // sound cut off by the end of the file ends the scan.
  pos = closed ? pos + 1 : 0;
  if (message.size() < kSoundLength - 1) return pos;

  if (older) {
    // Every record is exactly 92 bytes: the sound brought to 76 bytes, a name
    // (its own, or one made from the file name), a category and F7. A whole
    // library record keeps its own category; any other sound gets INIT.
    uint8_t category = kCategoryInit;
    if (message.size() == kNameEnd + 1 && message[kNameEnd] <= kCategoryInit) category = message[kNameEnd];
    if (message.size() < kNameEnd) {
      message.resize(kSoundLength, 0);
      const std::string name = importedName(fileName);
      message.insert(message.end(), name.begin(), name.end());
    } else {
      message.resize(kNameEnd);
    }
    message.push_back(category);
    message.push_back(0xF7);
  } else {
    // A second-generation sound carries its own name; the conversion makes
    // the 92-byte record of it. One too short to convert is skipped.
    message.push_back(kCategoryInit);
    message.push_back(0xF7);
    message = patchLibrarian ? patchLibrarian->convertPatchToVarno1Format(&message, 0) : PatchSysexMessage();
    if (message.size() != kNameEnd + 2) {
      log("FILE IMPORTER: a second-generation sound too short to convert was skipped");
      return pos;
    }
  }

  SetLibrarianRequestActive(true);
  ISysEx sysex(0, message.data(), static_cast<int32_t>(message.size()));
  ProcessSysEx(&sysex, true);
  if (midiManager) {
    midiManager->soundDumpExpected = false;
    midiManager->libraryPatchRequest.requestActive = false;
  }
  SetLibrarianStatusUnsaved(true);
  return pos;
}

// ==== Category of a slot ========================================================

void VivivI::SetCategoryForLibrarianPatch(int category) {
  if (!patchLibrarian || patchLibrarian->editBlocked != 0 || category < 0 || category > kCategoryInit) return;
  const int bankIndex = patchLibrarian->upperBankIndex;
  if (bankIndex < 0 || bankIndex >= static_cast<int>(patchLibrarian->fileBanks.size())) return;
  std::vector<LibrarianPatch>& patches = patchLibrarian->fileBanks[static_cast<size_t>(bankIndex)]->patches;
  if (patches.size() != kSlots) patches.resize(kSlots);
  const int row = patchLibrarian->selectedUpperSlot;
  if (row < 0 || row >= kSlots) return;
  const LibrarianPatch& patch = patches[static_cast<size_t>(row)];
  // A message too short to hold a name leaves the slot alone.
  if (patch.messages.empty() || patch.messages.front().size() < kNameEnd) return;

  PatchSysexMessage record(patch.messages.front().begin(), patch.messages.front().begin() + kNameEnd);
  record.push_back(static_cast<unsigned char>(category));
  record.push_back(0xF7);
  SetLibrarianRequestActive(true);
  DisplayProcessingIndicator(true);
  ISysEx sysex(0, record.data(), static_cast<int32_t>(record.size()));
  ProcessSysEx(&sysex, true);
  Sleep(50);
  if (midiManager) {
    midiManager->soundDumpExpected = false;
    midiManager->libraryPatchRequest.requestActive = false;
  }
  SetLibrarianStatusUnsaved(true);
  DisplayProcessingIndicator(false);
}
