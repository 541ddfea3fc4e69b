// Loading a generated library of 1,000 bank files of 99 patches each (about
// 9 MB) through the library's folder loader, beside the raw read of the same
// files into memory. Both report bytes per second over the same files; the
// memory case reports the heap a loaded library holds.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "KIT/IModule/IModuleStructs.h"
#include "src/PatchLibrarian.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr int kBankFiles = 1000;

// A library folder made once per run: 20 folders of 50 bank files, each of
// 99 92-byte records, removed at exit.
class GeneratedLibrary {
 public:
  GeneratedLibrary() : m_data("vivivi-bench-") {
    if (!m_data.Made()) return;
    m_root = m_data.Path() / "Patches";
    for (int file = 0; file < kBankFiles; ++file) {
      const std::filesystem::path folder = m_root / ("Folder " + std::to_string(file / 50));
      std::filesystem::create_directories(folder);
      std::ofstream out(folder / ("Bank " + std::to_string(file) + ".vrn"), std::ios::binary);
      for (int slot = 0; slot < 99; ++slot) {
        std::vector<unsigned char> record = {0xF0, 0x3E, 0x0B, 0x00, 0x01, static_cast<unsigned char>(slot)};
        for (int i = 6; i < 75; ++i) record.push_back(static_cast<unsigned char>((file + slot + i) & 0x7F));
        record.push_back(0x00);
        const std::string name =
            "Bank" + std::to_string(file) + " " + std::to_string(slot) + "              ";
        record.insert(record.end(), name.begin(), name.begin() + 14);
        record.push_back(static_cast<unsigned char>((file + slot) % 21));
        record.push_back(0xF7);
        out.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
      }
      m_bytes += 99 * 92;
    }
  }
  const std::filesystem::path& root() const { return m_root; }
  int64_t bytes() const { return m_bytes; }

 private:
  TempFolder m_data;
  std::filesystem::path m_root;
  int64_t m_bytes = 0;
};

const GeneratedLibrary& library() {
  static GeneratedLibrary generated;
  return generated;
}

}  // namespace

// The load with the release: the library is emptied at the end of each pass.
static void BM_LibraryLoad(benchmark::State& state) {
  const GeneratedLibrary& generated = library();
  for (auto _ : state) {
    PatchLibrarian librarian;
    librarian.loadPatchesFromFilesystem(generated.root().string());
    if (librarian.fileBanks.size() != kBankFiles) state.SkipWithError("not every bank was loaded");
    benchmark::DoNotOptimize(librarian.categoryBanks.data());
  }
  state.SetBytesProcessed(state.iterations() * generated.bytes());
}
BENCHMARK(BM_LibraryLoad)->Unit(benchmark::kMillisecond);

// The load alone: the library's teardown (releasing every bank and patch)
// is left out of the time.
static void BM_LibraryLoadAlone(benchmark::State& state) {
  const GeneratedLibrary& generated = library();
  for (auto _ : state) {
    auto librarian = std::make_unique<PatchLibrarian>();
    librarian->loadPatchesFromFilesystem(generated.root().string());
    if (librarian->fileBanks.size() != kBankFiles) state.SkipWithError("not every bank was loaded");
    benchmark::DoNotOptimize(librarian->categoryBanks.data());
    state.PauseTiming();
    librarian.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * generated.bytes());
}
BENCHMARK(BM_LibraryLoadAlone)->Unit(benchmark::kMillisecond);

static void BM_LibraryRawRead(benchmark::State& state) {
  const GeneratedLibrary& generated = library();
  for (auto _ : state) {
    int64_t read = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(generated.root())) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::vector<char> bytes(static_cast<size_t>(entry.file_size()));
      in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      read += in.gcount();
      benchmark::DoNotOptimize(bytes.data());
    }
    if (read != generated.bytes()) state.SkipWithError("files changed");
  }
  state.SetBytesProcessed(state.iterations() * generated.bytes());
}
BENCHMARK(BM_LibraryRawRead)->Unit(benchmark::kMillisecond);

// The heap in use, small blocks and mapped ones alike.
static size_t heapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// The heap a loaded library holds (its banks, category banks and trees),
// in MiB and per byte of the files read.
static void BM_LibraryMemory(benchmark::State& state) {
  const GeneratedLibrary& generated = library();
  double held = 0;
  for (auto _ : state) {
    const size_t before = heapInUse();
    auto librarian = std::make_unique<PatchLibrarian>();
    librarian->loadPatchesFromFilesystem(generated.root().string());
    held = static_cast<double>(heapInUse() - before);
    if (librarian->fileBanks.size() != kBankFiles) state.SkipWithError("not every bank was loaded");
    state.PauseTiming();
    librarian.reset();
    state.ResumeTiming();
  }
  state.counters["held_MiB"] = held / (1024.0 * 1024.0);
  state.counters["held_per_file_byte"] = held / static_cast<double>(generated.bytes());
}
BENCHMARK(BM_LibraryMemory)->Unit(benchmark::kMillisecond);
