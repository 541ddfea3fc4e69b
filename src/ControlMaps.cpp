#include "src/ControlMaps.h"

void addToCCControlMap(CCControlMap& map, int channel, int controller, int key, IControl* control) {
  map[channel][controller][key] = control;
}

IControl* findCCControl(const CCControlMap& map, int channel, int controller, int key) {
  const auto byChannel = map.find(channel);
  if (byChannel == map.end()) return nullptr;
  const auto byController = byChannel->second.find(controller);
  if (byController == byChannel->second.end()) return nullptr;
  const auto byKey = byController->second.find(key);
  return byKey == byController->second.end() ? nullptr : byKey->second;
}
