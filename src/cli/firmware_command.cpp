// kaviraob-cli firmware install|verify FILE: a firmware update file into the controller.

#include <cctype>
#include <iostream>

#include "cli/cli_command.h"
#include "cli/link_session.h"
#include "files/file_io.h"
#include "files/path_text.h"
#include "files/update_file.h"
#include "platform/console.h"
#include "platform/translation.h"

namespace kavira::cli {
namespace {

constexpr std::string_view kName = "firmware";

constexpr std::string_view kFirmwareAbout =
    "install: writes every line of the update file into the controller, reads every line\n"
    "back and compares it, then reads the controller's new firmware version.\n"
    "verify:  only reads the lines back and compares them, then reads the version.\n"
    "\n"
    "The whole file is checked and decoded before anything is sent; a damaged file never\n"
    "reaches the controller. Then the controller's version is read and the window program's\n"
    "questions are asked on the terminal (t = yes): the confirmation of an install, the\n"
    "warning before installing the same or an older version, and the note that a file for\n"
    "verification has another version. Without a terminal every question is answered No.\n"
    "A line that differs is read again up to --retries times; a line that still differs\n"
    "is printed and the run ends with exit status 1 (the update must be installed again).\n";

constexpr std::string_view kFirmwareArguments[] = {"ACTION", "FILE"};
constexpr OptionSpec kFirmwareOptions[] = {
    {"-y,--yes", "", "answer every question with Yes"},
};

bool IsYes(std::string answer) {
  for (char& c : answer)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return answer == "t" || answer == "tak" || answer == "y" || answer == "yes";
}

// One question on the terminal; anything but a yes, the end of input or a signal is No.
bool AskOnTerminal(std::string_view question, bool yes, bool quiet) {
  if (yes) {
    if (!quiet) std::cerr << "kaviraob-cli firmware: " << OneLine(question) << " -> tak (--yes)" << std::endl;
    return true;
  }
  std::cerr << question << " [t/N] " << std::flush;
  if (!IsTerminal(StdStream::In)) {
    std::cerr << "nie\nkaviraob-cli firmware: no terminal to answer on; --yes answers every question with Yes"
              << std::endl;
    return false;
  }
  std::string answer;
  char c = 0;
  for (;;) {
    if (ReadInputByte(c) != InputRead::Byte) {
      std::cerr << std::endl;
      return false;
    }
    if (c == '\n') break;
    answer += c;
  }
  while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.back())))
    answer.pop_back();
  while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.front())))
    answer.erase(0, 1);
  return IsYes(answer);
}

// The whole update file, checked and decoded; nothing, or the message.
std::optional<std::string> CheckUpdateFile(const std::string& path, UpdateHead& head, UpdateBody& body) {
  std::error_code ec;
  const std::filesystem::path file = PathFromUtf8(path);
  if (std::filesystem::status(file, ec).type() == std::filesystem::file_type::not_found) {
    return OneLine(TranslateText(MissingUpdateFile(path).text));
  }
  // Only a regular file is read: a named pipe or a device is refused without waiting on it.
  std::vector<std::uint8_t> bytes;
  const ReadOutcome read = ReadFilePrefix(file, kUpdateFileLimit + 1, bytes, &ec);
  if (read != ReadOutcome::Ok) {
    return path + ": " +
           TranslateText(MakeUpdateFailure(read == ReadOutcome::OpenFailed ? UpdateFailure::OpenFailed
                                                                           : UpdateFailure::ReadFailed)
                             .text) +
           " (" + ec.message() + ")";
  }
  if (bytes.size() > kUpdateFileLimit) {
    return path + ": " + TranslateText(MakeUpdateFailure(UpdateFailure::BadLength).text) + " (larger than " +
           std::to_string(kUpdateFileLimit) + " bytes)";
  }
  if (const auto failure = DecodeUpdateFile(bytes, head, body)) {
    return path + ": " + OneLine(TranslateText(failure->text)) +
           (failure->reason.empty() ? std::string() : " (" + failure->reason + ")");
  }
  return std::nullopt;
}

int RunFirmware(Context& context, const ParsedCommand& parsed) {
  const auto& args = parsed.positionals;
  if (!parsed.extras.empty()) return RefuseArgument(kName, parsed.extras.front(), ": one FILE only");
  if (args.empty()) return Complain(kName, "install or verify? (see --help)", kExitUsage);
  if (args[0] != "install" && args[0] != "verify")
    return Complain(kName, "'" + args[0] + "': install or verify?", kExitUsage);
  const bool verifyOnly = args[0] == "verify";
  if (args.size() < 2 || args[1].empty()) return Complain(kName, "which update FILE?", kExitUsage);
  const std::string& path = args[1];
  const bool yes = parsed.given("--yes");

  // The file is checked whole before anything is sent (the loader below reads it again for its
  // questions and its checks, and finds it as it was).
  UpdateHead head;
  UpdateBody body;
  if (const auto problem = CheckUpdateFile(path, head, body)) return Complain(kName, *problem, kExitFile);

  LinkSession session(context, std::string(kName));
  if (const int code = session.connect(); code != kExitOk) return code;
  TransferEngine& engine = session.engine();
  // The questions compare the file's version with the controller's.
  engine.startVersion();
  session.run();
  if (const auto code = session.failed()) return *code;
  session.note("the controller has firmware " + OldFirmwareVersion(engine.link()) + ", the file " +
               head.newFWV + " in " + std::to_string(body.lncnt) + " lines");

  CliHost& host = session.host();
  host.phase = CliHost::Phase::UpdateFile;
  host.updateFile = path;
  host.ask = [yes, quiet = context.quiet](std::string_view q) { return AskOnTerminal(q, yes, quiet); };
  FileDialogState dialog;
  const bool started = InitUpdate(verifyOnly ? 1 : 0, engine, host, dialog);
  host.phase = CliHost::Phase::Link;
  if (const auto code = session.failed()) return *code;
  if (!started) return session.complain("not confirmed; nothing was sent to the controller", kExitFailure);

  session.run();
  std::string consequence;
  const LinkState& link = engine.link();
  if (link.obszar == _upg_ && !verifyOnly) {
    consequence = link.akcja == _write_ ? "the update is incomplete: install it again"
                                        : "the update was written but not verified: run 'firmware verify'";
  }
  if (const auto code = session.failed(consequence)) return *code;
  if (host.lineGivenUp()) {
    return session.complain(
        std::string("a firmware line still differs after ") + std::to_string(context.retries) +
            (context.retries == 1 ? " reading again" : " readings again") + "; install the update again",
        kExitFailure);
  }
  if (link.obszar != _version_ || link.pgmlines) {
    return session.complain("the update ended at line " + std::to_string(link.upgline) + " before its end",
                            kExitLink);
  }
  session.note(std::string(verifyOnly ? "verified " : "installed ") + std::to_string(body.lncnt) +
               " lines; the controller reports firmware " + OldFirmwareVersion(link));
  return kExitOk;
}

}  // namespace

const CommandSpec kFirmwareCommand{
    .name = "firmware",
    .summary = "install or verify a firmware update file",
    .usage =
        "kaviraob-cli [GLOBAL OPTIONS] firmware install FILE [--yes]\n"
        "       kaviraob-cli [GLOBAL OPTIONS] firmware verify FILE [--yes]",
    .about = kFirmwareAbout,
    .arguments = kFirmwareArguments,
    .options = kFirmwareOptions,
    .globalOptions = true,
    .after = {},
    .examples =
        "  kaviraob-cli firmware install qz418-1.06.upg\n"
        "  kaviraob-cli --port /dev/ttyUSB0 firmware verify qz418-1.06.upg --yes\n",
    .run = RunFirmware,
};

}  // namespace kavira::cli
