// Raster throughput: the operations the editor's redraw spends its time in,
// on a full window (1500 x 667) and on a control-sized bitmap (64 x 64), with
// memcpy of the same bytes as the ceiling for any operation that writes every
// pixel, and the pixman library's nearest operation on the same sizes as the
// yardstick. Each case reports megapixels per second ("MP/s"); at the end of
// the run a table gives every operation's median rate over the repetitions
// (--benchmark_repetitions), its ratio to memcpy and its ratio to pixman.
//
// pixman is measured only where its development package was found when the
// benchmarks were configured; without it its rows are absent and the ratio
// columns show "-". It works on 32-bit pixels of 8-bit channels as ours do;
// its images use its own channel order (a8r8g8b8), the one its tuned loops
// serve, so that it is the strictest yardstick. Its operators: SRC for the
// opaque blit and the scaled copies, OVER with a constant mask over an opaque
// source for the constant-weight blend, OVER for the source-alpha blend,
// pixman_fill for the opaque fill, and OVER of an opaque solid colour with a
// constant mask for the weighted fill.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "KIT/pix/pix.h"

#ifdef VIVIVI_BENCH_PIXMAN
#include <pixman.h>
#endif

namespace {

// Megapixels per second of every measured run of each case; the medians are
// printed with the ratios to memcpy and to pixman when the program ends.
class Summary {
 public:
  void Record(const std::string& operation, int w, int h, double megapixels) {
    const std::string size = std::to_string(w) + " x " + std::to_string(h);
    if (m_rates.find(operation) == m_rates.end() && operation.compare(0, 7, "pixman ") != 0)
      m_order.push_back(operation);
    m_rates[operation][size].push_back(megapixels);
  }
  ~Summary() {
    if (m_order.empty()) return;
    printf("\n%-28s %10s %9s %9s %10s %9s %9s\n", "operation (median MP/s)", "1500x667", "x memcpy",
           "x pixman", "64x64", "x memcpy", "x pixman");
    for (const std::string& op : m_order) {
      printf("%-28s", op.c_str());
      for (const char* size : {"1500 x 667", "64 x 64"}) {
        const double rate = Median(op, size);
        if (rate <= 0) {
          printf(" %10s %9s %9s", "-", "-", "-");
          continue;
        }
        printf(" %10.1f", rate);
        for (const std::string& peer : {std::string("memcpy"), "pixman " + op}) {
          const double peerRate = Median(peer, size);
          if (peerRate > 0 && op != peer)
            printf(" %9.3f", rate / peerRate);
          else
            printf(" %9s", "-");
        }
      }
      printf("\n");
    }
  }

 private:
  // Median of the recorded rates; 0 when there are none.
  double Median(const std::string& operation, const std::string& size) {
    const auto op = m_rates.find(operation);
    if (op == m_rates.end()) return 0;
    const auto rates = op->second.find(size);
    if (rates == op->second.end() || rates->second.empty()) return 0;
    std::vector<double> sorted = rates->second;
    std::sort(sorted.begin(), sorted.end());
    const size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
  }

  std::vector<std::string> m_order;
  std::map<std::string, std::map<std::string, std::vector<double>>> m_rates;
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

#ifdef VIVIVI_BENCH_PIXMAN
// A pixman image over a bitmap's pixels.
struct PixmanImage {
  PixmanImage(PIX_MemBitmap* bm, pixman_format_code_t format)
      : image(pixman_image_create_bits(format, bm->getWidth(), bm->getHeight(),
                                       reinterpret_cast<uint32_t*>(bm->getBits()), bm->getRowSpan() * 4)) {}
  ~PixmanImage() {
    if (image) pixman_image_unref(image);
  }
  PixmanImage(const PixmanImage&) = delete;
  PixmanImage& operator=(const PixmanImage&) = delete;
  pixman_image_t* image;
};

// pixman's composite of a whole source of the destination's size; weight
// below 1 adds a constant mask of that alpha.
void BM_PixmanComposite(benchmark::State& state, const char* operation, pixman_op_t op,
                        pixman_format_code_t sourceFormat, double weight) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  auto src = Pattern(w, h, 1), dest = Pattern(w, h, 2);
  PixmanImage s(src.get(), sourceFormat), d(dest.get(), PIXMAN_a8r8g8b8);
  pixman_image_t* mask = nullptr;
  if (weight < 1.0) {
    const pixman_color_t alpha = {0, 0, 0, static_cast<uint16_t>(weight * 65535.0)};
    mask = pixman_image_create_solid_fill(&alpha);
  }
  Measure(state, std::string("pixman ") + operation, w, h, [&] {
    pixman_image_composite32(op, s.image, mask, d.image, 0, 0, 0, 0, 0, 0, w, h);
    benchmark::DoNotOptimize(dest->getBits());
  });
  if (mask) pixman_image_unref(mask);
}

// pixman's SRC of a source of half (upscale by 2) or twice (shrink by 2) the
// destination's size, scaled by a transform to the whole destination.
void BM_PixmanScaled(benchmark::State& state, const char* operation, pixman_filter_t filter, bool shrink) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int sw = shrink ? w * 2 : w / 2, sh = shrink ? h * 2 : h / 2;
  auto src = Pattern(sw, sh, 1), dest = Pattern(w, h, 2);
  PixmanImage s(src.get(), PIXMAN_a8r8g8b8), d(dest.get(), PIXMAN_a8r8g8b8);
  pixman_transform_t transform;
  pixman_transform_init_scale(&transform, pixman_double_to_fixed(static_cast<double>(sw) / w),
                              pixman_double_to_fixed(static_cast<double>(sh) / h));
  pixman_image_set_transform(s.image, &transform);
  pixman_image_set_filter(s.image, filter, nullptr, 0);
  Measure(state, std::string("pixman ") + operation, w, h, [&] {
    pixman_image_composite32(PIXMAN_OP_SRC, s.image, nullptr, d.image, 0, 0, 0, 0, 0, 0, w, h);
    benchmark::DoNotOptimize(dest->getBits());
  });
}

// pixman's OVER of an opaque solid colour through a constant mask of the
// weight: the weighted fill.
void BM_PixmanBlendFill(benchmark::State& state, const char* operation, double weight) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  auto dest = Pattern(w, h, 2);
  PixmanImage d(dest.get(), PIXMAN_a8r8g8b8);
  const pixman_color_t colour = {0xE0E0, 0xC0C0, 0x8080, 0xFFFF};  // the fills' 0x80C0E0FF
  const pixman_color_t alpha = {0, 0, 0, static_cast<uint16_t>(weight * 65535.0)};
  pixman_image_t* source = pixman_image_create_solid_fill(&colour);
  pixman_image_t* mask = pixman_image_create_solid_fill(&alpha);
  Measure(state, std::string("pixman ") + operation, w, h, [&] {
    pixman_image_composite32(PIXMAN_OP_OVER, source, mask, d.image, 0, 0, 0, 0, 0, 0, w, h);
    benchmark::DoNotOptimize(dest->getBits());
  });
  pixman_image_unref(mask);
  pixman_image_unref(source);
}

void BM_PixmanFill(benchmark::State& state, const char* operation) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  auto dest = Pattern(w, h, 2);
  Measure(state, std::string("pixman ") + operation, w, h, [&] {
    pixman_fill(reinterpret_cast<uint32_t*>(dest->getBits()), dest->getRowSpan(), 32, 0, 0, w, h, 0x80C0E0FF);
    benchmark::DoNotOptimize(dest->getBits());
  });
}
#endif

}  // namespace

BENCHMARK(BM_PixMemcpy)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Blit, opaque, "blit opaque", 1.0f, 0)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Blit, blend_half, "blit blend 0.5", 0.5f, 0)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Blit, blend_weight, "blit blend 0.3", 0.3f, 0)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Blit, source_alpha, "blit source alpha", 1.0f, 0x10000)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Blit, source_alpha_half, "blit source alpha 0.5", 0.5f, 0x10000)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Blit, add_source_alpha, "blit add source alpha", 1.0f, 0x10001)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Scaled, nearest_up2, "scaled nearest x2", 0, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Scaled, nearest_down2, "scaled nearest /2", 0, true)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Scaled, bilinear_up2, "scaled bilinear x2", 0x100, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Scaled, bilinear_source_alpha_up2, "scaled bilinear src-alpha x2", 0x10100, false)
    ->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Scaled, box_shrink2, "scaled bilinear /2 (box)", 0x100, true)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_FillRect, opaque, "fill opaque", 1.0f)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_FillRect, weight, "fill blend 0.3", 0.3f)->Apply(Sizes);

#ifdef VIVIVI_BENCH_PIXMAN
BENCHMARK_CAPTURE(BM_PixmanComposite, opaque, "blit opaque", PIXMAN_OP_SRC, PIXMAN_a8r8g8b8, 1.0)
    ->Apply(Sizes);
BENCHMARK_CAPTURE(BM_PixmanComposite, blend_half, "blit blend 0.5", PIXMAN_OP_OVER, PIXMAN_x8r8g8b8, 0.5)
    ->Apply(Sizes);
BENCHMARK_CAPTURE(BM_PixmanComposite, blend_weight, "blit blend 0.3", PIXMAN_OP_OVER, PIXMAN_x8r8g8b8, 0.3)
    ->Apply(Sizes);
BENCHMARK_CAPTURE(BM_PixmanComposite, source_alpha, "blit source alpha", PIXMAN_OP_OVER, PIXMAN_a8r8g8b8, 1.0)
    ->Apply(Sizes);
BENCHMARK_CAPTURE(BM_PixmanScaled, nearest_up2, "scaled nearest x2", PIXMAN_FILTER_NEAREST, false)
    ->Apply(Sizes);
BENCHMARK_CAPTURE(BM_PixmanScaled, nearest_down2, "scaled nearest /2", PIXMAN_FILTER_NEAREST, true)
    ->Apply(Sizes);
BENCHMARK_CAPTURE(BM_PixmanScaled, bilinear_up2, "scaled bilinear x2", PIXMAN_FILTER_BILINEAR, false)
    ->Apply(Sizes);
BENCHMARK_CAPTURE(BM_PixmanScaled, bilinear_down2, "scaled bilinear /2 (box)", PIXMAN_FILTER_BILINEAR, true)
    ->Apply(Sizes);
BENCHMARK_CAPTURE(BM_PixmanFill, opaque, "fill opaque")->Apply(Sizes);
BENCHMARK_CAPTURE(BM_PixmanBlendFill, weight, "fill blend 0.3", 0.3)->Apply(Sizes);
#endif
