#include "tolv/convert/DictationFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tolv/convert/tests/fakes/FakeConvertPorts.h"

namespace tolv::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class DictationTest : public ::testing::Test {
 protected:
  DictationTest() { sdk.files = &platform.files; }

  bool decode(std::wstring& path) { return decoder.DecodeDictationFile(path); }

  FakeConvertPlatform platform;
  FakeConvertUi ui;
  FakeDictationSdk sdk;
  CDictationDecoder decoder{sdk, platform, ui};
};

TEST_F(DictationTest, DecodesIntoAWavBesideTheFile) {
  std::wstring path = L"C:\\d\\memo.dss";
  platform.files = {path};
  EXPECT_TRUE(decode(path));
  EXPECT_EQ(path, L"C:\\d\\memo.dss.wav");
  EXPECT_THAT(sdk.calls, ElementsAre("Create", "RegisterSink", "DeviceIdentities", "OpenDevice", "OpenFile",
                                     "QueryFile", "DecodeToWav", "CloseFile", "Release"));
  EXPECT_EQ(sdk.openedDevice, kLocalDecoderIdentity);
  EXPECT_EQ(sdk.openedPath, L"C:\\d\\memo.dss");
  EXPECT_EQ(sdk.wavPath, L"C:\\d\\memo.dss.wav");
  EXPECT_EQ(ui.notesShown, 1);
  EXPECT_FALSE(ui.noteOpen);
  EXPECT_THAT(ui.warnings, IsEmpty());
}

TEST_F(DictationTest, ExistingWavIsReusedWithoutTheSdk) {
  std::wstring path = L"C:\\d\\memo.DS2";
  platform.files = {path, L"C:\\d\\memo.DS2.wav"};
  EXPECT_TRUE(decode(path));
  EXPECT_EQ(path, L"C:\\d\\memo.DS2.wav");
  EXPECT_THAT(sdk.calls, IsEmpty());
}

TEST_F(DictationTest, RemoteAddressesAreRefused) {
  for (const wchar_t* address : {L"http://host/memo.dss", L"\\\\www.host.com\\d\\memo.ds2"}) {
    std::wstring path = address;
    ui.warnings.clear();
    EXPECT_FALSE(decode(path));
    EXPECT_EQ(path, address);
    EXPECT_THAT(ui.warnings, ElementsAre(kRemoteDictationText));
  }
  EXPECT_THAT(sdk.calls, IsEmpty());
}

TEST_F(DictationTest, MissingSdkAsksForTheCodecs) {
  sdk.installed = false;
  for (bool yes : {false, true}) {
    ui.answer = yes;
    std::wstring path = L"C:\\d\\memo.dss";
    EXPECT_FALSE(decode(path));
    EXPECT_EQ(path, L"C:\\d\\memo.dss");
  }
  EXPECT_THAT(ui.questions, ElementsAre(kCodecQuestionText, kCodecQuestionText));
  EXPECT_THAT(platform.browsed, ElementsAre(kCodecDownloadAddress));  // only after Yes
}

TEST_F(DictationTest, FirstDeviceServesWhenTheLocalDecoderIsAbsent) {
  sdk.devices = {0x30000003u, 0x20000002u};
  std::wstring path = L"C:\\d\\memo.dss";
  EXPECT_TRUE(decode(path));
  EXPECT_EQ(sdk.openedDevice, 0x30000003u);
}

struct StepFailure {
  const char* name;
  SdkStatus FakeDictationSdk::*status;
  bool fileClosed;
};

class FailingStep : public DictationTest, public ::testing::WithParamInterface<StepFailure> {};

TEST_P(FailingStep, DictationFileIsPlayedAsItIs) {
  sdk.*GetParam().status = static_cast<SdkStatus>(0x80004005u);
  std::wstring path = L"C:\\d\\memo.dss";
  EXPECT_TRUE(decode(path));
  EXPECT_EQ(path, L"C:\\d\\memo.dss");
  EXPECT_THAT(ui.warnings, IsEmpty());
  const bool closed = std::find(sdk.calls.begin(), sdk.calls.end(), "CloseFile") != sdk.calls.end();
  EXPECT_EQ(closed, GetParam().fileClosed);
  EXPECT_EQ(sdk.managersAlive, 0);
}

INSTANTIATE_TEST_SUITE_P(Steps, FailingStep,
                         ::testing::Values(StepFailure{"OpenDevice", &FakeDictationSdk::openDevice, false},
                                           StepFailure{"OpenFile", &FakeDictationSdk::openFile, false},
                                           StepFailure{"QueryFile", &FakeDictationSdk::queryFile, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DictationTest, WithoutDevicesNothingIsDecoded) {
  sdk.devices.clear();
  std::wstring path = L"C:\\d\\memo.dss";
  EXPECT_TRUE(decode(path));
  EXPECT_EQ(path, L"C:\\d\\memo.dss");
  EXPECT_THAT(sdk.calls, ElementsAre("Create", "RegisterSink", "DeviceIdentities", "Release"));
}

TEST_F(DictationTest, OverlongPathIsNotHandedToTheSdk) {
  std::wstring path = L"C:\\" + std::wstring(300, L'a') + L".dss";
  const std::wstring original = path;
  EXPECT_TRUE(decode(path));
  EXPECT_EQ(path, original);
  EXPECT_EQ(std::count(sdk.calls.begin(), sdk.calls.end(), "OpenFile"), 0);
}

struct StatusCase {
  uint32_t status;
  const wchar_t* text;
};

class DecodeError : public DictationTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(DecodeError, ShowsTheSdkTextAndPlaysTheDictationFile) {
  sdk.decode = static_cast<SdkStatus>(GetParam().status);
  std::wstring path = L"C:\\d\\memo.dss";
  EXPECT_TRUE(decode(path));
  EXPECT_EQ(path, L"C:\\d\\memo.dss");
  EXPECT_THAT(ui.warnings, ElementsAre(GetParam().text));
  EXPECT_FALSE(ui.noteOpen);
  EXPECT_EQ(sdk.calls.back(), "Release");
  EXPECT_EQ(sdk.calls[sdk.calls.size() - 2], "CloseFile");
}

INSTANTIATE_TEST_SUITE_P(Codes, DecodeError,
                         ::testing::Values(StatusCase{0x8004030Eu, L" Password for encrypting file is invalid!  "},
                                           StatusCase{0x80004005u, L" Abnormal Terminate!  "},
                                           StatusCase{0x80040313u, L" Windows system exception error occurred!  "},
                                           StatusCase{0x80050008u, L" There is no device!  "},
                                           StatusCase{0x80040310u, L" Processing success.  "},
                                           StatusCase{0x80001234u, L" Processing success.  "}));  // not in the table

}  // namespace
}  // namespace tolv::testing
