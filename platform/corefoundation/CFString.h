// Immutable text held as UTF-8. A string is made only from valid UTF-8; any
// other input gives null, so every CFString can be written out as it stands.
#pragma once

#include "platform/corefoundation/CFBase.h"

typedef uint32_t CFStringEncoding;
enum : CFStringEncoding { kCFStringEncodingUTF8 = 0x08000100 };
enum : CFOptionFlags { kCFCompareCaseInsensitive = 1 };

// A constant string for a literal: made once per text and never freed.
#define CFSTR(text) CFStringMakeConstant("" text "")
CFStringRef CFStringMakeConstant(const char* text);

// A new string from NUL-terminated text; null for a null text, another
// encoding than UTF-8 or bytes that are not valid UTF-8.
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text, CFStringEncoding encoding);
// The same from a byte count (NUL bytes are refused as well).
CFStringRef CFStringCreateWithBytes(CFAllocatorRef allocator, const uint8_t* bytes, CFIndex count,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
// A string with the same text (the same object for a constant).
CFStringRef CFStringCreateCopy(CFAllocatorRef allocator, CFStringRef text);

// Length in UTF-16 units (the unit string lengths are counted in); 0 for null.
CFIndex CFStringGetLength(CFStringRef text);
// Bytes needed at most for length units in the encoding, without the NUL;
// -1 for an unknown encoding.
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
// Copies the text and a NUL into buffer. False, with an empty text in the
// buffer when it has room for one, when the buffer is too small, the string
// is null or the encoding is not UTF-8.
Boolean CFStringGetCString(CFStringRef text, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
// The UTF-8 text itself, valid while the string lives; null for null or
// another encoding.
const char* CFStringGetCStringPtr(CFStringRef text, CFStringEncoding encoding);
// Orders by code point (byte order of UTF-8); case-insensitive for ASCII
// letters with kCFCompareCaseInsensitive. A null string sorts first.
CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags options);
