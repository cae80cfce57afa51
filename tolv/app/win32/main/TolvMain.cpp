// Entry point of the player: the start-up record in log.txt, then the
// application object until the main frame closes.
#include <windows.h>

#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/spdlog.h>

#include "tolv/app/PlogFormatter.h"
#include "tolv/app/win32/frame/TolvApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  try {
    auto sink = std::make_shared<spdlog::sinks::rotating_file_sink_mt>("log.txt", 1024 * 1024, 1);
    sink->set_formatter(std::make_unique<tolv::PlogFormatter>());
    auto logger = std::make_shared<spdlog::logger>("tolv", sink);
    logger->set_level(spdlog::level::debug);
    SPDLOG_LOGGER_INFO(logger, "tolv start");
    logger->flush();
  } catch (...) {
  }
  tolv::CTolvApp app;
  if (!app.InitInstance(commandLine ? commandLine : L"")) return 1;
  return app.Run();
}
