#include <cstring>
#include <map>
#include <mutex>

#include "platform/corefoundation/CFString.h"
#include "platform/corefoundation/cf_internal.h"

// Decodes one UTF-8 sequence at bytes[i]; returns its length (0 when invalid)
// and the code point. Over-long forms, surrogates and values past U+10FFFF
// are invalid.
static size_t decodeUTF8(const unsigned char* bytes, size_t count, size_t i, uint32_t* codePoint) {
  const unsigned char lead = bytes[i];
  size_t length;
  uint32_t value, minimum;
  if (lead < 0x80) {
    *codePoint = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (count - i < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((bytes[i + k] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (bytes[i + k] & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *codePoint = value;
  return length;
}

bool CFIsValidUTF8(const char* text, size_t count) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  for (size_t i = 0; i < count;) {
    uint32_t codePoint = 0;
    const size_t length = decodeUTF8(bytes, count, i, &codePoint);
    if (length == 0 || codePoint == 0) return false;
    i += length;
  }
  return true;
}

CFStringRef CFStringCreateFromStd(std::string text) {
  auto* s = new CFStringImpl;
  s->text = std::move(text);
  return s;
}

void CFDestroyString(CFStringImpl* object) { delete object; }

CFStringRef CFStringMakeConstant(const char* text) {
  static std::mutex lock;
  static std::map<std::string, CFStringImpl*>* table = new std::map<std::string, CFStringImpl*>;
  if (!text || !CFIsValidUTF8(text, strlen(text))) return nullptr;
  std::lock_guard<std::mutex> hold(lock);
  CFStringImpl*& entry = (*table)[text];
  if (!entry) {
    entry = new CFStringImpl;
    entry->text = text;
    entry->retainCount.store(kCFImmortalCount);
  }
  return entry;
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* text, CFStringEncoding encoding) {
  if (!text || encoding != kCFStringEncodingUTF8) return nullptr;
  const size_t count = strlen(text);
  if (!CFIsValidUTF8(text, count)) return nullptr;
  return CFStringCreateFromStd(std::string(text, count));
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const uint8_t* bytes, CFIndex count,
                                    CFStringEncoding encoding, Boolean) {
  if (count < 0 || (!bytes && count > 0) || encoding != kCFStringEncodingUTF8) return nullptr;
  const char* text = reinterpret_cast<const char*>(bytes);
  if (!CFIsValidUTF8(text, static_cast<size_t>(count))) return nullptr;
  return CFStringCreateFromStd(count > 0 ? std::string(text, static_cast<size_t>(count)) : std::string());
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef text) {
  return static_cast<CFStringRef>(CFRetain(text));  // immutable: sharing is a copy
}

CFIndex CFStringGetLength(CFStringRef text) {
  if (!text) return 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text->text.data());
  const size_t count = text->text.size();
  CFIndex units = 0;
  for (size_t i = 0; i < count;) {
    uint32_t codePoint = 0;
    const size_t length = decodeUTF8(bytes, count, i, &codePoint);
    if (length == 0) break;  // cannot happen: the text was checked when made
    units += codePoint >= 0x10000 ? 2 : 1;
    i += length;
  }
  return units;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
  if (encoding != kCFStringEncodingUTF8 || length < 0 || length > INT32_MAX / 3) return -1;
  return length * 3;  // a UTF-16 unit takes at most 3 bytes, a pair 4
}

Boolean CFStringGetCString(CFStringRef text, char* buffer, CFIndex bufferSize, CFStringEncoding encoding) {
  if (!buffer || bufferSize <= 0) return false;
  buffer[0] = 0;
  if (!text || encoding != kCFStringEncodingUTF8) return false;
  if (static_cast<size_t>(bufferSize) < text->text.size() + 1) return false;
  memcpy(buffer, text->text.c_str(), text->text.size() + 1);
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef text, CFStringEncoding encoding) {
  return text && encoding == kCFStringEncodingUTF8 ? text->text.c_str() : nullptr;
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags options) {
  if (!a || !b) return !a && !b ? kCFCompareEqualTo : (!a ? kCFCompareLessThan : kCFCompareGreaterThan);
  const std::string& x = a->text;
  const std::string& y = b->text;
  const size_t n = x.size() < y.size() ? x.size() : y.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(x[i]), d = static_cast<unsigned char>(y[i]);
    if (options & kCFCompareCaseInsensitive) {
      if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
      if (d >= 'A' && d <= 'Z') d = static_cast<unsigned char>(d + 32);
    }
    if (c != d) return c < d ? kCFCompareLessThan : kCFCompareGreaterThan;
  }
  if (x.size() == y.size()) return kCFCompareEqualTo;
  return x.size() < y.size() ? kCFCompareLessThan : kCFCompareGreaterThan;
}
