#pragma once
#include <cstdint>

#include "vcbridge/channels/RequestData.h"
#include "vcbridge/channels/ResponceData.h"
#include "vcbridge/ipc/IWindowsMessageHandler.h"

namespace vcb {

// The command values the relay acts on. Of an application's requests, 0,
// 130, 131, 133 and 134 are answered here (1 is noted, then forwarded) and
// everything else goes to the client unchanged; of the client's messages,
// 132 and 1000 to 1002 are sorted out in ResponceHandler and everything else
// is a response.
enum DssCommand : uint32_t {
  DssCommandStatus = 0,         // answered here (statusCode 10) unless its first data word is 2
  DssCommandOpen = 1,           // the window counts as open until the response to command 2
  DssCommandClose = 2,          // its response closes the window again
  DssCommandSubscribe = 130,    // data: window, message number for session notices
  DssCommandUnsubscribe = 131,  // data: window
  DssCommandKeepAlive = 132,    // from the client; consumed
  DssCommandChannelState = 133, // reply data word: 1 if the channel is open
  DssCommandTerminate = 134,    // ends the relay
  DssNotifyFirst = 1000,        // notifications from the client, 1000 to 1002
  DssNotifyLast = 1002,
};

// Serves "WMSZ_DSS_COMMAND" on the relay's message window: reads the
// request from the application's segment, answers the local commands and
// forwards the rest over the DSS channel.
class RequestHandler : public IWindowsMessageHandler {
 public:
  uint32_t MessageNumber() const override;
  // wparam / lparam: the two numbers of the application's segment name.
  bool ProcessMessage(uintptr_t wparam, intptr_t lparam) override;
  void SetWindowHandle(WindowHandle window) override { window_ = window; }

 private:
  // True when the request was answered here.
  bool answerLocally(CBinary& request, int32_t keyA, int32_t keyB);
  void answerChannelState(const CBinary& request);

  WindowHandle window_ = nullptr;
  RequestData requestData_;
  ResponceData responceData_;
};

// "WMSZ_DSS_COMMAND" to the header's replyWindow, LPARAM its segmentKeyB.
void postCompletion(const CBinary& message);

}  // namespace vcb
