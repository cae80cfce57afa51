#pragma once
#include <cstdint>

// The relay's diagnostic log. Formats are printf-style UTF-8; the relay's
// own messages begin "[0x%08X]\t%s\t%s\t" (object, "VCB\t" + class, method).
namespace vcb::log {

enum Level : int32_t { DEBUG = 1000, INFO = 2000, WARN = 3000, ERROR_ = 4000, FATAL = 5000 };

enum Component : int32_t {
  ComponentNone = 0,
  CitrixDriver = 10,
  TerminalServiceDriver = 11,
};

void Initialise(int32_t component);
void Shutdown();

void Info(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Warn(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Error(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The object field of a log line: the low 32 bits of an address.
inline uint32_t Addr(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

}  // namespace vcb::log
