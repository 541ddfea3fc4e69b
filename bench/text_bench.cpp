// Text and strokes as a redraw draws them: a control label drawn natively
// into a system bitmap against the same label from the glyph cache, and the
// lines and circles of knobs and meters in copy mode, with and without
// anti-aliasing. Reports labels or shapes per second; at the end of the run a
// table gives the labels' median rates over the repetitions
// (--benchmark_repetitions) and the glyph cache's ratio to native drawing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "KIT/pix/pix.h"
#include "KIT/winl/winl-font.h"

namespace {

const char kLabel[] = "Filter Cutoff 12.5 kHz";

// Labels per second of every measured run, by path (native or cached) and
// quality; the table is printed when the program ends.
class LabelSummary {
 public:
  void Record(bool cached, int quality, double rate) { m_rates[{quality, cached}].push_back(rate); }
  ~LabelSummary() {
    if (m_rates.empty()) return;
    printf("\n%-26s %12s %12s %9s\n", "label (median labels/s)", "native", "glyph cache", "x native");
    for (int quality : {3, 4}) {
      const double native = Median(quality, false), cached = Median(quality, true);
      if (native <= 0 && cached <= 0) continue;
      printf("quality %-18d %12.0f %12.0f", quality, native, cached);
      if (native > 0 && cached > 0)
        printf(" %9.2f\n", cached / native);
      else
        printf(" %9s\n", "-");
    }
  }

 private:
  double Median(int quality, bool cached) {
    const auto found = m_rates.find({quality, cached});
    if (found == m_rates.end() || found->second.empty()) return 0;
    std::vector<double> sorted = found->second;
    std::sort(sorted.begin(), sorted.end());
    const size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
  }

  std::map<std::pair<int, bool>, std::vector<double>> m_rates;
};
LabelSummary g_labels;

void DrawLabels(benchmark::State& state, int fontFlags, char quality) {
  PIX_SysBitmap target(400, 40);
  PIX_CachedFont font;
  font.SetFromHFont(CreateFont(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, quality, 0, "DejaVu Sans"),
                    fontFlags | PIX_FONT_OWNS_HFONT);
  font.SetTextColor(0xFFFFFFFFu);
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    RECT rect = {4, 4, 400, 40};
    benchmark::DoNotOptimize(font.DrawText(&target, kLabel, -1, &rect, DT_NOCLIP));
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  state.SetItemsProcessed(state.iterations());
  if (seconds > 0)
    g_labels.Record(!(fontFlags & PIX_FONT_PREFER_NATIVE), quality,
                    static_cast<double>(state.iterations()) / seconds);
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
