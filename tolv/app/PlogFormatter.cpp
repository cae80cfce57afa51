#include "tolv/app/PlogFormatter.h"

#include <spdlog/details/log_msg.h>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace tolv {

const char* plogSeverity(spdlog::level::level_enum level) {
  switch (level) {
    case spdlog::level::critical: return "FATAL";
    case spdlog::level::err: return "ERROR";
    case spdlog::level::warn: return "WARN ";
    case spdlog::level::info: return "INFO ";
    case spdlog::level::debug: return "DEBUG";
    case spdlog::level::trace: return "VERB ";
    default: return "NONE ";
  }
}

void PlogFormatter::format(const spdlog::details::log_msg& msg, spdlog::memory_buf_t& dest) {
  using namespace std::chrono;
  auto t = system_clock::to_time_t(msg.time);
  auto ms = duration_cast<milliseconds>(msg.time.time_since_epoch()).count() % 1000;
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  char head[96];
  int n = std::snprintf(head, sizeof head, "%04d-%02d-%02d %02d:%02d:%02d.%03d %s [%zu] [",
                        tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                        tm.tm_sec, static_cast<int>(ms), plogSeverity(msg.level), msg.thread_id);
  dest.append(head, head + n);
  const char* func = msg.source.funcname ? msg.source.funcname : "";
  dest.append(func, func + std::char_traits<char>::length(func));
  char line[24];
  n = std::snprintf(line, sizeof line, "@%d] ", msg.source.line);
  dest.append(line, line + n);
  dest.append(msg.payload.begin(), msg.payload.end());
  dest.push_back('\n');
}

std::unique_ptr<spdlog::formatter> PlogFormatter::clone() const {
  return std::make_unique<PlogFormatter>();
}

}  // namespace tolv
