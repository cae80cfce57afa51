// Stands in for the device SDK's COM host, DevComHost.exe, which the relay
// starts when a channel is missing. Tests copy it into a folder under that
// name; it writes its command line, as it arrived, into DevComHost.ran
// beside itself (UTF-8) and ends.
#include <windows.h>

#include <string>

int wmain() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring marker(path);
  marker = marker.substr(0, marker.find_last_of(L'\\') + 1) + L"DevComHost.ran";

  const wchar_t* line = GetCommandLineW();
  int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(bytes > 0 ? bytes - 1 : 0, '\0');
  if (bytes > 1) WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8.data(), bytes, nullptr, nullptr);

  HANDLE f = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 1;
  DWORD n = 0;
  WriteFile(f, utf8.data(), DWORD(utf8.size()), &n, nullptr);
  CloseHandle(f);
  return 0;
}
