#include "tests/resources/resources_fixture.h"

#include <fstream>
#include <iterator>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/pix/pix-png.h"

namespace {

std::string baseNameOf(const char* name) {
  const std::string text = name ? name : "";
  const std::string::size_type slash = text.find_last_of('/');
  return slash == std::string::npos ? text : text.substr(slash + 1);
}

std::vector<uint8_t> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void collect(const ControlLayer* layer, std::vector<const ControlLayer*> chain,
             std::vector<PlacedControl>* out) {
  chain.push_back(layer);
  for (int i = 0; i < layer->controls.GetSize(); ++i) out->push_back({layer->controls.Get(i), chain});
  for (int i = 0; i < layer->subLayers.GetSize(); ++i) collect(layer->subLayers.Get(i), chain, out);
}

}  // namespace

PIX_IBitmap* ResourceGraphics::OSLoadBitmap(int, const char* name) {
  return PIX_LoadPNG((std::string(IMAGE_DIR) + "/" + baseNameOf(name)).c_str(), nullptr);
}

void ResourceTest::SetUp() {
  FactoryTest::SetUp();
  freshGui();
}

void ResourceTest::freshGui() {
  releaseControlActions(editor.get());
  real.reset();
  gui = std::make_unique<ResourceGraphics>(editor.get());
  for (const char* file : {"uiconfig.tea", "sysex.tea"}) {
    const std::vector<uint8_t> bytes = fileBytes(std::string(DESCRIPTION_DIR) + "/" + file);
    ASSERT_FALSE(bytes.empty()) << file << " was not enciphered by the build";
    gui->serveBytes(file, bytes);
  }
}

void ResourceTest::buildFromResources(double guiScale) { build(guiScale); }

std::vector<PlacedControl> ResourceTest::allControls() const {
  std::vector<PlacedControl> out;
  for (int i = 0; i < gui->NControls(); ++i) out.push_back({gui->GetControl(i), {}});
  for (int i = 0; i < gui->NLayers(); ++i) collect(gui->GetLayer(i), {}, &out);
  return out;
}

std::vector<std::string> ResourceTest::complaints() {
  std::vector<std::string> found;
  for (const std::string& line : takeLog()) {
    if (line.find("CONFIG READER") == std::string::npos) continue;
    // Progress lines.
    if (line.find("Started") != std::string::npos || line.find("Completed") != std::string::npos) continue;
    // The librarian list is built by a later part of the editor.
    if (line.find("patchBrowser is not built") != std::string::npos) continue;
    found.push_back(line);
  }
  return found;
}
