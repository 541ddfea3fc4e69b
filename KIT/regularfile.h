// Opening files by name without waiting on them. A pipe, a device or a
// folder standing under the name of a settings, profile, log, bank or
// resource file must never hang the caller in open() or read(): the name is
// opened non-blocking and kept only when it is a regular file, which then
// reads and writes as usual (its descriptor is made blocking again).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// Opens path with the open() flags given (O_RDONLY, O_WRONLY or O_RDWR, and
// O_CREAT, O_APPEND, O_TRUNC, O_NOFOLLOW as wished; close-on-exec is always
// added). A new file is created with mode. Returns the descriptor, or -1
// with errno set: EISDIR for a folder, ENXIO for any other entry that is not
// a regular file (O_TRUNC then truncates nothing), or the error of open().
int KIT_OpenRegularFile(const char* path, int flags, unsigned mode = 0666);

// The same as a stdio stream: mode "r" or "rb" reads, "w"/"wb" writes
// (truncating), "a"/"ab" appends, "r+" both; "e" is accepted and ignored
// (close-on-exec is always set). Null, with errno set, as above.
FILE* KIT_FOpenRegularFile(const char* path, const char* mode);

// Reads the whole regular file at path into bytes (replaced). False when it
// cannot be opened or read, is not a regular file, or holds more than limit
// bytes (reading stops as soon as it is over; bytes is then left empty).
bool KIT_ReadRegularFile(const char* path, std::vector<uint8_t>* bytes, size_t limit);
