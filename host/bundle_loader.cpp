#include "host/bundle_loader.h"

#include <dlfcn.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "platform/corefoundation/CoreFoundation.h"

namespace {

std::string StringValue(CFBundleRef bundle, const char* key) {
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFTypeRef value = CFBundleGetValueForInfoDictionaryKey(bundle, k);
  CFRelease(k);
  if (CFGetTypeID(value) != CFStringGetTypeID()) return std::string();
  return CFStringGetCStringPtr(static_cast<CFStringRef>(value), kCFStringEncodingUTF8);
}

bool ParseCode(const std::string& text, OSType* code) {
  if (text.size() != 4) return false;
  *code = 0;
  for (char c : text) *code = (*code << 8) | static_cast<uint8_t>(c);
  return true;
}

std::string PathOf(CFURLRef url) {
  char path[4096];
  return url && CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<uint8_t*>(path), sizeof path)
             ? std::string(path)
             : std::string();
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string HomeFolder() {
  const char* home = getenv("HOME");
  if (home && *home) return home;
  const passwd* user = getpwuid(getuid());
  return user && user->pw_dir ? user->pw_dir : "";
}

}  // namespace

std::vector<std::string> PluginFolders() {
  std::vector<std::string> folders;
  const char* path = getenv("VIVIVI_PLUGIN_PATH");
  if (path && *path) {
    const std::string text = path;
    for (size_t start = 0; start <= text.size();) {
      const size_t end = std::min(text.find(':', start), text.size());
      if (end > start) folders.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return folders;
  }
  const std::string home = HomeFolder();
  if (!home.empty()) folders.push_back(home + "/.local/lib/vivivi-host/plug-ins");
  return folders;
}

std::string FindBundle(const std::string& path) {
  if (path.find('/') != std::string::npos || IsFolder(path)) return path;
  for (const std::string& folder : PluginFolders())
    if (IsFolder(folder + "/" + path)) return folder + "/" + path;
  return std::string();
}

std::string FourCharText(OSType code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((code >> shift) & 0xFF);
    if (c < 32 || c > 126) {
      char hex[16];
      snprintf(hex, sizeof hex, "0x%08X", code);
      return hex;
    }
    text += c;
  }
  return text;
}

bool LoadBundle(const std::string& given, LoadedComponent* component, std::string* error) {
  const std::string path = FindBundle(given);
  if (path.empty()) {
    std::string folders;
    for (const std::string& folder : PluginFolders()) folders += (folders.empty() ? "" : ", ") + folder;
    *error = "no plug-in bundle \"" + given + "\" here or in the plug-in folders (" + folders +
             "); tools/install.sh installs the editor's";
    return false;
  }
  if (!IsFolder(path)) {
    *error = "no plug-in bundle folder at \"" + path + "\"";
    return false;
  }
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const uint8_t*>(path.data()), static_cast<CFIndex>(path.size()), true);
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  if (!bundle) {
    *error = "no plug-in bundle folder at \"" + path + "\"";
    return false;
  }
  CFURLRef folderURL = CFBundleCopyBundleURL(bundle);
  component->folder = PathOf(folderURL);
  CFRelease(folderURL);
  const std::string info = component->folder + "/Info.plist";
  bool ok = false;
  do {
    if (!CFBundleGetIdentifier(bundle)) {
      *error = info + " is missing, unreadable or has no \"Identifier\"";
      break;
    }
    CFURLRef executable = CFBundleCopyExecutableURL(bundle);
    component->executable = PathOf(executable);
    CFRelease(executable);
    if (component->executable.empty()) {
      *error = info + " names no shared object under \"Executable\"";
      break;
    }
    if (!ParseCode(StringValue(bundle, "ComponentType"), &component->description.componentType) ||
        !ParseCode(StringValue(bundle, "ComponentSubtype"), &component->description.componentSubType) ||
        !ParseCode(StringValue(bundle, "ComponentManufacturer"),
                   &component->description.componentManufacturer)) {
      *error = info +
               ": \"ComponentType\", \"ComponentSubtype\" and \"ComponentManufacturer\" must be four "
               "characters each";
      break;
    }
    const std::string entry = StringValue(bundle, "Entry");
    if (entry.empty()) {
      *error = info + " names no component entry under \"Entry\"";
      break;
    }
    component->name = StringValue(bundle, "ComponentName");
    if (component->name.empty()) component->name = component->folder.substr(component->folder.rfind('/') + 1);
    component->handle = dlopen(component->executable.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!component->handle) {
      const char* why = dlerror();
      *error = "cannot load \"" + component->executable + "\": " + (why ? why : "unknown reason");
      break;
    }
    component->entry = reinterpret_cast<ComponentRoutine>(dlsym(component->handle, entry.c_str()));
    if (!component->entry) {
      *error = "\"" + component->executable + "\" exports no entry \"" + entry + "\"";
      break;
    }
    const std::string viewEntry = StringValue(bundle, "ViewEntry");
    if (!viewEntry.empty())
      component->viewEntry = reinterpret_cast<ComponentRoutine>(dlsym(component->handle, viewEntry.c_str()));
    ok = true;
  } while (false);
  CFRelease(bundle);
  return ok;
}
