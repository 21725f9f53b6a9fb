// kaviraob-cli undo, journal and diff: the undo journals of the changes walks, and the differences
// between two images in the controller's terms.
#include <iostream>

#include "cli/changes_write.h"
#include "cli/cli_command.h"
#include "cli/cli_host.h"
#include "cli/image_files.h"
#include "files/path_text.h"
#include "link/verification.h"

namespace kavira::cli {
namespace {

constexpr std::string_view kUndoHelp =
    "Usage: kaviraob-cli [GLOBAL OPTIONS] undo JOURNAL [--journal-dir DIR]\n"
    "\n"
    "Writes back what a 'write --changed' (or an undo) overwrote: the blocks kept in the undo journal\n"
    "JOURNAL, byte for byte. It is a changes-only walk like any other: each block of the journal is\n"
    "read, only those the controller does not hold as the journal does are written, and those are\n"
    "read back and compared. It keeps a journal of its own, so an undo can be undone too. A damaged\n"
    "journal is refused (a record cut off at its very end, by a write that was stopped, is left\n"
    "out). The journals are in the window program's data folder + /journals, e.g.\n"
    "~/.local/share/kaviraob/journals, unless 'write' was given --journal-dir.\n"
    "\n"
    "Options:\n"
    "  --journal-dir DIR  the folder of the undo's own journal (default: the window program's)\n"
    "  -h, --help         this text\n";

constexpr std::string_view kJournalHelp =
    "Usage: kaviraob-cli journal JOURNAL\n"
    "\n"
    "Lists what an undo journal holds: when it was kept, the controller's firmware version, the area\n"
    "written, whether the blocks were read from the controller or taken from an OLD image (--since),\n"
    "and one line per block in the controller's terms (program and scene, settings, MIDI).\n"
    "Exit status 4 when the journal is damaged.\n";

constexpr std::string_view kDiffHelp =
    "Usage: kaviraob-cli diff A B\n"
    "\n"
    "Compares two images saved as data files (A.K3s, A.K3p, A.K3m and B's) and prints each\n"
    "difference on standard output in the words 'verify' uses, with A in the place of the data files\n"
    "and B in the place of the controller: what a write of A would change on a controller holding B.\n"
    "An area is compared when A or B has its file (both must then have it).\n"
    "Exit status 1 when there is any difference.\n";

bool WantsHelp(Args args, std::string_view help) {
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::cout << help;
      return true;
    }
  }
  return false;
}

std::string CreatedText(std::int64_t created) {
  const std::string stem = JournalStem(created);  // YYYY-MM-DD_HH-MM-SS
  std::string text = stem.substr(0, 10) + " " + stem.substr(11);
  for (std::size_t i = 11; i < text.size(); ++i)
    if (text[i] == '-') text[i] = ':';
  return text;
}

}  // namespace

int RunUndo(Context& context, Args args) {
  std::optional<std::string> journalPath;
  std::optional<std::string> journalDir;
  OptionReader reader(args);
  while (!reader.done()) {
    const int common = TakeCommonOption(reader, context, "undo", [] {
      std::cout << kUndoHelp << "\nGlobal options (also accepted here):\n" << GlobalOptionsHelp();
    });
    if (common == kTakenCommon) continue;
    if (common != kNotCommon) return common;
    if (reader.is("--journal-dir")) {
      journalDir = reader.value();
      if (!journalDir || journalDir->empty())
        return Complain("undo", "--journal-dir needs a folder", kExitUsage);
    } else if (!reader.current().empty() && reader.current()[0] == '-') {
      return Complain("undo", "unknown option '" + reader.current() + "' (see --help)", kExitUsage);
    } else if (journalPath) {
      return Complain("undo", "unexpected argument '" + reader.current() + "': one JOURNAL only", kExitUsage);
    } else {
      journalPath = reader.current();
      reader.next();
    }
  }
  if (!journalPath) return Complain("undo", "which JOURNAL? (see --help)", kExitUsage);
  std::string error;
  const auto journal = ReadJournal(SystemFileSystem(), PathFromUtf8(*journalPath), &error);
  if (!journal) return Complain("undo", error + "; nothing was written", kExitFile);
  LinkSession session(context, "undo");
  if (journal->tailDropped)
    session.note("the journal's last record was cut off (its write was stopped); it is left out");
  if (const int code = session.connect(); code != kExitOk) return code;
  JournalHeader area = journal->header;
  return RunChangesWalk(session, area, JournalFolder(journalDir), nullptr, &*journal);
}

int RunJournal(Context&, Args args) {
  if (WantsHelp(args, kJournalHelp)) return kExitOk;
  if (args.size() != 1 || args[0].empty() || args[0][0] == '-')
    return Complain("journal", "one JOURNAL, please (see --help)", kExitUsage);
  std::string error;
  const auto journal = ReadJournal(SystemFileSystem(), PathFromUtf8(args[0]), &error);
  if (!journal) return Complain("journal", error, kExitFile);
  const JournalHeader& h = journal->header;
  std::cout << "kept:     " << CreatedText(h.created) << "\n"
            << "firmware: " << (h.firmware.empty() ? "unknown" : h.firmware) << "\n"
            << "area:     " << DescribeJournalArea(h) << "\n"
            << "source:   "
            << (h.source == JournalSource::Controller ? "read from the controller before each write"
                                                      : "taken from an OLD image (write --since), not read")
            << "\n"
            << "blocks:   " << journal->records.size() << "\n";
  for (const JournalRecord& r : journal->records)
    std::cout << "  block " << r.block << ": " << DescribeBlock(r.block) << "\n";
  if (journal->tailDropped) std::cout << "(a record cut off at the end was left out)\n";
  return kExitOk;
}

int RunDiff(Context&, Args args) {
  if (WantsHelp(args, kDiffHelp)) return kExitOk;
  if (args.size() != 2 || args[0].empty() || args[1].empty() || args[0][0] == '-' || args[1][0] == '-')
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
      ForEachBlockDifference(*imageA, block, EncodeBlock(*imageB, block), [&](const std::string& text) {
        ++differences;
        std::cout << OneLine(text) << '\n';
        return true;
      });
    }
  }
  std::cout.flush();
  std::cerr << "kaviraob-cli diff: " << differences << (differences == 1 ? " difference" : " differences")
            << '\n';
  return differences > 0 ? kExitFailure : kExitOk;
}

}  // namespace kavira::cli
