// The display factories: hand their arguments on to the display builders
// (src/ValueDisplays.h).
#include "src/EditorServices.h"
#include "src/UIConfigManager.h"
#include "src/ValueDisplays.h"

void UIConfigManager::createControlDisplay(std::string name, int paramIdx, int x, int y, int width,
                                           int height, int instance, ControlLayer* layer, std::string group,
                                           int displaySize) {
  buildControlDisplay(plug, gui, scale, paramIdx, x, y, width, height, layer, displaySize, logSink());
}

void UIConfigManager::createNameDisplay(std::string name, int paramIdx, int x, int y, int width, int height,
                                        int nameLength, int instance, ControlLayer* layer,
                                        std::string group) {
  const std::string groupText = getParamGroup(instance, group);
  buildNameDisplay(plug, gui, scale, name, paramIdx, x, y, width, height, nameLength, layer,
                   groupText.c_str(), logSink());
}
