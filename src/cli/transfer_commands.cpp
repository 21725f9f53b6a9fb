// kaviraob-cli read, write and verify: one area of the controller's memory against the data files.
#include <iostream>

#include "cli/area.h"
#include "cli/changes_write.h"
#include "cli/cli_command.h"
#include "cli/image_files.h"
#include "cli/link_session.h"
#include "files/path_text.h"

namespace kavira::cli {
namespace {

struct TransferCommand {
  std::string_view name;
  _akcja action;
  std::string_view help;
};

constexpr std::string_view kReadAbout =
    "Reads AREA of the controller's memory into the image and saves the files of the areas read:\n"
    "BASE.K3s (scenes), BASE.K3p (program settings), BASE.K3m (MIDI assignments). A range of scenes\n"
    "keeps the other scenes of an existing BASE.K3s (which is loaded first); a file that the read\n"
    "fills whole is not loaded. The files are replaced as one set: all of them or, when any cannot\n"
    "be written, none. A read that fails or is interrupted saves nothing; a signal that comes once\n"
    "the save has begun lets it finish first.\n";
constexpr std::string_view kWriteAbout =
    "Writes AREA of the image in BASE.K3s, BASE.K3p and BASE.K3m into the controller. The files of\n"
    "the areas written must exist. Each block must be acknowledged; a refused block is sent again\n"
    "up to --retries times. --fast-ack makes a whole write several times faster.\n"
    "\n"
    "--changed writes only what changed: every block of AREA is read and compared with the image by\n"
    "the rules of 'verify'; a block that differs is written at once, one the controller already holds\n"
    "is left alone. Before a block is overwritten, its previous content is appended to an undo\n"
    "journal and flushed to the disk; 'kaviraob-cli undo JOURNAL' writes it back. At the end every\n"
    "block written is read back and compared; a difference is printed as 'verify' prints it and the\n"
    "exit status is 1. A summary line on standard error gives the blocks written, those already\n"
    "equal, and the journal's path. When the journal cannot be created, nothing is written.\n"
    "\n"
    "--since OLD (with --changed) says what the controller held when you last wrote or read it: the\n"
    "image OLD (OLD.K3s, OLD.K3p, OLD.K3m, for the areas written). Only the blocks where BASE and\n"
    "OLD differ are read. One the controller still holds as OLD says is written (the journal keeps\n"
    "the bytes read); one it already holds as BASE says is left alone. Any other changed in the\n"
    "controller since OLD: such a conflict ends the run before anything is written, with exit status\n"
    "1 and one line per difference on standard output, in verify's words with three values (this\n"
    "image, the controller now, OLD). --force writes the conflicting blocks too. Blocks where BASE\n"
    "equals OLD are not looked at.\n";
constexpr std::string_view kVerifyAbout =
    "Compares AREA of the controller with the image in BASE.K3s, BASE.K3p and BASE.K3m (the files of\n"
    "the areas compared must exist). Each difference is printed on standard output as one line, in\n"
    "the words of the window program, e.g.\n"
    "  Błąd weryfikacji : scena 4 kanał 131 ( 10 <> 12 )\n"
    "(the image's value first for scenes and MIDI, the controller's first for settings).\n"
    "Exit status 1 when there is any difference.\n";

constexpr std::string_view kAreaHelp =
    "AREA:\n"
    "  scenes            every scene (1022 scenes, 2044 blocks)\n"
    "  scenes=P:S-P:S    scenes from program P scene S to program P scene S, as the controller\n"
    "                    numbers them: programs 1-16 have 32 scenes, 17-47 have 16, 48 has 14;\n"
    "                    scenes=P is all of program P, scenes=P:S one scene\n"
    "  settings          program ends, speeds, fades, collections, special keys (2 blocks)\n"
    "  midi              MIDI key assignments (2 blocks)\n"
    "  all               everything above in one walk (2048 blocks)\n";

constexpr std::string_view kAreaArgument[] = {"AREA"};

constexpr OptionSpec kImageOption{
    "--image", "BASE",
    "the data files BASE.K3s, BASE.K3p and BASE.K3m (BASE.K3s and the others stand for BASE too)",
    "--image needs a base name, e.g. --image show"};
constexpr OptionSpec kImageOptions[] = {kImageOption};
constexpr OptionSpec kWriteOptions[] = {
    kImageOption,
    {"--changed", "", "write only the blocks that differ, keeping an undo journal"},
    {"--since", "OLD",
     "(with --changed) the controller held OLD when last seen: read and write only where BASE and OLD "
     "differ, and stop at a block changed in the controller since (see above)",
     "--since needs the base name of the image the controller held"},
    {"--force", "", "(with --since) write the blocks changed in the controller since OLD too"},
    {"--journal-dir", "DIR",
     "(with --changed) the folder of the undo journals (default: the window program's data folder + "
     "/journals, e.g. ~/.local/share/kaviraob/journals); the last 50 journals are kept",
     "--journal-dir needs a folder"},
};

// What a read, a write or a verify was asked to do.
struct TransferArgs {
  AreaSpec area;
  std::string base;
  bool changed = false;
  bool force = false;
  std::optional<std::string> since;
  std::optional<std::string> journalDir;
};

// The command line's AREA and options; nothing, or the exit code of a usage error.
std::optional<int> ReadArgs(std::string_view name, const ParsedCommand& parsed, TransferArgs& args) {
  if (!parsed.extras.empty()) return RefuseArgument(name, parsed.extras.front(), ": one AREA only");
  const auto& images = parsed.values("--image");
  if (images.size() > 1) return Complain(name, "--image given twice: one BASE only", kExitUsage);
  if (parsed.values("--since").size() > 1)
    return Complain(name, "--since given twice: one OLD only", kExitUsage);
  if (parsed.positionals.empty())
    return Complain(name, "which AREA? scenes, scenes=P:S-P:S, settings, midi or all", kExitUsage);
  std::string error;
  const auto area = ParseArea(parsed.positionals.front(), &error);
  if (!area) return Complain(name, error, kExitUsage);
  if (images.empty())
    return Complain(name, "--image BASE is needed: the data files BASE.K3s, .K3p, .K3m", kExitUsage);
  args.area = *area;
  args.base = images.front();
  args.changed = parsed.given("--changed");
  args.since = parsed.last("--since");
  args.journalDir = parsed.last("--journal-dir");
  args.force = parsed.given("--force");
  if (!args.changed && (args.since || args.journalDir)) {
    return Complain(name, std::string(args.since ? "--since" : "--journal-dir") + " goes with --changed",
                    kExitUsage);
  }
  if (args.force && !args.since) return Complain(name, "--force goes with --since", kExitUsage);
  StripDataExtension(args.base);
  return std::nullopt;
}

// After a read: the files of the areas read, replaced as one set.
int SaveRead(LinkSession& session, const TransferArgs& args, const std::string& what) {
  const std::vector<DataArea> areas = args.area.dataAreas();
  // A signal from here on lets the save finish: the data has been read, and stopping half way
  // would only lose it. It still ends the run with status 3 when it came before any file was
  // replaced.
  bool signalBeforeReplacing = false;
  ReplaceOptions options;
  options.beforeReplacing = [&] { signalBeforeReplacing = SignalArrived(); };
  SaveReport report;
  const auto problem = SaveImageFiles(args.base, areas, session.image(), options, report);
  if (report.orphansRemoved > 0) {
    session.note("removed " + std::to_string(report.orphansRemoved) +
                 " temporary file(s) left in the folder by runs that were killed");
  }
  for (const auto& path : report.replaced)
    session.note("saved " + PathToUtf8(path));
  if (problem) return session.complain(*problem, kExitFile);
  session.note("read " + what);
  if (SignalArrived()) {
    return session.complain(
        ArrivedSignalName() +
            " arrived during the save; the save was finished first, so the files are complete",
        signalBeforeReplacing ? kExitLink : kExitOk);
  }
  return kExitOk;
}

int ReportVerify(LinkSession& session, const std::string& what) {
  std::cout.flush();
  const std::size_t differences = session.host().differences();
  if (differences > 0) {
    session.note("verified " + what + ": " + std::to_string(differences) +
                 (differences == 1 ? " difference" : " differences"));
    return kExitFailure;
  }
  session.note("verified " + what + ": no difference");
  return kExitOk;
}

// Every file is checked before anything is sent. A read loads only the scenes file of a range of
// scenes, the one file it fills in part. The exit code of a problem, or nothing.
std::optional<int> LoadFiles(_akcja action, const TransferArgs& args, LinkSession& session,
                             std::unique_ptr<ControllerImage>& old) {
  const std::vector<DataArea> areas = args.area.dataAreas();
  std::vector<DataArea> loaded = areas;
  if (action == _read_) {
    const bool someScenes = args.area.from > 0 || args.area.to + 1 < kSceneCount;
    std::erase_if(loaded, [&](DataArea a) { return a != DataArea::Scenes || !someScenes; });
  }
  if (const auto problem = LoadImageFiles(args.base, loaded, action != _read_, session.image()))
    return session.complain(*problem, kExitFile);
  if (action == _read_) {
    if (const auto problem = CheckSavable(args.base, areas)) return session.complain(*problem, kExitFile);
  }
  if (args.since) {
    std::string since = *args.since;
    StripDataExtension(since);
    old = std::make_unique<ControllerImage>();
    if (const auto problem = LoadImageFiles(since, areas, true, *old))
      return session.complain("--since " + since + ": " + *problem, kExitFile);
  }
  return std::nullopt;
}

int RunTransfer(std::string_view name, _akcja action, Context& context, const ParsedCommand& parsed) {
  TransferArgs args;
  if (const auto code = ReadArgs(name, parsed, args)) return *code;
  LinkSession session(context, std::string(name));
  std::unique_ptr<ControllerImage> old;
  if (const auto code = LoadFiles(action, args, session, old)) return *code;
  if (const int code = session.connect(); code != kExitOk) return code;
  const AreaSpec& area = args.area;
  if (args.changed) {
    session.host().overwriteConflicts = args.force;
    return RunChangesWalk(session, {WalkKind::Changes, area.from, area.to, area.all, {}},
                          JournalFolder(args.journalDir), old.get(), nullptr);
  }

  TransferEngine& engine = session.engine();
  engine.startBlocks({action, area.from, area.to, area.all});
  session.run();
  if (const auto code = session.failed(action == _read_ ? "no file was saved" : "")) return *code;
  if (engine.link().Adres <= 2 * area.to + 1) {
    return session.complain(
        "the run ended at block " + std::to_string(engine.link().Adres) + " before its end", kExitLink);
  }
  const std::string what = area.description + " (" + std::to_string(area.blocks()) + " blocks)";
  switch (action) {
    case _read_:
      return SaveRead(session, args, what);
    case _write_:
      session.note("wrote " + what);
      return kExitOk;
    default:
      return ReportVerify(session, what);
  }
}

int RunRead(Context& context, const ParsedCommand& parsed) {
  return RunTransfer("read", _read_, context, parsed);
}
int RunWrite(Context& context, const ParsedCommand& parsed) {
  return RunTransfer("write", _write_, context, parsed);
}
int RunVerify(Context& context, const ParsedCommand& parsed) {
  return RunTransfer("verify", _verify_, context, parsed);
}

}  // namespace

const CommandSpec kReadCommand{
    .name = "read",
    .summary = "read an area of the controller into the data files",
    .usage = "kaviraob-cli [GLOBAL OPTIONS] read AREA --image BASE",
    .about = kReadAbout,
    .arguments = kAreaArgument,
    .options = kImageOptions,
    .globalOptions = true,
    .after = kAreaHelp,
    .examples =
        "  kaviraob-cli --port /dev/ttyUSB0 read all --image backup/2024-05-01\n"
        "  kaviraob-cli read scenes=3:1-3:32 --image show     # program 3 only\n",
    .run = RunRead,
};

const CommandSpec kWriteCommand{
    .name = "write",
    .summary = "write an area of the data files into the controller",
    .usage =
        "kaviraob-cli [GLOBAL OPTIONS] write AREA --image BASE\n"
        "       kaviraob-cli [GLOBAL OPTIONS] write AREA --image BASE --changed [--since OLD [--force]]\n"
        "                                                            [--journal-dir DIR]",
    .about = kWriteAbout,
    .arguments = kAreaArgument,
    .options = kWriteOptions,
    .globalOptions = true,
    .after = kAreaHelp,
    .examples =
        "  kaviraob-cli --port /dev/ttyUSB0 --fast-ack write all --image backup/2024-05-01\n"
        "  kaviraob-cli write settings --image show\n"
        "  kaviraob-cli --fast-ack write all --image show --changed\n"
        "  kaviraob-cli write scenes=3 --image show --changed --since show-as-written\n",
    .run = RunWrite,
};

const CommandSpec kVerifyCommand{
    .name = "verify",
    .summary = "compare an area of the controller with the data files",
    .usage = "kaviraob-cli [GLOBAL OPTIONS] verify AREA --image BASE",
    .about = kVerifyAbout,
    .arguments = kAreaArgument,
    .options = kImageOptions,
    .globalOptions = true,
    .after = kAreaHelp,
    .examples =
        "  kaviraob-cli --port /dev/ttyUSB0 verify all --image backup/2024-05-01\n"
        "  kaviraob-cli verify scenes=48 --image show > differences.txt\n",
    .run = RunVerify,
};

}  // namespace kavira::cli
