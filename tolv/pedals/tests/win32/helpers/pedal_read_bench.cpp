// How long one read step of the pedal timer holds the user-interface thread:
// the overlapped read of the Win32 adapter on a named pipe standing in for
// the pedal, with nothing waiting (the 50-ms wait runs out and the read is
// cancelled) and with a report waiting. Prints the figures; a benchmark, not a test.
// Usage: pedal_read_bench.exe [--idle N] [--ready N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "tolv/pedals/UsbPedal.h"
#include "tolv/pedals/win32/Win32PedalDevices.h"

namespace {

double Ms(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f) {
  return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

void Report(const char* what, std::vector<double> t) {
  if (t.empty()) return;
  std::sort(t.begin(), t.end());
  const auto at = [&](double q) { return t[std::min(t.size() - 1, static_cast<std::size_t>(q * t.size()))]; };
  std::printf("%s: median %.2f ms, p99 %.2f ms, max %.2f ms (%zu steps)\n", what, at(0.5), at(0.99), t.back(),
              t.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int idle = 40, ready = 400;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::wcscmp(argv[i], L"--idle") == 0) idle = std::max(1, _wtoi(argv[i + 1]));
    if (std::wcscmp(argv[i], L"--ready") == 0) ready = std::max(1, _wtoi(argv[i + 1]));
  }
  const std::wstring path = L"\\\\.\\pipe\\tolv-pedal-bench-" + std::to_wstring(GetCurrentProcessId());
  HANDLE pipe = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_WAIT, 1, 4096, 4096, 0,
                                 nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return 2;
  tolv::Win32PedalDevices devices;
  unsigned long error = 0;
  const tolv::DeviceHandle pedal = devices.open(path, error);
  if (pedal == tolv::InvalidDeviceHandle) return 3;
  ConnectNamedPipe(pipe, nullptr);

  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  unsigned char buffer[tolv::PedalReportSize];
  std::vector<double> idleTimes, readyTimes;
  for (int i = 0; i < idle; ++i) {
    QueryPerformanceCounter(&a);
    const tolv::ReadOutcome r = devices.read(pedal, buffer, sizeof buffer, tolv::PedalReadWaitMs);
    QueryPerformanceCounter(&b);
    if (r.completed) return 4;
    idleTimes.push_back(Ms(a, b, f));
  }
  unsigned char report[tolv::PedalReportSize] = {0, 4};
  for (int i = 0; i < ready; ++i) {
    DWORD written = 0;
    if (!WriteFile(pipe, report, sizeof report, &written, nullptr)) return 5;
    QueryPerformanceCounter(&a);
    const tolv::ReadOutcome r = devices.read(pedal, buffer, sizeof buffer, tolv::PedalReadWaitMs);
    QueryPerformanceCounter(&b);
    if (!r.completed || r.bytes != sizeof report || buffer[1] != 4) return 6;
    readyTimes.push_back(Ms(a, b, f));
  }
  Report("pedal read step, nothing waiting", idleTimes);
  Report("pedal read step, a report waiting", readyTimes);
  devices.close(pedal);
  CloseHandle(pipe);
  return 0;
}
