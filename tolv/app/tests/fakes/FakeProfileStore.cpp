#include "tolv/app/tests/fakes/FakeProfileStore.h"

#include "tolv/app/SettingsStore.h"

namespace tolv::testing {
namespace {

bool sameName(const std::wstring& a, const std::wstring& b) { return LowerMediumName(a) == LowerMediumName(b); }

}  // namespace

const FakeProfileStore::Value* FakeProfileStore::find(const std::wstring& section, const std::wstring& name) const {
  for (const auto& [key, value] : values)
    if (sameName(key.first, section) && sameName(key.second, name)) return &value;
  return nullptr;
}

void FakeProfileStore::put(const std::wstring& section, const std::wstring& name, Value v) {
  if (readOnly) return;
  for (auto& [key, value] : values)
    if (sameName(key.first, section) && sameName(key.second, name)) {
      value = std::move(v);
      return;
    }
  values.emplace(Key{section, name}, std::move(v));
}

int FakeProfileStore::GetProfileInt(const std::wstring& section, const std::wstring& name, int def) {
  const Value* v = find(section, name);
  return v && std::holds_alternative<int>(*v) ? std::get<int>(*v) : def;
}

void FakeProfileStore::WriteProfileInt(const std::wstring& section, const std::wstring& name, int value) {
  put(section, name, value);
}

std::optional<ProfileBytes> FakeProfileStore::GetProfileBinary(const std::wstring& section, const std::wstring& name) {
  const Value* v = find(section, name);
  if (!v || !std::holds_alternative<ProfileBytes>(*v)) return std::nullopt;
  const auto& bytes = std::get<ProfileBytes>(*v);
  if (bytes.size() > kMaxProfileBinaryBytes) return std::nullopt;
  return bytes;
}

void FakeProfileStore::WriteProfileBinary(const std::wstring& section, const std::wstring& name,
                                          const ProfileBytes& bytes) {
  put(section, name, bytes);
}

std::wstring FakeProfileStore::GetProfileString(const std::wstring& section, const std::wstring& name,
                                                const std::wstring& def) {
  const Value* v = find(section, name);
  if (!v || !std::holds_alternative<std::wstring>(*v)) return def;
  const auto& s = std::get<std::wstring>(*v);
  return s.size() > kMaxProfileStringChars ? def : s;
}

void FakeProfileStore::WriteProfileString(const std::wstring& section, const std::wstring& name,
                                          const std::wstring& value) {
  put(section, name, value);
}

}  // namespace tolv::testing
