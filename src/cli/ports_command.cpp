// kaviraob-cli ports: the serial ports in search order, one per line.
#include <iostream>

#include "cli/cli_command.h"
#include "platform/port_list.h"
#include "platform/translation.h"

namespace kavira::cli {

int RunPorts(Context& context, Args args) {
  OptionReader reader(args);
  while (!reader.done()) {
    if (reader.flag("--help") || reader.flag("-h")) {
      std::cout << "Usage: kaviraob-cli [--port PATH]... ports\n"
                   "\n"
                   "Lists the serial ports in the order the search for the controller tries them: the\n"
                   "ports given with --port first, then the system's serial ports sorted by name.\n"
                   "Where the system cannot list its ports, a fixed list stands in for it.\n"
                   "\n"
                   "Examples:\n"
                   "  kaviraob-cli ports\n"
                   "  kaviraob-cli --port /dev/pts/3 ports    # a simulator's port first\n";
      return kExitOk;
    }
    return Complain("ports", "unexpected argument '" + reader.current() + "'", kExitUsage);
  }
  const std::vector<std::string> list = SystemPortList(context.ports);
  if (list.empty()) return Complain("ports", TranslateText(kTextNoSerialPorts), kExitFailure);
  for (const std::string& name : list)
    std::cout << name << '\n';
  return kExitOk;
}

}  // namespace kavira::cli
