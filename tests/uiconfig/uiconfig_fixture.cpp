#include "tests/uiconfig/uiconfig_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "FileEncrypt/resource_cipher.h"
#include "FileEncrypt/resource_key.h"
#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/pix/pix.h"

namespace {

std::string baseNameOf(const char* name) {
  const std::string text = name ? name : "";
  const std::string::size_type slash = text.find_last_of('/');
  return slash == std::string::npos ? text : text.substr(slash + 1);
}

// Frame counts of the editor's multi-frame images, by file.
const struct {
  const char* file;
  int frames;
} kStrips[] = {
    {"knob-varnox-normal-21.png", 21},
    {"knob-varnox-normal-97.png", 97},
    {"knob-varnox-normal-fc.png", 128},
    {"knob-varnox-normal.png", 128},
    {"btn-lock-white.png", 2},
    {"btn-lock-black.png", 2},
    {"button-pink.png", 2},
    {"button-red.png", 2},
    {"button-grey.png", 2},
    {"button-blue.png", 2},
    {"checkbox-button.png", 2},
    {"btn-search.png", 2},
    {"singleledred.png", 2},
    {"tripleledred.png", 3},
    {"quadledred.png", 4},
    {"7ledred.png", 7},
    {"singleledgreen.png", 2},
    {"octoledred.png", 8},
    {"btn-lib-display-categories.png", 2},
};

std::string text(int v) { return std::to_string(v); }
std::string text(double v) {
  std::ostringstream out;
  out << v;
  return out.str();
}
std::string text(bool v) { return v ? "true" : "false"; }
std::string text(const LinkInfo& link) {
  return text(link.partnerParam) + "," + text(link.secondParam) + "," + text(link.linkValue);
}
std::string text(const Values& values) {
  std::string joined = "[";
  for (size_t i = 0; i < values.size(); ++i) joined += (i ? "|" : "") + values[i];
  return joined + "]";
}

}  // namespace

std::string layerName(const ControlLayer* layer) { return layer ? layer->name : "gui"; }

void PrintTo(const IRECT& r, std::ostream* out) {
  *out << "(" << r.L << ", " << r.T << ", " << r.R << ", " << r.B << ")";
}

ImageSize imageSizeOf(const std::string& baseName) {
  for (const auto& strip : kStrips)
    if (baseName == strip.file)
      return baseName.compare(0, 5, "knob-") == 0 ? ImageSize{41, 41, strip.frames}
                                                  : ImageSize{30, 20, strip.frames};
  return ImageSize{16, 12, 1};
}

// ---- DescriptionGraphics ----------------------------------------------------------

char* DescriptionGraphics::OSLoadFile(int, const char* name) {
  const std::string base = baseNameOf(name);
  loadedFiles.push_back(base);
  const auto found = files.find(base);
  if (found == files.end()) return nullptr;
  const std::vector<uint8_t>& bytes = found->second;
  char* buffer = new char[bytes.empty() ? 1 : bytes.size()];
  if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
  mLastLoadedFileSize = static_cast<int>(bytes.size());
  return buffer;
}

PIX_IBitmap* DescriptionGraphics::OSLoadBitmap(int, const char* name) {
  const ImageSize size = imageSizeOf(baseNameOf(name));
  return new PIX_MemBitmap(size.width, size.frameHeight * size.frames, 4);
}

void DescriptionGraphics::serveText(const std::string& baseName, const std::string& plain) {
  files[baseName] =
      encipherResource(reinterpret_cast<const uint8_t*>(plain.data()), plain.size(), kResourceKey);
}

void DescriptionGraphics::serveFixture(const std::string& baseName, const std::string& fixture) {
  std::ifstream in(std::string(UICONFIG_FIXTURES) + "/" + fixture, std::ios::binary);
  ASSERT_TRUE(in) << "fixture " << fixture << " was not enciphered by the build";
  files[baseName] =
      std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---- RecordingManager -------------------------------------------------------------

#define RECORD(...) calls.push_back(joinCall({__VA_ARGS__}))

namespace {

std::string joinCall(std::initializer_list<std::string> parts) {
  std::string line;
  // An empty argument shows as '' so that every argument keeps its place.
  for (const std::string& part : parts) line += (line.empty() ? "" : " ") + (part.empty() ? "''" : part);
  return line;
}

}  // namespace

void RecordingManager::createControlDisplay(std::string name, int paramIdx, int x, int y, int width,
                                            int height, int instance, ControlLayer* layer, std::string group,
                                            int displaySize) {
  RECORD("createControlDisplay", name, text(paramIdx), text(x), text(y), text(width), text(height),
         text(instance), layerName(layer), group, text(displaySize));
}

void RecordingManager::createBoolControl(std::string name, int paramIdx, int defaultValue, int x, int y,
                                         std::string imageName, int instance, ControlLayer* layer,
                                         std::string group) {
  RECORD("createBoolControl", name, text(paramIdx), text(defaultValue), text(x), text(y), imageName,
         text(instance), layerName(layer), group);
}

void RecordingManager::createSwitchControl(std::string name, int paramIdx, int defaultValue, int x, int y,
                                           std::string imageName, int instance, ControlLayer* layer,
                                           std::string group) {
  RECORD("createSwitchControl", name, text(paramIdx), text(defaultValue), text(x), text(y), imageName,
         text(instance), layerName(layer), group);
}

void RecordingManager::createRadioControl(std::string name, int paramIdx, int x, int y, std::string imageName,
                                          int buttons, int instance, ControlLayer* layer, std::string group) {
  RECORD("createRadioControl", name, text(paramIdx), text(x), text(y), imageName, text(buttons),
         text(instance), layerName(layer), group);
}

void RecordingManager::createDropDownMenu(std::string name, int paramIdx, int x, int y, int width, int height,
                                          int instance, ControlLayer* layer, std::string group) {
  RECORD("createDropDownMenu", name, text(paramIdx), text(x), text(y), text(width), text(height),
         text(instance), layerName(layer), group);
}

void RecordingManager::createMIDIDeviceSelectionControl(std::string name, int paramIdx, int x, int y,
                                                        int width, int height, int input, int instance,
                                                        ControlLayer* layer, std::string group) {
  RECORD("createMIDIDeviceSelectionControl", name, text(paramIdx), text(x), text(y), text(width),
         text(height), text(input), text(instance), layerName(layer), group);
}

void RecordingManager::createNameDisplay(std::string name, int paramIdx, int x, int y, int width, int height,
                                         int nameLength, int instance, ControlLayer* layer,
                                         std::string group) {
  RECORD("createNameDisplay", name, text(paramIdx), text(x), text(y), text(width), text(height),
         text(nameLength), text(instance), layerName(layer), group);
}

void RecordingManager::createDropDownMenu2(std::string name, int paramIdx, int x, int y, int width,
                                           int height, int b1, int b2, int b3, Values texts, int instance,
                                           ControlLayer* layer, std::string group) {
  RECORD("createDropDownMenu2", name, text(paramIdx), text(x), text(y), text(width), text(height), text(b1),
         text(b2), text(b3), text(texts), text(instance), layerName(layer), group);
}

void RecordingManager::createNoValKnobControl(std::string name, int paramIdx, int x, int y, std::string image,
                                              double b1, double b2, double b3, double b4, int instance,
                                              ControlLayer* layer, std::string group) {
  RECORD("createNoValKnobControl", name, text(paramIdx), text(x), text(y), image, text(b1), text(b2),
         text(b3), text(b4), text(instance), layerName(layer), group);
}

void RecordingManager::createNoValDropDown(std::string name, int paramIdx, int x, int y, int width,
                                           int height, int b1, int b2, int b3, int d1, int d2, int visible,
                                           Values texts, int instance, ControlLayer* layer, std::string group,
                                           bool white) {
  RECORD("createNoValDropDown", name, text(paramIdx), text(x), text(y), text(width), text(height), text(b1),
         text(b2), text(b3), text(d1), text(d2), text(visible), text(texts), text(instance), layerName(layer),
         group, text(white));
}

void RecordingManager::createSysExKnobControl(std::string name, int paramIdx, int x, int y, std::string image,
                                              double b1, double b2, double b3, double b4, int msgZeroVal,
                                              int sysexIndex, int changingByte, int instance, LinkInfo link,
                                              ControlLayer* layer, std::string group) {
  RECORD("createSysExKnobControl", name, text(paramIdx), text(x), text(y), image, text(b1), text(b2),
         text(b3), text(b4), text(msgZeroVal), text(sysexIndex), text(changingByte), text(instance),
         text(link), layerName(layer), group);
}

void RecordingManager::createSysExKnobControl2(std::string name, int paramIdx, int x, int y,
                                               std::string image, double b1, double b2, double b3, double b4,
                                               int msgZeroVal, int sysexIndex, int changingByte, int instance,
                                               LinkInfo link, ControlLayer* layer, std::string group) {
  RECORD("createSysExKnobControl2", name, text(paramIdx), text(x), text(y), image, text(b1), text(b2),
         text(b3), text(b4), text(msgZeroVal), text(sysexIndex), text(changingByte), text(instance),
         text(link), layerName(layer), group);
}

void RecordingManager::createSysExSliderControl(std::string name, int paramIdx, int x, int y, int length,
                                                std::string image, double b1, double b2, double b3, double b4,
                                                int msgZeroVal, int sysexIndex, int changingByte,
                                                int instance, LinkInfo link, ControlLayer* layer,
                                                std::string group, EDirection direction, bool flag) {
  RECORD("createSysExSliderControl", name, text(paramIdx), text(x), text(y), text(length), image, text(b1),
         text(b2), text(b3), text(b4), text(msgZeroVal), text(sysexIndex), text(changingByte), text(instance),
         text(link), layerName(layer), group, direction == kVertical ? "vertical" : "horizontal", text(flag));
}

void RecordingManager::createSysExBoolControl(std::string name, int paramIdx, int x, int y, std::string image,
                                              double defaultValue, int msgZeroVal, int sysexIndex,
                                              int changingByte, int instance, LinkInfo link,
                                              ControlLayer* layer, std::string group) {
  RECORD("createSysExBoolControl", name, text(paramIdx), text(x), text(y), image, text(defaultValue),
         text(msgZeroVal), text(sysexIndex), text(changingByte), text(instance), text(link), layerName(layer),
         group);
}

void RecordingManager::createCCSliderControl(int cc, int channel, std::string name, int paramIdx, int x,
                                             int y, int length, std::string image, double b1, double b2,
                                             double b3, LinkInfo link, int instance, ControlLayer* layer,
                                             std::string group, EDirection direction, bool flag) {
  RECORD("createCCSliderControl", text(cc), text(channel), name, text(paramIdx), text(x), text(y),
         text(length), image, text(b1), text(b2), text(b3), text(link), text(instance), layerName(layer),
         group, direction == kVertical ? "vertical" : "horizontal", text(flag));
}

void RecordingManager::createCCKnobControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                                           std::string image, double b1, double b2, double b3, double b4,
                                           LinkInfo link, int instance, ControlLayer* layer,
                                           std::string group) {
  RECORD("createCCKnobControl", text(cc), text(channel), name, text(paramIdx), text(x), text(y), image,
         text(b1), text(b2), text(b3), text(b4), text(link), text(instance), layerName(layer), group);
}

void RecordingManager::createCCBoolControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                                           std::string image, double defaultValue, double offValue,
                                           double onValue, LinkInfo link, int instance, ControlLayer* layer,
                                           std::string group) {
  RECORD("createCCBoolControl", text(cc), text(channel), name, text(paramIdx), text(x), text(y), image,
         text(defaultValue), text(offValue), text(onValue), text(link), text(instance), layerName(layer),
         group);
}

void RecordingManager::createMsbLsbKnobControl(int cc, int msb, int lsb, int lsbControl, int channel,
                                               std::string name, int paramIdx, int x, int y,
                                               std::string image, double b1, double b2, double b3, double b4,
                                               LinkInfo link, int instance, ControlLayer* layer,
                                               std::string group) {
  RECORD("createMsbLsbKnobControl", text(cc), text(msb), text(lsb), text(lsbControl), text(channel), name,
         text(paramIdx), text(x), text(y), image, text(b1), text(b2), text(b3), text(b4), text(link),
         text(instance), layerName(layer), group);
}

void RecordingManager::createMsbLsbBoolControl(int cc, int msb, int lsb, int lsbControl, int channel,
                                               std::string name, int paramIdx, int x, int y,
                                               std::string image, double defaultValue, double offValue,
                                               double onValue, LinkInfo link, int instance,
                                               ControlLayer* layer, std::string group) {
  RECORD("createMsbLsbBoolControl", text(cc), text(msb), text(lsb), text(lsbControl), text(channel), name,
         text(paramIdx), text(x), text(y), image, text(defaultValue), text(offValue), text(onValue),
         text(link), text(instance), layerName(layer), group);
}

void RecordingManager::createMsbLsbSelectionCCControl(int cc, int msb, int lsb, int lsbControl, int channel,
                                                      std::string name, int paramIdx, int x, int y, int width,
                                                      int textHeight, int b1, int b2, int b3, int d1, int d2,
                                                      Values texts, int instance, ControlLayer* layer,
                                                      std::string group) {
  RECORD("createMsbLsbSelectionCCControl", text(cc), text(msb), text(lsb), text(lsbControl), text(channel),
         name, text(paramIdx), text(x), text(y), text(width), text(textHeight), text(b1), text(b2), text(b3),
         text(d1), text(d2), text(texts), text(instance), layerName(layer), group);
}

void RecordingManager::createMultiSelectionSysExControl(std::string name, int paramIdx, int x, int y,
                                                        int width, int textHeight, int b1, int b2, int b3,
                                                        int d1, int d2, Values texts, int msgZeroVal,
                                                        int color, int sysexIndex, int changingByte,
                                                        int instance, ControlLayer* layer,
                                                        std::string group) {
  RECORD("createMultiSelectionSysExControl", name, text(paramIdx), text(x), text(y), text(width),
         text(textHeight), text(b1), text(b2), text(b3), text(d1), text(d2), text(texts), text(msgZeroVal),
         text(color), text(sysexIndex), text(changingByte), text(instance), layerName(layer), group);
}

void RecordingManager::createMultiSelectionCCControl(int cc, int channel, std::string name, int paramIdx,
                                                     int x, int y, int width, int textHeight, int b1, int b2,
                                                     int b3, int d1, int d2, Values texts, int instance,
                                                     ControlLayer* layer, std::string group) {
  RECORD("createMultiSelectionCCControl", text(cc), text(channel), name, text(paramIdx), text(x), text(y),
         text(width), text(textHeight), text(b1), text(b2), text(b3), text(d1), text(d2), text(texts),
         text(instance), layerName(layer), group);
}

IControl* RecordingManager::createLibrarianView(int x, int y, int paramIdx, IBitmap image, IRECT area) {
  RECORD("createLibrarianView", text(x), text(y), text(paramIdx), text(image.W) + "x" + text(image.H),
         text(area.L) + "," + text(area.T) + "," + text(area.R) + "," + text(area.B));
  return new IControl(plug, area, paramIdx);
}

// ---- UIConfigTest -----------------------------------------------------------------

void UIConfigTest::SetUp() {
  editor = std::make_unique<UIConfigEditor>();
  std::string pattern = (std::filesystem::temp_directory_path() / "vivivi-uiconfig-XXXXXX").string();
  const int fd = ::mkstemp(pattern.data());
  ASSERT_GE(fd, 0);
  ::close(fd);
  logPath = pattern;
  editor->loggingEnabled = true;
  editor->logFilePath = logPath;
  gui = std::make_unique<DescriptionGraphics>(editor.get());
  manager = std::make_unique<RecordingManager>();
}

void UIConfigTest::TearDown() {
  manager.reset();
  gui.reset();
  editor.reset();
  if (!logPath.empty()) std::filesystem::remove(logPath);
}

void UIConfigTest::read(double scale) {
  manager->readUIConfig(gui.get(), editor.get(), editor->patchLibrarian.get(), 0, scale);
}

void UIConfigTest::readDescription(const std::string& uiconfigXml) {
  gui->serveText("uiconfig.tea", uiconfigXml);
  if (!gui->files.count("sysex.tea")) gui->serveText("sysex.tea", "<sysexlist/>");
  read();
}

std::vector<std::string> UIConfigTest::takeLog() {
  std::ifstream in(logPath);
  std::vector<std::string> messages;
  std::string line;
  while (std::getline(in, line)) {
    const std::string::size_type start = line.find("\t ");
    messages.push_back(start == std::string::npos ? line : line.substr(start + 2));
  }
  in.close();
  std::ofstream(logPath, std::ios::trunc);
  logLines.insert(logLines.end(), messages.begin(), messages.end());
  return messages;
}

bool UIConfigTest::logged(const std::string& text) {
  takeLog();
  for (const std::string& line : logLines)
    if (line.find(text) != std::string::npos) return true;
  return false;
}
