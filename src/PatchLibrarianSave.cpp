// Writing banks: raw bank images and Standard MIDI files of 99 slots, always
// through a temporary file in the target's folder renamed over the target.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IModuleStructs.h"
#include "KIT/kitstring.h"
#include "src/PatchLibrarian.h"
#include "src/VivivI.h"

namespace {

constexpr size_t kMidiMessageSize = 139;  // every event carries bytes 1 to 138

// The first message of a slot as a Standard MIDI file event carries it: cut
// or padded with 0x00 to 139 bytes, command 0x01, the slot number, F7 last.
// A slot without a message carries the init sound, so that the file's track
// and event lengths stay true.
LibrarianPatch prepareMidiSlot(const LibrarianPatch& patch, int slot) {
  LibrarianPatch prepared = patch;
  if (prepared.messages.empty())
    prepared.messages.emplace_back(initSinglePatch, initSinglePatch + sizeof initSinglePatch);
  PatchSysexMessage& message = prepared.messages.front();
  message.resize(kMidiMessageSize, 0x00);
  message[4] = 0x01;
  message[5] = static_cast<unsigned char>(slot);
  message[kMidiMessageSize - 1] = 0xF7;
  // One event per slot: further messages would break the track length.
  prepared.messages.resize(1);
  return prepared;
}

}  // namespace

void PatchLibrarian::buildBankImage(const PatchFile& bank, bool smf, ByteChunk* image) {
  if (!image) return;
  static const LibrarianPatch kEmpty;
  if (smf) image->PutBytes(midiSingleStartHeader_NL99, sizeof midiSingleStartHeader_NL99);
  for (int slot = 0; slot < PatchFile::kSlots; ++slot) {
    const LibrarianPatch& patch =
        slot < static_cast<int>(bank.patches.size()) ? bank.patches[static_cast<size_t>(slot)] : kEmpty;
    if (smf)
      prepareMidiSlot(patch, slot).save(image, true, slot);
    else
      patch.save(image, false, slot);
  }
  if (smf) {
    static const unsigned char kEndOfTrack[] = {0x00, 0xFF, 0x2F, 0x00};
    image->PutBytes(kEndOfTrack, sizeof kEndOfTrack);
  }
}

bool PatchLibrarian::writeFileSafely(const std::string& path, const uint8_t* bytes, int size) {
  if (path.empty() || size < 0 || (size > 0 && !bytes)) return false;
  const size_t separator = path.find_last_of('/');
  const std::string directory =
      separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
  const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  std::string temporary = directory + "." + name + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  bool ok = true;
  for (int written = 0; ok && written < size;) {
    const ssize_t n = ::write(fd, bytes + written, static_cast<size_t>(size - written));
    if (n > 0)
      written += static_cast<int>(n);
    else
      ok = false;
  }
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  // mkstemp creates the file for its owner only; a bank file is an ordinary file.
  ok = ok && ::chmod(temporary.c_str(), 0644) == 0;
  ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(temporary.c_str());
  return ok;
}

bool PatchLibrarian::writeEditedBank(const std::string& path, bool smf) {
  std::unique_ptr<PatchFile> copy(fileBanks[static_cast<size_t>(upperBankIndex)]->clone());
  ByteChunk image;
  buildBankImage(*copy, smf, &image);
  if (writeFileSafely(path, image.GetData(), image.Size())) return true;
  log("PATCH LIBRARIAN: could not write file " + path);
  return false;
}

bool PatchLibrarian::savePatchAs(const char* fileName, std::string folder, bool smf) {
  if (!owner || !owner->graphics) return false;
  if (upperBankIndex < 0 || static_cast<size_t>(upperBankIndex) >= fileBanks.size()) return false;
  KIT_String chosen(fileName ? fileName : "");
  KIT_String directory(folder.c_str());
  owner->graphics->PromptForFile(&chosen, IGraphics::kFileSave, &directory, smf ? "mid" : "vrn");
  const std::string path = chosen.Get() ? chosen.Get() : "";
  if (path.empty()) return false;

  const size_t separator = path.find_last_of("/\\");
  const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  const std::string folderPath = separator == std::string::npos ? std::string() : path.substr(0, separator);
  std::string folderName = "Patches";
  if (!folderPath.empty()) {
    const size_t parent = folderPath.find_last_of("/\\");
    folderName = parent == std::string::npos ? folderPath : folderPath.substr(parent);
    removeCharsFromString(folderName, "/\\");
  }

  if (!writeEditedBank(path, smf)) return false;
  owner->currentBankFolderName = folderName;
  owner->currentBankFileName = name;
  return true;
}

bool PatchLibrarian::saveEditedPatch(std::string path, std::string name) {
  if (upperBankIndex < 0 || static_cast<size_t>(upperBankIndex) >= fileBanks.size()) return false;
  const size_t dot = name.rfind('.');
  const std::string extension = dot == std::string::npos ? name : name.substr(dot + 1);
  const bool smf = extension == "mid";
  if (extension == "syx") {
    // The bank is kept in the library's own format: name and file alike.
    name = name.substr(0, dot) + ".vrn";
    const size_t pathDot = path.rfind('.');
    const size_t pathSeparator = path.find_last_of("/\\");
    if (pathDot != std::string::npos && (pathSeparator == std::string::npos || pathDot > pathSeparator))
      path = path.substr(0, pathDot) + ".vrn";
  }
  if (!writeEditedBank(path, smf)) return false;
  if (owner) owner->currentBankFileName = name;
  return true;
}
