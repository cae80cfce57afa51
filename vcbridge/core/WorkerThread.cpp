#include "vcbridge/core/WorkerThread.h"

namespace vcb {

WorkerThread::~WorkerThread() {
  waitForThreadEnd();
  started_.close();
  failure_.reset();
}

void WorkerThread::start() {
  setRunning(true);
  failure_.reset();
  if (started_.isNull()) started_.reset(kernel().createEvent(L"", true, false, Security::Default));
  waitForThreadEnd();  // a restart never leaves the old thread unjoined
  // The id is stored before the new thread runs, so initialise() may use it.
  threadId_ = 0;
  thread_.reset(kernel().createThread([this] { return body(); }, &threadId_));
  if (thread_.isNull()) {
    setRunning(false);
    return;
  }
  kernel().wait(started_.get(), kInfinite);
  kernel().resetEvent(started_.get());
}

uint32_t WorkerThread::body() {
  bool signalled = false;
  try {
    initialise();
    kernel().setEvent(started_.get());
    signalled = true;
    run();
  } catch (const Exception& e) {
    if (!signalled) kernel().setEvent(started_.get());
    signalled = true;
    failure_ = std::make_shared<Exception>(e);
  } catch (...) {
    // Run operations catch their own non-Exception failures; this is a last
    // guard so that start() can never wait for ever.
    if (!signalled) kernel().setEvent(started_.get());
    signalled = true;
  }
  try {
    finalise();
  } catch (...) {
  }
  return failure_ ? static_cast<uint32_t>(failure_->code) : 0u;
}

void WorkerThread::waitForThreadEnd() {
  if (!thread_.isNull()) {
    kernel().wait(thread_.get(), kInfinite);
    thread_.close();
  }
}

void WorkerThread::join() {
  waitForThreadEnd();
  if (failure_) throw Exception(failure_->code);
}

int32_t WorkerThread::failureCode() const { return failure_ ? failure_->code : 0; }

}  // namespace vcb
