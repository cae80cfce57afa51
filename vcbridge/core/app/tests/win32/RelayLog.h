#pragma once
// Reading the relay's own log file in Wine tests.
#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kit {

inline std::wstring documentsFolder() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, path);
  return path;
}

// Switches the relay's log on for a component (HKCU) and makes Documents\VDMS
// so the file lands in Documents\VDMS\Log. Returns the file's path.
inline std::wstring enableRelayLog(const std::wstring& component) {
  HKEY key = nullptr;
  std::wstring name = L"Software\\Varneth\\DictaDeskPro\\Logging\\" + component;
  RegCreateKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  DWORD one = 1, info = 4;
  RegSetValueExW(key, L"EnableLogging", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), sizeof one);
  RegSetValueExW(key, L"Level", 0, REG_DWORD, reinterpret_cast<BYTE*>(&info), sizeof info);
  RegCloseKey(key);
  std::wstring vdms = documentsFolder() + L"\\VDMS";
  CreateDirectoryW(vdms.c_str(), nullptr);
  std::wstring file = vdms + L"\\Log\\" + component + L".log";
  DeleteFileW(file.c_str());
  return file;
}

// "[LEVEL]\tmessage" for every relay line of the file (date, time and the
// address, class and method fields left out).
inline std::vector<std::string> relayLines(const std::wstring& file) {
  std::vector<std::string> out;
  HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return out;
  std::string text;
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n) text.append(buf, n);
  CloseHandle(h);
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t level = line.find("\t[");
    if (level == std::string::npos || line.find("\t[0x") == std::string::npos) continue;
    size_t levelEnd = line.find('\t', level + 1);
    out.push_back(line.substr(level + 1, levelEnd - level - 1) + "\t" + line.substr(line.rfind('\t') + 1));
  }
  return out;
}

}  // namespace kit
