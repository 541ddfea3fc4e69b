#include "KIT/regularfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

int KIT_OpenRegularFile(const char* path, int flags, unsigned mode) {
  if (!path || !*path) {
    errno = ENOENT;
    return -1;
  }
  // O_TRUNC waits until the entry is known to be a regular file.
  const bool truncate = (flags & O_TRUNC) != 0;
  const int fd =
      ::open(path, (flags & ~O_TRUNC) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, static_cast<mode_t>(mode));
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : ENXIO;
    ::close(fd);
    errno = error;
    return -1;
  }
  const int status = ::fcntl(fd, F_GETFL);
  if (status == -1 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1 ||
      (truncate && ::ftruncate(fd, 0) != 0)) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

FILE* KIT_FOpenRegularFile(const char* path, const char* mode) {
  if (!mode) {
    errno = EINVAL;
    return nullptr;
  }
  const bool update = std::strchr(mode, '+') != nullptr;
  int flags = 0;
  const char* fdMode = nullptr;
  switch (mode[0]) {
    case 'r':
      flags = update ? O_RDWR : O_RDONLY;
      fdMode = update ? "r+" : "r";
      break;
    case 'w':
      flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
      fdMode = update ? "w+" : "w";
      break;
    case 'a':
      flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
      fdMode = update ? "a+" : "a";
      break;
    default:
      errno = EINVAL;
      return nullptr;
  }
  const int fd = KIT_OpenRegularFile(path, flags);
  if (fd < 0) return nullptr;
  FILE* file = ::fdopen(fd, fdMode);
  if (!file) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return file;
}

bool KIT_ReadRegularFile(const char* path, std::vector<uint8_t>* bytes, size_t limit) {
  if (!bytes) return false;
  bytes->clear();
  const int fd = KIT_OpenRegularFile(path, O_RDONLY);
  if (fd < 0) return false;
  uint8_t block[65536];
  bool ok = true;
  for (;;) {
    const ssize_t got = ::read(fd, block, sizeof block);
    if (got < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (got == 0) break;
    if (bytes->size() + static_cast<size_t>(got) > limit) {
      ok = false;
      break;
    }
    bytes->insert(bytes->end(), block, block + got);
  }
  ::close(fd);
  if (!ok) bytes->clear();
  return ok;
}
