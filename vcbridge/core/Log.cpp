#include "vcbridge/core/Log.h"

#include <cstdarg>

#include "vcbridge/core/Logger.h"

namespace vcb::log {

namespace {

// Never destroyed: threads and other statics may still log while the process ends.
Logger& facility() {
  static Logger* instance = new Logger;
  return *instance;
}

Ports& defaultPorts() {
  static Ports ports;
  return ports;
}

}  // namespace

void SetDefaultPorts(const Ports& ports) { defaultPorts() = ports; }

void Initialise(int32_t component) { facility().initialise(component, defaultPorts()); }
void Initialise(int32_t component, const Ports& ports) { facility().initialise(component, ports); }
void Shutdown() { facility().shutdown(); }

#define VCB_LOG_ENTRY(name, level)          \
  void name(const char* format, ...) {      \
    va_list args;                           \
    va_start(args, format);                 \
    facility().log(level, format, args);    \
    va_end(args);                           \
  }

VCB_LOG_ENTRY(Info, INFO)
VCB_LOG_ENTRY(Warn, WARN)
VCB_LOG_ENTRY(Error, ERROR_)
VCB_LOG_ENTRY(Fatal, FATAL)

#undef VCB_LOG_ENTRY

void Log(int32_t level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  facility().log(level, format, args);
  va_end(args);
}

}  // namespace vcb::log
