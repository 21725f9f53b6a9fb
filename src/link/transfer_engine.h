// The transfer engine: reads, writes and verifies the image block by block, installs and verifies
// firmware line by line, reads the firmware version and restarts the controller.
//
// It is a small state machine over the link's variables, which it owns: the rest of the program
// reads them through link() and changes them only through the starters and commands below. A
// driver calls step() whenever there is something to do: at once while next() says Now, and on port
// activity or at wakeAt() while it says Wait. A step never waits: it starts a write or read, asks
// whether one has finished, or moves to the next block.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/changes_walk.h"
#include "link/clock.h"
#include "link/controller_copy.h"
#include "link/frames.h"
#include "link/host.h"
#include "link/link_state.h"
#include "link/serial_port.h"
#include "model/controller_image.h"

namespace kavira {

// The status-bar text of the firmware version from the three data bytes of the version reply, e.g.
// "\tFW : 1.05A".
std::string ComposeVersionText(std::uint8_t minor, std::uint8_t major, std::uint8_t suffix);

// What a block walk does, over which units.
struct BlockWalk {
  _akcja action = _read_;  // _write_, _read_ or _verify_ (_fread_ or _fsave_ for the file step)
  std::uint32_t from = 0;  // AdresOd: scene 0-1021, 1022 the settings, 1023 the MIDI assignments
  std::uint32_t to = 0;    // AdresDo, not below `from`
  bool all = false;        // wszystko: "&Wszystko", scenes, settings and MIDI in one walk
};

class TransferEngine {
 public:
  TransferEngine(ControllerImage& image, Host& host, const Clock& clock);

  // A change of port: what the controller held is no longer known.
  void setPort(SerialPort* port) {
    port_ = port;
    copy_.forgetAll();
  }
  SerialPort* port() const { return port_; }
  // While set, a read decodes its blocks into `target` instead of the image and leaves the units'
  // filled marks as they are: a comparison reads the controller without touching the image.
  void setReadTarget(ControllerImage* target) {
    readTarget_ = target;
    readIntoTarget_.reset();
  }
  ControllerImage* readTarget() const { return readTarget_; }
  // The blocks read into the target since it was set.
  const std::bitset<kBlockCount>& readIntoTarget() const { return readIntoTarget_; }

  // The link's variables, to read.
  const LinkState& link() const { return link_; }
  // What the controller held as of the last time this run saw each block (controller_copy.h).
  const ControllerCopy& controllerCopy() const { return copy_; }
  // The units (scene 0-1021, 1022 the settings, 1023 the MIDI assignments) whose part of the image
  // holds data of this run: read from the controller, loaded from a file, or edited. At start-up the
  // image is all zeros, and a write of it would wipe the controller without a word.
  void markFilled(std::uint32_t from, std::uint32_t to);
  bool filled(const BlockWalk& area) const;

  // Runs one step of the state `posted`. A step whose state is no longer the link's (posted before the
  // link went idle or moved on) is ignored.
  void step(_status posted);
  void step() { step(link_.status); }

  // What a driver does next: nothing (idle), step again at once, or wait for port activity or wakeAt().
  enum class Next { Idle, Now, Wait };
  Next next() const;
  std::optional<SteadyTime> wakeAt() const;

  // Starters. Each one replaces whatever runs: nothing of an old run carries over, an "&Wszystko"
  // sequence included. Before the first frame of the new run the line must have been quiet for the
  // read's silence interval (so the tail of an interrupted answer never lands in the new run's first
  // read), and it is purged once more.

  // A block walk over units walk.from..walk.to. It becomes the last area command, which "&Powtórz"
  // walks again.
  void startBlocks(const BlockWalk& walk);
  // The file step (state `_file_`) for a file action on the area of walk.from.
  void startFileStep(const BlockWalk& walk);
  // Hands a decoded update to the engine: install (write pass, read-back pass, version) or verify only.
  void startFirmware(FirmwareImage lines, bool verifyOnly);
  // Reads the firmware version (start-up, "&Auto", a port choice).
  void startVersion();
  // A changes walk (changes_walk.h). It is no area command: "&Powtórz" keeps the last one.
  void startChangesWalk(ChangesRequest request);
  // The same over the area of `area` (its action is not used): Changes compares every block; Since
  // writes the blocks of `known` (each with what the controller holds now); Undo makes the controller
  // hold `known` again.
  void startChanges(const BlockWalk& area) {
    startChangesWalk({WalkKind::Changes, area.from, area.to, area.all, {}});
  }
  // "Zapis zmian" over `area` as this run can best do it: when every block of the area is known
  // (controllerCopy()), the three-way write of the blocks where the image differs from the copy;
  // otherwise the walk that compares every block.
  ChangesRequest changesRequest(const BlockWalk& area) const;
  void startSince(const BlockWalk& area, std::vector<KnownBlock> known) {
    startChangesWalk({WalkKind::Since, area.from, area.to, area.all, std::move(known)});
  }
  void startUndo(const BlockWalk& area, std::vector<KnownBlock> known) {
    startChangesWalk({WalkKind::Undo, area.from, area.to, area.all, std::move(known)});
  }
  // The kind of the walk that runs or ran last (Blocks once another run has started), what a changes
  // walk did, and how far it has come in its present pass.
  WalkKind walkKind() const { return walk_ ? walk_->report().kind : WalkKind::Blocks; }
  const ChangesReport& changes() const;
  WalkCount changesCount() const { return walk_ ? walk_->count() : WalkCount{}; }
  // The write-ahead hook of the changes walks (changes_walk.h).
  WriteAheadHook beforeWrite;
  // A changes walk reached its end, read back included (not called for one that failed or stopped).
  std::function<void(const ChangesReport&)> changesEnded;
  // A block written by an original write (no journal keeps what it overwrote) was acknowledged.
  std::function<void(std::uint32_t block)> blockWritten;

  // "&Restart sterownika": the restart request.
  void restart();
  // "&Zatrzymaj" and Esc, and whatever abandons a run ("&Auto", closing): the link goes idle and the
  // port is purged; what was stored stays.
  void stop();

  // An area command that started nothing (its range dialog was cancelled) is still the last area
  // command: "&Powtórz" would walk it over this range, and the next dialog opens on it. Ignored while
  // the link is busy.
  void recordAreaCommand(const BlockWalk& walk);
  // The action highlighted in the "Akcje" menu. A running transfer keeps the action it was started
  // with, so the highlight is recorded only while the link is idle.
  void selectAction(_akcja highlighted);

  // The file step, run for `_file_` with the link idle (its dialogs may show the state); the file
  // layer installs it and tells how the step ended.
  std::function<FileStepEnd(const LinkState&)> fileStep;

  ControllerImage& image() { return image_; }

 private:
  void stepInit();
  void stepSending();
  void stepReceiving();
  void stepLoop();
  void stepFile();

  // What every starter does: the old run is gone, `first` is the new run's state.
  void beginRun(_status first);
  // The area command's choice: area, range, and what "&Powtórz" repeats.
  void recordArea(const BlockWalk& walk);
  // A block walk (`_init_`) or the file step (`_file_`) over the area command's choice.
  void startArea(const BlockWalk& walk, _status first);

  void handleWriteAnswer();
  void handleDataReply();
  // The answer to a frame was refused or damaged: Retry sends the same frame again once the line
  // has fallen quiet; Cancel ends the run.
  void offerRetry(const Message& text);
  // A failure that ends the run with a box.
  void endRun(const Message& text, Icon icon, MessageKind kind);
  void goIdle();
  void startSending(ByteView frame);
  void loopBlocks();
  void loopFirmware();
  // A plugged walk's frame, its end.
  void initWalk();
  void loopWalk();
  void finishWalk();
  // Waits before a frame until the line is quiet: the first frame of a run, and one sent again.
  void waitForQuiet(std::optional<SteadyTime> since);
  bool waitingForQuiet() const;

  LinkState link_;
  // The frame buffers and the data count of the awaited reply.
  Frame OutBuffer;
  Frame InBuffer;
  int DataCnt = 2;

  ControllerImage& image_;
  ControllerImage* readTarget_ = nullptr;
  std::bitset<kBlockCount> readIntoTarget_;
  Host& host_;
  const Clock& clock_;
  SerialPort* port_ = nullptr;
  ControllerCopy copy_;
  std::bitset<kBlockCount / 2> filled_;

  // The walk plugged in for this run (a changes walk), or none for the engine's own walks.
  std::unique_ptr<AreaWalk> walk_;

  int pendingError_ = 0;  // a write or read that could not start, reported by the next step
  bool quietWait_ = false;
  SteadyTime quietFrom_{};                // when the wait began (it gives up kQuietGiveUp later)
  std::optional<SteadyTime> quietSince_;  // quiet counts from here too (a retry: the user's answer)
};

}  // namespace kavira
