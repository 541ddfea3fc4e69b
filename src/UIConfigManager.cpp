// READER: the start-up order, loading and deciphering the descriptions, the
// log.
#include "src/UIConfigManager.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstring>

#include "FileEncrypt/resource_cipher.h"
#include "FileEncrypt/resource_key.h"
#include "KIT/IModule/IGraphics.h"
#include "src/EditorServices.h"
#include "src/debugger.h"

namespace {

const char kUIDescriptionName[] = "resources/uiconfig.tea";
// Cut elements logged one by one; the rest in one line.
constexpr size_t kCutElementsLogged = 10;

}  // namespace

UIConfigManager::UIConfigManager() = default;

UIConfigManager::~UIConfigManager() = default;

void UIConfigManager::readUIConfig(IGraphics* graphics, EditorServices* plugIn, PatchLibrarian* library,
                                   int setting, double guiScale) {
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
  parseDescription(kUIDescriptionName, &text, &doc);
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
    // A resource that is there but refused says why; only a missing one is
    // "not found".
    const std::string failure = gui ? gui->GetLastLoadFailure() : std::string();
    if (failure.empty())
      log(std::string("CONFIG READER: ") + name + " NOT FOUND!");
    else
      log(std::string("CONFIG READER: ") + name + " " + failure);
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

void UIConfigManager::parseDescription(const char* name, std::string* text, tinyxml2::XMLDocument* doc) {
  const std::vector<int> cut = capAttributes(text, kMaxAttributesPerElement);
  for (size_t i = 0; i < cut.size() && i < kCutElementsLogged; ++i)
    log(std::string("CONFIG READER: ") + name + ": the element on line " + std::to_string(cut[i]) +
        " has more than " + std::to_string(kMaxAttributesPerElement) + " attributes; the rest are ignored");
  if (cut.size() > kCutElementsLogged)
    log(std::string("CONFIG READER: ") + name + ": " + std::to_string(cut.size() - kCutElementsLogged) +
        " more elements have more than " + std::to_string(kMaxAttributesPerElement) + " attributes");
  // The deciphered text ends at its first NUL (the fill of the last block).
  if (doc->Parse(text->c_str()) != tinyxml2::XML_SUCCESS) {
    const char* error = doc->ErrorStr();
    log(std::string("CONFIG READER: ") + name + " cannot be read (" + (error ? error : "unknown error") +
        ")");
  }
}

std::vector<int> UIConfigManager::capAttributes(std::string* text, size_t limit) {
  std::vector<int> cut;
  if (!text || text->empty()) return cut;
  char* s = &(*text)[0];
  const size_t end = ::strnlen(s, text->size());  // the parser stops at the first NUL
  size_t i = 0;
  int line = 1;
  auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  auto startsWith = [&](const char* marker) {
    const size_t n = std::strlen(marker);
    return end - i >= n && std::memcmp(s + i, marker, n) == 0;
  };
  // Moves past the opening marker at i, then past the closing one that
  // follows it (or to the end), counting lines.
  auto skipPast = [&](const char* opening, const char* closing) {
    i += std::strlen(opening);
    while (i < end && !startsWith(closing)) line += s[i++] == '\n' ? 1 : 0;
    i = std::min(end, i + std::strlen(closing));
  };
  auto skipSpace = [&] {
    while (i < end && space(s[i])) line += s[i++] == '\n' ? 1 : 0;
  };
  while (i < end) {
    if (s[i] != '<') {
      line += s[i++] == '\n' ? 1 : 0;
      continue;
    }
    // Markup that holds no attributes is passed over whole, as the parser
    // reads it: comments, character data, declarations, end tags.
    if (startsWith("<!--")) {
      skipPast("<!--", "-->");
    } else if (startsWith("<![CDATA[")) {
      skipPast("<![CDATA[", "]]>");
    } else if (startsWith("<?")) {
      skipPast("<?", "?>");
    } else if (startsWith("<!")) {
      skipPast("<!", ">");
    } else if (startsWith("</")) {
      skipPast("</", ">");
    } else {
      const int tagLine = line;
      ++i;
      while (i < end && !space(s[i]) && s[i] != '>' && s[i] != '/') ++i;  // the element's name
      size_t count = 0, cutFrom = 0, lastEnd = 0;
      for (;;) {
        skipSpace();
        if (i >= end) break;
        if (s[i] == '>') {
          ++i;
          break;
        }
        if (s[i] == '/') {
          ++i;
          continue;
        }
        // An attribute: its name, "=", its quoted value. Each step moves on
        // by one character at least; what the parser refuses is passed over.
        if (++count == limit + 1) cutFrom = i;
        while (i < end && s[i] != '=' && !space(s[i]) && s[i] != '>' && s[i] != '/') ++i;
        skipSpace();
        if (i < end && s[i] == '=') {
          ++i;
          skipSpace();
          if (i < end && (s[i] == '"' || s[i] == '\'')) {
            const char quote = s[i++];
            while (i < end && s[i] != quote) line += s[i++] == '\n' ? 1 : 0;
            if (i < end) ++i;
          }
        }
        lastEnd = i;
      }
      if (count > limit) {
        for (size_t j = cutFrom; j < lastEnd; ++j)
          if (s[j] != '\n') s[j] = ' ';
        cut.push_back(tagLine);
      }
    }
  }
  return cut;
}

void UIConfigManager::log(const std::string& text) const {
  if (plug && plug->loggingEnabled) DebuggerOutput::printDebugInfo(plug->logFilePath, text);
}

void UIConfigManager::logMissingFactory(const char* factory, const std::string& name, int paramIdx) const {
  log(std::string("CONFIG READER: ") + factory + " is not available; control \"" + name + "\" (parameter " +
      std::to_string(paramIdx) + ") is not built");
}
