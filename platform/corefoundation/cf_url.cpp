#include <unistd.h>

#include <cstring>

#include "platform/corefoundation/CFString.h"
#include "platform/corefoundation/CFURL.h"
#include "platform/corefoundation/cf_internal.h"

// Makes a path absolute (from the current folder) and tidy: no empty or "."
// parts, ".." taking away the part before it, no trailing slash.
static std::string tidyPath(const std::string& path) {
  std::string full = path;
  if (full.empty() || full[0] != '/') {
    char folder[4096];
    if (!getcwd(folder, sizeof folder)) return std::string();
    full = std::string(folder) + "/" + full;
  }
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= full.size()) {
    size_t end = full.find('/', start);
    if (end == std::string::npos) end = full.size();
    const std::string part = full.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string tidy;
  for (const std::string& part : parts) tidy += "/" + part;
  return tidy.empty() ? "/" : tidy;
}

CFURLRef CFURLCreateFromPath(const std::string& path, bool isDirectory) {
  if (path.empty() || path.find('\0') != std::string::npos) return nullptr;
  std::string tidy = tidyPath(path);
  if (tidy.empty()) return nullptr;
  auto* url = new CFURLImpl;
  url->path = std::move(tidy);
  url->isDirectory = isDirectory;
  return url;
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef path, CFURLPathStyle style,
                                       Boolean isDirectory) {
  if (!path || style != kCFURLPOSIXPathStyle) return nullptr;
  return CFURLCreateFromPath(CFStringGetCStringPtr(path, kCFStringEncodingUTF8), isDirectory);
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const uint8_t* path, CFIndex length,
                                                 Boolean isDirectory) {
  if (!path || length <= 0) return nullptr;
  return CFURLCreateFromPath(std::string(reinterpret_cast<const char*>(path), static_cast<size_t>(length)),
                             isDirectory);
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, uint8_t* buffer, CFIndex bufferSize) {
  if (!url || !buffer || bufferSize <= 0 || static_cast<size_t>(bufferSize) < url->path.size() + 1)
    return false;
  memcpy(buffer, url->path.c_str(), url->path.size() + 1);
  return true;
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style) {
  if (!url || style != kCFURLPOSIXPathStyle) return nullptr;
  // Paths are bytes; a folder name that is not UTF-8 has no string form.
  return CFIsValidUTF8(url->path.data(), url->path.size()) ? CFStringCreateFromStd(url->path) : nullptr;
}
