#pragma once
// In-memory profile store: what the registry would hold, including values of
// the wrong type, so that readers can be tested against damaged stores.
#include <map>
#include <string>
#include <utility>
#include <variant>

#include "tolv/app/ProfileStore.h"

namespace tolv::testing {

class FakeProfileStore : public IProfileStore {
 public:
  using Value = std::variant<int, ProfileBytes, std::wstring>;
  using Key = std::pair<std::wstring, std::wstring>;

  int GetProfileInt(const std::wstring& section, const std::wstring& name, int def) override;
  void WriteProfileInt(const std::wstring& section, const std::wstring& name, int value) override;
  std::optional<ProfileBytes> GetProfileBinary(const std::wstring& section, const std::wstring& name) override;
  void WriteProfileBinary(const std::wstring& section, const std::wstring& name, const ProfileBytes& bytes) override;
  std::wstring GetProfileString(const std::wstring& section, const std::wstring& name,
                                const std::wstring& def) override;
  void WriteProfileString(const std::wstring& section, const std::wstring& name, const std::wstring& value) override;

  // Section and value names compare without regard to case, as in the registry.
  std::map<Key, Value> values;
  // Writes are dropped while set (a store that cannot be written).
  bool readOnly = false;

 private:
  const Value* find(const std::wstring& section, const std::wstring& name) const;
  void put(const std::wstring& section, const std::wstring& name, Value v);
};

}  // namespace tolv::testing
