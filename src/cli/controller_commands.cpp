// kaviraob-cli version and restart: the controller's short requests.
#include <iostream>

#include "cli/cli_command.h"
#include "cli/link_session.h"
#include "files/update_file.h"

namespace kavira::cli {
namespace {

constexpr Millis kRestartLinger{100};

// The command's options: only --help and the global options. -1 to go on, else the exit code.
int ReadOptions(std::string_view name, std::string_view help, Context& context, Args args) {
  OptionReader reader(args);
  while (!reader.done()) {
    const int common = TakeCommonOption(reader, context, name, [&] {
      std::cout << help << "\nGlobal options (also accepted here):\n" << GlobalOptionsHelp();
    });
    if (common == kTakenCommon) continue;
    if (common != kNotCommon) return common;
    return Complain(name, "unexpected argument '" + reader.current() + "' (see --help)", kExitUsage);
  }
  return -1;
}

}  // namespace

int RunVersion(Context& context, Args args) {
  constexpr std::string_view kName = "version";
  const int parsed =
      ReadOptions(kName,
                  "Usage: kaviraob-cli [GLOBAL OPTIONS] version\n"
                  "\n"
                  "Prints the controller's firmware version as the window program's status bar\n"
                  "shows it after \"FW : \", e.g. 1.05A (?.??X when the controller reports a\n"
                  "version that cannot be shown).\n"
                  "\n"
                  "Examples:\n"
                  "  kaviraob-cli version\n"
                  "  kaviraob-cli --port /dev/ttyUSB0 version\n",
                  context, args);
  if (parsed >= 0) return parsed;

  LinkSession session(context, std::string(kName));
  if (const int code = session.connect(); code != kExitOk) return code;
  session.engine().startVersion();
  session.run();
  if (const auto code = session.failed()) return *code;
  std::cout << OldFirmwareVersion(session.engine().link()) << std::endl;
  return kExitOk;
}

int RunRestart(Context& context, Args args) {
  constexpr std::string_view kName = "restart";
  const int parsed =
      ReadOptions(kName,
                  "Usage: kaviraob-cli [GLOBAL OPTIONS] restart\n"
                  "\n"
                  "Sends the controller the restart request (0F 03 EE). The controller does not\n"
                  "answer it, so success means the request left the port.\n"
                  "\n"
                  "Example:\n"
                  "  kaviraob-cli --port /dev/ttyUSB0 restart\n",
                  context, args);
  if (parsed >= 0) return parsed;

  LinkSession session(context, std::string(kName));
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

}  // namespace kavira::cli
