// The changes-only write and its undo in the window program: the run of each (its undo journal kept
// by ChangesRun), the box that ends a run, and the choice of the journal to undo.
#pragma once

#include <filesystem>
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
  ChangesRuns(TransferEngine& engine, Host& host)
      : engine_(engine), host_(host), run_(engine, SystemFileSystem()) {}

  // The folder new journals go to, and the folders whose journals are undone too (a former one).
  std::filesystem::path folder;
  std::vector<std::filesystem::path> alsoSearched;

  // "Zapis zmian do sterownika" over the area chosen.
  void write(const BlockWalk& area);
  // "Cofnij ostatni zapis": the newest journal of the folders.
  void undoLast();
  // "Cofnij zapis z dziennika...": a journal chosen in the file dialog.
  void undoChosen();
  // The link is idle again: the run that ended is closed. A run that stopped or failed after it
  // overwrote blocks says where their journal is.
  void linkIdle();

 private:
  void begin(const ChangesRequest& request);
  void undo(const std::filesystem::path& path);
  void ended();

  TransferEngine& engine_;
  Host& host_;
  ChangesRun run_;
};

}  // namespace kavira
