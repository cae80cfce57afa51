#include "vcbridge/ipc/CBinary.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vcb {

namespace {
uint8_t* allocateZeroed(uint32_t size) {
  auto* p = new uint8_t[static_cast<size_t>(size) + 1];
  std::memset(p, 0, static_cast<size_t>(size) + 1);
  return p;
}
}  // namespace

CBinary::CBinary() : bytes_(allocateZeroed(0)), size_(0) {}

CBinary::CBinary(uint32_t size) : bytes_(allocateZeroed(size)), size_(size) {}

CBinary::CBinary(const void* bytes, uint32_t size) : bytes_(allocateZeroed(size)), size_(size) {
  if (bytes && size) std::memcpy(bytes_, bytes, size);
}

CBinary::CBinary(const CBinary& other) : CBinary(other.bytes_, other.size_) {}

CBinary& CBinary::operator=(const CBinary& other) {
  if (this != &other) {
    CBinary copy(other);
    std::swap(bytes_, copy.bytes_);
    std::swap(size_, copy.size_);
  }
  return *this;
}

CBinary::~CBinary() { delete[] bytes_; }

void CBinary::resize(uint32_t n) {
  uint8_t* fresh = allocateZeroed(n);
  delete[] bytes_;
  bytes_ = fresh;
  size_ = n;
}

void CBinary::copyTo(void* target, uint32_t n) const {
  if (!target || n == 0) return;
  std::memset(target, 0, n);
  if (bytes_) std::memcpy(target, bytes_, std::min(n, size_));
}

bool CBinary::read(uint32_t offset, uint32_t n, void* target, uint32_t capacity) const {
  if (static_cast<uint64_t>(size_) < static_cast<uint64_t>(offset) + n || capacity == 0 || !target)
    return false;
  if (n) std::memcpy(target, bytes_ + offset, std::min(capacity, n));
  return true;
}

bool CBinary::write(uint32_t offset, const void* source, uint32_t n) {
  if (offset >= size_ || n == 0 || !source) return false;
  std::memcpy(bytes_ + offset, source, std::min(n, size_ - offset));
  return true;
}

uint32_t CBinary::word(uint32_t offset) const {
  uint8_t b[4];
  if (!read(offset, 4, b, 4)) return 0;
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

bool CBinary::setWord(uint32_t offset, uint32_t value) {
  if (static_cast<uint64_t>(offset) + 4 > size_) return false;
  uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
  return write(offset, b, 4);
}

}  // namespace vcb
