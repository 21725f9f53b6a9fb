// The changes-only write and its undo in the window program: the undo journal of each run (created
// before the walk starts, handed to the engine as its write-ahead hook, closed when the link is idle
// again), the box that ends a run, and the choice of the journal to undo.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "files/journal.h"
#include "link/commands.h"
#include "link/host.h"
#include "link/transfer_engine.h"
#include "model/texts.h"

namespace kavira {

class ChangesRuns {
 public:
  ChangesRuns(TransferEngine& engine, Host& host) : engine_(engine), host_(host) {}

  // The folder of the journals.
  std::filesystem::path folder;

  // "Zapis zmian do sterownika" over the area chosen.
  void write(const BlockWalk& area);
  // "Cofnij ostatni zapis": the newest journal of the folder.
  void undoLast();
  // "Cofnij zapis z dziennika...": a journal chosen in the file dialog.
  void undoChosen();
  // The link is idle again: the journal of the run that ended is closed (and removed when it holds
  // nothing). A run that stopped or failed after it overwrote blocks says where their journal is.
  void linkIdle();

 private:
  bool begin(const JournalHeader& area);
  void undo(const std::filesystem::path& path);
  void ended(const ChangesReport& report);
  void closeJournal();

  TransferEngine& engine_;
  Host& host_;
  std::unique_ptr<JournalWriter> journal_;
};

}  // namespace kavira
