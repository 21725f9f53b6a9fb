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

namespace kavira {

inline constexpr const char* kCaptionSuccess = "Sukces !";
inline constexpr const char* kCaptionDoubt = "Sukces ?";
inline constexpr const char* kCaptionQuestion = "Pytanie";
inline constexpr const char* kTextJournalNotCreated =
    "Nie można utworzyć dziennika zmian !\nZapis nie został rozpoczęty.";
inline constexpr const char* kTextJournalWriteFailed =
    "Błąd zapisu dziennika zmian !\nZapis został przerwany przed wysłaniem bloku.";
inline constexpr const char* kTextChangesDone = "Zapis zmian zakończony sukcesem !";
inline constexpr const char* kTextChangesWarnings = "Zapis zmian zakończony z ostrzeżeniami !";
inline constexpr const char* kTextUndoDone = "Cofnięcie zapisu zakończone sukcesem !";
inline constexpr const char* kTextUndoWarnings = "Cofnięcie zapisu zakończone z ostrzeżeniami !";
inline constexpr const char* kTextBlocksWritten = "Zapisane bloki : ";
inline constexpr const char* kTextBlocksEqual = "Bloki bez zmian : ";
inline constexpr const char* kTextUndoJournal = "Dziennik cofania : ";
inline constexpr const char* kTextChangesStopped = "Zapis zmian przerwany !";
inline constexpr const char* kTextUndoStopped = "Cofnięcie zapisu przerwane !";
inline constexpr const char* kTextNoJournalKept = "Nic nie zapisano, dziennik nie był potrzebny.";
inline constexpr const char* kTextNoJournal = "Brak dziennika zapisu do cofnięcia !";
inline constexpr const char* kTextBadJournal = "Błędny dziennik zapisu !";
inline constexpr const char* kTextUndoQuestion = "Przywrócić w sterowniku bloki z dziennika ?";
inline constexpr const char* kTitleUndoJournal = "Cofnij zapis z dziennika";

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
  bool begin(const JournalHeader& header);
  void undo(const std::filesystem::path& path);
  void ended(const ChangesReport& report);
  void closeJournal();

  TransferEngine& engine_;
  Host& host_;
  std::unique_ptr<JournalWriter> journal_;
};

}  // namespace kavira
