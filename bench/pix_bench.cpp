// Raster throughput: the operations the editor's redraw spends its time in,
// on a full window (1500 x 667) and on a control-sized bitmap (64 x 64), with
// memcpy of the same bytes as the ceiling for any operation that writes every
// pixel. Each case reports megapixels per second ("MP/s"); at the end of the
// run a table gives every operation's rate and its ratio to memcpy of the
// same size. The goals: opaque blit and fill at least half of memcpy.
//
// The pixman library, named as the peer for the blends and bilinear scaling,
// is compared only where its development package is installed; this file
// measures our side.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "KIT/pix/pix.h"

namespace {

// Megapixels per second of the last measured run of each case, printed with
// the ratio to memcpy of the same size when the program ends.
class Summary {
 public:
  void Record(const std::string& operation, int w, int h, double megapixels) {
    const std::string size = std::to_string(w) + " x " + std::to_string(h);
    if (m_rates.find(operation) == m_rates.end()) m_order.push_back(operation);
    m_rates[operation][size] = megapixels;
  }
  ~Summary() {
    if (m_order.empty()) return;
    printf("\n%-28s %12s %10s %12s %10s\n", "operation", "1500x667", "x memcpy", "64x64", "x memcpy");
    const auto& ceiling = m_rates["memcpy"];
    for (const std::string& op : m_order) {
      printf("%-28s", op.c_str());
      for (const char* size : {"1500 x 667", "64 x 64"}) {
        const auto it = m_rates[op].find(size);
        const auto c = ceiling.find(size);
        if (it == m_rates[op].end()) {
          printf(" %12s %10s", "-", "-");
          continue;
        }
        printf(" %12.1f", it->second);
        if (c != ceiling.end() && c->second > 0)
          printf(" %10.3f", it->second / c->second);
        else
          printf(" %10s", "-");
      }
      printf("\n");
    }
  }

 private:
  std::vector<std::string> m_order;
  std::map<std::string, std::map<std::string, double>> m_rates;
};
Summary g_summary;

// Varied pixels with varied alpha, so that no operator takes a shortcut on
// uniform input.
std::unique_ptr<PIX_MemBitmap> Pattern(int w, int h, uint32_t seed) {
  std::unique_ptr<PIX_MemBitmap> bm(new PIX_MemBitmap(w, h, 4));
  uint32_t v = seed;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      v = v * 1664525u + 1013904223u;
      bm->getBits()[y * bm->getRowSpan() + x] = v;
    }
  return bm;
}

// Runs body once per iteration, timing the whole loop, and reports MP/s.
template <class Body>
void Measure(benchmark::State& state, const std::string& operation, int w, int h, Body body) {
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    body();
    benchmark::ClobberMemory();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double megapixels = static_cast<double>(w) * h * static_cast<double>(state.iterations()) / 1e6;
  state.counters["MP/s"] = seconds > 0 ? megapixels / seconds : 0;
  g_summary.Record(operation, w, h, state.counters["MP/s"]);
}

void BM_PixMemcpy(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  auto src = Pattern(w, h, 1), dest = Pattern(w, h, 2);
  const size_t bytes = static_cast<size_t>(dest->getRowSpan()) * h * 4;
  Measure(state, "memcpy", w, h, [&] {
    memcpy(dest->getBits(), src->getBits(), bytes);
    benchmark::DoNotOptimize(dest->getBits());
  });
}

// PIX_Blit of a whole bitmap at an alpha and mode.
void BM_Blit(benchmark::State& state, const char* operation, float alpha, int mode) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  auto src = Pattern(w, h, 1), dest = Pattern(w, h, 2);
  Measure(state, operation, w, h, [&] {
    PIX_Blit(dest.get(), src.get(), 0, 0, nullptr, alpha, mode);
    benchmark::DoNotOptimize(dest->getBits());
  });
}

// PIX_ScaledBlit into the whole destination from a source of half its size
// (an upscale by 2) or twice its size (a shrink by 2).
void BM_Scaled(benchmark::State& state, const char* operation, int mode, bool shrink) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int sw = shrink ? w * 2 : w / 2, sh = shrink ? h * 2 : h / 2;
  auto src = Pattern(sw, sh, 1), dest = Pattern(w, h, 2);
  Measure(state, operation, w, h, [&] {
    PIX_ScaledBlit(dest.get(), src.get(), 0, 0, w, h, 0, 0, static_cast<float>(sw), static_cast<float>(sh),
                   1.0f, mode);
    benchmark::DoNotOptimize(dest->getBits());
  });
}

void BM_FillRect(benchmark::State& state, const char* operation, float alpha) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  auto dest = Pattern(w, h, 2);
  Measure(state, operation, w, h, [&] {
    PIX_FillRect(dest.get(), 0, 0, w, h, 0x80C0E0FF, alpha, 0);
    benchmark::DoNotOptimize(dest->getBits());
  });
}

void Sizes(benchmark::internal::Benchmark* b) { b->Args({1500, 667})->Args({64, 64}); }

}  // namespace

BENCHMARK(BM_PixMemcpy)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Blit, opaque, "blit opaque", 1.0f, 0)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Blit, blend_half, "blit blend 0.5", 0.5f, 0)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Blit, blend_weight, "blit blend 0.3", 0.3f, 0)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Blit, source_alpha, "blit source alpha", 1.0f, 0x10000)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Blit, source_alpha_half, "blit source alpha 0.5", 0.5f, 0x10000)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Blit, add_source_alpha, "blit add source alpha", 1.0f, 0x10001)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Scaled, nearest_up2, "scaled nearest x2", 0, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Scaled, bilinear_up2, "scaled bilinear x2", 0x100, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Scaled, bilinear_source_alpha_up2, "scaled bilinear src-alpha x2", 0x10100, false)
    ->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Scaled, box_shrink2, "scaled box shrink /2", 0x100, true)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_FillRect, opaque, "fill opaque", 1.0f)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_FillRect, weight, "fill blend 0.3", 0.3f)->Apply(Sizes);
