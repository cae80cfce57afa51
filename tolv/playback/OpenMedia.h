#pragma once
// What opening a medium needs besides the player and the form: the
// converters, the saved positions, the playlist and bookmark windows, and a
// few window services. Each is a small port so that playback links none of
// the subsystems behind them; a port left unset does nothing.
#include <string>
#include <string_view>

namespace tolv {

// Conversions tried before a medium is loaded.
class IMediumConversions {
 public:
  virtual ~IMediumConversions() = default;
  // Converts when a rule applies; path then names the converted copy.
  virtual void ConvertIfConfigured(std::wstring& path) = 0;
  // A dictation file: path becomes the file to play. False when the file is
  // refused (the user has been told) and the open must end.
  virtual bool DecodeDictationFile(std::wstring& path) = 0;
};

// Last playback position of every medium, in whole seconds, by medium name
// (the store builds its own case-insensitive key from the name).
class IMediumPositions {
 public:
  virtual ~IMediumPositions() = default;
  virtual int SavedPosition(const std::wstring& mediumName) = 0;
  virtual void SavePosition(const std::wstring& mediumName, double seconds) = 0;
};

// The playlist and the bookmark window, as an open sees them.
class IMediaLists {
 public:
  virtual ~IMediaLists() = default;
  virtual void AddToPlaylist(const std::wstring& path, int lengthSeconds, int playpointSeconds) = 0;
  // The playpoint of the playlist entry of that medium.
  virtual void SetPlaypoint(const std::wstring& mediumName, int seconds) = 0;
  // The bookmarks of that file become the current ones.
  virtual void ShowBookmarksFor(const std::wstring& path) = 0;
};

// The hint shown when a video is opened. Its check box works at once.
class CVideoResizeHelp {
 public:
  static constexpr const wchar_t* kTitle = L"Help";
  static constexpr const wchar_t* kText =
      L"To make the video bigger, drag the bottom right-hand corner of Tolv's interface.";
  static constexpr const wchar_t* kHideNextTime = L"Hide next time";

  // The check box state to show when the dialog opens.
  bool hideNextTimeChecked() const;
  void OnHideNextTimeClicked(bool checked);
};

// Window services of an open.
class IOpenMediaWindow {
 public:
  virtual ~IOpenMediaWindow() = default;
  // Shows the dialog modally; its check box calls OnHideNextTimeClicked.
  virtual void ShowVideoResizeHelp(CVideoResizeHelp& dialog) = 0;
  // Handles the messages waiting in the thread's queue, or waits a few
  // milliseconds for one. A quit request is put back into the queue, so the
  // program still ends once the open is over.
  virtual void PumpPendingMessages() = 0;
  // The picture the form shows before any medium (control 1016).
  virtual void HidePlaceholder() = 0;
  virtual void RedrawView() = 0;
  // Re-arranges the form for the loaded medium (video area, compact mode).
  virtual void RelayoutForm() = 0;
};

struct OpenMediaPorts {
  IMediumConversions* conversions = nullptr;
  IMediumPositions* positions = nullptr;
  IMediaLists* lists = nullptr;
  IOpenMediaWindow* window = nullptr;
};

// ASCII letters lower-cased; enough for the fixed extension tests, which are ASCII.
std::wstring LowerAscii(std::wstring_view text);
// The file name's extension from its last ".", dot included; empty without one.
// A dot in a folder name does not count.
std::wstring MediumExtension(std::wstring_view path);
// The medium name of an opened path: the text after the last "\", or the
// whole path (a remote address) when it has none.
std::wstring MediumNameOf(const std::wstring& path);
// Remote addresses are neither converted, decoded nor listed.
bool IsRemoteAddress(std::wstring_view path);

}  // namespace tolv
