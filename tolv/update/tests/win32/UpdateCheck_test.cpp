// The update check over WinHTTP against a loopback server started by the test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/win32/WinTest.h"
#include "tolv/update/UpdateCheck.h"
#include "tolv/update/tests/win32/LoopbackHttpServer.h"
#include "tolv/update/win32/Win32ProfileStore.h"
#include "tolv/update/win32/WinHttpClient.h"

namespace tolv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::LoopbackHttpServer;

class RecordingOffer : public IUpdateOffer {
 public:
  void ShowDownloadWindow(const std::wstring& answer) override { shown.push_back(answer); }
  std::vector<std::wstring> shown;
};

// Value of a header in a request head, matched case-insensitively by name.
std::string header(const std::string& head, const std::string& name) {
  std::size_t start = head.find("\r\n");
  while (start != std::string::npos) {
    start += 2;
    std::size_t end = head.find("\r\n", start);
    std::string line = head.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::size_t colon = line.find(':');
    if (colon != std::string::npos && _stricmp(line.substr(0, colon).c_str(), name.c_str()) == 0) {
      std::size_t value = line.find_first_not_of(' ', colon + 1);
      return value == std::string::npos ? std::string() : line.substr(value);
    }
    start = end;
  }
  return "<missing>";
}

std::string requestLine(const std::string& head) { return head.substr(0, head.find("\r\n")); }

class UpdateCheckWineTest : public ::testing::Test {
 protected:
  UpdateOutcome check(const std::wstring& address) {
    return CUpdateCheck(http, profile, offer, address).CheckForUpdate();
  }

  CWinHttpClient http;
  CRegistryProfileStore profile{L"Software\\Quenmark\\" + kit::uniqueName(L"TolvTest")};
  RecordingOffer offer;
  LoopbackHttpServer server;
};

TEST_F(UpdateCheckWineTest, CurrentVersionShowsNothingAndTheRequestIsAsSent) {
  server.respond(200, "OK", "You have the Current Version.");
  EXPECT_EQ(check(server.address()), UpdateOutcome::UpToDate);
  EXPECT_THAT(offer.shown, IsEmpty());

  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requestLine(requests[0]), "GET /tolv.php?cmd=checkver&ver=4.3 HTTP/1.1");
  EXPECT_EQ(header(requests[0], "Host"), "127.0.0.1:" + std::to_string(server.port()));
  EXPECT_EQ(header(requests[0], "User-Agent"), "TOLV/2.0");
}

TEST_F(UpdateCheckWineTest, TwoSentencesAreOfferedOnTwoLines) {
  server.respond(200, "OK", "Version 5.0 is out.\\nIt plays faster.");
  EXPECT_EQ(check(server.address()), UpdateOutcome::Offered);
  EXPECT_THAT(offer.shown, ElementsAre(L"Version 5.0 is out.\r\nIt plays faster."));
}

TEST_F(UpdateCheckWineTest, UpgradeShowInTheRegistrySuppressesTheOffer) {
  profile.WriteProfileInt(L"Settings", L"UpgradeShow", 1);
  server.respond(200, "OK", "Version 5.0 is out.");
  EXPECT_EQ(check(server.address()), UpdateOutcome::Suppressed);
  EXPECT_THAT(offer.shown, IsEmpty());
}

TEST_F(UpdateCheckWineTest, NotFoundIsAFailedCheck) {
  server.respond(404, "Not Found", "<html><body>Not Found</body></html>");
  EXPECT_EQ(HttpGetText(http, server.address(), CUpdateCheck::RequestPath()), L"Error 404 in HTTP status.\n");
  EXPECT_EQ(check(server.address()), UpdateOutcome::Failed);
  EXPECT_THAT(offer.shown, IsEmpty());
}

TEST_F(UpdateCheckWineTest, NoServerIsAFailedCheck) {
  const std::wstring nobody = testing::unusedLoopbackAddress();
  EXPECT_EQ(HttpGetText(http, nobody, CUpdateCheck::RequestPath()), L"Error 12029 has occurred.\n");
  EXPECT_EQ(check(nobody), UpdateOutcome::Failed);
  EXPECT_THAT(offer.shown, IsEmpty());
}

TEST_F(UpdateCheckWineTest, AnAnswerThatIsNotHttpIsAFailedCheck) {
  server.respond(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\r\n\r\n", 20));
  EXPECT_THAT(HttpGetText(http, server.address(), CUpdateCheck::RequestPath()), HasSubstr(L"Error"));
  EXPECT_EQ(check(server.address()), UpdateOutcome::Failed);
}

TEST_F(UpdateCheckWineTest, BinaryBodyIsShownWithoutItsNuls) {
  server.respond(200, "OK", std::string("new\0\x01 version", 13));
  EXPECT_EQ(check(server.address()), UpdateOutcome::Offered);
  EXPECT_THAT(offer.shown, ElementsAre(L"new\x01 version"));
}

TEST(WinHttpClientTest, BodyUpToTheBoundIsReadAndOneByteMoreFails) {
  LoopbackHttpServer server;
  CWinHttpClient client({}, 1000);
  server.respond(200, "OK", std::string(1000, 'a'));
  HttpResponse atBound = client.Get(server.address() + L"/");
  EXPECT_FALSE(atBound.failed()) << atBound.failure;
  EXPECT_EQ(atBound.body.size(), 1000u);

  server.respond(200, "OK", std::string(1001, 'a'));
  EXPECT_EQ(client.Get(server.address() + L"/").failure, HttpErrorText::BodyTooLarge());
}

TEST(WinHttpClientTest, EnormousBodyStopsAtTheDefaultBound) {
  LoopbackHttpServer server;
  CWinHttpClient client;
  server.respond(200, "OK", std::string(4 * kMaxHttpBodyBytes, 'x') + "Current Version");
  EXPECT_EQ(client.Get(server.address() + L"/").failure, HttpErrorText::BodyTooLarge());
}

TEST(WinHttpClientTest, FailedReadsReplaceWhatArrivedBefore) {
  LoopbackHttpServer server;
  server.respond(200, "OK", "Current Version");

  WinHttpApi failingQuery;
  failingQuery.queryDataAvailable = [](HINTERNET, LPDWORD) -> BOOL {
    SetLastError(ERROR_WINHTTP_CONNECTION_ERROR);
    return FALSE;
  };
  EXPECT_EQ(CWinHttpClient(failingQuery).Get(server.address() + L"/").failure,
            L"Error 12030 in WinHttpQueryDataAvailable.\n");

  WinHttpApi failingRead;
  failingRead.readData = [](HINTERNET, LPVOID, DWORD, LPDWORD) -> BOOL {
    SetLastError(ERROR_WINHTTP_TIMEOUT);
    return FALSE;
  };
  EXPECT_EQ(CWinHttpClient(failingRead).Get(server.address() + L"/").failure, L"Error 12002 in WinHttpReadData.\n");
}

TEST(RegistryProfileStoreTest, MissingValuesGiveTheDefaultAndWritesCreateTheSection) {
  CRegistryProfileStore store(L"Software\\Quenmark\\" + kit::uniqueName(L"TolvTest"));
  EXPECT_EQ(store.GetProfileInt(L"Settings", L"UpgradeShow", 0), 0);
  EXPECT_EQ(store.GetProfileInt(L"Settings", L"UpgradeShow", -1), -1);
  store.WriteProfileInt(L"Settings", L"UpgradeShow", 1);
  EXPECT_EQ(store.GetProfileInt(L"Settings", L"UpgradeShow", 0), 1);
  store.WriteProfileInt(L"Settings", L"UpgradeShow", 0);
  EXPECT_EQ(store.GetProfileInt(L"Settings", L"UpgradeShow", 7), 0);
}

TEST(RegistryProfileStoreTest, ProductKeyIsUnderQuenmarkTolv) {
  CRegistryProfileStore store;
  store.WriteProfileInt(L"Settings", L"UpgradeShow", 1);
  DWORD value = 0, size = sizeof value;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quenmark\\Tolv\\Settings", L"UpgradeShow", RRF_RT_REG_DWORD,
                         nullptr, &value, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenmark\\Tolv");
}

}  // namespace
}  // namespace tolv
