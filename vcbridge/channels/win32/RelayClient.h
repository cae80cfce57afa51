#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/ipc/SharedMemory.h"

namespace vcb {

// What a dictation application of the session does to talk to the relay:
// it owns one DSS segment "VARNETH_DSS_SMEM=%08d_%d" with its mutex and a
// message-only reply window, leaves a request at offset 0 of the segment,
// posts "WMSZ_DSS_COMMAND" (keyA, keyB) to the relay's window and waits for
// "WMSZ_DSS_COMMAND" with LPARAM keyB on its own window.
//
// A client belongs to the thread that opened it: the reply window lives
// there, and every wait pumps that thread's message queue. Several clients
// (in one process or several) may share a segment; the segment's mutex keeps
// their requests apart.
class RelayClient {
 public:
  static constexpr uint32_t kMaxData = kSegmentSize - PacketHeader::kSize;  // 19956
  enum class Result {
    ok,
    notOpen,        // open() was not called or did not succeed
    setupFailed,    // segment, mutex, reply window or message numbers could not be made
    relayNotFound,  // no window of class "VRVC_WindowClass_VCB"
    tooLarge,       // the request does not fit into the segment
    busy,           // another user of the segment held its mutex for the whole time-out
    postFailed,     // the relay's window did not take the message
    timedOut,       // no completion message within the time-out
    relayGone,      // the relay's window disappeared while the client waited
    badAnswer,      // the answer's dataLength runs past the end of the segment
  };
  static const char* describe(Result r);

  struct Answer {
    PacketHeader header;
    std::vector<uint8_t> data;  // never more than the segment holds
    double roundTripMs = 0;     // from the post to the completion message
  };

  // A message the relay posted to the reply window outside a round trip.
  struct Event {
    enum Kind { sessionNotice, notification, completion };
    Kind kind = sessionNotice;
    bool connected = false;  // session notice: WPARAM 1 connected again, 0 disconnected
    uint32_t slot = 0;       // notification: the ring slot (LPARAM)
    bool readable = false;   // notification: the slot could be copied out whole
    PacketHeader header;     // notification; completion: what the segment held then
    std::vector<uint8_t> data;
  };

  RelayClient(int32_t keyA, int32_t keyB);
  ~RelayClient();
  RelayClient(const RelayClient&) = delete;
  RelayClient& operator=(const RelayClient&) = delete;

  // The relay's window of this desktop, or nullptr.
  static HWND findRelay();

  // Creates (or joins) the segment and its mutex, the reply window and the
  // message numbers. Call once, on the thread that will use the client.
  Result open();
  bool isOpen() const { return view_ != nullptr; }

  // One round trip: writes `header` (dataLength, routing and fragment fields
  // filled in here) and `size` data bytes, posts, waits, and unless readBack
  // is false (commands the relay answers without writing) reads the answer
  // back from the segment.
  Result request(const PacketHeader& header, const uint8_t* data, uint32_t size, DWORD timeoutMs,
                 Answer* answer, bool readBack = true);
  Result request(uint32_t command, const std::vector<uint8_t>& data, DWORD timeoutMs, Answer* answer,
                 bool readBack = true);

  // Command 133: whether the relay's DSS channel is open.
  Result queryChannelOpen(DWORD timeoutMs, bool* open, Answer* answer = nullptr);
  // Command 130 with this window and `message` (0: the registered
  // "WMSZ_DSS_SESSIONNOTIFY"); session notices then arrive as events.
  Result subscribe(DWORD timeoutMs, uint32_t message = 0);
  // Command 131 for this window. The relay ends when this leaves it with
  // neither subscribers nor open channels.
  Result unsubscribe(DWORD timeoutMs);
  // Command 134: the relay ends.
  Result endRelay(DWORD timeoutMs);

  // Pumps the reply window until `count` events are queued or the time-out
  // passed; true when they are there.
  bool waitForEvents(size_t count, DWORD timeoutMs);
  std::deque<Event>& events() { return events_; }

  HWND replyWindow() const { return window_; }
  int32_t keyA() const { return keyA_; }
  int32_t keyB() const { return keyB_; }
  const std::wstring& segmentName() const { return name_; }
  uint32_t commandMessage() const { return commandMessage_; }
  uint32_t notifyMessage() const { return notifyMessage_; }
  uint32_t sessionMessage() const { return sessionMessage_; }

 private:
  // Pumps until a completion for keyB arrives, the relay vanishes, or the deadline.
  Result waitForCompletion(HWND relay, ULONGLONG deadline);
  // Takes one message of the reply window; true when it was our completion.
  bool take(const MSG& msg);
  void copyNotification(uint32_t slot);
  void close();

  int32_t keyA_;
  int32_t keyB_;
  std::wstring name_;
  HANDLE mapping_ = nullptr;
  uint8_t* view_ = nullptr;
  HANDLE mutex_ = nullptr;
  HWND window_ = nullptr;
  HANDLE ring_ = nullptr;
  uint8_t* ringView_ = nullptr;
  uint32_t commandMessage_ = 0;
  uint32_t notifyMessage_ = 0;
  uint32_t sessionMessage_ = 0;    // the number this client subscribes with
  uint32_t subscribedMessage_ = 0;
  std::deque<Event> events_;
};

}  // namespace vcb
