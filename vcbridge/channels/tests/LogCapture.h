#pragma once
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "vcbridge/core/Log.h"
#include "vcbridge/core/Logger.h"
#include "vcbridge/core/tests/fakes/FakeLogPorts.h"

namespace vcb::testing {

// Switches the relay's log on at every level for the life of a test, into a
// file kept in memory, so that a test can check the lines it wrote.
class LogCapture {
 public:
  LogCapture() {
    fake_.files.addFolder(L"C:\\Logs");
    fake_.settings.setString(log::kSettingsKey, L"OutputPath", L"C:\\Logs");
    const std::wstring key = log::kSettingsKey + L"\\TerminalServiceDriver";
    fake_.settings.setNumber(key, L"EnableLogging", 1);
    fake_.settings.setNumber(key, L"Level", 5);  // debug and up
    log::Initialise(log::TerminalServiceDriver, fake_.ports());
  }
  ~LogCapture() { log::Shutdown(); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // The lines written so far as "[LEVEL]\tmessage", without date and time.
  std::vector<std::string> lines() {
    static const std::regex dated(R"(^\d{4}/\d\d/\d\d\t\d\d:\d\d:\d\d\.\d{3}\t(.*)\r$)");
    std::vector<std::string> out;
    for (const std::wstring& path : fake_.files.files()) {
      const std::string text = fake_.files.content(path);
      size_t start = 0;
      for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::smatch m;
        const std::string line = text.substr(start, end - start);
        if (std::regex_match(line, m, dated)) out.push_back(m[1]);
      }
    }
    return out;
  }
  int count(const std::string& line) {
    int n = 0;
    for (const std::string& l : lines()) n += l == line;
    return n;
  }

 private:
  FakeLogPorts fake_;
};

// "[0x%08X]\t<class>\t<method>\t<text>" for the object at p.
inline std::string relayLine(const void* p, const char* klass, const char* method, const std::string& text) {
  char prefix[32];
  std::snprintf(prefix, sizeof(prefix), "[0x%08X]\t", log::Addr(p));
  return prefix + std::string("VCB\t") + klass + "\t" + method + "\t" + text;
}

}  // namespace vcb::testing
