#include "tolv/update/UpdateCheck.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tolv/update/tests/fakes/FakeUpdatePorts.h"

namespace tolv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::FakeHttpClient;
using testing::FakeProfileStore;
using testing::FakeUpdateOffer;
using namespace std::string_literals;

const char* name(UpdateOutcome outcome) {
  switch (outcome) {
    case UpdateOutcome::UpToDate: return "UpToDate";
    case UpdateOutcome::Failed: return "Failed";
    case UpdateOutcome::Suppressed: return "Suppressed";
    case UpdateOutcome::Offered: return "Offered";
  }
  return "?";
}
}  // namespace

void PrintTo(UpdateOutcome outcome, std::ostream* os) { *os << name(outcome); }

namespace {

class UpdateCheckTest : public ::testing::Test {
 protected:
  UpdateOutcome check() { return CUpdateCheck(http, profile, offer, L"http://127.0.0.1:8080").CheckForUpdate(); }

  FakeHttpClient http;
  FakeProfileStore profile;
  FakeUpdateOffer offer;
};

TEST_F(UpdateCheckTest, AsksTheServiceForThisVersionAtTheGivenAddress) {
  http.answer(200, L"Current Version");
  check();
  EXPECT_THAT(http.requests, ElementsAre(L"http://127.0.0.1:8080/tolv.php?cmd=checkver&ver=4.3"));
}

TEST_F(UpdateCheckTest, ProductAddressIsTheDefault) {
  http.answer(200, L"Current Version");
  CUpdateCheck(http, profile, offer).CheckForUpdate();
  EXPECT_THAT(http.requests, ElementsAre(L"http://www.quenmark.com/tolv.php?cmd=checkver&ver=4.3"));
}

TEST_F(UpdateCheckTest, TrailingSlashOfTheAddressDoesNotDoubleTheSlash) {
  http.answer(200, L"Current Version");
  CUpdateCheck(http, profile, offer, L"http://h:81/").CheckForUpdate();
  EXPECT_THAT(http.requests, ElementsAre(L"http://h:81/tolv.php?cmd=checkver&ver=4.3"));
}

struct AnswerCase {
  const char* name;
  unsigned status;
  std::wstring body;
  UpdateOutcome outcome;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class UpdateAnswerTest : public UpdateCheckTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(UpdateAnswerTest, DecidesWhetherToOffer) {
  http.answer(GetParam().status, GetParam().body);
  EXPECT_EQ(check(), GetParam().outcome);
  EXPECT_EQ(offer.shown.size(), GetParam().outcome == UpdateOutcome::Offered ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, UpdateAnswerTest,
    ::testing::Values(
        AnswerCase{"UpToDate", 200, L"Current Version", UpdateOutcome::UpToDate},
        AnswerCase{"MarkerInsideText", 200, L"<p>You run the Current Version 4.3.</p>", UpdateOutcome::UpToDate},
        AnswerCase{"ErrorFromService", 200, L"Error: unknown version", UpdateOutcome::Failed},
        AnswerCase{"BothMarkersErrorFirst", 200, L"Error ... Current Version", UpdateOutcome::UpToDate},
        AnswerCase{"BothMarkersCurrentFirst", 200, L"Current Version ... Error", UpdateOutcome::UpToDate},
        // The markers are case-sensitive: anything else is an offer.
        AnswerCase{"LowerCaseMarker", 200, L"current version is 5.0", UpdateOutcome::Offered},
        AnswerCase{"LowerCaseError", 200, L"no error, version 5.0 is out", UpdateOutcome::Offered},
        AnswerCase{"NoMarker", 200, L"Version 5.0 is available.", UpdateOutcome::Offered},
        AnswerCase{"EmptyAnswer", 200, L"", UpdateOutcome::Offered},
        // A missing page or a broken service is a failed check, whatever its page says.
        AnswerCase{"NotFound", 404, L"<h1>Not Found</h1>", UpdateOutcome::Failed},
        AnswerCase{"ServerError", 500, L"", UpdateOutcome::Failed},
        AnswerCase{"NoContent", 204, L"", UpdateOutcome::Offered},
        // A binary body: the marker after the NUL still counts.
        AnswerCase{"MarkerAfterNul", 200, L"\x7f\x01\0\xff Current Version"s, UpdateOutcome::UpToDate},
        AnswerCase{"BinaryJunk", 200, L"\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s, UpdateOutcome::Offered}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateCheckTest, TwoSentencesJoinedByBackslashNAreShownOnTwoLines) {
  http.answer(200, L"Version 5.0 is out.\\nIt plays faster.");
  EXPECT_EQ(check(), UpdateOutcome::Offered);
  EXPECT_THAT(offer.shown, ElementsAre(L"Version 5.0 is out.\r\nIt plays faster."));
}

TEST_F(UpdateCheckTest, UpgradeShowOneSuppressesTheOffer) {
  profile.values[{L"Settings", L"UpgradeShow"}] = 1;
  http.answer(200, L"Version 5.0 is out.\\nIt plays faster.");
  EXPECT_EQ(check(), UpdateOutcome::Suppressed);
  EXPECT_THAT(offer.shown, IsEmpty());
}

TEST_F(UpdateCheckTest, UpgradeShowOtherThanOneOffers) {
  for (int value : {0, 2, -1}) {
    profile.values[{L"Settings", L"UpgradeShow"}] = value;
    offer.shown.clear();
    http.answer(200, L"Version 5.0");
    EXPECT_EQ(check(), UpdateOutcome::Offered) << value;
  }
}

TEST_F(UpdateCheckTest, FailureTextsEndTheCheckQuietly) {
  for (const std::wstring& failure :
       {HttpErrorText::Request(12029), HttpErrorText::QueryDataAvailable(12030), HttpErrorText::ReadData(12002),
        HttpErrorText::BodyTooLarge()}) {
    http.fail(failure);
    EXPECT_EQ(check(), UpdateOutcome::Failed) << failure;
  }
  EXPECT_THAT(offer.shown, IsEmpty());
}

TEST_F(UpdateCheckTest, OutOfMemoryCarriesNoMarkerAndIsShown) {
  http.fail(HttpErrorText::OutOfMemory());
  EXPECT_EQ(check(), UpdateOutcome::Offered);
  EXPECT_THAT(offer.shown, ElementsAre(L"Out of memory\n"));
}

TEST_F(UpdateCheckTest, NulCharactersAreDroppedFromTheShownAnswer) {
  http.answer(200, L"Version\0 5.0"s);
  check();
  EXPECT_THAT(offer.shown, ElementsAre(L"Version 5.0"));
}

TEST(HttpErrorTextTest, Texts) {
  EXPECT_EQ(HttpErrorText::Request(12029), L"Error 12029 has occurred.\n");
  EXPECT_EQ(HttpErrorText::QueryDataAvailable(12030), L"Error 12030 in WinHttpQueryDataAvailable.\n");
  EXPECT_EQ(HttpErrorText::ReadData(4294967295u), L"Error 4294967295 in WinHttpReadData.\n");
  EXPECT_EQ(HttpErrorText::OutOfMemory(), L"Out of memory\n");
  EXPECT_EQ(HttpErrorText::Status(404), L"Error 404 in HTTP status.\n");
  EXPECT_EQ(HttpErrorText::BodyTooLarge(), L"Error: answer longer than 1048576 bytes.\n");
}

TEST(ExpandLineBreaksTest, Cases) {
  struct Case {
    std::wstring in, out;
  } cases[] = {
      {L"a\\nb", L"a\r\nb"},
      {L"\\n\\n", L"\r\n\r\n"},
      {L"\\nstart and end\\n", L"\r\nstart and end\r\n"},
      {L"a\\\\nb", L"a\\\r\nb"},  // only the last backslash pairs with the n
      {L"trailing\\", L"trailing\\"},
      {L"a\\tb \\N", L"a\\tb \\N"},  // other escapes and a capital N stay
      {L"real\nbreak", L"real\nbreak"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(ExpandLineBreaks(c.in), c.out) << c.in.size();
}

}  // namespace
}  // namespace tolv
