#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace kit {

// Folder of the running test program, with a trailing backslash.
std::wstring exeFolder();

// A child process started from a program beside the test executable.
class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child();
  // Starts <exeFolder><program> with the given arguments; false on failure.
  bool start(const std::wstring& program, const std::wstring& args);
  // Waits up to timeoutMs; the exit code, or -1 on time-out or failure.
  long wait(DWORD timeoutMs);
  bool running();
  void kill();
  HANDLE handle() const { return process_; }

 private:
  HANDLE process_ = nullptr;
};

// Polls cond every 10 ms until it holds or timeoutMs passed.
bool waitFor(const std::function<bool()>& cond, DWORD timeoutMs);

// A name no other test run uses at the same time.
std::wstring uniqueName(const std::wstring& stem);

}  // namespace kit
