// Placeholder until the logging facility lands: every entry point is a no-op.
#include "vcbridge/core/Log.h"

namespace vcb::log {
void Initialise(int32_t) {}
void Shutdown() {}
void Info(const char*, ...) {}
void Warn(const char*, ...) {}
void Error(const char*, ...) {}
void Fatal(const char*, ...) {}
}  // namespace vcb::log
