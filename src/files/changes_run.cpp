#include "files/changes_run.h"

#include <ctime>
#include <set>

#include "model/numbering.h"

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

Message BlockText(std::uint32_t block) {
  if (block < kFirstSettingsBlock) {
    const unsigned rel = Abs2Rel(block / 2);
    const std::string half = block % 2 == 0 ? "1-128" : "129-256";
    if (rel == kInvalid) return Message::Text(DescribeBlock(block));
    return Message(Texts::kBlockScene,
                   {std::to_string(ProgramOf(rel) + 1), std::to_string(SceneOf(rel) + 1), half});
  }
  if (block == kFirstSettingsBlock) return Texts::kBlockSettingsFirst;
  if (block == kSecondSettingsBlock) return Texts::kBlockSettingsSecond;
  if (block < kBlockCount) return Message(Texts::kBlockMidi, {block == kFirstMidiBlock ? "0-63" : "64-127"});
  return Message::Text(DescribeBlock(block));
}

std::vector<JournalRow> JournalRows(FileSystem& system, const std::vector<std::filesystem::path>& journals) {
  constexpr std::size_t kNamed = 3;
  std::vector<JournalRow> rows;
  for (std::size_t n = journals.size(); n-- > 0;) {
    const std::filesystem::path& path = journals[n];
    JournalRow row;
    row.path = path;
    const auto journal = ReadJournal(system, path, &row.error);
    if (journal) {
      row.readable = true;
      row.time = JournalTimeText(journal->header.created);
      row.area = JournalAreaText(journal->header);
      row.undo = journal->header.source == JournalSource::Undo;
      Message blocks = Message::Text(std::to_string(journal->records.size()) + " :");
      for (std::size_t i = 0; i < journal->records.size() && i < kNamed; ++i)
        blocks += Message::Text(i == 0 ? " " : "; ") + BlockText(journal->records[i].block);
      if (journal->records.size() > kNamed)
        blocks += Message::Text("; ") +
                  Message(Texts::kBlocksMore, {std::to_string(journal->records.size() - kNamed)});
      row.blocks = blocks;
    }
    rows.push_back(std::move(row));
  }
  return rows;
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
  header.source = request.kind == WalkKind::Undo ? JournalSource::Undo : source;
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
