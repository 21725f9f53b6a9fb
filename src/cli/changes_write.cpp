#include "cli/changes_write.h"

#include <iostream>

#include "files/changes_run.h"
#include "files/path_text.h"
#include "link/verification.h"
#include "platform/journal_folder.h"

namespace kavira::cli {
namespace fs = std::filesystem;
namespace {

std::string Blocks(std::size_t n) {
  return std::to_string(n) + (n == 1 ? " block" : " blocks");
}

// With OLD, the blocks where the image and OLD differ, OLD's bytes being what they replace; `equal`
// counts those OLD already holds as the image does.
std::vector<KnownBlock> SinceBlocks(const ControllerImage& image, const ControllerImage& old,
                                    const ChangesRequest& area, std::uint32_t& equal) {
  std::vector<KnownBlock> known;
  for (std::uint32_t b = 2 * area.from; b <= 2 * area.to + 1; ++b) {
    const BlockData was = EncodeBlock(old, b);
    if (BlockDiffers(image, b, was, Comparison::Travelling)) {
      known.push_back({b, was});
    } else {
      ++equal;
    }
  }
  return known;
}

}  // namespace

fs::path JournalFolder(const std::optional<std::string>& option) {
  return option ? PathFromUtf8(*option) : DefaultJournalFolder();
}

int RunChangesWalk(LinkSession& session, ChangesRequest request, const fs::path& folder,
                   const ControllerImage* old, const Journal* undo) {
  TransferEngine& engine = session.engine();
  // The controller's firmware version goes into the journal.
  engine.startVersion();
  session.run();
  if (const auto code = session.failed("nothing was written")) return *code;

  const std::string firmware = JournalFirmwareText(engine.link().HFirmWareVer);
  if (undo != nullptr && !undo->header.firmware.empty() && undo->header.firmware != firmware) {
    session.note("the journal was kept with firmware " + PrintableText(undo->header.firmware) +
                 "; the controller has " + PrintableText(firmware));
  }
  std::uint32_t equalInOld = 0;
  if (old != nullptr) {
    // OLD is what the controller held when last seen: the three-way write.
    request.kind = WalkKind::Since;
    request.known = SinceBlocks(session.image(), *old, request, equalInOld);
  }
  ChangesRun run(engine, SystemFileSystem());
  // The journal keeps the bytes read from the controller, in --since's walk too.
  const std::string error = run.start(request, folder, JournalSource::Controller);
  if (!error.empty()) return session.complain(error + "; nothing was written", kExitFile);
  session.run();
  const ChangesRun::Outcome outcome = *run.end();

  const ChangesReport& report = outcome.report;
  const std::string journalNote = outcome.kept == 0
                                      ? std::string("nothing was written, so no undo journal was kept")
                                      : "the undo journal " + PathToUtf8(outcome.journal) + " holds the " +
                                            Blocks(outcome.kept) + " that may have changed";
  if (!outcome.journalFailure.empty()) {
    return session.complain(
        outcome.journalFailure + "; the write stopped before that block was sent; " + journalNote, kExitFile);
  }
  if (const auto code = session.failed(journalNote)) return *code;
  if (report.conflicts > 0 && !report.finished) {
    std::cout.flush();
    return session.complain(Blocks(report.conflicts) +
                                " changed in the controller since OLD (the differences above); nothing was "
                                "written; --force writes them too",
                            kExitFailure);
  }
  if (!report.finished) {
    return session.complain(
        "the run ended at block " + std::to_string(engine.link().Adres) + " before its end; " + journalNote,
        kExitLink);
  }
  const std::uint32_t equal = report.equal + equalInOld;
  std::string conflicts;
  if (report.conflicts > 0) {
    conflicts = ", " + Blocks(report.conflicts) + " changed in the controller since OLD " +
                (report.skipped > 0 ? "left alone" : "overwritten");
  }
  session.note("wrote " + Blocks(report.written) + ", " + std::to_string(equal) +
               (old != nullptr ? " equal in OLD or already equal" : " already equal") + conflicts + "; " +
               (outcome.kept == 0 ? std::string("no undo journal (nothing was overwritten)")
                                  : "undo journal: " + PathToUtf8(outcome.journal)));
  if (!report.readBackOk) {
    return session.complain("the blocks written do not all read back as written (see the differences above)",
                            kExitFailure);
  }
  return kExitOk;
}

}  // namespace kavira::cli
