// Raw input under Wine: the device list, registration without HID devices,
// and a WM_INPUT record of an injected key read into the report text.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/win32/WinTest.h"
#include "tolv/pedals/win32/Win32RawInput.h"

namespace tolv {
namespace {

std::optional<RawInputRecord> lastRecord;

LRESULT CALLBACK InputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INPUT) lastRecord = ReadRawInput(reinterpret_cast<HRAWINPUT>(lParam));
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST(RawInputDevices, ListedWithTheirTypes) {
  const std::vector<RawInputDevice> devices = ListRawInputDevices();
  ASSERT_FALSE(devices.empty());
  for (const RawInputDevice& d : devices) EXPECT_NE(RawInputTypeName(d.type), L"Unknown") << d.type;
  // Without HID-class devices nothing is registered, and nothing fails.
  RegisterHidDevicesForCapture(GetDesktopWindow());
}

TEST(RawInputDevices, InjectedKeyGivesAKeyboardRecord) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = InputProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TolvRawInputTest";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"raw", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  RAWINPUTDEVICE keyboard{0x01, 0x06, RIDEV_INPUTSINK, window};
  ASSERT_TRUE(RegisterRawInputDevices(&keyboard, 1, sizeof keyboard));

  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_F13;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
  const bool arrived = kit::waitFor(
      [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        return lastRecord.has_value();
      },
      5000);
  keyboard.dwFlags = RIDEV_REMOVE;
  keyboard.hwndTarget = nullptr;
  RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
  DestroyWindow(window);
  ASSERT_TRUE(arrived);
  EXPECT_EQ(lastRecord->type, static_cast<unsigned>(RawTypeKeyboard));
  EXPECT_EQ(RawInputReportText(*lastRecord), L"Pedal 1 was pressed total count 0 ");
  EXPECT_EQ(CapturedKey(*lastRecord), std::nullopt);
}

TEST(RawInputDevices, SettingsWindowIsFoundByTitle) {
  const std::wstring title = L"Settings";
  EXPECT_FALSE(SettingsWindowOpen());
  HWND window = CreateWindowExW(0, L"STATIC", title.c_str(), WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(SettingsWindowOpen());
  DestroyWindow(window);
  EXPECT_FALSE(SettingsWindowOpen());
}

}  // namespace
}  // namespace tolv
