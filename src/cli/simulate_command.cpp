// kaviraob-cli simulate: a simulated controller on a pseudo-terminal, until interrupted.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>

#include "cli/cli_command.h"
#include "cli/image_files.h"
#include "files/data_files.h"
#include "files/path_text.h"
#include "model/hex_text.h"
#include "platform/console.h"
#include "platform/pty_simulator.h"
#include "sim/demo_show.h"

namespace kavira::cli {
namespace {

constexpr std::string_view kName = "simulate";

constexpr OptionSpec kSimulateOptions[] = {
    {"--demo", "", "fill the memory with a demonstration show"},
    {"--image", "BASE",
     "load the memory from BASE.K3s, BASE.K3p and BASE.K3m (those that exist; at least one must)",
     "--image needs a base name"},
    {"--version", "M.mm[X]", "the firmware version it reports (default 1.05A)",
     "--version wants M.mm with an optional letter, e.g. 1.05A"},
    {"--latency", "MS", "time from a frame to its answer (default 1)",
     "--latency wants milliseconds, 0-60000"},
    {"--no-pacing", "", "answer at once instead of at 38400 baud"},
    {"--byte-at-a-time", "",
     "hand every answer byte over on its own, as a port without a receive FIFO does (default: in chunks of "
     "up to 14 bytes)"},
    {"--adapter", "KIND",
     "hand the answers over as a serial adapter would: uart, ftdi, ftdi:N (latency timer N ms, default 16), "
     "ch340, pl2303",
     "--adapter wants uart, ftdi, ftdi:N, ch340 or pl2303"},
    {"--misbehave", "RULE", "misbehave as RULE says (may be given more than once)"},
    {"--verbose", "", "log every frame and its answer on standard error"},
};

// After the options: what a misbehaviour rule says.
const std::string kRuleHelp =
    "RULE is KIND:TARGET=N[:count=C][:delay=MS]. TARGET is frame (the N-th frame received,\n"
    "counting from 1, and the ones after it), block (read and write requests for block N,\n"
    "0-2047) or line (firmware line address N, e.g. 0x1A2B0). The rule spoils the first C\n"
    "frames it matches (default 1); delay postpones the answer. Numbers may be hexadecimal\n"
    "(0x...). KIND is one of:\n" +
    MisbehaviourHelp();

std::string Hex(ByteView bytes) {
  constexpr std::size_t kShown = 8;
  std::ostringstream s;
  for (std::size_t i = 0; i < bytes.size() && i < kShown; ++i) {
    s << (i ? " " : "") << HexText(bytes[i], 2);
  }
  if (bytes.size() > kShown) s << " ... (" << bytes.size() << " bytes)";
  return s.str();
}

// Loads those of BASE.K3s/.K3p/.K3m that exist; the text of the first failure, if any.
std::optional<std::string> LoadImage(const std::string& base, ControllerImage& image) {
  int loaded = 0;
  for (DataArea area : {DataArea::Scenes, DataArea::Settings, DataArea::Midi}) {
    const std::filesystem::path path = DataFilePath(base, area);
    std::error_code ec;
    if (std::filesystem::status(path, ec).type() == std::filesystem::file_type::not_found) continue;
    if (const auto failure = LoadDataFile(path, area, image)) return DescribeFailure(path, *failure);
    std::cerr << "kaviraob-cli simulate: loaded " << PathToUtf8(path) << '\n';
    ++loaded;
  }
  if (loaded == 0) return "none of " + base + ".K3s, " + base + ".K3p, " + base + ".K3m exists";
  return std::nullopt;
}

// The simulated controller the options describe; nothing, or the exit code of a usage error.
std::optional<int> ReadOptions(const ParsedCommand& parsed, SimOptions& options,
                               std::optional<AdapterModel>& adapter, std::vector<MisbehaviourRule>& rules,
                               std::optional<VersionBytes>& version) {
  if (!parsed.extras.empty()) return RefuseArgument(kName, parsed.extras.front(), " (see --help)");
  if (parsed.values("--image").size() > 1)
    return Complain(kName, "--image given twice: one BASE only", kExitUsage);
  if (parsed.given("--no-pacing")) options.pacing = false;
  if (parsed.given("--byte-at-a-time")) options.fifoTrigger = 1;
  for (const std::string& text : parsed.values("--version")) {
    version = ParseVersionBytes(text);
    if (!version)
      return Complain(kName, "--version wants M.mm with an optional letter, e.g. 1.05A", kExitUsage);
  }
  for (const std::string& text : parsed.values("--latency")) {
    const auto ms = ParseNumber(text, 0, 60000);
    if (!ms) return Complain(kName, "--latency wants milliseconds, 0-60000", kExitUsage);
    options.latency = Millis(*ms);
  }
  for (const std::string& text : parsed.values("--adapter")) {
    std::string error;
    adapter = ParseAdapter(text, &error);
    if (!adapter)
      return Complain(kName, std::string("--adapter ").append(text).append(": ").append(error), kExitUsage);
  }
  if (adapter && (!options.pacing || parsed.given("--byte-at-a-time")))
    return Complain(kName, "--adapter excludes --no-pacing and --byte-at-a-time", kExitUsage);
  for (const std::string& text : parsed.values("--misbehave")) {
    std::string error;
    const auto rule = ParseMisbehaviour(text, &error);
    if (!rule)
      return Complain(kName, std::string("--misbehave ").append(text).append(": ").append(error), kExitUsage);
    rules.push_back(*rule);
  }
  if (parsed.given("--demo") && parsed.given("--image"))
    return Complain(kName, "--demo and --image exclude each other", kExitUsage);
  return std::nullopt;
}

int RunSimulate(Context&, const ParsedCommand& parsed) {
  SimOptions options;
  std::optional<VersionBytes> version;
  std::vector<MisbehaviourRule> rules;
  std::optional<AdapterModel> adapter;
  if (const auto code = ReadOptions(parsed, options, adapter, rules, version)) return *code;
  const bool demo = parsed.given("--demo");
  const bool verbose = parsed.given("--verbose");
  const std::optional<std::string> imageBase = parsed.last("--image");
  if (!PtySimulator::Available()) {
    return Complain(kName,
                    "not available on this system: the simulator needs pseudo-terminals, which it does not "
                    "have; use a controller or a null-modem cable pair instead",
                    kExitFailure);
  }

  auto controller = std::make_unique<SimController>(options);
  if (demo || imageBase) {
    auto image = std::make_unique<ControllerImage>();
    if (demo) FillDemoShow(*image);
    if (imageBase) {
      if (const auto failure = LoadImage(*imageBase, *image)) return Complain(kName, *failure, kExitFile);
    }
    controller->memory().loadImage(*image);
  }
  if (version) controller->memory().version = *version;
  for (const auto& r : rules)
    controller->addRule(r);
  if (verbose) {
    controller->observer = [](const ReceivedFrame& f, ByteView answer) {
      std::cerr << "frame " << f.number << ": " << Hex(f.bytes) << "  ->  "
                << (answer.empty() ? std::string("(no answer)") : Hex(answer)) << std::endl;
    };
  }

  // A stop request (Ctrl+C, SIGTERM, SIGHUP) and the line closing on command both end the wait.
  StopWatch stopWatch;
  std::string error;
  auto sim = PtySimulator::Start(
      std::move(controller), &error, [&stopWatch] { stopWatch.wake(); }, std::move(adapter));
  if (!sim) return Complain(kName, "no pseudo-terminal: " + error, kExitFailure);

  std::cout << sim->path() << std::endl;  // the first line, flushed: scripts wait for it
  // Without the path nobody can use the simulator; the command line says why the output failed.
  if (StandardOutputFailure()) return kExitFile;
  std::cerr << "kaviraob-cli simulate: serving a controller (firmware "
            << FormatVersionBytes(sim->withController([](SimController& c) { return c.memory().version; }))
            << ") on " << sim->path() << "; Ctrl+C ends\n";

  stopWatch.wait();
  sim->stop();
  if (sim->lineClosed())
    std::cerr << "kaviraob-cli simulate: the line was closed as the misbehaviour rule said\n";
  return kExitOk;
}

}  // namespace

const CommandSpec kSimulateCommand{
    .name = "simulate",
    .summary = "serve a simulated controller on a pseudo-terminal",
    .usage = "kaviraob-cli simulate [OPTIONS]",
    .about =
        "Serves a simulated controller on a pseudo-terminal. The first line of standard output is\n"
        "the path to open (give it to the other programs with --port PATH); the simulator serves\n"
        "until it is interrupted (Ctrl+C, SIGTERM).\n",
    .arguments = {},
    .options = kSimulateOptions,
    .globalOptions = false,
    .after = kRuleHelp,
    .examples =
        "  kaviraob-cli simulate --demo\n"
        "  kaviraob-cli simulate --demo --misbehave nak:block=2044:count=2 --misbehave "
        "late:frame=5:delay=900\n",
    .run = RunSimulate,
};

}  // namespace kavira::cli
