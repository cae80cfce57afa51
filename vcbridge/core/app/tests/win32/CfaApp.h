#pragma once
// The application's side of the CFA segment "VARNETH_DSS_SMEM_CFA", driven
// as an application drives it: fill the segment under its mutex, set the
// request event, wait for the response event, read the result.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace vcb::testing {

namespace cfa {
enum : uint32_t { kRequest = 0, kLength = 4, kResult = 8, kBytesRead = 12, kTimeout = 16, kData = 20 };
enum : uint32_t { kRefresh = 0, kRead = 1, kWrite = 2 };
constexpr uint32_t kSegment = 20000;
constexpr uint32_t kReadSize = 2048;
}  // namespace cfa

inline void putWord(uint8_t* segment, uint32_t offset, uint32_t v) { std::memcpy(segment + offset, &v, 4); }

class CfaApp {
 public:
  ~CfaApp() {
    if (view_) UnmapViewOfFile(view_);
    for (HANDLE h : {mapping_, mutex_, request_, response_})
      if (h) CloseHandle(h);
  }

  bool open() {
    mapping_ = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, L"VARNETH_DSS_SMEM_CFA");
    if (mapping_) view_ = static_cast<uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, cfa::kSegment));
    mutex_ = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, L"VARNETH_DSS_SMEM_CFA_MUTEX");
    // Made by whichever side comes first, the relay or an application.
    request_ = CreateEventW(nullptr, FALSE, FALSE, L"VARNETH_DSS_SMEM_CFA_REQUEST");
    response_ = CreateEventW(nullptr, FALSE, FALSE, L"VARNETH_DSS_SMEM_CFA_RESPONCE");
    return view_ && mutex_ && request_ && response_;
  }

  // One request: fill under the mutex, let go of it, signal, wait for the
  // answer, then take the mutex again to read. False when no answer came.
  bool call(const std::function<void(uint8_t*)>& fill, DWORD timeoutMs = 10000) {
    return post(fill) && waitForAnswer(timeoutMs);
  }
  // The first half of call(): the request is on its way.
  bool post(const std::function<void(uint8_t*)>& fill) {
    if (WaitForSingleObject(mutex_, 5000) != WAIT_OBJECT_0) return false;
    fill(view_);
    ReleaseMutex(mutex_);
    return SetEvent(request_) != FALSE;
  }
  // The second half: false when no answer came within timeoutMs.
  bool waitForAnswer(DWORD timeoutMs) {
    if (WaitForSingleObject(response_, timeoutMs) != WAIT_OBJECT_0) return false;
    if (WaitForSingleObject(mutex_, 5000) != WAIT_OBJECT_0) return false;
    std::memcpy(snapshot_.data(), view_, cfa::kSegment);
    ReleaseMutex(mutex_);
    return true;
  }

  // Whether somebody else (the relay, inside a request) holds the mutex now.
  bool mutexHeldElsewhere() {
    if (WaitForSingleObject(mutex_, 0) == WAIT_TIMEOUT) return true;
    ReleaseMutex(mutex_);
    return false;
  }

  // The segment as read after the last answer.
  uint32_t word(uint32_t offset) const {
    uint32_t v;
    std::memcpy(&v, snapshot_.data() + offset, 4);
    return v;
  }
  std::vector<uint8_t> bytes(uint32_t offset, uint32_t n) const {
    return std::vector<uint8_t>(snapshot_.begin() + offset, snapshot_.begin() + offset + n);
  }
  const std::vector<uint8_t>& segment() const { return snapshot_; }

 private:
  HANDLE mapping_ = nullptr, mutex_ = nullptr, request_ = nullptr, response_ = nullptr;
  uint8_t* view_ = nullptr;
  std::vector<uint8_t> snapshot_ = std::vector<uint8_t>(cfa::kSegment);
};

}  // namespace vcb::testing
