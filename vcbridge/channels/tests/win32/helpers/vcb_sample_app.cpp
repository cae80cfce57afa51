// A dictation application in miniature, scripted from its command line, for
// tests and the demo: it talks to the session's relay through RelayClient
// and prints one line per event in plain words.
//
//   vcb_sample_app.exe [options]
//
//   --keyA N                first number of the segment name (default: process id)
//   --keyB N                second number, also the completion's LPARAM (default 1)
//   --request C             send command C (0..0xFFFFFFFF); repeated --repeat times
//   --data-len N            data bytes of each request (default 0, at most 19956)
//   --pattern N             data byte i is (i * 7 + N) mod 256 (default 0)
//   --first-word N          overwrite data word 0 (command 0: 2 forwards it to the client side)
//   --repeat K              send the request K times (default 1)
//   --channel-state         send 133 and print whether the DSS channel is open
//   --end-relay             send 134: the relay ends
//   --subscribe             send 130 for the reply window before the requests,
//                           and 131 at the end unless --stay-subscribed
//   --stay-subscribed       do not send 131 (it would end a relay nobody else uses)
//   --expect-notices N      wait for N session notices
//   --expect-notifications N  wait for N notifications from the ring
//   --timeout MS            time-out of each answer and of the wait for notices (default 5000)
//   --wait-relay MS         wait up to MS for the relay's window to appear (default 0)
//   --retry-pause MS        after an answer with resultCode 9 (channel down), wait MS
//                           before the next request, as an application would (default 0)
//
// Lines printed (one per event):
//   client ready: segment <name>, reply window 0x<hex>
//   relay not running
//   request sent: command C, dataLength N, checksum 0x<fnv1a of the data>
//   response received: command C, dataLength N, resultCode R, statusCode S, checksum 0x<hex>, round trip T ms
//   completion received: command C, round trip T ms        (130, 131, 134: nothing written back)
//   channel open: yes|no
//   subscribed: window 0x<hex>, message 0x<hex>   /   unsubscribed
//   session notice: connected|disconnected
//   notification: slot S, command C, dataLength N, checksum 0x<hex>   /   notification: slot S unreadable
//   failed: <what>: <reason>
//   round trips: K, min T ms, median T ms, max T ms          (after two or more answers)
//   done: A of B answers, N notices, M notifications
//
// Exit codes: 0 every expected answer, notice and notification came;
// 1 relay not running; 2 segment or reply window could not be made;
// 3 an answer did not come (time-out, relay ended or refused the message);
// 4 fewer notices or notifications than expected; 5 an answer ran past the
// segment; 9 bad command line.
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "vcbridge/channels/win32/RelayClient.h"
#include "vcbridge/core/win32/WinText.h"

namespace {

using vcb::RelayClient;

struct Options {
  int32_t keyA = 0;
  int32_t keyB = 1;
  bool haveRequest = false;
  uint32_t command = 0;
  uint32_t dataLen = 0;
  uint32_t pattern = 0;
  bool haveFirstWord = false;
  uint32_t firstWord = 0;
  int repeat = 1;
  bool subscribe = false;
  bool staySubscribed = false;
  int expectNotices = 0;
  int expectNotifications = 0;
  DWORD timeoutMs = 5000;
  DWORD waitRelayMs = 0;
  DWORD retryPauseMs = 0;
};

uint32_t fnv1a(const std::vector<uint8_t>& d) {
  uint32_t h = 2166136261u;
  for (uint8_t b : d) h = (h ^ b) * 16777619u;
  return h;
}

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

uint32_t hwndId(HWND w) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(w)); }

bool number(const wchar_t* s, uint32_t* out) {
  wchar_t* end = nullptr;
  unsigned long long v = std::wcstoull(s, &end, 0);
  if (!*s || *end || v > 0xFFFFFFFFull || s[0] == L'-') return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

bool signedNumber(const wchar_t* s, int32_t* out) {
  wchar_t* end = nullptr;
  long long v = std::wcstoll(s, &end, 10);
  if (!*s || *end || v < INT32_MIN || v > INT32_MAX) return false;
  *out = static_cast<int32_t>(v);
  return true;
}

bool parse(int argc, wchar_t** argv, Options* o) {
  o->keyA = static_cast<int32_t>(GetCurrentProcessId());
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    const wchar_t* v = i + 1 < argc ? argv[i + 1] : nullptr;
    uint32_t n = 0;
    auto value = [&](uint32_t* out) { return v && number(v, out) && (++i, true); };
    if (a == L"--keyA") {
      if (!v || !signedNumber(v, &o->keyA)) return false;
      ++i;
    } else if (a == L"--keyB") {
      if (!v || !signedNumber(v, &o->keyB)) return false;
      ++i;
    } else if (a == L"--request") {
      if (!value(&o->command)) return false;
      o->haveRequest = true;
    } else if (a == L"--data-len") {
      if (!value(&o->dataLen) || o->dataLen > RelayClient::kMaxData) return false;
    } else if (a == L"--pattern") {
      if (!value(&o->pattern)) return false;
    } else if (a == L"--first-word") {
      if (!value(&o->firstWord)) return false;
      o->haveFirstWord = true;
    } else if (a == L"--repeat") {
      if (!value(&n) || n < 1 || n > 100000) return false;
      o->repeat = int(n);
    } else if (a == L"--channel-state") {
      o->haveRequest = true;
      o->command = 133;
    } else if (a == L"--end-relay") {
      o->haveRequest = true;
      o->command = 134;
    } else if (a == L"--subscribe") {
      o->subscribe = true;
    } else if (a == L"--stay-subscribed") {
      o->staySubscribed = true;
    } else if (a == L"--expect-notices") {
      if (!value(&n) || n > 100000) return false;
      o->expectNotices = int(n);
    } else if (a == L"--expect-notifications") {
      if (!value(&n) || n > 100000) return false;
      o->expectNotifications = int(n);
    } else if (a == L"--timeout") {
      if (!value(&n)) return false;
      o->timeoutMs = n;
    } else if (a == L"--wait-relay") {
      if (!value(&n)) return false;
      o->waitRelayMs = n;
    } else if (a == L"--retry-pause") {
      if (!value(&n) || n > 60000) return false;
      o->retryPauseMs = n;
    } else {
      return false;
    }
  }
  return true;
}

std::vector<uint8_t> requestData(const Options& o) {
  std::vector<uint8_t> d(o.dataLen);
  for (uint32_t i = 0; i < o.dataLen; ++i) d[i] = uint8_t(i * 7 + o.pattern);
  if (o.haveFirstWord)
    for (uint32_t i = 0; i < 4 && i < o.dataLen; ++i) d[i] = uint8_t(o.firstWord >> (8 * i));
  return d;
}

struct Tally {
  int notices = 0;
  int notifications = 0;
};

void printEvents(RelayClient& c, Tally& t) {
  auto& q = c.events();
  while (!q.empty()) {
    const RelayClient::Event& e = q.front();
    if (e.kind == RelayClient::Event::sessionNotice) {
      say("session notice: %s", e.connected ? "connected" : "disconnected");
      ++t.notices;
    } else if (e.kind == RelayClient::Event::completion) {
      say("unasked completion: command %u, dataLength %u, resultCode %u", e.header.command, e.header.dataLength,
          e.header.resultCode);
    } else if (e.readable) {
      say("notification: slot %u, command %u, dataLength %u, checksum 0x%08X", e.slot, e.header.command,
          e.header.dataLength, fnv1a(e.data));
      ++t.notifications;
    } else {
      say("notification: slot %u unreadable", e.slot);
      ++t.notifications;
    }
    q.pop_front();
  }
}

bool localCompletionOnly(uint32_t command) { return command == 130 || command == 131 || command == 134; }

// 3 for a missing answer, 5 for one past the segment.
int failureCode(RelayClient::Result r) { return r == RelayClient::Result::badAnswer ? 5 : 3; }

int run(const Options& o) {
  RelayClient client(o.keyA, o.keyB);
  if (client.open() != RelayClient::Result::ok) {
    say("failed: set-up: %s", RelayClient::describe(RelayClient::Result::setupFailed));
    return 2;
  }
  say("client ready: segment %s, reply window 0x%08X", vcb::narrow(client.segmentName()).c_str(),
      hwndId(client.replyWindow()));

  const ULONGLONG relayDeadline = GetTickCount64() + o.waitRelayMs;
  while (!RelayClient::findRelay() && GetTickCount64() < relayDeadline) Sleep(20);
  if (!RelayClient::findRelay()) {
    say("relay not running");
    return 1;
  }

  int code = 0;
  int expected = 0, answered = 0;
  Tally tally;
  if (o.subscribe) {
    ++expected;
    RelayClient::Result r = client.subscribe(o.timeoutMs);
    if (r == RelayClient::Result::ok) {
      ++answered;
      say("subscribed: window 0x%08X, message 0x%04X", hwndId(client.replyWindow()), client.sessionMessage());
    } else {
      say("failed: subscribe: %s", RelayClient::describe(r));
      code = failureCode(r);
    }
    printEvents(client, tally);
  }

  const std::vector<uint8_t> data = requestData(o);
  std::vector<double> times;
  for (int k = 0; o.haveRequest && k < o.repeat && code == 0; ++k) {
    ++expected;
    say("request sent: command %u, dataLength %u, checksum 0x%08X", o.command, uint32_t(data.size()), fnv1a(data));
    RelayClient::Answer a;
    const bool readBack = !localCompletionOnly(o.command);
    RelayClient::Result r = client.request(o.command, data, o.timeoutMs, &a, readBack);
    if (r != RelayClient::Result::ok) {
      if (r == RelayClient::Result::badAnswer)
        say("response received: command %u, dataLength %u runs past the segment", a.header.command,
            a.header.dataLength);
      say("failed: request %u: %s", o.command, RelayClient::describe(r));
      code = failureCode(r);
    } else if (!readBack) {
      ++answered;
      times.push_back(a.roundTripMs);
      say("completion received: command %u, round trip %.3f ms", o.command, a.roundTripMs);
    } else {
      ++answered;
      times.push_back(a.roundTripMs);
      say("response received: command %u, dataLength %u, resultCode %u, statusCode %u, checksum 0x%08X, "
          "round trip %.3f ms",
          a.header.command, a.header.dataLength, a.header.resultCode, a.header.statusCode, fnv1a(a.data),
          a.roundTripMs);
      if (o.command == 133) {
        const bool open = a.data.size() >= 4 && a.data[0] == 1 && !a.data[1] && !a.data[2] && !a.data[3];
        say("channel open: %s", open ? "yes" : "no");
      }
      if (a.header.resultCode == 9 && o.retryPauseMs) client.waitForEvents(SIZE_MAX, o.retryPauseMs);
    }
    printEvents(client, tally);
  }
  if (times.size() >= 2) {
    std::sort(times.begin(), times.end());
    say("round trips: %u, min %.3f ms, median %.3f ms, max %.3f ms", unsigned(times.size()), times.front(),
        times[times.size() / 2], times.back());
  }

  // Notices may come at any time; wait for what was asked for.
  const ULONGLONG deadline = GetTickCount64() + o.timeoutMs;
  while (tally.notices < o.expectNotices || tally.notifications < o.expectNotifications) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline || !client.waitForEvents(1, static_cast<DWORD>(deadline - now))) break;
    printEvents(client, tally);
  }
  if (code == 0 && (tally.notices < o.expectNotices || tally.notifications < o.expectNotifications)) code = 4;

  if (o.subscribe && !o.staySubscribed) {
    ++expected;
    RelayClient::Result r = client.unsubscribe(o.timeoutMs);
    if (r == RelayClient::Result::ok) {
      ++answered;
      say("unsubscribed");
    } else {
      say("failed: unsubscribe: %s", RelayClient::describe(r));
      if (code == 0) code = failureCode(r);
    }
    printEvents(client, tally);
  }

  say("done: %d of %d answers, %d notices, %d notifications", answered, expected, tally.notices,
      tally.notifications);
  return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options o;
  if (!parse(argc, argv, &o)) {
    std::fputs("usage: vcb_sample_app.exe [--keyA N] [--keyB N] [--request C] [--data-len N] [--pattern N]\n"
               "  [--first-word N] [--repeat K] [--channel-state] [--end-relay] [--subscribe]\n"
               "  [--stay-subscribed] [--expect-notices N] [--expect-notifications N] [--timeout MS]\n"
               "  [--wait-relay MS] [--retry-pause MS]\n",
               stderr);
    return 9;
  }
  return run(o);
}
