// The Varno's global settings: the five of the global dump and local control,
// each kept within its range.
#pragma once

#include "tools/varno-sim/VarnoParameterTable.h"

namespace varno {

class GlobalValues {
 public:
  // Every setting at its table initial value.
  GlobalValues();

  // The value of setting index 74, 75 or 131..134; -1 for any other index.
  int value(int index) const;
  // Sets a setting, limited to its range; false (nothing changes) for an index
  // that is no global setting.
  bool setValue(int index, int value);

  int deviceId() const { return value(kIndexGlobalDeviceId); }
  int midiChannel() const { return value(kIndexGlobalMidiChannel); }
  int controlX() const { return value(kIndexGlobalControlX); }

  bool operator==(const GlobalValues& other) const;

 private:
  int m_values[kGlobalSettingCount];
};

}  // namespace varno
