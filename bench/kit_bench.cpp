// Appending to the growable buffer against a plain memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "KIT/heapbuf.h"

static void BM_HeapBufAppend(benchmark::State& state) {
  const int chunk = static_cast<int>(state.range(0));
  std::vector<char> src(static_cast<size_t>(chunk), 'x');
  for (auto _ : state) {
    KIT_HeapBuf hb(4096);
    for (int i = 0; i < 256; ++i) {
      const int old = hb.GetSize();
      char* p = static_cast<char*>(hb.Resize(old + chunk, false));
      memcpy(p + old, src.data(), static_cast<size_t>(chunk));
    }
    benchmark::DoNotOptimize(hb.Get());
  }
  state.SetBytesProcessed(state.iterations() * 256 * chunk);
}
BENCHMARK(BM_HeapBufAppend)->Arg(4)->Arg(92)->Arg(4096);

static void BM_Memcpy(benchmark::State& state) {
  const int chunk = static_cast<int>(state.range(0));
  std::vector<char> src(static_cast<size_t>(chunk), 'x');
  std::vector<char> dst(static_cast<size_t>(chunk) * 256);
  for (auto _ : state) {
    for (int i = 0; i < 256; ++i) memcpy(dst.data() + i * chunk, src.data(), static_cast<size_t>(chunk));
    benchmark::DoNotOptimize(dst.data());
  }
  state.SetBytesProcessed(state.iterations() * 256 * chunk);
}
BENCHMARK(BM_Memcpy)->Arg(4)->Arg(92)->Arg(4096);
