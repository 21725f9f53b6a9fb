#include <fstream>
#include <system_error>

#include "platform/low_latency.h"

#ifdef __linux__
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace kavira {

std::optional<int> SysfsLatencyTimer(const std::filesystem::path& sysfs, const std::string& device) {
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::canonical(device, ec);
  if (ec) return std::nullopt;
  std::ifstream in(sysfs / "class" / "tty" / real.filename() / "device" / "latency_timer");
  int ms = 0;
  if (!(in >> ms) || ms < 0 || ms > 255) return std::nullopt;
  return ms;
}

std::optional<std::string> PortDriver(const std::string& device) {
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::canonical(device, ec);
  if (ec) return std::nullopt;
  const auto driver = std::filesystem::canonical(
      std::filesystem::path("/sys/class/tty") / real.filename() / "device" / "driver", ec);
  if (ec) return std::nullopt;
  return driver.filename().string();
}

AdapterLatency RequestLowLatency(long long handle, const std::string& device) {
  AdapterLatency latency;
#ifdef __linux__
  const int fd = static_cast<int>(handle);
  serial_struct serial{};
  if (::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
    serial.flags |= ASYNC_LOW_LATENCY;
    latency.lowLatency = ::ioctl(fd, TIOCSSERIAL, &serial) == 0;
  }
#else
  (void)handle;
#endif
  latency.timerMs = SysfsLatencyTimer("/sys", device);
  return latency;
}

std::string LatencyHowToLower() {
  return "a udev rule";
}

}  // namespace kavira
