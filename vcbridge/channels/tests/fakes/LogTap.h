#pragma once
#include <string>
#include <vector>

namespace vcb::testing {

// Records every line that goes through vcb::log while it lives, formatted,
// as "<LEVEL> <text>" (INFO, WARN, ERROR, FATAL). The lines still reach the
// real facility. Native tests only: the test program is linked with
// -Wl,--wrap for the four entry points (see vcbridge/channels/CMakeLists.txt).
class LogTap {
 public:
  LogTap();
  ~LogTap();
  LogTap(const LogTap&) = delete;
  LogTap& operator=(const LogTap&) = delete;

  std::vector<std::string> lines() const;
  void clear();

  // "[0x%08X]\t<cls>\t<method>\t<text>" for an object, as the relay writes it.
  static std::string relayLine(const void* self, const std::string& cls, const std::string& method,
                               const std::string& text);
};

}  // namespace vcb::testing
