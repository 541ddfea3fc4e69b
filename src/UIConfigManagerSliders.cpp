// The slider factories: a handle on a vertical or horizontal track over a
// double parameter, mapped to a control change or to a SysEx message per
// value.
#include <functional>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IFaderControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "src/EditorServices.h"
#include "src/UIConfigFactoryPath.h"
#include "src/UIConfigManager.h"

namespace {

// The maker of the handle of an image on a track of the scaled length at the
// scaled position.
std::function<IControl*(const IBitmap&)> handleAt(const UIConfigManager& m, int x, int y, int length,
                                                  int paramIdx, EDirection direction) {
  return [&m, x, y, length, paramIdx, direction](const IBitmap& bitmap) -> IControl* {
    return new IFaderControl(m.plug, m.scaleCoordinate(x), m.scaleCoordinate(y), m.scaleCoordinate(length),
                             paramIdx, &bitmap, direction, false);
  };
}

}  // namespace

void UIConfigManager::createCCSliderControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                                            int length, std::string image, double b1, double b2, double b3,
                                            LinkInfo link, int instance, ControlLayer* layer,
                                            std::string group, EDirection direction, bool flag) {
  IControl* slider = nullptr;
  ControlAction* action =
      buildMappedControl("createCCSliderControl", name, paramIdx, image, b1, b2, b3, 1.0, instance, layer,
                         group, kActionCC, link, handleAt(*this, x, y, length, paramIdx, direction), &slider);
  // Sliders keep the mixer-layer key 0 even inside a mixer layer.
  if (action) mapController(*this, action, slider, cc, nullptr, channel, instance, layer, kMixerChannel);
}

void UIConfigManager::createSysExSliderControl(std::string name, int paramIdx, int x, int y, int length,
                                               std::string image, double b1, double b2, double b3, double b4,
                                               int msgZeroVal, int sysexIndex, int changingByte, int instance,
                                               LinkInfo link, ControlLayer* layer, std::string group,
                                               EDirection direction, bool flag) {
  IControl* slider = nullptr;
  ControlAction* action = buildMappedControl("createSysExSliderControl", name, paramIdx, image, b1, b2, b3,
                                             1.0, instance, layer, group, kActionSysEx, link,
                                             handleAt(*this, x, y, length, paramIdx, direction), &slider);
  if (!action) return;
  const int minimum = static_cast<int>(b2), maximum = static_cast<int>(b3);
  // The value byte of entry k is minimum + msgZeroVal + k.
  const long start = static_cast<long>(minimum) + msgZeroVal;
  fileSysExMessages(*this, action, slider, name, sysexIndex, changingByte, maximum - minimum + 1,
                    start > 0x7FFFFFFFL ? -1 : static_cast<int>(start), instance);
}
