// Reading a UI description of 100,000 attributes through the whole reader
// (decipher, parse, value lists, the walk), in three shapes: all on one
// element, ten on each of 10,000 elements, and one on each of 100,000
// elements. Each case reports attributes per second; the three should be
// of one order (the read is linear in the description), and deciphering
// the same bytes alone is reported beside them as the floor.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "FileEncrypt/resource_cipher.h"
#include "FileEncrypt/resource_key.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/pix/pix-bitmap.h"
#include "src/UIConfigManager.h"
#include "tests/support/test_editor.h"

namespace {

constexpr int kAttributes = 100000;

// Serves the descriptions from memory; images are small blank strips.
class MemoryGraphics : public IGraphics {
 public:
  explicit MemoryGraphics(IModuleBase* plug) : IGraphics(plug, 1500, 667) {}
  char* OSLoadFile(int, const char* name) override {
    const char* slash = name ? std::strrchr(name, '/') : nullptr;
    const auto found = files.find(slash ? slash + 1 : (name ? name : ""));
    if (found == files.end()) return nullptr;
    char* buffer = new char[found->second.size() + 1];
    std::memcpy(buffer, found->second.data(), found->second.size());
    mLastLoadedFileSize = static_cast<int>(found->second.size());
    return buffer;
  }
  PIX_IBitmap* OSLoadBitmap(int, const char*) override { return new PIX_MemBitmap(8, 8, 4); }
  std::map<std::string, std::vector<uint8_t>> files;
};

// perElement attributes on each of kAttributes / perElement layers.
std::string description(int perElement) {
  std::string text = "<uiconfig>\n";
  for (int element = 0; element < kAttributes / perElement; ++element) {
    text += "<layer";
    for (int i = 0; i < perElement; ++i) text += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    text += "/>\n";
  }
  return text + "</uiconfig>\n";
}

void quiet(const char*) {}

HostlessEditor<EditorDescriptions::kNone>& editor() {
  static auto* made = [] {
    IGraphics::SetErrorLog(quiet);
    return new HostlessEditor<EditorDescriptions::kNone>();
  }();
  return *made;
}

void ReadDescription(benchmark::State& state) {
  const std::string text = description(static_cast<int>(state.range(0)));
  const std::vector<uint8_t> enciphered =
      encipherResource(reinterpret_cast<const uint8_t*>(text.data()), text.size(), kResourceKey);
  auto& plug = editor();
  for (auto _ : state) {
    MemoryGraphics gui(&plug);
    gui.files["uiconfig.tea"] = enciphered;
    gui.files["sysex.tea"] =
        encipherResource(reinterpret_cast<const uint8_t*>("<sysexlist/>"), 12, kResourceKey);
    UIConfigManager manager;
    manager.readUIConfig(&gui, &plug, nullptr, 0, 1.0);
    benchmark::DoNotOptimize(gui.NLayers());
  }
  state.SetItemsProcessed(state.iterations() * kAttributes);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(ReadDescription)
    ->Arg(kAttributes)
    ->Arg(10)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->ArgName("per element");

void DecipherOnly(benchmark::State& state) {
  const std::string text = description(10);
  const std::vector<uint8_t> enciphered =
      encipherResource(reinterpret_cast<const uint8_t*>(text.data()), text.size(), kResourceKey);
  for (auto _ : state)
    benchmark::DoNotOptimize(decipherResource(enciphered.data(), enciphered.size(), kResourceKey));
  state.SetItemsProcessed(state.iterations() * kAttributes);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(DecipherOnly)->Unit(benchmark::kMillisecond);

}  // namespace
