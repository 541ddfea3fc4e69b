#include "tests/support/test_editor.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>

#include "platform/corefoundation/CoreFoundation.h"
#include "tests/support/temp_folder.h"

namespace {

std::mutex g_prepareMutex;
std::unique_ptr<TempFolder> g_temporaryFolder;  // made here, removed at exit
bool g_bundleRegistered = false;

void registerBuiltBundle() {
  const std::string folder = VIVIVI_BUNDLE_DIR;
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const uint8_t*>(folder.c_str()), static_cast<CFIndex>(folder.size()), true);
  // Kept for the life of the process: the editor finds it by its identifier.
  static CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  if (!bundle) fprintf(stderr, "the built bundle %s cannot be opened\n", folder.c_str());
}

}  // namespace

void prepareEditorEnvironment(EditorDescriptions descriptions, const std::string& dataFolder) {
  std::lock_guard<std::mutex> lock(g_prepareMutex);
  setenv("VIVIVI_VIEW", "headless", 1);
  if (!dataFolder.empty()) {
    std::error_code ignored;
    std::filesystem::create_directories(dataFolder, ignored);
    setenv("VIVIVI_DATA_DIR", dataFolder.c_str(), 1);
  } else if (!g_temporaryFolder) {
    g_temporaryFolder = std::make_unique<TempFolder>("vivivi-editor-");
    if (g_temporaryFolder->Made()) setenv("VIVIVI_DATA_DIR", g_temporaryFolder->Name().c_str(), 1);
  }
  if (descriptions == EditorDescriptions::kBuiltBundle && !g_bundleRegistered) {
    registerBuiltBundle();
    g_bundleRegistered = true;
  }
}

std::string editorDataFolder() { return VivivI::getDataFolder(); }
