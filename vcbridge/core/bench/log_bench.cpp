// Cost of one log call: switched off, below the threshold, and written (to a
// file system that discards the bytes, so only the facility's own work counts).
#include <benchmark/benchmark.h>

#include <cstdarg>

#include "vcbridge/core/Log.h"
#include "vcbridge/core/Logger.h"

namespace {

using namespace vcb::log;

class Store : public ISettingsStore {
 public:
  uint32_t level = 0;  // 0: no component key
  ReadResult readString(const std::wstring&, const std::wstring&, std::wstring*) override {
    return ReadResult::Missing;
  }
  ReadResult readNumber(const std::wstring&, const std::wstring& name, uint32_t* out) override {
    if (level == 0 || (name != L"Level" && name != L"EnableLogging")) return ReadResult::Missing;
    *out = name == L"Level" ? level : 1;
    return ReadResult::Ok;
  }
};

class Discard : public IFileSystem {
 public:
  bool folderExists(const std::wstring&) override { return true; }
  bool createFolder(const std::wstring&) override { return true; }
  std::wstring documentsFolder() override { return L"C:\\Documents"; }
  vcb::Handle openForAppend(const std::wstring&) override { return this; }
  bool append(vcb::Handle, const char* data, size_t size) override {
    benchmark::DoNotOptimize(data);
    return size > 0;
  }
  void close(vcb::Handle) override {}
};

class Clock : public IClock {
 public:
  uint32_t tickCount() override { return 5000; }
  LocalTime localTime() override { return {2026, 3, 2, 9, 5, 3, 7}; }
};

class System : public ISystemInfo {
 public:
  VersionData versionData() override { return {}; }
};

void info(Logger& l, const char* format, ...) {
  va_list args;
  va_start(args, format);
  l.log(INFO, format, args);
  va_end(args);
}

// range(0): the "Level" value; 0 = logging off, 3 = INFO below the threshold, 4 = written.
void LogCall(benchmark::State& state) {
  Store store;
  store.level = uint32_t(state.range(0));
  Discard files;
  Clock clock;
  System system;
  Logger logger;
  logger.initialise(TerminalServiceDriver, Ports{&store, &files, &clock, &system});
  for (auto _ : state)
    info(logger, "[0x%08X]\t%s\t%s\tRequest %d of %s", 0x1234u, "VCB\tRequestHandler",
         "ProcessMessage", 42, "an application");
  logger.shutdown();
}
BENCHMARK(LogCall)->Arg(0)->Arg(3)->Arg(4);

}  // namespace

BENCHMARK_MAIN();
