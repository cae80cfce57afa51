#include "vcbridge/channels/tests/fakes/LogTap.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <mutex>

#include "vcbridge/core/Log.h"

namespace vcb::testing {

namespace {

std::mutex g_lock;
std::vector<std::string>* g_lines = nullptr;

std::string format(const char* fmt, va_list args) {
  char buffer[4096];
  std::vsnprintf(buffer, sizeof buffer, fmt, args);
  return buffer;
}

void record(const char* level, const std::string& text) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_lines) g_lines->push_back(std::string(level) + " " + text);
}

}  // namespace

LogTap::LogTap() {
  std::lock_guard<std::mutex> hold(g_lock);
  g_lines = new std::vector<std::string>();
}

LogTap::~LogTap() {
  std::lock_guard<std::mutex> hold(g_lock);
  delete g_lines;
  g_lines = nullptr;
}

std::vector<std::string> LogTap::lines() const {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_lines ? *g_lines : std::vector<std::string>();
}

void LogTap::clear() {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_lines) g_lines->clear();
}

std::string LogTap::relayLine(const void* self, const std::string& cls,
                                  const std::string& method, const std::string& text) {
  char head[16];
  std::snprintf(head, sizeof head, "[0x%08X]", log::Addr(self));
  return std::string(head) + "\t" + cls + "\t" + method + "\t" + text;
}

}  // namespace vcb::testing

// The linker sends every call of the four entry points here first.
#define VCB_WRAP_LOG(name, mangled, level)                                      \
  extern "C" void __real_##mangled(const char* fmt, ...);                       \
  extern "C" void __wrap_##mangled(const char* fmt, ...) {                      \
    if (!fmt) return __real_##mangled(fmt);                                     \
    va_list args;                                                               \
    va_start(args, fmt);                                                        \
    std::string text = vcb::testing::format(fmt, args);                         \
    va_end(args);                                                               \
    vcb::testing::record(level, text);                                          \
    __real_##mangled("%s", text.c_str());                                       \
  }

VCB_WRAP_LOG(Info, _ZN3vcb3log4InfoEPKcz, "INFO")
VCB_WRAP_LOG(Warn, _ZN3vcb3log4WarnEPKcz, "WARN")
VCB_WRAP_LOG(Error, _ZN3vcb3log5ErrorEPKcz, "ERROR")
VCB_WRAP_LOG(Fatal, _ZN3vcb3log5FatalEPKcz, "FATAL")
