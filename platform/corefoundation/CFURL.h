// File locations. A URL here is always an absolute file-system path; a
// relative path is taken from the current folder when the URL is made.
#pragma once

#include "platform/corefoundation/CFBase.h"

typedef CFIndex CFURLPathStyle;
enum : CFURLPathStyle { kCFURLPOSIXPathStyle = 0 };

// A new URL for a path (POSIX style only); null for an empty or null path.
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef path, CFURLPathStyle style,
                                       Boolean isDirectory);
CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const uint8_t* path,
                                                 CFIndex length, Boolean isDirectory);
// Copies the path and a NUL into buffer; false when it does not fit.
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, uint8_t* buffer,
                                         CFIndex bufferSize);
// A new string of the path; null for null.
CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style);
