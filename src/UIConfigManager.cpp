// READER: the start-up order, loading and deciphering the descriptions, the
// log.
#include "src/UIConfigManager.h"

#include <tinyxml2.h>

#include "FileEncrypt/resource_cipher.h"
#include "FileEncrypt/resource_key.h"
#include "KIT/IModule/IGraphics.h"
#include "src/VivivI.h"
#include "src/debugger.h"

namespace {

const char kUIDescriptionName[] = "resources/uiconfig.tea";

}  // namespace

UIConfigManager::UIConfigManager() = default;

UIConfigManager::~UIConfigManager() = default;

void UIConfigManager::readUIConfig(IGraphics* graphics, VivivI* plugIn, PatchLibrarian* library, int setting,
                                   double guiScale) {
  gui = graphics;
  plug = plugIn;
  librarian = library;
  uiSetting = setting;
  // A scale that is not a positive finite number would make every size
  // meaningless: the description's own pixels are used instead.
  if (!(guiScale > 0.0 && guiScale < 100.0)) {
    log("CONFIG READER: GUI scale " + std::to_string(guiScale) + " is not usable; 1.0 is used");
    guiScale = 1.0;
  }
  scale = guiScale;
  if (!gui || !plug) {
    log("CONFIG READER: no GUI or no plug-in: nothing is built");
    return;
  }

  readSysexValues();
  initImages(gui);
  initParams();

  std::string text;
  if (!loadDescription(kUIDescriptionId, kUIDescriptionName, &text)) return;
  tinyxml2::XMLDocument doc(true, tinyxml2::PRESERVE_WHITESPACE);
  parseDescription(kUIDescriptionName, text, &doc);
  readReasources(&doc);
  tinyxml2::XMLElement* root = doc.FirstChildElement("uiconfig");
  if (!root) {
    log(std::string("CONFIG READER: ") + kUIDescriptionName +
        " has no uiconfig element; no controls are built");
    return;
  }
  processXMLElement(root->FirstChild(), nullptr, -1);
}

bool UIConfigManager::loadDescription(int id, const char* name, std::string* text) {
  char* bytes = gui ? gui->LoadFile(id, name) : nullptr;
  if (!bytes) {
    log(std::string("CONFIG READER: ") + name + " NOT FOUND!");
    return false;
  }
  int size = gui->GetLastLoadedFileSize();
  if (size < 0) size = 0;
  if (static_cast<size_t>(size) > kResourceFileLimit) size = static_cast<int>(kResourceFileLimit);
  // A last partial block is deciphered from a zero-padded copy: nothing past
  // the loaded bytes is read.
  *text = decipherResource(reinterpret_cast<const uint8_t*>(bytes), static_cast<size_t>(size), kResourceKey);
  delete[] bytes;
  return true;
}

void UIConfigManager::parseDescription(const char* name, const std::string& text,
                                       tinyxml2::XMLDocument* doc) {
  // The deciphered text ends at its first NUL (the fill of the last block).
  if (doc->Parse(text.c_str()) != tinyxml2::XML_SUCCESS) {
    const char* error = doc->ErrorStr();
    log(std::string("CONFIG READER: ") + name + " cannot be read (" + (error ? error : "unknown error") +
        ")");
  }
}

void UIConfigManager::log(const std::string& text) const {
  if (plug && plug->loggingEnabled) DebuggerOutput::printDebugInfo(plug->logFilePath, text);
}

void UIConfigManager::logMissingFactory(const char* factory, const std::string& name, int paramIdx) const {
  log(std::string("CONFIG READER: ") + factory + " is not available; control \"" + name + "\" (parameter " +
      std::to_string(paramIdx) + ") is not built");
}
