// Progress output: where a run stands, the bar and the plain lines.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/progress.h"

namespace kavira::cli {
namespace {

LinkState Walk(_akcja action, std::uint32_t from, std::uint32_t to, std::uint32_t Adres, _status status) {
  LinkState link;
  link.akcja = action;
  link.obszar = Adres >= 2046 ? _midi_ : Adres >= 2044 ? _sync_ : _dane_;
  link.AdresOd = from;
  link.AdresDo = to;
  link.Adres = Adres;
  link.status = status;
  return link;
}

TEST(Progress, SnapshotsCountTheBlocksAndLinesWhoseAnswerWasHandled) {
  struct Case {
    LinkState link;
    std::uint64_t done, total;
    const char* label;
  };
  LinkState firmware;
  firmware.obszar = _upg_;
  firmware.akcja = _write_;
  firmware.lncnt = 3;
  firmware.upgline = 1;
  firmware.status = _loop_;
  const Case cases[] = {
      {Walk(_read_, 10, 20, 20, _init_), 0, 22, "Odczyt z Qz418: Sceny"},
      {Walk(_read_, 10, 20, 20, _loop_), 1, 22, "Odczyt z Qz418: Sceny"},
      {Walk(_write_, 10, 20, 41, _loop_), 22, 22, "Zapis do Qz418: Sceny"},
      {Walk(_verify_, 0, 1023, 2045, _sending_), 2045, 2048, "Weryfikacja: Ustaw."},
      {Walk(_read_, 1023, 1023, 2048, _idle_), 2, 2, "Odczyt z Qz418: MIDI"},  // the walk is over
      // A settings walk is over: the engine has moved on to the MIDI area, the walk has not.
      {Walk(_verify_, 1022, 1022, 2046, _idle_), 2, 2, "Weryfikacja: Ustaw."},
      {firmware, 2, 3, "Zapis do Qz418: FirmWare"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "row " << i);
    const Case& c = cases[i];
    const auto s = SnapshotOf(c.link);
    EXPECT_TRUE(s.has_value());
    if (!s) continue;
    EXPECT_EQ(s->done, c.done);
    EXPECT_EQ(s->total, c.total);
    EXPECT_EQ(s->label, c.label);
  }
  LinkState version;
  version.obszar = _version_;
  EXPECT_FALSE(SnapshotOf(version).has_value());
}

TEST(Progress, BarAndPlainLine) {
  const ProgressSnapshot s{"Odczyt z Qz418: Sceny", 512, 2048, "blocks"};
  EXPECT_EQ(FormatBar(s, 0.1), "Odczyt z Qz418: Sceny [######------------------] 512/2048 blocks");
  // 512 blocks in 4 s: 128 a second, 1536 to go in 12 s.
  EXPECT_EQ(FormatBar(s, 4.0),
            "Odczyt z Qz418: Sceny [######------------------] 512/2048 blocks  128.0/s  0:12 left");
  EXPECT_EQ(FormatPlain(s), "Odczyt z Qz418: Sceny: 512/2048 blocks (25%)");
  const ProgressSnapshot done{"Zapis do Qz418: FirmWare", 7561, 7561, "lines"};
  EXPECT_EQ(FormatBar(done, 125.0),
            "Zapis do Qz418: FirmWare [########################] 7561/7561 lines  60.5/s  0:00 left");
}

TEST(Progress, PlainLinesAtTheStartAndEachQuarterOfAPass) {
  std::ostringstream out;
  ProgressReporter reporter(out, ProgressReporter::Mode::Lines, "kaviraob-cli firmware: ");
  LinkState link;
  link.obszar = _upg_;
  link.akcja = _write_;
  link.lncnt = 8;
  SteadyTime t{};
  for (_akcja pass : {_write_, _verify_}) {
    link.akcja = pass;
    for (std::uint32_t line = 0; line < 8; ++line) {
      link.upgline = line;
      for (_status s : {_init_, _sending_, _rcving_, _loop_}) {
        link.status = s;
        reporter.update(link, t += Millis(10));
      }
    }
  }
  reporter.finish();
  EXPECT_EQ(out.str(),
            "kaviraob-cli firmware: Zapis do Qz418: FirmWare: 0/8 lines (0%)\n"
            "kaviraob-cli firmware: Zapis do Qz418: FirmWare: 2/8 lines (25%)\n"
            "kaviraob-cli firmware: Zapis do Qz418: FirmWare: 4/8 lines (50%)\n"
            "kaviraob-cli firmware: Zapis do Qz418: FirmWare: 6/8 lines (75%)\n"
            "kaviraob-cli firmware: Zapis do Qz418: FirmWare: 8/8 lines (100%)\n"
            "kaviraob-cli firmware: Weryfikacja: FirmWare: 0/8 lines (0%)\n"
            "kaviraob-cli firmware: Weryfikacja: FirmWare: 2/8 lines (25%)\n"
            "kaviraob-cli firmware: Weryfikacja: FirmWare: 4/8 lines (50%)\n"
            "kaviraob-cli firmware: Weryfikacja: FirmWare: 6/8 lines (75%)\n"
            "kaviraob-cli firmware: Weryfikacja: FirmWare: 8/8 lines (100%)\n");
}

TEST(Progress, TheBarRedrawsAtMostTenTimesASecondAndEndsItsLine) {
  std::ostringstream out;
  ProgressReporter reporter(out, ProgressReporter::Mode::Bar);
  SteadyTime t{};
  for (std::uint32_t block = 0; block < 2; ++block) {
    for (int i = 0; i < 5; ++i) {
      reporter.update(Walk(_read_, 0, 0, block, i == 4 ? _loop_ : _init_), t += Millis(10));
    }
  }
  reporter.finish();
  const std::string s = out.str();
  // The start, and the end of the walk; the first block's end came too soon after the start.
  EXPECT_EQ(std::count(s.begin(), s.end(), '\r'), 3) << s;
  EXPECT_NE(s.find("2/2 blocks"), std::string::npos);
  EXPECT_EQ(s.back(), '\n');

  // A note in the middle of a walk: the bar ends its line and is drawn again below the note.
  std::ostringstream broken;
  ProgressReporter bar(broken, ProgressReporter::Mode::Bar);
  bar.update(Walk(_read_, 0, 1, 0, _init_), t);
  bar.breakLine();
  broken << "note\n";
  bar.update(Walk(_read_, 0, 1, 0, _loop_), t += Millis(1));
  EXPECT_EQ(broken.str(),
            "\rOdczyt z Qz418: Sceny [------------------------] 0/4 blocks\x1b[K\nnote\n"
            "\rOdczyt z Qz418: Sceny [######------------------] 1/4 blocks\x1b[K");

  std::ostringstream none;
  ProgressReporter quiet(none, ProgressReporter::Mode::None);
  quiet.update(Walk(_read_, 0, 0, 0, _loop_), t);
  quiet.finish();
  EXPECT_TRUE(none.str().empty());
}

}  // namespace
}  // namespace kavira::cli
