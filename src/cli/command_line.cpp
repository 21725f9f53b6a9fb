// kaviraob-cli's command line on CLI11: the program's global options and the commands' declarations
// (CommandSpec) become CLI11 apps, CLI11 splits the arguments among them, and the usage errors and
// the --help texts are worded here, the same for every command.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <system_error>

#include "cli/cli_command.h"
#include "platform/translation.h"

#ifndef KAVIRAOB_VERSION
#define KAVIRAOB_VERSION "unknown"
#endif

namespace kavira::cli {
namespace {

// Add a command: a file with its CommandSpec and run function, a declaration in cli_command.h, a
// line here.
const CommandSpec* const kCommands[] = {
    &kVersionCommand,  &kReadCommand,  &kWriteCommand,    &kVerifyCommand,     &kRestartCommand,
    &kFirmwareCommand, &kPortsCommand, &kSimulateCommand, &kPackUpdateCommand, &kUndoCommand,
    &kJournalCommand,  &kDiffCommand,  &kLinkTestCommand,
};

constexpr std::string_view kHelpFlag = "-h,--help";
constexpr std::string_view kGlobalGroup = "Global options";
constexpr std::size_t kHelpWidth = 100;

constexpr OptionSpec kGlobalOptions[] = {
    {"--port", "PORT",
     "the controller's port: a name as 'ports' lists it or a device path (/dev/ttyUSB0, /dev/pts/7); "
     "opened at once, 38400 baud 8N2. Given more than once, those ports are searched. Without it every "
     "serial port is searched.",
     "--port needs a port name or a device path"},
    {"--retries", "N", "retries of one refused or damaged answer before the run fails (default 3)",
     "--retries wants a number 0-1000"},
    {"--fast-ack", "", "end an acknowledgement as soon as 06 03 F7 has arrived (faster writes)"},
    {"-q,--quiet", "", "no progress output"},
    {"--lang", "LANG", "the language of the controller's messages: pl (the default) or en",
     "--lang wants pl or en"},
};

constexpr OptionSpec kProgramOptions[] = {
    {"--version", "", "the program's version"},
};

constexpr std::string_view kHelpArguments[] = {"COMMAND"};

const CommandSpec kHelpCommand{
    .name = "help",
    .summary = "this text, or 'help COMMAND' for a command's options",
    .usage = "kaviraob-cli help [COMMAND]",
    .about = "Prints the program's help, or the help of COMMAND.\n",
    .arguments = kHelpArguments,
    .options = {},
    .globalOptions = false,
    .after = {},
    .examples = "  kaviraob-cli help read\n",
    .run = nullptr,  // RunCommandLine answers it
};

const CommandSpec kProgram{
    .name = "kaviraob-cli",
    .summary = {},
    .usage = "kaviraob-cli [GLOBAL OPTIONS] COMMAND [OPTIONS]",
    .about =
        "Reads, writes and verifies the memory of a qz418 Kavira Oxbrine controller over its serial\n"
        "line, installs firmware updates, and serves a simulated controller for trying it all out.\n",
    .arguments = {},
    .options = kProgramOptions,
    .globalOptions = true,
    .after =
        "AREA is scenes, scenes=P:S-P:S (program 1-48 : scene, as the controller numbers them),\n"
        "settings, midi or all. --image BASE names BASE.K3s, BASE.K3p and BASE.K3m.\n",
    .examples =
        "  kaviraob-cli version\n"
        "  kaviraob-cli --port /dev/ttyUSB0 read all --image backup\n"
        "  kaviraob-cli --port /dev/ttyUSB0 --fast-ack write scenes=1:1-2:32 --image show\n"
        "  kaviraob-cli verify all --image show\n"
        "  kaviraob-cli firmware install qz418-1.06.upg\n"
        "\n"
        "Exit status: 0 success; 1 differences found (or a question answered No); 2 usage error;\n"
        "3 link or controller failure, or interrupted; 4 file error.\n"
        "Run 'kaviraob-cli COMMAND --help' for the options of a command.\n",
    .run = nullptr,
};

const CommandSpec* FindCommand(std::string_view name) {
  if (name == kHelpCommand.name) return &kHelpCommand;
  const auto* const it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                      [&](const CommandSpec* c) { return c->name == name; });
  return it == std::end(kCommands) ? nullptr : *it;
}

// "--image" of "--image", "--output" of "-o,--output": the name an option's values are kept under.
std::string_view LongName(std::string_view names) {
  const std::size_t comma = names.rfind(',');
  return comma == std::string_view::npos ? names : names.substr(comma + 1);
}

bool HasName(std::string_view names, std::string_view name) {
  while (!names.empty()) {
    const std::size_t comma = names.find(',');
    if (names.substr(0, comma) == name) return true;
    if (comma == std::string_view::npos) break;
    names.remove_prefix(comma + 1);
  }
  return false;
}

// --help: the declarations' texts around option tables made from what CLI11 holds.
class HelpFormatter final : public CLI::Formatter {
 public:
  std::map<const CLI::App*, const CommandSpec*> specs;

  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
    const CommandSpec& spec = *specs.at(app);
    std::ostringstream out;
    out << "Usage: " << spec.usage << "\n\n" << spec.about;
    if (!app->get_subcommands({}).empty()) {
      out << "\nCommands:\n";
      for (const CLI::App* sub : app->get_subcommands({})) {
        const std::string& name = sub->get_name();
        out << "  " << name << std::string(name.size() < 12 ? 12 - name.size() : 1, ' ')
            << sub->get_description() << '\n';
      }
    }
    const bool program = app->get_parent() == nullptr;
    // One column for the descriptions of both tables: as wide as the longest name needs, within reason.
    constexpr std::size_t kMaxColumn = 22;
    std::size_t column = 0;
    for (const CLI::Option* o : app->get_options([](const CLI::Option* o) { return o->nonpositional(); }))
      column = std::max(column, std::min(OptionName(o).size() + 4, kMaxColumn));
    table(out, app, "Options", "Options:", column);
    table(out, app, kGlobalGroup,
          program ? "Global options:" : "Global options (also accepted here):", column);
    if (!spec.after.empty()) out << '\n' << spec.after;
    if (!spec.examples.empty()) out << "\nExamples:\n" << spec.examples;
    return out.str();
  }

 private:
  static std::string OptionName(const CLI::Option* option) {
    std::string text;
    for (const std::string& s : option->get_snames())
      text += (text.empty() ? "-" : ", -") + s;
    for (const std::string& l : option->get_lnames())
      text += (text.empty() ? "--" : ", --") + l;
    if (option->get_type_size_max() > 0) text += ' ' + option->get_type_name();
    return text;
  }

  // The options of one group: their names, then their descriptions from `column` on, wrapped to the
  // help's width.
  static void table(std::ostream& out, const CLI::App* app, std::string_view group, std::string_view title,
                    std::size_t column) {
    const auto options =
        app->get_options([&](const CLI::Option* o) { return o->nonpositional() && o->get_group() == group; });
    if (options.empty()) return;
    out << '\n' << title << '\n';
    for (const CLI::Option* o : options) {
      std::string line = "  " + OptionName(o);
      if (line.size() + 1 >= column) {
        out << line << '\n';
        line.clear();
      }
      std::istringstream words(o->get_description());
      std::string word;
      bool first = true;
      while (words >> word) {
        if (!first && line.size() + 1 + word.size() > kHelpWidth) {
          out << line << '\n';
          line.clear();
          first = true;
        }
        line.resize(first ? std::max(line.size(), column) : line.size() + 1, ' ');
        line += word;
        first = false;
      }
      out << line << '\n';
    }
  }
};

constexpr OptionSpec kHelpOption{kHelpFlag, "", "this text"};

// The options of a command in the order of its help: its own, --help, then the global options
// where it takes them. The program's: the global options, --help, --version.
std::vector<const OptionSpec*> DeclaredOptions(const CommandSpec& spec) {
  std::vector<const OptionSpec*> list;
  const bool program = &spec == &kProgram;
  if (!program) {
    for (const OptionSpec& o : spec.options)
      list.push_back(&o);
    list.push_back(&kHelpOption);
  }
  if (spec.globalOptions) {
    for (const OptionSpec& o : kGlobalOptions)
      list.push_back(&o);
  }
  if (program) {
    list.push_back(&kHelpOption);
    for (const OptionSpec& o : spec.options)
      list.push_back(&o);
  }
  return list;
}

// The CLI11 app of a command: its arguments and options bound to `parsed`.
void Declare(CLI::App& app, const CommandSpec& spec, ParsedCommand& parsed) {
  app.set_help_flag();  // --help is ours, so that it can be worded and placed like the other options
  for (const std::string_view argument : spec.arguments) {
    app.add_option(std::string(argument), parsed.options[std::string(argument)])
        ->expected(1)
        ->allow_extra_args(false);
  }
  const bool program = &spec == &kProgram;
  for (const OptionSpec* o : DeclaredOptions(spec)) {
    std::vector<std::string>& values = parsed.options[std::string(LongName(o->names))];
    CLI::Option* option = o->placeholder.empty()
                              ? app.add_flag(std::string(o->names), values, std::string(o->description))
                              : app.add_option(std::string(o->names), values, std::string(o->description))
                                    ->type_name(std::string(o->placeholder))
                                    ->expected(1)
                                    ->allow_extra_args(false)
                                    ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    const bool global = program || (o >= std::begin(kGlobalOptions) && o < std::end(kGlobalOptions));
    option->group(std::string(global ? kGlobalGroup : "Options"));
  }
}

// Which declaration of the command an option name belongs to.
const OptionSpec* FindOption(const CommandSpec& spec, std::string_view name) {
  for (const OptionSpec* o : DeclaredOptions(spec))
    if (HasName(o->names, name)) return o;
  return nullptr;
}

std::string MissingValue(const OptionSpec& option) {
  return option.missing.empty() ? std::string(LongName(option.names)) + " needs a value"
                                : std::string(option.missing);
}

// What every command's options must be, whatever the command: a flag takes no value, and an option
// whose declaration says so takes no empty one. The message, or nothing.
std::optional<std::string> CheckOptions(const CommandSpec& spec, const ParsedCommand& parsed) {
  for (const OptionSpec* o : DeclaredOptions(spec)) {
    for (const std::string& value : parsed.values(LongName(o->names))) {
      if (o->placeholder.empty() && value != "true")
        return "unknown option '" + std::string(LongName(o->names)) + "=" + value + "' (see --help)";
      if (!o->placeholder.empty() && value.empty() && !o->missing.empty()) return MissingValue(*o);
    }
  }
  return std::nullopt;
}

// Standard output, which carries a command's result (a list, the differences, a version), written
// through the C library's stdout; the system's reason for the first write or flush that failed is
// kept, so that a full disk or a closed file fails the run instead of leaving a short list.
class CheckedOutput final : public std::streambuf {
 public:
  explicit CheckedOutput(std::FILE* file) : file_(file) {}
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return put(&byte, 1) ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* text, std::streamsize n) override { return put(text, n) ? n : 0; }
  int sync() override {
    if (error_ == 0 && std::fflush(file_) != 0) error_ = errno != 0 ? errno : EIO;
    return error_ == 0 ? 0 : -1;
  }

 private:
  bool put(const char* text, std::streamsize n) {
    if (error_ != 0) return false;
    errno = 0;
    if (std::fwrite(text, 1, static_cast<std::size_t>(n), file_) != static_cast<std::size_t>(n))
      error_ = errno != 0 ? errno : EIO;
    return error_ == 0;
  }

  std::FILE* file_;
  int error_ = 0;
};

// A usage error found in the arguments before CLI11 sees them: the command it concerns (empty for
// the program's own options) and the message.
struct ArgumentProblem {
  std::string_view command;
  std::string message;
};

// CLI11 takes the argument after an option as its value whatever it is, and an empty value after '='
// as none, taking the next argument instead (or, for a flag, as no value at all). So a value that
// begins with '-' is taken only when it is written after '=' ("--image=-x"), and "--NAME=" is refused:
// "--image --quiet" would otherwise read into "--quiet.K3s", and "--port --fast-ack" open a port of
// that name. What follows "--" is arguments, and is not looked at.
class OptionValueCheck {
 public:
  explicit OptionValueCheck(const std::vector<std::string>& args) : args_(args) {}

  std::optional<ArgumentProblem> run() {
    for (next_ = 0; next_ < args_.size();) {
      const std::string& arg = args_[next_++];
      if (arg == "--") break;
      std::optional<ArgumentProblem> problem;
      if (arg.size() < 2 || arg[0] != '-') {
        // The first argument that is no option names the command.
        if (const CommandSpec* c = spec_ == &kProgram ? FindCommand(arg) : nullptr) spec_ = c;
      } else if (arg[1] == '-') {
        problem = longOption(arg);
      } else {
        problem = shortOptions(arg);
      }
      if (problem) return problem;
    }
    return std::nullopt;
  }

 private:
  ArgumentProblem problem(std::string message) const {
    return {spec_ == &kProgram ? std::string_view() : spec_->name, std::move(message)};
  }

  // "--NAME" or "--NAME=VALUE".
  std::optional<ArgumentProblem> longOption(const std::string& arg) {
    const std::size_t equals = arg.find('=');
    const OptionSpec* option = FindOption(*spec_, std::string_view(arg).substr(0, equals));
    if (option == nullptr) return std::nullopt;  // CLI11 says it is unknown
    if (equals == std::string::npos) return option->placeholder.empty() ? std::nullopt : takeValue(*option);
    if (equals + 1 < arg.size()) return std::nullopt;
    if (option->placeholder.empty()) return problem("unknown option '" + arg + "' (see --help)");
    return problem(MissingValue(*option));
  }

  // "-q", perhaps joined with others ("-qy"): flags, and at most one option with a value, which takes
  // the rest of the argument or else the next one.
  std::optional<ArgumentProblem> shortOptions(const std::string& arg) {
    for (std::size_t k = 1; k < arg.size(); ++k) {
      const OptionSpec* option = FindOption(*spec_, std::string("-") + arg[k]);
      if (option == nullptr) return std::nullopt;
      if (!option->placeholder.empty()) return k + 1 == arg.size() ? takeValue(*option) : std::nullopt;
    }
    return std::nullopt;
  }

  // The next argument as the value of `option`, unless it begins with '-'.
  std::optional<ArgumentProblem> takeValue(const OptionSpec& option) {
    if (next_ >= args_.size()) return std::nullopt;  // CLI11 says the value is missing
    const std::string& value = args_[next_++];
    if (!value.starts_with('-')) return std::nullopt;
    const std::string name(LongName(option.names));
    return problem(MissingValue(option) + "; '" + value +
                   "' begins with '-' and is not taken as its value (write " + name + "=" + value +
                   " if it is)");
  }

  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
  const CommandSpec* spec_ = &kProgram;
};

// The global options given to `parsed`, into `context`; the usage error, if any.
std::optional<std::string> ApplyGlobalOptions(const ParsedCommand& parsed, Context& context) {
  const auto& ports = parsed.values("--port");
  context.ports.insert(context.ports.end(), ports.begin(), ports.end());
  for (const std::string& text : parsed.values("--retries")) {
    const auto n = ParseNumber(text, 0, kMaxRetries);
    if (!n) return "--retries wants a number 0-" + std::to_string(kMaxRetries) + ", not '" + text + "'";
    context.retries = static_cast<int>(*n);
  }
  for (const std::string& text : parsed.values("--lang")) {
    // The controller's messages in Polish (as the window program shows them) or in English.
    const auto language = ParseLanguage(text);
    if (!language) return "--lang wants pl or en, not '" + text + "'";
    if (!SetLanguage(*language)) return "the English texts are missing from this build";
  }
  if (parsed.given("--fast-ack")) context.fastAck = true;
  if (parsed.given("--quiet")) context.quiet = true;
  return std::nullopt;
}

struct CommandLine {
  CLI::App program{std::string(kProgram.about), "kaviraob-cli"};
  std::map<const CLI::App*, ParsedCommand> parsed;
  std::shared_ptr<HelpFormatter> formatter = std::make_shared<HelpFormatter>();

  CommandLine() {
    program.formatter(formatter);
    program.allow_extras();  // what nothing takes is reported in our words, not CLI11's
    program.require_subcommand(0, 1);
    // Options begin with '-' on every system: CLI11 would take "/x" for an option on Windows, and
    // a path such as /home/show/x.K3j (wine passes them so) is none.
    program.allow_windows_style_options(false);
    add(program, kProgram);
    for (const CommandSpec* c : kCommands)
      add(*program.add_subcommand(std::string(c->name), std::string(c->summary)), *c);
    add(*program.add_subcommand(std::string(kHelpCommand.name), std::string(kHelpCommand.summary)),
        kHelpCommand);
  }

  void add(CLI::App& app, const CommandSpec& spec) {
    formatter->specs[&app] = &spec;
    Declare(app, spec, parsed[&app]);
  }

  std::string help(const CommandSpec& spec) const {
    const CLI::App* app =
        spec.name == kProgram.name ? &program : program.get_subcommand(std::string(spec.name));
    return formatter->make_help(app, {}, CLI::AppFormatMode::Normal);
  }
};

// The parsed values of one app, with its arguments and what it left over in order.
void Collect(CLI::App& app, const CommandSpec& spec, ParsedCommand& parsed) {
  for (const std::string_view argument : spec.arguments) {
    const auto& values = parsed.values(argument);
    parsed.positionals.insert(parsed.positionals.end(), values.begin(), values.end());
  }
  parsed.extras = app.remaining(false);
  // CLI11 keeps the "--" that ended the options among them; it is no argument.
  if (const auto mark = std::find(parsed.extras.begin(), parsed.extras.end(), "--");
      mark != parsed.extras.end())
    parsed.extras.erase(mark);
}

}  // namespace

const std::vector<std::string>& ParsedCommand::values(std::string_view name) const {
  static const std::vector<std::string> kNone;
  const auto it = options.find(name);
  return it == options.end() ? kNone : it->second;
}

std::optional<std::string> ParsedCommand::last(std::string_view name) const {
  const auto& v = values(name);
  if (v.empty()) return std::nullopt;
  return v.back();
}

namespace {

// The command line parsed and its command run; `command` gets the name of the command (for the
// message when its output cannot be written).
int ParseAndRun(const std::vector<std::string>& args, std::string_view& command) {
  CommandLine line;
  Context context;
  CLI::App* app = nullptr;
  try {
    line.program.parse(std::vector<std::string>(args.rbegin(), args.rend()));  // CLI11 takes them reversed
    const auto commands = line.program.get_subcommands();
    if (!commands.empty()) app = commands.front();
  } catch (const CLI::ArgumentMismatch& e) {
    // A value option at the end without its value: CLI11 names the option first.
    const auto commands = line.program.get_subcommands();
    const CommandSpec& spec = commands.empty() ? kProgram : *line.formatter->specs.at(commands.front());
    const std::string text = e.what();
    const OptionSpec* option = FindOption(spec, text.substr(0, text.find(':')));
    const std::string_view name = commands.empty() ? std::string_view() : spec.name;
    return Complain(name, option ? MissingValue(*option) : text, kExitUsage);
  } catch (const CLI::ParseError& e) {
    return Complain("", e.what(), kExitUsage);
  }

  ParsedCommand& program = line.parsed[&line.program];
  Collect(line.program, kProgram, program);
  if (const auto problem = CheckOptions(kProgram, program)) return Complain("", *problem, kExitUsage);
  if (program.given("--help")) {
    std::cout << line.help(kProgram);
    return kExitOk;
  }
  if (program.given("--version")) {
    std::cout << "kaviraob-cli " << KAVIRAOB_VERSION << '\n';
    return kExitOk;
  }
  if (!program.extras.empty()) {
    const std::string& first = program.extras.front();
    return Complain("",
                    (first.starts_with('-') ? "unknown option '" : "no command '") + first + "' (see --help)",
                    kExitUsage);
  }
  if (const auto problem = ApplyGlobalOptions(program, context)) return Complain("", *problem, kExitUsage);
  if (!app) {
    std::cerr << line.help(kProgram);
    return kExitUsage;
  }

  const CommandSpec& spec = *line.formatter->specs.at(app);
  command = spec.name;
  ParsedCommand& parsed = line.parsed[app];
  Collect(*app, spec, parsed);
  if (const auto problem = CheckOptions(spec, parsed)) return Complain(spec.name, *problem, kExitUsage);
  if (parsed.given("--help")) {
    std::cout << line.help(spec);
    return kExitOk;
  }
  if (&spec == &kHelpCommand) {
    if (parsed.positionals.empty()) {
      std::cout << line.help(kProgram);
      return kExitOk;
    }
    const CommandSpec* c = FindCommand(parsed.positionals[0]);
    if (!c) return Complain("", "no command '" + parsed.positionals[0] + "' (see --help)", kExitUsage);
    std::cout << line.help(*c);
    return kExitOk;
  }
  if (const auto problem = ApplyGlobalOptions(parsed, context))
    return Complain(spec.name, *problem, kExitUsage);
  return spec.run(context, parsed);
}

std::string ErrorText(int error) {
  return std::generic_category().message(error);
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args) {
  if (const auto problem = OptionValueCheck(args).run())
    return Complain(problem->command, problem->message, kExitUsage);
  CheckedOutput output(stdout);
  std::streambuf* const previous = std::cout.rdbuf(&output);
  std::string_view command;
  int code = ParseAndRun(args, command);
  std::cout.flush();
  std::cout.rdbuf(previous);
  std::cout.clear();
  if (output.error() != 0)
    code = Complain(command, "standard output: " + ErrorText(output.error()), kExitFile);
  return code;
}

std::optional<std::string> StandardOutputFailure() {
  std::cout.flush();
  const auto* output = dynamic_cast<const CheckedOutput*>(std::cout.rdbuf());
  if (output == nullptr || output->error() == 0) return std::nullopt;
  return ErrorText(output->error());
}

std::optional<long> ParseNumber(std::string_view text, long low, long high) {
  long v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || v < low || v > high) {
    return std::nullopt;
  }
  return v;
}

int RefuseArgument(std::string_view command, const std::string& argument, std::string_view extra) {
  if (argument.starts_with('-'))
    return Complain(command, "unknown option '" + argument + "' (see --help)", kExitUsage);
  return Complain(command, "unexpected argument '" + argument + "'" + std::string(extra), kExitUsage);
}

int Complain(std::string_view command, std::string_view message, int code) {
  std::cerr << "kaviraob-cli";
  if (!command.empty()) std::cerr << ' ' << command;
  std::cerr << ": " << message << '\n';
  return code;
}

}  // namespace kavira::cli
