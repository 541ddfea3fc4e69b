#include "KIT/winl/winl-library.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <string>

#include "KIT/mutex.h"
#include "platform/corefoundation/CoreFoundation.h"

typedef int (*WINL_EntryPoint)(HINSTANCE, int, void*);

struct WINL_HINSTANCE {
  void* library;       // the dynamic loader's handle
  CFBundleRef bundle;  // null for a plain shared object
  int refs;
  WINL_EntryPoint winlDllMain;
  WINL_EntryPoint dllMain;
  void* lastSymbol;  // the last function looked up
};

namespace {

// Loaded libraries by bundle (or, without one, by loader handle). Made on
// first use and kept to the end, so that a library freed by a static object
// at exit still finds it.
KIT_Mutex& s_libraryMutex() {
  static KIT_Mutex* mutex = new KIT_Mutex;
  return *mutex;
}
std::map<const void*, HINSTANCE>& s_loadedLibs() {
  static auto* libs = new std::map<const void*, HINSTANCE>;
  return *libs;
}

bool Known(HINSTANCE library) {
  if (!library) return false;
  for (const auto& entry : s_loadedLibs())
    if (entry.second == library) return true;
  return false;
}

// The bundle at a folder and the shared object it names; null when the
// folder is no bundle with an executable.
CFBundleRef OpenBundle(const char* path, std::string* executable) {
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const uint8_t*>(path),
                                                         static_cast<CFIndex>(strlen(path)), true);
  CFBundleRef bundle = url ? CFBundleCreate(nullptr, url) : nullptr;
  if (url) CFRelease(url);
  CFURLRef file = bundle ? CFBundleCopyExecutableURL(bundle) : nullptr;
  char buffer[4096];
  const bool found =
      file && CFURLGetFileSystemRepresentation(file, true, reinterpret_cast<uint8_t*>(buffer), sizeof buffer);
  if (file) CFRelease(file);
  if (!found) {
    if (bundle) CFRelease(bundle);
    return nullptr;
  }
  *executable = buffer;
  return bundle;
}

void Unload(HINSTANCE record) {
  dlclose(record->library);
  if (record->bundle) CFRelease(record->bundle);
  delete record;
}

}  // namespace

HINSTANCE LoadLibrary(const char* path) { return LoadLibraryGlobals(path, false); }

HINSTANCE LoadLibraryGlobals(const char* path, bool global) {
  if (!path || !*path) return nullptr;
  const int flags = RTLD_NOW | (global ? RTLD_GLOBAL : RTLD_LOCAL);
  struct stat info;
  const bool isFile = stat(path, &info) == 0 && !S_ISDIR(info.st_mode);
  CFBundleRef bundle = nullptr;
  void* library = nullptr;
  if (isFile) {
    library = dlopen(path, flags);
  } else {
    std::string executable;
    bundle = OpenBundle(path, &executable);
    if (bundle) library = dlopen(executable.c_str(), flags);
    if (!library && bundle) {
      CFRelease(bundle);
      bundle = nullptr;
    }
    if (!library) library = dlopen(path, flags);
  }
  if (!library) return nullptr;

  KIT_MutexLock lock(&s_libraryMutex());
  const void* key = bundle ? static_cast<const void*>(bundle) : library;
  auto found = s_loadedLibs().find(key);
  if (found != s_loadedLibs().end()) {
    // Already loaded: the record holds the loader's and the bundle's
    // references; this load's own are given back.
    ++found->second->refs;
    dlclose(library);
    if (bundle) CFRelease(bundle);
    return found->second;
  }
  auto* record = new WINL_HINSTANCE{library, bundle, 1, nullptr, nullptr, nullptr};
  record->winlDllMain = reinterpret_cast<WINL_EntryPoint>(dlsym(library, "WINL_dllMain"));
  record->dllMain = reinterpret_cast<WINL_EntryPoint>(dlsym(library, "DllMain"));
  s_loadedLibs()[key] = record;
  if (record->winlDllMain && record->winlDllMain(record, 1, nullptr) == 0) {
    s_loadedLibs().erase(key);
    Unload(record);
    return nullptr;
  }
  if (record->dllMain && record->dllMain(record, 1, nullptr) == 0) {
    if (record->winlDllMain) record->winlDllMain(record, 0, nullptr);
    s_loadedLibs().erase(key);
    Unload(record);
    return nullptr;
  }
  return record;
}

void* GetProcAddress(HINSTANCE library, const char* name) {
  if (!name) return nullptr;
  KIT_MutexLock lock(&s_libraryMutex());
  if (!Known(library)) return nullptr;
  void* symbol = dlsym(library->library, name);
  if (symbol) library->lastSymbol = symbol;
  return symbol;
}

int FreeLibrary(HINSTANCE library) {
  KIT_MutexLock lock(&s_libraryMutex());
  if (!Known(library)) return 0;
  if (--library->refs > 0) return 1;
  s_loadedLibs().erase(library->bundle ? static_cast<const void*>(library->bundle) : library->library);
  if (library->winlDllMain) library->winlDllMain(library, 0, nullptr);
  if (library->dllMain) library->dllMain(library, 0, nullptr);
  Unload(library);
  return 1;
}

int GetModuleFileName(HINSTANCE library, char* buffer, int size) {
  if (!buffer || size < 1) return 0;
  std::string path;
  {
    KIT_MutexLock lock(&s_libraryMutex());
    CFBundleRef bundle = nullptr;
    if (!library) {
      bundle = CFBundleGetMainBundle();
    } else if (!Known(library)) {
      return 0;
    } else if (library->bundle) {
      bundle = library->bundle;
    } else {
      link_map* map = nullptr;
      if (dlinfo(library->library, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name) path = map->l_name;
    }
    if (bundle) {
      CFURLRef url = CFBundleCopyBundleURL(bundle);
      char folder[4096];
      if (url &&
          CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<uint8_t*>(folder), sizeof folder))
        path = folder;
      if (url) CFRelease(url);
    }
  }
  const size_t n = std::min(path.size(), static_cast<size_t>(size) - 1);
  memcpy(buffer, path.data(), n);
  buffer[n] = 0;
  return static_cast<int>(n);
}
