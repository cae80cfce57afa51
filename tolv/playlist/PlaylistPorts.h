#pragma once
// What the playlist and the bookmarks need from the system besides files and
// the settings store.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolv {

// Wall-clock time in seconds since 1970-01-01 UTC, and its local-time texts.
class IClock {
 public:
  virtual ~IClock() = default;
  virtual int64_t now() = 0;
  // The time in local time, through a strftime format ("%c", "%H:%M:%S %d.%m.%Y").
  virtual std::wstring localText(int64_t time, const wchar_t* format) = 0;
};

// Modal message boxes. Both block until the user answers.
class IPlaylistMessages {
 public:
  virtual ~IPlaylistMessages() = default;
  // An error box with an OK button; an empty caption means the application's.
  virtual void show(std::wstring_view caption, std::wstring_view text) = 0;
  // A question with Yes and No; true on Yes.
  virtual bool ask(std::wstring_view text) = 0;
};

}  // namespace tolv
