// Load and save of the configuration files against files in memory: the cost
// of the file format, without the disk.
#include <benchmark/benchmark.h>

#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/config/tests/fakes/FakeDataFiles.h"
#include "tolv/hotkeys/Hotkeys.h"

namespace {

using tolv::testing::FakeDataFiles;

// A configuration in use: a named configuration, snippets of a few sentences.
void PrepareFiles(FakeDataFiles& files) {
  files.folders.insert(tolv::ConfigurationFolderPath(files));
  tolv::ResetConfigurationToFirstStart();
  tolv::currentConfigurationName = L"Client A";
  for (int id = tolv::HotkeyShortcut1; id <= tolv::HotkeyShortcut5; ++id)
    tolv::HotkeyTable[id - 1].text = std::wstring(200, L'a' + id);
  tolv::SaveMainConfiguration(files);
}

void LoadMain(benchmark::State& state) {
  FakeDataFiles files;
  PrepareFiles(files);
  for (auto _ : state) {
    tolv::LoadMainConfiguration(files);
    benchmark::DoNotOptimize(tolv::HotkeyTable);
  }
  state.counters["bytes"] = double(files.at(tolv::MainConfigurationPath(files)).size());
}

void SaveMain(benchmark::State& state) {
  FakeDataFiles files;
  PrepareFiles(files);
  for (auto _ : state) tolv::SaveMainConfiguration(files);
}

// What Cancel and OK of the settings dialog cost: one load plus one save.
void LoadAndSave(benchmark::State& state) {
  FakeDataFiles files;
  PrepareFiles(files);
  for (auto _ : state) {
    tolv::LoadMainConfiguration(files);
    tolv::SaveMainConfiguration(files);
  }
}

void LoadNamed(benchmark::State& state) {
  FakeDataFiles files;
  PrepareFiles(files);
  for (auto _ : state) tolv::LoadNamedConfiguration(files);
}

}  // namespace

BENCHMARK(LoadMain);
BENCHMARK(SaveMain);
BENCHMARK(LoadAndSave);
BENCHMARK(LoadNamed);
BENCHMARK_MAIN();
