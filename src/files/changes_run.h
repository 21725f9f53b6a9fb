// One changes run with its undo journal, as the window program and kaviraob-cli both run it. The
// journal is created before the walk starts (nothing starts when it cannot be) and handed to the
// engine as its write-ahead hook; when the link is idle again it is closed, removed when it holds
// nothing, and only after a walk that finished and read back as it should are the older journals of
// its folder pruned.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/file_system.h"
#include "files/journal.h"
#include "link/transfer_engine.h"

namespace kavira {

// The firmware text a journal keeps, from the status-bar text of the version read last
// ("\tFW : 1.05A" gives "1.05A"); empty when there is none.
std::string JournalFirmwareText(const std::string& versionText);

// The area of a journal in the program's texts: "sceny 1:1-48:14", "ustawienia", "MIDI", "wszystko".
Message JournalAreaText(const JournalHeader& header);

// Where a block lies, in the controller's terms and the program's texts: "program 3 scena 7
// (kanały 1-128)", "ustawienia (...)", "MIDI (klawisze 0-63)".
Message BlockText(std::uint32_t block);

// A journal as the list of journals shows it: when it was kept, its area, its blocks (how many, and
// the first few by name), and whether it was kept by an undo; or why it cannot be read.
struct JournalRow {
  std::filesystem::path path;
  bool readable = false;
  std::string time;
  Message area;
  Message blocks;
  bool undo = false;
  std::string error;
};
// The rows of `journals`, newest first.
std::vector<JournalRow> JournalRows(FileSystem& system, const std::vector<std::filesystem::path>& journals);

// The walk that undoes `journal`: its area, and each block it holds, as it held it first (a block
// kept twice, by an undo of an undo, is restored to what it held before either).
ChangesRequest UndoRequest(const Journal& journal);

class ChangesRun {
 public:
  ChangesRun(TransferEngine& engine, FileSystem& system) : engine_(engine), system_(system) {}
  ~ChangesRun();
  ChangesRun(const ChangesRun&) = delete;
  ChangesRun& operator=(const ChangesRun&) = delete;

  // Creates the journal in `folder` and starts the walk. The journal says where the previous content
  // comes from, and keeps the firmware version the engine read last. Empty, or why the journal could
  // not be created (in English, with the path): then nothing starts.
  std::string start(const ChangesRequest& request, const std::filesystem::path& folder,
                    JournalSource source = JournalSource::Controller);

  struct Outcome {
    ChangesReport report;
    std::filesystem::path journal;  // the journal kept; empty when nothing was overwritten
    std::size_t kept = 0;           // the blocks it holds
    std::string journalFailure;     // why a block's content could not be kept (it was not written)
  };
  // Ends the run once the link is idle (the walk finished, stopped or failed): the journal is closed
  // and the hook taken from the engine. Nothing when no run is open.
  std::optional<Outcome> end();
  bool open() const { return journal_ != nullptr; }

  // Flushing each record (switched off only by the benchmark that measures what it costs).
  bool syncEachRecord = true;

 private:
  TransferEngine& engine_;
  FileSystem& system_;
  std::filesystem::path folder_;
  std::unique_ptr<JournalWriter> journal_;
  std::string journalFailure_;
};

}  // namespace kavira
