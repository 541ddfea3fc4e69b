// The switch and button factories: the radio group, the plain and
// momentary switches, the buttons mapped to a control change, an MSB/LSB
// pair or a SysEx message per state, and the column of lights mapped to a
// control change.
#include <algorithm>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IBitmapControls.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "src/ControlActionSysEx.h"
#include "src/EditorServices.h"
#include "src/ICustomRadioButtonsControl.h"
#include "src/UIConfigFactoryPath.h"
#include "src/UIConfigManager.h"

void UIConfigManager::createRadioControl(std::string name, int paramIdx, int x, int y, std::string imageName,
                                         int buttons, int instance, ControlLayer* layer, std::string group) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createRadioControl", name, paramIdx);
  if (buttons < ICustomRadioButtonsControl::kMinButtons) {
    log("CONFIG READER: radio \"" + name + "\" has " + std::to_string(buttons) +
        " buttons; at least 2 are needed, not built");
    return;
  }
  IBitmap bitmap = getImageByName(gui, imageName);
  param->InitEnum(name.c_str(), 0, buttons, "", getParamGroup(instance, group));
  param->SetIsMeta(true);
  const int left = scaleCoordinate(x), top = scaleCoordinate(y);
  const IRECT rect = bitmap.mFramesAreHorizontal ? IRECT(left, top, left + bitmap.W / 2, top + bitmap.H)
                                                 : IRECT(left, top, left + bitmap.W, top + bitmap.H / 2);
  IControl* control = new ICustomRadioButtonsControl(plug, rect, paramIdx, buttons, &bitmap,
                                                     bitmap.mFramesAreHorizontal ? kVertical : kHorizontal);
  place(control, layer);
  bindControlAction(param, control, kActionNone);
}

void UIConfigManager::createBoolControl(std::string name, int paramIdx, int defaultValue, int x, int y,
                                        std::string imageName, int instance, ControlLayer* layer,
                                        std::string group) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createBoolControl", name, paramIdx);
  IBitmap bitmap = getImageByName(gui, imageName);
  param->InitBool(name.c_str(), defaultValue != 0, "", getParamGroup(instance, group));
  IControl* control = new ISwitchControl(plug, scaleCoordinate(x), scaleCoordinate(y), paramIdx, &bitmap);
  place(control, layer);
  bindControlAction(param, control, kActionNone);
}

void UIConfigManager::createSwitchControl(std::string name, int paramIdx, int defaultValue, int x, int y,
                                          std::string imageName, int instance, ControlLayer* layer,
                                          std::string group) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createSwitchControl", name, paramIdx);
  IBitmap bitmap = getImageByName(gui, imageName);
  param->InitBool(name.c_str(), defaultValue != 0, "", getParamGroup(instance, group));
  IControl* control = new IContactControl(plug, scaleCoordinate(x), scaleCoordinate(y), paramIdx, &bitmap);
  place(control, layer);
  bindControlAction(param, control, kActionNone);
}

IControl* UIConfigManager::createAutoOffSwitchControl(std::string name, int paramIdx, int x, int y,
                                                      std::string imageName, int instance,
                                                      ControlLayer* layer, std::string group) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) {
    logMissingFactory("createAutoOffSwitchControl", name, paramIdx);
    return nullptr;
  }
  IBitmap bitmap = getImageByName(gui, imageName);
  param->InitBool(name.c_str(), false, "", getParamGroup(instance, group));
  IControl* control = new IContactControl(plug, scaleCoordinate(x), scaleCoordinate(y), paramIdx, &bitmap);
  place(control, layer);
  bindControlAction(param, control, kActionNone);
  return control;
}

void UIConfigManager::createCCBoolControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                                          std::string image, double defaultValue, double offValue,
                                          double onValue, LinkInfo link, int instance, ControlLayer* layer,
                                          std::string group) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createCCBoolControl", name, paramIdx);
  IBitmap bitmap = getImageByName(gui, image);
  const std::string label = instanceLabel(name, instance);
  param->InitBool(label.c_str(), defaultValue != 0.0, "", getParamGroup(instance, group));
  IControl* control = new ISwitchControl(plug, scaleCoordinate(x), scaleCoordinate(y), paramIdx, &bitmap);
  place(control, layer);
  ControlAction* action = bindControlAction(param, control, kActionCCSwitch);
  action->offValue = static_cast<int32_t>(offValue);
  action->onValue = static_cast<int32_t>(onValue);
  mapController(*this, action, control, cc, nullptr, channel, instance, layer, kMixerChannel);
}

void UIConfigManager::createCCRadioControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                                           int width, std::string image, int defaultValue, int minValue,
                                           int maxValue, int instance, ControlLayer* layer,
                                           std::string group) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createCCRadioControl", name, paramIdx);
  IBitmap bitmap = getImageByName(gui, image);
  const long count = static_cast<long>(maxValue) - minValue + 1;
  if (count < 3 || bitmap.mFramesAreHorizontal || bitmap.N != count) {
    log("CONFIG READER: lights \"" + name + "\" need one frame of " + image + " per value " +
        std::to_string(minValue) + ".." + std::to_string(maxValue) + " (at least 3); not built");
    return;
  }
  const std::string label = instanceLabel(name, instance);
  param->InitInt(label.c_str(), defaultValue, minValue, maxValue, "", getParamGroup(instance, group));
  const int left = scaleCoordinate(x), top = scaleCoordinate(y);
  const int right = std::max(left + bitmap.FrameWidth(), left + scaleCoordinate(width));
  IControl* control =
      new ICustomRadioButtonsControl(plug, IRECT(left, top, right, top + bitmap.FrameHeight()), paramIdx,
                                     static_cast<int>(count), &bitmap, kVertical);
  place(control, layer);
  ControlAction* action = bindControlAction(param, control, kActionCC);
  mapController(*this, action, control, cc, nullptr, channel, instance, layer, kMixerKeyed);
}

void UIConfigManager::createMsbLsbBoolControl(int cc, int msb, int lsb, int lsbControl, int channel,
                                              std::string name, int paramIdx, int x, int y, std::string image,
                                              double defaultValue, double offValue, double onValue,
                                              LinkInfo link, int instance, ControlLayer* layer,
                                              std::string group) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createMsbLsbBoolControl", name, paramIdx);
  IBitmap bitmap = getImageByName(gui, image);
  const std::string label = instanceLabel(name, instance);
  param->InitBool(label.c_str(), defaultValue != 0.0, "", getParamGroup(instance, group));
  IControl* control = new ISwitchControl(plug, scaleCoordinate(x), scaleCoordinate(y), paramIdx, &bitmap);
  place(control, layer);
  ControlAction* action = bindControlAction(param, control, kActionMsbLsb);
  action->offValue = static_cast<int32_t>(offValue);
  action->onValue = static_cast<int32_t>(onValue);
  applyLinkRule(plug, action, paramIdx, link, logSink());
  const MsbLsbPair pair{msb, lsb, lsbControl};
  mapController(*this, action, control, cc, &pair, channel, instance, layer, kSettingsChannel);
}

void UIConfigManager::createSysExBoolControl(std::string name, int paramIdx, int x, int y, std::string image,
                                             double defaultValue, int msgZeroVal, int sysexIndex,
                                             int changingByte, int instance, LinkInfo link,
                                             ControlLayer* layer, std::string group) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createSysExBoolControl", name, paramIdx);
  IBitmap bitmap = getImageByName(gui, image);
  const std::string label = instanceLabel(name, instance);
  param->InitBool(label.c_str(), defaultValue != 0.0, "", getParamGroup(instance, group));
  IControl* control = new ISwitchControl(plug, scaleCoordinate(x), scaleCoordinate(y), paramIdx, &bitmap);
  place(control, layer);
  ControlAction* action = bindControlAction(param, control, kActionSysExSwitch);
  applyLinkRule(plug, action, paramIdx, link, logSink());
  fileSysExMessages(*this, action, control, name, sysexIndex, changingByte, 2, 0, instance);
}
