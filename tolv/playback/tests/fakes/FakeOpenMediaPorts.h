#pragma once
// The open-media ports in memory. Every port writes what it is asked into one
// shared log, so tests can check the order of an open's steps.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tolv/playback/OpenMedia.h"

namespace tolv::testing {

using OpenLog = std::vector<std::wstring>;

class FakeMediumConversions : public IMediumConversions {
 public:
  explicit FakeMediumConversions(OpenLog& log) : log_(log) {}
  // Path replacements: a path found here becomes the mapped one.
  std::map<std::wstring, std::wstring> converted, decoded;
  bool refuseDictation = false;
  void ConvertIfConfigured(std::wstring& path) override;
  bool DecodeDictationFile(std::wstring& path) override;

 private:
  OpenLog& log_;
};

// Keys are the medium names lower-cased (ASCII), as the store builds them.
class FakeMediumPositions : public IMediumPositions {
 public:
  explicit FakeMediumPositions(OpenLog& log) : log_(log) {}
  std::map<std::wstring, int> saved;
  int SavedPosition(const std::wstring& mediumName) override;
  void SavePosition(const std::wstring& mediumName, double seconds) override;

 private:
  OpenLog& log_;
};

class FakeMediaLists : public IMediaLists {
 public:
  explicit FakeMediaLists(OpenLog& log) : log_(log) {}
  struct Added {
    std::wstring path;
    int length, playpoint;
    bool operator==(const Added&) const = default;
  };
  std::vector<Added> added;
  std::map<std::wstring, int> playpoints;
  std::wstring bookmarksShown;
  void AddToPlaylist(const std::wstring& path, int lengthSeconds, int playpointSeconds) override;
  void SetPlaypoint(const std::wstring& mediumName, int seconds) override;
  void ShowBookmarksFor(const std::wstring& path) override;

 private:
  OpenLog& log_;
};

class FakeOpenMediaWindow : public IOpenMediaWindow {
 public:
  explicit FakeOpenMediaWindow(OpenLog& log) : log_(log) {}
  int hintsShown = 0;
  // What the user does in the hint: tick (true) or untick (false) the box, or nothing.
  std::vector<bool> hintClicks;
  // Runs on every pump: stands in for the messages handled during an open.
  std::function<void()> onPump;
  int pumps = 0;
  bool placeholderHidden = false;
  int redraws = 0, relayouts = 0;
  void ShowVideoResizeHelp(CVideoResizeHelp& dialog) override;
  void PumpPendingMessages() override;
  void HidePlaceholder() override;
  void RedrawView() override;
  void RelayoutForm() override;

 private:
  OpenLog& log_;
};

}  // namespace tolv::testing
