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

constexpr std::string_view kReadHelp =
    "Usage: kaviraob-cli [GLOBAL OPTIONS] read AREA --image BASE\n"
    "\n"
    "Reads AREA of the controller's memory into the image and saves the files of the areas read:\n"
    "BASE.K3s (scenes), BASE.K3p (program settings), BASE.K3m (MIDI assignments). A range of scenes\n"
    "keeps the other scenes of an existing BASE.K3s (which is loaded first); a file that the read\n"
    "fills whole is not loaded. The files are replaced as one set: all of them or, when any cannot\n"
    "be written, none. A read that fails or is interrupted saves nothing; a signal that comes once\n"
    "the save has begun lets it finish first.\n";
constexpr std::string_view kWriteHelp =
    "Usage: kaviraob-cli [GLOBAL OPTIONS] write AREA --image BASE\n"
    "\n"
    "Writes AREA of the image in BASE.K3s, BASE.K3p and BASE.K3m into the controller. The files of\n"
    "the areas written must exist. Each block must be acknowledged; a refused block is sent again\n"
    "up to --retries times. --fast-ack makes a whole write several times faster.\n"
    "\n"
    "  or:  kaviraob-cli [GLOBAL OPTIONS] write AREA --image BASE --changed [--since OLD]\n"
    "                                                       [--journal-dir DIR]\n"
    "\n"
    "--changed writes only what changed: every block of AREA is read and compared with the image by\n"
    "the rules of 'verify'; a block that differs is written at once, one the controller already holds\n"
    "is left alone. Before a block is overwritten, its previous content is appended to an undo\n"
    "journal and flushed to the disk; 'kaviraob-cli undo JOURNAL' writes it back. At the end every\n"
    "block written is read back and compared; a difference is printed as 'verify' prints it and the\n"
    "exit status is 1. A summary line on standard error gives the blocks written, those already\n"
    "equal, and the journal's path. When the journal cannot be created, nothing is written.\n"
    "\n"
    "--since OLD (with --changed) reads nothing first. It TRUSTS you that the controller holds\n"
    "exactly the image OLD (OLD.K3s, OLD.K3p, OLD.K3m, for the areas written): it writes the blocks\n"
    "where BASE and OLD differ, then reads back and compares only those. Blocks where the\n"
    "controller differs from OLD but BASE equals OLD are not looked at and stay as they are, and\n"
    "the journal holds OLD's blocks (it says that they were not read from the controller). Use it\n"
    "only when OLD is what you last wrote or read, and nobody changed the controller since.\n";
constexpr std::string_view kVerifyHelp =
    "Usage: kaviraob-cli [GLOBAL OPTIONS] verify AREA --image BASE\n"
    "\n"
    "Compares AREA of the controller with the image in BASE.K3s, BASE.K3p and BASE.K3m (the files of\n"
    "the areas compared must exist). Each difference is printed on standard output as one line, in\n"
    "the words of the window program, e.g.\n"
    "  Błąd weryfikacji : scena 4 kanał 131 ( 10 <> 12 )\n"
    "(the image's value first for scenes and MIDI, the controller's first for settings).\n"
    "Exit status 1 when there is any difference.\n";

constexpr std::string_view kAreaHelp =
    "\n"
    "AREA:\n"
    "  scenes            every scene (1022 scenes, 2044 blocks)\n"
    "  scenes=P:S-P:S    scenes from program P scene S to program P scene S, as the controller\n"
    "                    numbers them: programs 1-16 have 32 scenes, 17-47 have 16, 48 has 14;\n"
    "                    scenes=P is all of program P, scenes=P:S one scene\n"
    "  settings          program ends, speeds, fades, collections, special keys (2 blocks)\n"
    "  midi              MIDI key assignments (2 blocks)\n"
    "  all               everything above in one walk (2048 blocks)\n"
    "\n"
    "Options:\n"
    "  --image BASE      the data files BASE.K3s, BASE.K3p and BASE.K3m (BASE.K3s and the\n"
    "                    others stand for BASE too)\n"
    "  -h, --help        this text\n";
constexpr std::string_view kChangedHelp =
    "  --changed         (write) write only the blocks that differ, keeping an undo journal\n"
    "  --since OLD       (write --changed) the controller holds OLD: write where BASE and OLD\n"
    "                    differ, without reading first (see above for what this trusts)\n"
    "  --journal-dir DIR (write --changed) the folder of the undo journals (default: the window\n"
    "                    program's data folder + /journals, e.g. ~/.local/share/kaviraob/journals);\n"
    "                    the last 50 journals are kept\n";

void PrintHelp(const TransferCommand& c) {
  std::cout << c.help << kAreaHelp << (c.action == _write_ ? kChangedHelp : std::string_view())
            << "\nGlobal options (also accepted here):\n"
            << GlobalOptionsHelp();
  std::cout << "\nExamples:\n";
  if (c.action == _read_) {
    std::cout << "  kaviraob-cli --port /dev/ttyUSB0 read all --image backup/2024-05-01\n"
                 "  kaviraob-cli read scenes=3:1-3:32 --image show     # program 3 only\n";
  } else if (c.action == _write_) {
    std::cout << "  kaviraob-cli --port /dev/ttyUSB0 --fast-ack write all --image backup/2024-05-01\n"
                 "  kaviraob-cli write settings --image show\n"
                 "  kaviraob-cli --fast-ack write all --image show --changed\n"
                 "  kaviraob-cli write scenes=3 --image show --changed --since show-as-written\n";
  } else {
    std::cout << "  kaviraob-cli --port /dev/ttyUSB0 verify all --image backup/2024-05-01\n"
                 "  kaviraob-cli verify scenes=48 --image show > differences.txt\n";
  }
}

int RunTransfer(const TransferCommand& c, Context& context, Args args) {
  std::optional<AreaSpec> area;
  std::optional<std::string> base;
  bool changed = false;
  std::optional<std::string> since;
  std::optional<std::string> journalDir;
  OptionReader reader(args);
  while (!reader.done()) {
    const int common = TakeCommonOption(reader, context, c.name, [&] { PrintHelp(c); });
    if (common == kTakenCommon) continue;
    if (common != kNotCommon) return common;
    if (reader.is("--image")) {
      if (base) return Complain(c.name, "--image given twice: one BASE only", kExitUsage);
      base = reader.value();
      if (!base || base->empty())
        return Complain(c.name, "--image needs a base name, e.g. --image show", kExitUsage);
    } else if (c.action == _write_ && reader.flag("--changed")) {
      changed = true;
    } else if (c.action == _write_ && reader.is("--since")) {
      if (since) return Complain(c.name, "--since given twice: one OLD only", kExitUsage);
      since = reader.value();
      if (!since || since->empty())
        return Complain(c.name, "--since needs the base name of the image the controller holds", kExitUsage);
    } else if (c.action == _write_ && reader.is("--journal-dir")) {
      journalDir = reader.value();
      if (!journalDir || journalDir->empty())
        return Complain(c.name, "--journal-dir needs a folder", kExitUsage);
    } else if (!reader.current().empty() && reader.current()[0] == '-') {
      return Complain(c.name, "unknown option '" + reader.current() + "' (see --help)", kExitUsage);
    } else if (area) {
      return Complain(c.name, "unexpected argument '" + reader.current() + "': one AREA only", kExitUsage);
    } else {
      std::string error;
      area = ParseArea(reader.current(), &error);
      if (!area) return Complain(c.name, error, kExitUsage);
      reader.next();
    }
  }
  if (!area) return Complain(c.name, "which AREA? scenes, scenes=P:S-P:S, settings, midi or all", kExitUsage);
  if (!base)
    return Complain(c.name, "--image BASE is needed: the data files BASE.K3s, .K3p, .K3m", kExitUsage);
  if (!changed && (since || journalDir))
    return Complain(c.name, std::string(since ? "--since" : "--journal-dir") + " goes with --changed",
                    kExitUsage);
  StripDataExtension(*base);

  LinkSession session(context, std::string(c.name));
  const std::vector<DataArea> areas = area->dataAreas();
  // Every file is checked before anything is sent. A read loads only the scenes file of a range of
  // scenes, the one file it fills in part.
  std::vector<DataArea> loaded = areas;
  if (c.action == _read_) {
    const bool someScenes = area->from > 0 || area->to + 1 < kSceneCount;
    std::erase_if(loaded, [&](DataArea a) { return a != DataArea::Scenes || !someScenes; });
  }
  if (const auto problem = LoadImageFiles(*base, loaded, c.action != _read_, session.image())) {
    return session.complain(*problem, kExitFile);
  }
  if (c.action == _read_) {
    if (const auto problem = CheckSavable(*base, areas)) return session.complain(*problem, kExitFile);
  }
  std::unique_ptr<ControllerImage> old;
  if (since) {
    StripDataExtension(*since);
    old = std::make_unique<ControllerImage>();
    if (const auto problem = LoadImageFiles(*since, areas, true, *old))
      return session.complain("--since " + *since + ": " + *problem, kExitFile);
  }
  if (const int code = session.connect(); code != kExitOk) return code;
  if (changed) {
    JournalHeader header;
    header.from = area->from;
    header.to = area->to;
    header.all = area->all;
    return RunChangesWalk(session, header, JournalFolder(journalDir), old.get(), nullptr);
  }

  TransferEngine& engine = session.engine();
  engine.startBlocks({c.action, area->from, area->to, area->all});
  session.run();
  if (const auto code = session.failed(c.action == _read_ ? "no file was saved" : "")) return *code;
  if (engine.link().Adres <= 2 * area->to + 1) {
    return session.complain(
        "the run ended at block " + std::to_string(engine.link().Adres) + " before its end", kExitLink);
  }

  const std::string what = area->description + " (" + std::to_string(area->blocks()) + " blocks)";
  switch (c.action) {
    case _read_: {
      // A signal from here on lets the save finish: the data has been read, and stopping half way
      // would only lose it. It still ends the run with status 3 when it came before any file was
      // replaced.
      bool signalBeforeReplacing = false;
      ReplaceOptions options;
      options.beforeReplacing = [&] { signalBeforeReplacing = SignalArrived(); };
      SaveReport report;
      const auto problem = SaveImageFiles(*base, areas, session.image(), options, report);
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
    case _write_:
      session.note("wrote " + what);
      return kExitOk;
    default:
      std::cout.flush();
      if (session.host().differences() > 0) {
        session.note("verified " + what + ": " + std::to_string(session.host().differences()) +
                     (session.host().differences() == 1 ? " difference" : " differences"));
        return kExitFailure;
      }
      session.note("verified " + what + ": no difference");
      return kExitOk;
  }
}

constexpr TransferCommand kRead{"read", _read_, kReadHelp};
constexpr TransferCommand kWrite{"write", _write_, kWriteHelp};
constexpr TransferCommand kVerify{"verify", _verify_, kVerifyHelp};

}  // namespace

int RunRead(Context& context, Args args) {
  return RunTransfer(kRead, context, args);
}
int RunWrite(Context& context, Args args) {
  return RunTransfer(kWrite, context, args);
}
int RunVerify(Context& context, Args args) {
  return RunTransfer(kVerify, context, args);
}

}  // namespace kavira::cli
