#include <windows.h>

#include <gtest/gtest.h>

#include "platform/low_latency.h"

namespace kavira {
namespace {

// An FTDI adapter as its driver enters it in the registry, under a device name of this test's own.
constexpr const wchar_t* kDevice = L"SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\VID_0403+PID_6001+KAVIRATEST";

TEST(LowLatencyWindows, TheTimerIsReadFromTheFtdiDriversRegistryEntry) {
  HKEY parameters = nullptr;
  const std::wstring path = std::wstring(kDevice) + L"\\0000\\Device Parameters";
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &parameters,
                      nullptr) != ERROR_SUCCESS)
    GTEST_SKIP() << "the registry cannot be written here (an administrator's right)";
  const wchar_t port[] = L"COM77";
  const DWORD timer = 16;
  RegSetValueExW(parameters, L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(port), sizeof(port));
  RegSetValueExW(parameters, L"LatencyTimer", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&timer),
                 sizeof(timer));
  RegCloseKey(parameters);

  EXPECT_EQ(FtdiLatencyTimer("COM77"), 16);
  EXPECT_EQ(FtdiLatencyTimer("\\\\.\\com77"), 16);
  EXPECT_EQ(FtdiLatencyTimer("COM7"), std::nullopt);
  EXPECT_EQ(RequestLowLatency(0, "COM77").timerMs, 16);
  EXPECT_TRUE(LatencyNote(RequestLowLatency(0, "COM77"), LatencyHowToLower()));

  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kDevice);
  EXPECT_EQ(FtdiLatencyTimer("COM77"), std::nullopt);
}

}  // namespace
}  // namespace kavira
