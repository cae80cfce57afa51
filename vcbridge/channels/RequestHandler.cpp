#include "vcbridge/channels/RequestHandler.h"

#include <algorithm>
#include <cstring>

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/VirtualChannel.h"
#include "vcbridge/channels/VirtualChannelObserver.h"
#include "vcbridge/core/Exception.h"
#include "vcbridge/core/Log.h"
#include "vcbridge/ipc/DSSSessionEventManager.h"
#include "vcbridge/ipc/MessagePort.h"

namespace vcb {

namespace {

constexpr const char* kClass = "VCB\tRequestHandler";
constexpr const char* kMethod = "ProcessMessage";
constexpr uint32_t kDataWord0 = PacketHeader::kSize;
constexpr uint32_t kDataWord1 = PacketHeader::kSize + 4;
constexpr uint32_t kChannelStateReplySize = PacketHeader::kSize + 4;

PacketHeader headerOf(const CBinary& message) {
  PacketHeader h;
  h.readFrom(message);
  return h;
}

int32_t asKey(uint32_t field) { return static_cast<int32_t>(field); }

bool dssTransportOpen() { return VirtualChannel::exists() && VirtualChannel::get()->IsOpen(); }

}  // namespace

void postCompletion(const CBinary& message) {
  PacketHeader h = headerOf(message);
  postToPeer(h.replyWindow, registeredMessages().command, 0, asKey(h.segmentKeyB));
}

uint32_t RequestHandler::MessageNumber() const { return registeredMessages().command; }

bool RequestHandler::ProcessMessage(uintptr_t wparam, intptr_t lparam) {
  const int32_t keyA = static_cast<int32_t>(wparam);
  const int32_t keyB = static_cast<int32_t>(lparam);
  try {
    CBinary request = requestData_.Read(keyA, keyB);
    if (request.empty()) return false;  // logged by Read; the application gets no answer
    const uint32_t replyWindow = headerOf(request).replyWindow;
    if (isRelayWindow(replyWindow)) {
      // Its answer would be posted to this very window and read again as a
      // new request, for ever.
      log::Error("[0x%08X]\t%s\t%s\tREQUEST REFUSED: replyWindow 0x%08X is the relay's own window",
                 log::Addr(this), kClass, kMethod, replyWindow);
      return false;
    }
    if (answerLocally(request, keyA, keyB)) return true;
    if (VirtualChannel::get()->Write(request)) return true;

    log::Error("[0x%08X]\t%s\t%s\tFAILURE:VirtualChannel::Write()", log::Addr(this), kClass, kMethod);
    request.setWord(PacketHeader::resultCodeOffset, DSSVCERR_SEND_FAILED);
    PacketHeader h = headerOf(request);
    responceData_.Write(request, asKey(h.segmentKeyA), asKey(h.segmentKeyB));
    postCompletion(request);
    return false;
  } catch (const Exception& e) {
    log::Error("[0x%08X]\t%s\t%s\tERROR CODE:0x%08X", log::Addr(this), kClass, kMethod,
               static_cast<uint32_t>(e.code));
  } catch (...) {
    log::Error("[0x%08X]\t%s\t%s\tEXCEPTION:RequestHandler::ProcessMessage()", log::Addr(this), kClass, kMethod);
  }
  return false;
}

bool RequestHandler::answerLocally(CBinary& request, int32_t keyA, int32_t keyB) {
  const PacketHeader h = headerOf(request);
  switch (h.command) {
    case DssCommandStatus:
      if (request.word(kDataWord0) == 2) return false;
      request.setWord(PacketHeader::statusCodeOffset, DSSVCERR_ANSWERED_LOCALLY);
      responceData_.Write(request, keyA, keyB);
      postCompletion(request);
      return true;

    case DssCommandOpen: {
      auto observer = VirtualChannelObserver::get();
      auto manager = DSSSessionEventManager::get();
      // Under the lock and after the insert: a close in between would see
      // nobody left and stop the relay while this window opens.
      DSSSessionEventManager::LockGuard g(*manager);
      manager->openWindows().insert(h.replyWindow);
      observer->resume();
      return false;  // the client must see it too
    }

    case DssCommandSubscribe: {
      auto observer = VirtualChannelObserver::get();
      auto manager = DSSSessionEventManager::get();
      const WindowId window = request.word(kDataWord0);
      if (isRelayWindow(window)) {
        // Session notices to this window would be read as requests.
        log::Error("[0x%08X]\t%s\t%s\tSUBSCRIPTION REFUSED: window 0x%08X is the relay's own window",
                   log::Addr(this), kClass, kMethod, window);
      } else {
        DSSSessionEventManager::LockGuard g(*manager);
        manager->subscribe(window, request.word(kDataWord1));
        observer->resume();
      }
      postCompletion(request);
      return true;
    }

    case DssCommandUnsubscribe: {
      auto observer = VirtualChannelObserver::get();
      auto manager = DSSSessionEventManager::get();
      {
        DSSSessionEventManager::LockGuard g(*manager);
        manager->unsubscribe(request.word(kDataWord0));
        // Nobody left to serve: the relay ends with its read loop.
        if (manager->idle()) observer->stop();
      }
      postCompletion(request);
      return true;
    }

    case DssCommandChannelState:
      answerChannelState(request);
      return true;

    case DssCommandTerminate:
      VirtualChannelObserver::get()->stop();
      postCompletion(request);
      return true;

    default:
      return false;
  }
}

void RequestHandler::answerChannelState(const CBinary& request) {
  CBinary reply(kChannelStateReplySize);
  std::memcpy(reply.data(), request.data(), std::min(request.size(), kChannelStateReplySize));
  reply.setWord(PacketHeader::dataLengthOffset, 4);
  reply.setWord(kDataWord0, dssTransportOpen() ? 1 : 0);
  const PacketHeader h = headerOf(reply);
  responceData_.Write(reply, asKey(h.segmentKeyA), asKey(h.segmentKeyB));
  postCompletion(reply);
}

}  // namespace vcb
