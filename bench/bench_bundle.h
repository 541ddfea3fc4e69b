// The benchmarks that make the real editor: the built bundle (VIVIVI_BUNDLE_DIR,
// set per benchmark program) registered once, so that its resources are found.
#pragma once

#include <cstdint>
#include <string>

#include "platform/corefoundation/CoreFoundation.h"

inline bool RegisterBuiltBundle() {
  static const bool registered = [] {
    const std::string folder = VIVIVI_BUNDLE_DIR;
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const uint8_t*>(folder.c_str()), static_cast<CFIndex>(folder.size()), true);
    CFBundleRef bundle = CFBundleCreate(nullptr, url);  // the registry keeps it
    CFRelease(url);
    return bundle != nullptr;
  }();
  return registered;
}
