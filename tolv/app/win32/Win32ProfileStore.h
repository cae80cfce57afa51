#pragma once
// The per-user store in the registry: one sub-key per section below the
// program's key; REG_DWORD numbers, REG_BINARY blocks, REG_SZ strings.
#include <windows.h>

#include <string>

#include "tolv/app/ProfileStore.h"

namespace tolv {

inline constexpr wchar_t kProfileKey[] = L"Software\\Quenmark\\Tolv";

class CRegistryProfileStore : public IProfileStore {
 public:
  // root is below HKEY_CURRENT_USER.
  explicit CRegistryProfileStore(std::wstring root = kProfileKey) : root_(std::move(root)) {}

  int GetProfileInt(const std::wstring& section, const std::wstring& name, int def) override;
  void WriteProfileInt(const std::wstring& section, const std::wstring& name, int value) override;
  std::optional<ProfileBytes> GetProfileBinary(const std::wstring& section, const std::wstring& name) override;
  // Blocks over kMaxProfileBinaryBytes are not written: they could never be read back.
  void WriteProfileBinary(const std::wstring& section, const std::wstring& name, const ProfileBytes& bytes) override;
  std::wstring GetProfileString(const std::wstring& section, const std::wstring& name,
                                const std::wstring& def) override;
  // Strings over kMaxProfileStringChars are not written, for the same reason.
  void WriteProfileString(const std::wstring& section, const std::wstring& name, const std::wstring& value) override;

  const std::wstring& root() const { return root_; }

 private:
  // The value's data when it exists, has the given type and at most limit bytes.
  std::optional<ProfileBytes> query(const std::wstring& section, const std::wstring& name, DWORD type,
                                    std::size_t limit) const;
  void set(const std::wstring& section, const std::wstring& name, DWORD type, const void* data, DWORD size);

  std::wstring root_;
};

}  // namespace tolv
