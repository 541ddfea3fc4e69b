// READER: the SysEx description (resources/sysex.tea) and the named value
// lists of the UI description.
//
// At every level of the SysEx description the reader starts at the first
// child element of the expected name and then takes every following sibling
// element, whatever its name: an element before the first "sysex" is not an
// entry, one after it is, and shifts the numbering of the entries after it.
#include <tinyxml2.h>

#include "src/UIConfigManager.h"

namespace {

const char kSysExDescriptionName[] = "resources/sysex.tea";

}  // namespace

void UIConfigManager::readSysexValues() {
  log("CONFIG READER: Started to read SysEx Data...");
  std::string text;
  if (!loadDescription(kSysExDescriptionId, kSysExDescriptionName, &text)) return;
  tinyxml2::XMLDocument doc(true, tinyxml2::PRESERVE_WHITESPACE);
  parseDescription(kSysExDescriptionName, &text, &doc);
  tinyxml2::XMLElement* root = doc.FirstChildElement("sysexlist");
  if (!root) {
    log(std::string("CONFIG READER: ") + kSysExDescriptionName + " has no sysexlist element; no SysEx lists");
    return;
  }

  for (tinyxml2::XMLElement* entry = root->FirstChildElement("sysex"); entry;
       entry = entry->NextSiblingElement()) {
    SysExContainer container;
    for (tinyxml2::XMLElement* values = entry->FirstChildElement("values"); values;
         values = values->NextSiblingElement()) {
      if (tinyxml2::XMLElement* value = values->FirstChildElement("value")) {
        // A plain list: a value without text stands for one blank.
        Values list;
        for (; value; value = value->NextSiblingElement()) {
          const char* valueText = value->GetText();
          std::string item = valueText ? valueText : " ";
          if (!item.empty()) list.push_back(item);
        }
        container.plainLists.push_back(list);
        continue;
      }
      // A group: one list per multivalue; a value without text is skipped.
      std::vector<Values> group;
      for (tinyxml2::XMLElement* multi = values->FirstChildElement("multivalue"); multi;
           multi = multi->NextSiblingElement()) {
        Values list;
        for (tinyxml2::XMLElement* value = multi->FirstChildElement("value"); value;
             value = value->NextSiblingElement()) {
          if (const char* valueText = value->GetText()) {
            list.push_back(valueText);
          } else {
            log("CONFIG READER: SysEx entry " + std::to_string(sysexList.size()) +
                ": a grouped value on line " + std::to_string(value->GetLineNum()) + " has no text; skipped");
          }
        }
        group.push_back(list);
      }
      container.groupedLists.push_back(group);
      container.multi = true;
    }
    sysexList.push_back(container);
  }
  log("CONFIG READER: Completed reading SysEx data!");
}

void UIConfigManager::readReasources(tinyxml2::XMLDocument* doc) {
  tinyxml2::XMLElement* root = doc ? doc->FirstChildElement("uiconfig") : nullptr;
  if (!root) {
    log("CONFIG READER: the UI description has no uiconfig element; no value lists");
    return;
  }
  tinyxml2::XMLElement* section = root->FirstChildElement("valueLists");
  if (!section) return;
  for (tinyxml2::XMLElement* list = section->FirstChildElement("list"); list;
       list = list->NextSiblingElement("list")) {
    const char* name = list->Attribute("name");
    if (!name) {
      log("CONFIG READER: a value list on line " + std::to_string(list->GetLineNum()) +
          " has no name; skipped");
      continue;
    }
    Values texts;
    for (tinyxml2::XMLElement* value = list->FirstChildElement("value"); value;
         value = value->NextSiblingElement("value")) {
      if (const char* valueText = value->GetText()) {
        texts.push_back(valueText);
      } else {
        log(std::string("CONFIG READER: value list ") + name + ": a value on line " +
            std::to_string(value->GetLineNum()) + " has no text; skipped");
      }
    }
    valueLists[name] = texts;
  }
}

Values UIConfigManager::getValueList(const std::string& name) { return valueLists[name]; }
