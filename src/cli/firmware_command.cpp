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

void PrintHelp() {
  std::cout << "Usage: kaviraob-cli [GLOBAL OPTIONS] firmware install FILE [--yes]\n"
               "       kaviraob-cli [GLOBAL OPTIONS] firmware verify FILE [--yes]\n"
               "\n"
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
               "is printed and the run ends with exit status 1 (the update must be installed again).\n"
               "\n"
               "Options:\n"
               "  --yes, -y     answer every question with Yes\n"
               "  -h, --help    this text\n"
               "\nGlobal options (also accepted here):\n"
            << GlobalOptionsHelp()
            << "\nExamples:\n"
               "  kaviraob-cli firmware install qz418-1.06.upg\n"
               "  kaviraob-cli --port /dev/ttyUSB0 firmware verify qz418-1.06.upg --yes\n";
}

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
  if (const auto failure = DecodeUpdateFile(bytes, head, body))
    return path + ": " + OneLine(TranslateText(failure->text));
  return std::nullopt;
}

}  // namespace

int RunFirmware(Context& context, Args args) {
  std::optional<bool> verifyOnly;
  std::optional<std::string> path;
  bool yes = false;
  OptionReader reader(args);
  while (!reader.done()) {
    const int common = TakeCommonOption(reader, context, kName, PrintHelp);
    if (common == kTakenCommon) continue;
    if (common != kNotCommon) return common;
    if (reader.flag("--yes") || reader.flag("-y")) {
      yes = true;
    } else if (!reader.current().empty() && reader.current()[0] == '-') {
      return Complain(kName, "unknown option '" + reader.current() + "' (see --help)", kExitUsage);
    } else if (!verifyOnly) {
      if (reader.current() != "install" && reader.current() != "verify") {
        return Complain(kName, "'" + reader.current() + "': install or verify?", kExitUsage);
      }
      verifyOnly = reader.current() == "verify";
      reader.next();
    } else if (!path) {
      path = reader.current();
      reader.next();
    } else {
      return Complain(kName, "unexpected argument '" + reader.current() + "': one FILE only", kExitUsage);
    }
  }
  if (!verifyOnly) return Complain(kName, "install or verify? (see --help)", kExitUsage);
  if (!path || path->empty()) return Complain(kName, "which update FILE?", kExitUsage);

  // The file is checked whole before anything is sent (the loader below reads it again for its
  // questions and its checks, and finds it as it was).
  UpdateHead head;
  UpdateBody body;
  if (const auto problem = CheckUpdateFile(*path, head, body)) return Complain(kName, *problem, kExitFile);

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
  host.updateFile = *path;
  host.ask = [yes, quiet = context.quiet](std::string_view q) { return AskOnTerminal(q, yes, quiet); };
  FileDialogState dialog;
  const bool started = InitUpdate(*verifyOnly ? 1 : 0, engine, host, dialog);
  host.phase = CliHost::Phase::Link;
  if (const auto code = session.failed()) return *code;
  if (!started) return session.complain("not confirmed; nothing was sent to the controller", kExitFailure);

  session.run();
  std::string consequence;
  const LinkState& link = engine.link();
  if (link.obszar == _upg_ && !*verifyOnly) {
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
  session.note(std::string(*verifyOnly ? "verified " : "installed ") + std::to_string(body.lncnt) +
               " lines; the controller reports firmware " + OldFirmwareVersion(link));
  return kExitOk;
}

}  // namespace kavira::cli
