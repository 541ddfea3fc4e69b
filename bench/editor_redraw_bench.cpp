// The real editor window's redraw at scale 1.0: the VivivI made through
// MakePlug with the built bundle's descriptions and images, its view opened
// headless (the frame it presents is read back by hosts and tests). Cases:
// - a full redraw of the 1500 x 667 window, as after opening it or a page
//   switch, with the copy to the view's frame;
// - one knob moved by a value from the synthesizer (the GUI's own road: its
//   rectangle is dirty, the next tick redraws it);
// - one knob turned by the user (the change handler also rewrites the three
//   display lines, which the same tick redraws);
// - memcpy of one window of 32-bit pixels, the floor a full redraw stands on.
// The goal: a full redraw within 4 ms on one core.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/pix/pix.h"
#include "bench/bench_bundle.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/view/ViewPane.h"
#include "src/VivivI.h"
#include "tests/support/temp_folder.h"

namespace {

// The editor with its headless window open, in a data folder of its own
// (no settings file: scale 1.0; no banks).
class OpenEditor {
 public:
  OpenEditor() : m_data("vivivi-redraw-") {
    if (!m_data.Made()) return;
    setenv("VIVIVI_DATA_DIR", m_data.Name().c_str(), 1);
    setenv("VIVIVI_VIEW", "headless", 1);
    if (!RegisterBuiltBundle()) return;
    m_plug.reset(static_cast<VivivI*>(MakePlug()));
    if (!m_plug || !m_plug->flags.pluginReady || !m_plug->GetGUI()) return;
    m_pane = static_cast<ViewPane*>(m_plug->GetGUI()->OpenWindow(nullptr));
    if (!m_pane) return;
    m_pane->AddToParent(0);
    m_pane->Synchronize();
  }
  ~OpenEditor() {
    if (m_pane) m_pane->RemoveFromParent();
    m_plug.reset();
    m_data.Remove();
    unsetenv("VIVIVI_DATA_DIR");
  }

  bool Ready() const { return m_pane != nullptr; }
  VivivI* Plug() const { return m_plug.get(); }
  IGraphics* Gui() const { return m_plug->GetGUI(); }
  int Width() const { return m_pane->Width(); }
  int Height() const { return m_pane->Height(); }

  void DrawAll() {
    IRECT all(0, 0, Width(), Height());
    Gui()->Draw(&all);
  }
  // True when a full redraw paints every pixel of the draw bitmap (so that
  // the case measures the whole window, not a clipped part of it).
  bool DrawAllCoversTheWindow() {
    PIX_SysBitmap* bitmap = Gui()->GetDrawBitmap();
    if (!bitmap || bitmap->getWidth() != Width() || bitmap->getHeight() != Height()) return false;
    const PIX_pixel kMarker = 0x00010203;  // transparent: no opaque drawing leaves it
    PIX_Clear(bitmap, kMarker);
    DrawAll();
    const PIX_pixel* bits = bitmap->getBits();
    for (int y = 0; y < Height(); ++y)
      for (int x = 0; x < Width(); ++x)
        if (bits[static_cast<size_t>(y) * bitmap->getRowSpan() + x] == kMarker) return false;
    return true;
  }
  // What the timer's tick does: the dirty area drawn and presented.
  void Tick() {
    IRECT dirty;
    if (Gui()->IsDirty(&dirty)) Gui()->Draw(&dirty);
  }

 private:
  TempFolder m_data;
  std::unique_ptr<VivivI> m_plug;
  ViewPane* m_pane = nullptr;
};

void BM_EditorFullRedraw(benchmark::State& state) {
  OpenEditor editor;
  if (!editor.Ready()) return state.SkipWithError("the editor's window did not open");
  editor.DrawAll();  // glyphs and fonts made once, as after the first frame
  if (!editor.DrawAllCoversTheWindow()) return state.SkipWithError("a full redraw leaves pixels unpainted");
  for (auto _ : state) editor.DrawAll();
  state.counters["pixels"] = static_cast<double>(editor.Width()) * editor.Height();
}
BENCHMARK(BM_EditorFullRedraw)->Unit(benchmark::kMillisecond);

// A value from the synthesizer moves the cutoff knob.
void BM_EditorOneKnobFromSynth(benchmark::State& state) {
  OpenEditor editor;
  if (!editor.Ready()) return state.SkipWithError("the editor's window did not open");
  editor.DrawAll();
  double value = 0.0;
  for (auto _ : state) {
    value = value > 0.95 ? 0.0 : value + 1.0 / 127.0;
    editor.Gui()->SetParameterFromPlug(kFilterCutoff, value, true);
    editor.Tick();
  }
}
BENCHMARK(BM_EditorOneKnobFromSynth)->Unit(benchmark::kMicrosecond);

// The user turns the cutoff knob: the change handler runs and the status,
// value and CC lines change with it.
void BM_EditorOneKnobByUser(benchmark::State& state) {
  OpenEditor editor;
  if (!editor.Ready()) return state.SkipWithError("the editor's window did not open");
  IControl* knob = editor.Plug()->firstControlOf(kFilterCutoff);
  if (!knob) return state.SkipWithError("no cutoff knob");
  editor.DrawAll();
  double value = 0.0;
  for (auto _ : state) {
    value = value > 0.95 ? 0.0 : value + 1.0 / 127.0;
    knob->SetValueFromUserInput(value);
    editor.Tick();
  }
}
BENCHMARK(BM_EditorOneKnobByUser)->Unit(benchmark::kMicrosecond);

// One window of pixels at scale 1.0 copied.
void BM_EditorWindowMemcpy(benchmark::State& state) {
  const size_t pixels = static_cast<size_t>(kEditorWidth) * kEditorHeight;
  std::vector<uint32_t> from(pixels, 0x12345678u), to(pixels);
  for (auto _ : state) {
    memcpy(to.data(), from.data(), pixels * sizeof(uint32_t));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_EditorWindowMemcpy)->Unit(benchmark::kMillisecond);

}  // namespace
