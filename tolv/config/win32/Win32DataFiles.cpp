#include "tolv/config/win32/Win32DataFiles.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include <algorithm>

namespace tolv {

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { close(); }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  bool close() {
    const bool ok = !valid() || CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

HANDLE openForReading(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool writeAll(HANDLE file, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> Win32DataFiles::readFile(const std::wstring& path, size_t maxBytes) {
  FileHandle file(openForReading(path));
  if (!file.valid()) return std::nullopt;
  std::vector<uint8_t> bytes;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0)
    bytes.reserve(static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(size.QuadPart), maxBytes)));
  uint8_t buffer[64 * 1024];
  while (bytes.size() < maxBytes) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(sizeof buffer, maxBytes - bytes.size()));
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, want, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  return bytes;
}

// The new content goes to "<name>.new" beside the file, reaches the disk, and
// only then takes the old file's place; a full disk or a crash while writing
// leaves the last good file.
bool Win32DataFiles::replaceFile(const std::wstring& path, std::span<const uint8_t> bytes) {
  const std::wstring temp = path + L".new";
  {
    FileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    const bool written = writeAll(file.get(), bytes) && FlushFileBuffers(file.get());
    if (!file.close() || !written) {
      DeleteFileW(temp.c_str());
      return false;
    }
  }
  if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

bool Win32DataFiles::canOpen(const std::wstring& path) {
  FileHandle file(openForReading(path));
  return file.valid();
}

std::optional<uint64_t> Win32DataFiles::fileSize(const std::wstring& path) {
  FileHandle file(openForReading(path));
  LARGE_INTEGER size{};
  if (!file.valid() || !GetFileSizeEx(file.get(), &size)) return std::nullopt;
  return static_cast<uint64_t>(size.QuadPart);
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

std::wstring PerUserDataFolder() {
  wchar_t base[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)) || !base[0]) return {};
  std::wstring folder = base;
  if (folder.back() != L'\\') folder += L'\\';
  return folder + L"Quenmark\\Tolv\\";
}

bool FolderIsWritable(const std::wstring& folder) {
  if (folder.empty()) return false;
  wchar_t name[64];
  swprintf(name, 64, L"tolv-%lu-%lu.probe", GetCurrentProcessId(), GetTickCount());
  FileHandle probe(CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return probe.valid();
}

namespace {

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool createFolders(const std::wstring& folder) {
  // Every level from the top down; levels that exist or cannot be made (a
  // drive, a server share) are passed over, only the result counts.
  for (size_t at = folder.find(L'\\', 1); at != std::wstring::npos; at = folder.find(L'\\', at + 1))
    CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
  return exists(folder);
}

// The configuration installed beside the program becomes the user's first one;
// nothing is copied over files the user already has.
void takeOverInstalledConfiguration(const std::wstring& from, const std::wstring& to) {
  if (from.empty() || exists(to + L"tolv3.cfg")) return;
  CopyFileW((from + L"tolv3.cfg").c_str(), (to + L"tolv3.cfg").c_str(), TRUE);
  const std::wstring named = L"Configuration\\";
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((from + named + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  CreateDirectoryW((to + named).c_str(), nullptr);
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      CopyFileW((from + named + found.cFileName).c_str(), (to + named + found.cFileName).c_str(), TRUE);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace

std::wstring Win32DataFiles::dataFolder() {
  if (!resolved_.empty()) return resolved_;
  const std::wstring program = programFolder_.empty() ? DataFolderOfModule(ModulePath()) : programFolder_;
  const std::wstring perUser = perUserFolder_.empty() ? PerUserDataFolder() : perUserFolder_;
  const bool writable = programFolderWritable_ ? *programFolderWritable_ : FolderIsWritable(program);
  resolved_ = ChooseDataFolder(program, writable, perUser);
  if (resolved_ != program) {
    if (createFolders(resolved_)) {
      takeOverInstalledConfiguration(program, resolved_);
    } else {
      resolved_ = program;  // nowhere better: saves will fail and say so
    }
  }
  return resolved_;
}

}  // namespace tolv
