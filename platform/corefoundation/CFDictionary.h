// Key-value maps. Keys are compared through the key callbacks' equal
// procedure (pointer identity when there is none); entries keep the order in
// which their keys were first set, so a dictionary is written out the same
// way every time.
#pragma once

#include "platform/corefoundation/CFBase.h"

typedef const void* (*CFDictionaryRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFDictionaryReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFDictionaryCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFDictionaryEqualCallBack)(const void* a, const void* b);

struct CFDictionaryKeyCallBacks {
  CFIndex version;  // 0
  CFDictionaryRetainCallBack retain;
  CFDictionaryReleaseCallBack release;
  CFDictionaryCopyDescriptionCallBack copyDescription;
  CFDictionaryEqualCallBack equal;
};
struct CFDictionaryValueCallBacks {
  CFIndex version;  // 0
  CFDictionaryRetainCallBack retain;
  CFDictionaryReleaseCallBack release;
  CFDictionaryCopyDescriptionCallBack copyDescription;
  CFDictionaryEqualCallBack equal;
};
// Keys and values that are CoreFoundation objects, compared with CFEqual.
extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;

// A new empty dictionary taking at most capacity entries (0: no limit).
CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks);
// Sets key to value, replacing an earlier value. A null dictionary or key is
// ignored, and so is a new key when the dictionary is full.
void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void* key, const void* value);
// Removes the key's entry when there is one.
void CFDictionaryRemoveValue(CFMutableDictionaryRef dictionary, const void* key);
// The value of key, or null when the key is missing.
const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key);
// True and *value set (when value is not null) when the key is present.
Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dictionary, const void* key, const void** value);
CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary);
// Writes every key and value in entry order into arrays of GetCount entries
// (either may be null).
void CFDictionaryGetKeysAndValues(CFDictionaryRef dictionary, const void** keys, const void** values);
