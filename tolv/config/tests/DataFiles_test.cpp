#include "tolv/config/DataFiles.h"

#include <gtest/gtest.h>

namespace tolv {
namespace {

TEST(DataFolder, ProgramFolderWhenWritableElseTheUsersOwn) {
  struct Case {
    const wchar_t* program;
    bool writable;
    const wchar_t* perUser;
    const wchar_t* expected;
  } cases[] = {
      {L"D:\\Tolv\\", true, L"C:\\Users\\t\\AppData\\Roaming\\Quenmark\\Tolv\\", L"D:\\Tolv\\"},
      {L"C:\\Program Files\\Tolv\\", false, L"C:\\Users\\t\\AppData\\Roaming\\Quenmark\\Tolv\\",
       L"C:\\Users\\t\\AppData\\Roaming\\Quenmark\\Tolv\\"},
      {L"", true, L"C:\\U\\Tolv\\", L"C:\\U\\Tolv\\"},                               // program folder unknown
      {L"C:\\Program Files\\Tolv\\", false, L"", L"C:\\Program Files\\Tolv\\"},  // no user folder known
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.program << " writable=" << c.writable);
    EXPECT_EQ(ChooseDataFolder(c.program, c.writable, c.perUser), c.expected);
  }
}

}  // namespace
}  // namespace tolv
