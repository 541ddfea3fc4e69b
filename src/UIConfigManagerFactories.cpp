// CONTROL FACTORIES that are not built yet: each logs that its element was
// skipped and builds nothing, so the rest of the window is still built.
#include "src/UIConfigManager.h"

void UIConfigManager::createDropDownMenu(std::string name, int paramIdx, int x, int y, int width, int height,
                                         int instance, ControlLayer* layer, std::string group) {
  logMissingFactory("createDropDownMenu", name, paramIdx);
}

void UIConfigManager::createMIDIDeviceSelectionControl(std::string name, int paramIdx, int x, int y,
                                                       int width, int height, int input, int instance,
                                                       ControlLayer* layer, std::string group) {
  logMissingFactory("createMIDIDeviceSelectionControl", name, paramIdx);
}

void UIConfigManager::createDropDownMenu2(std::string name, int paramIdx, int x, int y, int width, int height,
                                          int b1, int b2, int b3, Values texts, int instance,
                                          ControlLayer* layer, std::string group) {
  logMissingFactory("createDropDownMenu2", name, paramIdx);
}

void UIConfigManager::createNoValDropDown(std::string name, int paramIdx, int x, int y, int width, int height,
                                          int b1, int b2, int b3, int d1, int d2, int visible, Values texts,
                                          int instance, ControlLayer* layer, std::string group, bool white) {
  logMissingFactory("createNoValDropDown", name, paramIdx);
}

void UIConfigManager::createMsbLsbSelectionCCControl(int cc, int msb, int lsb, int lsbControl, int channel,
                                                     std::string name, int paramIdx, int x, int y, int width,
                                                     int textHeight, int b1, int b2, int b3, int d1, int d2,
                                                     Values texts, int instance, ControlLayer* layer,
                                                     std::string group) {
  logMissingFactory("createMsbLsbSelectionCCControl", name, paramIdx);
}

void UIConfigManager::createMultiSelectionSysExControl(std::string name, int paramIdx, int x, int y,
                                                       int width, int textHeight, int b1, int b2, int b3,
                                                       int d1, int d2, Values texts, int msgZeroVal,
                                                       int color, int sysexIndex, int changingByte,
                                                       int instance, ControlLayer* layer, std::string group) {
  logMissingFactory("createMultiSelectionSysExControl", name, paramIdx);
}

void UIConfigManager::createMultiSelectionCCControl(int cc, int channel, std::string name, int paramIdx,
                                                    int x, int y, int width, int textHeight, int b1, int b2,
                                                    int b3, int d1, int d2, Values texts, int instance,
                                                    ControlLayer* layer, std::string group) {
  logMissingFactory("createMultiSelectionCCControl", name, paramIdx);
}

IControl* UIConfigManager::createLibrarianView(int x, int y, int paramIdx, IBitmap image, IRECT area) {
  log("CONFIG READER: the librarian list is not available; patchBrowser is not built");
  return nullptr;
}
