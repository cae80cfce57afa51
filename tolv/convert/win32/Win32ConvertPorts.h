#pragma once
// The converters' ports on Win32: file attributes, ShellExecuteExW of the
// converter with a wait on its process, the browser, message boxes and the
// modeless wait note.
#include <windows.h>

#include <string>

#include "tolv/convert/ConvertPorts.h"

namespace tolv {

class CWin32ConvertPlatform : public IConvertPlatform {
 public:
  // Empty: the folder of the running program.
  explicit CWin32ConvertPlatform(std::wstring programFolder = {});

  bool isWritable(const std::wstring& path) override;
  bool fileExists(const std::wstring& path) override;
  std::wstring programFolder() override { return folder_; }
  std::unique_ptr<IStartedProcess> startHidden(const std::wstring& program, const std::wstring& parameters,
                                               const std::wstring& folder) override;
  void openInBrowser(const std::wstring& address) override;

 private:
  std::wstring folder_;
};

class CWin32ConvertUi : public IConvertUi {
 public:
  CWin32ConvertUi(HWND owner, std::wstring title) : owner_(owner), title_(std::move(title)) {}
  ~CWin32ConvertUi() override { closeWaitNote(); }
  CWin32ConvertUi(const CWin32ConvertUi&) = delete;
  CWin32ConvertUi& operator=(const CWin32ConvertUi&) = delete;

  void warn(std::wstring_view text) override;
  bool askYesNo(std::wstring_view text) override;
  void showWaitNote(std::wstring_view text) override;
  void closeWaitNote() override;
  HWND waitNote() const { return note_; }

 private:
  HWND owner_;
  std::wstring title_;
  HWND note_ = nullptr;
};

// Folder of the running program, without a trailing "\".
std::wstring ProgramFolder();

}  // namespace tolv
