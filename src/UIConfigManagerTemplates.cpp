// SYSEX TEMPLATES of the controls and the building blocks' log sink.
#include "src/ControlActionSysEx.h"
#include "src/UIConfigManager.h"

bool UIConfigManager::calculateSysexWithChangingByte(const std::string& sysexTemplate, int changingByte,
                                                     int count, ControlActionSysExMessage* message,
                                                     int startValue, int instance) {
  if (!message) return false;
  return expandSysExTemplate(convertStringSysextoVector(sysexTemplate), changingByte, count, startValue,
                             instance, &message->messages, logSink());
}

UIConfigLog UIConfigManager::logSink() const {
  return [this](const std::string& line) { log(line); };
}
