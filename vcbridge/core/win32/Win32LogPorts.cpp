#include "vcbridge/core/win32/Win32LogPorts.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "vcbridge/core/Log.h"
#include "vcbridge/core/win32/WinText.h"

namespace vcb::log {

namespace {

class Key {
 public:
  explicit Key(const std::wstring& path) {
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

ReadResult Win32SettingsStore::readString(const std::wstring& key, const std::wstring& name,
                                          std::wstring* out) {
  Key k(key);
  if (!k.get()) return ReadResult::Missing;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return ReadResult::Missing;
  if (type != REG_SZ) return ReadResult::WrongType;
  // The size comes from the store itself (values are bounded there); one spare
  // character keeps an unterminated value terminated.
  std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
  DWORD bytes = static_cast<DWORD>((buf.size() - 1) * sizeof(wchar_t));
  if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                       &bytes) != ERROR_SUCCESS)
    return ReadResult::Missing;  // changed in between: treat as absent this time
  if (type != REG_SZ) return ReadResult::WrongType;
  out->assign(buf.data());  // up to the first terminator
  return ReadResult::Ok;
}

ReadResult Win32SettingsStore::readNumber(const std::wstring& key, const std::wstring& name,
                                          uint32_t* out) {
  Key k(key);
  if (!k.get()) return ReadResult::Missing;
  DWORD type = 0, value = 0, size = sizeof(value);
  LONG rc = RegQueryValueExW(k.get(), name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(&value), &size);
  if (rc == ERROR_FILE_NOT_FOUND) return ReadResult::Missing;
  if (rc == ERROR_MORE_DATA) return ReadResult::WrongType;
  if (rc != ERROR_SUCCESS) return ReadResult::Missing;
  if (type != REG_DWORD || size != sizeof(value)) return ReadResult::WrongType;
  *out = value;
  return ReadResult::Ok;
}

bool Win32FileSystem::folderExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::createFolder(const std::wstring& path) {
  return CreateDirectoryW(path.c_str(), nullptr) != 0;
}

std::wstring Win32FileSystem::documentsFolder() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path)))
    return {};
  return path;
}

Handle Win32FileSystem::openForAppend(const std::wstring& path) {
  // Append access makes every write land at the end, even when another
  // process writes to the same file between our writes.
  HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

bool Win32FileSystem::append(Handle file, const char* data, size_t size) {
  if (size > MAXDWORD) return false;
  // Append access already writes at the end; the seek keeps it so with any access.
  SetFilePointer(file, 0, nullptr, FILE_END);
  DWORD written = 0;
  return WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

void Win32FileSystem::close(Handle file) { CloseHandle(file); }

uint32_t Win32Clock::tickCount() { return GetTickCount(); }

LocalTime Win32Clock::localTime() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

VersionData Win32SystemInfo::versionData() {
  VersionData v;
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return v;
  v.platformId = info.dwPlatformId;
  v.major = info.dwMajorVersion;
  v.minor = info.dwMinorVersion;
  v.build = info.dwBuildNumber;
  v.servicePack = narrow(info.szCSDVersion);
  v.suiteMask = info.wSuiteMask;
  v.productType = info.wProductType;

  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  using SystemInfoFn = void(WINAPI*)(SYSTEM_INFO*);
  auto nativeInfo = reinterpret_cast<SystemInfoFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "GetNativeSystemInfo")));
  SYSTEM_INFO si{};
  if (nativeInfo)
    nativeInfo(&si);
  else
    GetSystemInfo(&si);
  v.architecture = si.wProcessorArchitecture;

  using ProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, DWORD*);
  auto productInfo = reinterpret_cast<ProductInfoFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "GetProductInfo")));
  DWORD type = 0;
  if (productInfo &&
      productInfo(info.dwMajorVersion, info.dwMinorVersion, info.wServicePackMajor,
                  info.wServicePackMinor, &type)) {
    v.hasProductInfo = true;
    v.productInfo = type;
  }
  return v;
}

Ports win32Ports() {
  static Win32SettingsStore settings;
  static Win32FileSystem files;
  static Win32Clock clock;
  static Win32SystemInfo system;
  return Ports{&settings, &files, &clock, &system};
}

void useWin32LogPorts() { SetDefaultPorts(win32Ports()); }

}  // namespace vcb::log
