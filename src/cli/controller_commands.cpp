// kaviraob-cli version and restart: the controller's short requests.
#include <iostream>

#include "cli/cli_command.h"
#include "cli/link_session.h"
#include "files/update_file.h"

namespace kavira::cli {
namespace {

constexpr Millis kRestartLinger{100};

// Both take nothing but the global options.
int RefuseArguments(std::string_view name, const ParsedCommand& parsed) {
  if (parsed.extras.empty()) return -1;
  return Complain(name, "unexpected argument '" + parsed.extras.front() + "' (see --help)", kExitUsage);
}

int RunVersion(Context& context, const ParsedCommand& parsed) {
  if (const int code = RefuseArguments("version", parsed); code >= 0) return code;
  LinkSession session(context, "version");
  if (const int code = session.connect(); code != kExitOk) return code;
  session.engine().startVersion();
  session.run();
  if (const auto code = session.failed()) return *code;
  std::cout << OldFirmwareVersion(session.engine().link()) << std::endl;
  return kExitOk;
}

int RunRestart(Context& context, const ParsedCommand& parsed) {
  if (const int code = RefuseArguments("restart", parsed); code >= 0) return code;
  LinkSession session(context, "restart");
  if (const int code = session.connect(); code != kExitOk) return code;
  session.engine().restart();
  session.run();
  if (const auto code = session.failed()) return *code;
  // The request gets no answer: give it time to cross the line (3 bytes take under 1 ms at 38400
  // baud; USB adapters hold bytes a little longer) before the port closes.
  LinkSession::linger(kRestartLinger);
  session.note("restart request sent");
  return kExitOk;
}

}  // namespace

const CommandSpec kVersionCommand{
    .name = "version",
    .summary = "print the controller's firmware version",
    .usage = "kaviraob-cli [GLOBAL OPTIONS] version",
    .about =
        "Prints the controller's firmware version as the window program's status bar\n"
        "shows it after \"FW : \", e.g. 1.05A (?.??X when the controller reports a\n"
        "version that cannot be shown).\n",
    .arguments = {},
    .options = {},
    .globalOptions = true,
    .after = {},
    .examples =
        "  kaviraob-cli version\n"
        "  kaviraob-cli --port /dev/ttyUSB0 version\n",
    .run = RunVersion,
};

const CommandSpec kRestartCommand{
    .name = "restart",
    .summary = "send the controller the restart request",
    .usage = "kaviraob-cli [GLOBAL OPTIONS] restart",
    .about =
        "Sends the controller the restart request (0F 03 EE). The controller does not\n"
        "answer it, so success means the request left the port.\n",
    .arguments = {},
    .options = {},
    .globalOptions = true,
    .after = {},
    .examples = "  kaviraob-cli --port /dev/ttyUSB0 restart\n",
    .run = RunRestart,
};

}  // namespace kavira::cli
