#include "tolv/convert/win32/Win32ConvertPorts.h"

#include <shellapi.h>

#include <vector>

namespace tolv {

namespace {

class ShellProcess : public IStartedProcess {
 public:
  explicit ShellProcess(HANDLE process) : process_(process) {}
  ~ShellProcess() override { CloseHandle(process_); }
  ShellProcess(const ShellProcess&) = delete;
  ShellProcess& operator=(const ShellProcess&) = delete;
  void WaitForExit() override { WaitForSingleObject(process_, INFINITE); }

 private:
  HANDLE process_;
};

}  // namespace

std::wstring ProgramFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      const size_t slash = path.find_last_of(L"\\/");
      return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

CWin32ConvertPlatform::CWin32ConvertPlatform(std::wstring programFolder)
    : folder_(programFolder.empty() ? ProgramFolder() : std::move(programFolder)) {}

bool CWin32ConvertPlatform::isWritable(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
}

bool CWin32ConvertPlatform::fileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::unique_ptr<IStartedProcess> CWin32ConvertPlatform::startHidden(const std::wstring& program,
                                                                    const std::wstring& parameters,
                                                                    const std::wstring& folder) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // No shell error box for a missing converter: the open that follows reports it.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = folder.c_str();
  info.nShow = SW_HIDE;
  if (!ShellExecuteExW(&info) || !info.hProcess) return nullptr;
  return std::make_unique<ShellProcess>(info.hProcess);
}

void CWin32ConvertPlatform::openInBrowser(const std::wstring& address) {
  ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CWin32ConvertUi::warn(std::wstring_view text) {
  const std::wstring copy(text);
  MessageBoxW(owner_, copy.c_str(), title_.c_str(), MB_OK | MB_ICONWARNING);
}

bool CWin32ConvertUi::askYesNo(std::wstring_view text) {
  const std::wstring copy(text);
  return MessageBoxW(owner_, copy.c_str(), title_.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CWin32ConvertUi::showWaitNote(std::wstring_view text) {
  closeWaitNote();
  const std::wstring copy(text);
  const int width = 420, height = 90;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  note_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, L"STATIC", copy.c_str(),
                          WS_POPUP | WS_BORDER | WS_VISIBLE | SS_CENTER, x, y, width, height, owner_, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  if (!note_) return;
  SetForegroundWindow(note_);
  // The thread blocks in the wait next: paint now, or the note stays blank.
  UpdateWindow(note_);
}

void CWin32ConvertUi::closeWaitNote() {
  if (note_) DestroyWindow(note_);
  note_ = nullptr;
}

}  // namespace tolv
