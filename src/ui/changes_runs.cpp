#include "ui/changes_runs.h"

#include <algorithm>
#include <ctime>

#include "files/path_text.h"

namespace kavira {

ChangesRuns::ChangesRuns(TransferEngine& engine, Host& host)
    : engine_(engine), host_(host), run_(engine, SystemFileSystem()) {
  engine_.blockWritten = [this](std::uint32_t block) { plainWrites_[block] = std::time(nullptr); };
}

void ChangesRuns::begin(const ChangesRequest& request) {
  linkIdle();
  const std::string error = run_.start(request, folder);
  if (!error.empty()) {
    host_.messageBox(Message::Lines({Texts::kJournalNotCreated, Message::Text(error)}),
                     Texts::kCaptionFailure, Buttons::Ok, Icon::Stop, MessageKind::FileFailure);
    return;
  }
  engine_.changesEnded = [this](const ChangesReport&) { ended(); };
}

void ChangesRuns::write(const BlockWalk& area) {
  begin(engine_.changesRequest(area));
}

std::vector<std::filesystem::path> ChangesRuns::journals() const {
  std::vector<std::filesystem::path> folders{folder};
  folders.insert(folders.end(), alsoSearched.begin(), alsoSearched.end());
  return ListJournals(SystemFileSystem(), folders);
}

void ChangesRuns::undoLast() {
  if (engine_.link().status != _idle_) return;
  const auto journals = this->journals();
  if (journals.empty()) {
    host_.messageBox(Texts::kNoJournal, Texts::kCaptionWarning, Buttons::Ok, Icon::Exclamation,
                     MessageKind::Warning);
    return;
  }
  undo(journals.back());
}

void ChangesRuns::undoChosen() {
  if (engine_.link().status != _idle_) return;
  if (chooseJournal) {
    const std::vector<JournalRow> rows = JournalRows(SystemFileSystem(), journals());
    const auto pick = chooseJournal(rows);
    if (!pick) return;
    if (*pick < rows.size()) {
      undo(rows[*pick].path);
      return;
    }
  }
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
    host_.messageBox(Message::Lines({Texts::kBadJournal, Message::Text(error)}), Texts::kCaptionFailure,
                     Buttons::Ok, Icon::Stop, MessageKind::FileFailure);
    return;
  }
  // A later write without a journal over blocks of this one: undoing it puts back what the controller
  // held before this write, not before that one.
  const auto overwritten =
      static_cast<std::size_t>(std::ranges::count_if(journal->records, [&](const JournalRecord& r) {
        const auto it = plainWrites_.find(r.block);
        return it != plainWrites_.end() && it->second >= journal->header.created;
      }));
  if (overwritten > 0 && host_.messageBox(Message(Texts::kUnjournalledSince, {std::to_string(overwritten)}),
                                          Texts::kCaptionWarning, Buttons::YesNoDefaultNo, Icon::Exclamation,
                                          MessageKind::Question) != Answer::Yes) {
    return;
  }
  const Message question = Message::Lines(
      {Texts::kUndoQuestion,
       Message(Texts::kUndoWhat, {JournalTimeText(journal->header.created), JournalAreaText(journal->header),
                                  std::to_string(journal->records.size())}),
       Message::Text(PathToUtf8(path))});
  if (host_.messageBox(question, Texts::kCaptionQuestion, Buttons::YesNo, Icon::Question,
                       MessageKind::Question) != Answer::Yes) {
    return;
  }
  begin(UndoRequest(*journal));
}

void ChangesRuns::ended() {
  const auto outcome = run_.end();
  if (!outcome) return;
  const ChangesReport& report = outcome->report;
  const bool undo = report.kind == WalkKind::Undo;
  const Message text =
      Message::Lines({report.readBackOk ? (undo ? Texts::kUndoDone : Texts::kChangesDone)
                                        : (undo ? Texts::kUndoWarned : Texts::kChangesWarned),
                      Message(Texts::kBlocksWritten, {std::to_string(report.written)}),
                      Message(Texts::kBlocksEqual, {std::to_string(report.equal)}),
                      outcome->kept > 0 ? Message(Texts::kUndoJournal, {PathToUtf8(outcome->journal)})
                                        : Message(Texts::kNoJournalKept)});
  host_.messageBox(text, report.readBackOk ? Texts::kCaptionSuccess : Texts::kCaptionDoubtfulSuccess,
                   Buttons::Ok, Icon::Information, MessageKind::VerifyOutcome);
}

void ChangesRuns::linkIdle() {
  if (engine_.link().status != _idle_) return;
  engine_.changesEnded = nullptr;
  // A run that ended normally has been closed already; one still open was cut short.
  const auto outcome = run_.end();
  if (!outcome || outcome->kept == 0) return;
  const Message text =
      Message::Lines({outcome->report.kind == WalkKind::Undo ? Texts::kUndoStopped : Texts::kChangesStopped,
                      Message(Texts::kBlocksWritten, {std::to_string(outcome->report.written)}),
                      Message(Texts::kUndoJournal, {PathToUtf8(outcome->journal)})});
  host_.messageBox(text, Texts::kCaptionWarning, Buttons::Ok, Icon::Exclamation, MessageKind::Warning);
}

}  // namespace kavira
