// kaviraob-cli ports: the serial ports in search order, one per line.
#include <iostream>

#include "cli/cli_command.h"
#include "model/texts.h"
#include "platform/port_list.h"
#include "platform/translation.h"

namespace kavira::cli {

namespace {

int RunPorts(Context& context, const ParsedCommand& parsed) {
  if (!parsed.extras.empty())
    return Complain("ports", "unexpected argument '" + parsed.extras.front() + "'", kExitUsage);
  const std::vector<std::string> list = SystemPortList(context.ports);
  if (list.empty()) return Complain("ports", TranslateText(Texts::kNoSerialPorts), kExitFailure);
  for (const std::string& name : list)
    std::cout << name << '\n';
  return kExitOk;
}

}  // namespace

const CommandSpec kPortsCommand{
    .name = "ports",
    .summary = "list the serial ports in the order the controller search tries them",
    .usage = "kaviraob-cli [--port PATH]... ports",
    .about =
        "Lists the serial ports in the order the search for the controller tries them: the\n"
        "ports given with --port first, then the system's serial ports sorted by name.\n"
        "Where the system cannot list its ports, a fixed list stands in for it.\n",
    .arguments = {},
    .options = {},
    .globalOptions = false,
    .after = {},
    .examples =
        "  kaviraob-cli ports\n"
        "  kaviraob-cli --port /dev/pts/3 ports    # a simulator's port first\n",
    .run = RunPorts,
};

}  // namespace kavira::cli
