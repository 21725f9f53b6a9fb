// kaviraob-cli undo, journal and diff: the undo journals of the changes walks, and the differences
// between two images in the controller's terms.
#include <iostream>

#include "cli/changes_write.h"
#include "cli/cli_command.h"
#include "cli/cli_host.h"
#include "cli/image_files.h"
#include "files/changes_run.h"
#include "files/path_text.h"
#include "link/verification.h"
#include "platform/translation.h"

namespace kavira::cli {
namespace {

constexpr std::string_view kUndoAbout =
    "Writes back what a 'write --changed' (or an undo) overwrote: the blocks kept in the undo journal\n"
    "JOURNAL, byte for byte. It is a changes-only walk like any other: each block of the journal is\n"
    "read, only those the controller does not hold as the journal does are written, and those are\n"
    "read back and compared. It keeps a journal of its own, so an undo can be undone too. A damaged\n"
    "journal is refused (a record cut off at its very end, by a write that was stopped, is left\n"
    "out). The journals are in the window program's data folder + /journals, e.g.\n"
    "~/.local/share/kaviraob/journals, unless 'write' was given --journal-dir.\n";

constexpr std::string_view kJournalAbout =
    "Lists what an undo journal holds: when it was kept, the controller's firmware version, the area\n"
    "written, whether the blocks were read from the controller or taken from an OLD image (--since),\n"
    "and one line per block in the controller's terms (program and scene, settings, MIDI).\n"
    "Exit status 4 when the journal is damaged.\n";

constexpr std::string_view kDiffAbout =
    "Compares two images saved as data files (A.K3s, A.K3p, A.K3m and B's) and prints each\n"
    "difference on standard output in the words 'verify' uses, with A in the place of the data files\n"
    "and B in the place of the controller: what a write of A would change on a controller holding B.\n"
    "An area is compared when A or B has its file (both must then have it).\n"
    "Exit status 1 when there is any difference.\n";

constexpr std::string_view kJournalArgument[] = {"JOURNAL"};
constexpr std::string_view kDiffArguments[] = {"A", "B"};

constexpr OptionSpec kUndoOptions[] = {
    {"--journal-dir", "DIR", "the folder of the undo's own journal (default: the window program's)",
     "--journal-dir needs a folder"},
};

// An argument that nothing took: an option this command does not know (a JOURNAL whose name begins
// with '-' goes after "--"), or a second JOURNAL.
int RefuseJournalArgument(std::string_view command, const std::string& argument) {
  if (argument.starts_with('-')) {
    return Complain(command,
                    "unknown option '" + argument +
                        "'; a JOURNAL whose name begins with '-' goes after '--': " + std::string(command) +
                        " -- " + argument,
                    kExitUsage);
  }
  return RefuseArgument(command, argument, ": one JOURNAL only");
}

int RunUndo(Context& context, const ParsedCommand& parsed) {
  if (!parsed.extras.empty()) return RefuseJournalArgument("undo", parsed.extras.front());
  if (parsed.positionals.empty() || parsed.positionals.front().empty())
    return Complain("undo", "which JOURNAL? (see --help)", kExitUsage);
  const std::string& journalPath = parsed.positionals.front();
  const std::optional<std::string> journalDir = parsed.last("--journal-dir");
  std::string error;
  const auto journal = ReadJournal(SystemFileSystem(), PathFromUtf8(journalPath), &error);
  if (!journal) return Complain("undo", error + "; nothing was written", kExitFile);
  LinkSession session(context, "undo");
  if (journal->tailDropped)
    session.note("the journal's last record was cut off (its write was stopped); it is left out");
  if (const int code = session.connect(); code != kExitOk) return code;
  return RunChangesWalk(session, UndoRequest(*journal), JournalFolder(journalDir), nullptr, &*journal);
}

int RunJournal(Context&, const ParsedCommand& parsed) {
  const auto& args = parsed.positionals;
  if (!parsed.extras.empty() && parsed.extras.front().starts_with('-'))
    return RefuseJournalArgument("journal", parsed.extras.front());
  if (args.size() != 1 || args[0].empty() || !parsed.extras.empty())
    return Complain("journal", "one JOURNAL, please (see --help)", kExitUsage);
  std::string error;
  const auto journal = ReadJournal(SystemFileSystem(), PathFromUtf8(args[0]), &error);
  if (!journal) return Complain("journal", error, kExitFile);
  const JournalHeader& h = journal->header;
  std::cout << "kept:     " << JournalTimeText(h.created) << "\n"
            << "firmware: " << (h.firmware.empty() ? "unknown" : PrintableText(h.firmware)) << "\n"
            << "area:     " << DescribeJournalArea(h) << "\n"
            << "source:   "
            << (h.source == JournalSource::Controller ? "read from the controller before each write"
                : h.source == JournalSource::Undo ? "read from the controller before each write of an undo"
                                                  : "taken from an OLD image (write --since), not read")
            << "\n"
            << "blocks:   " << journal->records.size() << "\n";
  for (const JournalRecord& r : journal->records)
    std::cout << "  block " << r.block << ": " << DescribeBlock(r.block) << "\n";
  if (journal->tailDropped) std::cout << "(a record cut off at the end was left out)\n";
  return kExitOk;
}

int RunDiff(Context&, const ParsedCommand& parsed) {
  const auto& args = parsed.positionals;
  if (args.size() != 2 || args[0].empty() || args[1].empty() || !parsed.extras.empty())
    return Complain("diff", "two images, please: diff A B (see --help)", kExitUsage);
  std::string a = args[0];
  std::string b = args[1];
  StripDataExtension(a);
  StripDataExtension(b);
  std::vector<DataArea> areas;
  for (DataArea area : {DataArea::Scenes, DataArea::Settings, DataArea::Midi}) {
    std::error_code ec;
    if (std::filesystem::exists(DataFilePath(a, area), ec) ||
        std::filesystem::exists(DataFilePath(b, area), ec))
      areas.push_back(area);
  }
  if (areas.empty())
    return Complain("diff", "neither " + a + " nor " + b + " has a data file (.K3s, .K3p or .K3m)",
                    kExitFile);
  auto imageA = std::make_unique<ControllerImage>();
  auto imageB = std::make_unique<ControllerImage>();
  if (const auto problem = LoadImageFiles(a, areas, true, *imageA))
    return Complain("diff", *problem, kExitFile);
  if (const auto problem = LoadImageFiles(b, areas, true, *imageB))
    return Complain("diff", *problem, kExitFile);
  std::size_t differences = 0;
  for (DataArea area : areas) {
    std::uint32_t first = 0;
    std::uint32_t last = kFirstSettingsBlock - 1;
    if (area == DataArea::Settings) first = kFirstSettingsBlock, last = kSecondSettingsBlock;
    if (area == DataArea::Midi) first = kFirstMidiBlock, last = kBlockCount - 1;
    for (std::uint32_t block = first; block <= last; ++block) {
      // B in the controller's place: its block as the controller would return it.
      ForEachBlockDifference(*imageA, block, EncodeBlock(*imageB, block), [&](const Message& text) {
        ++differences;
        std::cout << OneLine(TranslateText(text)) << '\n';
        return true;
      });
    }
  }
  std::cout.flush();
  std::cerr << "kaviraob-cli diff: " << differences << (differences == 1 ? " difference" : " differences")
            << '\n';
  return differences > 0 ? kExitFailure : kExitOk;
}

}  // namespace

const CommandSpec kUndoCommand{
    .name = "undo",
    .summary = "write back what a 'write --changed' overwrote, from its undo journal",
    .usage = "kaviraob-cli [GLOBAL OPTIONS] undo JOURNAL [--journal-dir DIR]",
    .about = kUndoAbout,
    .arguments = kJournalArgument,
    .options = kUndoOptions,
    .globalOptions = true,
    .after = {},
    .examples = "  kaviraob-cli undo ~/.local/share/kaviraob/journals/2026-12-08_21-14-03.K3j\n",
    .run = RunUndo,
};

const CommandSpec kJournalCommand{
    .name = "journal",
    .summary = "list the blocks an undo journal holds",
    .usage = "kaviraob-cli journal JOURNAL",
    .about = kJournalAbout,
    .arguments = kJournalArgument,
    .options = {},
    .globalOptions = false,
    .after = {},
    .examples = "  kaviraob-cli journal ~/.local/share/kaviraob/journals/2026-12-08_21-14-03.K3j\n",
    .run = RunJournal,
};

const CommandSpec kDiffCommand{
    .name = "diff",
    .summary = "print the differences between two sets of data files, as verify words them",
    .usage = "kaviraob-cli diff A B",
    .about = kDiffAbout,
    .arguments = kDiffArguments,
    .options = {},
    .globalOptions = false,
    .after = {},
    .examples = "  kaviraob-cli diff show show-as-written\n",
    .run = RunDiff,
};

}  // namespace kavira::cli
