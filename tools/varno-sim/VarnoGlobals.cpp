#include "tools/varno-sim/VarnoGlobals.h"

namespace varno {
namespace {

int slotOf(int index) {
  const GlobalSetting* all = globalSettings();
  for (int slot = 0; slot < kGlobalSettingCount; ++slot)
    if (all[slot].index == index) return slot;
  return -1;
}

}  // namespace

GlobalValues::GlobalValues() {
  const GlobalSetting* all = globalSettings();
  for (int slot = 0; slot < kGlobalSettingCount; ++slot) m_values[slot] = all[slot].initial;
}

int GlobalValues::value(int index) const {
  const int slot = slotOf(index);
  return slot < 0 ? -1 : m_values[slot];
}

bool GlobalValues::setValue(int index, int value) {
  const int slot = slotOf(index);
  if (slot < 0) return false;
  const GlobalSetting& setting = globalSettings()[slot];
  m_values[slot] = limitToRange(value, setting.minimum, setting.maximum);
  return true;
}

bool GlobalValues::operator==(const GlobalValues& other) const {
  for (int slot = 0; slot < kGlobalSettingCount; ++slot)
    if (m_values[slot] != other.m_values[slot]) return false;
  return true;
}

}  // namespace varno
