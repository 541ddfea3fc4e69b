// What the UI configuration tests share: a GUI without a window that serves
// description files and images from memory, a manager whose control
// factories record their calls (one line each) instead of building, and a
// fixture with the real editor, the log switched on into a temporary
// file, and both.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "gtest/gtest.h"
#include "src/UIConfigManager.h"
#include "tests/support/test_editor.h"

// ---- The GUI -------------------------------------------------------------------

// Serves files by base name (the folder part is dropped, as the bundle
// lookup does) in buffers of exactly their size, so a read past the end is
// caught. Images are plain strips whose size depends on the file name only
// (ImageSize), the same for every test in the process: the bitmap cache is
// shared.
class DescriptionGraphics : public IGraphics {
 public:
  explicit DescriptionGraphics(IModuleBase* plug) : IGraphics(plug, 1500, 667) {}

  char* OSLoadFile(int id, const char* name) override;
  PIX_IBitmap* OSLoadBitmap(int id, const char* name) override;

  // Serves bytes under the base name.
  void serveBytes(const std::string& baseName, const std::vector<uint8_t>& bytes) { files[baseName] = bytes; }
  // Serves the text enciphered as the build enciphers resources.
  void serveText(const std::string& baseName, const std::string& text);
  // Serves a fixture that the build enciphered (tests/uiconfig/fixtures).
  void serveFixture(const std::string& baseName, const std::string& fixture);

  std::map<std::string, std::vector<uint8_t>> files;
  std::vector<std::string> loadedFiles;  // names asked for, in order
};

// The unscaled size of the image file: the knobs 41 x 41 per frame, the
// two-frame buttons 30 x 20 per frame, every other image 16 x 12 per frame;
// frames are stacked. Frame counts are those of the editor's image table.
struct ImageSize {
  int width;
  int frameHeight;
  int frames;
};
ImageSize imageSizeOf(const std::string& baseName);

// ---- The recording manager ---------------------------------------------------------

class RecordingManager : public UIConfigManager {
 public:
  // One line per factory call: its name and its arguments.
  std::vector<std::string> calls;

  void createControlDisplay(std::string name, int paramIdx, int x, int y, int width, int height, int instance,
                            ControlLayer* layer, std::string group, int displaySize) override;
  void createBoolControl(std::string name, int paramIdx, int defaultValue, int x, int y,
                         std::string imageName, int instance, ControlLayer* layer,
                         std::string group) override;
  void createSwitchControl(std::string name, int paramIdx, int defaultValue, int x, int y,
                           std::string imageName, int instance, ControlLayer* layer,
                           std::string group) override;
  void createRadioControl(std::string name, int paramIdx, int x, int y, std::string imageName, int buttons,
                          int instance, ControlLayer* layer, std::string group) override;
  void createDropDownMenu(std::string name, int paramIdx, int x, int y, int width, int height, int instance,
                          ControlLayer* layer, std::string group) override;
  void createMIDIDeviceSelectionControl(std::string name, int paramIdx, int x, int y, int width, int height,
                                        int input, int instance, ControlLayer* layer,
                                        std::string group) override;
  void createNameDisplay(std::string name, int paramIdx, int x, int y, int width, int height, int nameLength,
                         int instance, ControlLayer* layer, std::string group) override;
  void createDropDownMenu2(std::string name, int paramIdx, int x, int y, int width, int height, int b1,
                           int b2, int b3, Values texts, int instance, ControlLayer* layer,
                           std::string group) override;
  void createNoValKnobControl(std::string name, int paramIdx, int x, int y, std::string image, double b1,
                              double b2, double b3, double b4, int instance, ControlLayer* layer,
                              std::string group) override;
  void createNoValDropDown(std::string name, int paramIdx, int x, int y, int width, int height, int b1,
                           int b2, int b3, int d1, int d2, int visible, Values texts, int instance,
                           ControlLayer* layer, std::string group, bool white) override;
  void createSysExKnobControl(std::string name, int paramIdx, int x, int y, std::string image, double b1,
                              double b2, double b3, double b4, int msgZeroVal, int sysexIndex,
                              int changingByte, int instance, LinkInfo link, ControlLayer* layer,
                              std::string group) override;
  void createSysExKnobControl2(std::string name, int paramIdx, int x, int y, std::string image, double b1,
                               double b2, double b3, double b4, int msgZeroVal, int sysexIndex,
                               int changingByte, int instance, LinkInfo link, ControlLayer* layer,
                               std::string group) override;
  void createSysExSliderControl(std::string name, int paramIdx, int x, int y, int length, std::string image,
                                double b1, double b2, double b3, double b4, int msgZeroVal, int sysexIndex,
                                int changingByte, int instance, LinkInfo link, ControlLayer* layer,
                                std::string group, EDirection direction, bool flag) override;
  void createSysExBoolControl(std::string name, int paramIdx, int x, int y, std::string image,
                              double defaultValue, int msgZeroVal, int sysexIndex, int changingByte,
                              int instance, LinkInfo link, ControlLayer* layer, std::string group) override;
  void createCCSliderControl(int cc, int channel, std::string name, int paramIdx, int x, int y, int length,
                             std::string image, double b1, double b2, double b3, LinkInfo link, int instance,
                             ControlLayer* layer, std::string group, EDirection direction,
                             bool flag) override;
  void createCCKnobControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                           std::string image, double b1, double b2, double b3, double b4, LinkInfo link,
                           int instance, ControlLayer* layer, std::string group) override;
  void createCCBoolControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                           std::string image, double defaultValue, double offValue, double onValue,
                           LinkInfo link, int instance, ControlLayer* layer, std::string group) override;
  void createMsbLsbKnobControl(int cc, int msb, int lsb, int lsbControl, int channel, std::string name,
                               int paramIdx, int x, int y, std::string image, double b1, double b2, double b3,
                               double b4, LinkInfo link, int instance, ControlLayer* layer,
                               std::string group) override;
  void createMsbLsbBoolControl(int cc, int msb, int lsb, int lsbControl, int channel, std::string name,
                               int paramIdx, int x, int y, std::string image, double defaultValue,
                               double offValue, double onValue, LinkInfo link, int instance,
                               ControlLayer* layer, std::string group) override;
  void createMsbLsbSelectionCCControl(int cc, int msb, int lsb, int lsbControl, int channel, std::string name,
                                      int paramIdx, int x, int y, int width, int textHeight, int b1, int b2,
                                      int b3, int d1, int d2, Values texts, int instance, ControlLayer* layer,
                                      std::string group) override;
  void createMultiSelectionSysExControl(std::string name, int paramIdx, int x, int y, int width,
                                        int textHeight, int b1, int b2, int b3, int d1, int d2, Values texts,
                                        int msgZeroVal, int color, int sysexIndex, int changingByte,
                                        int instance, ControlLayer* layer, std::string group) override;
  void createMultiSelectionCCControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                                     int width, int textHeight, int b1, int b2, int b3, int d1, int d2,
                                     Values texts, int instance, ControlLayer* layer,
                                     std::string group) override;
  // Records the call and builds a plain control over the area.
  IControl* createLibrarianView(int x, int y, int paramIdx, IBitmap image, IRECT area) override;
};

// ---- Fixture -----------------------------------------------------------------------

// The real editor, built without descriptions (its own window is empty): the
// plug-in whose parameters the descriptions read here set up.
using UIConfigEditor = HostlessEditor<EditorDescriptions::kNone>;

class UIConfigTest : public ::testing::Test {
 protected:
  // The real editor with its log switched on into a temporary file,
  // a GUI serving nothing yet, and a recording manager.
  void SetUp() override;
  void TearDown() override;

  // readUIConfig with the fixture GUI, the editor and the given scale.
  void read(double scale = 1.0);
  // Serves the text as the UI description (and an empty SysEx list), then
  // reads.
  void readDescription(const std::string& uiconfigXml);
  // The log's messages (time stamps removed), then empties the log.
  std::vector<std::string> takeLog();
  // True when a logged message contains the text.
  bool logged(const std::string& text);

  std::unique_ptr<UIConfigEditor> editor;
  std::unique_ptr<DescriptionGraphics> gui;
  std::unique_ptr<RecordingManager> manager;
  std::string logPath;
  std::vector<std::string> logLines;  // what takeLog and logged have read
};

// A layer's name in recorded calls: "gui" for none.
std::string layerName(const ControlLayer* layer);
// Rectangles in failure messages.
void PrintTo(const IRECT& r, std::ostream* out);
