// The editor from MakePlug to ready (the constructor's end, when pluginReady
// is set) with an empty library and with 100 bank files of 99 patches in the
// data folder, and its resident memory after start-up. The resources come
// from the built VivivI.bundle. Cold: the process-wide image cache is emptied
// after each instance, so every start-up decodes the images as the first one
// in a host does; warm: a further instance finds them cached. jack:1 runs
// with the JACK server that JACK_DEFAULT_SERVER names (skipped when none
// answers), jack:0 with a server name nobody serves, as on a machine where
// no JACK server runs; both list their MIDI ports through JACK. Counters:
// rss_mib (resident set after start-up) and rss_added_mib (what start-up
// added to it).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_bundle.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "src/PatchLibrarian.h"
#include "src/UIConfigManager.h"
#include "src/VivivI.h"
#include "tests/support/jack_probe.h"
#include "tests/support/temp_folder.h"

namespace {

// A data folder with banks bank files of 99 library records, removed at exit.
class DataFolder {
 public:
  explicit DataFolder(int banks) : m_folder("vivivi-startup-") {
    if (!m_folder.Made()) return;
    const std::filesystem::path patches = m_folder.Path() / "Patches";
    std::filesystem::create_directories(patches);
    for (int file = 0; file < banks; ++file) {
      const std::filesystem::path folder = patches / ("Folder " + std::to_string(file / 20));
      std::filesystem::create_directories(folder);
      std::ofstream out(folder / ("Bank " + std::to_string(file) + ".vrn"), std::ios::binary);
      for (int slot = 0; slot < 99; ++slot) {
        std::vector<unsigned char> record = {0xF0, 0x3E, 0x0B, 0x00, 0x01, static_cast<unsigned char>(slot)};
        for (int i = 6; i < 75; ++i) record.push_back(static_cast<unsigned char>((file + slot + i) & 0x7F));
        record.push_back(0x00);
        std::string name = "B" + std::to_string(file) + " " + std::to_string(slot);
        name.resize(14, ' ');
        record.insert(record.end(), name.begin(), name.end());
        record.push_back(static_cast<unsigned char>((file + slot) % 21));
        record.push_back(0xF7);
        out.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
      }
    }
  }
  std::string Path() const { return m_folder.Name(); }

 private:
  TempFolder m_folder;
};

// Sets a variable for the life of the object, then restores the old value.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = getenv(name)) m_old = old, m_had = true;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (m_had)
      setenv(m_name.c_str(), m_old.c_str(), 1);
    else
      unsetenv(m_name.c_str());
  }

 private:
  std::string m_name, m_old;
  bool m_had = false;
};

double ResidentMiB() {
  long pages = 0, resident = 0;
  FILE* statm = fopen("/proc/self/statm", "r");
  if (!statm) return 0.0;
  if (fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
  fclose(statm);
  return static_cast<double>(resident) * sysconf(_SC_PAGESIZE) / (1024.0 * 1024.0);
}

}  // namespace

static void BM_OpenToReady(benchmark::State& state) {
  if (!RegisterBuiltBundle()) {
    state.SkipWithError("VivivI.bundle not found");
    return;
  }
  const int banks = static_cast<int>(state.range(0));
  const bool cold = state.range(1) != 0;
  const bool jack = state.range(2) != 0;
  if (jack && !JackServerRunning()) {
    state.SkipWithError("no JACK server answers (start one and set JACK_DEFAULT_SERVER)");
    return;
  }
  ScopedEnv api("VIVIVI_MIDI_API", "jack");
  ScopedEnv noStart("JACK_NO_START_SERVER", "1");
  std::unique_ptr<ScopedEnv> noServer;
  if (!jack)
    noServer.reset(new ScopedEnv("JACK_DEFAULT_SERVER", ("vivivi-none-" + std::to_string(getpid())).c_str()));
  DataFolder data(banks);
  setenv("VIVIVI_DATA_DIR", data.Path().c_str(), 1);
  double before = 0.0, after = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    before = ResidentMiB();
    state.ResumeTiming();
    std::unique_ptr<VivivI> plug(static_cast<VivivI*>(MakePlug()));
    state.PauseTiming();
    after = ResidentMiB();
    if (!plug->flags.pluginReady) state.SkipWithError("the editor did not get ready");
    if (static_cast<int>(plug->patchLibrarian->fileBanks.size()) != banks)
      state.SkipWithError("not every bank was loaded");
    if (cold) plug->uiConfig->ClearImageCache();
    plug.reset();
    state.ResumeTiming();
  }
  state.counters["rss_mib"] = after;
  state.counters["rss_added_mib"] = after - before;
  unsetenv("VIVIVI_DATA_DIR");
}
BENCHMARK(BM_OpenToReady)
    ->ArgNames({"banks", "cold", "jack"})
    ->ArgsProduct({{0, 100}, {1, 0}, {1, 0}})
    ->Unit(benchmark::kMillisecond);
