#pragma once
#include <cstdint>

namespace vcb {

// Owning byte buffer in which every relay message moves. The storage always
// holds one byte more than size(), and that byte is 0.
class CBinary {
 public:
  CBinary();
  explicit CBinary(uint32_t size);
  CBinary(const void* bytes, uint32_t size);
  CBinary(const CBinary& other);
  CBinary& operator=(const CBinary& other);
  virtual ~CBinary();

  uint8_t* data() { return bytes_; }
  const uint8_t* data() const { return bytes_; }
  uint32_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // n zero bytes; the old contents are lost.
  void resize(uint32_t n);
  // Zeroes n bytes at target, then copies min(n, size) bytes there.
  void copyTo(void* target, uint32_t n) const;
  // False if size < offset + n or capacity is 0; else copies min(capacity, n) bytes.
  bool read(uint32_t offset, uint32_t n, void* target, uint32_t capacity) const;
  // False if offset >= size or n is 0; else copies min(n, size - offset) bytes.
  bool write(uint32_t offset, const void* source, uint32_t n);

  // Little-endian 32-bit word at offset; 0 when it does not fit.
  uint32_t word(uint32_t offset) const;
  bool setWord(uint32_t offset, uint32_t value);

 private:
  uint8_t* bytes_;
  uint32_t size_;
};

}  // namespace vcb
