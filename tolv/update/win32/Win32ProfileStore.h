#pragma once
// The per-user store in the registry: one sub-key per section below the
// program's key, DWORD values.
#include <windows.h>

#include <string>

#include "tolv/update/ProfileStore.h"

namespace tolv {

inline constexpr wchar_t kProfileKey[] = L"Software\\Quenmark\\Tolv";

class CRegistryProfileStore : public IProfileStore {
 public:
  // root is below HKEY_CURRENT_USER.
  explicit CRegistryProfileStore(std::wstring root = kProfileKey) : root_(std::move(root)) {}

  int GetProfileInt(const std::wstring& section, const std::wstring& name, int def) override;
  void WriteProfileInt(const std::wstring& section, const std::wstring& name, int value) override;

 private:
  std::wstring root_;
};

}  // namespace tolv
