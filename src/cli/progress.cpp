#include "cli/progress.h"

#include <cmath>
#include <cstdio>
#include <ostream>

#include "link/frames.h"
#include "platform/translation.h"

namespace kavira::cli {
namespace {

constexpr int kBarWidth = 24;
constexpr Millis kRedraw{100};
constexpr std::uint64_t kMilestones = 4;  // plain lines at each quarter

std::string Bare(const std::string& statusText) {
  std::string s = statusText;
  if (!s.empty() && s.front() == '\t') s.erase(0, 1);
  return s;
}

std::string Clock(double seconds) {
  const long s = std::lround(seconds);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
  return buf;
}

}  // namespace

std::optional<ProgressSnapshot> SnapshotOf(const LinkState& link) {
  ProgressSnapshot s;
  _obszar area = link.obszar;
  switch (link.obszar) {
    case _dane_:
    case _sync_:
    case _midi_: {
      if (link.AdresDo < link.AdresOd) return std::nullopt;
      s.total = 2ULL * (link.AdresDo - link.AdresOd + 1);
      const std::uint64_t first = 2ULL * link.AdresOd;
      // A block whose answer has been handled (`_loop_`) counts as done.
      const std::uint64_t next = link.Adres + (link.status == _loop_ ? 1U : 0U);
      s.done = next > first ? std::min<std::uint64_t>(next - first, s.total) : 0;
      s.unit = "blocks";
      // The area of the block in hand; once the walk is over, of its last block (the engine has
      // already moved on to the area after it).
      const std::uint32_t block = std::min<std::uint32_t>(link.Adres, 2 * link.AdresDo + 1);
      area = AreaOfBlock(block);
      break;
    }
    case _upg_:
      s.total = link.lncnt;
      s.done = std::min<std::uint64_t>(link.upgline + (link.status == _loop_ ? 1U : 0U), s.total);
      s.unit = "lines";
      break;
    default:
      return std::nullopt;
  }
  s.label = Bare(TranslateText(ActionText(link.akcja))) + ": " + Bare(TranslateText(AreaText(area)));
  return s;
}

std::optional<ProgressSnapshot> SnapshotOf(const TransferEngine& engine) {
  const LinkState& link = engine.link();
  if (engine.walkKind() == WalkKind::Blocks || link.obszar > _midi_) return SnapshotOf(link);
  const WalkCount count = engine.changesCount();
  ProgressSnapshot s;
  s.done = count.done;
  s.total = count.total;
  const std::string walk = TranslateText(WalkText(engine.walkKind()));
  // The read-back pass checks the blocks written, as a verify does.
  s.label = (count.readingBack ? walk + ", " + Bare(TranslateText(ActionText(_verify_))) : walk) + ": " +
            Bare(AreaText(link.obszar));
  return s;
}

std::string FormatBar(const ProgressSnapshot& s, double seconds) {
  const std::uint64_t filled = s.total != 0 ? s.done * kBarWidth / s.total : 0;
  std::string bar = s.label + " [";
  bar += std::string(filled, '#') + std::string(kBarWidth - filled, '-');
  bar += "] " + std::to_string(s.done) + "/" + std::to_string(s.total) + " " + s.unit;
  if (seconds >= 0.5 && s.done > 0) {
    const double rate = static_cast<double>(s.done) / seconds;
    char buf[32];
    std::snprintf(buf, sizeof buf, "  %.1f/s", rate);
    bar += buf;
    bar += "  " + Clock(static_cast<double>(s.total - s.done) / rate) + " left";
  }
  return bar;
}

std::string FormatPlain(const ProgressSnapshot& s) {
  const std::uint64_t percent = s.total != 0 ? s.done * 100 / s.total : 100;
  return s.label + ": " + std::to_string(s.done) + "/" + std::to_string(s.total) + " " + s.unit + " (" +
         std::to_string(percent) + "%)";
}

void ProgressReporter::update(const std::optional<ProgressSnapshot>& s, SteadyTime now) {
  if (mode_ == Mode::None) return;
  if (!s) return;
  // A new walk, or the firmware's second pass, counts from its own start.
  const bool restarted = !last_ || s->total != last_->total || s->done < last_->done;
  if (restarted) {
    if (last_) finish();
    started_ = now;
    drawn_.reset();
    milestone_ = 0;
  }
  if (last_ && !restarted && *s == *last_) return;
  lastNow_ = now;
  show(*s, now, restarted);
  last_ = s;
}

void ProgressReporter::show(const ProgressSnapshot& s, SteadyTime now, bool force) {
  if (mode_ == Mode::Bar) {
    if (!force && s.done != s.total && drawn_ && now - *drawn_ < kRedraw) return;
    drawn_ = now;
    const double seconds = std::chrono::duration<double>(now - started_).count();
    out_ << '\r' << FormatBar(s, seconds) << "\x1b[K" << std::flush;
    open_ = true;
    return;
  }
  const std::uint64_t milestone = s.total != 0 ? s.done * kMilestones / s.total : kMilestones;
  if (!force && milestone <= milestone_) return;
  milestone_ = milestone;
  out_ << prefix_ << FormatPlain(s) << std::endl;
}

void ProgressReporter::breakLine() {
  if (mode_ != Mode::Bar || !open_) return;
  out_ << '\n' << std::flush;
  open_ = false;
  drawn_.reset();
}

void ProgressReporter::finish() {
  if (mode_ == Mode::Bar && open_) {
    if (last_) {
      out_ << '\r' << FormatBar(*last_, std::chrono::duration<double>(lastNow_ - started_).count())
           << "\x1b[K";
    }
    out_ << '\n' << std::flush;
    open_ = false;
  }
  last_.reset();
}

}  // namespace kavira::cli
