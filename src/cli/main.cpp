// kaviraob-cli: the controller's link from the command line, and a simulated controller.
#include <QCoreApplication>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "platform/console.h"

#ifndef KAVIRAOB_VERSION
#define KAVIRAOB_VERSION "unknown"
#endif

namespace {

using namespace kavira::cli;

void PrintHelp(std::ostream& out) {
  out << "Usage: kaviraob-cli [GLOBAL OPTIONS] COMMAND [OPTIONS]\n"
         "\n"
         "Reads, writes and verifies the memory of a qz418 Kavira Oxbrine controller over its serial\n"
         "line, installs firmware updates, and serves a simulated controller for trying it all out.\n"
         "\n"
         "Commands:\n";
  for (const Command& c : CommandTable()) {
    out << "  " << c.name << std::string(c.name.size() < 12 ? 12 - c.name.size() : 1, ' ') << c.summary
        << '\n';
  }
  out << "  help        this text, or 'help COMMAND' for a command's options\n"
         "\n"
         "Global options:\n"
      << GlobalOptionsHelp()
      << "  -h, --help    this text\n"
         "  --version     the program's version\n"
         "\n"
         "AREA is scenes, scenes=P:S-P:S (program 1-48 : scene, as the controller numbers them),\n"
         "settings, midi or all. --image BASE names BASE.K3s, BASE.K3p and BASE.K3m.\n"
         "\n"
         "Examples:\n"
         "  kaviraob-cli version\n"
         "  kaviraob-cli --port /dev/ttyUSB0 read all --image backup\n"
         "  kaviraob-cli --port /dev/ttyUSB0 --fast-ack write scenes=1:1-2:32 --image show\n"
         "  kaviraob-cli verify all --image show\n"
         "  kaviraob-cli firmware install qz418-1.06.upg\n"
         "\n"
         "Exit status: 0 success; 1 differences found (or a question answered No); 2 usage error;\n"
         "3 link or controller failure, or interrupted; 4 file error.\n"
         "Run 'kaviraob-cli COMMAND --help' for the options of a command.\n";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationVersion(QStringLiteral(KAVIRAOB_VERSION));
  const std::vector<std::string> args = kavira::CommandLineArguments(argc, argv);
  Context context;
  OptionReader reader(args);
  while (!reader.done()) {
    switch (TakeGlobalOption(reader, context)) {
      case GlobalOption::Taken:
        continue;
      case GlobalOption::Bad:
        return Complain("", reader.error, kExitUsage);
      case GlobalOption::NotOne:
        break;
    }
    if (reader.flag("--help") || reader.flag("-h")) {
      PrintHelp(std::cout);
      return kExitOk;
    }
    if (reader.flag("--version")) {
      std::cout << "kaviraob-cli " << KAVIRAOB_VERSION << '\n';
      return kExitOk;
    }
    if (!reader.current().empty() && reader.current()[0] == '-') {
      return Complain("", "unknown option '" + reader.current() + "' (see --help)", kExitUsage);
    }
    break;
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
