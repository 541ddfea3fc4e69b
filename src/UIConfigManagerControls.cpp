// ELEMENT WALK, control elements: which element name and "type" select
// which factory, the attributes each reads and what it hands on. The
// factories get unscaled coordinates and apply the GUI scale themselves.
// A control-change or MSB/LSB element with a "sysexIndex" is also filed
// under that template's single-parameter address (receiving only).
//
// An unrecognised element or "type" builds nothing and logs nothing. A
// control whose parameter reference names no parameter is logged and not
// built (the factories initialise the parameter they bind). Number lists
// start at 0: a list shorter than the element needs is logged and the
// missing values stay 0.
#include <tinyxml2.h>

#include <cstring>

#include "src/EditorServices.h"
#include "src/UIConfigFactoryPath.h"
#include "src/UIConfigManager.h"

namespace {

bool is(const char* text, const char* expected) { return text && std::strcmp(text, expected) == 0; }

// The four element names that lead to one handling; only "type" decides.
bool isTypedElement(const char* name) {
  return is(name, "knobcontrol") || is(name, "buttoncontrol") || is(name, "menucontrol") ||
         is(name, "slidercontrol");
}

// The types of the typed elements, in the order they are compared, with the
// numbers of "position" and "valueBounds" values each needs.
enum TypedKind {
  kSeKnob,
  kSeKnob2,
  kSeSliderVer,
  kSeSliderHor,
  kSeButton,
  kCCSliderVer,
  kCCSliderHor,
  kCCKnob,
  kCCButton,
  kMsbLsbKnob,
  kMsbLsbButton,
  kMsbLsbMenu,
  kSeMenu,
  kCCMenu,
  kCCRadio
};

struct TypedRow {
  const char* type;
  TypedKind kind;
  int positionNeeded;
  int boundsNeeded;
};

const TypedRow kTypedRows[] = {
    {"seKnob", kSeKnob, 2, 4},
    {"seKnob2", kSeKnob2, 2, 4},
    {"seSliderVer", kSeSliderVer, 2, 4},
    {"seSliderHor", kSeSliderHor, 2, 4},
    {"seButton", kSeButton, 2, 1},
    {"ccSliderVer", kCCSliderVer, 2, 3},
    {"ccSliderHor", kCCSliderHor, 2, 3},
    {"ccKnob", kCCKnob, 2, 4},
    {"ccButton", kCCButton, 2, 3},
    {"msbLsbKnob", kMsbLsbKnob, 2, 4},
    {"msbLsbButton", kMsbLsbButton, 2, 3},
    {"msbLsbMenu", kMsbLsbMenu, 3, 3},
    {"seMenu", kSeMenu, 3, 3},
    {"ccMenu", kCCMenu, 3, 3},
    {"ccRadio", kCCRadio, 3, 3},
};

// The three menus of the typed elements are this high (description pixels).
constexpr int kTypedMenuTextHeight = 13;

}  // namespace

std::string UIConfigManager::attributeText(const tinyxml2::XMLElement* element, const char* name) {
  const char* text = element->Attribute(name);
  return text ? text : "";
}

int UIConfigManager::intAttribute(const tinyxml2::XMLElement* element, const char* name) {
  int value = 0;
  if (element->QueryIntAttribute(name, &value) != tinyxml2::XML_SUCCESS) value = 0;
  return value;
}

void UIConfigManager::readValueDisplay(tinyxml2::XMLElement* element, int* display) {
  display[0] = display[1] = -1;
  std::vector<std::string> pieces;
  Tokenize(attributeText(element, "valueDisplay"), pieces, ":");
  if (pieces.size() != 2) return;
  if (!readDecimal(pieces[0], &display[0]) || !readDecimal(pieces[1], &display[1]))
    display[0] = display[1] = -1;
}

bool UIConfigManager::checkBound(tinyxml2::XMLElement* element, int paramIdx) {
  if (namesParameter(paramIdx)) return true;
  log("CONFIG READER: " + std::string(element->Value()) + " \"" + attributeText(element, "name") +
      "\" on line " + std::to_string(element->GetLineNum()) + " names no parameter; not built");
  return false;
}

void UIConfigManager::readNumbers(tinyxml2::XMLElement* element, const char* attribute, int* values,
                                  int count, int needed) {
  for (int i = 0; i < count; ++i) values[i] = 0;
  const int got = readCSValues(attributeText(element, attribute), values, count);
  if (got < needed)
    log("CONFIG READER: " + std::string(element->Value()) + " \"" + attributeText(element, "name") +
        "\" on line " + std::to_string(element->GetLineNum()) + ": " + attribute + " gives " +
        std::to_string(got) + " of " + std::to_string(needed) + " numbers; the others are 0");
}

bool UIConfigManager::buildControlElement(tinyxml2::XMLElement* element, ControlLayer* parent, int instance,
                                          int paramIdx, const std::string& image, const std::string& group) {
  const char* elementName = element->Value();
  if (is(elementName, "display")) {
    int bounds[4], displaySize[2];
    readNumbers(element, "bounds", bounds, 4, 4);
    readNumbers(element, "displaySize", displaySize, 2, 1);
    createControlDisplay("Display", paramIdx, bounds[0], bounds[1], bounds[2], bounds[3], instance, parent,
                         group, displaySize[0]);
    return true;
  }
  if (is(elementName, "switch") || is(elementName, "autooff")) {
    if (!checkBound(element, paramIdx)) return true;
    const std::string name = attributeText(element, "name");
    int position[2];
    readNumbers(element, "position", position, 2, 2);
    if (is(elementName, "autooff")) {
      createSwitchControl(name, paramIdx, 0, position[0], position[1], image, instance, parent, group);
      return true;
    }
    int bounds[3];
    readNumbers(element, "valueBounds", bounds, 3, 1);
    createBoolControl(name, paramIdx, bounds[0], position[0], position[1], image, instance, parent, group);
    return true;
  }
  if (is(elementName, "dropMenu")) {
    const std::string type = attributeText(element, "type");
    const bool known = type == "textSelection" || type == "deviceSelection" || type == "nameSelection" ||
                       type == "dropSelection";
    if (!known || !checkBound(element, paramIdx)) return true;
    const std::string name = attributeText(element, "name");
    int bounds[4], inputDev[2], valueBounds[3];
    readNumbers(element, "bounds", bounds, 4, 4);
    readNumbers(element, "inputDev", inputDev, 2, type == "deviceSelection" ? 1 : 0);
    readNumbers(element, "valueBounds", valueBounds, 3, type == "dropSelection" ? 3 : 0);
    const Values texts = getValueList(attributeText(element, "valueList"));
    if (type == "textSelection") {
      createDropDownMenu(name, paramIdx, bounds[0], bounds[1], bounds[2], bounds[3], instance, parent, group);
    } else if (type == "deviceSelection") {
      createMIDIDeviceSelectionControl("MIDI Setup", paramIdx, bounds[0], bounds[1], bounds[2], bounds[3],
                                       inputDev[0], instance, parent, group);
    } else if (type == "nameSelection") {
      createNameDisplay(name, paramIdx, bounds[0], bounds[1], bounds[2], bounds[3],
                        intAttribute(element, "nameLen"), instance, parent, group);
    } else {
      createDropDownMenu2(name, paramIdx, bounds[0], bounds[1], bounds[2], bounds[3], valueBounds[0],
                          valueBounds[1], valueBounds[2], texts, instance, parent, group);
    }
    return true;
  }
  if (is(elementName, "multiFx")) {
    const std::string type = attributeText(element, "type");
    if ((type != "Knob" && type != "Menu" && type != "Switch") || !checkBound(element, paramIdx)) return true;
    const std::string name = attributeText(element, "name");
    int position[4];
    readNumbers(element, "position", position, 4, type == "Menu" ? 4 : 2);
    int link[3];
    getBiDirectLinkValues(attributeText(element, "biDirectLink"), link, instance);  // taken by no factory
    if (type == "Knob") {
      int bounds[4];
      readNumbers(element, "valueBounds", bounds, 4, 4);
      createNoValKnobControl(name, paramIdx, position[0], position[1], image, bounds[0], bounds[1], bounds[2],
                             bounds[3], instance, parent, group);
    } else if (type == "Menu") {
      int bounds[3];
      readNumbers(element, "valueBounds", bounds, 3, 3);
      int display[2];
      readValueDisplay(element, display);
      createNoValDropDown(name, paramIdx, position[0], position[1], position[2], position[3], bounds[0],
                          bounds[1], bounds[2], display[0], display[1], intAttribute(element, "visible"),
                          getValueList(attributeText(element, "valueList")), instance, parent, group,
                          intAttribute(element, "white") != 0);
    } else {
      int bounds[1];
      readNumbers(element, "valueBounds", bounds, 1, 1);
      createNoValBoolControl(name, paramIdx, position[0], position[1], image, bounds[0], instance, parent,
                             group);
    }
    return true;
  }
  if (is(elementName, "radio")) {
    if (!checkBound(element, paramIdx)) return true;
    int position[2];
    readNumbers(element, "position", position, 2, 2);
    createRadioControl(attributeText(element, "name"), paramIdx, position[0], position[1], image,
                       intAttribute(element, "buttons"), instance, parent, group);
    return true;
  }
  if (isTypedElement(elementName)) {
    buildTypedElement(element, parent, instance, paramIdx, image, group);
    return true;
  }
  return false;
}

void UIConfigManager::buildTypedElement(tinyxml2::XMLElement* element, ControlLayer* parent, int instance,
                                        int paramIdx, const std::string& image, const std::string& group) {
  const std::string type = attributeText(element, "type");
  const TypedRow* row = nullptr;
  for (const TypedRow& candidate : kTypedRows)
    if (type == candidate.type) {
      row = &candidate;
      break;
    }
  if (!row || !checkBound(element, paramIdx)) return;

  const std::string name = attributeText(element, "name");
  int position[4], bounds[4];
  readNumbers(element, "position", position, 4, row->positionNeeded);
  const int length = intAttribute(element, "length");
  readNumbers(element, "valueBounds", bounds, 4, row->boundsNeeded);
  const int changingByte = intAttribute(element, "changingByte");
  int linkValues[3];
  getBiDirectLinkValues(attributeText(element, "biDirectLink"), linkValues, instance);
  const LinkInfo link(linkValues[0], linkValues[1], linkValues[2]);
  int display[2];
  readValueDisplay(element, display);
  const Values texts = getValueList(attributeText(element, "valueList"));
  const int cc = intAttribute(element, "ccNumber");
  const int msb = intAttribute(element, "msbValue");
  const int lsb = intAttribute(element, "lsbValue");
  const int channel = intAttribute(element, "channel");
  const int lsbControl = intAttribute(element, "lsbControl");
  const int sysexIndex = intAttribute(element, "sysexIndex");
  const int msgZeroVal = intAttribute(element, "msgZeroVal");
  const int color = intAttribute(element, "color");

  const int x = position[0], y = position[1], w = position[2];
  const double b1 = bounds[0], b2 = bounds[1], b3 = bounds[2], b4 = bounds[3];
  IParam* param = plug->GetParam(paramIdx);
  const ControlAction* before = param ? param->GetControlAction() : nullptr;
  const size_t controlsBefore = before ? before->controls.size() : 0;
  switch (row->kind) {
    case kSeKnob:
      createSysExKnobControl(name, paramIdx, x, y, image, b1, b2, b3, b4, msgZeroVal, sysexIndex,
                             changingByte, instance, link, parent, group);
      break;
    case kSeKnob2:
      createSysExKnobControl2(name, paramIdx, x, y, image, b1, b2, b3, b4, msgZeroVal, sysexIndex,
                              changingByte, instance, link, parent, group);
      break;
    case kSeSliderVer:
    case kSeSliderHor:
      createSysExSliderControl(name, paramIdx, x, y, length, image, b1, b2, b3, b4, msgZeroVal, sysexIndex,
                               changingByte, instance, link, parent, group,
                               row->kind == kSeSliderVer ? kVertical : kHorizontal, false);
      break;
    case kSeButton:
      createSysExBoolControl(name, paramIdx, x, y, image, b1, msgZeroVal, sysexIndex, changingByte, instance,
                             link, parent, group);
      break;
    case kCCSliderVer:
    case kCCSliderHor:
      createCCSliderControl(cc, channel, name, paramIdx, x, y, length, image, b1, b2, b3, link, instance,
                            parent, group, row->kind == kCCSliderVer ? kVertical : kHorizontal, false);
      break;
    case kCCKnob:
      createCCKnobControl(cc, channel, name, paramIdx, x, y, image, b1, b2, b3, b4, link, instance, parent,
                          group);
      break;
    case kCCButton:
      createCCBoolControl(cc, channel, name, paramIdx, x, y, image, b1, b2, b3, link, instance, parent,
                          group);
      break;
    case kMsbLsbKnob:
      createMsbLsbKnobControl(cc, msb, lsb, lsbControl, channel, name, paramIdx, x, y, image, b1, b2, b3, b4,
                              link, instance, parent, group);
      break;
    case kMsbLsbButton:
      createMsbLsbBoolControl(cc, msb, lsb, lsbControl, channel, name, paramIdx, x, y, image, b1, b2, b3,
                              link, instance, parent, group);
      break;
    case kMsbLsbMenu:
      createMsbLsbSelectionCCControl(cc, msb, lsb, lsbControl, channel, name, paramIdx, x, y, w,
                                     kTypedMenuTextHeight, bounds[0], bounds[1], bounds[2], display[0],
                                     display[1], texts, instance, parent, group);
      break;
    case kSeMenu:
      createMultiSelectionSysExControl(name, paramIdx, x, y, w, kTypedMenuTextHeight, bounds[0], bounds[1],
                                       bounds[2], display[0], display[1], texts, msgZeroVal, color,
                                       sysexIndex, changingByte, instance, parent, group);
      break;
    case kCCMenu:
      createMultiSelectionCCControl(cc, channel, name, paramIdx, x, y, w, kTypedMenuTextHeight, bounds[0],
                                    bounds[1], bounds[2], display[0], display[1], texts, instance, parent,
                                    group);
      break;
    case kCCRadio:
      createCCRadioControl(cc, channel, name, paramIdx, x, y, w, image, bounds[0], bounds[1], bounds[2],
                           instance, parent, group);
      break;
  }
  ControlAction* action = param ? param->GetControlAction() : nullptr;
  if (!action) return;
  // The timbre a mapped control belongs to: its multilayer instance, else its
  // channel attribute less one.
  action->timbreIndex = instance >= 0 ? instance : channel - 1;
  // A control-change or MSB/LSB control that names a SysEx template is also
  // found by that template's single-parameter address, which the
  // synthesizer sends for the same parameter; it still sends what its type
  // says. (The SysEx types file themselves.)
  const bool sendsSysEx = row->kind == kSeKnob || row->kind == kSeKnob2 || row->kind == kSeSliderVer ||
                          row->kind == kSeSliderHor || row->kind == kSeButton || row->kind == kSeMenu;
  if (!sendsSysEx && element->Attribute("sysexIndex") && action->controls.size() > controlsBefore)
    fileSysExAddress(*this, action->controls.back(), name, sysexIndex, changingByte, instance);
}
