#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

#include "vcbridge/core/LogPorts.h"

// The texts of the log file, free of any state or system call.
namespace vcb::log {

// A formatted message is cut to this many bytes of UTF-8.
inline constexpr size_t kMaxMessageBytes = 4096;

// "[INFO]", "[WARN]", "[ERROR]", "[FATAL]"; "[DEBUG]" for any other number.
const char* levelName(int32_t level);
// The component's name; "ComponentNone" for an index outside the table.
const char* componentName(int32_t component);

// "<product> (Platform <platform> Version <major>.<minor> Build <build>) <service pack>"
std::string describeSystem(const VersionData& v);

// The block written before the first line after start-up or a change of settings.
std::string headerText(int32_t component, const std::string& systemDescription);

// One line: date, time, level name and message, separated by tabs, ended by CR LF.
std::string lineText(const LocalTime& t, int32_t level, const std::string& message);

// printf-style formatting into at most kMaxMessageBytes; a longer result is cut
// before the first character that does not fit whole. False if the format fails.
bool formatMessage(std::string* out, const char* format, va_list args);

}  // namespace vcb::log
