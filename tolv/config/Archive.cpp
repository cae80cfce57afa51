#include "tolv/config/Archive.h"

#include <bit>
#include <cstring>

namespace tolv {

namespace {

// 0x80..0x9F of Windows-1252; the rest of the code page matches Latin-1.
// Bytes the code page leaves undefined map to themselves, as Windows does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

NarrowDecoder narrowDecoder = &decodeWindows1252;

}  // namespace

std::wstring decodeWindows1252(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    text.push_back(static_cast<wchar_t>(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b));
  }
  return text;
}

void setNarrowDecoder(NarrowDecoder decoder) { narrowDecoder = decoder ? decoder : &decodeWindows1252; }
std::wstring decodeNarrow(std::string_view bytes) { return narrowDecoder(bytes); }

bool ArchiveReader::take(size_t count, const uint8_t*& data) {
  if (!ok_ || count > bytes_.size() - pos_) {
    ok_ = false;
    return false;
  }
  data = bytes_.data() + pos_;
  pos_ += count;
  return true;
}

static uint64_t littleEndian(const uint8_t* p, int size) {
  uint64_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

bool ArchiveReader::readU8(uint8_t& value) {
  const uint8_t* p;
  if (!take(1, p)) return false;
  value = p[0];
  return true;
}

bool ArchiveReader::readU32(uint32_t& value) {
  const uint8_t* p;
  if (!take(4, p)) return false;
  value = static_cast<uint32_t>(littleEndian(p, 4));
  return true;
}

bool ArchiveReader::readI32(int32_t& value) {
  uint32_t u;
  if (!readU32(u)) return false;
  value = static_cast<int32_t>(u);
  return true;
}

bool ArchiveReader::readI64(int64_t& value) {
  const uint8_t* p;
  if (!take(8, p)) return false;
  value = static_cast<int64_t>(littleEndian(p, 8));
  return true;
}

bool ArchiveReader::readDouble(double& value) {
  const uint8_t* p;
  if (!take(8, p)) return false;
  value = std::bit_cast<double>(littleEndian(p, 8));
  return true;
}

// The length forms: n < 0xFF in one byte; else FF and a 16-bit n; 16-bit
// FFFF announces a 32-bit n. FF FE FF (a 16-bit FFFE) marks the string as
// UTF-16 and is followed by the length proper.
uint64_t ArchiveReader::readLength(bool& wide) {
  wide = false;
  for (;;) {
    uint8_t b;
    if (!readU8(b)) return 0;
    if (b < 0xFF) return b;
    const uint8_t* p;
    if (!take(2, p)) return 0;
    const auto w = static_cast<uint16_t>(littleEndian(p, 2));
    if (w == 0xFFFE) {
      if (wide) break;  // a second marker: not a string of ours
      wide = true;
      continue;
    }
    if (w < 0xFFFF) return w;
    uint32_t n;
    if (!readU32(n)) return 0;
    return n;
  }
  ok_ = false;
  return 0;
}

bool ArchiveReader::readString(std::wstring& value) {
  bool wide;
  const uint64_t n = readLength(wide);
  if (!ok_) return false;
  const uint64_t size = wide ? n * 2 : n;
  // The length is checked against the bytes present before anything is allocated.
  if (size > bytes_.size() - pos_) {
    ok_ = false;
    return false;
  }
  const uint8_t* p;
  take(static_cast<size_t>(size), p);
  if (wide) {
    value.resize(static_cast<size_t>(n));
    for (size_t i = 0; i < n; ++i) value[i] = static_cast<wchar_t>(p[2 * i] | (p[2 * i + 1] << 8));
  } else {
    value = decodeNarrow({reinterpret_cast<const char*>(p), static_cast<size_t>(n)});
  }
  return true;
}

void ArchiveWriter::put(uint64_t value, int size) {
  for (int i = 0; i < size; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void ArchiveWriter::writeU8(uint8_t value) { bytes_.push_back(value); }
void ArchiveWriter::writeI32(int32_t value) { put(static_cast<uint32_t>(value), 4); }
void ArchiveWriter::writeU32(uint32_t value) { put(value, 4); }
void ArchiveWriter::writeI64(int64_t value) { put(static_cast<uint64_t>(value), 8); }
void ArchiveWriter::writeDouble(double value) { put(std::bit_cast<uint64_t>(value), 8); }

void ArchiveWriter::writeString(std::wstring_view value) {
  const uint64_t n = value.size();
  put(0xFFFEFF, 3);  // FF FE FF
  if (n < 0xFF) {
    put(n, 1);
  } else if (n < 0xFFFE) {
    put(0xFF, 1);
    put(n, 2);
  } else {
    put(0xFFFFFF, 3);
    put(n, 4);
  }
  bytes_.reserve(bytes_.size() + 2 * n);
  for (wchar_t c : value) put(static_cast<uint16_t>(c), 2);
}

}  // namespace tolv
