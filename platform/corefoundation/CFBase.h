// Reference-counted objects of the CoreFoundation stand-in: the base types,
// retain and release, type identity and equality, and the default allocator.
// Every object starts with a retain count of 1 ("Create" and "Copy" calls hand
// the caller that reference); "Get" calls hand out a reference the caller does
// not own. Constant strings (CFSTR) are never freed.
#pragma once

#include <cstddef>
#include <cstdint>

typedef uint8_t Boolean;
typedef long CFIndex;
typedef uint32_t CFTypeID;
typedef uint32_t CFOptionFlags;
typedef const void* CFTypeRef;
typedef CFTypeRef CFPropertyListRef;  // a string, number, data, array or dictionary

typedef const struct CFAllocatorImpl* CFAllocatorRef;
typedef const struct CFStringImpl* CFStringRef;
typedef const struct CFNumberImpl* CFNumberRef;
typedef const struct CFDataImpl* CFDataRef;
typedef const struct CFArrayImpl* CFArrayRef;
typedef struct CFArrayImpl* CFMutableArrayRef;
typedef const struct CFDictionaryImpl* CFDictionaryRef;
typedef struct CFDictionaryImpl* CFMutableDictionaryRef;
typedef const struct CFURLImpl* CFURLRef;
typedef struct CFBundleImpl* CFBundleRef;

// Type identities returned by CFGetTypeID (fixed numbers, so two copies of
// this library in one process agree on them).
enum : CFTypeID {
  kCFStringTypeID = 7,
  kCFNumberTypeID = 22,
  kCFDataTypeID = 20,
  kCFArrayTypeID = 19,
  kCFDictionaryTypeID = 18,
  kCFURLTypeID = 29,
  kCFBundleTypeID = 31,
};

enum CFComparisonResult : CFIndex {
  kCFCompareLessThan = -1,
  kCFCompareEqualTo = 0,
  kCFCompareGreaterThan = 1
};

// ---------------------------------------------------------------- ALLOCATOR
// The default allocator (null) is the only one: malloc and free.
extern const CFAllocatorRef kCFAllocatorDefault;
// Returns size bytes, or null when size is not above 0 or memory is short.
void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint);
void CFAllocatorDeallocate(CFAllocatorRef allocator, void* block);

// ---------------------------------------------------------------- OBJECTS
// Adds one reference and returns the object; null is returned unchanged.
CFTypeRef CFRetain(CFTypeRef object);
// Drops one reference; the last one frees the object. Null is ignored.
void CFRelease(CFTypeRef object);
// The number of references (a large constant for constant strings); 0 for null.
CFIndex CFGetRetainCount(CFTypeRef object);
// The object's type, or 0 for null.
CFTypeID CFGetTypeID(CFTypeRef object);
// Same type and same content (strings by text, numbers by value, data by
// bytes, arrays and dictionaries entry by entry). Two nulls are equal.
Boolean CFEqual(CFTypeRef a, CFTypeRef b);

CFTypeID CFStringGetTypeID();
CFTypeID CFNumberGetTypeID();
CFTypeID CFDataGetTypeID();
CFTypeID CFArrayGetTypeID();
CFTypeID CFDictionaryGetTypeID();
CFTypeID CFURLGetTypeID();
CFTypeID CFBundleGetTypeID();
