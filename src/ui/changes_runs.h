// The changes-only write and its undo in the window program: the run of each (its undo journal kept
// by ChangesRun), the box that ends a run, and the choice of the journal to undo.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "files/changes_run.h"
#include "link/commands.h"
#include "link/host.h"
#include "link/transfer_engine.h"
#include "model/texts.h"

namespace kavira {

class ChangesRuns {
 public:
  ChangesRuns(TransferEngine& engine, Host& host);

  // The folder new journals go to, and the folders whose journals are undone too (a former one).
  std::filesystem::path folder;
  std::vector<std::filesystem::path> alsoSearched;

  // "Zapis zmian do sterownika" over the area chosen: the three-way write when this run knows what
  // the controller holds there, otherwise the walk that compares every block.
  void write(const BlockWalk& area);
  // "Cofnij ostatni zapis": the newest journal of the folders.
  void undoLast();
  // "Cofnij zapis z dziennika...": a journal chosen from the list of journals (chooseJournal), or in
  // the file dialog.
  void undoChosen();
  // The list of journals: the row chosen, kOtherFile for the file dialog, nothing when cancelled.
  // Without it the file dialog opens at once.
  static constexpr std::size_t kOtherFile = static_cast<std::size_t>(-1);
  std::function<std::optional<std::size_t>(const std::vector<JournalRow>& rows)> chooseJournal;
  // The link is idle again: the run that ended is closed. A run that stopped or failed after it
  // overwrote blocks says where their journal is.
  void linkIdle();

 private:
  void begin(const ChangesRequest& request);
  std::vector<std::filesystem::path> journals() const;
  void undo(const std::filesystem::path& path);
  void ended();

  TransferEngine& engine_;
  Host& host_;
  ChangesRun run_;
  // When each block was last written by an original write, which keeps no journal (seconds since
  // 1970, UTC, as journals count their creation).
  std::map<std::uint32_t, std::int64_t> plainWrites_;
};

}  // namespace kavira
