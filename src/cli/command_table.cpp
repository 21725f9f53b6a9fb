#include <algorithm>
#include <charconv>
#include <iostream>
#include <utility>

#include "cli/cli_command.h"

namespace kavira::cli {
namespace {

// Add a command: a file with its Run function, a declaration in cli_command.h, a line here.
constexpr Command kCommands[] = {
    {"ports", "list the serial ports in the order the controller search tries them", RunPorts},
    {"simulate", "serve a simulated controller on a pseudo-terminal", RunSimulate},
};

}  // namespace

std::span<const Command> CommandTable() {
  return kCommands;
}

const Command* FindCommand(std::string_view name) {
  const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
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

int Complain(std::string_view command, std::string_view message, int code) {
  std::cerr << "kaviraob-cli";
  if (!command.empty()) std::cerr << ' ' << command;
  std::cerr << ": " << message << '\n';
  return code;
}

}  // namespace kavira::cli
