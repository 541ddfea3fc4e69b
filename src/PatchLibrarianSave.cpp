// Writing banks: raw bank images and Standard MIDI files of 99 slots, always
// through a temporary file in the target's folder renamed over the target,
// so that a failed or killed write never destroys the old file.
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IModuleStructs.h"
#include "KIT/kitstring.h"
#include "src/EditorServices.h"
#include "src/PatchLibrarian.h"

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

// The file a write to path lands in: path itself, or the final target of
// the links it names, so that a link to a bank stays a link. A link that
// names no file yet leads to the file it would name.
bool FinalTarget(const std::string& path, std::string* target, std::string* reason) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      *target = current;
      return true;
    }
    std::vector<char> link(static_cast<size_t>(PATH_MAX) + 1);
    const ssize_t n = ::readlink(current.c_str(), link.data(), link.size() - 1);
    if (n <= 0) {
      *reason = std::string("cannot read the link: ") + std::strerror(errno);
      return false;
    }
    const std::string next(link.data(), static_cast<size_t>(n));
    const size_t separator = current.find_last_of('/');
    current =
        next[0] == '/' || separator == std::string::npos ? next : current.substr(0, separator + 1) + next;
  }
  *reason = "too many levels of links";
  return false;
}

// A temporary name beside the target: "." + its name + ".saving-" + six
// letters or digits, which the loader recognises when a killed write left
// one behind.
std::string TemporaryNameFor(const std::string& directory, const std::string& name) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<unsigned> counter{0};
  std::random_device device;
  std::mt19937 random(device() ^ (static_cast<unsigned>(getpid()) << 16) ^ counter.fetch_add(1));
  std::string suffix(PatchLibrarian::kTemporarySuffixLength, 'A');
  for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
  return directory + "." + name + ".saving-" + suffix;
}

// Writes all bytes to fd. A file-size limit must fail the write, not end the
// program: SIGXFSZ is held back in this thread (the signal is sent to the
// writing thread) and a signal the write raised is taken before the old
// mask comes back.
bool WriteAll(int fd, const uint8_t* bytes, int size, std::string* reason) {
  sigset_t fileSize, previous;
  sigemptyset(&fileSize);
  sigaddset(&fileSize, SIGXFSZ);
  pthread_sigmask(SIG_BLOCK, &fileSize, &previous);
  bool ok = true;
  bool tooLarge = false;
  for (int written = 0; ok && written < size;) {
    const ssize_t n = ::write(fd, bytes + written, static_cast<size_t>(size - written));
    if (n > 0) {
      written += static_cast<int>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      ok = false;
      tooLarge = n < 0 && errno == EFBIG;
      *reason = n < 0 ? std::strerror(errno) : "nothing written";
    }
  }
  if (tooLarge && !sigismember(&previous, SIGXFSZ)) {
    const timespec now = {0, 0};
    while (sigtimedwait(&fileSize, nullptr, &now) == SIGXFSZ) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return ok;
}

// Makes the temporary file, holding a lock on it for as long as the write
// runs: the loader removes only temporaries nobody holds. A temporary
// removed between its creation and the lock is made again.
int OpenLockedTemporary(const std::string& directory, const std::string& name, std::string* temporary,
                        std::string* reason) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temporary = TemporaryNameFor(directory, name);
    const int fd = ::open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      *reason = std::string("cannot create a temporary file: ") + std::strerror(errno);
      return -1;
    }
    struct stat opened {};
    struct stat named {};
    if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &opened) == 0 && ::stat(temporary->c_str(), &named) == 0 &&
        opened.st_dev == named.st_dev && opened.st_ino == named.st_ino)
      return fd;
    ::close(fd);
  }
  *reason = "cannot create a temporary file";
  return -1;
}

// Writes bytes to path (or, replacing, the target of the links it names)
// through a locked temporary file in the same folder, renamed over the
// target (or, not replacing, put in place only where nothing is) and synced
// with its folder. The target keeps its permission bits and, where
// allowed, its owner; a target nobody may write is refused untouched.
// Puts the finished temporary in place under target, which must not exist:
// nothing that appears there meanwhile is ever replaced.
bool RenameWithoutReplacing(const std::string& temporary, const std::string& target, std::string* reason) {
  if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) {
    *reason = errno == EEXIST ? "a file of that name exists"
                              : std::string("cannot name the file: ") + std::strerror(errno);
    return false;
  }
  // A file system without that rename: a second name, which is never made
  // over an existing one, then the temporary name goes.
  if (::link(temporary.c_str(), target.c_str()) != 0) {
    *reason = errno == EEXIST ? "a file of that name exists"
                              : std::string("cannot name the file: ") + std::strerror(errno);
    return false;
  }
  ::unlink(temporary.c_str());
  return true;
}

bool WriteThroughTemporary(const std::string& path, const uint8_t* bytes, int size, bool replace,
                           std::string* reason) {
  if (path.empty() || size < 0 || (size > 0 && !bytes)) {
    *reason = "nothing to write";
    return false;
  }
  std::string target = path;
  struct stat old {};
  bool exists = false;
  if (replace) {
    if (!FinalTarget(path, &target, reason)) return false;
    exists = ::stat(target.c_str(), &old) == 0;
  } else if (::lstat(path.c_str(), &old) == 0) {
    *reason = "a file of that name exists";  // a link to nothing included
    return false;
  }
  if (exists) {
    if (!S_ISREG(old.st_mode)) {
      *reason = "not a file";
      return false;
    }
    // No write bit for anyone marks a file kept read-only, even for the
    // superuser, who would pass the access test.
    if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target.c_str(), W_OK) != 0) {
      *reason = "the file is read-only";
      return false;
    }
  }
  const size_t separator = target.find_last_of('/');
  const std::string directory =
      separator == std::string::npos ? std::string() : target.substr(0, separator + 1);
  const std::string name = separator == std::string::npos ? target : target.substr(separator + 1);

  std::string temporary;
  const int fd = OpenLockedTemporary(directory, name, &temporary, reason);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes, size, reason);
  if (ok && exists) {
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
      if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Not allowed to give it away: it stays ours.
      }
    }
    ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    if (!ok) *reason = std::string("cannot keep the permissions: ") + std::strerror(errno);
  }
  if (ok && ::fsync(fd) != 0) {
    ok = false;
    *reason = std::string("cannot sync: ") + std::strerror(errno);
  }
  if (ok && replace && std::rename(temporary.c_str(), target.c_str()) != 0) {
    ok = false;
    *reason = std::string("cannot replace the file: ") + std::strerror(errno);
  }
  if (ok && !replace) ok = RenameWithoutReplacing(temporary, target, reason);
  if (!ok) ::unlink(temporary.c_str());
  // Closing drops the lock: only after the temporary is gone or renamed.
  ::close(fd);
  if (ok) {
    // The rename itself lasts only once the folder is on disk.
    const int folder =
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      ::fsync(folder);
      ::close(folder);
    }
  }
  return ok;
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

bool PatchLibrarian::isTemporaryFileName(const std::string& fileName) {
  // "." + a bank file's name + ".saving-" + six letters or digits.
  static const std::string kMarker = ".saving-";
  const size_t n = fileName.size();
  if (n < 1 + kMarker.size() + kTemporarySuffixLength || fileName[0] != '.') return false;
  const size_t marker = n - kTemporarySuffixLength - kMarker.size();
  if (fileName.compare(marker, kMarker.size(), kMarker) != 0) return false;
  for (size_t i = n - kTemporarySuffixLength; i < n; ++i)
    if (!std::isalnum(static_cast<unsigned char>(fileName[i]))) return false;
  const std::string bankName = fileName.substr(1, marker - 1);
  const size_t dot = bankName.rfind('.');
  if (dot == std::string::npos) return false;
  std::string extension = bankName.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == "vrn" || extension == "syx" || extension == "mid";
}

bool PatchLibrarian::writeFileSafely(const std::string& path, const uint8_t* bytes, int size,
                                     std::string* error) {
  std::string reason;
  const bool ok = WriteThroughTemporary(path, bytes, size, /*replace*/ true, &reason);
  if (error) *error = reason;
  return ok;
}

bool PatchLibrarian::writeNewFileSafely(const std::string& path, const uint8_t* bytes, int size,
                                        std::string* error) {
  std::string reason;
  const bool ok = WriteThroughTemporary(path, bytes, size, /*replace*/ false, &reason);
  if (error) *error = reason;
  return ok;
}

bool PatchLibrarian::writeEditedBank(const std::string& path, bool smf) {
  std::unique_ptr<PatchFile> copy(fileBanks[static_cast<size_t>(upperBankIndex)]->clone());
  ByteChunk image;
  buildBankImage(*copy, smf, &image);
  std::string error;
  if (writeFileSafely(path, image.GetData(), image.Size(), &error)) return true;
  log("PATCH LIBRARIAN: could not write file " + path + ": " + error);
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
  // The bank goes back into the file it came from, in that file's format: a
  // Standard MIDI file for "mid", a raw image (the bank format, and a raw
  // SysEx file for "syx") for anything else. The name recorded is the name
  // of the file written.
  const size_t dot = name.rfind('.');
  std::string extension = dot == std::string::npos ? name : name.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (!writeEditedBank(path, extension == "mid")) return false;
  if (owner) owner->currentBankFileName = name;
  return true;
}
