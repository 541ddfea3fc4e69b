// The knob factories: a multi-frame knob over a double parameter, mapped to
// a control change, an MSB/LSB pair or a SysEx message per value, or to
// nothing (the editor's own knobs).
#include <functional>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IKnobControls.h"
#include "KIT/IModule/IParam.h"
#include "src/EditorServices.h"
#include "src/UIConfigFactoryPath.h"
#include "src/UIConfigManager.h"

namespace {

// The knob of the image at the scaled position: one frame in size, vertical
// drag, the framework's gearing.
IControl* newKnob(IModuleBase* plug, int left, int top, int paramIdx, const IBitmap& bitmap) {
  return new IKnobMultiControl(plug, left, top, paramIdx, &bitmap);
}

// The maker of that knob for the mapped path.
std::function<IControl*(const IBitmap&)> knobAt(const UIConfigManager& m, int x, int y, int paramIdx) {
  return [&m, x, y, paramIdx](const IBitmap& bitmap) {
    return newKnob(m.plug, m.scaleCoordinate(x), m.scaleCoordinate(y), paramIdx, bitmap);
  };
}

}  // namespace

void UIConfigManager::createNoValKnobControl(std::string name, int paramIdx, int x, int y, std::string image,
                                             double b1, double b2, double b3, double b4, int instance,
                                             ControlLayer* layer, std::string group) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) return logMissingFactory("createNoValKnobControl", name, paramIdx);
  const IBitmap bitmap = getImageByName(gui, image);
  param->InitDouble(name.c_str(), b1, b2, b3, 1.0, "", getParamGroup(instance, group));
  place(newKnob(plug, scaleCoordinate(x), scaleCoordinate(y), paramIdx, bitmap), layer);
}

void UIConfigManager::createCCKnobControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                                          std::string image, double b1, double b2, double b3, double b4,
                                          LinkInfo link, int instance, ControlLayer* layer,
                                          std::string group) {
  IControl* knob = nullptr;
  ControlAction* action = buildMappedControl("createCCKnobControl", name, paramIdx, image, b1, b2, b3,
                                             static_cast<double>(static_cast<int>(b4)), instance, layer,
                                             group, kActionCC, link, knobAt(*this, x, y, paramIdx), &knob);
  if (action) mapController(*this, action, knob, cc, nullptr, channel, instance, layer, kMixerKeyed);
}

void UIConfigManager::createMsbLsbKnobControl(int cc, int msb, int lsb, int lsbControl, int channel,
                                              std::string name, int paramIdx, int x, int y, std::string image,
                                              double b1, double b2, double b3, double b4, LinkInfo link,
                                              int instance, ControlLayer* layer, std::string group) {
  IControl* knob = nullptr;
  ControlAction* action =
      buildMappedControl("createMsbLsbKnobControl", name, paramIdx, image, b1, b2, b3, 1.0, instance, layer,
                         group, kActionMsbLsb, link, knobAt(*this, x, y, paramIdx), &knob);
  const MsbLsbPair pair{msb, lsb, lsbControl};
  if (action) mapController(*this, action, knob, cc, &pair, channel, instance, layer, kMixerKeyed);
}

void UIConfigManager::createSysExKnobControl(std::string name, int paramIdx, int x, int y, std::string image,
                                             double b1, double b2, double b3, double b4, int msgZeroVal,
                                             int sysexIndex, int changingByte, int instance, LinkInfo link,
                                             ControlLayer* layer, std::string group) {
  IControl* knob = nullptr;
  ControlAction* action =
      buildMappedControl("createSysExKnobControl", name, paramIdx, image, b1, b2, b3, 1.0, instance, layer,
                         group, kActionSysEx, link, knobAt(*this, x, y, paramIdx), &knob);
  if (!action) return;
  const int minimum = static_cast<int>(b2), maximum = static_cast<int>(b3);
  fileSysExMessages(*this, action, knob, name, sysexIndex, changingByte, maximum - minimum + 1, minimum,
                    instance);
}

void UIConfigManager::createSysExKnobControl2(std::string name, int paramIdx, int x, int y, std::string image,
                                              double b1, double b2, double b3, double b4, int msgZeroVal,
                                              int sysexIndex, int changingByte, int instance, LinkInfo link,
                                              ControlLayer* layer, std::string group) {
  IControl* knob = nullptr;
  ControlAction* action =
      buildMappedControl("createSysExKnobControl2", name, paramIdx, image, b1, b2, b3, 1.0, instance, layer,
                         group, kActionSysEx, link, knobAt(*this, x, y, paramIdx), &knob);
  if (!action) return;
  // This knob has no messages of its own, so there is no header to file it
  // under: it sends nothing and incoming messages do not find it.
  action->sysex = ControlActionSysExMessage();
  log("CONFIG READER: seKnob2 \"" + name + "\" (parameter " + std::to_string(paramIdx) +
      ") has no SysEx messages; it is not filed for incoming messages");
}
