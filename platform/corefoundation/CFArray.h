// Ordered lists of values. The callbacks given at creation say how values are
// retained, released, described and compared; null callbacks keep the values
// as plain pointers. kCFTypeArrayCallBacks holds CoreFoundation objects.
#pragma once

#include "platform/corefoundation/CFBase.h"

typedef const void* (*CFArrayRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFArrayReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFArrayCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFArrayEqualCallBack)(const void* a, const void* b);

struct CFArrayCallBacks {
  CFIndex version;  // 0
  CFArrayRetainCallBack retain;
  CFArrayReleaseCallBack release;
  CFArrayCopyDescriptionCallBack copyDescription;
  CFArrayEqualCallBack equal;
};
extern const CFArrayCallBacks kCFTypeArrayCallBacks;

// A new array of count values (each retained through the callbacks).
CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex count,
                         const CFArrayCallBacks* callBacks);
// A new empty array that takes at most capacity values (0: no limit).
CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                       const CFArrayCallBacks* callBacks);
// Appends a value (retained through the callbacks). Ignored for a null array
// and when the array is full.
void CFArrayAppendValue(CFMutableArrayRef array, const void* value);
// Number of values; 0 for null.
CFIndex CFArrayGetCount(CFArrayRef array);
// The value at index; null outside 0 .. count - 1.
const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);
