#pragma once
#include <cstdint>

// The relay's diagnostic log. Formats are printf-style UTF-8; the relay's
// own messages begin "[0x%08X]\t%s\t%s\t" (object, "VCB\t" + class, method).
// Logging is off until Initialise and follows the user's settings store,
// re-read at most every ten seconds by a log call.
namespace vcb::log {

enum Level : int32_t { DEBUG = 1000, INFO = 2000, WARN = 3000, ERROR_ = 4000, FATAL = 5000 };

enum Component : int32_t {
  ComponentNone = 0,
  DictationModule = 1,
  TranscriptionModule = 2,
  DeviceDetector = 3,
  DirectRecordingWindow = 4,
  PlaybackControlWindow = 5,
  TranscribeBar = 6,
  DeviceManager = 7,
  AudioProcedure = 8,
  OptionManager = 9,
  CitrixDriver = 10,
  TerminalServiceDriver = 11,
  NotificationManager = 12,
  EmailFTP = 13,
};

struct Ports;  // vcbridge/core/LogPorts.h

// The ports Initialise(component) works with; set once at start-up, before
// Initialise (on Windows: vcb::log::useWin32LogPorts()). Without them logging stays off.
void SetDefaultPorts(const Ports& ports);

void Initialise(int32_t component);
// With other ports (tests); they must outlive Shutdown and every log call.
void Initialise(int32_t component, const Ports& ports);
void Shutdown();

void Info(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Warn(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Error(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Any level number; those the four entry points do not cover are named "[DEBUG]".
void Log(int32_t level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The object field of a log line: the low 32 bits of an address.
inline uint32_t Addr(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

}  // namespace vcb::log
