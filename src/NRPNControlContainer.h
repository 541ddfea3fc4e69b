// The reverse index of MSB/LSB-mapped controls, keyed by five fields of the
// control's ControlAction: channel, msbValue, valueOffset, lsbControl and
// mixerLayer, in that order.
#pragma once

#include "src/ControlMaps.h"

class ControlAction;

class NRPNControlContainer {
 public:
  // Files control under the record's five keys; a later control under the
  // same keys replaces the earlier one. Nothing for a null record.
  void addToControlMap(ControlAction* action, IControl* control);
  // The control filed under the five keys (lsb is the record's valueOffset),
  // or null; creates nothing.
  IControl* findControl(int channel, int msb, int lsb, int lsbControl, int key) const;

 private:
  std::map<int, controlID1> mControls;
};
