#include "tolv/app/win32/Win32ProfileStore.h"

#include <cstring>

namespace tolv {
namespace {

class KeyHandle {
 public:
  KeyHandle() = default;
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  ~KeyHandle() {
    if (key_) RegCloseKey(key_);
  }
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

std::optional<ProfileBytes> CRegistryProfileStore::query(const std::wstring& section, const std::wstring& name,
                                                          DWORD type, std::size_t limit) const {
  const std::wstring path = root_ + L"\\" + section;
  KeyHandle key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS)
    return std::nullopt;
  DWORD actualType = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &actualType, nullptr, &size) != ERROR_SUCCESS ||
      actualType != type || size > limit)
    return std::nullopt;
  // One spare byte so that an empty value still has a buffer to point at.
  ProfileBytes data(size + 1u);
  DWORD got = size;
  // The value may have changed since its size was asked: a larger one fails
  // with ERROR_MORE_DATA and is treated as unreadable.
  if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &actualType, data.data(), &got) != ERROR_SUCCESS ||
      actualType != type || got > size)
    return std::nullopt;
  data.resize(got);
  return data;
}

void CRegistryProfileStore::set(const std::wstring& section, const std::wstring& name, DWORD type, const void* data,
                                DWORD size) {
  const std::wstring path = root_ + L"\\" + section;
  KeyHandle key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.out(), nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

int CRegistryProfileStore::GetProfileInt(const std::wstring& section, const std::wstring& name, int def) {
  const auto data = query(section, name, REG_DWORD, sizeof(DWORD));
  if (!data || data->size() != sizeof(DWORD)) return def;
  DWORD value = 0;
  std::memcpy(&value, data->data(), sizeof value);
  return static_cast<int>(value);
}

void CRegistryProfileStore::WriteProfileInt(const std::wstring& section, const std::wstring& name, int value) {
  const DWORD data = static_cast<DWORD>(value);
  set(section, name, REG_DWORD, &data, sizeof data);
}

std::optional<ProfileBytes> CRegistryProfileStore::GetProfileBinary(const std::wstring& section,
                                                                    const std::wstring& name) {
  return query(section, name, REG_BINARY, kMaxProfileBinaryBytes);
}

void CRegistryProfileStore::WriteProfileBinary(const std::wstring& section, const std::wstring& name,
                                               const ProfileBytes& bytes) {
  if (bytes.size() > kMaxProfileBinaryBytes) return;
  set(section, name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

std::wstring CRegistryProfileStore::GetProfileString(const std::wstring& section, const std::wstring& name,
                                                     const std::wstring& def) {
  // Room for the terminator, which the stored data may or may not carry.
  const auto data = query(section, name, REG_SZ, (kMaxProfileStringChars + 1) * sizeof(wchar_t));
  if (!data) return def;
  std::wstring text(data->size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) std::memcpy(text.data(), data->data(), text.size() * sizeof(wchar_t));
  // The text ends at its first terminator, wherever that is.
  const auto end = text.find(L'\0');
  if (end != std::wstring::npos) text.resize(end);
  return text.size() > kMaxProfileStringChars ? def : text;
}

void CRegistryProfileStore::WriteProfileString(const std::wstring& section, const std::wstring& name,
                                               const std::wstring& value) {
  if (value.size() > kMaxProfileStringChars) return;
  set(section, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace tolv
