#pragma once
#include <atomic>
#include <cstdint>

#include "vcbridge/core/Kernel.h"

namespace vcb {

struct KernelHandleTraits {
  static void close(Handle h) { kernel().closeHandle(h); }
};

class HandleBase {
 public:
  virtual ~HandleBase() = default;
};

// An OS handle shared by reference count; the last reference closes it.
template <class HandleTraits>
class HandleImpl : public HandleBase {
 public:
  HandleImpl() = default;
  explicit HandleImpl(Handle h) : raw_(h) {
    if (h) block_ = new Block{1, h};
  }
  HandleImpl(const HandleImpl& o) : raw_(o.raw_), block_(o.block_) {
    if (block_) block_->refs.fetch_add(1);
  }
  HandleImpl& operator=(const HandleImpl& o) {
    if (this != &o) {
      HandleImpl copy(o);
      swap(copy);
    }
    return *this;
  }
  ~HandleImpl() override { release(); }

  void reset(Handle h) {
    HandleImpl fresh(h);
    swap(fresh);
  }

  // Closes the handle for every holder at once.
  void close() {
    if (block_ && block_->handle) {
      HandleTraits::close(block_->handle);
      block_->handle = nullptr;
    }
    release();
  }

  Handle get() const { return block_ ? block_->handle : nullptr; }
  bool isNull() const { return !block_ || !block_->handle; }

 private:
  struct Block {
    std::atomic<int32_t> refs;
    Handle handle;
  };

  void release() {
    if (block_ && block_->refs.fetch_sub(1) == 1) {
      if (block_->handle) HandleTraits::close(block_->handle);
      delete block_;
    }
    block_ = nullptr;
    raw_ = nullptr;
  }
  void swap(HandleImpl& o) {
    std::swap(raw_, o.raw_);
    std::swap(block_, o.block_);
  }

  Handle raw_ = nullptr;
  Block* block_ = nullptr;
};

using KernelHandle = HandleImpl<KernelHandleTraits>;

}  // namespace vcb
