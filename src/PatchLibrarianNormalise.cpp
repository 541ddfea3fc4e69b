// Every bank holds 99 slots: short banks are padded with filler sounds, and
// banks of 100 patches or more are cut into bank files of 99 beside their
// source.
#include <sys/stat.h>

#include "KIT/IModule/IModuleStructs.h"
#include "src/PatchLibrarian.h"
#include "src/PatchLibrarianRecords.h"

namespace {

// The numbered filler record of slot (0-based): the init sound, 0x00 and
// the name of slot + 1.
PatchSysexMessage numberedFiller(int slot) {
  PatchSysexMessage record(initSinglePatch, initSinglePatch + 75);
  record.push_back(0x00);
  appendNumberedName(record, slot + 1);
  record.push_back(0xF7);
  return record;
}

// The file name without its extension (everything from the last "." on).
std::string withoutExtension(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

// How far the search for a free name goes before the piece is given up.
constexpr int kMaximumNameNumber = 10000;

// "NAME N.ext" for "NAME.ext", as an imported file of a taken name is called.
std::string numberedName(const std::string& fileName, int number) {
  const size_t dot = fileName.rfind('.');
  const std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot);
  return withoutExtension(fileName) + " " + std::to_string(number) + extension;
}

}  // namespace

void PatchLibrarian::checkBankSizeAndAddData(PatchFile* bank) {
  if (!bank || bank->patches.empty() || bank->patches.size() >= PatchFile::kSlots || bank->paddingSwitch != 0)
    return;
  while (bank->patches.size() < PatchFile::kSlots) {
    const PatchSysexMessage record = numberedFiller(static_cast<int>(bank->patches.size()));
    if (bank->patches.holdsRecords()) {
      bank->patches.appendRecordCopy(record.data(), static_cast<uint32_t>(record.size()), true);
      continue;
    }
    LibrarianPatch filler;
    filler.messages.push_back(record);
    filler.name = recordPatchName(filler.messages[0]);
    filler.parseCategory();
    bank->patches.push_back(std::move(filler));
  }
}

void PatchLibrarian::fillUncompletedBankFiles(PatchFile* bank) {
  if (!bank) return;
  while (bank->patches.size() < PatchFile::kSlots) {
    if (bank->patches.holdsRecords()) {
      // The init sound lies in the program's constant data: nothing is copied.
      bank->patches.appendRecordRef(initSinglePatch, static_cast<uint32_t>(sizeof initSinglePatch), false,
                                    false, nullptr);
      continue;
    }
    LibrarianPatch filler;
    filler.messages.emplace_back(initSinglePatch, initSinglePatch + sizeof initSinglePatch);
    bank->patches.push_back(std::move(filler));
  }
}

void PatchLibrarian::createNewPatchFile(PatchFile* source, std::string folderName, std::string fileName,
                                        std::string, std::string sourcePath, int origin, int chunkIndex,
                                        bool) {
  if (!source) return;
  const int n = static_cast<int>(source->patches.size());
  const int first = PatchFile::kSlots * (chunkIndex + 1);
  const int rest = n - first;
  splitCount = n / PatchFile::kSlots + (rest >= 1 && rest <= PatchFile::kSlots - 1 ? 1 : 0);
  if (rest <= 0) return;

  PatchFile* bank = new PatchFile();
  const int count = rest >= PatchFile::kSlots ? PatchFile::kSlots : rest;
  bank->patches.assign(source->patches.begin() + first, source->patches.begin() + first + count);
  // A split file's pieces carry its converted sounds too, so while splitting
  // every piece keeps its own numbered name.
  if (soundConverted && !fileSplit)
    bank->fileName = withoutExtension(fileName) + ".vrn";
  else
    bank->fileName = withoutExtension(fileName) + " Singles " + std::to_string(chunkIndex + 2) + ".vrn";
  bank->folderName = folderName;
  bank->numberTag = origin;
  fillUncompletedBankFiles(bank);

  ByteChunk image;
  buildBankImage(*bank, false, &image);
  const size_t separator = sourcePath.find_last_of("/\\");
  const std::string directory =
      separator == std::string::npos ? std::string() : sourcePath.substr(0, separator + 1);
  // A file of that name is the user's (or another source's piece written a
  // moment ago): it stays, and this piece takes the first free name.
  const std::string wanted = bank->fileName;
  std::string error;
  bool written = false;
  for (int number = 1; number <= kMaximumNameNumber && !written; ++number) {
    const std::string name = number == 1 ? wanted : numberedName(wanted, number);
    const std::string target = directory + name;
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0) continue;  // taken, a link to nothing included
    written = writeNewFileSafely(target, image.GetData(), image.Size(), &error);
    if (!written && ::lstat(target.c_str(), &info) != 0) {
      log("PATCH LIBRARIAN: could not write file " + target + ": " + error);
      delete bank;
      return;
    }
    if (!written) continue;  // a file of that name appeared meanwhile
    bank->fileName = name;
    if (number > 1)
      log("PATCH LIBRARIAN: wrote file " + name + " in place of " + wanted + ", a file of that name is kept");
  }
  if (!written) {
    log("PATCH LIBRARIAN: could not write file " + directory + wanted + ": no free file name");
    delete bank;
    return;
  }
  fileBanks.push_back(bank);
  rescanRequested = true;
}
