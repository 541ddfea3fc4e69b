#include <string>

#include "src/VivivI.h"

// ==== The change handlers ====================================================
// Not built yet: each body below is replaced by its operation.

void VivivI::OnParamChange(int) {}

void VivivI::OnParamChange2(int) {}

// ---- end of the change handlers ----

// ==== ControlDisplay =========================================================
// The status line shows the name of the parameter that changed last, the
// value line its value in words followed by the raw value in brackets.

#include <cstdio>

#include "KIT/IModule/IParam.h"
#include "KIT/IModule/Truncate.h"
#include "src/UIConfigManager.h"

namespace {

// Parameters whose changes never reach the two lines: the displays
// themselves, the librarian's names, lists and triggers, the port choices.
bool neverDisplayed(int index) {
  switch (index) {
    case kPatchName:
    case kRefreshFolders:
    case kPatchRename:
    case kCategoryName:
    case kOverwriteBank:
    case kControlDisplayLibCategory:
    case kControlDisplayCategory:
    case kCategorySelection:
    case kOscillator1WaveTrigger:
    case kOscillator2WaveTrigger:
    case kOscillator3WaveTrigger:
    case kOscillator2KeytrackTrigger:
    case kOscillator2SyncTrigger:
    case kEditPage2Switch:
    case kDeviceOutSelection:
    case kDeviceInSelection:
    case kPatchUp:
    case kPatchDown:
    case kControlDisplayName:
    case kControlDisplayValue:
    case kControlDisplayCC:
    case kShowLibrarian:
    case kDiscardBankData:
    case kPatchSelectionListUpper:
    case kPatchSelectionListLower:
    case kMainTab:
    case kLibrarianArea:
      return true;
    default:
      return false;
  }
}

bool isTune(int index) {
  return index == kOscillator1Tune || index == kOscillator2Tune || index == kOscillator3Tune;
}

// "0" at centre, "-n" below it, "+n" above it; empty outside 0..top.
std::string signedFromCentre(int v, int centre, int top, int divisor) {
  if (v < 0 || v > top) return {};
  if (v == centre) return "0";
  const int offset = (v - centre) / divisor;  // truncated toward zero
  return v < centre ? std::to_string(offset) : "+" + std::to_string(offset);
}

std::string panningText(int v) {
  if (v == 127) return "RIGHT 100%";
  if (v == 64) return "< CENTER >";
  if (v == 0) return "LEFT 100%";
  if (v >= 1 && v <= 63) return "LEFT " + std::to_string(static_cast<int>((v - 64) * -1.55)) + "%";
  if (v >= 65 && v <= 126) return "RIGHT " + std::to_string(static_cast<int>((v - 64) * 1.55)) + "%";
  return {};
}

// The value list a parameter's text comes from, or null.
const char* valueListOf(int index) {
  switch (index) {
    case kFilterCutoffModSource:
    case kPitchModSource:
    case kModUnit1Source:
    case kModUnit2Source:
    case kModUnit3Source:
    case kModUnit4Source:
    case kCV2ModSource:
      return "modulationSources";
    case kModUnit1Destination:
    case kModUnit2Destination:
    case kModUnit3Destination:
    case kModUnit4Destination:
      return "modulationDestination";
    case kOscillator1Shape:
    case kOscillator3Shape:
      return "osc13Shape";
    case kOscillator2Shape:
      return "osc2Shape";
    case kLFO1Shape:
      return "lfo1Shape";
    case kPortamentoMode:
      return "portamentoMode";
    case kPitchBendScale:
      return "bendScale";
    case kArpOnOff:
      return "arpActiveMode";
    case kArpRange:
      return "arpOctaveRange";
    case kArpTempo:
      return "arpClockRange";
    case kArpClock:
      return "arpTempoValues";
    case kArpMode:
      return "arpModeList";
    case kGlobalMidiChannel:
      return "omniToSixteen";
    default:
      return nullptr;
  }
}

// Entry v of the named list; empty for a list the description lacks or a v
// past its end. Read without creating a list: this runs on the MIDI input
// thread too.
std::string valueListEntry(VivivI* plug, const char* list, int v) {
  if (!plug->uiConfig || v < 0) return {};
  const auto found = plug->uiConfig->valueLists.find(list);
  if (found == plug->uiConfig->valueLists.end()) return {};
  const Values& values = found->second;
  return static_cast<size_t>(v) < values.size() ? values[static_cast<size_t>(v)] : std::string();
}

bool isOnOff(int index) {
  return (index >= kPartLock && index <= kSectionLockArp) || index == kOscillator2Keytrack ||
         index == kOscillator2Sync || index == kOverrideTempo;
}

// Centre 64, one step per value.
bool isCentred(int index) {
  switch (index) {
    case kEnvelope1Keytrack:
    case kEnvelope2Keytrack:
    case kFilterCutoffKeytrack:
    case kFilterCutoffEnv1Sens:
    case kFilterCutoffVeloSens:
    case kFilterCutoffModAmount:
    case kVolumeVeloSense:
    case kPitchModAmount:
    case kModUnit1Amount:
    case kModUnit2Amount:
    case kModUnit3Amount:
    case kModUnit4Amount:
    case kCV2ModAmount:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string VivivI::getValueString(double value) { return ControlDisplay::getValueString(value); }

void ControlDisplay::controlDisplay(VivivI* plug, int index, double value, bool transport) {
  if (!plug || neverDisplayed(index)) return;
  if (!plug->pluginReady) return;
  if (index == kPatchSearchString || index == kPatchSearch) return;
  if (index == kControlLibrary && !plug->hostFilter[kFilterProgramChange]) return;
  IParam* param = plug->GetParam(index);
  if (!param) return;
  const std::string name = param->GetNameForHost();
  if (transport && name.empty()) return;
  const int v = TruncateToInt(value);
  if (isTune(index) && v % 2 != 0) return;

  plug->setDisplayText(kControlDisplayName, name);
  bool alone = false;
  const std::string text = valueText(plug, index, v, &alone);
  plug->setDisplayText(kControlDisplayValue, alone ? text : text + " [" + std::to_string(v) + "]");
}

std::string ControlDisplay::valueText(VivivI* plug, int index, int v, bool* alone) {
  if (alone) *alone = false;
  if (index >= kOscillator1Semitone && index <= kOscillator3Semitone) return signedFromCentre(v, 48, 97, 1);
  if (isTune(index)) return signedFromCentre(v, 64, 127, 2);
  if (isCentred(index)) return signedFromCentre(v, 64, 127, 1);
  if (index == kPanning) return panningText(v);
  if (const char* list = valueListOf(index)) return plug ? valueListEntry(plug, list, v) : std::string();
  if (isOnOff(index)) return v == 1 ? "ON" : v == 0 ? "OFF" : "";
  if (index == kGlobalLocalControl) return v == 0 ? "DISABLED" : v == 1 ? "ALLOWED" : "";
  if (alone) *alone = true;
  return getValueString(v);
}

std::string ControlDisplay::getValueString(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.0f", value);
  return text;
}
