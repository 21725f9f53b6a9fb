#include "files/update_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "fake_port.h"
#include "files/update_packer.h"
#include "scripted_host.h"
#include "temp_dir.h"

namespace kavira {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = UpdateFailure::Kind;

Bytes Text(std::string_view s) {
  return Bytes(s.begin(), s.end());
}

pgmline_ Line(std::uint32_t adres, std::uint32_t cnt, std::uint8_t first) {
  pgmline_ line{adres, cnt, {}};
  for (std::size_t k = 0; k < kFirmwareLineMax; ++k)
    line.code[k] = static_cast<std::uint8_t>(first + k);
  return line;
}

FirmwareImage SomeLines(std::uint32_t n) {
  FirmwareImage lines;
  for (std::uint32_t i = 0; i < n; ++i)
    lines.push_back(Line(i * 16, 16 - i % 3, static_cast<std::uint8_t>(i * 7)));
  return lines;
}

Bytes Build(const FirmwareImage& lines, FirmwareVersion v = {2, 7}, std::string_view freeText = "notes") {
  return BuildUpdateFile(lines, v, freeText);
}

// Offset of the body header: just after the 0 byte that ends the free text.
std::size_t BodyHeaderAt(const Bytes& file) {
  return static_cast<std::size_t>(std::find(file.begin(), file.end(), 0) - file.begin()) + 1;
}

void SetWord(Bytes& file, std::size_t at, std::uint32_t v) {
  for (std::size_t k = 0; k < 4; ++k)
    file[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

// After editing records, a file whose checksum still adds up.
void Resum(Bytes& file) {
  const std::size_t records = BodyHeaderAt(file) + 12;
  std::uint32_t sum = 0;
  for (std::size_t i = records; i < file.size(); ++i)
    sum += file[i];
  SetWord(file, BodyHeaderAt(file) + 8, sum);
}

// Record `index` of `file` replaced by the given 41 characters.
void PutRecordText(Bytes& file, std::uint32_t index, const std::string& text) {
  ASSERT_EQ(text.size(), kUpdateRecordBytes);
  const auto stored =
      ScrambleRecord(std::span<const char, kUpdateRecordBytes>(text.data(), kUpdateRecordBytes), index);
  std::copy(stored.begin(), stored.end(),
            file.begin() + static_cast<std::ptrdiff_t>(BodyHeaderAt(file) + 12 + index * 41));
  Resum(file);
}

std::optional<Kind> Outcome(const Bytes& file) {
  UpdateHead head;
  UpdateBody body;
  const auto failure = DecodeUpdateFile(file, head, body);
  return failure ? std::optional(failure->kind) : std::nullopt;
}

// Record 0 of a one-line file: cnt 10, Adres 01230, "00", then 00 11 22 ... FF, scrambled with the
// keys 0, 1, 2, ... 40 of record 0.
constexpr std::uint8_t kRecord0[41] = {
    0x31, 0x31, 0x32, 0x32, 0x36, 0x36, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3A, 0x3D, 0x3F,
    0x3C, 0x3C, 0x23, 0x25, 0x26, 0x26, 0x21, 0x23, 0x20, 0x20, 0x2F, 0x21, 0x22, 0x22,
    0x25, 0x5C, 0x5F, 0x5D, 0x62, 0x62, 0x61, 0x67, 0x60, 0x60, 0x63, 0x61, 0x6E,
};
// The same text as record 9: 9 mod 7 = 2, so the keys run 2, 3, 4, ... 42.
constexpr std::uint8_t kRecord9[41] = {
    0x33, 0x33, 0x34, 0x34, 0x34, 0x34, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3C, 0x3F, 0x3D,
    0x22, 0x22, 0x21, 0x27, 0x20, 0x20, 0x23, 0x21, 0x2E, 0x2E, 0x2D, 0x23, 0x24, 0x24,
    0x27, 0x5E, 0x61, 0x63, 0x60, 0x60, 0x67, 0x61, 0x62, 0x62, 0x6D, 0x6F, 0x6C,
};
const pgmline_ kSampleLine{
    0x01230,
    16,
    {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}};

TEST(UpdateFileFormat, AOneLineFileByteForByte) {
  Bytes expected = Text("Firmware Qz418 Kavira-Oxbrine \r\nWersja 2.07\r\nab");
  expected.push_back(0);
  // stpos 48, lncnt 1, GSum 0x9DF: the sum of the 41 stored bytes.
  expected.insert(expected.end(), {0x30, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xDF, 0x09, 0x00, 0x00});
  expected.insert(expected.end(), std::begin(kRecord0), std::end(kRecord0));

  const pgmline_ lines[] = {kSampleLine};
  EXPECT_EQ(BuildUpdateFile(lines, {2, 7}, "ab"), expected);

  UpdateHead head;
  UpdateBody body;
  ASSERT_EQ(DecodeUpdateFile(expected, head, body), std::nullopt);
  EXPECT_EQ(head.newFWV, "2.07");
  EXPECT_EQ(body.stpos, 48U);
  EXPECT_EQ(body.lncnt, 1U);
  EXPECT_EQ(body.GSum, 0x9DFU);
  EXPECT_EQ(body.lines, FirmwareImage{kSampleLine});
}

TEST(UpdateFileFormat, TheKeyDependsOnTheRecordIndexModuloTheModulus) {
  const std::string text = "10012300000112233445566778899AABBCCDDEEFF";
  const auto as9 = ScrambleRecord(std::span<const char, 41>(text.data(), 41), 9);
  EXPECT_TRUE(std::equal(as9.begin(), as9.end(), std::begin(kRecord9)));
  pgmline_ line;
  ASSERT_TRUE(DecodeUpdateRecord(std::span<const std::uint8_t, 41>(kRecord9), 9, line));
  EXPECT_EQ(line, kSampleLine);
  // Record 16 shares record 9's keys (16 mod 7 = 2); record 10 does not.
  pgmline_ as16;
  ASSERT_TRUE(DecodeUpdateRecord(std::span<const std::uint8_t, 41>(kRecord9), 16, as16));
  EXPECT_EQ(as16, kSampleLine);
  pgmline_ as10;
  EXPECT_FALSE(DecodeUpdateRecord(std::span<const std::uint8_t, 41>(kRecord9), 10, as10) &&
               as10 == kSampleLine);

  // A stored byte equal to its key stands for itself; others are XORed with the key.
  const struct {
    std::uint8_t stored, key, plain;
  } cases[] = {{0x05, 0x05, 0x05}, {0x33, 0x02, 0x31}, {0x00, 0x07, 0x07}, {0xFF, 0x28, 0xD7}};
  for (const auto& c : cases)
    EXPECT_EQ(Unscramble(c.stored, c.key), c.plain);
}

TEST(UpdateFileHead, HeaderAndVersionLines) {
  const std::string header = "Firmware Qz418 Kavira-Oxbrine \r\n";
  const struct {
    std::string head;
    const char* version;  // nullptr: refused as invalid content
  } cases[] = {
      {header + "Wersja 2.7\r\n", "2.07"},
      {header + "Wersja 1.50\r\n", "1.50"},
      {header + "Wersja 1.5\n", "1.05"},
      {header + "Wersja 1. 5\r\n", "1.05"},
      {header + "Wersja 3,14 beta\r\n", "3.14"},
      {header + "Wersja 9.99", "9.99"},
      {header + "Wersja 0.00\r\n", "0.00"},
      {"Firmware Qz418 Kavira-Oxbrine \nWersja 2.07\r\n", nullptr},
      {"Firmware Qz418 Kavira-Oxbrine\r\nWersja 2.07\r\n", nullptr},
      {"Firmware Qz418 Kavira-Oxbrine X\r\nWersja 2.07\r\n", nullptr},
      {"firmware Qz418 Kavira-Oxbrine \r\nWersja 2.07\r\n", nullptr},
      {"", nullptr},
      {header, nullptr},
      {header + "Wersja X.07\r\n", nullptr},
      {header + "Wersja 1.x5\r\n", nullptr},
      {header + "Wersja 1.-5\r\n", nullptr},
      {header + "Wersja 1.\r\n", nullptr},
      {header + "Wersja 1\r\n", nullptr},
      {header + "Wersja \r\n", nullptr},
      {header + "wersja 1.05\r\n", nullptr},
      {header + "Wersja1.05\r\n", nullptr},
      {std::string(300, 'F') + "\r\n" + "Wersja 1.05\r\n", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.head);
    UpdateHead head;
    const auto failure = DecodeUpdateHead(Text(c.head), head);
    if (c.version != nullptr) {
      ASSERT_EQ(failure, std::nullopt);
      EXPECT_EQ(head.newFWV, c.version);
    } else {
      ASSERT_TRUE(failure.has_value());
      EXPECT_EQ(failure->kind, Kind::BadContent);
      EXPECT_EQ(failure->text, "Nieprawidłowa zawartość pliku !");
    }
  }
}

TEST(UpdateFileBody, TrailingBytesUpToFortyAreIgnored) {
  const Bytes file = Build(SomeLines(3));
  for (std::size_t extra : {0, 1, 40, 41, 82}) {
    Bytes f = file;
    f.insert(f.end(), extra, 0x55);
    EXPECT_EQ(Outcome(f), extra <= 40 ? std::nullopt : std::optional(Kind::BadLength)) << extra;
  }
}

TEST(UpdateFileBody, BrokenBodyHeadersAreRefused) {
  const Bytes file = Build(SomeLines(3));
  const std::size_t at = BodyHeaderAt(file);

  // The file ends inside the body header: stpos unreadable, then lncnt or GSum missing.
  for (std::size_t kept = 0; kept < 12; ++kept) {
    const Bytes f(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(at + kept));
    EXPECT_EQ(Outcome(f), kept < 4 ? Kind::BadContent : Kind::BadLength) << kept;
  }

  const struct {
    const char* what;
    std::size_t word;  // 0 stpos, 4 lncnt
    std::uint32_t value;
    Kind kind;
  } cases[] = {
      {"stpos one on", 0, static_cast<std::uint32_t>(at + 1), Kind::BadContent},
      {"stpos at the 0 byte", 0, static_cast<std::uint32_t>(at - 1), Kind::BadContent},
      {"lncnt too small", 4, 2, Kind::BadLength},
      {"lncnt too large", 4, 4, Kind::BadLength},
      {"lncnt absurd", 4, 0xFFFFFFFF, Kind::BadLength},
      {"lncnt huge and wrapping", 4, 0x80000000, Kind::BadLength},
  };
  for (const auto& c : cases) {
    Bytes f = file;
    SetWord(f, at + c.word, c.value);
    EXPECT_EQ(Outcome(f), c.kind) << c.what;
  }

  // No 0 byte after the version line.
  const Bytes noZero = Text("Firmware Qz418 Kavira-Oxbrine \r\nWersja 2.07\r\nfree text, no end");
  EXPECT_EQ(Outcome(noZero), Kind::UnexpectedEnd);

  // No lines at all: nothing to install.
  EXPECT_EQ(Outcome(Build({})), Kind::BadContent);
  Bytes empty = Build({});
  empty.insert(empty.end(), 40, 0x55);
  EXPECT_EQ(Outcome(empty), Kind::BadContent);
}

TEST(UpdateFileBody, RecordFields) {
  const std::string base = "10012300000112233445566778899AABBCCDDEEFF";
  auto with = [&base](std::size_t at, const std::string& chars) {
    return std::string(base).replace(at, chars.size(), chars);
  };
  const struct {
    std::string text;
    bool ok;
    std::uint32_t cnt = 16, adres = 0x1230;
    std::uint8_t code0 = 0x00;
  } cases[] = {
      {base, true},
      {with(0, "00"), true, 0},
      {with(0, "0f"), true, 15},
      {with(0, " 5"), true, 5},
      {with(0, "+5"), true, 5},
      {with(0, "-0"), true, 0},
      {with(0, "11"), false},
      {with(0, "-1"), false},
      {with(0, "G1"), false},
      {with(0, "1 "), false},
      {with(0, "  "), false},
      {with(2, "1E000"), true, 16, 0x1E000},
      {with(2, "1e000"), true, 16, 0x1E000},
      {with(2, "    7"), true, 16, 7},
      {with(2, "1E001"), false},
      {with(2, "FFFFF"), false},
      {with(2, "-0001"), false},
      {with(2, "1E00Z"), false},
      {with(2, "0x100"), false},
      {with(7, "#!"), true},
      {with(9, "ab"), true, 16, 0x1230, 0xAB},
      {with(9, "+F"), true, 16, 0x1230, 0x0F},
      {with(9, "-1"), false},
      {with(9, "ZZ"), false},
      {with(9, "  "), false},
      // Every code byte is checked, also those past the count.
      {with(0, "01").replace(39, 2, "ZZ"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Bytes file = Build(SomeLines(3));
    PutRecordText(file, 1, c.text);
    UpdateHead head;
    UpdateBody body;
    const auto failure = DecodeUpdateFile(file, head, body);
    if (!c.ok) {
      ASSERT_TRUE(failure.has_value());
      EXPECT_EQ(failure->kind, Kind::BadContent);
      continue;
    }
    ASSERT_EQ(failure, std::nullopt);
    EXPECT_EQ(body.lines[1].cnt, c.cnt);
    EXPECT_EQ(body.lines[1].Adres, c.adres);
    EXPECT_EQ(body.lines[1].code[0], c.code0);
  }
}

TEST(UpdateFileBody, TheChecksumCoversTheStoredRecordsOnly) {
  const Bytes file = Build(SomeLines(4), {2, 7}, "free text");
  ASSERT_EQ(Outcome(file), std::nullopt);
  const std::size_t at = BodyHeaderAt(file);

  Bytes sum = file;
  SetWord(sum, at + 8, 1);
  UpdateHead head;
  UpdateBody body;
  const auto failure = DecodeUpdateFile(sum, head, body);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->kind, Kind::BadChecksum);
  EXPECT_EQ(failure->text, "Nieprawidłowa zawartość pliku !\nBłąd sumy kontrolnej !");

  // A record byte changed to another valid digit: the content reads, the sum does not match.
  Bytes record = file;
  std::string text = "10000200000112233445566778899AABBCCDDEEFF";
  const auto stored = ScrambleRecord(std::span<const char, 41>(text.data(), 41), 2);
  std::copy(stored.begin(), stored.end(), record.begin() + static_cast<std::ptrdiff_t>(at + 12 + 2 * 41));
  EXPECT_EQ(Outcome(record), Kind::BadChecksum);

  // The version line and the free text lie outside the sum.
  Bytes version = file;
  const std::size_t digit = std::string_view("Firmware Qz418 Kavira-Oxbrine \r\nWersja ").size();
  version[digit] = '3';
  version[at - 3] = 'X';
  ASSERT_EQ(DecodeUpdateFile(version, head, body), std::nullopt);
  EXPECT_EQ(head.newFWV, "3.07");
  EXPECT_EQ(body.lines, SomeLines(4));
}

TEST(UpdateFileBody, RandomLinesSurviveBuildAndDecode) {
  std::mt19937 random(418);
  for (int round = 0; round < 50; ++round) {
    FirmwareImage lines(random() % 300 + 1);
    for (pgmline_& line : lines) {
      line.Adres = random() % (kFirmwareTop + 1);
      line.cnt = random() % 17;
      for (auto& b : line.code)
        b = static_cast<std::uint8_t>(random());
    }
    UpdateHead head;
    UpdateBody body;
    const FirmwareVersion v{static_cast<unsigned>(random() % 10), static_cast<unsigned>(random() % 100)};
    ASSERT_EQ(DecodeUpdateFile(Build(lines, v), head, body), std::nullopt);
    EXPECT_EQ(body.lines, lines);
    EXPECT_EQ(head.major, v.major);
    EXPECT_EQ(head.minor, v.minor);
  }
}

TEST(FirmwareVersions, DowngradeAndDifference) {
  const struct {
    const char* newFWV;
    const char* oldFWV;
    bool downgrade, differ;
  } cases[] = {
      {"2.07", "2.05", false, true},  {"2.07", "2.07", true, false},  {"2.07", "2.10", true, true},
      {"2.07", "2.07A", true, false}, {"2.08", "2.07A", false, true}, {"2.07", "N/A", false, true},
      {"2.07", "?.??X", false, true}, {"1.05", "1.??X", false, true}, {"2.07", "", false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsDowngrade(c.newFWV, c.oldFWV), c.downgrade) << c.newFWV << " over " << c.oldFWV;
    EXPECT_EQ(VersionsDiffer(c.newFWV, c.oldFWV), c.differ) << c.newFWV << " vs " << c.oldFWV;
  }
}

class InitUpdateFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    link_.status = _idle_;
    link_.akcja = _read_;
    link_.obszar = _dane_;
    link_.AdresDo = 1021;
    link_.upgline = 7;
    link_.HFirmWareVer = "\tFW : 2.05";
    dialog_.NazwaPliku = "last.K3s";
    dialog_.defaultExt = "K3s";
  }
  std::string Put(const Bytes& file) {
    const std::string path = (dir_ / "qz418.upg").string();
    test::WriteAll(path, file);
    return path;
  }
  bool Run(int ver_only, const std::optional<std::string>& chosen) {
    host_.files = {chosen};
    return InitUpdate(ver_only, link_, host_, dialog_, &port_);
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> out;
    for (const auto& b : host_.boxes)
      out.push_back(b.caption);
    return out;
  }
  void ExpectNoHandOver() {
    EXPECT_EQ(link_.status, _idle_);
    EXPECT_EQ(link_.akcja, _read_);
    EXPECT_EQ(link_.obszar, _dane_);
    EXPECT_EQ(link_.AdresDo, 1021U);
    EXPECT_EQ(link_.upgline, 7U);
    EXPECT_FALSE(link_.pgmlines.has_value());
    EXPECT_EQ(port_.purges, 0);
  }

  test::TempDir dir_;
  LinkState link_;
  test::ScriptedHost host_;
  FileDialogState dialog_;
  ManualClock clock_;
  test::FakePort port_{clock_};
};

TEST_F(InitUpdateFlow, HandsTheDecodedLinesToTheEngine) {
  const struct {
    int ver_only;
    _akcja akcja;
  } cases[] = {{0, _write_}, {1, _verify_}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ver_only);
    SetUp();
    port_.purges = 0;
    link_.pgmlines = SomeLines(9);  // a table left from before is replaced
    ASSERT_TRUE(Run(c.ver_only, Put(Build(SomeLines(5)))));
    EXPECT_EQ(link_.pgmlines, SomeLines(5));
    EXPECT_EQ(link_.AdresDo, 5U);
    EXPECT_EQ(link_.upgline, 0U);
    EXPECT_EQ(link_.obszar, _upg_);
    EXPECT_EQ(link_.akcja, c.akcja);
    EXPECT_EQ(link_.status, _init_);
    EXPECT_EQ(port_.purges, 1);
    EXPECT_EQ(host_.status[kPartArea], "\tFirmWare");
    EXPECT_EQ(host_.status[kPartAction], "\tAktualizowanie");
  }
  const FileRequest& r = host_.fileRequests.back();
  EXPECT_FALSE(r.save);
  EXPECT_EQ(r.title, "Wybierz plik z aktualizacją :");
  EXPECT_EQ(r.filterIndex, 4);
  EXPECT_EQ(r.initialName, "");
  EXPECT_EQ(r.defaultExt, "K3s");
  EXPECT_EQ(dialog_.flags, kOpenFlags);
}

TEST_F(InitUpdateFlow, QuestionsDependOnTheVersions) {
  const struct {
    int ver_only;
    const char* controller;
    std::vector<std::string> captions;
  } cases[] = {
      {0, "\tFW : N/A", {"Jesteś pewien ?"}},
      {0, "\tFW : ?.??X", {"Jesteś pewien ?"}},
      {0, "\tFW : 2.05", {"Jesteś pewien ?"}},
      {0, "\tFW : 2.07", {"Jesteś pewien ?", "Deaktualizacja ?"}},
      {0, "\tFW : 2.07A", {"Jesteś pewien ?", "Deaktualizacja ?"}},
      {0, "\tFW : 3.00", {"Jesteś pewien ?", "Deaktualizacja ?"}},
      {1, "\tFW : 2.07", {}},
      {1, "\tFW : 2.07A", {}},
      {1, "\tFW : 2.05", {"Są różnice !"}},
      {1, "\tFW : N/A", {"Są różnice !"}},
  };
  const std::string path = Put(Build(SomeLines(2)));
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.ver_only) + c.controller);
    host_.boxes.clear();
    link_.status = _idle_;
    link_.HFirmWareVer = c.controller;
    EXPECT_TRUE(Run(c.ver_only, path));
    EXPECT_EQ(Captions(), c.captions);
    for (const auto& b : host_.boxes) {
      EXPECT_EQ(b.buttons, Buttons::YesNo);
      EXPECT_EQ(b.icon, Icon::Question);
    }
  }
}

TEST_F(InitUpdateFlow, QuestionTexts) {
  const std::string path = Put(Build(SomeLines(2)));
  link_.HFirmWareVer = "\tFW : 2.10";
  ASSERT_TRUE(Run(0, path));
  ASSERT_EQ(host_.boxes.size(), 2U);
  EXPECT_EQ(host_.boxes[0].text, "Czy chcesz zainstalować w swoim Kavira-Oxbrine\nfirmware w wersji 2.07 ?");
  EXPECT_EQ(host_.boxes[1].text,
            "Czy na pewno chcesz zastąpić w swoim Kavira-Oxbrine\nfirmware w wersji 2.10 wersją 2.07 ?");

  host_.boxes.clear();
  link_.status = _idle_;
  ASSERT_TRUE(Run(1, path));
  ASSERT_EQ(host_.boxes.size(), 1U);
  EXPECT_EQ(host_.boxes[0].text, "Inna wersja firmware : 2.07 !\nKontynuować ?");
}

TEST_F(InitUpdateFlow, AnyAnswerButYesStopsQuietly) {
  const std::string path = Put(Build(SomeLines(2)));
  const struct {
    int ver_only;
    const char* controller;
    std::vector<Answer> answers;
  } cases[] = {
      {0, "\tFW : 2.05", {Answer::No}},
      {0, "\tFW : 2.07", {Answer::Yes, Answer::No}},
      {1, "\tFW : 2.05", {Answer::No}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.controller);
    host_.boxes.clear();
    host_.answers.assign(c.answers.begin(), c.answers.end());
    link_.HFirmWareVer = c.controller;
    EXPECT_FALSE(Run(c.ver_only, path));
    EXPECT_EQ(host_.boxes.size(), c.answers.size());
    ExpectNoHandOver();
  }
}

// Header faults show before any question; body faults after the questions were answered.
TEST_F(InitUpdateFlow, FailuresAndTheirOrder) {
  Bytes badHeader = Build(SomeLines(2));
  badHeader[0] = 'f';
  Bytes badSum = Build(SomeLines(2));
  SetWord(badSum, BodyHeaderAt(badSum) + 8, 0);
  Bytes longer = Build(SomeLines(2));
  longer.insert(longer.end(), 41, 0);
  Bytes endless = Text("Firmware Qz418 Kavira-Oxbrine \r\nWersja 2.07\r\nno end");
  const struct {
    const char* what;
    Bytes file;
    std::vector<std::string> captions;
    std::string text;
  } cases[] = {
      {"header", badHeader, {"Niepowodzenie"}, "Nieprawidłowa zawartość pliku !"},
      {"checksum",
       badSum,
       {"Jesteś pewien ?", "Niepowodzenie"},
       "Nieprawidłowa zawartość pliku !\nBłąd sumy kontrolnej !"},
      {"length", longer, {"Jesteś pewien ?", "Niepowodzenie"}, "Nieprawidłowa długość pliku !"},
      {"no 0 byte", endless, {"Jesteś pewien ?", "Niepowodzenie"}, "Nieoczekiwany koniec pliku !"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host_.boxes.clear();
    EXPECT_FALSE(Run(0, Put(c.file)));
    EXPECT_EQ(Captions(), c.captions);
    EXPECT_EQ(host_.boxes.back().text, c.text);
    EXPECT_EQ(host_.boxes.back().icon, Icon::Information);
    EXPECT_EQ(host_.boxes.back().buttons, Buttons::Ok);
    ExpectNoHandOver();
  }
}

TEST_F(InitUpdateFlow, MissingFileCancelAndNoPort) {
  EXPECT_FALSE(Run(0, (dir_ / "gone.upg").string()));
  ASSERT_EQ(host_.boxes.size(), 1U);
  EXPECT_EQ(host_.boxes[0].text, "Plik " + (dir_ / "gone.upg").string() + " nie istnieje !");
  EXPECT_EQ(host_.boxes[0].caption, "Ostrzeżenie");
  EXPECT_EQ(host_.boxes[0].icon, Icon::Information);

  host_.boxes.clear();
  EXPECT_FALSE(Run(0, std::nullopt));
  EXPECT_TRUE(host_.boxes.empty());
  EXPECT_EQ(host_.status[kPartAction], "\tInicjowanie");
  ExpectNoHandOver();

  host_.files = {Put(Build(SomeLines(1)))};
  EXPECT_TRUE(InitUpdate(1, link_, host_, dialog_, nullptr));
  EXPECT_EQ(link_.status, _init_);
}

TEST_F(InitUpdateFlow, AHugeFileIsRefusedWithoutBeingReadWhole) {
  const std::string path = Put(Build(SomeLines(1)));
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kUpdateFileLimit + 4096)), 0);  // sparse
  EXPECT_FALSE(Run(0, path));
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Jesteś pewien ?", "Niepowodzenie"}));
  EXPECT_EQ(host_.boxes.back().text, "Nieprawidłowa długość pliku !");
  ExpectNoHandOver();
}

}  // namespace
}  // namespace kavira
