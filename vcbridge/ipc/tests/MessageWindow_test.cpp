#include <gtest/gtest.h>

#include <atomic>
#include <boost/make_shared.hpp>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "vcbridge/core/Exception.h"
#include "vcbridge/core/tests/fakes/FakeKernel.h"
#include "vcbridge/ipc/WindowsMessageMonitor.h"
#include "vcbridge/ipc/tests/fakes/FakeWindowSystem.h"

namespace vcb {
namespace {

using testing::ScopedFakeKernel;
using testing::ScopedFakeWindowSystem;
using Params = std::pair<uintptr_t, intptr_t>;

constexpr uint32_t kCommand = 0xC123;
constexpr uint32_t kOther = 0xC124;

// Records every call; optionally throws after recording.
class RecordingHandler : public IWindowsMessageHandler {
 public:
  explicit RecordingHandler(uint32_t number) : number_(number) {}
  uint32_t MessageNumber() const override { return number_; }
  void SetWindowHandle(WindowHandle w) override { window = w; }
  bool ProcessMessage(uintptr_t wparam, intptr_t lparam) override {
    {
      std::lock_guard<std::mutex> g(lock_);
      seen_.emplace_back(wparam, lparam);
    }
    cv_.notify_all();
    if (lparam == kThrowException) throw Exception(9);
    if (lparam == kThrowForeign) throw std::runtime_error("not ours");
    return true;
  }
  std::vector<Params> seen() {
    std::lock_guard<std::mutex> g(lock_);
    return seen_;
  }
  bool waitForCalls(size_t n) {
    std::unique_lock<std::mutex> g(lock_);
    return cv_.wait_for(g, std::chrono::seconds(5), [&] { return seen_.size() >= n; });
  }

  static constexpr intptr_t kThrowException = -1;
  static constexpr intptr_t kThrowForeign = -2;
  WindowHandle window = nullptr;

 private:
  uint32_t number_;
  std::mutex lock_;
  std::condition_variable cv_;
  std::vector<Params> seen_;
};

class MessageWindow : public ::testing::Test {
 protected:
  boost::shared_ptr<RecordingHandler> bind(WindowsMessageMonitor& m, uint32_t number) {
    auto h = boost::make_shared<RecordingHandler>(number);
    m.registerHandler(h);
    return h;
  }
  bool post(WindowsMessageMonitor& m, uint32_t number, uintptr_t w, intptr_t l) {
    return ws->post(m.window(), number, w, l);
  }

  ScopedFakeKernel k;
  ScopedFakeWindowSystem ws;
};

TEST_F(MessageWindow, APostedMessageReachesItsHandlerWithWparamAndLparam) {
  WindowsMessageMonitor m;
  m.start();
  ASSERT_NE(nullptr, m.window());
  EXPECT_EQ(m.window(), ws->findWindow(L"VRVC_WindowClass_VCB", L"VRVC_WindowClass_VCB"));
  auto h = bind(m, kCommand);
  EXPECT_EQ(m.window(), h->window) << "the handler learns its window when registered";

  ASSERT_TRUE(post(m, kCommand, 7, 2));
  ASSERT_TRUE(h->waitForCalls(1));
  EXPECT_EQ((std::vector<Params>{{7, 2}}), h->seen());
  m.stop();
}

TEST_F(MessageWindow, MessagesWithoutAHandlerOrForAnotherWindowAreDropped) {
  WindowsMessageMonitor m;
  m.start();
  auto h = bind(m, kCommand);
  auto foreignWindow = reinterpret_cast<WindowHandle>(uintptr_t{0xBAD0});
  ASSERT_TRUE(post(m, kOther, 1, 1));                                        // unbound number
  ASSERT_TRUE(ws->postToThreadOf(m.window(), {nullptr, kCommand, 3, 3}));    // thread message
  ASSERT_TRUE(ws->postToThreadOf(m.window(), {foreignWindow, kCommand, 4, 4}));  // not in the window table
  ASSERT_TRUE(post(m, kCommand, 7, 2));  // the queue is FIFO: when this arrives, the rest was taken
  ASSERT_TRUE(h->waitForCalls(1));
  m.stop();
  EXPECT_EQ((std::vector<Params>{{7, 2}}), h->seen());
}

TEST_F(MessageWindow, ASecondHandlerForTheSameNumberReplacesTheFirst) {
  WindowsMessageMonitor m;
  m.start();
  auto first = bind(m, kCommand);
  auto other = bind(m, kOther);
  auto second = bind(m, kCommand);
  ASSERT_TRUE(post(m, kCommand, 7, 2));
  ASSERT_TRUE(post(m, kOther, 5, 6));
  ASSERT_TRUE(other->waitForCalls(1));
  m.stop();
  EXPECT_TRUE(first->seen().empty());
  EXPECT_EQ((std::vector<Params>{{7, 2}}), second->seen());
  EXPECT_EQ((std::vector<Params>{{5, 6}}), other->seen()) << "other numbers stay bound";
}

TEST_F(MessageWindow, AFailingHandlerDoesNotEndTheLoop) {
  WindowsMessageMonitor m;
  m.start();
  auto h = bind(m, kCommand);
  post(m, kCommand, 1, RecordingHandler::kThrowException);
  post(m, kCommand, 2, RecordingHandler::kThrowForeign);
  post(m, kCommand, 7, 2);
  ASSERT_TRUE(h->waitForCalls(3));
  EXPECT_EQ(7u, h->seen().back().first);
  m.stop();
  EXPECT_NO_THROW(m.join()) << "the dropped failures are not stored as the thread's";
  EXPECT_EQ(0, m.failureCode());
}

TEST_F(MessageWindow, RegisteringBeforeStartOrAfterStopFailsWith14) {
  WindowsMessageMonitor m;
  auto h = boost::make_shared<RecordingHandler>(kCommand);
  auto codeOf = [&] {
    try {
      m.registerHandler(h);
    } catch (const Exception& e) {
      return e.code;
    }
    return 0;
  };
  EXPECT_EQ(14, codeOf()) << "never started";
  m.start();
  EXPECT_EQ(0, codeOf());
  m.stop();
  EXPECT_EQ(14, codeOf()) << "stopped";
}

TEST_F(MessageWindow, AWindowThatCannotBeCreatedEndsTheThreadWithCode22) {
  ws->failNext("createWindow");
  WindowsMessageMonitor m;
  m.start();  // returns although initialise failed
  EXPECT_EQ(nullptr, m.window());
  Handle thread = m.threadHandle();
  ASSERT_NE(nullptr, thread);
  ASSERT_EQ(WaitResult::Signaled, k->wait(thread, 5000));
  uint32_t code = 0;
  ASSERT_TRUE(k->threadExitCode(thread, &code));
  EXPECT_EQ(22u, code);
  EXPECT_EQ(0, ws->windowCount());
  EXPECT_FALSE(ws->isClassRegistered(kMessageWindowClass)) << "finalise still cleans up";
  m.stop();  // no window to post to: returns at once
  try {
    m.join();
    ADD_FAILURE() << "join re-throws the stored failure";
  } catch (const Exception& e) {
    EXPECT_EQ(22, e.code);
  }
}

TEST_F(MessageWindow, StopEndsTheLoopRemovesTheWindowAndUnregistersBothClasses) {
  ASSERT_TRUE(ws->registerClass(kOldMessageWindowClass));
  WindowsMessageMonitor m;
  m.start();
  WindowHandle w = m.window();
  ASSERT_TRUE(ws->isClassRegistered(kMessageWindowClass));
  m.stop();
  EXPECT_EQ(nullptr, m.threadHandle()) << "thread waited for and its handle closed";
  EXPECT_FALSE(ws->isWindow(w));
  EXPECT_EQ(nullptr, ws->findWindow(kMessageWindowClass, kMessageWindowClass));
  EXPECT_FALSE(ws->isClassRegistered(kMessageWindowClass));
  EXPECT_FALSE(ws->isClassRegistered(kOldMessageWindowClass));
  EXPECT_FALSE(ws->post(w, kCommand, 7, 2));
  m.stop();  // a second stop is harmless
}

TEST_F(MessageWindow, ALoopWhoseQueueFailsEndsInsteadOfSpinning) {
  ws->failNext("getMessage");
  WindowsMessageMonitor m;
  m.start();
  ASSERT_EQ(WaitResult::Signaled, k->wait(m.threadHandle(), 5000));
  EXPECT_EQ(0, ws->windowCount());
  m.stop();
}

TEST_F(MessageWindow, DestroyingAStartedMonitorStopsIt) {
  {
    WindowsMessageMonitor m;
    m.start();
    bind(m, kCommand);
  }
  EXPECT_EQ(0, ws->windowCount());
  EXPECT_EQ(0, k->openHandles());
}

TEST_F(MessageWindow, EachMonitorServesOnlyItsOwnWindow) {
  WindowsMessageMonitor a, b;
  a.start();
  b.start();  // the class is already registered: that failure is ignored
  ASSERT_NE(nullptr, b.window());
  auto ha = bind(a, kCommand);
  auto hb = bind(b, kCommand);
  post(a, kCommand, 1, 1);
  post(b, kCommand, 2, 2);
  ASSERT_TRUE(ha->waitForCalls(1));
  ASSERT_TRUE(hb->waitForCalls(1));

  a.stop();  // b's window keeps the class registered
  EXPECT_TRUE(ws->isClassRegistered(kMessageWindowClass));
  post(b, kCommand, 3, 3);
  ASSERT_TRUE(hb->waitForCalls(2));
  b.stop();
  EXPECT_FALSE(ws->isClassRegistered(kMessageWindowClass));
  EXPECT_EQ((std::vector<Params>{{1, 1}}), ha->seen());
  EXPECT_EQ((std::vector<Params>{{2, 2}, {3, 3}}), hb->seen());
}

TEST_F(MessageWindow, HandlersCanBeRegisteredWhileTheLoopTakesMessages) {
  WindowsMessageMonitor m;
  m.start();
  std::vector<boost::shared_ptr<RecordingHandler>> handlers{bind(m, kCommand)};
  std::atomic<bool> done{false};
  std::thread poster([&] {
    for (int i = 0; i < 2000 && !done; ++i) post(m, kCommand, i, 0);
  });
  for (int i = 0; i < 200; ++i) handlers.push_back(bind(m, kCommand));
  done = true;
  poster.join();
  post(m, kCommand, 7, 2);
  ASSERT_TRUE(handlers.back()->waitForCalls(1)) << "the last one registered is bound";
  m.stop();
  EXPECT_EQ(Params(7, 2), handlers.back()->seen().back());
}

}  // namespace
}  // namespace vcb
