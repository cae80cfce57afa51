// Plays a dictation application of the session for the segment tests: it
// makes or opens the named segments with the plain Win32 API, fills them
// with a known pattern and checks what the relay wrote back.
//
//   dss <keyA> <keyB> <size> <readyEvent> <quitEvent> mutex|nomutex
//       Creates "VARNETH_DSS_SMEM=%08d_%d" of <size> bytes (and its mutex
//       unless nomutex), fills it with dssPattern, signals readyEvent, waits
//       for quitEvent, then checks relayWrite at 1000..1255 and, for nomutex,
//       that the relay has made the segment's mutex.
//   fixed <name> <size> <readyEvent> <quitEvent>
//       The same for a fixed-name segment; relayWrite expected at 20..83.
//   probe <name> <size> [mutexName]
//       Opens a segment the relay made: at least <size> bytes and not more
//       than <size> rounded up to whole pages, filled with probePattern;
//       the mutex, if named, must exist.
//
// Exit codes: 0 as expected, 2 bytes differ, 3 time-out, 4 cannot make or
// open, 5 mutex missing, 6 segment larger than asked, 9 bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

uint8_t dssPattern(uint32_t i, int seed) { return static_cast<uint8_t>(i * 13 + seed); }
uint8_t relayWrite(uint32_t i) { return static_cast<uint8_t>(255 - i); }
uint8_t probePattern(uint32_t i) { return static_cast<uint8_t>(i * 5 + 3); }

struct NullDacl {
  SECURITY_DESCRIPTOR sd;
  SECURITY_ATTRIBUTES sa;
  NullDacl() {
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
    sa = {sizeof(sa), &sd, TRUE};
  }
};

bool signalAndWait(const wchar_t* ready, const wchar_t* quit) {
  HANDLE r = OpenEventW(EVENT_MODIFY_STATE, FALSE, ready);
  HANDLE q = OpenEventW(SYNCHRONIZE, FALSE, quit);
  if (!r || !q) return false;
  SetEvent(r);
  bool told = WaitForSingleObject(q, 30000) == WAIT_OBJECT_0;
  CloseHandle(r);
  CloseHandle(q);
  return told;
}

// Everything but [from, from + count) still holds the pattern, and that
// range holds what the relay wrote.
template <class Pattern>
bool relayWroteOnly(const uint8_t* v, uint32_t size, uint32_t from, uint32_t count, Pattern pattern) {
  for (uint32_t i = 0; i < size; ++i) {
    bool inside = i >= from && i < from + count;
    uint8_t expected = inside ? relayWrite(i - from) : pattern(i);
    if (v[i] != expected) {
      std::fprintf(stderr, "segment byte %u is %u, expected %u\n", i, v[i], expected);
      return false;
    }
  }
  return true;
}

int dss(int keyA, int keyB, uint32_t size, const wchar_t* ready, const wchar_t* quit, bool makeMutex) {
  wchar_t name[80], mutexName[80];
  swprintf(name, 80, L"VARNETH_DSS_SMEM=%08d_%d", keyA, keyB);
  swprintf(mutexName, 80, L"VARNETH_DSS_SMEM_MUTEX=%08d_%d", keyA, keyB);
  NullDacl dacl;
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, &dacl.sa, PAGE_READWRITE, 0, size, name);
  if (!mapping) return 4;
  auto* v = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (!v) return 4;
  HANDLE mutex = makeMutex ? CreateMutexW(&dacl.sa, FALSE, mutexName) : nullptr;
  if (makeMutex && !mutex) return 4;
  for (uint32_t i = 0; i < size; ++i) v[i] = dssPattern(i, keyB);
  if (!signalAndWait(ready, quit)) return 3;
  if (size < 1256) return 0;  // too small for the relay to have written
  if (!relayWroteOnly(v, size, 1000, 256, [keyB](uint32_t i) { return dssPattern(i, keyB); })) return 2;
  if (!makeMutex) {
    HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, mutexName);
    if (!m) return 5;
    CloseHandle(m);
  }
  return 0;
}

int fixed(const wchar_t* name, uint32_t size, const wchar_t* ready, const wchar_t* quit) {
  NullDacl dacl;
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, &dacl.sa, PAGE_READWRITE, 0, size, name);
  if (!mapping || GetLastError() == ERROR_ALREADY_EXISTS) return 4;
  auto* v = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (!v) return 4;
  for (uint32_t i = 0; i < size; ++i) v[i] = dssPattern(i, 1);
  if (!signalAndWait(ready, quit)) return 3;
  return relayWroteOnly(v, size, 20, 64, [](uint32_t i) { return dssPattern(i, 1); }) ? 0 : 2;
}

int probe(const wchar_t* name, uint32_t size, const wchar_t* mutexName) {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name);
  if (!mapping) return 4;
  auto* v = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size));
  if (!v) return 4;
  for (uint32_t i = 0; i < size; ++i)
    if (v[i] != probePattern(i)) return 2;
  uint32_t pages = (size + 4095) / 4096 * 4096;
  if (void* beyond = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, pages + 1)) {
    UnmapViewOfFile(beyond);
    return 6;
  }
  if (mutexName) {
    HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, mutexName);
    if (!m) return 5;
    CloseHandle(m);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"dss" && argc == 8)
    return dss(_wtoi(argv[2]), _wtoi(argv[3]), wcstoul(argv[4], nullptr, 10), argv[5], argv[6],
               std::wstring(argv[7]) == L"mutex");
  if (mode == L"fixed" && argc == 6) return fixed(argv[2], wcstoul(argv[3], nullptr, 10), argv[4], argv[5]);
  if (mode == L"probe" && (argc == 4 || argc == 5))
    return probe(argv[2], wcstoul(argv[3], nullptr, 10), argc == 5 ? argv[4] : nullptr);
  return 9;
}
