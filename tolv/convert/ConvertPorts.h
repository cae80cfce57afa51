#pragma once
// What the converters need from the system: files, the converter process,
// the browser, and the boxes and the wait note shown to the typist.
#include <memory>
#include <string>
#include <string_view>

namespace tolv {

class IStartedProcess {
 public:
  virtual ~IStartedProcess() = default;
  // Blocks until the process has ended; no time-out.
  virtual void WaitForExit() = 0;
};

class IConvertPlatform {
 public:
  virtual ~IConvertPlatform() = default;
  // True when the file exists and may be written.
  virtual bool isWritable(const std::wstring& path) = 0;
  virtual bool fileExists(const std::wstring& path) = 0;
  // Folder of the running program, without a trailing "\".
  virtual std::wstring programFolder() = 0;
  // Opens the program with the parameters, the folder as working directory
  // and a hidden window. Null when it could not be started.
  virtual std::unique_ptr<IStartedProcess> startHidden(const std::wstring& program, const std::wstring& parameters,
                                                       const std::wstring& folder) = 0;
  virtual void openInBrowser(const std::wstring& address) = 0;
};

class IConvertUi {
 public:
  virtual ~IConvertUi() = default;
  // Modal box with a warning icon and OK.
  virtual void warn(std::wstring_view text) = 0;
  // Modal Yes/No question; true on Yes.
  virtual bool askYesNo(std::wstring_view text) = 0;
  // The modeless wait note, brought to the foreground; closing it when none
  // is shown does nothing.
  virtual void showWaitNote(std::wstring_view text) = 0;
  virtual void closeWaitNote() = 0;
};

// The playlist as the converter sees it.
class IConvertedMedia {
 public:
  virtual ~IConvertedMedia() = default;
  // The source of a conversion leaves the playlist; its copy takes its place.
  virtual void RemoveFromPlaylist(const std::wstring& path) = 0;
};

inline constexpr wchar_t kConversionWaitText[] =
    L"Please wait while the file converts.  Depending on the file size, this may take a few minutes.  "
    L"You can change conversion options by going to Settings, Conversions.";

}  // namespace tolv
