#include "src/UIConfigManager.h"
#include "src/VivivI.h"

// The reverse indexes belong to the UI configuration and are filled while the
// window is built; these only read them (from the MIDI input thread too) and
// answer null before the window exists.

IControl* VivivI::getSysexControl(int byte1, int byte2, int byte3, int byte4, int valueIndex) {
  if (!uiConfig) return nullptr;
  return uiConfig->sysexControls.findControl(byte1, byte2, byte3, byte4, valueIndex);
}

IControl* VivivI::getMsbLsbControl(int channelKey, int msb, int offset, int lsb, int table) {
  if (!uiConfig) return nullptr;
  return uiConfig->nrpnControls.findControl(channelKey, msb, offset, lsb, table);
}

IControl* VivivI::getCCControls(int channelKey, int controller, int table) {
  if (!uiConfig) return nullptr;
  return findCCControl(uiConfig->ccControls, channelKey, controller, table);
}

int VivivI::getProgramValueByParts(int a, int b, int c) const {
  const auto first = mProgramValues.find(a);
  if (first == mProgramValues.end()) return 0;
  const auto second = first->second.find(b);
  if (second == first->second.end()) return 0;
  const auto third = second->second.find(c);
  return third == second->second.end() ? 0 : third->second;
}

void VivivI::setProgramValueByParts(int a, int b, int c, int value) { mProgramValues[a][b][c] = value; }
