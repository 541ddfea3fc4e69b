#include "platform/corefoundation/CFArray.h"
#include "platform/corefoundation/CFDictionary.h"
#include "platform/corefoundation/cf_internal.h"

static const void* retainObject(CFAllocatorRef, const void* value) { return CFRetain(value); }
static void releaseObject(CFAllocatorRef, const void* value) { CFRelease(value); }
static Boolean equalObjects(const void* a, const void* b) { return CFEqual(a, b); }

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, retainObject, releaseObject, nullptr, equalObjects};
const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0, retainObject, releaseObject, nullptr,
                                                                equalObjects};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, retainObject, releaseObject, nullptr,
                                                                    equalObjects};

// ---------------------------------------------------------------- ARRAYS

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity, const CFArrayCallBacks* callBacks) {
  if (capacity < 0) return nullptr;
  auto* a = new CFArrayImpl;
  if (callBacks) a->callBacks = *callBacks;
  a->capacity = capacity;
  return a;
}

CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex count,
                         const CFArrayCallBacks* callBacks) {
  if (count < 0 || (!values && count > 0)) return nullptr;
  CFMutableArrayRef a = CFArrayCreateMutable(allocator, 0, callBacks);
  for (CFIndex i = 0; i < count; ++i) CFArrayAppendValue(a, values[i]);
  return a;
}

void CFDestroyArray(CFArrayImpl* a) {
  if (a->callBacks.release)
    for (const void* value : a->values) a->callBacks.release(nullptr, value);
  delete a;
}

void CFArrayAppendValue(CFMutableArrayRef a, const void* value) {
  if (!a || (a->capacity > 0 && static_cast<CFIndex>(a->values.size()) >= a->capacity)) return;
  a->values.push_back(a->callBacks.retain ? a->callBacks.retain(nullptr, value) : value);
}

CFIndex CFArrayGetCount(CFArrayRef a) { return a ? static_cast<CFIndex>(a->values.size()) : 0; }

const void* CFArrayGetValueAtIndex(CFArrayRef a, CFIndex index) {
  if (!a || index < 0 || index >= static_cast<CFIndex>(a->values.size())) return nullptr;
  return a->values[static_cast<size_t>(index)];
}

// ---------------------------------------------------------------- DICTIONARIES

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks) {
  if (capacity < 0) return nullptr;
  auto* d = new CFDictionaryImpl;
  if (keyCallBacks) d->keyCallBacks = *keyCallBacks;
  if (valueCallBacks) d->valueCallBacks = *valueCallBacks;
  d->capacity = capacity;
  return d;
}

void CFDestroyDictionary(CFDictionaryImpl* d) {
  for (const auto& entry : d->entries) {
    if (d->keyCallBacks.release) d->keyCallBacks.release(nullptr, entry.first);
    if (d->valueCallBacks.release) d->valueCallBacks.release(nullptr, entry.second);
  }
  delete d;
}

static long findKey(CFDictionaryRef d, const void* key) {
  for (size_t i = 0; i < d->entries.size(); ++i) {
    const void* k = d->entries[i].first;
    if (d->keyCallBacks.equal ? d->keyCallBacks.equal(k, key) : k == key) return static_cast<long>(i);
  }
  return -1;
}

void CFDictionarySetValue(CFMutableDictionaryRef d, const void* key, const void* value) {
  if (!d || !key) return;
  const long i = findKey(d, key);
  if (i < 0 && d->capacity > 0 && static_cast<CFIndex>(d->entries.size()) >= d->capacity) return;
  // Retain the new value before releasing the old one: they may be the same.
  const void* kept = d->valueCallBacks.retain ? d->valueCallBacks.retain(nullptr, value) : value;
  if (i >= 0) {
    const void* old = d->entries[static_cast<size_t>(i)].second;
    d->entries[static_cast<size_t>(i)].second = kept;
    if (d->valueCallBacks.release) d->valueCallBacks.release(nullptr, old);
    return;
  }
  const void* keptKey = d->keyCallBacks.retain ? d->keyCallBacks.retain(nullptr, key) : key;
  d->entries.emplace_back(keptKey, kept);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef d, const void* key) {
  if (!d || !key) return;
  const long i = findKey(d, key);
  if (i < 0) return;
  const auto entry = d->entries[static_cast<size_t>(i)];
  d->entries.erase(d->entries.begin() + i);
  if (d->keyCallBacks.release) d->keyCallBacks.release(nullptr, entry.first);
  if (d->valueCallBacks.release) d->valueCallBacks.release(nullptr, entry.second);
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef d, const void* key, const void** value) {
  if (!d || !key) return false;
  const long i = findKey(d, key);
  if (i < 0) return false;
  if (value) *value = d->entries[static_cast<size_t>(i)].second;
  return true;
}

const void* CFDictionaryGetValue(CFDictionaryRef d, const void* key) {
  const void* value = nullptr;
  return CFDictionaryGetValueIfPresent(d, key, &value) ? value : nullptr;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef d) { return d ? static_cast<CFIndex>(d->entries.size()) : 0; }

void CFDictionaryGetKeysAndValues(CFDictionaryRef d, const void** keys, const void** values) {
  if (!d) return;
  for (size_t i = 0; i < d->entries.size(); ++i) {
    if (keys) keys[i] = d->entries[i].first;
    if (values) values[i] = d->entries[i].second;
  }
}
