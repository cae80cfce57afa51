#pragma once
// Clock, message boxes and settings store in memory.
#include <map>
#include <string>
#include <vector>

#include "tolv/playlist/PlaylistPorts.h"

namespace tolv::testing {

// Local time is UTC here, formatted in the C locale.
class FakeClock : public IClock {
 public:
  int64_t time = 1700000000;  // 2023-11-14 22:13:20 UTC
  int64_t now() override { return time; }
  std::wstring localText(int64_t t, const wchar_t* format) override;
};

class FakePlaylistMessages : public IPlaylistMessages {
 public:
  struct Shown {
    std::wstring caption, text;
  };
  std::vector<Shown> shown;
  std::vector<std::wstring> asked;
  bool answer = true;

  void show(std::wstring_view caption, std::wstring_view text) override {
    shown.push_back({std::wstring(caption), std::wstring(text)});
  }
  bool ask(std::wstring_view text) override {
    asked.emplace_back(text);
    return answer;
  }
};

}  // namespace tolv::testing
