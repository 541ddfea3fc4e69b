// The path every control factory of the UI configuration shares: the
// parameter's label and the channel rule, the controller and MSB/LSB
// mapping, the link to a partner parameter and the SysEx messages of a
// control with their lookup key. Used only by the factory files
// (UIConfigManagerSwitches.cpp and its siblings).
#pragma once

#include <string>

#include "src/ControlAction.h"
#include "src/UIConfigLog.h"

class ControlLayer;
class IControl;
class UIConfigManager;
class IModuleBase;
class IParam;
struct SysExContainer;

// "[instance + 1] name" for instance 0 or more, else name.
std::string instanceLabel(const std::string& name, int instance);

// True when the layer is one of the five mixer layers, whose controls keep
// the description's channel; withAdditionalSettings adds the eight
// "additionalSettingsPart1".."8" layers (the MSB/LSB button only). A control
// without a layer follows the rule of the other layers.
bool isMixerLayer(const ControlLayer* layer, bool withAdditionalSettings = false);

// How the layer a control lies in gives its channel and mixer-layer key:
// inside a mixer layer the control keeps the description's channel,
// elsewhere (and without a layer) it takes instance + 1.
enum MixerRule {
  kMixerKeyed,       // a mixer layer also files it under key 1; elsewhere 0
  kMixerChannel,     // the key is always 0 (sliders, CC buttons)
  kSettingsChannel,  // as kMixerChannel, the additional-settings layers counting as mixers
};

// The pair of an MSB/LSB control: msb goes with controller 99, lsbControl
// with 98, and lsb is added to the value sent with the controller.
struct MsbLsbPair {
  int msb, lsb, lsbControl;
};

// Gives the record its controller cc, channel and mixer-layer key by the
// rule, and the pair when there is one (the MSB/LSB kind), then files the
// control under them in the manager's lookup of that kind: the MSB/LSB map
// for a pair, else the CC map.
void mapController(UIConfigManager& manager, ControlAction* action, IControl* control, int cc,
                   const MsbLsbPair* pair, int channel, int instance, const ControlLayer* layer,
                   MixerRule rule);

// The parameter paramIdx of plug, or null when plug has none such.
IParam* factoryParam(IModuleBase* plug, int paramIdx);

// The link rule: when partner and second value are both 0 or more, the
// record takes the link and the partner's record (made with the SysEx kind
// when missing; an existing one keeps its kind) links back to paramIdx with
// the second value. The partner index comes from the walk already shifted
// by the instance and is used as it is. A partner that names no parameter
// is logged and left unlinked.
void applyLinkRule(IModuleBase* plug, ControlAction* action, int paramIdx, const LinkInfo& link,
                   const UIConfigLog& log);

// The first template text of SysEx list entry sysexIndex, or false (logged
// with the control's name) when the entry or its first plain list is
// missing or empty.
bool firstSysExTemplate(const std::vector<SysExContainer>& sysexList, int sysexIndex,
                        const std::string& controlName, std::string* text, const UIConfigLog& log);

// The SysEx messages of a control: expands the first template of entry
// sysexIndex into count messages from startValue (calculateSysexWithChangingByte)
// into the record and files the control in the manager's SysEx lookup under
// the key of the first message (sysExLookupKey) with value index 0. A
// negative start value, a missing template, a refused expansion or a message too short for a key is
// logged, and the record keeps no messages and nothing is filed.
void fileSysExMessages(UIConfigManager& manager, ControlAction* action, IControl* control,
                       const std::string& controlName, int sysexIndex, int changingByte, int count,
                       int startValue, int instance);

// Files a control that sends something else (a control change or an
// MSB/LSB pair) in the manager's SysEx lookup too, under the key that the
// first message of entry sysexIndex would have (the synthesizer's own
// single-parameter address), so that the synthesizer's single-parameter
// message finds it. No record is touched: the control keeps sending what
// its type says. A missing or refused template is logged and nothing is
// filed (false).
bool fileSysExAddress(UIConfigManager& manager, IControl* control, const std::string& controlName,
                      int sysexIndex, int changingByte, int instance);
