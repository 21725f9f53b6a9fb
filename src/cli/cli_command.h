// The subcommands of kaviraob-cli. Each lives in its own file and has one line in the table of
// command_table.cpp; main() parses the global options and dispatches.
#pragma once

#include <algorithm>
#include <functional>
#include <iosfwd>
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

using Args = std::span<const std::string>;

struct Command {
  std::string_view name;
  std::string_view summary;  // one line for the command list
  int (*run)(Context& context, Args args);
};

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // differences found, or the work was declined
inline constexpr int kExitUsage = 2;
inline constexpr int kExitLink = 3;  // no port, no controller, a link, protocol or system error, a signal
inline constexpr int kExitFile = 4;  // a file is missing, unreadable, malformed or cannot be written

inline constexpr int kMaxRetries = 1000;

std::span<const Command> CommandTable();
const Command* FindCommand(std::string_view name);

// Option parsing shared by the commands: "--name VALUE" or "--name=VALUE".
class OptionReader {
 public:
  explicit OptionReader(Args args) : args_(args) {}

  bool done() const { return i_ >= args_.size(); }
  // The current argument, for the caller to compare; next() moves on.
  const std::string& current() const { return args_[i_]; }
  // Whether the current argument is the option `name` (with or without "=VALUE"); if so moves on.
  bool is(std::string_view name);
  // Whether the current argument is the flag `name` exactly; if so moves on.
  bool flag(std::string_view name);
  // The value of the option just taken by is(); nothing (and an error set) when it is missing.
  std::optional<std::string> value();
  void next() { ++i_; }
  // The arguments not yet taken.
  Args rest() const { return args_.subspan(std::min(i_, args_.size())); }
  std::string error;  // what went wrong, for the usage message

 private:
  Args args_;
  std::size_t i_ = 0;
  std::string option_;
  std::optional<std::string> inlineValue_;
};

// A decimal number within [low, high], or nothing.
std::optional<long> ParseNumber(std::string_view text, long low, long high);

// "kaviraob-cli COMMAND: message" on standard error; returns `code`.
int Complain(std::string_view command, std::string_view message, int code);

// The global options (--port, --retries, --fast-ack, --quiet), taken before the command or, for the
// commands that talk to a controller, among its own options.
enum class GlobalOption { NotOne, Taken, Bad };
GlobalOption TakeGlobalOption(OptionReader& reader, Context& context);

// What every command that talks to a controller accepts after its name: the global options and
// --help (which calls `help`). kNotCommon when the current argument is none of them (the command
// looks at it), kTakenCommon when it was taken, otherwise the exit code to end with.
inline constexpr int kNotCommon = -2;
inline constexpr int kTakenCommon = -1;
int TakeCommonOption(OptionReader& reader, Context& context, std::string_view command,
                     const std::function<void()>& help);

// The lines of --help that describe the global options.
std::string_view GlobalOptionsHelp();

// The commands.
int RunPorts(Context& context, Args args);
int RunSimulate(Context& context, Args args);
int RunVersion(Context& context, Args args);
int RunRestart(Context& context, Args args);
int RunRead(Context& context, Args args);
int RunWrite(Context& context, Args args);
int RunVerify(Context& context, Args args);
int RunFirmware(Context& context, Args args);
int RunPackUpdate(Context& context, Args args);
int RunUndo(Context& context, Args args);
int RunJournal(Context& context, Args args);
int RunDiff(Context& context, Args args);

}  // namespace kavira::cli
