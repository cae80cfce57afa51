// Stands in for the relay and the client side of its channel when the
// application end is tested: a hidden window of class "VRVC_WindowClass_VCB"
// that takes "WMSZ_DSS_COMMAND" from its queue and answers through the
// application's segment the way the relay does.
//
//   0 with first data word not 2    written back with statusCode 10
//   133                             48-byte reply, data word 0 = channel open
//   130 / 131                       subscription kept / dropped; completion only
//   134                             completion, then the program ends
//   anything else (and 0 with 2)    forwarded: a loop-back client echoes the
//                                   request; channel closed: resultCode 9
// Like the relay, it ends when a 131 leaves no subscriber and no window
// that sent command 1.
//
// Options:
//   --channel open|closed   what 133 reports and whether forwards come back (open)
//   --silent                take requests, answer none
//   --oversize              answers claim dataLength 50000
//   --vanish                end at the first request without answering
//   --notices N             after each 130: N session notices, disconnected
//                           then connected, alternating
//   --notifications N       after each 130: N notifications (command 1000,
//                           8 data bytes: index, slot) in the ring
//   --bad-notifications     after each 130: one notification for slot 50 and
//                           one whose dataLength (53) overruns its slot
//   --lifetime MS           end after MS milliseconds (default 60000)
// Exit codes: 0 ended by 134 or the last 131, 1 lifetime over, 2 set-up failed, 9 bad arguments.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/ipc/SharedMemory.h"

namespace {

using vcb::PacketHeader;

struct Options {
  bool channelOpen = true;
  bool silent = false;
  bool oversize = false;
  bool vanish = false;
  int notices = 0;
  int notifications = 0;
  bool badNotifications = false;
  DWORD lifetimeMs = 60000;
};

struct Relay {
  Options opt;
  HWND window = nullptr;
  UINT command = 0;
  UINT notify = 0;
  uint8_t* ring = nullptr;
  uint32_t lastSlot = 0;
  std::set<uint32_t> subscribers;
  std::set<uint32_t> openWindows;
  bool ending = false;
};

HWND toWindow(uint32_t id) { return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(id))); }

uint32_t word(const std::vector<uint8_t>& m, uint32_t offset) {
  if (m.size() < offset + 4) return 0;
  return uint32_t(m[offset]) | uint32_t(m[offset + 1]) << 8 | uint32_t(m[offset + 2]) << 16 |
         uint32_t(m[offset + 3]) << 24;
}

void setWord(std::vector<uint8_t>& m, uint32_t offset, uint32_t v) {
  if (m.size() < offset + 4) m.resize(offset + 4);
  for (int i = 0; i < 4; ++i) m[offset + i] = uint8_t(v >> (8 * i));
}

// The segment (keyA, keyB) mapped whole, or nullptr when it does not exist.
struct Segment {
  HANDLE mapping = nullptr;
  uint8_t* view = nullptr;
  Segment(int32_t keyA, int32_t keyB) {
    mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, vcb::segmentName(keyA, keyB).c_str());
    if (mapping) view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, vcb::kSegmentSize));
  }
  ~Segment() {
    if (view) UnmapViewOfFile(view);
    if (mapping) CloseHandle(mapping);
  }
};

// Header plus dataLength bytes; empty when the segment is missing or the
// length runs past it.
std::vector<uint8_t> readRequest(int32_t keyA, int32_t keyB) {
  Segment s(keyA, keyB);
  PacketHeader h;
  if (!s.view || !h.readFrom(s.view, vcb::kSegmentSize)) return {};
  if (h.dataLength > vcb::kSegmentSize - PacketHeader::kSize) return {};
  return std::vector<uint8_t>(s.view, s.view + PacketHeader::kSize + h.dataLength);
}

void writeBack(const Relay& r, std::vector<uint8_t> m) {
  if (r.opt.oversize) setWord(m, PacketHeader::dataLengthOffset, 50000);
  Segment s(int32_t(word(m, PacketHeader::segmentKeyAOffset)), int32_t(word(m, PacketHeader::segmentKeyBOffset)));
  if (!s.view || m.size() > vcb::kSegmentSize) return;
  std::memset(s.view, 0, m.size());
  std::memcpy(s.view, m.data(), m.size());
}

void complete(const Relay& r, const std::vector<uint8_t>& m) {
  PostMessageW(toWindow(word(m, PacketHeader::replyWindowOffset)), r.command, 0,
               static_cast<LPARAM>(static_cast<int32_t>(word(m, PacketHeader::segmentKeyBOffset))));
}

void postNotification(Relay& r, HWND to, uint32_t slotOverride, uint32_t dataLength, uint32_t index) {
  r.lastSlot = r.lastSlot < vcb::kNotifySlots - 1 ? r.lastSlot + 1 : 0;
  uint32_t slot = r.lastSlot;
  uint8_t* p = r.ring + slot * vcb::kNotifySlotSize;
  std::memset(p, 0, vcb::kNotifySlotSize);
  PacketHeader h;
  h.command = 1000;
  h.dataLength = dataLength;
  h.writeTo(p, vcb::kNotifySlotSize);
  std::vector<uint8_t> data;
  setWord(data, 0, index);
  setWord(data, 4, slot);
  std::memcpy(p + PacketHeader::kSize, data.data(), std::min<size_t>(data.size(), dataLength));
  PostMessageW(to, r.notify, 0, slotOverride ? slotOverride : slot);
}

void afterSubscribe(Relay& r, HWND to, UINT message) {
  for (int i = 0; i < r.opt.notices; ++i) PostMessageW(to, message, i % 2, 0);
  for (int i = 0; i < r.opt.notifications; ++i) postNotification(r, to, 0, 8, uint32_t(i));
  if (r.opt.badNotifications) {
    postNotification(r, to, 50, 8, 0);
    postNotification(r, to, 0, 53, 1);
  }
}

void handle(Relay& r, int32_t keyA, int32_t keyB) {
  if (r.opt.vanish) {
    DestroyWindow(r.window);
    ExitProcess(3);
  }
  std::vector<uint8_t> m = readRequest(keyA, keyB);
  if (m.empty() || r.opt.silent) return;
  const uint32_t command = word(m, PacketHeader::commandOffset);
  const uint32_t first = word(m, PacketHeader::kSize);
  const uint32_t reply = word(m, PacketHeader::replyWindowOffset);
  switch (command) {
    case 0:
      if (first == 2) break;
      setWord(m, PacketHeader::statusCodeOffset, 10);
      writeBack(r, m);
      complete(r, m);
      return;
    case 133:
      m.resize(48);
      setWord(m, PacketHeader::dataLengthOffset, 4);
      setWord(m, PacketHeader::kSize, r.opt.channelOpen ? 1 : 0);
      writeBack(r, m);
      complete(r, m);
      return;
    case 130:
      r.subscribers.insert(first);
      complete(r, m);
      afterSubscribe(r, toWindow(first), word(m, PacketHeader::kSize + 4));
      return;
    case 131:
      r.subscribers.erase(first);
      complete(r, m);
      if (r.subscribers.empty() && r.openWindows.empty()) r.ending = true;
      return;
    case 134:
      complete(r, m);
      r.ending = true;
      return;
    case 1:
      r.openWindows.insert(reply);
      break;
  }
  // Forwarded: the loop-back client echoes the request as its response.
  if (!r.opt.channelOpen) setWord(m, PacketHeader::resultCodeOffset, 9);
  writeBack(r, m);
  complete(r, m);
}

bool parse(int argc, wchar_t** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    bool hasValue = i + 1 < argc;
    if (a == L"--channel" && hasValue) {
      std::wstring v = argv[++i];
      if (v != L"open" && v != L"closed") return false;
      o->channelOpen = v == L"open";
    } else if (a == L"--silent") {
      o->silent = true;
    } else if (a == L"--oversize") {
      o->oversize = true;
    } else if (a == L"--vanish") {
      o->vanish = true;
    } else if (a == L"--notices" && hasValue) {
      o->notices = _wtoi(argv[++i]);
    } else if (a == L"--notifications" && hasValue) {
      o->notifications = _wtoi(argv[++i]);
    } else if (a == L"--bad-notifications") {
      o->badNotifications = true;
    } else if (a == L"--lifetime" && hasValue) {
      o->lifetimeMs = wcstoul(argv[++i], nullptr, 10);
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Relay r;
  if (!parse(argc, argv, &r.opt)) return 9;
  r.command = RegisterWindowMessageW(L"WMSZ_DSS_COMMAND");
  r.notify = RegisterWindowMessageW(L"WMSZ_DSS_NOTIFY");
  RegisterWindowMessageW(L"WMSZ_DSS_SESSIONNOTIFY");

  HANDLE ringMapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          vcb::kNotifyRingSize, L"VARNETH_DSS_SMEM_NOTIFY");
  if (ringMapping) r.ring = static_cast<uint8_t*>(MapViewOfFile(ringMapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (!r.ring) return 2;

  const wchar_t* cls = L"VRVC_WindowClass_VCB";
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = cls;
  RegisterClassExW(&wc);
  r.window = CreateWindowExW(0, cls, cls, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, nullptr, nullptr, wc.hInstance, nullptr);
  if (!r.window) return 2;
  SetTimer(r.window, 1, r.opt.lifetimeMs, nullptr);

  int code = 0;
  MSG msg;
  while (!r.ending && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == r.window && msg.message == WM_TIMER) {
      code = 1;
      break;
    }
    if (msg.hwnd == r.window && msg.message == r.command)
      handle(r, static_cast<int32_t>(static_cast<uint32_t>(msg.wParam)), static_cast<int32_t>(msg.lParam));
  }
  DestroyWindow(r.window);
  UnmapViewOfFile(r.ring);
  CloseHandle(ringMapping);
  return code;
}
