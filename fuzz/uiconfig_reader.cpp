// Fuzzes the UI configuration reader: the input is the deciphered text of a
// description. It is enciphered as the build does and served by a GUI
// without a window, then the whole reader runs: the SysEx value lists or the
// UI description (value lists and the element walk). The input's last byte
// picks the description, the GUI scale, and whether the file loses the fill
// of its last block (a partial block). Files are served in buffers of their
// exact size, so a read past the end is caught. Afterwards every control the
// walk built must be bound to no parameter or to one that exists, and every
// layer filed by name must be in the GUI's tree. The same text also goes
// through the attribute cap at a small limit, which may only blank bytes and
// must leave nothing to cut a second time.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FileEncrypt/resource_cipher.h"
#include "FileEncrypt/resource_key.h"
#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/pix/pix-bitmap.h"
#include "src/ControlAction.h"
#include "src/UIConfigManager.h"
#include "tests/support/test_editor.h"

namespace {

// The real editor, built without descriptions: an empty window of its own.
using ReaderEditor = HostlessEditor<EditorDescriptions::kNone>;

class ReaderGraphics : public IGraphics {
 public:
  explicit ReaderGraphics(IModuleBase* plug) : IGraphics(plug, 1500, 667) {}

  char* OSLoadFile(int, const char* name) override {
    const char* slash = name ? std::strrchr(name, '/') : nullptr;
    const auto found = files.find(slash ? slash + 1 : (name ? name : ""));
    if (found == files.end()) return nullptr;
    char* buffer = new char[found->second.empty() ? 1 : found->second.size()];
    if (!found->second.empty()) std::memcpy(buffer, found->second.data(), found->second.size());
    mLastLoadedFileSize = static_cast<int>(found->second.size());
    return buffer;
  }
  PIX_IBitmap* OSLoadBitmap(int, const char*) override { return new PIX_MemBitmap(8, 8, 4); }

  std::map<std::string, std::vector<uint8_t>> files;
};

void quiet(const char*) {}

void checkControls(const KIT_PtrList<IControl>& controls, const ReaderEditor& editor) {
  for (int i = 0; i < controls.GetSize(); ++i) {
    const int index = controls.Get(i)->ParamIdx();
    if (index < -1 || (index >= 0 && !editor.GetParam(index))) abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > kResourceFileLimit) return 0;
  const uint8_t choice = data[size - 1];
  --size;

  // One editor for every run: the walk only initialises its parameters.
  static ReaderEditor* editor = [] {
    IGraphics::SetErrorLog(quiet);
    return new ReaderEditor();
  }();

  ReaderGraphics gui(editor);
  std::vector<uint8_t> file = encipherResource(data, size, kResourceKey);
  if ((choice & 2) && !file.empty()) file.resize(file.size() - 1 - (choice >> 4) % 7);
  gui.files[(choice & 1) ? "sysex.tea" : "uiconfig.tea"] = file;

  UIConfigManager manager;
  manager.setWalkBudget(2000);  // hunt faults, not slow descriptions
  static const double kScales[] = {0.75, 1.0, 1.25, 2.0};
  manager.readUIConfig(&gui, editor, editor->patchLibrarian.get(), 0, kScales[(choice >> 2) & 3]);

  for (int i = 0; i < gui.NControls(); ++i) {
    const int index = gui.GetControl(i)->ParamIdx();
    if (index < -1 || (index >= 0 && !editor->GetParam(index))) abort();
  }
  std::set<const ControlLayer*> inTree;
  std::vector<const ControlLayer*> pending;
  for (int i = 0; i < gui.NLayers(); ++i) pending.push_back(gui.GetLayer(i));
  while (!pending.empty()) {
    const ControlLayer* layer = pending.back();
    pending.pop_back();
    inTree.insert(layer);
    checkControls(layer->controls, *editor);
    for (int i = 0; i < layer->subLayers.GetSize(); ++i) pending.push_back(layer->subLayers.Get(i));
  }
  for (const auto& entry : manager.layersByName)
    if (!inTree.count(entry.second)) abort();
  // The factories' records outlive this run's GUI in the shared editor.
  releaseControlActions(editor);

  // The attribute cap at a small limit (0 to 3, picked like the scale): it
  // only turns bytes other than line ends into blanks, and what it left has
  // nothing more to cut.
  const size_t limit = (choice >> 2) & 3;
  std::string text(reinterpret_cast<const char*>(data), size);
  const std::string before = text;
  UIConfigManager::capAttributes(&text, limit);
  if (text.size() != before.size()) abort();
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] != before[i] && (text[i] != ' ' || before[i] == '\n')) abort();
  if (!UIConfigManager::capAttributes(&text, limit).empty()) abort();
  return 0;
}
