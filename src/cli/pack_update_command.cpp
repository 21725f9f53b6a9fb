// kaviraob-cli pack-update HEX --version M.mm -o FILE.upg: an update file from an Intel HEX image.
#include <iostream>

#include "cli/cli_command.h"
#include "files/file_io.h"
#include "files/path_text.h"
#include "files/update_packer.h"

namespace kavira::cli {
namespace {

constexpr std::string_view kName = "pack-update";
// A HEX image of the whole firmware memory takes under 400 KB; anything far larger is no image.
constexpr std::size_t kHexLimit = std::size_t{64} << 20;

constexpr std::string_view kHexArgument[] = {"HEX"};
constexpr OptionSpec kPackOptions[] = {
    {"--version", "M.mm", "the firmware version the file announces: one digit, a point, two digits (1.06)",
     "--version wants M.mm: one digit, a point and two digits, e.g. 1.06"},
    {"-o,--output", "FILE", "the update file to write", "-o needs the update file to write"},
    {"--text", "TEXT", "free text after the version line (release notes, a build stamp)"},
};

int RunPackUpdate(Context&, const ParsedCommand& parsed) {
  if (!parsed.extras.empty()) return RefuseArgument(kName, parsed.extras.front(), ": one HEX file only");
  std::optional<FirmwareVersion> version;
  for (const std::string& v : parsed.values("--version")) {
    version = ParseFirmwareVersion(v);
    if (!version) {
      return Complain(kName,
                      "--version wants M.mm: one digit, a point and two digits, e.g. 1.06, not '" + v + "'",
                      kExitUsage);
    }
  }
  if (parsed.positionals.empty() || parsed.positionals.front().empty())
    return Complain(kName, "which Intel HEX file? (see --help)", kExitUsage);
  if (!version) return Complain(kName, "--version M.mm is needed", kExitUsage);
  const std::optional<std::string> output = parsed.last("--output");
  if (!output) return Complain(kName, "-o FILE.upg is needed", kExitUsage);
  const std::string& hexPath = parsed.positionals.front();
  const std::string text = parsed.last("--text").value_or("");

  std::vector<std::uint8_t> hex;
  std::error_code ec;
  if (std::filesystem::status(PathFromUtf8(hexPath), ec).type() == std::filesystem::file_type::not_found) {
    return Complain(kName, hexPath + ": no such file", kExitFile);
  }
  if (ReadFilePrefix(PathFromUtf8(hexPath), kHexLimit + 1, hex, &ec) != ReadOutcome::Ok) {
    return Complain(kName, hexPath + ": cannot be read (" + ec.message() + ")", kExitFile);
  }
  if (hex.size() > kHexLimit) return Complain(kName, hexPath + ": too large for a firmware image", kExitFile);

  const PackResult packed =
      PackUpdate(std::string_view(reinterpret_cast<const char*>(hex.data()), hex.size()), *version, text);
  if (!packed.ok()) return Complain(kName, hexPath + ": " + packed.error, kExitFile);
  if (const auto problem = WriteUpdateFile(PathFromUtf8(*output), packed.bytes))
    return Complain(kName, *problem, kExitFile);
  std::cerr << "kaviraob-cli pack-update: wrote " << *output << " (" << packed.bytes.size() << " bytes)\n";
  return kExitOk;
}

}  // namespace

const CommandSpec kPackUpdateCommand{
    .name = "pack-update",
    .summary = "build a firmware update file from an Intel HEX image",
    .usage = "kaviraob-cli pack-update HEX --version M.mm -o FILE.upg [--text TEXT]",
    .about =
        "Builds a firmware update file from an Intel HEX image: the data is cut into lines of up\n"
        "to 16 bytes that never cross a 16-byte boundary, addresses 0 to 0x1E00F, and written in\n"
        "the update file format (docs/update-file-format.md). The window program offers files\n"
        "named qz418*.upg. The output file is replaced whole or not at all.\n",
    .arguments = kHexArgument,
    .options = kPackOptions,
    .globalOptions = false,
    .after = {},
    .examples = "  kaviraob-cli pack-update build/qz418.hex --version 1.06 -o qz418-1.06.upg\n",
    .run = RunPackUpdate,
};

}  // namespace kavira::cli
