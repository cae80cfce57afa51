#include "vcbridge/channels/win32/RelayClient.h"

#include <algorithm>

#include "vcbridge/channels/SegmentMessage.h"

namespace vcb {

namespace {

const wchar_t kRelayClass[] = L"VRVC_WindowClass_VCB";
const wchar_t kReplyClass[] = L"VRVC_RelayClient_Reply";
const wchar_t kNotifyRing[] = L"VARNETH_DSS_SMEM_NOTIFY";

constexpr uint32_t kChannelOpenCommand = 133;
constexpr uint32_t kSubscribeCommand = 130;
constexpr uint32_t kUnsubscribeCommand = 131;
constexpr uint32_t kEndCommand = 134;

// Lets the relay open our objects whatever account it runs under.
struct NullDacl {
  SECURITY_DESCRIPTOR sd;
  SECURITY_ATTRIBUTES sa;
  NullDacl() {
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
    sa = {sizeof(sa), &sd, FALSE};
  }
};

// Bytes of a view that can be touched: a mapping made smaller by someone
// else must not be read as if it were a whole segment.
SIZE_T viewSize(const void* view) {
  MEMORY_BASIC_INFORMATION info{};
  return VirtualQuery(view, &info, sizeof(info)) ? info.RegionSize : 0;
}

bool registerReplyClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kReplyClass;
  return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

double elapsedMs(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(to.QuadPart - from.QuadPart) * 1000.0 / double(f.QuadPart);
}

void putWord(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

uint32_t windowId(HWND w) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(w)); }

}  // namespace

const char* RelayClient::describe(Result r) {
  switch (r) {
    case Result::ok: return "ok";
    case Result::notOpen: return "client not open";
    case Result::setupFailed: return "segment, mutex or reply window could not be made";
    case Result::relayNotFound: return "relay not running";
    case Result::tooLarge: return "request does not fit into the segment";
    case Result::busy: return "segment busy";
    case Result::postFailed: return "relay window did not take the message";
    case Result::timedOut: return "no answer in time";
    case Result::relayGone: return "relay ended while waiting";
    case Result::badAnswer: return "answer runs past the end of the segment";
  }
  return "?";
}

RelayClient::RelayClient(int32_t keyA, int32_t keyB)
    : keyA_(keyA), keyB_(keyB), name_(vcb::segmentName(keyA, keyB)) {}

RelayClient::~RelayClient() { close(); }

void RelayClient::close() {
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  if (view_) UnmapViewOfFile(view_);
  view_ = nullptr;
  if (mapping_) CloseHandle(mapping_);
  mapping_ = nullptr;
  if (mutex_) CloseHandle(mutex_);
  mutex_ = nullptr;
  if (ringView_) UnmapViewOfFile(ringView_);
  ringView_ = nullptr;
  if (ring_) CloseHandle(ring_);
  ring_ = nullptr;
}

HWND RelayClient::findRelay() { return FindWindowW(kRelayClass, kRelayClass); }

RelayClient::Result RelayClient::open() {
  if (isOpen()) return Result::ok;
  commandMessage_ = RegisterWindowMessageW(L"WMSZ_DSS_COMMAND");
  notifyMessage_ = RegisterWindowMessageW(L"WMSZ_DSS_NOTIFY");
  sessionMessage_ = RegisterWindowMessageW(L"WMSZ_DSS_SESSIONNOTIFY");
  if (!commandMessage_ || !notifyMessage_ || !sessionMessage_) return Result::setupFailed;

  NullDacl dacl;
  // An existing segment of the same name belongs to a partner application
  // that shares it with us; the mutex keeps our requests apart.
  mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, &dacl.sa, PAGE_READWRITE, 0, kSegmentSize,
                                name_.c_str());
  if (mapping_) view_ = static_cast<uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (view_ && viewSize(view_) < kSegmentSize) {
    UnmapViewOfFile(view_);
    view_ = nullptr;
  }
  const std::wstring mutexName = segmentMutexName(keyA_, keyB_);
  if (view_) mutex_ = CreateMutexW(&dacl.sa, FALSE, mutexName.c_str());
  if (mutex_ && registerReplyClass())
    window_ = CreateWindowExW(0, kReplyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!window_) {
    close();
    return Result::setupFailed;
  }
  return Result::ok;
}

RelayClient::Result RelayClient::request(uint32_t command, const std::vector<uint8_t>& data,
                                         DWORD timeoutMs, Answer* answer, bool readBack) {
  PacketHeader h;
  h.command = command;
  if (data.size() > kMaxData) return Result::tooLarge;
  return request(h, data.data(), uint32_t(data.size()), timeoutMs, answer, readBack);
}

RelayClient::Result RelayClient::request(const PacketHeader& header, const uint8_t* data,
                                         uint32_t size, DWORD timeoutMs, Answer* answer,
                                         bool readBack) {
  if (!isOpen()) return Result::notOpen;
  if (size > kMaxData) return Result::tooLarge;
  HWND relay = findRelay();
  if (!relay) return Result::relayNotFound;

  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  DWORD got = WaitForSingleObject(mutex_, timeoutMs);
  // An owner that died mid-request leaves only its bytes behind; ours overwrite them.
  if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) return Result::busy;

  // A completion that came after an earlier time-out must not pass for ours.
  MSG stale;
  while (PeekMessageW(&stale, window_, commandMessage_, commandMessage_, PM_REMOVE)) {
  }

  PacketHeader h = header;
  h.dataLength = size;
  h.fragmentFirst = 0;
  h.fragmentLast = size;
  h.replyWindow = windowId(window_);
  h.segmentKeyA = static_cast<uint32_t>(keyA_);
  h.segmentKeyB = static_cast<uint32_t>(keyB_);
  writeSegmentMessage(view_, kSegmentSize, h, data, size);

  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  Result r = Result::postFailed;
  if (PostMessageW(relay, commandMessage_, static_cast<WPARAM>(static_cast<uint32_t>(keyA_)),
                   static_cast<LPARAM>(keyB_)))
    r = waitForCompletion(relay, deadline);
  QueryPerformanceCounter(&end);

  if (r == Result::ok && answer) {
    answer->roundTripMs = elapsedMs(start, end);
    if (readBack && readSegmentMessage(view_, kSegmentSize, &answer->header, &answer->data) !=
                        SegmentRead::ok)
      r = Result::badAnswer;
  }
  ReleaseMutex(mutex_);
  return r;
}

RelayClient::Result RelayClient::waitForCompletion(HWND relay, ULONGLONG deadline) {
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, window_, 0, 0, PM_REMOVE))
      if (take(msg)) return Result::ok;
    if (!IsWindow(relay)) {
      // The relay may post its answer and end at once (command 134).
      while (PeekMessageW(&msg, window_, 0, 0, PM_REMOVE))
        if (take(msg)) return Result::ok;
      return Result::relayGone;
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return Result::timedOut;
    // Short slices: the relay's window is looked at again between them.
    DWORD slice = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50));
    MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_POSTMESSAGE | QS_SENDMESSAGE);
  }
}

bool RelayClient::take(const MSG& msg) {
  if (msg.message == commandMessage_)
    return static_cast<uint32_t>(msg.lParam) == static_cast<uint32_t>(keyB_);
  if (msg.message == notifyMessage_) {
    copyNotification(static_cast<uint32_t>(msg.lParam));
    return false;
  }
  if (subscribedMessage_ && msg.message == subscribedMessage_) {
    Event e;
    e.kind = Event::sessionNotice;
    e.connected = msg.wParam == 1;
    events_.push_back(std::move(e));
    return false;
  }
  DispatchMessageW(&msg);
  return false;
}

// The ring is written without a lock and a slot is reused after 49 further
// notifications, so the slot is copied out as soon as it is announced.
void RelayClient::copyNotification(uint32_t slot) {
  if (!ringView_) {
    if (!ring_) ring_ = OpenFileMappingW(FILE_MAP_READ, FALSE, kNotifyRing);
    if (ring_) ringView_ = static_cast<uint8_t*>(MapViewOfFile(ring_, FILE_MAP_READ, 0, 0, 0));
  }
  Event e;
  e.kind = Event::notification;
  e.slot = slot;
  if (ringView_) {
    const SIZE_T size = std::min<SIZE_T>(viewSize(ringView_), kNotifyRingSize);
    e.readable = readNotifySlot(ringView_, uint32_t(size), slot, &e.header, &e.data) == SegmentRead::ok;
  }
  events_.push_back(std::move(e));
}

bool RelayClient::waitForEvents(size_t count, DWORD timeoutMs) {
  if (!isOpen()) return false;
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) {
      if (!take(msg)) continue;
      // A completion nobody waits for: an answer the client sent unasked.
      Event e;
      e.kind = Event::completion;
      readSegmentMessage(view_, kSegmentSize, &e.header, &e.data);
      events_.push_back(std::move(e));
    }
    if (events_.size() >= count) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                              QS_POSTMESSAGE | QS_SENDMESSAGE);
  }
}

RelayClient::Result RelayClient::queryChannelOpen(DWORD timeoutMs, bool* open, Answer* answer) {
  Answer local;
  Answer* a = answer ? answer : &local;
  PacketHeader h;
  h.command = kChannelOpenCommand;
  const uint8_t word[4] = {};
  Result r = request(h, word, sizeof(word), timeoutMs, a);
  if (r == Result::ok && a->data.size() < 4) r = Result::badAnswer;
  if (open) *open = r == Result::ok && a->data[0] == 1 && !a->data[1] && !a->data[2] && !a->data[3];
  return r;
}

RelayClient::Result RelayClient::subscribe(DWORD timeoutMs, uint32_t message) {
  if (!isOpen()) return Result::notOpen;
  subscribedMessage_ = message ? message : sessionMessage_;
  std::vector<uint8_t> data;
  putWord(data, windowId(window_));
  putWord(data, subscribedMessage_);
  PacketHeader h;
  h.command = kSubscribeCommand;
  return request(h, data.data(), uint32_t(data.size()), timeoutMs, nullptr, false);
}

RelayClient::Result RelayClient::unsubscribe(DWORD timeoutMs) {
  if (!isOpen()) return Result::notOpen;
  std::vector<uint8_t> data;
  putWord(data, windowId(window_));
  putWord(data, subscribedMessage_ ? subscribedMessage_ : sessionMessage_);
  PacketHeader h;
  h.command = kUnsubscribeCommand;
  return request(h, data.data(), uint32_t(data.size()), timeoutMs, nullptr, false);
}

RelayClient::Result RelayClient::endRelay(DWORD timeoutMs) {
  PacketHeader h;
  h.command = kEndCommand;
  return request(h, nullptr, 0, timeoutMs, nullptr, false);
}

}  // namespace vcb
