#include "tolv/app/PlogFormatter.h"

#include <gtest/gtest.h>
#include <spdlog/details/log_msg.h>

#include <regex>

namespace {

std::string render(spdlog::level::level_enum level, const char* func, int line, const char* text) {
  spdlog::source_loc loc{"file.cpp", line, func};
  spdlog::details::log_msg msg(loc, "tolv", level, text);
  spdlog::memory_buf_t buf;
  tolv::PlogFormatter().format(msg, buf);
  return std::string(buf.data(), buf.size());
}

TEST(PlogFormatter, WritesThePlainTextLayout) {
  std::string out = render(spdlog::level::info, "InitInstance", 42, "started");
  EXPECT_TRUE(std::regex_match(
      out, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} INFO  \[\d+\] \[InitInstance@42\] started\n)")))
      << out;
}

TEST(PlogFormatter, SeverityWordsArePaddedToFive) {
  struct Case { spdlog::level::level_enum level; const char* word; } cases[] = {
      {spdlog::level::critical, "FATAL"}, {spdlog::level::err, "ERROR"}, {spdlog::level::warn, "WARN "},
      {spdlog::level::info, "INFO "},     {spdlog::level::debug, "DEBUG"}, {spdlog::level::trace, "VERB "}};
  for (const auto& c : cases) EXPECT_STREQ(c.word, tolv::plogSeverity(c.level));
}

}  // namespace
