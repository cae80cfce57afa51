#include "tolv/app/Startup.h"

#include <gtest/gtest.h>
#include <spdlog/sinks/ostream_sink.h>

#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tolv {
namespace {

// Records the steps in the order they run; `throwAt` makes one step throw,
// `failing` makes the named yes/no steps answer no.
class RecordingSteps : public IStartupSteps {
 public:
  std::vector<std::string> calls;
  std::string throwAt;
  std::set<std::string> failing;
  int dontShowKLCodecMsg = 0;

  bool MediaPlayerInstalled() override { return answer("MediaPlayerInstalled"); }
  void ShowMediaPlayerMissingNotice() override { step("ShowMediaPlayerMissingNotice"); }
  void ShowSplash() override { step("ShowSplash"); }
  void SetRegistryLocation() override { step("SetRegistryLocation"); }
  void LoadRichEditLibrary() override { step("LoadRichEditLibrary"); }
  void ForceShowNormal() override { step("ForceShowNormal"); }
  void InitCommonControls() override { step("InitCommonControls"); }
  void InitFramework() override { step("InitFramework"); }
  bool InitOle() override { return answer("InitOle"); }
  void ShowMessage(const std::wstring& text) override { step("ShowMessage " + std::string(text.begin(), text.end())); }
  void EnableActiveXHosting() override { step("EnableActiveXHosting"); }
  void FillHotkeyDefaults() override { step("FillHotkeyDefaults"); }
  void RegisterKnownExtensions() override { step("RegisterKnownExtensions"); }
  void ReadConfiguration() override { step("ReadConfiguration"); }
  void CreateDocumentTemplate() override { step("CreateDocumentTemplate"); }
  bool ProcessShellCommand() override { return answer("ProcessShellCommand"); }
  void CheckForUpdate() override { step("CheckForUpdate"); }
  int DontShowKLCodecMsg() override {
    step("DontShowKLCodecMsg");
    return dontShowKLCodecMsg;
  }
  void ShowCodecNotice() override { step("ShowCodecNotice"); }
  void ApplyAlwaysOnTop() override { step("ApplyAlwaysOnTop"); }

 private:
  void step(const std::string& name) {
    calls.push_back(name);
    if (name == throwAt) throw std::runtime_error("broken " + name);
  }
  bool answer(const std::string& name) {
    step(name);
    return failing.count(name) == 0;
  }
};

struct StartupRun {
  bool result;
  std::vector<std::string> calls;
  std::vector<std::string> records;
};

StartupRun Start(RecordingSteps& steps) {
  std::ostringstream out;
  auto sink = std::make_shared<spdlog::sinks::ostream_sink_mt>(out);
  sink->set_pattern("%l|%v");
  spdlog::logger log("tolv", sink);
  log.set_level(spdlog::level::debug);
  StartupRun run{InitInstance(steps, log), steps.calls, {}};
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) run.records.push_back(line);
  return run;
}

using Calls = std::vector<std::string>;

const Calls kUpToTemplate = {"MediaPlayerInstalled", "ShowSplash",          "SetRegistryLocation",
                             "LoadRichEditLibrary",  "ForceShowNormal",     "InitCommonControls",
                             "InitFramework",        "InitOle",             "EnableActiveXHosting",
                             "FillHotkeyDefaults",   "RegisterKnownExtensions", "ReadConfiguration",
                             "CreateDocumentTemplate"};

Calls Then(Calls head, const Calls& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

const char kCodecRecord[] =
    "info|theApp.GetProfileIntW(_T(\"Settings\"), _T(\"DontShowKLCodecMsg\"), 0) == 0";
const char kShellRecord[] = "error|!ProcessShellCommand(cmdInfo)";

TEST(Startup, FirstStartRunsEveryStepInOrderAndShowsTheCodecNotice) {
  RecordingSteps steps;
  const StartupRun run = Start(steps);
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.calls, Then(kUpToTemplate, {"ProcessShellCommand", "CheckForUpdate", "DontShowKLCodecMsg",
                                            "ShowCodecNotice", "ApplyAlwaysOnTop"}));
  EXPECT_EQ(run.records, std::vector<std::string>{kCodecRecord});
}

TEST(Startup, StoredDontShowSuppressesTheCodecNoticeAndItsRecord) {
  for (int stored : {1, -1, 7}) {
    RecordingSteps steps;
    steps.dontShowKLCodecMsg = stored;
    const StartupRun run = Start(steps);
    EXPECT_TRUE(run.result);
    EXPECT_EQ(run.calls, Then(kUpToTemplate, {"ProcessShellCommand", "CheckForUpdate", "DontShowKLCodecMsg",
                                              "ApplyAlwaysOnTop"}))
        << stored;
    EXPECT_TRUE(run.records.empty()) << stored;
  }
}

TEST(Startup, MissingMediaPlayerShowsItsNoticeAndGoesOn) {
  RecordingSteps steps;
  steps.failing = {"MediaPlayerInstalled"};
  const StartupRun run = Start(steps);
  EXPECT_TRUE(run.result);
  ASSERT_GE(run.calls.size(), 3u);
  EXPECT_EQ(Calls(run.calls.begin(), run.calls.begin() + 3),
            (Calls{"MediaPlayerInstalled", "ShowMediaPlayerMissingNotice", "ShowSplash"}));
  EXPECT_EQ(run.calls.back(), "ApplyAlwaysOnTop");
}

TEST(Startup, FailedOleEndsTheProgramAfterItsMessage) {
  RecordingSteps steps;
  steps.failing = {"InitOle"};
  const StartupRun run = Start(steps);
  EXPECT_FALSE(run.result);
  const Calls upToOle(kUpToTemplate.begin(), kUpToTemplate.begin() + 8);
  EXPECT_EQ(run.calls, Then(upToOle, {"ShowMessage OLE init failed"}));
  EXPECT_TRUE(run.records.empty());
}

TEST(Startup, FailedShellCommandEndsTheProgramBeforeTheNotices) {
  RecordingSteps steps;
  steps.failing = {"ProcessShellCommand"};
  const StartupRun run = Start(steps);
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.calls, Then(kUpToTemplate, {"ProcessShellCommand"}));
  EXPECT_EQ(run.records, std::vector<std::string>{kShellRecord});
}

// An exception is logged and skips what is left up to the document template;
// without a template the shell command fails and the program ends.
TEST(Startup, ExceptionBeforeTheTemplateIsLoggedAndEndsAtTheShellCommand) {
  for (const char* step : {"ForceShowNormal", "FillHotkeyDefaults", "ReadConfiguration", "CreateDocumentTemplate"}) {
    RecordingSteps steps;
    steps.throwAt = step;
    const StartupRun run = Start(steps);
    EXPECT_FALSE(run.result) << step;
    EXPECT_EQ(run.calls.back(), step) << "nothing runs after the failed step";
    EXPECT_EQ(run.records, (std::vector<std::string>{std::string("error|Error: broken ") + step, kShellRecord}));
  }
}

}  // namespace
}  // namespace tolv
