#include "tolv/playback/tests/fakes/FakeOpenMediaPorts.h"

namespace tolv::testing {

void FakeMediumConversions::ConvertIfConfigured(std::wstring& path) {
  log_.push_back(L"convert " + path);
  if (auto it = converted.find(path); it != converted.end()) path = it->second;
}

bool FakeMediumConversions::DecodeDictationFile(std::wstring& path) {
  log_.push_back(L"decode " + path);
  if (refuseDictation) return false;
  if (auto it = decoded.find(path); it != decoded.end()) path = it->second;
  return true;
}

int FakeMediumPositions::SavedPosition(const std::wstring& mediumName) {
  log_.push_back(L"position? " + mediumName);
  const auto it = saved.find(LowerAscii(mediumName));
  return it == saved.end() ? 0 : it->second;
}

void FakeMediumPositions::SavePosition(const std::wstring& mediumName, double seconds) {
  log_.push_back(L"save position " + mediumName);
  saved[LowerAscii(mediumName)] = seconds > 0 ? static_cast<int>(seconds) : 0;
}

void FakeMediaLists::AddToPlaylist(const std::wstring& path, int lengthSeconds, int playpointSeconds) {
  log_.push_back(L"playlist add " + path);
  added.push_back({path, lengthSeconds, playpointSeconds});
}

void FakeMediaLists::SetPlaypoint(const std::wstring& mediumName, int seconds) {
  log_.push_back(L"playlist playpoint " + mediumName);
  playpoints[mediumName] = seconds;
}

void FakeMediaLists::ShowBookmarksFor(const std::wstring& path) {
  log_.push_back(L"bookmarks " + path);
  bookmarksShown = path;
}

void FakeOpenMediaWindow::ShowVideoResizeHelp(CVideoResizeHelp& dialog) {
  log_.push_back(L"video hint");
  ++hintsShown;
  for (bool checked : hintClicks) dialog.OnHideNextTimeClicked(checked);
}

void FakeOpenMediaWindow::PumpPendingMessages() {
  ++pumps;
  if (onPump) onPump();
}

void FakeOpenMediaWindow::HidePlaceholder() {
  log_.push_back(L"hide placeholder");
  placeholderHidden = true;
}

void FakeOpenMediaWindow::RedrawView() {
  log_.push_back(L"redraw");
  ++redraws;
}

void FakeOpenMediaWindow::RelayoutForm() {
  log_.push_back(L"relayout");
  ++relayouts;
}

}  // namespace tolv::testing
