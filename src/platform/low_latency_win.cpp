#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/low_latency.h"

namespace kavira {
namespace {

// FTDI's driver keeps each adapter under Enum\FTDIBUS\<device>\<instance>\Device Parameters, with the
// COM name it was given (PortName) and its latency timer in milliseconds (LatencyTimer).
constexpr const wchar_t* kFtdiBus = L"SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS";

class Key {
 public:
  Key(HKEY parent, const std::wstring& path) {
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY get() const { return key_; }

  // The names of the subkeys.
  std::vector<std::wstring> children() const {
    std::vector<std::wstring> names;
    if (key_ == nullptr) return names;
    for (DWORD i = 0;; ++i) {
      std::wstring name(256, L'\0');
      DWORD size = static_cast<DWORD>(name.size());
      if (RegEnumKeyExW(key_, i, name.data(), &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        break;
      name.resize(size);
      names.push_back(name);
    }
    return names;
  }

 private:
  HKEY key_ = nullptr;
};

std::wstring Upper(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towupper(c); });
  return text;
}

// "COM3" of "COM3", "\\.\COM3" or "com3".
std::wstring PortNameOf(const std::string& device) {
  std::wstring name(device.begin(), device.end());
  if (const auto slash = name.find_last_of(L"\\/"); slash != std::wstring::npos) name.erase(0, slash + 1);
  return Upper(name);
}

}  // namespace

std::optional<int> FtdiLatencyTimer(const std::string& device) {
  const std::wstring port = PortNameOf(device);
  const Key bus(HKEY_LOCAL_MACHINE, kFtdiBus);
  for (const std::wstring& adapter : bus.children()) {
    const Key node(bus.get(), adapter);
    for (const std::wstring& instance : node.children()) {
      const Key parameters(node.get(), instance + L"\\Device Parameters");
      if (parameters.get() == nullptr) continue;
      std::wstring name(64, L'\0');
      DWORD size = static_cast<DWORD>(name.size() * sizeof(wchar_t));
      DWORD type = 0;
      if (RegQueryValueExW(parameters.get(), L"PortName", nullptr, &type,
                           reinterpret_cast<BYTE*>(name.data()), &size) != ERROR_SUCCESS ||
          type != REG_SZ)
        continue;
      name.resize(wcsnlen(name.c_str(), size / sizeof(wchar_t)));
      if (Upper(name) != port) continue;
      DWORD timer = 0;
      size = sizeof(timer);
      if (RegQueryValueExW(parameters.get(), L"LatencyTimer", nullptr, &type, reinterpret_cast<BYTE*>(&timer),
                           &size) != ERROR_SUCCESS ||
          type != REG_DWORD || timer > 255)
        return std::nullopt;
      return static_cast<int>(timer);
    }
  }
  return std::nullopt;
}

std::optional<int> SysfsLatencyTimer(const std::filesystem::path&, const std::string&) {
  return std::nullopt;
}

std::optional<std::string> PortDriver(const std::string&) {
  return std::nullopt;
}

// Windows gives a program no way to lower the timer: the driver takes it from the registry, which
// only an administrator may change. So the request is only a reading.
AdapterLatency RequestLowLatency(long long, const std::string& device) {
  return {false, FtdiLatencyTimer(device)};
}

std::string LatencyHowToLower() {
  return "Device Manager (the port's Properties, Port Settings, Advanced, Latency Timer)";
}

}  // namespace kavira
