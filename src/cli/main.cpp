// kaviraob-cli: the controller's link from the command line, and a simulated controller.
#include <QCoreApplication>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_command.h"

namespace {

using namespace kavira::cli;

void PrintHelp(std::ostream& out) {
  out << "Usage: kaviraob-cli [--port PATH]... COMMAND [OPTIONS]\n"
         "\n"
         "Commands:\n";
  for (const Command& c : CommandTable()) {
    out << "  " << c.name << std::string(c.name.size() < 12 ? 12 - c.name.size() : 1, ' ') << c.summary
        << '\n';
  }
  out << "  help        this text, or 'help COMMAND' for a command's options\n"
         "\n"
         "Global options:\n"
         "  --port PATH   try this port before the system's serial ports (may be given more than once),\n"
         "                e.g. the pseudo-terminal of 'kaviraob-cli simulate'\n"
         "  -h, --help    this text\n"
         "\n"
         "Run 'kaviraob-cli COMMAND --help' for the options of a command.\n";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::vector<std::string> args(argv + 1, argv + argc);
  Context context;
  OptionReader reader(args);
  while (!reader.done()) {
    if (reader.is("--port")) {
      const auto path = reader.value();
      if (!path || path->empty()) return Complain("", "--port needs a path", kExitUsage);
      context.ports.push_back(*path);
    } else if (reader.flag("--help") || reader.flag("-h")) {
      PrintHelp(std::cout);
      return kExitOk;
    } else if (!reader.current().empty() && reader.current()[0] == '-') {
      return Complain("", "unknown option '" + reader.current() + "' (see --help)", kExitUsage);
    } else {
      break;
    }
  }
  if (reader.done()) {
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  const std::string name = reader.current();
  reader.next();
  const Args rest = reader.rest();

  if (name == "help") {
    if (rest.empty()) {
      PrintHelp(std::cout);
      return kExitOk;
    }
    const Command* c = FindCommand(rest[0]);
    if (!c) return Complain("", "no command '" + rest[0] + "' (see --help)", kExitUsage);
    const std::vector<std::string> helpArgs{"--help"};
    return c->run(context, helpArgs);
  }
  const Command* command = FindCommand(name);
  if (!command) return Complain("", "no command '" + name + "' (see --help)", kExitUsage);
  return command->run(context, rest);
}
