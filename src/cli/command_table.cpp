#include <algorithm>
#include <charconv>
#include <iostream>
#include <string>
#include <utility>

#include "cli/cli_command.h"
#include "platform/translation.h"

namespace kavira::cli {
namespace {

// Add a command: a file with its Run function, a declaration in cli_command.h, a line here.
constexpr Command kCommands[] = {
    {"version", "print the controller's firmware version", RunVersion},
    {"read", "read an area of the controller into the data files", RunRead},
    {"write", "write an area of the data files into the controller", RunWrite},
    {"verify", "compare an area of the controller with the data files", RunVerify},
    {"restart", "send the controller the restart request", RunRestart},
    {"firmware", "install or verify a firmware update file", RunFirmware},
    {"ports", "list the serial ports in the order the controller search tries them", RunPorts},
    {"simulate", "serve a simulated controller on a pseudo-terminal", RunSimulate},
    {"pack-update", "build a firmware update file from an Intel HEX image", RunPackUpdate},
    {"undo", "write back what a 'write --changed' overwrote, from its undo journal", RunUndo},
    {"journal", "list the blocks an undo journal holds", RunJournal},
    {"diff", "print the differences between two sets of data files, as verify words them", RunDiff},
};

}  // namespace

std::span<const Command> CommandTable() {
  return kCommands;
}

const Command* FindCommand(std::string_view name) {
  const auto* const it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                      [&](const Command& c) { return c.name == name; });
  return it == std::end(kCommands) ? nullptr : &*it;
}

bool OptionReader::is(std::string_view name) {
  const std::string& arg = args_[i_];
  if (arg == name) {
    inlineValue_.reset();
  } else if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=') {
    inlineValue_ = arg.substr(name.size() + 1);
  } else {
    return false;
  }
  option_ = name;
  ++i_;
  return true;
}

bool OptionReader::flag(std::string_view name) {
  if (args_[i_] != name) return false;
  ++i_;
  return true;
}

std::optional<std::string> OptionReader::value() {
  if (inlineValue_) return std::exchange(inlineValue_, std::nullopt);
  if (i_ >= args_.size()) {
    error = option_ + " needs a value";
    return std::nullopt;
  }
  return args_[i_++];
}

std::optional<long> ParseNumber(std::string_view text, long low, long high) {
  long v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || v < low || v > high) {
    return std::nullopt;
  }
  return v;
}

int TakeCommonOption(OptionReader& reader, Context& context, std::string_view command,
                     const std::function<void()>& help) {
  switch (TakeGlobalOption(reader, context)) {
    case GlobalOption::Taken:
      return kTakenCommon;
    case GlobalOption::Bad:
      return Complain(command, reader.error, kExitUsage);
    case GlobalOption::NotOne:
      break;
  }
  if (reader.flag("--help") || reader.flag("-h")) {
    help();
    return kExitOk;
  }
  return kNotCommon;
}

GlobalOption TakeGlobalOption(OptionReader& reader, Context& context) {
  if (reader.is("--port")) {
    const auto port = reader.value();
    if (!port || port->empty()) {
      reader.error = "--port needs a port name or a device path";
      return GlobalOption::Bad;
    }
    context.ports.push_back(*port);
    return GlobalOption::Taken;
  }
  if (reader.is("--retries")) {
    const auto text = reader.value();
    const auto n = text ? ParseNumber(*text, 0, kMaxRetries) : std::nullopt;
    if (!n) {
      reader.error = "--retries wants a number 0-" + std::to_string(kMaxRetries) +
                     (text ? ", not '" + *text + "'" : std::string());
      return GlobalOption::Bad;
    }
    context.retries = static_cast<int>(*n);
    return GlobalOption::Taken;
  }
  if (reader.is("--lang")) {
    // The controller's messages in Polish (as the window program shows them) or in English.
    const auto text = reader.value();
    const auto language = text ? ParseLanguage(*text) : std::nullopt;
    if (!language) {
      reader.error = "--lang wants pl or en" + (text ? ", not '" + *text + "'" : std::string());
      return GlobalOption::Bad;
    }
    if (!SetLanguage(*language)) {
      reader.error = "the English texts are missing from this build";
      return GlobalOption::Bad;
    }
    return GlobalOption::Taken;
  }
  if (reader.flag("--fast-ack")) {
    context.fastAck = true;
    return GlobalOption::Taken;
  }
  if (reader.flag("--quiet") || reader.flag("-q")) {
    context.quiet = true;
    return GlobalOption::Taken;
  }
  return GlobalOption::NotOne;
}

std::string_view GlobalOptionsHelp() {
  return "  --port PORT   the controller's port: a name as 'ports' lists it or a device path\n"
         "                (/dev/ttyUSB0, /dev/pts/7); opened at once, 38400 baud 8N2. Given more than\n"
         "                once, those ports are searched. Without it every serial port is searched.\n"
         "  --retries N   retries of one refused or damaged answer before the run fails (default 3)\n"
         "  --fast-ack    end an acknowledgement as soon as 06 03 F7 has arrived (faster writes)\n"
         "  --quiet, -q   no progress output\n"
         "  --lang LANG   the language of the controller's messages: pl (the default) or en\n";
}

int Complain(std::string_view command, std::string_view message, int code) {
  std::cerr << "kaviraob-cli";
  if (!command.empty()) std::cerr << ' ' << command;
  std::cerr << ": " << message << '\n';
  return code;
}

}  // namespace kavira::cli
