// Text and strokes as a redraw draws them: a control label drawn natively
// into a system bitmap against the same label from the glyph cache, and the
// lines and circles of knobs and meters in copy mode, with and without
// anti-aliasing. Reports labels or shapes per second.
#include <benchmark/benchmark.h>

#include <cmath>

#include "KIT/pix/pix.h"
#include "KIT/winl/winl-font.h"

namespace {

const char kLabel[] = "Filter Cutoff 12.5 kHz";

void DrawLabels(benchmark::State& state, int fontFlags, char quality) {
  PIX_SysBitmap target(400, 40);
  PIX_CachedFont font;
  font.SetFromHFont(CreateFont(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, quality, 0, "DejaVu Sans"),
                    fontFlags | PIX_FONT_OWNS_HFONT);
  font.SetTextColor(0xFFFFFFFFu);
  for (auto _ : state) {
    RECT rect = {4, 4, 400, 40};
    benchmark::DoNotOptimize(font.DrawText(&target, kLabel, -1, &rect, DT_NOCLIP));
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_LabelNative(benchmark::State& state) {
  DrawLabels(state, PIX_FONT_PREFER_NATIVE, static_cast<char>(state.range(0)));
}
void BM_LabelGlyphCache(benchmark::State& state) { DrawLabels(state, 0, static_cast<char>(state.range(0))); }
// Quality 3 draws whole pixels, 4 anti-aliased coverage.
BENCHMARK(BM_LabelNative)->Arg(3)->Arg(4);
BENCHMARK(BM_LabelGlyphCache)->Arg(3)->Arg(4);

void BM_KnobPointer(benchmark::State& state) {
  PIX_MemBitmap bm(64, 64, 4);
  const bool aa = state.range(0);
  int angle = 0;
  for (auto _ : state) {
    const float a = static_cast<float>(angle++ % 360) * 0.0174533f;
    PIX_Line(&bm, 32, 32, 32 + static_cast<int>(28 * std::sin(a)), 32 - static_cast<int>(28 * std::cos(a)),
             0xFFFFFFFFu, 0.8f, 0, aa);
    benchmark::DoNotOptimize(bm.getBits());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KnobPointer)->Arg(0)->Arg(1);

void BM_FillCircle(benchmark::State& state) {
  PIX_MemBitmap bm(64, 64, 4);
  const bool aa = state.range(0);
  for (auto _ : state) {
    PIX_FillCircle(&bm, 31.5f, 31.5f, 28.3f, 0xFF8040FFu, 0.7f, 0, aa);
    benchmark::DoNotOptimize(bm.getBits());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FillCircle)->Arg(0)->Arg(1);

}  // namespace
