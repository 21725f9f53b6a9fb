// Asks the driver of an open serial line to hand received bytes over at once, and reads the
// adapter's latency timer where the system tells it.
//
// Linux: TIOCSSERIAL with ASYNC_LOW_LATENCY, which FTDI's driver answers by setting its chip's
// latency timer to 1 ms; no root is needed. Pseudo-terminals and most native UARTs refuse it, which
// changes nothing. The timer itself is in sysfs, /sys/class/tty/NAME/device/latency_timer.
// Windows: FTDI's driver keeps the timer in the registry ("Device Parameters\LatencyTimer" of the
// FTDIBUS device whose PortName is the port); only an administrator can change it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "link/adapter_latency.h"

namespace kavira {

// `handle` is the open port's descriptor (POSIX) or handle (Windows); `device` the path or name
// it was opened by.
AdapterLatency RequestLowLatency(long long handle, const std::string& device);

// The latency timer sysfs tells for the terminal `device` (a path such as /dev/ttyUSB0, links
// followed), under the folder `sysfs` (/sys normally).
std::optional<int> SysfsLatencyTimer(const std::filesystem::path& sysfs, const std::string& device);

// Windows: the LatencyTimer FTDI's driver keeps for the port `device` (COM3, \\.\COM3), where the
// registry has one.
std::optional<int> FtdiLatencyTimer(const std::string& device);

// The kernel driver behind the terminal `device` (ftdi_sio, ch341, pl2303, serial8250), from sysfs;
// nothing where the system does not say (Windows, a pseudo-terminal).
std::optional<std::string> PortDriver(const std::string& device);

// How the user lowers the timer on this system, for LatencyNote.
std::string LatencyHowToLower();

}  // namespace kavira
