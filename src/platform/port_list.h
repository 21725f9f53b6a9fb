// The candidate serial ports, in the order the search tries them.
//
// The system's serial ports are sorted by name without regard to case (PortSort); ports given by
// path on the command line (--port PATH, e.g. a pseudo-terminal) come first. Where the system offers
// no way to list its ports, a fixed list stands in for it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/message.h"

namespace kavira {

// Compares two port names case-insensitively: less than, equal to or greater than 0.
int PortSort(std::string_view a, std::string_view b);

struct SystemPort {
  std::string name;      // as the port menu shows it and as it is opened: ttyUSB0, COM3
  std::string location;  // the device path: /dev/ttyUSB0, \\.\COM3
};

// The serial ports the system reports, or nothing when it cannot list them.
std::optional<std::vector<SystemPort>> ListSystemPorts();

// What the system says of the device behind the port `name` (a name or a path): maker, product, USB
// vendor and product numbers, the driver; "" when it says nothing (a pseudo-terminal).
std::string DescribePortDevice(const std::string& name);

// The stand-in list: COM1, COM2 on Windows; /dev/ttyS0, /dev/ttyS1 elsewhere.
std::vector<std::string> FallbackPortList();

// Given ports first (in the order given, each once), then the system's ports sorted with PortSort,
// leaving out any that is one of the given ports. Without a system list, the fallback list.
std::vector<std::string> BuildPortList(const std::optional<std::vector<SystemPort>>& system,
                                       const std::vector<std::string>& given);

// The list for this machine: BuildPortList(ListSystemPorts(), given). Empty means no port at all.
std::vector<std::string> SystemPortList(const std::vector<std::string>& given);

// What to do about a port that could not be opened with the system's error `error`: on Linux, for a
// lack of permission, how to get it (membership of the group that owns the device). Empty otherwise.
Message PermissionHint(const std::string& portName, int error);

}  // namespace kavira
