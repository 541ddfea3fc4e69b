#include "src/UIConfigFactoryPath.h"

#include <cstring>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IModuleBase.h"
#include "KIT/IModule/IParam.h"
#include "src/ControlActionSysEx.h"
#include "src/EditorServices.h"
#include "src/UIConfigManager.h"

namespace {

const char* const kMixerLayers[] = {"miniMixer", "multiModeMixer", "miniMixer2", "multiModeMixer2",
                                    "multiModeSettingsPage1"};

}  // namespace

std::string instanceLabel(const std::string& name, int instance) {
  if (instance < 0) return name;
  return "[" + std::to_string(instance + 1) + "] " + name;
}

bool isMixerLayer(const ControlLayer* layer, bool withAdditionalSettings) {
  if (!layer) return false;
  for (const char* mixer : kMixerLayers)
    if (layer->name == mixer) return true;
  if (!withAdditionalSettings) return false;
  for (int part = 1; part <= 8; ++part)
    if (layer->name == "additionalSettingsPart" + std::to_string(part)) return true;
  return false;
}

void mapController(UIConfigManager& manager, ControlAction* action, IControl* control, int cc,
                   const MsbLsbPair* pair, int channel, int instance, const ControlLayer* layer,
                   MixerRule rule) {
  const bool mixer = isMixerLayer(layer, rule == kSettingsChannel);
  action->ccNumber = cc;
  action->channel = mixer ? channel : instance + 1;
  action->mixerLayer = mixer && rule == kMixerKeyed ? 1 : 0;
  if (!pair) {
    addToCCControlMap(manager.ccControls, action->channel, cc, action->mixerLayer, control);
    return;
  }
  action->msbValue = pair->msb;
  action->valueOffset = pair->lsb;
  action->lsbControl = pair->lsbControl;
  manager.nrpnControls.addToControlMap(action, control);
}

IParam* factoryParam(IModuleBase* plug, int paramIdx) {
  if (!plug || paramIdx < 0 || paramIdx >= plug->NParams()) return nullptr;
  return plug->GetParam(paramIdx);
}

void applyLinkRule(IModuleBase* plug, ControlAction* action, int paramIdx, const LinkInfo& link,
                   const UIConfigLog& log) {
  if (!action || link.partnerParam < 0 || link.secondParam < 0) return;
  IParam* partner = factoryParam(plug, link.partnerParam);
  if (!partner) {
    reportConfigProblem(log, "CONFIG READER: link partner " + std::to_string(link.partnerParam) +
                                 " of parameter " + std::to_string(paramIdx) +
                                 " is no parameter; not linked!");
    return;
  }
  action->link = link;
  ControlAction* partnerAction = partner->GetControlAction();
  if (!partnerAction) {
    partnerAction = new ControlAction(kActionSysEx);
    partner->SetControlAction(partnerAction);
  }
  partnerAction->link = LinkInfo(paramIdx, link.secondParam, -1);
}

bool firstSysExTemplate(const std::vector<SysExContainer>& sysexList, int sysexIndex,
                        const std::string& controlName, std::string* text, const UIConfigLog& log) {
  if (sysexIndex < 0 || static_cast<size_t>(sysexIndex) >= sysexList.size() ||
      sysexList[sysexIndex].plainLists.empty() || sysexList[sysexIndex].plainLists[0].empty()) {
    reportConfigProblem(log, "CONFIG READER: SysEx entry " + std::to_string(sysexIndex) + " of control \"" +
                                 controlName + "\" has no template; no SysEx messages!");
    return false;
  }
  *text = sysexList[sysexIndex].plainLists[0][0];
  return true;
}

namespace {

// The count messages of template entry sysexIndex from startValue and the
// lookup key of the first; false (logged) when there is no template, the
// expansion is refused or the first message is too short for a key.
bool expandControlTemplate(UIConfigManager& manager, const std::string& controlName, int sysexIndex,
                           int changingByte, int count, int startValue, int instance,
                           ControlActionSysExMessage* message, unsigned char key[4]) {
  const UIConfigLog log = [&manager](const std::string& line) { manager.reportProblem(line); };
  if (startValue < 0) {
    // -1 would read as "start from the template's own byte".
    reportConfigProblem(log, "CONFIG READER: control \"" + controlName + "\" starts its SysEx values at " +
                                 std::to_string(startValue) + "; no SysEx messages!");
    return false;
  }
  std::string text;
  if (!firstSysExTemplate(manager.sysexList, sysexIndex, controlName, &text, log)) return false;
  if (!manager.calculateSysexWithChangingByte(text, changingByte, count, message, startValue, instance))
    return false;
  if (message->messages.empty() || !sysExLookupKey(message->messages[0], changingByte, key)) {
    reportConfigProblem(log, "CONFIG READER: SysEx template of control \"" + controlName +
                                 "\" is too short for a lookup key; not filed!");
    return false;
  }
  return true;
}

}  // namespace

void fileSysExMessages(UIConfigManager& manager, ControlAction* action, IControl* control,
                       const std::string& controlName, int sysexIndex, int changingByte, int count,
                       int startValue, int instance) {
  if (!action) return;
  ControlActionSysExMessage message;
  unsigned char key[4];
  if (!expandControlTemplate(manager, controlName, sysexIndex, changingByte, count, startValue, instance,
                             &message, key))
    return;
  action->sysex.multi = false;
  action->sysex.messages = std::move(message.messages);
  manager.sysexControls.addToControlMap(key, 0, control);
}

bool fileSysExAddress(UIConfigManager& manager, IControl* control, const std::string& controlName,
                      int sysexIndex, int changingByte, int instance) {
  if (!control) return false;
  ControlActionSysExMessage message;
  unsigned char key[4];
  if (!expandControlTemplate(manager, controlName, sysexIndex, changingByte, 1, 0, instance, &message, key))
    return false;
  manager.sysexControls.addToControlMap(key, 0, control);
  return true;
}

ControlAction* UIConfigManager::buildMappedControl(
    const char* factory, const std::string& name, int paramIdx, const std::string& image, double b1,
    double b2, double b3, double step, int instance, ControlLayer* layer, const std::string& group, int kind,
    const LinkInfo& link, const std::function<IControl*(const IBitmap& image)>& makeControl,
    IControl** controlOut) {
  IParam* param = factoryParam(plug, paramIdx);
  if (!param) {
    logMissingFactory(factory, name, paramIdx);
    return nullptr;
  }
  const IBitmap bitmap = getImageByName(gui, image);
  const std::string label = instanceLabel(name, instance);
  param->InitDouble(label.c_str(), b1, b2, b3, step, "", getParamGroup(instance, group));
  IControl* control = makeControl(bitmap);
  place(control, layer);
  ControlAction* action = bindControlAction(param, control, kind);
  applyLinkRule(plug, action, paramIdx, link, logSink());
  *controlOut = control;
  return action;
}
