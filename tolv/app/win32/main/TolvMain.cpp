// Entry point of the player. The application object grows with its issues;
// for now the program writes its start-up record to log.txt and ends.
#include <windows.h>

#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/spdlog.h>

#include "tolv/app/PlogFormatter.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    auto sink = std::make_shared<spdlog::sinks::rotating_file_sink_mt>("log.txt", 1024 * 1024, 1);
    sink->set_formatter(std::make_unique<tolv::PlogFormatter>());
    auto logger = std::make_shared<spdlog::logger>("tolv", sink);
    logger->set_level(spdlog::level::debug);
    SPDLOG_LOGGER_INFO(logger, "tolv start");
    logger->flush();
  } catch (...) {
  }
  return 0;
}
