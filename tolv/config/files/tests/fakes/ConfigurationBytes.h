#pragma once
// Hand-made bytes of the configuration files, field by field, for tests.
// Strings are spelt out here rather than produced by the archive writer.
#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace testing_tolv {

using Bytes = std::vector<uint8_t>;

inline Bytes I32(int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  return {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
}

inline Bytes U8(uint8_t v) { return {v}; }

// FF FE FF, the length (one byte below 255, else FF and 16 bits), UTF-16LE.
inline Bytes Str(const std::wstring& s) {
  Bytes b = {0xFF, 0xFE, 0xFF};
  if (s.size() < 0xFF) {
    b.push_back(uint8_t(s.size()));
  } else {
    b.insert(b.end(), {0xFF, uint8_t(s.size()), uint8_t(s.size() >> 8)});
  }
  for (wchar_t c : s) b.insert(b.end(), {uint8_t(c), uint8_t(uint16_t(c) >> 8)});
  return b;
}

inline Bytes Date(int32_t status, double value) {
  Bytes b = I32(status);
  const auto u = std::bit_cast<uint64_t>(value);
  for (int i = 0; i < 8; ++i) b.push_back(uint8_t(u >> (8 * i)));
  return b;
}

// Fields numbered from 1 as in the file; element 0 is unused.
using Fields = std::vector<Bytes>;

inline Bytes Join(const Fields& fields, size_t first = 1, size_t last = 0) {
  if (last == 0) last = fields.size() - 1;
  Bytes all;
  for (size_t i = first; i <= last; ++i) all.insert(all.end(), fields[i].begin(), fields[i].end());
  return all;
}

// tolv3.cfg as the first save writes it: 105 fields.
inline Fields FirstStartMainFields() {
  const std::wstring snippet = L"[type your text here]";
  Fields f = {{}};
  auto add = [&f](std::initializer_list<Bytes> fields) { f.insert(f.end(), fields); };
  add({I32(0), I32(0), I32(0), I32(0), I32(0), I32(0), I32(0)});                     // 1-7
  add({U8(0x70), Str(L"F1"), U8(0x73), Str(L"F4"), U8(0x76), Str(L"F7"), U8(0x77), Str(L"F8"),
       U8(0x78), Str(L"F9")});                                                        // 8-17 records 1-5
  add({U8(0x71), Str(L"F2"), Str(L"[unclear]"), U8(0x72), Str(L"F3"), Str(L"[overtalking]"),
       U8(0x75), Str(L"F6"), Str(snippet), U8(0x79), Str(L"F10"), Str(snippet), U8(0x7A), Str(L"F11"),
       Str(snippet), U8(0x7B), Str(L"F12"), Str(L""), U8(0x74), Str(L"F5"), Str(L"")});  // 18-38 records 6-12
  for (int i = 39; i <= 46; ++i) add({I32(0)});                                       // extension flags
  add({I32(1), Date(0, 0.0), I32(0)});                                                // 47-49
  add({Str(L""), Str(L":"), Str(L":"), Str(L""), I32(1), Str(L""), Str(L""), I32(0)}); // 50-57
  add({Str(L""), Str(L""), Str(L""), Str(L""), I32(0), I32(0), I32(0), I32(0), I32(0)});  // 58-66
  add({Str(L""), I32(1), I32(1), I32(1), I32(0)});                                    // 67-71
  add({U8(0x91), Str(L"SCROLL")});                                                    // 72-73 record 13
  for (int i = 74; i <= 81; ++i) add({I32(0)});
  add({I32(1), I32(1), I32(0)});                                                      // 82-84
  for (int i = 85; i <= 89; ++i) add({I32(0)});
  add({I32(0), I32(0)});                                                              // 90-91
  add({Str(L"NUMPAD5"), Str(L""), U8(0x65), Str(L"NUMPAD8"), Str(L""), U8(0x68), Str(L"NUMPAD2"),
       Str(L""), U8(0x62)});                                                          // 92-100 records 14-16
  add({I32(0), I32(1), I32(1), I32(1), I32(0)});                                      // 101-105
  return f;
}

// Configuration\DEFAULT as the first save writes it: 43 fields.
inline Fields DefaultNamedFields() {
  const std::wstring snippet = L"[type your text here]";
  Fields f = {{}};
  auto add = [&f](std::initializer_list<Bytes> fields) { f.insert(f.end(), fields); };
  add({I32(1), I32(1), I32(1), I32(0), I32(0), I32(0), I32(0), I32(0), I32(0)});     // 1-9
  add({Str(L"_"), Str(L":"), Str(L":"), Str(L"_"), Str(L""), Str(L"")});             // 10-15
  add({I32(0), I32(0), I32(0), I32(0)});                                              // 16-19
  add({Str(L"_%H:%M:%S_"), Str(L"_-%H:%M:%S_")});                                     // 20-21
  add({Str(L"F2"), Str(L"F3"), Str(L"F6"), Str(L"F10"), Str(L"F11")});                // 22-26
  add({Str(L"[unclear]"), Str(L"[overtalking]"), Str(snippet), Str(snippet), Str(snippet)});  // 27-31
  add({I32(0), U8(0x71), U8(0x72), U8(0x75), U8(0x79), U8(0x7A)});                   // 32-37
  add({I32(5), I32(5), I32(2), I32(0), I32(0), I32(1)});                              // 38-43
  return f;
}

}  // namespace testing_tolv
