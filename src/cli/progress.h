// Progress of a run on standard error: a bar that redraws itself when standard error is a terminal,
// a few plain lines when it is not (a log), nothing with --quiet.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <utility>

#include "link/clock.h"
#include "link/link_state.h"
#include "link/transfer_engine.h"

namespace kavira::cli {

struct ProgressSnapshot {
  std::string label;  // the action and the area as the status bar names them: "Odczyt z Qz418: Sceny"
  std::uint64_t done = 0;
  std::uint64_t total = 0;
  const char* unit = "blocks";  // or "lines"

  friend bool operator==(const ProgressSnapshot&, const ProgressSnapshot&) = default;
};

// Where a block walk or a firmware pass stands; nothing for the short requests (version, restart).
std::optional<ProgressSnapshot> SnapshotOf(const LinkState& link);
// The same for whatever `engine` runs: a changes walk ("Zapis zmian", "Cofnięcie zapisu") counts the
// blocks it compares, writes and reads back, not the range of the last area command.
std::optional<ProgressSnapshot> SnapshotOf(const TransferEngine& engine);

// "LABEL [#####-----] DONE/TOTAL UNIT  RATE/s  M:SS left"; the rate and time once some time has passed.
std::string FormatBar(const ProgressSnapshot& s, double seconds);
// "LABEL: DONE/TOTAL UNIT (PERCENT%)".
std::string FormatPlain(const ProgressSnapshot& s);

class ProgressReporter {
 public:
  enum class Mode { None, Bar, Lines };

  // Plain lines begin with `prefix` ("kaviraob-cli read: ").
  ProgressReporter(std::ostream& out, Mode mode, std::string prefix = {})
      : out_(out), mode_(mode), prefix_(std::move(prefix)) {}

  void update(const LinkState& link, SteadyTime now) { update(SnapshotOf(link), now); }
  void update(const TransferEngine& engine, SteadyTime now) { update(SnapshotOf(engine), now); }
  // The run is over: the bar's line is ended.
  void finish();
  // Something else is about to be written: the bar's line is ended, and the bar goes on below it.
  void breakLine();

 private:
  void update(const std::optional<ProgressSnapshot>& s, SteadyTime now);
  void show(const ProgressSnapshot& s, SteadyTime now, bool force);

  std::ostream& out_;
  Mode mode_;
  std::string prefix_;
  std::optional<ProgressSnapshot> last_;
  SteadyTime started_{};
  SteadyTime lastNow_{};
  std::optional<SteadyTime> drawn_;
  std::uint64_t milestone_ = 0;
  bool open_ = false;  // a bar is on the line
};

}  // namespace kavira::cli
