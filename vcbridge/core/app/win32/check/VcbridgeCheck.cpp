// vcbridge-check: run by an administrator inside a session to see whether
// the session's relay is alive and what it sees, without reading its log.
// It talks to the relay exactly as a dictation application does, through
// its own segment (keys from its process id, so two checks never meet).
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "vcbridge/channels/win32/RelayClient.h"

namespace {

using vcb::RelayClient;

enum ExitCode {
  kRelayReady = 0,       // relay answered, DSS channel open
  kChannelClosed = 1,    // relay answered, DSS channel closed
  kRelayNotRunning = 2,  // no relay window in this session
  kNoAnswer = 3,         // relay did not answer in time, refused the message or ended
  kCheckSetupFailed = 4, // the check could not make its own segment, mutex or window
  kOddAnswer = 5,        // an answer that no relay gives (past the segment, wrong status)
  kBadCommandLine = 64,
};

const wchar_t kUsage[] =
    L"usage: vcbridge-check.exe [--timeout MS] [--help]\n"
    L"\n"
    L"Checks the relay of this session: whether it runs, whether its DSS channel\n"
    L"is open, the local round-trip time of one request, and where it logs.\n"
    L"\n"
    L"  --timeout MS   how long to wait for each answer (default 3000)\n"
    L"  --help         this text\n"
    L"\n"
    L"Exit codes:\n"
    L"  0   the relay answered and its DSS channel is open\n"
    L"  1   the relay answered but its DSS channel is closed\n"
    L"  2   the relay is not running in this session\n"
    L"  3   the relay did not answer in time (or ended while asked)\n"
    L"  4   the check could not create its own segment, mutex or window\n"
    L"  5   the relay gave an answer it should never give\n"
    L"  64  bad command line\n";

// Console: wide text as is. Redirected: UTF-8, so paths survive a pipe.
void write(HANDLE out, const std::wstring& text) {
  DWORD mode = 0, n = 0;
  if (GetConsoleMode(out, &mode)) {
    WriteConsoleW(out, text.data(), DWORD(text.size()), &n, nullptr);
    return;
  }
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(bytes > 0 ? bytes : 0, '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), utf8.data(), bytes, nullptr, nullptr);
  WriteFile(out, utf8.data(), DWORD(utf8.size()), &n, nullptr);
}

void say(const std::wstring& line) { write(GetStdHandle(STD_OUTPUT_HANDLE), line + L"\r\n"); }

std::wstring format(const wchar_t* f, ...) {
  wchar_t buf[512];
  va_list args;
  va_start(args, f);
  int n = _vsnwprintf(buf, 511, f, args);
  va_end(args);
  buf[511] = 0;
  return n < 0 ? std::wstring(buf) : std::wstring(buf, n);
}

// ---- logging settings, as the relay reads them ----

const wchar_t kLoggingKey[] = L"Software\\Varneth\\DictaDeskPro\\Logging";

bool readString(const std::wstring& key, const wchar_t* value, std::wstring* out) {
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
    return false;
  std::vector<wchar_t> buf(bytes / sizeof(wchar_t) + 1);
  bytes = DWORD(buf.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value, RRF_RT_REG_SZ, nullptr, buf.data(), &bytes) != ERROR_SUCCESS)
    return false;
  *out = buf.data();
  return true;
}

bool readNumber(const std::wstring& key, const wchar_t* value, DWORD* out) {
  DWORD bytes = sizeof(*out);
  return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value, RRF_RT_REG_DWORD, nullptr, out, &bytes) == ERROR_SUCCESS;
}

bool isFolder(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring withoutSlash(std::wstring p) {
  while (p.size() > 3 && (p.back() == L'\\' || p.back() == L'/')) p.pop_back();
  return p;
}

std::wstring parentOf(const std::wstring& folder) {
  std::wstring p = withoutSlash(folder);
  size_t cut = p.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : p.substr(0, cut);
}

std::wstring documentsLogFolder() {
  wchar_t docs[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, docs))) return L"";
  std::wstring folder = docs;
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder + L"VDMS\\Log";
}

// The relay makes only the last level of its log folder; a folder whose
// parent is missing means an empty log, which is worth saying.
std::wstring folderNote(const std::wstring& folder) {
  if (isFolder(folder)) return L"";
  if (isFolder(parentOf(folder))) return L" (the folder is made with the first line)";
  return L" (neither the folder nor its parent exists: nothing can be written)";
}

void reportLogging(const wchar_t* component, const wchar_t* sessionKind) {
  std::wstring outputPath;
  readString(kLoggingKey, L"OutputPath", &outputPath);
  std::wstring folder, note;
  if (!outputPath.empty() && !isFolder(outputPath) && !isFolder(parentOf(outputPath))) {
    note = L" (OutputPath " + outputPath + L" cannot be made, so the Documents folder is used)";
    outputPath.clear();
  }
  folder = outputPath.empty() ? documentsLogFolder() : withoutSlash(outputPath);
  if (folder.empty()) {
    note += L" (the Documents folder is unknown)";
  } else {
    note += folderNote(folder);
  }
  const std::wstring file = folder.empty() ? L"?" : folder + (folder.back() == L'\\' ? L"" : L"\\") + component + L".log";

  const std::wstring key = std::wstring(kLoggingKey) + L"\\" + component;
  DWORD enabled = 0, level = 0;
  const bool on = readNumber(key, L"EnableLogging", &enabled) && enabled == 1;
  const bool levelOff = readNumber(key, L"Level", &level) && level == 0;
  std::wstring state = on ? (levelOff ? L"on, but Level 0 lets no line through" : L"on") : L"off";
  say(format(L"logging for %ls (%ls sessions): %ls, file %ls%ls", component, sessionKind, state.c_str(),
             file.c_str(), note.c_str()));
}

// ---- the relay ----

int checkRelay(DWORD timeoutMs) {
  HWND relay = RelayClient::findRelay();
  if (!relay) {
    say(L"relay: not running (no window of class VRVC_WindowClass_VCB in this session)");
    return kRelayNotRunning;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(relay, &pid);
  say(format(L"relay: running (process %lu, window 0x%08X)", pid, unsigned(reinterpret_cast<uintptr_t>(relay))));

  RelayClient client(static_cast<int32_t>(GetCurrentProcessId()), 1);
  if (client.open() != RelayClient::Result::ok) {
    say(L"check: could not create its segment " + client.segmentName() + L", its mutex or its window");
    return kCheckSetupFailed;
  }

  bool open = false;
  RelayClient::Result r = client.queryChannelOpen(timeoutMs, &open);
  int code = open ? kRelayReady : kChannelClosed;
  if (r == RelayClient::Result::ok) {
    say(open ? L"DSS channel: open" : L"DSS channel: closed (the client side of the session is not connected)");
  } else {
    say(format(L"DSS channel: unknown (command 133: %hs)", RelayClient::describe(r)));
    code = r == RelayClient::Result::badAnswer ? kOddAnswer : kNoAnswer;
  }

  // Command 0 whose first data word is not 2 stays in the relay: the time
  // is the local path alone, without the client side.
  RelayClient::Answer a;
  r = client.request(0, std::vector<uint8_t>{1, 0, 0, 0}, timeoutMs, &a);
  if (r == RelayClient::Result::ok && a.header.statusCode == 10) {
    say(format(L"round trip: %.3f ms (command 0, answered by the relay itself)", a.roundTripMs));
  } else if (r == RelayClient::Result::ok) {
    say(format(L"round trip: %.3f ms, but the answer carries statusCode %u instead of 10", a.roundTripMs,
               a.header.statusCode));
    if (code == kRelayReady || code == kChannelClosed) code = kOddAnswer;
  } else {
    say(format(L"round trip: none (command 0: %hs)", RelayClient::describe(r)));
    if (code == kRelayReady || code == kChannelClosed)
      code = r == RelayClient::Result::badAnswer ? kOddAnswer : kNoAnswer;
  }
  return code;
}

bool parse(int argc, wchar_t** argv, DWORD* timeoutMs, bool* help) {
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    if (a == L"--help" || a == L"-h" || a == L"/?") {
      *help = true;
    } else if (a == L"--timeout" && i + 1 < argc) {
      wchar_t* end = nullptr;
      const wchar_t* v = argv[++i];
      unsigned long long ms = wcstoull(v, &end, 10);
      if (!*v || *end || v[0] == L'-' || ms > 600000) return false;
      *timeoutMs = DWORD(ms);
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  DWORD timeoutMs = 3000;
  bool help = false;
  if (!parse(argc, argv, &timeoutMs, &help)) {
    write(GetStdHandle(STD_ERROR_HANDLE), kUsage);
    return kBadCommandLine;
  }
  if (help) {
    write(GetStdHandle(STD_OUTPUT_HANDLE), kUsage);
    return 0;
  }
  int code = checkRelay(timeoutMs);
  reportLogging(L"TerminalServiceDriver", L"Remote Desktop");
  reportLogging(L"CitrixDriver", L"Citrix");
  return code;
}
