#pragma once
#include <spdlog/formatter.h>

#include <memory>

namespace tolv {

// Writes spdlog records in the plain-text layout of the player's log.txt:
// "YYYY-MM-DD hh:mm:ss.mmm LEVEL [tid] [func@line] message\n".
class PlogFormatter : public spdlog::formatter {
 public:
  void format(const spdlog::details::log_msg& msg, spdlog::memory_buf_t& dest) override;
  std::unique_ptr<spdlog::formatter> clone() const override;
};

// The severity word, left-aligned in five columns.
const char* plogSeverity(spdlog::level::level_enum level);

}  // namespace tolv
