#pragma once
// The request pipe between the channel doubles (WFAPI.dll, wtsapi32.dll) and
// vcb_client_emulator.exe. Each request is one message on
// "\\.\pipe\<base>.rpc" (message mode), answered by one reply message:
//
//   request: op[4] ASCII | channel[8] ASCII, zero-padded | payload
//   reply:   ok (u32, 1 or 0) | value (u32: bytes written, connect state, or
//            the system error when ok is 0)
//
//   OPEN  payload = UTF-16LE name of the pipe the double created for the
//         channel's incoming packets; the emulator connects to it as a writer
//   CLOS  the emulator lets go of that pipe
//   WRIT  payload = one packet from the relay; value = bytes "written"
//   QURY  is the channel usable (value unused)
//   STAT  session connect state (channel ignored)
//   PRGI  / PRGO purge input / output
//
// Packets towards the relay are whole messages on the double's pipe, so
// one ReadFile returns one packet. Little-endian throughout.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vcb::emulator {

inline constexpr char kEnvPipe[] = "KIT_EMULATOR_PIPE";  // <base>; doubles read it at each call
inline constexpr uint32_t kMaxMessage = 1u << 20;

inline constexpr char kOpOpen[] = "OPEN";
inline constexpr char kOpClose[] = "CLOS";
inline constexpr char kOpWrite[] = "WRIT";
inline constexpr char kOpQuery[] = "QURY";
inline constexpr char kOpState[] = "STAT";
inline constexpr char kOpPurgeInput[] = "PRGI";
inline constexpr char kOpPurgeOutput[] = "PRGO";

inline constexpr size_t kRequestHead = 12;

inline std::vector<uint8_t> request(const char* op, const std::string& channel, const void* payload,
                                    size_t size) {
  std::vector<uint8_t> m(kRequestHead + size, 0);
  std::memcpy(m.data(), op, 4);
  std::memcpy(m.data() + 4, channel.data(), channel.size() < 8 ? channel.size() : 8);
  if (size) std::memcpy(m.data() + kRequestHead, payload, size);
  return m;
}

struct Reply {
  uint32_t ok = 0;
  uint32_t value = 0;
};

inline std::vector<uint8_t> encode(const Reply& r) {
  std::vector<uint8_t> m(8);
  for (int i = 0; i < 4; ++i) {
    m[i] = uint8_t(r.ok >> (8 * i));
    m[4 + i] = uint8_t(r.value >> (8 * i));
  }
  return m;
}

inline bool decode(const uint8_t* m, size_t size, Reply& r) {
  if (size < 8) return false;
  r.ok = uint32_t(m[0]) | uint32_t(m[1]) << 8 | uint32_t(m[2]) << 16 | uint32_t(m[3]) << 24;
  r.value = uint32_t(m[4]) | uint32_t(m[5]) << 8 | uint32_t(m[6]) << 16 | uint32_t(m[7]) << 24;
  return true;
}

// Packets travel as lower-case hex on the control pipe.
inline std::string toHex(const std::vector<uint8_t>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  s.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

inline bool fromHex(const std::string& hex, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (hex.size() % 2) return false;
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (size_t i = 0; i < hex.size(); i += 2) {
    int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes.push_back(uint8_t(hi << 4 | lo));
  }
  return true;
}

}  // namespace vcb::emulator
