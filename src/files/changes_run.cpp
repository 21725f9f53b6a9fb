#include "files/changes_run.h"

#include <ctime>
#include <set>

namespace kavira {

std::string JournalFirmwareText(const std::string& versionText) {
  const std::string prefix = "\tFW : ";
  return versionText.starts_with(prefix) ? versionText.substr(prefix.size()) : std::string();
}

Message JournalAreaText(const JournalHeader& header) {
  if (header.all) return Texts::kJournalAll;
  if (header.from == kSettingsUnit && header.to == kSettingsUnit) return Texts::kJournalSettings;
  if (header.from == kMidiUnit && header.to == kMidiUnit) return Texts::kJournalMidi;
  if (header.to <= kLastScene)
    return Message(Texts::kJournalScenes, {SceneUnitName(header.from), SceneUnitName(header.to)});
  return Message::Text(DescribeJournalArea(header));
}

ChangesRequest UndoRequest(const Journal& journal) {
  ChangesRequest request{WalkKind::Undo, journal.header.from, journal.header.to, journal.header.all, {}};
  std::set<std::uint32_t> seen;
  for (const JournalRecord& r : journal.records) {
    if (seen.insert(r.block).second) request.known.push_back({r.block, r.bytes});
  }
  return request;
}

ChangesRun::~ChangesRun() {
  if (open()) engine_.beforeWrite = nullptr;
}

std::string ChangesRun::start(const ChangesRequest& request, const std::filesystem::path& folder,
                              JournalSource source) {
  end();
  JournalHeader header;
  header.source = source;
  header.from = request.from;
  header.to = request.to;
  header.all = request.all;
  header.created = static_cast<std::int64_t>(std::time(nullptr));
  header.firmware = JournalFirmwareText(engine_.link().HFirmWareVer);
  std::string error;
  journal_ = JournalWriter::Create(system_, folder, header, &error);
  if (!journal_) return error;
  journal_->syncEachRecord = syncEachRecord;
  folder_ = folder;
  journalFailure_.clear();
  engine_.beforeWrite = [this](std::uint32_t block, ByteView previous) {
    journalFailure_ = journal_ ? journal_->append(block, previous) : std::string("no journal");
    return journalFailure_.empty()
               ? Message()
               : Message::Lines({Texts::kJournalWriteFailed, Message::Text(journalFailure_)});
  };
  engine_.startChangesWalk(request);
  return {};
}

std::optional<ChangesRun::Outcome> ChangesRun::end() {
  if (!open()) return std::nullopt;
  engine_.beforeWrite = nullptr;
  Outcome outcome;
  outcome.report = engine_.changes();
  outcome.kept = journal_->records();
  outcome.journalFailure = journalFailure_;
  const std::filesystem::path path = journal_->path();
  // Closed before anything is removed: Windows cannot remove a file that is open.
  journal_.reset();
  if (outcome.kept == 0) {
    // Nothing was overwritten: there is nothing to undo.
    system_.Remove(path);
    return outcome;
  }
  outcome.journal = path;
  // The older journals go only now that a newer write has succeeded; never this one.
  if (outcome.report.finished && outcome.report.readBackOk) PruneJournals(system_, folder_, path);
  return outcome;
}

}  // namespace kavira
