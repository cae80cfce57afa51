#include "vcbridge/core/Logger.h"

#include "vcbridge/core/LogText.h"

namespace vcb::log {

namespace {

std::wstring widenAscii(const char* s) { return std::wstring(s, s + std::char_traits<char>::length(s)); }

std::wstring withBackslash(std::wstring s) {
  if (s.empty() || s.back() != L'\\') s += L'\\';
  return s;
}

int32_t thresholdFor(uint32_t level) {
  switch (level) {
    case 0: return Settings::kOff;
    case 1: return 5000;
    case 2: return 4000;
    case 3: return 3000;
    case 4: return 2000;
    case 5: return 1000;
    default: return 2000;
  }
}

}  // namespace

Settings readSettings(ISettingsStore& store, int32_t component) {
  Settings s;
  std::wstring folder;
  // A folder that would not fit the record is as good as none.
  if (store.readString(kSettingsKey, L"OutputPath", &folder) == ReadResult::Ok &&
      folder.size() < kMaxPath)
    s.outputFolder = folder;
  const std::wstring key = kSettingsKey + L"\\" + widenAscii(componentName(component));
  uint32_t v = 0;
  if (store.readNumber(key, L"EnableLogging", &v) == ReadResult::Ok) s.enabled = v == 1;
  if (store.readNumber(key, L"Level", &v) == ReadResult::Ok) s.threshold = thresholdFor(v);
  if (store.readNumber(key, L"EnableTrace", &v) == ReadResult::Ok) s.trace = v == 1;
  if (store.readNumber(key, L"LockingModel", &v) == ReadResult::Ok) s.keepFileOpen = v == 1;
  return s;
}

Logger::~Logger() { shutdown(); }

void Logger::initialise(int32_t component, const Ports& ports) {
  std::lock_guard<std::mutex> g(lock_);
  closeKeptFile();
  clock_.store(nullptr, std::memory_order_release);
  ports_ = ports.complete() ? ports : Ports{};
  settings_ = ports_.complete() ? readSettings(*ports_.settings, component) : Settings{};
  component_ = component;
  path_.clear();
  if (ports_.complete()) workOutFilePath();
  headerPending_ = true;
  publishGate();
  if (!ports_.complete()) return;
  lastCheck_.store(ports_.clock->tickCount(), std::memory_order_relaxed);
  clock_.store(ports_.clock, std::memory_order_release);
}

void Logger::shutdown() {
  std::lock_guard<std::mutex> g(lock_);
  clock_.store(nullptr, std::memory_order_release);
  closeKeptFile();
  settings_ = Settings{};
  component_ = 0;
  path_.clear();
  headerPending_ = false;
  ports_ = Ports{};
  publishGate();
}

std::wstring Logger::filePath() {
  std::lock_guard<std::mutex> g(lock_);
  return path_;
}

void Logger::log(int32_t level, const char* format, va_list args) {
  if (!format) return;
  IClock* clock = clock_.load(std::memory_order_acquire);
  if (!clock) return;
  if (clock->tickCount() - lastCheck_.load(std::memory_order_relaxed) < kRefreshMs &&
      level < gate_.load(std::memory_order_relaxed))
    return;

  std::lock_guard<std::mutex> g(lock_);
  if (!ports_.complete()) return;
  refreshIfDue(ports_.clock->tickCount());
  if (!settings_.trace && !settings_.writes(level)) return;
  std::string message;
  const bool formatted = formatMessage(&message, format, args);
  formatted_.fetch_add(1, std::memory_order_relaxed);
  if (!formatted || !settings_.writes(level)) return;
  write(lineText(ports_.clock->localTime(), level, message));
}

void Logger::refreshIfDue(uint32_t now) {
  if (now - lastCheck_.load(std::memory_order_relaxed) < kRefreshMs) return;
  Settings fresh = readSettings(*ports_.settings, component_);
  if (!(fresh == settings_)) takeSettings(fresh);
  lastCheck_.store(now, std::memory_order_relaxed);
}

void Logger::takeSettings(const Settings& s) {
  settings_ = s;
  workOutFilePath();
  headerPending_ = true;
  closeKeptFile();
  publishGate();
}

void Logger::workOutFilePath() {
  IFileSystem& fs = *ports_.files;
  path_.clear();
  std::wstring folder = settings_.outputFolder;
  if (!folder.empty() && !fs.folderExists(folder) && !fs.createFolder(folder)) folder.clear();
  if (folder.empty()) {
    const std::wstring documents = fs.documentsFolder();
    if (documents.empty()) return;
    folder = withBackslash(documents) + L"VDMS\\Log";
  }
  // Only the last level is made; without its parent the lines are lost.
  if (!fs.folderExists(folder)) fs.createFolder(folder);
  std::wstring path = withBackslash(folder) + widenAscii(componentName(component_)) + L".log";
  if (path.size() < kMaxPath) path_ = std::move(path);
}

void Logger::closeKeptFile() {
  if (keptFile_ && ports_.files) ports_.files->close(keptFile_);
  keptFile_ = nullptr;
}

void Logger::write(const std::string& line) {
  if (path_.empty()) return;
  IFileSystem& fs = *ports_.files;
  Handle file = keptFile_ ? keptFile_ : fs.openForAppend(path_);
  if (!file) return;
  std::string bytes;
  if (headerPending_) {
    bytes = headerText(component_, describeSystem(ports_.system->versionData()));
    headerPending_ = false;
  }
  bytes += line;
  const bool written = fs.append(file, bytes.data(), bytes.size());
  if (settings_.keepFileOpen && written) {
    keptFile_ = file;
  } else {
    // A kept handle that failed is dropped, so the next line opens the file afresh.
    fs.close(file);
    keptFile_ = nullptr;
  }
}

void Logger::publishGate() {
  int64_t gate = std::numeric_limits<int64_t>::max();
  if (settings_.trace)
    gate = std::numeric_limits<int64_t>::min();
  else if (settings_.enabled && settings_.threshold != Settings::kOff)
    gate = settings_.threshold;
  gate_.store(gate, std::memory_order_relaxed);
}

}  // namespace vcb::log
