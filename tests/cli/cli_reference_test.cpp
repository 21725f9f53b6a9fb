// kaviraob-cli describes its commands and options three times: in --help, in docs/cli.md and in its
// man page. Every command that --help names must have an entry of its own in the other two, and every
// option must appear in them, so that a new command or option is never documented in one place only.
#include <regex>
#include <set>
#include <sstream>

#include "cli_test_support.h"

namespace kavira::test {
namespace {

std::string ReadText(const std::string& path) {
  const Bytes bytes = ReadFile(path);
  return {bytes.begin(), bytes.end()};
}

// The commands a document gives an entry of their own: in docs/cli.md a heading ("### write AREA ...",
// "### firmware install FILE, ...") or the first cell of a table row ("| `ports` | ..."); in the man
// page the first word of the line after each ".TP" of COMMANDS (".BI "read " AREA ...").
std::set<std::string> DocumentedCommands(const std::string& text, bool man) {
  std::set<std::string> names;
  std::istringstream lines(text);
  std::string line;
  bool inCommands = false;
  bool afterTp = false;
  const std::regex word("[a-z][a-z-]*");
  auto first = [&](const std::string& rest) {
    std::smatch m;
    if (std::regex_search(rest, m, word)) names.insert(m.str());
  };
  while (std::getline(lines, line)) {
    if (man) {
      if (line.rfind(".SH", 0) == 0) inCommands = line == ".SH COMMANDS";
      if (inCommands && afterTp) first(line.substr(line.find(' ') + 1));
      afterTp = line == ".TP";
    } else if (line.rfind("### ", 0) == 0) {
      first(line.substr(4));
    } else if (line.rfind("| `", 0) == 0) {
      first(line.substr(3));
    }
  }
  return names;
}

// The man page writes "--port" as "\-\-port".
std::string Unescaped(std::string text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '-')) out += text[i];
  return out;
}

TEST(CliReference, EveryCommandAndOptionOfTheHelpIsDocumented) {
  const CliRun help = RunCli(Args({"--help"}));
  ASSERT_EQ(help.exitCode, 0);
  // The command list: the lines under "Commands:" up to the blank line, each "  NAME  summary".
  std::set<std::string> commands;
  std::istringstream lines(help.out.substr(help.out.find("Commands:")));
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line) && !line.empty()) {
    const std::size_t name = line.find_first_not_of(' ');
    commands.insert(line.substr(name, line.find(' ', name) - name));
  }
  ASSERT_GE(commands.size(), 9U) << help.out;

  std::set<std::string> options;
  const std::regex option("--[a-z][a-z0-9-]*");
  for (const std::string& command : commands) {
    const CliRun own = RunCli(Args({command, "--help"}));
    for (const std::string* text : {&help.out, &own.out}) {
      for (std::sregex_iterator it(text->begin(), text->end(), option), end; it != end; ++it)
        options.insert(it->str());
    }
  }

  const std::pair<const char*, std::string> documents[] = {
      {"docs/cli.md", ReadText(KAVIRA_SOURCE_DIR "/docs/cli.md")},
      {"docs/kaviraob-cli.1", Unescaped(ReadText(KAVIRA_SOURCE_DIR "/docs/kaviraob-cli.1"))},
  };
  for (const auto& [name, text] : documents) {
    SCOPED_TRACE(name);
    ASSERT_FALSE(text.empty());
    const std::set<std::string> documented = DocumentedCommands(text, std::string_view(name).ends_with(".1"));
    for (const std::string& command : commands)
      EXPECT_TRUE(documented.contains(command)) << "command " << command;
    for (const std::string& o : options)
      EXPECT_NE(text.find(o), std::string::npos) << "option " << o;
  }
}

}  // namespace
}  // namespace kavira::test
