// The reverse index of SysEx-mapped controls: four key bytes of the
// control's first message (sysExLookupKey, ControlActionSysEx.h), then a
// value index (0 for every control the editor files). The SysEx receiver
// looks up bytes 3..6 of an incoming parameter message with index 0.
#pragma once

#include "src/ControlMaps.h"

class SysExControlContainer {
 public:
  // Files control under (header[0..3], valueIndex), each byte widened to
  // int; a later control under the same keys replaces the earlier one.
  void addToControlMap(unsigned char* header, unsigned char valueIndex, IControl* control);
  // The control filed under the five keys, or null; creates nothing.
  IControl* findControl(int h1, int h2, int h3, int h4, int valueIndex) const;

 private:
  std::map<int, controlID1> mControls;
};
