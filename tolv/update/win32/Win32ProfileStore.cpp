#include "tolv/update/win32/Win32ProfileStore.h"

namespace tolv {

int CRegistryProfileStore::GetProfileInt(const std::wstring& section, const std::wstring& name, int def) {
  const std::wstring key = root_ + L"\\" + section;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS)
    return def;
  return static_cast<int>(value);
}

void CRegistryProfileStore::WriteProfileInt(const std::wstring& section, const std::wstring& name, int value) {
  const std::wstring key = root_ + L"\\" + section;
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS)
    return;
  const DWORD data = static_cast<DWORD>(value);
  RegSetValueExW(handle, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
  RegCloseKey(handle);
}

}  // namespace tolv
