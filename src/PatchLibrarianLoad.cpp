// Loading the library folder tree: the folder scan, the file filter, reading
// each file into a bank, rewriting split and converted files, and the folder
// tree the bank menus show.
#include <Poco/DirectoryIterator.h>
#include <Poco/Exception.h>
#include <Poco/File.h>
#include <Poco/Path.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <utility>

#include "KIT/IModule/IModuleStructs.h"
#include "src/PatchLibrarian.h"
#include "src/VivivI.h"

namespace {

const char* const kAcceptedExtensions[] = {"mid", "syx", "vrn", "vr2"};

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool acceptedExtension(const std::string& extension) {
  for (const char* accepted : kAcceptedExtensions)
    if (extension == accepted) return true;
  return false;
}

// Reads a whole file into image; false when it cannot be opened or read, or
// when it holds more than kMaximumPatchFileSize bytes (also one that grew
// after its size was looked at: never more than the limit is read).
bool readWholeFile(const std::string& path, ByteChunk* image) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size < 0 || size > kMaximumPatchFileSize) return false;
  in.seekg(0);
  image->Clear();
  if (image->Resize(static_cast<int>(size)) != static_cast<int>(size)) return false;
  in.read(reinterpret_cast<char*>(image->GetData()), size);
  if (in.gcount() != size) return false;
  return in.peek() == std::ifstream::traits_type::eof();
}

// A folder's device and inode: what tells a folder from a link back to it.
using FolderIdentity = std::pair<dev_t, ino_t>;

bool folderIdentity(const std::string& path, FolderIdentity* identity) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  *identity = FolderIdentity(info.st_dev, info.st_ino);
  return true;
}

// The folders below folder, each after everything below it; links are
// followed, and a folder already on the way down (a loop) is left out.
// Entries are taken in name order so that every load sees the same tree.
void collectFolders(const std::string& folder, std::vector<FolderIdentity>* path,
                    std::vector<std::string>* list, const std::function<void(const std::string&)>& log) {
  std::vector<std::string> names;
  try {
    for (Poco::DirectoryIterator it(folder), end; it != end; ++it) names.push_back(it.name());
  } catch (const Poco::Exception&) {
    log("PATCH LIBRARIAN: could not list folder " + folder);
    return;
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string below = folder + "/" + name;
    FolderIdentity identity;
    if (!folderIdentity(below, &identity)) continue;  // a file, or a link to nothing
    if (std::find(path->begin(), path->end(), identity) != path->end()) {
      log("PATCH LIBRARIAN: skipped folder " + below + ": it leads back to a folder above it");
      continue;
    }
    path->push_back(identity);
    collectFolders(below, path, list, log);
    path->pop_back();
    list->push_back(below);
  }
}

}  // namespace

void PatchLibrarian::loadPatchesFromFilesystem(std::string root) {
  // A load that wrote files scans once more to read them; never more, so a
  // file that keeps being rewritten cannot loop the load.
  for (int pass = 0; pass < 2; ++pass) {
    bool exists = false;
    try {
      exists = Poco::File(root).exists();
    } catch (const Poco::Exception&) {
    }
    if (!exists) {
      log("PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER...");
      return;
    }
    folderScanList.clear();
    buildFolderStructure(root, &folderScanList);
    std::sort(folderScanList.begin(), folderScanList.end());
    folderScanList.push_back(root);
    const int rootSeparators = static_cast<int>(
        std::count_if(root.begin(), root.end(), [](char c) { return c == '/' || c == '\\'; }));

    for (const std::string& folder : folderScanList) {
      std::vector<std::string> entries;
      try {
        Poco::File(folder).list(entries);
      } catch (const Poco::Exception&) {
        log("PATCH LIBRARIAN: could not list folder " + folder);
        continue;
      }
      for (std::string& entry : entries) entry = folder + "/" + entry;
      std::sort(entries.begin(), entries.end());
      removeStaleTemporaries(entries);
      for (const std::string& entry : entries) {
        try {
          Poco::Path path(entry);
          Poco::File file(path);
          const std::string extension = lowerCase(path.getExtension());
          if (!file.isFile() || !acceptedExtension(extension)) continue;
          const int64_t size = static_cast<int64_t>(file.getSize());
          if (size < kMinimumBankFileSize) continue;
          if (size > kMaximumPatchFileSize && extension != "vr2") {
            log("PATCH LIBRARIAN: skipped file " + entry + ": " + std::to_string(size) +
                " bytes, more than a patch file holds (limit " + std::to_string(kMaximumPatchFileSize) + ")");
            continue;
          }
          const int depth = path.depth() - rootSeparators;
          PatchFile* bank = parseFolderFiles(file, path, depth, 0, 1, extension);
          if (bank) createFolderFilesStructure(bank, bank->folderPath);
        } catch (const Poco::Exception&) {
          log("PATCH LIBRARIAN: skipped file " + entry);
        }
      }
    }

    if (!rescanRequested || pass == 1) break;
    log("FOLDER RESCAN INITIATED BY PATCH LIBRARIAN");
    rescanRequested = false;
    deleteBanks(fileBanks);
    deleteBanks(categoryBanks);
    clearDataStructures(0);
    clearDataStructures(2);
  }
  rescanRequested = false;
  createNewCategoryPatchFiles();
}

void PatchLibrarian::buildFolderStructure(const std::string& folder, std::vector<std::string>* list) {
  if (!list) return;
  std::vector<FolderIdentity> path;
  FolderIdentity top;
  if (folderIdentity(folder, &top)) path.push_back(top);
  collectFolders(folder, &path, list, [this](const std::string& line) { log(line); });
}

void PatchLibrarian::removeStaleTemporaries(const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    const size_t separator = entry.find_last_of('/');
    if (!isTemporaryFileName(separator == std::string::npos ? entry : entry.substr(separator + 1))) continue;
    // Only a plain file that no running save holds locked is ours to remove.
    const int fd = ::open(entry.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat opened {};
    struct stat named {};
    const bool removable = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
                           ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(entry.c_str(), &named) == 0 &&
                           named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
    if (removable) {
      if (::unlink(entry.c_str()) == 0)
        log("PATCH LIBRARIAN: removed the temporary file " + entry + " of an unfinished save");
      else
        log("PATCH LIBRARIAN: could not remove the temporary file " + entry);
    }
    ::close(fd);
  }
}

PatchFile* PatchLibrarian::parseFolderFiles(Poco::File file, Poco::Path path, int depth, int tag, int,
                                            std::string extension) {
  fileSplit = false;
  if (extension == "vr2") return nullptr;  // listed, never read, moved or written
  const std::string fullPath = path.toString();
  const std::string fileName = path.getFileName();
  const bool smf = extension == "mid";

  PatchFile* bank = new PatchFile();
  const size_t separator = fullPath.find_last_of("/\\");
  bank->folderPath = separator == std::string::npos ? std::string() : fullPath.substr(0, separator);
  bank->fileName = fileName;
  bank->folderName = path.depth() > 0 ? path[path.depth() - 1] : std::string();
  for (int level = std::max(0, path.depth() - depth - 1); level < path.depth(); ++level)
    bank->folderLevels.push_back(path[level]);
  bank->numberTag = tag;

  log("PATCH LIBRARIAN: loaded file " + file.path());
  ByteChunk image;
  soundConverted = false;
  if (!readWholeFile(fullPath, &image)) {
    log("PATCH LIBRARIAN: could not read file " + fullPath);
    delete bank;
    return nullptr;
  }
  loadFromChunk(&image, image.Size(), bank, smf);
  if (bank->patches.empty()) {
    delete bank;
    soundConverted = false;
    return nullptr;
  }

  const int n = static_cast<int>(bank->patches.size());
  const bool split = n >= 100;
  if (split || soundConverted) {
    // The source leaves the library folder before anything is written beside
    // it, so a converted bank of the same name can never replace it. When it
    // cannot be moved nothing is written: the next load tries again.
    if (!moveToConvertedBanks(fullPath, fileName)) {
      delete bank;
      soundConverted = false;
      return nullptr;
    }
    if (split) {
      splitCount = n / PatchFile::kSlots;
      fileSplit = true;
      // Each call sets the count again; the last call finds no patch left.
      for (int index = -1;; ++index) {
        createNewPatchFile(bank, bank->folderName, fileName, extension, fullPath, tag, index, smf);
        if (index + 1 >= splitCount) break;
      }
    } else {
      fillUncompletedBankFiles(bank);
      createNewPatchFile(bank, bank->folderName, fileName, extension, fullPath, tag, -1, false);
    }
    soundConverted = false;
    rescanRequested = true;
    delete bank;
    return nullptr;
  }

  fillUncompletedBankFiles(bank);
  bank->patches.resize(PatchFile::kSlots);
  fileBanks.push_back(bank);
  return bank;
}

bool PatchLibrarian::moveToConvertedBanks(const std::string& fullPath, const std::string& fileName) {
  // Without a data folder there is no place to move to: the file stays.
  if (!owner || owner->dataFolder.empty()) {
    log("PATCH LIBRARIAN: could not move file " + fileName + ": no data folder");
    return false;
  }
  const std::string folder = owner->dataFolder + "Converted Banks/";
  try {
    Poco::File target(folder);
    if (!target.exists()) target.createDirectories();
    // An earlier file of the same name stays: the new one gets a number.
    std::string name = fileName;
    const size_t dot = fileName.rfind('.');
    const std::string stem = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot);
    for (int number = 2; Poco::File(folder + name).exists(); ++number)
      name = stem + " " + std::to_string(number) + extension;
    Poco::File source(fullPath);
    try {
      source.renameTo(folder + name);
    } catch (const Poco::Exception&) {
      source.moveTo(folder + name);  // another file system: copied, then removed
    }
  } catch (const Poco::Exception& error) {
    log("PATCH LIBRARIAN: could not move file " + fileName + ": " + error.displayText());
    return false;
  }
  log("PATCH LIBRARIAN: moved file " + fileName + " because it is not Varno 1 standard formatted!");
  return true;
}

void PatchLibrarian::createFolderFilesStructure(PatchFile* bank, std::string) {
  if (!bank) return;
  const std::vector<std::string>& levels = bank->folderLevels;
  const size_t n = levels.size();
  FolderFiles* candidate = new FolderFiles();
  if (n == 1) {
    candidate->name = levels[0];
    candidate->banks.push_back(bank);
  } else if (n == 2) {
    candidate->subfolders.push_back(SubFolderFiles{levels[1], {}, {bank}});
  } else if (n == 3) {
    candidate->subfolders.push_back(SubFolderFiles{levels[1], {SubFolderFiles2{levels[2], {bank}}}, {}});
  }
  if (fileTree.empty() && n >= 1 && n <= 3) {
    fileTree.push_back(candidate);
    return;
  }
  bool found = false;
  for (FolderFiles* entry : fileTree) {
    if (n == 1 && entry->name == levels[0]) {
      entry->banks.push_back(bank);
      found = true;
    } else if (n == 2) {
      for (SubFolderFiles& sub : entry->subfolders)
        if (sub.name == levels[1]) {
          sub.banks.push_back(bank);
          found = true;
        }
    } else if (n == 3) {
      for (SubFolderFiles& sub : entry->subfolders) {
        if (sub.name != levels[1]) continue;
        if (sub.subfolders.empty()) {
          sub.subfolders.push_back(SubFolderFiles2{levels[2], {bank}});
          found = true;
        } else {
          for (SubFolderFiles2& deeper : sub.subfolders)
            if (deeper.name == levels[2]) {
              deeper.banks.push_back(bank);
              found = true;
            }
        }
      }
    }
  }
  // Banks three or more levels below the root have no place in the tree: an
  // entry holding nothing would only show as an empty menu.
  if (found || n == 0 || n > 3)
    delete candidate;
  else
    fileTree.push_back(candidate);
}

void PatchLibrarian::initBankFilesOnDiscard(std::string folder) {
  emptyLibrary();
  loadPatchesFromFilesystem(folder);
}
