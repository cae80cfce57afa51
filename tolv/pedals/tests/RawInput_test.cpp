#include "tolv/pedals/RawInput.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tolv/pedals/tests/fakes/FakePedalDevices.h"

namespace tolv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(RawInput, TypeNames) {
  EXPECT_EQ(RawInputTypeName(0), L"RIM_TYPEMOUSE");
  EXPECT_EQ(RawInputTypeName(1), L"RIM_TYPEKEYBOARD");
  EXPECT_EQ(RawInputTypeName(2), L"RIM_TYPEHID");
  EXPECT_EQ(RawInputTypeName(3), L"Unknown");
}

TEST(RawInput, RegistersOnlyHidDevices) {
  const auto entries = HidRegistrations({{RawTypeMouse, 1, 2}, {RawTypeHid, 0x0C, 0x01}, {RawTypeKeyboard, 1, 6},
                                         {RawTypeHid, 0xFF00, 0x03}});
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].usagePage, 0x0C);
  EXPECT_EQ(entries[0].usage, 0x01);
  EXPECT_EQ(entries[1].usagePage, 0xFF00);
  EXPECT_EQ(entries[1].flags, 0u);
  EXPECT_THAT(HidRegistrations({{RawTypeMouse, 1, 2}}), IsEmpty());
}

TEST(RawInput, ReportTextHasTwoSpacesBeforeEachEntry) {
  EXPECT_EQ(RawInputReportText({RawTypeHid, 2, 1, {0, 4}}), L"Pedal 2 was pressed total count 1  0 = 0,  1 = 4, ");
  EXPECT_EQ(RawInputReportText({RawTypeHid, 1, 2, {7, 255}}), L"Pedal 2 was pressed total count 2  0 = 7,  1 = 255, ");
  EXPECT_EQ(RawInputReportText({RawTypeKeyboard, 0, 0, {}}), L"Pedal 1 was pressed total count 0 ");
}

TEST(RawInput, ReportTextStopsAtTheRecordsBytes) {
  // A header that claims more than the record carries.
  EXPECT_EQ(RawInputReportText({RawTypeHid, 0xFFFFFFFF, 0xFFFFFFFF, {9}}),
            L"Pedal 2 was pressed total count -1  0 = 9, ");
  EXPECT_EQ(RawInputReportText({RawTypeHid, 1, 1, {1, 2, 3}}), L"Pedal 2 was pressed total count 1  0 = 1, ");
}

TEST(RawInput, CapturedKeyIsTheFirstReportByte) {
  EXPECT_EQ(CapturedKey({RawTypeHid, 2, 1, {0x74, 4}}), 0x74);
  EXPECT_EQ(CapturedKey({RawTypeHid, 0, 0, {}}), std::nullopt);
}

TEST(RawInput, NoReportWhileSettingsAreOpen) {
  testing::LockedMessageBoxes boxes;
  ShowRawInputReport({RawTypeHid, 1, 1, {4}}, true, boxes);
  EXPECT_THAT(boxes.texts(), IsEmpty());
  ShowRawInputReport({RawTypeHid, 1, 1, {4}}, false, boxes);
  EXPECT_THAT(boxes.texts(), ElementsAre(L"Pedal 2 was pressed total count 1  0 = 4, "));
}

}  // namespace
}  // namespace tolv
