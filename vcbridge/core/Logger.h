#pragma once
#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <limits>
#include <mutex>
#include <string>

#include "vcbridge/core/LogPorts.h"

namespace vcb::log {

// What the per-user store says about one component's log.
struct Settings {
  static constexpr int32_t kOff = std::numeric_limits<int32_t>::max();

  bool enabled = false;
  std::wstring outputFolder;  // at most kMaxPath - 1 characters
  int32_t threshold = 2000;   // lowest level written; kOff writes nothing
  bool keepFileOpen = false;
  bool trace = false;         // kept with the settings; changes nothing that is written

  bool writes(int32_t level) const { return enabled && threshold != kOff && level >= threshold; }
  bool operator==(const Settings&) const = default;
};

inline constexpr size_t kMaxPath = 260;  // characters, terminator included
inline constexpr uint32_t kRefreshMs = 10001;
inline const std::wstring kSettingsKey = L"Software\\Varneth\\DictaDeskPro\\Logging";

// Reads the settings of a component; anything missing or of the wrong type keeps its default.
Settings readSettings(ISettingsStore& store, int32_t component);

// One log facility: settings that follow the store, a file per component, a
// header before the first line after each change. Thread-safe.
class Logger {
 public:
  Logger() = default;
  ~Logger();
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  // Ports must be complete and outlive the next shutdown(); otherwise logging stays off.
  void initialise(int32_t component, const Ports& ports);
  // Off, component 0, the kept-open file closed; nothing is written afterwards.
  void shutdown();
  void log(int32_t level, const char* format, va_list args);

  // Messages formatted so far. Shows that calls which write nothing cost no formatting.
  uint64_t formattedCount() const { return formatted_.load(std::memory_order_relaxed); }
  // The file lines go to; empty if there is none.
  std::wstring filePath();

 private:
  void refreshIfDue(uint32_t now);
  void takeSettings(const Settings& s);
  void workOutFilePath();
  void closeKeptFile();
  void write(const std::string& line);
  void publishGate();

  std::mutex lock_;
  Ports ports_;
  Settings settings_;
  int32_t component_ = 0;
  std::wstring path_;
  Handle keptFile_ = nullptr;
  bool headerPending_ = false;

  // Read without the lock so that a call that writes nothing stays cheap.
  std::atomic<IClock*> clock_{nullptr};    // set while initialised
  std::atomic<uint32_t> lastCheck_{0};
  std::atomic<int64_t> gate_{std::numeric_limits<int64_t>::max()};  // lowest level worth formatting
  std::atomic<uint64_t> formatted_{0};
};

}  // namespace vcb::log
