#pragma once
// Fields of the player's record files (configuration, playlist, bookmarks):
// little-endian numbers and length-prefixed strings in the framework's archive
// form. Strings are written as UTF-16LE behind the FF FE FF marker; strings
// without the marker hold 8-bit characters of the system code page.
//
// Text is a std::wstring of UTF-16 code units (one code unit per element on
// every platform), so a string read and written again keeps its bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

// Turns the bytes of an 8-bit string into UTF-16 code units.
using NarrowDecoder = std::wstring (*)(std::string_view bytes);

// The decoder for strings without the marker. The default reads Windows-1252,
// the code page of Western systems; the Windows build installs the system's.
void setNarrowDecoder(NarrowDecoder decoder);
std::wstring decodeNarrow(std::string_view bytes);
std::wstring decodeWindows1252(std::string_view bytes);

// Reads fields from a buffer it does not own. Every read checks what is left
// first; the first read that does not fit fails, and so does every read after
// it, so a caller may read a run of fields and test ok() once.
class ArchiveReader {
 public:
  explicit ArchiveReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool readU8(uint8_t& value);
  bool readI32(int32_t& value);
  bool readU32(uint32_t& value);
  bool readI64(int64_t& value);
  bool readDouble(double& value);
  // A length longer than the bytes left fails without allocating.
  bool readString(std::wstring& value);

  bool ok() const { return ok_; }
  size_t remaining() const { return ok_ ? bytes_.size() - pos_ : 0; }
  size_t position() const { return pos_; }

 private:
  bool take(size_t count, const uint8_t*& data);
  uint64_t readLength(bool& ok);

  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
};

// Appends fields to a growing buffer.
class ArchiveWriter {
 public:
  void writeU8(uint8_t value);
  void writeI32(int32_t value);
  void writeU32(uint32_t value);
  void writeI64(int64_t value);
  void writeDouble(double value);
  // Always the UTF-16 form: FF FE FF, the length in 1, 3 or 7 bytes, the code units.
  void writeString(std::wstring_view value);

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::vector<uint8_t> take() { return std::move(bytes_); }

 private:
  void put(uint64_t value, int size);
  std::vector<uint8_t> bytes_;
};

}  // namespace tolv
