#pragma once
// Runs vcb_client_emulator.exe (beside the test program) for one test and
// talks to its control pipe. start() also points the channel doubles of this
// process, and of children started afterwards, at it (KIT_EMULATOR_PIPE).
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "vcbridge/channels/tests/emulator/win32/PipeIo.h"

namespace vcb::testing {

class ClientEmulatorProcess {
 public:
  ClientEmulatorProcess() = default;
  ClientEmulatorProcess(const ClientEmulatorProcess&) = delete;
  ClientEmulatorProcess& operator=(const ClientEmulatorProcess&) = delete;
  ~ClientEmulatorProcess() { stop(); }

  // False if the program does not start or does not answer within 10 s.
  bool start() {
    base_ = kit::uniqueName(L"vcbemu");
    std::wstring args = base_ + L" --parent " + std::to_wstring(GetCurrentProcessId());
    if (!child_.start(L"vcb_client_emulator.exe", args)) return false;
    SetEnvironmentVariableW(L"KIT_EMULATOR_PIPE", base_.c_str());
    return kit::waitFor([this] { return command("ping") == "ok"; }, 10000);
  }

  // Asks it to quit; ends it by force if it does not.
  void stop() {
    if (!child_.running()) return;
    command("quit");
    if (child_.wait(5000) < 0) child_.kill();
  }

  bool running() { return child_.running(); }

  // One control line; the reply, "" when the emulator cannot be reached.
  std::string command(const std::string& line) { return emulator::control(base_, line); }

  // A number from "stats", e.g. stat("dss"); -1 when absent.
  long stat(const std::string& key) {
    std::string s = " " + command("stats") + " ";
    size_t at = s.find(" " + key + "=");
    return at == std::string::npos ? -1 : std::atol(s.c_str() + at + key.size() + 2);
  }

  // Packet i that the relay wrote on "dss" or "cfa"; empty when there is none.
  std::vector<uint8_t> packet(const std::string& channel, int i) {
    std::string reply = command("packet " + channel + " " + std::to_string(i));
    std::vector<uint8_t> bytes;
    if (reply.rfind("ok ", 0) != 0 || !emulator::fromHex(reply.substr(3), bytes)) bytes.clear();
    return bytes;
  }

  const std::wstring& base() const { return base_; }

 private:
  kit::Child child_;
  std::wstring base_;
};

}  // namespace vcb::testing
