// Object layouts shared by the implementation files. Every object begins with
// its type identity and retain count; release frees by type identity, so an
// object made by one copy of this library (the host's) can be released by
// another (a plug-in's) built from the same sources.
#pragma once

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "platform/corefoundation/CFArray.h"
#include "platform/corefoundation/CFBase.h"
#include "platform/corefoundation/CFDictionary.h"

struct CFObjectHeader {
  explicit CFObjectHeader(CFTypeID id) : typeID(id) {}
  CFTypeID typeID;
  std::atomic<int32_t> retainCount{1};
};

// Retain count of objects that live for the whole process.
constexpr int32_t kCFImmortalCount = INT32_MAX;

struct CFStringImpl : CFObjectHeader {
  CFStringImpl() : CFObjectHeader(kCFStringTypeID) {}
  std::string text;  // valid UTF-8, no NUL inside
};

struct CFNumberImpl : CFObjectHeader {
  CFNumberImpl() : CFObjectHeader(kCFNumberTypeID) {}
  int64_t value = 0;
};

struct CFDataImpl : CFObjectHeader {
  CFDataImpl() : CFObjectHeader(kCFDataTypeID) {}
  std::vector<uint8_t> bytes;
};

struct CFArrayImpl : CFObjectHeader {
  CFArrayImpl() : CFObjectHeader(kCFArrayTypeID) {}
  CFArrayCallBacks callBacks{};
  CFIndex capacity = 0;
  std::vector<const void*> values;
};

struct CFDictionaryImpl : CFObjectHeader {
  CFDictionaryImpl() : CFObjectHeader(kCFDictionaryTypeID) {}
  CFDictionaryKeyCallBacks keyCallBacks{};
  CFDictionaryValueCallBacks valueCallBacks{};
  CFIndex capacity = 0;
  std::vector<std::pair<const void*, const void*>> entries;
};

struct CFURLImpl : CFObjectHeader {
  CFURLImpl() : CFObjectHeader(kCFURLTypeID) {}
  std::string path;  // absolute, without a trailing slash (except "/")
  bool isDirectory = false;
};

struct CFBundleImpl : CFObjectHeader {
  CFBundleImpl() : CFObjectHeader(kCFBundleTypeID) {}
  std::string folder;                // absolute path of the bundle folder
  CFStringRef identifier = nullptr;  // owned
  CFDictionaryRef info = nullptr;    // owned; may be null
};

// Frees an object whose last reference was dropped (one function per type).
void CFDestroyString(CFStringImpl* object);
void CFDestroyArray(CFArrayImpl* object);
void CFDestroyDictionary(CFDictionaryImpl* object);
void CFDestroyBundle(CFBundleImpl* object);

// True when bytes[0 .. count) is valid UTF-8 without NUL bytes.
bool CFIsValidUTF8(const char* bytes, size_t count);
// A new string from text already known to be valid.
CFStringRef CFStringCreateFromStd(std::string text);
// A new URL from an absolute or relative path (made absolute and tidied).
CFURLRef CFURLCreateFromPath(const std::string& path, bool isDirectory);
