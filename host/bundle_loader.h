// Finding a plug-in in its bundle folder: the Info.plist names the shared
// object, its two exported entries and the component description; the
// shared object is loaded and the entries looked up. A bundle given by name
// alone ("VivivI.bundle") is looked for in the plug-in folders, where
// tools/install.sh puts it.
#pragma once

#include <string>
#include <vector>

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

// The plug-in folders, in the order they are searched: those of
// $VIVIVI_PLUGIN_PATH (separated by ":") when it is set and not empty, else
// ~/.local/lib/vivivi-host/plug-ins.
std::vector<std::string> PluginFolders();

// The bundle folder that path names: path itself when it holds a "/" or is
// a folder here; otherwise the first plug-in folder holding a folder of
// that name. Empty when a name alone is found nowhere.
std::string FindBundle(const std::string& path);

// Loads the bundle at path (found by FindBundle). On failure returns false
// with a message that names the fault: no such bundle, no readable
// Info.plist, a key missing or malformed, a shared object that will not
// load, an entry it lacks.
bool LoadBundle(const std::string& path, LoadedComponent* component, std::string* error);

// "aumu" from a four-character code; "0x..." when a byte is not printable.
std::string FourCharText(OSType code);
