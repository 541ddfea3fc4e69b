// Loading the library folder tree: the folder scan, the file filter, reading
// each file into a bank, rewriting split and converted files, and the folder
// tree the bank menus show.
#include <Poco/Exception.h>
#include <Poco/File.h>
#include <Poco/Path.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "KIT/IModule/IModuleStructs.h"
#include "src/EditorServices.h"
#include "src/PatchLibrarian.h"
#include "src/PatchLibrarianCategories.h"

namespace {

const char* const kAcceptedExtensions[] = {"mid", "syx", "vrn", "vr2"};

// The chunk size of the block a load reads its files into.
constexpr size_t kLoadChunk = 256 * 1024;

// The lower-cased text after the last "." of a file name ("" without one).
std::string lowerCaseExtension(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  if (dot == std::string::npos) return std::string();
  std::string extension = fileName.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

bool acceptedExtension(const std::string& extension) {
  for (const char* accepted : kAcceptedExtensions)
    if (extension == accepted) return true;
  return false;
}

// A file descriptor closed when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(int fd) : m_fd(fd) {}
  ~FileHandle() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return m_fd; }
  void reset(int fd) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
  }

 private:
  int m_fd;
};

int openForReading(int folderFd, const char* name) {
  return ::openat(folderFd, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

// Reads an open file of about size bytes (as its status said) into image;
// false when it cannot be read or holds more than kMaximumPatchFileSize
// bytes (also one that grew since: never more than the limit is read). The
// image's room is kept from file to file.
bool readWholeFile(int fd, int64_t size, ByteChunk* image) {
  if (fd < 0 || size < 0 || size > kMaximumPatchFileSize) return false;
  // One byte more than the size asked for: a file that grew since is seen.
  int room = static_cast<int>(size) + 1;
  int filled = 0;
  if (image->Resize(room) != room) return false;
  for (;;) {
    const ssize_t got = ::read(fd, image->GetData() + filled, static_cast<size_t>(room - filled));
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) break;
    filled += static_cast<int>(got);
    // A read that stops short once the size the status gave is in has met
    // the end of a plain file: no second read to be told so.
    if (filled < room && filled >= size) break;
    if (filled < room) continue;
    // The file grew since its size was taken: read on up to one byte past the limit.
    if (room > kMaximumPatchFileSize) return false;
    room = static_cast<int>(std::min<int64_t>(kMaximumPatchFileSize + 1, int64_t{room} * 2));
    if (image->Resize(room) != room) return false;
  }
  return image->Resize(filled) == filled;
}

// Reads an open file of about size bytes (as its status said) into room
// bytes at buffer: the count read, room when the file holds more (it grew
// since), -1 when it cannot be read.
int64_t readInto(int fd, int64_t size, unsigned char* buffer, int64_t room) {
  int64_t filled = 0;
  while (filled < room) {
    const ssize_t got = ::read(fd, buffer + filled, static_cast<size_t>(room - filled));
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    filled += got;
    // A read that stops short once the size the status gave is in has met
    // the end of a plain file: no second read to be told so.
    if (filled < room && filled >= size) break;
  }
  return filled;
}

// A folder's device and inode: what tells a folder from a link back to it.
using FolderIdentity = std::pair<dev_t, ino_t>;

bool folderIdentity(const std::string& path, FolderIdentity* identity) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  *identity = FolderIdentity(info.st_dev, info.st_ino);
  return true;
}

// A folder entry's name and the kind of file readdir says it is.
struct FolderEntry {
  std::string name;
  unsigned char type;  // DT_REG, DT_DIR, DT_LNK, ...; DT_UNKNOWN when not told
};

// The entries of an open folder ("." and ".." left out), sorted by name;
// false when it cannot be listed. The descriptor stays open.
bool listFolder(int folderFd, std::vector<FolderEntry>* entries) {
  const int listFd = ::dup(folderFd);
  if (listFd < 0) return false;
  DIR* dir = ::fdopendir(listFd);
  if (!dir) {
    ::close(listFd);
    return false;
  }
  ::rewinddir(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    entries->push_back(FolderEntry{name, entry->d_type});
  }
  ::closedir(dir);
  std::sort(entries->begin(), entries->end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return true;
}

int openFolder(const std::string& folder) {
  return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// One walk of the library's folders. Every folder is entered once, by the
// first road that reaches it (entries are taken in name order, so every load
// sees the same tree): a folder that several links lead to, or a link back
// up, is left out with a log line. Depth and folder count are bounded, so no
// tree of links can make the walk explode.
class FolderWalk {
 public:
  // The entries of every folder listed, by full path: the load reads them
  // instead of listing each folder again.
  using Listings = std::map<std::string, std::vector<FolderEntry>>;

  FolderWalk(std::vector<std::string>* list, std::function<void(const std::string&)> log,
             Listings* listings = nullptr)
      : m_list(list), m_log(std::move(log)), m_listings(listings) {}

  void walk(const std::string& root) {
    FolderIdentity top;
    if (folderIdentity(root, &top)) m_visited.insert(top);
    walkBelow(root, 0);
  }

 private:
  // The folders below folder (depth levels below the root), each after
  // everything below it.
  void walkBelow(const std::string& folder, int depth) {
    std::vector<FolderEntry> listed;
    const FileHandle folderFd(openFolder(folder));
    if (folderFd.get() < 0 || !listFolder(folderFd.get(), &listed)) {
      m_log("PATCH LIBRARIAN: could not list folder " + folder);
      return;
    }
    // A map keeps its entries where they are while the walk below adds more.
    const std::vector<FolderEntry>& entries =
        m_listings ? ((*m_listings)[folder] = std::move(listed)) : listed;
    for (const FolderEntry& entry : entries) {
      // A plain file needs no look at its inode; a link or an entry of
      // unknown kind may lead to a folder.
      if (entry.type != DT_DIR && entry.type != DT_LNK && entry.type != DT_UNKNOWN) continue;
      const std::string below = folder + "/" + entry.name;
      FolderIdentity identity;
      if (!folderIdentity(below, &identity)) continue;  // a file, or a link to nothing
      if (m_visited.count(identity)) {
        m_log("PATCH LIBRARIAN: skipped folder " + below + ": it leads to a folder that is loaded already");
        continue;
      }
      if (depth + 1 > PatchLibrarian::kMaximumFolderDepth) {
        m_log("PATCH LIBRARIAN: skipped folder " + below + ": more than " +
              std::to_string(PatchLibrarian::kMaximumFolderDepth) + " levels below the library folder");
        continue;
      }
      if (m_entered >= PatchLibrarian::kMaximumFolders) {
        if (!m_countReported)
          m_log("PATCH LIBRARIAN: skipped folder " + below +
                " and every further one: the library holds more than " +
                std::to_string(PatchLibrarian::kMaximumFolders) + " folders");
        m_countReported = true;
        return;
      }
      m_visited.insert(identity);
      ++m_entered;
      walkBelow(below, depth + 1);
      m_list->push_back(below);
    }
  }

  std::vector<std::string>* m_list;
  std::function<void(const std::string&)> m_log;
  Listings* m_listings;
  std::set<FolderIdentity> m_visited;
  size_t m_entered = 0;  // folders below the root entered so far
  bool m_countReported = false;
};

// What every bank read from one folder shares: the path of its files as the
// path parser writes it, their depth below the root, the folder's name and
// the folder levels from the root's own folder down.
struct FolderPlace {
  std::string filePrefix;  // a file's full path is this followed by its name
  int depth = 0;
  std::string folderName;
  std::vector<std::string> levels;
};

FolderPlace placeOfFolder(const std::string& folder, int rootSeparators) {
  // A file name holds no separator, so every file of the folder has the
  // folder components of this one.
  const std::string stand = "f";
  const Poco::Path path(folder + "/" + stand);
  FolderPlace place;
  place.filePrefix = path.toString();
  place.filePrefix.resize(place.filePrefix.size() - stand.size());
  place.depth = path.depth() - rootSeparators;
  place.folderName = path.depth() > 0 ? path[path.depth() - 1] : std::string();
  for (int level = std::max(0, path.depth() - place.depth - 1); level < path.depth(); ++level)
    place.levels.push_back(path[level]);
  return place;
}

// A new bank for the file name of a folder: names and levels, the tag.
PatchFile* newBank(const std::string& fullPath, const std::string& fileName, const std::string& folderName,
                   const std::vector<std::string>& levels, int tag) {
  PatchFile* bank = new PatchFile();
  const size_t separator = fullPath.find_last_of("/\\");
  if (separator != std::string::npos) bank->folderPath.assign(fullPath, 0, separator);
  bank->fileName = fileName;
  bank->folderName = folderName;
  bank->folderLevels = levels;
  bank->numberTag = tag;
  return bank;
}

}  // namespace

void PatchLibrarian::loadPatchesFromFilesystem(std::string root) {
  // One image for every file of the load: its room is reused.
  ByteChunk image;
  // The category banks take each bank as it is read, while its records are
  // fresh; they join the library once the load is done.
  CategoryBankBuilder categories;
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
      mLoadStore.reset();
      return;
    }
    folderScanList.clear();
    // The files of one pass share one block, in chunks of many files.
    mLoadStore = std::make_shared<PatchStore>(kLoadChunk);
    FolderWalk::Listings listings;
    FolderWalk(
        &folderScanList, [this](const std::string& line) { log(line); }, &listings)
        .walk(root);
    std::sort(folderScanList.begin(), folderScanList.end());
    folderScanList.push_back(root);
    const int rootSeparators = static_cast<int>(
        std::count_if(root.begin(), root.end(), [](char c) { return c == '/' || c == '\\'; }));

    for (const std::string& folder : folderScanList) {
      std::vector<FolderEntry> entries;
      const FileHandle folderFd(openFolder(folder));
      const auto walked = listings.find(folder);
      if (folderFd.get() >= 0 && walked != listings.end())
        entries = std::move(walked->second);
      else if (folderFd.get() < 0 || !listFolder(folderFd.get(), &entries)) {
        log("PATCH LIBRARIAN: could not list folder " + folder);
        continue;
      }
      std::vector<std::string> temporaries;
      for (const FolderEntry& entry : entries)
        if (isTemporaryFileName(entry.name)) temporaries.push_back(folder + "/" + entry.name);
      removeStaleTemporaries(temporaries);
      FolderPlace place;
      bool placed = false;
      std::string fullPath;  // its room is kept from file to file
      for (size_t i = 0; i < entries.size(); ++i) {
        const std::string& name = entries[i].name;
        const std::string extension = lowerCaseExtension(name);
        const bool accepted = acceptedExtension(extension);
        // Only entries of an accepted name are looked at, and links or
        // entries of unknown kind, whose target may be gone.
        if (!accepted && entries[i].type != DT_LNK && entries[i].type != DT_UNKNOWN) continue;
        struct stat info {};
        FileHandle file(-1);
        bool known = false;
        if (accepted && entries[i].type == DT_REG && extension != "vr2") {
          // A plain file is opened at once: its status comes with the open
          // file, without a second look-up by name.
          file.reset(openForReading(folderFd.get(), name.c_str()));
          known = file.get() >= 0 && ::fstat(file.get(), &info) == 0;
          if (!known) file.reset(-1);
        }
        if (!known && ::fstatat(folderFd.get(), name.c_str(), &info, 0) != 0) {
          log("PATCH LIBRARIAN: skipped file " + folder + "/" + name);
          continue;
        }
        if (!accepted || !S_ISREG(info.st_mode)) continue;
        const int64_t size = static_cast<int64_t>(info.st_size);
        if (size < kMinimumBankFileSize) continue;
        if (size > kMaximumPatchFileSize && extension != "vr2") {
          log("PATCH LIBRARIAN: skipped file " + folder + "/" + name + ": " + std::to_string(size) +
              " bytes, more than a patch file holds (limit " + std::to_string(kMaximumPatchFileSize) + ")");
          continue;
        }
        fileSplit = false;
        if (extension == "vr2") continue;  // listed, never read, moved or written
        if (!placed) {
          place = placeOfFolder(folder, rootSeparators);
          placed = true;
        }
        fullPath.assign(place.filePrefix).append(name);
        PatchFile* bank = newBank(fullPath, name, place.folderName, place.levels, /*tag*/ 0);
        if (file.get() < 0) file.reset(openForReading(folderFd.get(), name.c_str()));
        bank = readBankFile(bank, file.get(), size, fullPath, extension, &image);
        if (bank) createFolderFilesStructure(bank, bank->folderPath);
        categories.takeNew(fileBanks);
      }
    }

    if (!rescanRequested || pass == 1) break;
    log("FOLDER RESCAN INITIATED BY PATCH LIBRARIAN");
    rescanRequested = false;
    categories.clear();
    deleteBanks(fileBanks);
    deleteBanks(categoryBanks);
    clearDataStructures(0);
    clearDataStructures(2);
  }
  mLoadStore.reset();
  rescanRequested = false;
  categories.takeNew(fileBanks);
  categories.place(&categoryBanks, &mEmptyCategoryBanks, &categoryTree);
}

void PatchLibrarian::buildFolderStructure(const std::string& folder, std::vector<std::string>* list) {
  if (!list) return;
  FolderWalk(list, [this](const std::string& line) { log(line); }).walk(folder);
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

PatchFile* PatchLibrarian::parseFolderFiles(Poco::File, Poco::Path path, int depth, int tag, int,
                                            std::string extension) {
  fileSplit = false;
  if (extension == "vr2") return nullptr;  // listed, never read, moved or written
  const std::string fullPath = path.toString();
  std::vector<std::string> levels;
  for (int level = std::max(0, path.depth() - depth - 1); level < path.depth(); ++level)
    levels.push_back(path[level]);
  PatchFile* bank = newBank(fullPath, path.getFileName(),
                            path.depth() > 0 ? path[path.depth() - 1] : std::string(), levels, tag);
  ByteChunk image;
  const FileHandle file(openForReading(AT_FDCWD, fullPath.c_str()));
  struct stat info {};
  const bool plain = file.get() >= 0 && ::fstat(file.get(), &info) == 0 && S_ISREG(info.st_mode);
  return readBankFile(bank, plain ? file.get() : -1, info.st_size, fullPath, extension, &image);
}

PatchFile* PatchLibrarian::readBankFile(PatchFile* bank, int fd, int64_t size, const std::string& fullPath,
                                        const std::string& extension, ByteChunk* image) {
  const bool smf = extension == "mid";
  const std::string& fileName = bank->fileName;
  const int tag = bank->numberTag;
  if (logging()) log("PATCH LIBRARIAN: loaded file " + fullPath);
  soundConverted = false;
  // The file is read into the block the bank keeps its records in, and its
  // usual records are made where they lie. A file that grew since its size
  // was taken is read again through the image and copied.
  std::shared_ptr<PatchStore> store = mLoadStore ? mLoadStore : std::make_shared<PatchStore>();
  unsigned char* block = nullptr;
  if (fd >= 0 && size >= 0 && size <= kMaximumPatchFileSize)
    block = mLoadStore ? store->allocate(static_cast<size_t>(size) + 1)
                       : store->allocateAlone(static_cast<size_t>(size) + 1);
  const int64_t filled = block ? readInto(fd, size, block, size + 1) : -1;
  if (filled >= 0 && filled <= size) {
    bank->patches.keepRecords(std::move(store));
    if (filled >= 15) loadImage(block, static_cast<int>(filled), block, bank);
  } else if ((filled < 0 && block) || ::lseek(fd, 0, SEEK_SET) != 0 || !readWholeFile(fd, size, image)) {
    log("PATCH LIBRARIAN: could not read file " + fullPath);
    delete bank;
    return nullptr;
  } else {
    loadFromChunk(image, image->Size(), bank, smf);
  }
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
  // Banks three or more levels below the root have no place in the tree: an
  // entry holding nothing would only show as an empty menu.
  if (n < 1 || n > 3) return;
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
  if (found) return;
  FolderFiles* entry = new FolderFiles();
  if (n == 1) {
    entry->name = levels[0];
    entry->banks.push_back(bank);
  } else if (n == 2) {
    entry->subfolders.push_back(SubFolderFiles{levels[1], {}, {bank}});
  } else {
    entry->subfolders.push_back(SubFolderFiles{levels[1], {SubFolderFiles2{levels[2], {bank}}}, {}});
  }
  fileTree.push_back(entry);
}

void PatchLibrarian::initBankFilesOnDiscard(std::string folder) {
  emptyLibrary();
  loadPatchesFromFilesystem(folder);
}
