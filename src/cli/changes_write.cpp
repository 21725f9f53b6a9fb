#include "cli/changes_write.h"

#include <ctime>
#include <set>

#include "files/path_text.h"
#include "link/verification.h"
#include "platform/journal_folder.h"

namespace kavira::cli {
namespace fs = std::filesystem;
namespace {

// "1.05A" from the status-bar text "\tFW : 1.05A".
std::string VersionOf(const std::string& statusText) {
  const std::string prefix = "\tFW : ";
  return statusText.rfind(prefix, 0) == 0 ? statusText.substr(prefix.size()) : statusText;
}

std::string Blocks(std::size_t n) {
  return std::to_string(n) + (n == 1 ? " block" : " blocks");
}

// Starts the walk: with OLD, the blocks where the image and OLD differ, OLD's bytes being what
// they replace; with a journal, its blocks; otherwise every block of the area, read and compared.
// Returns how many blocks OLD already holds as the image does.
std::uint32_t StartWalk(TransferEngine& engine, const ControllerImage& image, const JournalHeader& area,
                        const ControllerImage* old, const Journal* undo) {
  const BlockWalk walk{_write_, area.from, area.to, area.all};
  std::uint32_t equalInOld = 0;
  if (old != nullptr) {
    // The user vouches that the controller holds OLD.
    std::vector<KnownBlock> known;
    for (std::uint32_t b = 2 * area.from; b <= 2 * area.to + 1; ++b) {
      const BlockData was = EncodeBlock(*old, b);
      if (BlockDiffers(image, b, was)) {
        known.push_back({b, was});
      } else {
        ++equalInOld;
      }
    }
    engine.startSince(walk, std::move(known));
  } else if (undo != nullptr) {
    // A block kept twice is restored to what it held first.
    std::vector<KnownBlock> known;
    std::set<std::uint32_t> seen;
    for (const JournalRecord& r : undo->records) {
      if (seen.insert(r.block).second) known.push_back({r.block, r.bytes});
    }
    engine.startUndo(walk, std::move(known));
  } else {
    engine.startChanges(walk);
  }
  return equalInOld;
}

}  // namespace

fs::path JournalFolder(const std::optional<std::string>& option) {
  return option ? PathFromUtf8(*option) : DefaultJournalFolder();
}

int RunChangesWalk(LinkSession& session, const JournalHeader& area, const fs::path& folder,
                   const ControllerImage* old, const Journal* undo) {
  TransferEngine& engine = session.engine();
  // The controller's firmware version goes into the journal.
  engine.startVersion();
  session.run();
  if (const auto code = session.failed("nothing was written")) return *code;

  JournalHeader header = area;
  header.source = old != nullptr ? JournalSource::OldImage : JournalSource::Controller;
  header.created = static_cast<std::int64_t>(std::time(nullptr));
  header.firmware = VersionOf(engine.link().HFirmWareVer);
  if (undo != nullptr && !undo->header.firmware.empty() && undo->header.firmware != header.firmware) {
    session.note("the journal was kept with firmware " + undo->header.firmware + "; the controller has " +
                 header.firmware);
  }
  std::string error;
  auto journal = JournalWriter::Create(SystemFileSystem(), folder, header, &error);
  if (!journal) return session.complain(error + "; nothing was written", kExitFile);

  std::string journalFailure;
  engine.beforeWrite = [&](std::uint32_t block, ByteView previous) {
    journalFailure = journal->append(block, previous);
    return journalFailure;
  };
  const std::uint32_t equalInOld = StartWalk(engine, session.image(), area, old, undo);
  session.run();
  engine.beforeWrite = nullptr;

  const ChangesReport report = engine.changes();
  const fs::path path = journal->path();
  const std::size_t kept = journal->records();
  journal.reset();
  std::string journalNote;
  if (kept == 0) {
    // Nothing was overwritten: there is nothing to undo.
    SystemFileSystem().Remove(path);
    journalNote = "nothing was written, so no undo journal was kept";
  } else {
    journalNote =
        "the undo journal " + PathToUtf8(path) + " holds the " + Blocks(kept) + " that may have changed";
  }
  if (!journalFailure.empty()) {
    return session.complain(journalFailure + "; the write stopped before that block was sent; " + journalNote,
                            kExitFile);
  }
  if (const auto code = session.failed(journalNote)) return *code;
  if (!report.finished) {
    return session.complain(
        "the run ended at block " + std::to_string(engine.link().Adres) + " before its end; " + journalNote,
        kExitLink);
  }
  const std::uint32_t equal = report.equal + equalInOld;
  session.note("wrote " + Blocks(report.written) + ", " + std::to_string(equal) +
               (old != nullptr ? " equal in OLD" : " already equal") + "; " +
               (kept == 0 ? std::string("no undo journal (nothing was overwritten)")
                          : "undo journal: " + PathToUtf8(path)));
  if (!report.readBackOk) {
    return session.complain("the blocks written do not all read back as written (see the differences above)",
                            kExitFailure);
  }
  // The older journals go only now that a newer write has succeeded.
  if (kept > 0) PruneJournals(SystemFileSystem(), folder);
  return kExitOk;
}

}  // namespace kavira::cli
