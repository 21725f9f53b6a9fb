// The commands of the "Akcje" menu that start, repeat and stop transfers. They decide what to start
// and hand it to the engine's starters; the engine (or the file step) then does the work step by step.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "link/host.h"
#include "link/transfer_engine.h"

namespace kavira {

// Command identifiers of the menus.
enum CommandId : int {
  kIdProgramHelp = 100,
  kIdAbout = 101,
  kIdScenes = 102,
  kIdSettings = 103,
  kIdMidi = 104,
  kIdStop = 105,
  kIdQuit = 106,
  kIdRepeat = 107,
  kIdFirmwareSearch = 109,
  kIdFirmwareInstall = 110,
  kIdFirmwareVerify = 111,
  kIdEverything = 112,
  kIdRestart = 113,
  kIdEditScenes = 114,
  kIdEditMidi = 115,
  kIdEditSettings = 116,
  kIdChangesWrite = 117,  // the "Zapis zmian do sterownika" entry (its areas are those of "Wybór")
  kIdUndoLast = 118,      // "Cofnij ostatni zapis"
  kIdUndoJournal = 119,   // "Cofnij zapis z dziennika..."
  kIdAuto = 200,
  kIdFirstPort = 201,  // 201 + index in the port list
};

class Commands {
 public:
  Commands(TransferEngine& engine, Host& host) : engine_(engine), host_(host) {}

  // Whether a serial port is open.
  std::function<bool()> portOpen = [] { return false; };
  // The "Zakres scen" dialog over a range of scenes (it opens on the range given); true when the user
  // confirmed a range, which is then in `from` and `to`.
  std::function<bool(std::uint32_t& from, std::uint32_t& to)> chooseRange =
      [](std::uint32_t&, std::uint32_t&) { return true; };

  // 102 "&Sceny", 103 "&Ustawienia", 104 "Przypisania &MIDI", 112 "&Wszystko" for the action recorded
  // in `akcja`. Ignored while the link is busy.
  void area(int id);
  // The same areas and range dialog for a changes-only write: `start` gets the walk chosen (nothing
  // when no port is open or the dialog was cancelled; "&Powtórz" is not affected). Ignored while the
  // link is busy.
  void changesArea(int id, const std::function<void(const BlockWalk&)>& start);
  // 107 "&Powtórz": the last area command's transfer with the controller again, over its range.
  void repeat();
  // 105 "&Zatrzymaj" (also Esc).
  void stop() { engine_.stop(); }
  // 113 "&Restart sterownika".
  void restart() { engine_.restart(); }
  // 110 "&Instalowanie" and 111 "We&ryfikacja": checks before the update loader runs; true when it may.
  bool firmwareAllowed();
  // Whether a serial port is open; when none is, the box that says a port must be chosen.
  bool portReady();
  // Before a write of `walk`: when part of its area holds no data of this run (TransferEngine::
  // filled), whether the user wants it written all the same (No is the default).
  bool writeAllowed(const BlockWalk& walk);

 private:
  // The walk of an area command for `action`, from the range dialog where it has one.
  std::optional<BlockWalk> chooseArea(int id, _akcja action, bool recordCancel);

  TransferEngine& engine_;
  Host& host_;
};

}  // namespace kavira
