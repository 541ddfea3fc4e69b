#include "tests/uiconfig/factory_fixture.h"

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"

const char* const kFactorySysExList =
    "<sysexlist>"
    "<sysex><values><value>F0 3E 16 00 20 01 05 00 F7</value></values></sysex>"
    "<sysex><values/></sysex>"
    "<sysex><values><value>F0 3E 16 00 20 01 05 7E F7</value></values></sysex>"
    "</sysexlist>";

void FactoryTest::SetUp() {
  UIConfigTest::SetUp();
  gui->serveText("sysex.tea", kFactorySysExList);
  gui->serveText("uiconfig.tea", "<uiconfig/>");
}

void FactoryTest::TearDown() {
  // The records belong to the parameters; the controls to the GUI.
  releaseControlActions(editor.get());
  real.reset();
  UIConfigTest::TearDown();
}

void FactoryTest::build(double guiScale) {
  scale = guiScale;
  real = std::make_unique<UIConfigManager>();
  real->readUIConfig(gui.get(), editor.get(), editor->patchLibrarian.get(), 0, guiScale);
}

ControlLayer* FactoryTest::layer(const std::string& name) {
  auto* created = new ControlLayer(gui->NLayers() + 1, name);
  gui->AttachLayer(created);
  return created;
}

IControl* FactoryTest::lastControl(ControlLayer* inLayer) {
  if (inLayer)
    return inLayer->controls.GetSize() ? inLayer->controls.Get(inLayer->controls.GetSize() - 1) : nullptr;
  return gui->NControls() ? gui->GetControl(gui->NControls() - 1) : nullptr;
}

IRECT FactoryTest::frameRect(const std::string& image, int x, int y) {
  const IBitmap bitmap = real->getImageByName(gui.get(), image);
  const int left = static_cast<int>(x * scale), top = static_cast<int>(y * scale);
  return IRECT(left, top, left + bitmap.FrameWidth(), top + bitmap.FrameHeight());
}
