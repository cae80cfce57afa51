#pragma once
// Building blocks of hand-made record files.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tolv::testing {

using Bytes = std::vector<uint8_t>;

inline Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

inline Bytes i32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

inline Bytes i64(uint64_t v) { return cat({i32(static_cast<uint32_t>(v)), i32(static_cast<uint32_t>(v >> 32))}); }

// A short marked string: FF FE FF, a one-byte length, UTF-16LE code units.
inline Bytes str(const std::wstring& s) {
  Bytes b = {0xFF, 0xFE, 0xFF, static_cast<uint8_t>(s.size())};
  for (wchar_t c : s) {
    b.push_back(static_cast<uint8_t>(c));
    b.push_back(static_cast<uint8_t>(static_cast<uint16_t>(c) >> 8));
  }
  return b;
}

}  // namespace tolv::testing
