#include <cstring>

#include "platform/corefoundation/CFData.h"
#include "platform/corefoundation/CFNumber.h"
#include "platform/corefoundation/cf_internal.h"

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* value) {
  if (!value) return nullptr;
  auto* n = new CFNumberImpl;
  if (type == kCFNumberSInt32Type) {
    int32_t v;
    memcpy(&v, value, sizeof v);
    n->value = v;
  } else if (type == kCFNumberSInt64Type) {
    memcpy(&n->value, value, sizeof n->value);
  } else {
    delete n;
    return nullptr;
  }
  return n;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value) {
  if (!number || !value) return false;
  if (type == kCFNumberSInt32Type) {
    const int32_t v = static_cast<int32_t>(static_cast<uint64_t>(number->value));
    memcpy(value, &v, sizeof v);
    return v == number->value;
  }
  if (type == kCFNumberSInt64Type) {
    memcpy(value, &number->value, sizeof number->value);
    return true;
  }
  return false;
}

CFDataRef CFDataCreate(CFAllocatorRef, const uint8_t* bytes, CFIndex count) {
  if (count < 0 || (!bytes && count > 0)) return nullptr;
  auto* d = new CFDataImpl;
  if (count > 0) d->bytes.assign(bytes, bytes + count);
  return d;
}

CFIndex CFDataGetLength(CFDataRef data) { return data ? static_cast<CFIndex>(data->bytes.size()) : 0; }

const uint8_t* CFDataGetBytePtr(CFDataRef data) {
  return data && !data->bytes.empty() ? data->bytes.data() : nullptr;
}
