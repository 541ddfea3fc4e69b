// What the control factory tests share: a real UI configuration manager
// (not the recording one) read from an empty description and a small SysEx
// list, so that its image and parameter tables are filled, with layers
// attached to the GUI on demand.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IParam.h"
#include "src/ControlAction.h"
#include "tests/uiconfig/uiconfig_fixture.h"

// The SysEx list the fixture serves:
//   entry 0: "F0 3E 16 00 20 01 05 00 F7"
//   entry 1: a plain list without values (no template)
//   entry 2: "F0 3E 16 00 20 01 05 7E F7"
extern const char* const kFactorySysExList;

class FactoryTest : public UIConfigTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A fresh manager read at the scale; earlier controls stay in the GUI.
  void build(double scale = 1.0);
  // A layer of the name, attached to the GUI (which owns it).
  ControlLayer* layer(const std::string& name);

  IParam* param(int index) { return editor->GetParam(index); }
  ControlAction* action(int index) { return param(index)->GetControlAction(); }
  // The control last appended to the layer, or last attached to the GUI.
  IControl* lastControl(ControlLayer* inLayer);
  // (trunc(x s), trunc(y s)) and one frame of the image in size.
  IRECT frameRect(const std::string& image, int x, int y);

  std::unique_ptr<UIConfigManager> real;
  double scale = 1.0;
};

// The scales every control's rectangle is checked at.
inline const double kFactoryScales[] = {0.75, 1.0, 1.5};
