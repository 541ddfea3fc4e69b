// The editor window's redraw: a full 1500 x 667 window of about 300 controls
// (knobs, switches, radio groups, sliders, value displays and captions over a
// background image), a one-knob redraw as the timer does it after a value
// change, and the idle timer tick; memcpy of one window of pixels in the same
// run for scale. The goal: a full redraw within 4 ms on one core.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "KIT/IModule/IBitmapControls.h"
#include "KIT/IModule/IFaderControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IKnobControls.h"
#include "KIT/IModule/IModuleBase.h"
#include "KIT/IModule/ITextControls.h"
#include "KIT/pix/pix.h"
#include "tests/support/test_plug.h"

namespace {

const int kWidth = 1500, kHeight = 667;

// A plug-in of 300 parameters 0..1 whose host side does nothing.
class BenchPlug : public HostlessTestPlug {
 public:
  static const int kParams = 300;
  BenchPlug()
      : HostlessTestPlug({"GUI Bench", 0x67626e63 /* 'gbnc' */},
                         {TestParam::Double("Level", 0.5, 0.0, 1.0, 0.01, "dB").Times(kParams)}) {}
};

// The images, drawn in code: the window's background, a 64-frame knob
// strip, a two-frame switch, a two-frame radio button and a slider handle.
PIX_IBitmap* MakeImage(const char* name) {
  const std::string n = name;
  if (n == "background") {
    auto* bm = new PIX_MemBitmap(kWidth, kHeight, 4);
    PIX_GradRect(bm, 0, 0, kWidth, kHeight, 0.15f, 0.16f, 0.19f, 1.0f, 0.00005f, 0.00005f, 0.0001f, 0.0f,
                 0.0002f, 0.0002f, 0.0002f, 0.0f, PIX_BLIT_COPY);
    return bm;
  }
  if (n == "knob") {
    auto* bm = new PIX_MemBitmap(48, 48 * 64, 4);
    PIX_Clear(bm, 0);
    for (int f = 0; f < 64; ++f) {
      const float cx = 23.5f, cy = f * 48 + 23.5f, a = -2.4f + 4.8f * f / 63.0f;
      PIX_FillCircle(bm, cx, cy, 21.0f, PIX_MakePixel(58, 62, 70, 255), 1.0f, PIX_BLIT_COPY, true);
      PIX_FLine(bm, cx + 6 * sinf(a), cy - 6 * cosf(a), cx + 19 * sinf(a), cy - 19 * cosf(a),
                PIX_MakePixel(250, 170, 40, 255), 1.0f, PIX_BLIT_COPY, true);
    }
    return bm;
  }
  if (n == "switch" || n == "radio") {
    const int w = n == "switch" ? 36 : 16, h = n == "switch" ? 20 : 16;
    auto* bm = new PIX_MemBitmap(w, 2 * h, 4);
    PIX_Clear(bm, 0);
    PIX_FillRect(bm, 1, 1, w - 2, h - 2, PIX_MakePixel(50, 50, 55, 255), 1.0f, PIX_BLIT_COPY);
    PIX_FillRect(bm, 1, h + 1, w - 2, h - 2, PIX_MakePixel(90, 210, 120, 255), 1.0f, PIX_BLIT_COPY);
    return bm;
  }
  if (n == "handle") {
    auto* bm = new PIX_MemBitmap(24, 12, 4);
    PIX_Clear(bm, PIX_MakePixel(190, 190, 195, 255));
    return bm;
  }
  return nullptr;
}

// A GUI without a window: images come from MakeImage, screen copies go nowhere.
class BenchGraphics : public IGraphics {
 public:
  BenchGraphics(IModuleBase* plug) : IGraphics(plug, kWidth, kHeight) {}
  bool DrawScreen(IRECT*) override { return true; }
  PIX_IBitmap* OSLoadBitmap(int, const char* name) override { return MakeImage(name); }
};

// The editor-like window, 305 controls: 110 knobs in rows with a value
// display under each, 40 switches, 20 radio groups of four, 10 sliders,
// 15 captions.
struct Window {
  BenchPlug plug;
  BenchGraphics* gui;
  IKnobMultiControl* firstKnob = nullptr;
  int controls = 0;

  Window() : gui(new BenchGraphics(&plug)) {
    gui->AttachBackground(9000, "background", 1.0);
    IBitmap knob = gui->LoadIBitmap(9001, "knob", 1.0, 64), toggle = gui->LoadIBitmap(9002, "switch", 1.0, 2),
            radio = gui->LoadIBitmap(9003, "radio", 1.0, 2), handle = gui->LoadIBitmap(9004, "handle", 1.0);
    const IColor ink(255, 220, 225, 235);
    IText small(10, &ink, "DejaVu Sans");
    int param = 0;
    for (int i = 0; i < 110; ++i, ++param) {
      const int x = 10 + (i % 22) * 59, y = 10 + (i / 22) * 80;
      auto* k = Add(new IKnobMultiControl(&plug, x, y, param, &knob));
      auto* display = Add(new ITextControl(&plug, IRECT(x - 5, y + 48, x + 53, y + 62), &small, "0.50 dB"));
      k->SetValDisplayControl(display);
      if (!firstKnob) firstKnob = k;
    }
    for (int i = 0; i < 40; ++i, ++param) Add(new ISwitchControl(&plug, 10 + i * 37, 545, param, &toggle));
    for (int i = 0; i < 20; ++i, ++param)
      Add(new IRadioButtonsControl(&plug, IRECT(10 + i * 74, 575, 80 + i * 74, 591), param, 4, &radio,
                                   kHorizontal));
    for (int i = 0; i < 10; ++i, ++param)
      Add(new IFaderControl(&plug, 1200 + i * 28, 400, 130, param, &handle));
    IText caption(11, &ink, "DejaVu Sans Mono", IText::kStyleNormal, IText::kAlignNear);
    for (int i = 0; i < 15; ++i, ++param)
      Add(new ICaptionControl(&plug, IRECT(10 + i * 98, 605, 100 + i * 98, 625), param, &caption, true));
    plug.AttachGraphics(gui);
  }
  template <class C>
  C* Add(C* control) {
    gui->AttachControl(control);
    ++controls;
    return control;
  }
  void DrawAll() {
    IRECT all(0, 0, kWidth, kHeight);
    gui->Draw(&all);
  }
};

void BM_FullRedraw(benchmark::State& state) {
  Window window;
  window.DrawAll();  // fonts and glyphs made once, as after the first frame
  for (auto _ : state) window.DrawAll();
  state.counters["controls"] = window.controls;
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMillisecond);

// A value from the synthesizer moves one knob: the next tick finds its
// rectangle and repaints it (twice, as a change from outside asks).
void BM_OneKnobRedraw(benchmark::State& state) {
  Window window;
  window.DrawAll();
  double value = 0.0;
  for (auto _ : state) {
    value = value > 0.9 ? 0.0 : value + 0.05;
    window.gui->SetParameterFromPlug(0, value, true);
    IRECT r;
    if (window.gui->IsDirty(&r)) window.gui->Draw(&r);
  }
}
BENCHMARK(BM_OneKnobRedraw)->Unit(benchmark::kMicrosecond);

// The timer's poll of a window where nothing changed.
void BM_IdleTick(benchmark::State& state) {
  Window window;
  window.DrawAll();
  window.DrawAll();
  for (auto _ : state) {
    IRECT r;
    benchmark::DoNotOptimize(window.gui->IsDirty(&r));
  }
}
BENCHMARK(BM_IdleTick)->Unit(benchmark::kMicrosecond);

// One window of pixels copied: the floor any full redraw stands on.
void BM_WindowMemcpy(benchmark::State& state) {
  std::vector<uint32_t> from(static_cast<size_t>(kWidth) * kHeight, 0x12345678u), to(from.size());
  for (auto _ : state) {
    memcpy(to.data(), from.data(), from.size() * sizeof(uint32_t));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_WindowMemcpy)->Unit(benchmark::kMillisecond);

}  // namespace
