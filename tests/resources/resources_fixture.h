// What the description checks share: the real UI configuration manager
// reading the build's enciphered descriptions, in a GUI without a window
// that serves the generated images at their true sizes, and a walk over
// every control the description built.
#pragma once

#include <string>
#include <vector>

#include "tests/uiconfig/factory_fixture.h"

// Serves the build's enciphered descriptions and the generated PNG images.
class ResourceGraphics : public DescriptionGraphics {
 public:
  explicit ResourceGraphics(IModuleBase* plug) : DescriptionGraphics(plug) {}
  PIX_IBitmap* OSLoadBitmap(int id, const char* name) override;
};

// One control and where it lies: its layer and the chain of layers above it
// (outermost first); empty for a control attached to the GUI itself.
struct PlacedControl {
  IControl* control;
  std::vector<const ControlLayer*> layers;
};

class ResourceTest : public FactoryTest {
 protected:
  void SetUp() override;
  // Drops what an earlier build made (records, manager, GUI) and starts
  // from a GUI serving the descriptions again.
  void freshGui();
  // Reads both descriptions at the scale into a fresh manager.
  void buildFromResources(double scale = 1.0);
  // Every control of the GUI and of its layers, at any depth.
  std::vector<PlacedControl> allControls() const;
  // The CONFIG READER lines of the log that report a problem.
  std::vector<std::string> complaints();
};
