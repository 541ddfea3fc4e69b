// The menu field factories: a caption that shows an enumerated parameter's
// text and opens a popup of all its texts. The drop-down menus serve the
// editor's own choices (no MIDI); the multi-selection menus map a sound
// parameter to a control change, an MSB/LSB pair or a SysEx message per
// value.
#include <string>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "KIT/IModule/ITextControls.h"
#include "src/EditorServices.h"
#include "src/PatchLibrarian.h"
#include "src/UIConfigFactoryPath.h"
#include "src/UIConfigManager.h"
#include "src/ValueDisplays.h"

namespace {

const IColor kMenuOrange(254, 255, 173, 0);
const IColor kTextFieldOrange(255, 255, 173, 0);
const IColor kDeviceBlue(255, 0, 174, 255);
const IColor kMenuGrey(255, 225, 225, 225);
const IColor kMenuGreen(255, 66, 240, 100);
const IColor kMenuHidden(0, 255, 173, 0);
// Every multi-selection field is this many GUI units high.
constexpr int kSelectionHeight = 13;

// A caption over the scaled bounds in the menu style of the colour.
template <class Field = ICaptionControl>
ICaptionControl* newField(IModuleBase* plug, int paramIdx, int x, int y, int w, int h, double scale,
                          const IColor& colour, bool promptEnabled) {
  const IText style = displayTextStyle(h, scale, colour);
  auto* field = new Field(plug, scaledDisplayRect(x, y, w, h, scale), paramIdx, &style, true);
  field->SetPromptDisabled(!promptEnabled);
  return field;
}

// The display texts of a menu of n entries: the list when it holds exactly
// n texts, else the numbers first, first + 1, ... (each made by number)
// when the valueDisplay range is given (first != last); false when neither.
template <class NumberText>
bool setMenuTexts(IParam* param, int n, const Values& texts, int first, int last, NumberText number) {
  if (n >= 0 && texts.size() == static_cast<size_t>(n)) {
    for (int k = 0; k < n; ++k) param->SetDisplayText(k, texts[k].c_str());
    return true;
  }
  if (first == last) return false;
  for (int k = 0; k < n; ++k) param->SetDisplayText(k, number(first + k).c_str());
  return true;
}

}  // namespace

// ==== Drop-down menus ==========================================================

void UIConfigManager::createDropDownMenu(std::string name, int paramIdx, int x, int y, int width, int height,
                                         int instance, ControlLayer* layer, std::string group) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createDropDownMenu", name, paramIdx);
  param->InitEnum(name.c_str(), 0, 1, "", getParamGroup(instance, group));
  param->ResetDisplayTexts();
  param->SetDisplayText(0, "----");
  ICaptionControl* field = newField(plug, paramIdx, x, y, width, height, scale, kTextFieldOrange, false);
  place(field, layer);
  bindControlAction(param, field, kActionNone);
}

void UIConfigManager::createDropDownMenu2(std::string name, int paramIdx, int x, int y, int width, int height,
                                          int b1, int b2, int b3, Values texts, int instance,
                                          ControlLayer* layer, std::string group) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createDropDownMenu2", name, paramIdx);
  const int n = b3 - b2;
  param->InitEnum(name.c_str(), b1, n, "", getParamGroup(instance, group));
  if (n < 0 || texts.size() != static_cast<size_t>(n)) {
    log("CONFIG READER: menu \"" + name + "\" has " + std::to_string(texts.size()) + " texts for " +
        std::to_string(n) + " entries; not built");
    return;
  }
  param->ResetDisplayTexts();
  for (int k = 0; k < n; ++k) param->SetDisplayText(k, texts[k].c_str());
  ICaptionControl* field = newField(plug, paramIdx, x, y, width, height, scale, kMenuOrange, true);
  place(field, layer);
  bindControlAction(param, field, kActionNone);
}

void UIConfigManager::createMIDIDeviceSelectionControl(std::string name, int paramIdx, int x, int y,
                                                       int width, int height, int input, int instance,
                                                       ControlLayer* layer, std::string group) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createMIDIDeviceSelectionControl", name, paramIdx);
  const std::vector<std::string> ports =
      input == 1 ? plug->getExternalMIDIInNames() : plug->getExternalMIDIOutNames();
  param->InitEnum("Device Selection", 0, static_cast<int>(ports.size()), "", "");
  param->ResetDisplayTexts();
  for (size_t k = 0; k < ports.size(); ++k) param->SetDisplayText(static_cast<int>(k), ports[k].c_str());
  // Always on the GUI itself, whichever layer the element lies in. Port
  // names are cut to the field.
  ICaptionControl* field =
      newField<FittedCaptionControl>(plug, paramIdx, x, y, width, height, scale, kDeviceBlue, true);
  place(field, nullptr);
  bindControlAction(param, field, kActionNone);
}

void UIConfigManager::createNoValDropDown(std::string name, int paramIdx, int x, int y, int width, int height,
                                          int b1, int b2, int b3, int d1, int d2, int visible, Values texts,
                                          int instance, ControlLayer* layer, std::string group, bool white) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createNoValDropDown", name, paramIdx);
  const int n = b3 - b2;
  param->InitEnum(name.c_str(), b1, n, "", getParamGroup(instance, group));
  param->ResetDisplayTexts();
  const bool bank = paramIdx == kCurrentBank;
  const bool built = setMenuTexts(param, n, texts, d1, d2, [bank](int number) {
    if (bank) return std::string("P.");
    return (number >= 0 && number < 10 ? " " : "") + std::to_string(number);
  });
  if (!built) {
    log("CONFIG READER: menu \"" + name + "\" has neither " + std::to_string(n) +
        " texts nor a number range; not built");
    return;
  }
  IColor colour = kMenuHidden;
  if (visible == 1)
    colour = (bank || paramIdx == kCurrentPatch) ? kMenuGreen : white ? kMenuGrey : kTextFieldOrange;
  if (!bank) {
    place(newField(plug, paramIdx, x, y, width, height, scale, colour, true), layer);
    return;
  }
  auto* field = static_cast<BankNumberField*>(
      newField<BankNumberField>(plug, paramIdx, x, y, width, height, scale, colour, false));
  EditorServices* editor = plug;
  field->SetLibraryBankSource([editor] {
    const PatchLibrarian* library = editor->patchLibrarian.get();
    if (!editor->flags.librarianMode || !library) return -1;
    const int edited = library->upperBankIndex;
    return edited >= 0 && static_cast<size_t>(edited) < library->fileBanks.size() ? edited : -1;
  });
  place(field, layer);
}

// ==== Multi-selection menus ======================================================

namespace {

std::string plainNumber(int number) { return std::to_string(number); }

}  // namespace

ControlAction* UIConfigManager::buildSelectionField(const char* factory, const std::string& name,
                                                    int paramIdx, int x, int y, int width, int b1, int b2,
                                                    int b3, int d1, int d2, const Values& texts, int instance,
                                                    ControlLayer* layer, const std::string& group, int kind,
                                                    IControl** fieldOut) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) {
    logMissingFactory(factory, name, paramIdx);
    return nullptr;
  }
  const std::string label = instanceLabel(name, instance);
  const int n = b3 - b2;
  param->InitEnum(label.c_str(), b1, n, "", getParamGroup(instance, group));
  param->ResetDisplayTexts();
  if (!setMenuTexts(param, n, texts, d1, d2, plainNumber)) {
    log("CONFIG READER: menu \"" + name + "\" has neither " + std::to_string(n) +
        " texts nor a number range; not built");
    return nullptr;
  }
  ICaptionControl* field = newField(plug, paramIdx, x, y, width, kSelectionHeight, scale, kMenuOrange, true);
  place(field, layer);
  *fieldOut = field;
  return bindControlAction(param, field, kind);
}

void UIConfigManager::createMultiSelectionCCControl(int cc, int channel, std::string name, int paramIdx,
                                                    int x, int y, int width, int textHeight, int b1, int b2,
                                                    int b3, int d1, int d2, Values texts, int instance,
                                                    ControlLayer* layer, std::string group) {
  IControl* field = nullptr;
  ControlAction* action =
      buildSelectionField("createMultiSelectionCCControl", name, paramIdx, x, y, width, b1, b2, b3, d1, d2,
                          texts, instance, layer, group, kActionCC, &field);
  if (action) mapController(*this, action, field, cc, nullptr, channel, instance, layer, kMixerKeyed);
}

void UIConfigManager::createMsbLsbSelectionCCControl(int cc, int msb, int lsb, int lsbControl, int channel,
                                                     std::string name, int paramIdx, int x, int y, int width,
                                                     int textHeight, int b1, int b2, int b3, int d1, int d2,
                                                     Values texts, int instance, ControlLayer* layer,
                                                     std::string group) {
  IControl* field = nullptr;
  ControlAction* action =
      buildSelectionField("createMsbLsbSelectionCCControl", name, paramIdx, x, y, width, b1, b2, b3, d1, d2,
                          texts, instance, layer, group, kActionMsbLsb, &field);
  const MsbLsbPair pair{msb, lsb, lsbControl};
  if (action) mapController(*this, action, field, cc, &pair, channel, instance, layer, kMixerKeyed);
}

void UIConfigManager::createMultiSelectionSysExControl(std::string name, int paramIdx, int x, int y,
                                                       int width, int textHeight, int b1, int b2, int b3,
                                                       int d1, int d2, Values texts, int msgZeroVal,
                                                       int color, int sysexIndex, int changingByte,
                                                       int instance, ControlLayer* layer, std::string group) {
  IControl* field = nullptr;
  ControlAction* action =
      buildSelectionField("createMultiSelectionSysExControl", name, paramIdx, x, y, width, b1, b2, b3, d1, d2,
                          texts, instance, layer, group, kActionSysEx, &field);
  if (action)
    fileSysExMessages(*this, action, field, name, sysexIndex, changingByte, b3 - b2 + 1, b2, instance);
}
