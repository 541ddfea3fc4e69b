#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "KIT/regularfile.h"
#include "platform/corefoundation/CFBundle.h"
#include "platform/corefoundation/CFData.h"
#include "platform/corefoundation/CFPropertyList.h"
#include "platform/corefoundation/CFString.h"
#include "platform/corefoundation/CFURL.h"
#include "platform/corefoundation/cf_internal.h"

namespace {

// Info.plist files larger than this are not read.
constexpr long kMaxInfoBytes = 1 << 20;

std::mutex registryLock;
// Every bundle made in this process; each entry holds one reference.
std::vector<CFBundleImpl*>* registry = new std::vector<CFBundleImpl*>;

bool isFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

CFDictionaryRef readInfo(const std::string& folder) {
  FILE* f = KIT_FOpenRegularFile((folder + "/Info.plist").c_str(), "rb");
  if (!f) return nullptr;
  std::vector<uint8_t> bytes;
  uint8_t block[4096];
  size_t got;
  while ((got = fread(block, 1, sizeof block, f)) > 0 && bytes.size() <= static_cast<size_t>(kMaxInfoBytes))
    bytes.insert(bytes.end(), block, block + got);
  fclose(f);
  if (bytes.size() > static_cast<size_t>(kMaxInfoBytes)) return nullptr;
  CFDataRef data = CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
  CFPropertyListRef list = CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, nullptr);
  CFRelease(data);
  if (list && CFGetTypeID(list) != kCFDictionaryTypeID) {
    CFRelease(list);
    return nullptr;
  }
  return static_cast<CFDictionaryRef>(list);
}

CFBundleImpl* makeBundle(const std::string& folder, const std::string& fallbackIdentifier) {
  auto* b = new CFBundleImpl;
  b->folder = folder;
  b->info = readInfo(folder);
  CFTypeRef id = b->info ? CFDictionaryGetValue(b->info, CFSTR("Identifier")) : nullptr;
  if (CFGetTypeID(id) == kCFStringTypeID)
    b->identifier = static_cast<CFStringRef>(CFRetain(id));
  else if (!fallbackIdentifier.empty())
    b->identifier = CFStringCreateWithCString(nullptr, fallbackIdentifier.c_str(), kCFStringEncodingUTF8);
  return b;
}

// The registered bundle of a tidy absolute folder, made when missing.
// Returns it without an extra reference; null when the folder does not exist.
CFBundleImpl* registeredBundle(const std::string& folder) {
  if (!isFolder(folder)) return nullptr;
  std::lock_guard<std::mutex> hold(registryLock);
  for (CFBundleImpl* b : *registry)
    if (b->folder == folder) return b;
  CFBundleImpl* b = makeBundle(folder, std::string());
  registry->push_back(b);
  return b;
}

std::string realPath(const char* path) {
  char resolved[PATH_MAX];
  return path && realpath(path, resolved) ? std::string(resolved) : std::string();
}

bool hasIdentifier(CFBundleRef b, CFStringRef identifier) {
  return b && b->identifier && CFEqual(b->identifier, identifier);
}

}  // namespace

void CFDestroyBundle(CFBundleImpl* b) {
  CFRelease(b->identifier);
  CFRelease(b->info);
  delete b;
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
  if (!bundleURL) return nullptr;
  CFBundleImpl* b = registeredBundle(bundleURL->path);
  return b ? static_cast<CFBundleRef>(const_cast<void*>(CFRetain(b))) : nullptr;
}

CFBundleRef CFBundleGetMainBundle() {
  static CFBundleImpl* main = [] {
    const std::string program = realPath("/proc/self/exe");
    if (program.empty()) return static_cast<CFBundleImpl*>(nullptr);
    return makeBundle(folderOf(program), program.substr(program.rfind('/') + 1));
  }();
  return main;
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifier) {
  if (!identifier) return nullptr;
  CFBundleRef main = CFBundleGetMainBundle();
  if (hasIdentifier(main, identifier)) return main;
  {
    std::lock_guard<std::mutex> hold(registryLock);
    for (CFBundleImpl* b : *registry)
      if (hasIdentifier(b, identifier)) return b;
  }
  // The shared object this code is linked into lives in its bundle folder.
  Dl_info self;
  if (dladdr(reinterpret_cast<void*>(&CFBundleGetBundleWithIdentifier), &self) == 0) return nullptr;
  const std::string object = realPath(self.dli_fname);
  if (object.empty()) return nullptr;
  CFBundleImpl* own = registeredBundle(folderOf(object));
  return hasIdentifier(own, identifier) ? own : nullptr;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) { return bundle ? bundle->identifier : nullptr; }

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
  return bundle ? CFURLCreateFromPath(bundle->folder, true) : nullptr;
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key) {
  return bundle && bundle->info ? CFDictionaryGetValue(bundle->info, key) : nullptr;
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle) {
  CFTypeRef name = CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("Executable"));
  if (CFGetTypeID(name) != kCFStringTypeID) return nullptr;
  const std::string file = CFStringGetCStringPtr(static_cast<CFStringRef>(name), kCFStringEncodingUTF8);
  if (file.empty() || file == "." || file == ".." || file.find('/') != std::string::npos) return nullptr;
  return CFURLCreateFromPath(bundle->folder + "/" + file, false);
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef name, CFStringRef type,
                                 CFStringRef subFolder) {
  if (!bundle || !name) return nullptr;
  std::string file = CFStringGetCStringPtr(name, kCFStringEncodingUTF8);
  file = file.substr(file.rfind('/') + 1);  // the folder part of a name is dropped
  if (type) {
    const std::string extension = CFStringGetCStringPtr(type, kCFStringEncodingUTF8);
    if (extension.find('/') != std::string::npos) return nullptr;
    if (!extension.empty()) file += "." + extension;
  }
  if (file.empty() || file == "." || file == "..") return nullptr;
  std::string folder = bundle->folder + "/Resources";
  if (subFolder) {
    const std::string sub = CFStringGetCStringPtr(subFolder, kCFStringEncodingUTF8);
    if (("/" + sub + "/").find("/../") != std::string::npos) return nullptr;
    if (!sub.empty()) folder += "/" + sub;
  }
  const std::string path = folder + "/" + file;
  return isFile(path) ? CFURLCreateFromPath(path, false) : nullptr;
}
