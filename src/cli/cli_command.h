// The commands of kaviraob-cli. Each command is declared once, as a CommandSpec in its own file:
// its arguments, its options, the texts of its --help and the function that runs it. The command
// line is parsed by CLI11 from those declarations (command_line.cpp), and --help is made from them.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kavira::cli {

// What the global options say, for every command.
struct Context {
  std::vector<std::string> ports;  // --port PORT, in the order given
  int retries = 3;                 // --retries N: retries of one refused or damaged answer
  bool fastAck = false;            // --fast-ack
  bool quiet = false;              // --quiet: no progress output
};

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // differences found, or the work was declined
inline constexpr int kExitUsage = 2;
inline constexpr int kExitLink = 3;  // no port, no controller, a link, protocol or system error, a signal
inline constexpr int kExitFile = 4;  // a file is missing, unreadable, malformed or cannot be written

inline constexpr int kMaxRetries = 1000;

// One option. A flag has no placeholder; any other option takes one value ("--image BASE" or
// "--image=BASE") and may be given more than once (the command decides what that means).
struct OptionSpec {
  std::string_view names;         // "--image", or "-o,--output" with its short name
  std::string_view placeholder;   // "BASE"; empty for a flag
  std::string_view description;   // one paragraph for --help
  std::string_view missing = {};  // the usage error when the value is missing or empty; without it,
                                  // "NAME needs a value" and an empty value is the command's to judge
};

// What the command line gave one command (or, for the global options, the program itself).
class ParsedCommand {
 public:
  // The values of an option, by its long name ("--image"), in the order given.
  const std::vector<std::string>& values(std::string_view name) const;
  // The last value of an option, if it was given.
  std::optional<std::string> last(std::string_view name) const;
  bool given(std::string_view name) const { return !values(name).empty(); }

  std::vector<std::string> positionals;  // the declared arguments given, in order
  std::vector<std::string> extras;       // what nothing declared took, in order

  std::map<std::string, std::vector<std::string>, std::less<>> options;
};

struct CommandSpec {
  std::string_view name;
  std::string_view summary;                     // one line for the command list
  std::string_view usage;                       // what follows "Usage: " (one or more lines)
  std::string_view about;                       // the paragraphs after the usage line
  std::span<const std::string_view> arguments;  // the positional arguments' names: "AREA"
  std::span<const OptionSpec> options;
  bool globalOptions;         // the global options are accepted after the command's name too
  std::string_view after;     // printed after the option tables (AREA, RULE)
  std::string_view examples;  // under "Examples:"
  int (*run)(Context& context, const ParsedCommand& parsed);
};

// Parses the arguments (without the program's name) and runs the command they name. What the command
// writes to standard output (std::cout) is checked: when it cannot be written, the run ends with
// exit status 4 and the system's reason.
int RunCommandLine(const std::vector<std::string>& args);

// The system's reason when a write to standard output has failed so far (standard output flushed
// first), for a command that must not go on without its output; RunCommandLine reports it.
std::optional<std::string> StandardOutputFailure();

// "kaviraob-cli COMMAND: message" on standard error; returns `code`.
int Complain(std::string_view command, std::string_view message, int code);

// A decimal number within [low, high], or nothing.
std::optional<long> ParseNumber(std::string_view text, long low, long high);

// The usage error for an argument a command did not take: "unknown option '--x' (see --help)" for
// one that starts with '-', otherwise "unexpected argument 'x'" followed by `extra` (": one AREA only").
int RefuseArgument(std::string_view command, const std::string& argument, std::string_view extra);

// The commands, in the order of the command list.
extern const CommandSpec kVersionCommand;
extern const CommandSpec kReadCommand;
extern const CommandSpec kWriteCommand;
extern const CommandSpec kVerifyCommand;
extern const CommandSpec kRestartCommand;
extern const CommandSpec kFirmwareCommand;
extern const CommandSpec kPortsCommand;
extern const CommandSpec kSimulateCommand;
extern const CommandSpec kPackUpdateCommand;
extern const CommandSpec kUndoCommand;
extern const CommandSpec kJournalCommand;
extern const CommandSpec kDiffCommand;
extern const CommandSpec kLinkTestCommand;

}  // namespace kavira::cli
