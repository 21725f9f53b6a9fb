#include "ui/changes_runs.h"
#include "files/path_text.h"

#include <ctime>
#include <set>

namespace kavira {
namespace {

std::string VersionOf(const std::string& statusText) {
  const std::string prefix = "\tFW : ";
  return statusText.rfind(prefix, 0) == 0 ? statusText.substr(prefix.size()) : std::string();
}

}  // namespace

bool ChangesRuns::begin(const JournalHeader& area) {
  linkIdle();
  JournalHeader header = area;
  header.created = static_cast<std::int64_t>(std::time(nullptr));
  header.firmware = VersionOf(engine_.link().HFirmWareVer);
  std::string error;
  journal_ = JournalWriter::Create(SystemFileSystem(), folder, header, &error);
  if (!journal_) {
    host_.messageBox(std::string(Texts::kJournalNotCreated) + "\n" + error, Texts::kCaptionFailure,
                     Buttons::Ok, Icon::Stop, MessageKind::FileFailure);
    return false;
  }
  engine_.beforeWrite = [this](std::uint32_t block, ByteView previous) {
    const std::string failure = journal_ ? journal_->append(block, previous) : std::string("no journal");
    return failure.empty() ? failure : std::string(Texts::kJournalWriteFailed) + "\n" + failure;
  };
  engine_.changesEnded = [this](const ChangesReport& report) { ended(report); };
  return true;
}

void ChangesRuns::write(const BlockWalk& area) {
  JournalHeader header;
  header.from = area.from;
  header.to = area.to;
  header.all = area.all;
  if (begin(header)) engine_.startChanges(area);
}

void ChangesRuns::undoLast() {
  if (engine_.link().status != _idle_) return;
  const auto journals = ListJournals(SystemFileSystem(), folder);
  if (journals.empty()) {
    host_.messageBox(Texts::kNoJournal, Texts::kCaptionWarning, Buttons::Ok, Icon::Exclamation,
                     MessageKind::Warning);
    return;
  }
  undo(journals.back());
}

void ChangesRuns::undoChosen() {
  if (engine_.link().status != _idle_) return;
  FileRequest request;
  request.title = Texts::kChooseJournal;
  request.filterIndex = 5;
  request.initialName = PathToUtf8(folder / "");
  if (const auto chosen = host_.chooseFile(request)) undo(PathFromUtf8(*chosen));
}

void ChangesRuns::undo(const std::filesystem::path& path) {
  std::string error;
  const auto journal = ReadJournal(SystemFileSystem(), path, &error);
  if (!journal) {
    host_.messageBox(std::string(Texts::kBadJournal) + "\n" + error, Texts::kCaptionFailure, Buttons::Ok,
                     Icon::Stop, MessageKind::FileFailure);
    return;
  }
  const std::string question = std::string(Texts::kUndoQuestion) + "\n" + PathToUtf8(path) + "\n" +
                               Format(Texts::kBlocksWritten, {std::to_string(journal->records.size())});
  if (host_.messageBox(question, Texts::kCaptionQuestion, Buttons::YesNo, Icon::Question,
                       MessageKind::Question) != Answer::Yes) {
    return;
  }
  // A block kept twice is restored to what it held first.
  std::vector<KnownBlock> known;
  std::set<std::uint32_t> seen;
  for (const JournalRecord& r : journal->records) {
    if (seen.insert(r.block).second) known.push_back({r.block, r.bytes});
  }
  JournalHeader header = journal->header;
  header.source = JournalSource::Controller;
  if (begin(header)) engine_.startUndo({_write_, header.from, header.to, header.all}, std::move(known));
}

void ChangesRuns::ended(const ChangesReport& report) {
  const bool undo = report.kind == WalkKind::Undo;
  std::string text = report.readBackOk ? (undo ? Texts::kUndoDone : Texts::kChangesDone)
                                       : (undo ? Texts::kUndoWarned : Texts::kChangesWarned);
  text += "\n" + Format(Texts::kBlocksWritten, {std::to_string(report.written)}) + "\n" +
          Format(Texts::kBlocksEqual, {std::to_string(report.equal)}) + "\n";
  const bool kept = journal_ && journal_->records() > 0;
  text +=
      kept ? Format(Texts::kUndoJournal, {PathToUtf8(journal_->path())}) : std::string(Texts::kNoJournalKept);
  const bool ok = report.readBackOk;
  closeJournal();
  // The older journals go only now that a newer write has succeeded.
  if (kept && ok) PruneJournals(SystemFileSystem(), folder);
  host_.messageBox(text, ok ? Texts::kCaptionSuccess : Texts::kCaptionDoubtfulSuccess, Buttons::Ok,
                   Icon::Information, MessageKind::VerifyOutcome);
}

void ChangesRuns::linkIdle() {
  if (engine_.link().status != _idle_) return;
  engine_.beforeWrite = nullptr;
  engine_.changesEnded = nullptr;
  // A run that ended normally has closed its journal already; one still open was cut short.
  const bool cutShort = journal_ && journal_->records() > 0;
  const std::string text =
      cutShort ? std::string(engine_.changes().kind == WalkKind::Undo ? Texts::kUndoStopped
                                                                      : Texts::kChangesStopped) +
                     "\n" + Format(Texts::kBlocksWritten, {std::to_string(engine_.changes().written)}) +
                     "\n" + Format(Texts::kUndoJournal, {PathToUtf8(journal_->path())})
               : std::string();
  closeJournal();
  if (cutShort)
    host_.messageBox(text, Texts::kCaptionWarning, Buttons::Ok, Icon::Exclamation, MessageKind::Warning);
}

void ChangesRuns::closeJournal() {
  if (!journal_) return;
  const std::filesystem::path path = journal_->path();
  const bool empty = journal_->records() == 0;
  journal_.reset();
  // A run that overwrote nothing has nothing to undo.
  if (empty) SystemFileSystem().Remove(path);
}

}  // namespace kavira
