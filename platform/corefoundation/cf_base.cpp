#include <cstdlib>

#include "platform/corefoundation/CFString.h"
#include "platform/corefoundation/cf_internal.h"

const CFAllocatorRef kCFAllocatorDefault = nullptr;

void* CFAllocatorAllocate(CFAllocatorRef, CFIndex size, CFOptionFlags) {
  return size > 0 ? malloc(static_cast<size_t>(size)) : nullptr;
}

void CFAllocatorDeallocate(CFAllocatorRef, void* block) { free(block); }

static CFObjectHeader* header(CFTypeRef object) {
  return static_cast<CFObjectHeader*>(const_cast<void*>(object));
}

CFTypeRef CFRetain(CFTypeRef object) {
  if (!object) return nullptr;
  CFObjectHeader* h = header(object);
  if (h->retainCount.load(std::memory_order_relaxed) != kCFImmortalCount)
    h->retainCount.fetch_add(1, std::memory_order_relaxed);
  return object;
}

void CFRelease(CFTypeRef object) {
  if (!object) return;
  CFObjectHeader* h = header(object);
  if (h->retainCount.load(std::memory_order_relaxed) == kCFImmortalCount) return;
  if (h->retainCount.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  switch (h->typeID) {
    case kCFStringTypeID:
      CFDestroyString(static_cast<CFStringImpl*>(h));
      break;
    case kCFNumberTypeID:
      delete static_cast<CFNumberImpl*>(h);
      break;
    case kCFDataTypeID:
      delete static_cast<CFDataImpl*>(h);
      break;
    case kCFArrayTypeID:
      CFDestroyArray(static_cast<CFArrayImpl*>(h));
      break;
    case kCFDictionaryTypeID:
      CFDestroyDictionary(static_cast<CFDictionaryImpl*>(h));
      break;
    case kCFURLTypeID:
      delete static_cast<CFURLImpl*>(h);
      break;
    case kCFBundleTypeID:
      CFDestroyBundle(static_cast<CFBundleImpl*>(h));
      break;
    default:
      break;  // not one of ours: leave it alone
  }
}

CFIndex CFGetRetainCount(CFTypeRef object) {
  return object ? header(object)->retainCount.load(std::memory_order_relaxed) : 0;
}

CFTypeID CFGetTypeID(CFTypeRef object) { return object ? header(object)->typeID : 0; }

CFTypeID CFStringGetTypeID() { return kCFStringTypeID; }
CFTypeID CFNumberGetTypeID() { return kCFNumberTypeID; }
CFTypeID CFDataGetTypeID() { return kCFDataTypeID; }
CFTypeID CFArrayGetTypeID() { return kCFArrayTypeID; }
CFTypeID CFDictionaryGetTypeID() { return kCFDictionaryTypeID; }
CFTypeID CFURLGetTypeID() { return kCFURLTypeID; }
CFTypeID CFBundleGetTypeID() { return kCFBundleTypeID; }

Boolean CFEqual(CFTypeRef a, CFTypeRef b) {
  if (a == b) return true;
  if (!a || !b || CFGetTypeID(a) != CFGetTypeID(b)) return false;
  switch (CFGetTypeID(a)) {
    case kCFStringTypeID:
      return static_cast<const CFStringImpl*>(a)->text == static_cast<const CFStringImpl*>(b)->text;
    case kCFNumberTypeID:
      return static_cast<const CFNumberImpl*>(a)->value == static_cast<const CFNumberImpl*>(b)->value;
    case kCFDataTypeID:
      return static_cast<const CFDataImpl*>(a)->bytes == static_cast<const CFDataImpl*>(b)->bytes;
    case kCFURLTypeID:
      return static_cast<const CFURLImpl*>(a)->path == static_cast<const CFURLImpl*>(b)->path;
    case kCFArrayTypeID: {
      const auto* x = static_cast<const CFArrayImpl*>(a);
      const auto* y = static_cast<const CFArrayImpl*>(b);
      if (x->values.size() != y->values.size()) return false;
      for (size_t i = 0; i < x->values.size(); ++i) {
        const bool same = x->callBacks.equal ? x->callBacks.equal(x->values[i], y->values[i])
                                             : x->values[i] == y->values[i];
        if (!same) return false;
      }
      return true;
    }
    case kCFDictionaryTypeID: {
      const auto* x = static_cast<const CFDictionaryImpl*>(a);
      const auto* y = static_cast<const CFDictionaryImpl*>(b);
      if (x->entries.size() != y->entries.size()) return false;
      for (const auto& entry : x->entries) {
        const void* other = nullptr;
        if (!CFDictionaryGetValueIfPresent(y, entry.first, &other)) return false;
        const bool same =
            x->valueCallBacks.equal ? x->valueCallBacks.equal(entry.second, other) : entry.second == other;
        if (!same) return false;
      }
      return true;
    }
    default:
      return false;
  }
}
