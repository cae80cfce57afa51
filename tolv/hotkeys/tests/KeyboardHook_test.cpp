#include <gtest/gtest.h>

#include "tolv/hotkeys/KeyboardHook.h"
#include "tolv/hotkeys/tests/fakes/FakeHotkeyTarget.h"
#include "tolv/hotkeys/tests/fakes/ScopedHotkeyTables.h"

using namespace tolv;
using namespace testing_tolv;

namespace {

class HookProcedure : public ::testing::Test {
 protected:
  ScopedHotkeyTables tables;
  FakeHotkeyTarget target;
  HotkeyDispatcher dispatcher{target};
  FakeNextHook next;

  intptr_t call(int code, uint32_t message, uint32_t vk) {
    LowLevelKeyEvent event{message, vk, 0x10};
    return HotkeyHookProcedure(dispatcher, next, code, &event, message,
                               reinterpret_cast<intptr_t>(&event));
  }
};

TEST_F(HookProcedure, ConsumedEventEndsTheChain) {
  next.result = 77;
  EXPECT_EQ(call(kHcAction, kKeyDown, 0x73), 1);
  EXPECT_EQ(next.calls, 0);
  EXPECT_EQ(target.calls, std::vector<std::string>{"Stop"});
}

TEST_F(HookProcedure, PassedEventGoesToTheNextHookUnchanged) {
  next.result = 77;
  LowLevelKeyEvent event{kKeyUp, 0x73, 0};
  EXPECT_EQ(HotkeyHookProcedure(dispatcher, next, kHcAction, &event, 0x101, 0x1234), 77);
  EXPECT_EQ(next.calls, 1);
  EXPECT_EQ(next.code, kHcAction);
  EXPECT_EQ(next.wParam, 0x101u);
  EXPECT_EQ(next.lParam, 0x1234);
}

TEST_F(HookProcedure, OtherCodesAreNotDispatched) {
  next.result = 5;
  EXPECT_EQ(call(3, kKeyDown, 0x73), 5);
  EXPECT_EQ(call(-1, kKeyDown, 0x70), 5);
  EXPECT_EQ(next.calls, 2);
  EXPECT_EQ(next.code, -1);
  EXPECT_TRUE(target.calls.empty());
  EXPECT_TRUE(dispatcher.typing().atWordBreak);  // not even observed
}

TEST_F(HookProcedure, MissingRecordPasses) {
  EXPECT_EQ(HotkeyHookProcedure(dispatcher, next, kHcAction, nullptr, kKeyDown, 0), 0);
  EXPECT_EQ(next.calls, 1);
  EXPECT_TRUE(target.calls.empty());
}

TEST_F(HookProcedure, SystemKeyPasses) {
  EXPECT_EQ(call(kHcAction, kSysKeyDown, 0x79), 0);
  EXPECT_EQ(next.calls, 1);
}

}  // namespace
