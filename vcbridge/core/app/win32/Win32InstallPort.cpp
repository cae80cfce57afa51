#include "vcbridge/core/app/win32/Win32InstallPort.h"

#include <windows.h>

#include <vector>

namespace vcb {

IInstallPort::PathResult Win32InstallPort::readInstallPath(const std::wstring& key, std::wstring& path) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
    return PathResult::KeyMissing;
  wchar_t buffer[256] = {};  // 255 characters and the terminator
  DWORD type = 0;
  DWORD bytes = sizeof(buffer);
  LONG rc = RegQueryValueExW(h, L"Path", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
  RegCloseKey(h);
  if (rc == ERROR_MORE_DATA) return PathResult::TooLong;
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return PathResult::ValueMissing;
  // The stored string may or may not carry its terminator.
  path.assign(buffer, bytes / sizeof(wchar_t));
  while (!path.empty() && path.back() == L'\0') path.pop_back();
  return path.size() > 255 ? PathResult::TooLong : PathResult::Found;
}

bool Win32InstallPort::startProcess(const std::wstring& commandLine) {
  std::vector<wchar_t> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

}  // namespace vcb
