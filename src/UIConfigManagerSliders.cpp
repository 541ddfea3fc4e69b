// The slider factories: a handle on a vertical or horizontal track over a
// double parameter, mapped to a control change or to a SysEx message per
// value.
#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IFaderControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "src/UIConfigFactoryPath.h"
#include "src/UIConfigManager.h"
#include "src/VivivI.h"

void UIConfigManager::createCCSliderControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                                            int length, std::string image, double b1, double b2, double b3,
                                            LinkInfo link, int instance, ControlLayer* layer,
                                            std::string group, EDirection direction, bool flag) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createCCSliderControl", name, paramIdx);
  const IBitmap bitmap = getImageByName(gui, image);
  const std::string label = instanceLabel(name, instance);
  param->InitDouble(label.c_str(), b1, b2, b3, 1.0, "", getParamGroup(instance, group));
  IControl* slider = new IFaderControl(plug, scaleCoordinate(x), scaleCoordinate(y), scaleCoordinate(length),
                                       paramIdx, &bitmap, direction, false);
  place(slider, layer);
  ControlAction* action = bindControlAction(param, slider, kActionCC);
  applyLinkRule(plug, action, paramIdx, link, logSink());
  // Sliders keep the mixer-layer key 0 even inside a mixer layer.
  mapController(*this, action, slider, cc, nullptr, channel, instance, layer, kMixerChannel);
}

void UIConfigManager::createSysExSliderControl(std::string name, int paramIdx, int x, int y, int length,
                                               std::string image, double b1, double b2, double b3, double b4,
                                               int msgZeroVal, int sysexIndex, int changingByte, int instance,
                                               LinkInfo link, ControlLayer* layer, std::string group,
                                               EDirection direction, bool flag) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createSysExSliderControl", name, paramIdx);
  const IBitmap bitmap = getImageByName(gui, image);
  const std::string label = instanceLabel(name, instance);
  param->InitDouble(label.c_str(), b1, b2, b3, 1.0, "", getParamGroup(instance, group));
  IControl* slider = new IFaderControl(plug, scaleCoordinate(x), scaleCoordinate(y), scaleCoordinate(length),
                                       paramIdx, &bitmap, direction, false);
  place(slider, layer);
  ControlAction* action = bindControlAction(param, slider, kActionSysEx);
  applyLinkRule(plug, action, paramIdx, link, logSink());
  const int minimum = static_cast<int>(b2), maximum = static_cast<int>(b3);
  // The value byte of entry k is minimum + msgZeroVal + k.
  const long start = static_cast<long>(minimum) + msgZeroVal;
  fileSysExMessages(*this, action, slider, name, sysexIndex, changingByte, maximum - minimum + 1,
                    start > 0x7FFFFFFFL ? -1 : static_cast<int>(start), instance);
}
