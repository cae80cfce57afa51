#include <gtest/gtest.h>

#include <thread>

#include "vcbridge/ipc/tests/fakes/FakeMessagePort.h"

namespace vcb {
namespace {

using testing::FakeMessagePort;
using testing::ScopedFakeMessagePort;

// Other suites rely on the fake behaving like the Win32 port.
TEST(FakeMessagePort, NumbersNamesAndRecordsEveryPost) {
  ScopedFakeMessagePort port;
  EXPECT_EQ(0xC000u, registeredMessages().command);
  EXPECT_EQ(0xC001u, registeredMessages().notify);
  EXPECT_EQ(0xC002u, registeredMessages().sessionNotify);
  EXPECT_EQ(0xC000u, messagePort().registerMessage(L"WMSZ_DSS_COMMAND")) << "same name, same number";

  port->windowGone(0x20020);
  EXPECT_TRUE(messagePort().post(0x10010, 0xC000, 0, 5));
  EXPECT_FALSE(messagePort().post(0x20020, 0xC001, 0, 1)) << "gone";
  EXPECT_FALSE(messagePort().post(0, 0xC000, 0, 1)) << "the caller's own thread";
  EXPECT_FALSE(messagePort().post(0xFFFF, 0xC000, 0, 1)) << "broadcast";
  port->windowGone(0x20020, false);
  EXPECT_TRUE(messagePort().post(0x20020, 0xC001, 0, 2));

  using Post = FakeMessagePort::Post;
  EXPECT_EQ((std::vector<Post>{{0x10010, 0xC000, 0, 5, true}, {0x20020, 0xC001, 0, 2, true}}),
            port->delivered());
  EXPECT_EQ(5u, port->posts().size());
  EXPECT_EQ(2u, port->postsTo(0x20020).size());
}

TEST(FakeMessagePort, WaitsForPostsFromAnotherThread) {
  ScopedFakeMessagePort port;
  std::thread t([] { messagePort().post(0x10010, 0xC000, 0, 1); });
  EXPECT_TRUE(port->waitForPosts(1));
  t.join();
  port->clear();
  EXPECT_FALSE(port->waitForPosts(1, std::chrono::milliseconds(1)));
}

}  // namespace
}  // namespace vcb
