#pragma once
// A short recording for the Wine suites: 16-bit mono PCM, a quiet 440 Hz tone.
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tolv::testing {

inline void WriteWavFile(const std::wstring& path, double seconds) {
  const uint32_t rate = 8000;
  const uint32_t samples = static_cast<uint32_t>(seconds * rate);
  std::vector<int16_t> pcm(samples);
  for (uint32_t i = 0; i < samples; ++i) pcm[i] = static_cast<int16_t>(3000 * std::sin(i * 2 * 3.14159265 * 440 / rate));
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  const uint32_t bytes = samples * 2;
  out.write("RIFF", 4);
  u32(36 + bytes);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  out.write("data", 4);
  u32(bytes);
  out.write(reinterpret_cast<const char*>(pcm.data()), bytes);
}

}  // namespace tolv::testing
