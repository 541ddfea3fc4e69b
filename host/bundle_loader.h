// Finding a plug-in in its bundle folder: the Info.plist names the shared
// object, its two exported entries and the component description; the
// shared object is loaded and the entries looked up.
#pragma once

#include <string>

#include "platform/audiounit/AudioUnit.h"

struct LoadedComponent {
  std::string folder;      // the bundle folder, absolute
  std::string executable;  // the shared object's path
  std::string name;        // "ComponentName", or the folder's name
  ComponentDescription description{};
  ComponentRoutine entry = nullptr;
  ComponentRoutine viewEntry = nullptr;  // null when the bundle has none
  void* handle = nullptr;                // of the loaded shared object; kept open
};

// Loads the bundle at path. On failure returns false with a message that
// names the fault: no such folder, no readable Info.plist, a key missing or
// malformed, a shared object that will not load, an entry it lacks.
bool LoadBundle(const std::string& path, LoadedComponent* component, std::string* error);

// "aumu" from a four-character code; "0x..." when a byte is not printable.
std::string FourCharText(OSType code);
