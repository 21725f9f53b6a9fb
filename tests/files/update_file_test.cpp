#include "files/update_file.h"

#include <gtest/gtest.h>

#include "fake_port.h"
#include "files/update_packer.h"
#include "link/transfer_engine.h"
#include "model/hex_text.h"
#include "scripted_host.h"
#include "temp_dir.h"

namespace kavira {
namespace {

using test::Bytes;
using Kind = UpdateFailure::Kind;

Bytes Text(std::string_view s) {
  return Bytes(s.begin(), s.end());
}

FirmwareImage SomeLines(std::uint32_t n) {
  FirmwareImage lines(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    lines[i] = {i * 16, 16 - i % 3, {}};
    for (std::size_t k = 0; k < kFirmwareLineMax; ++k)
      lines[i].code[k] = static_cast<std::uint8_t>(i * 7 + k);
  }
  return lines;
}

Bytes Build(const FirmwareImage& lines, std::string_view freeText = "notes") {
  return BuildUpdateFile(lines, {2, 7}, freeText);
}

// Offset of the body header: just after the 0 byte that ends the free text.
std::size_t BodyAt(const Bytes& file) {
  return static_cast<std::size_t>(std::find(file.begin(), file.end(), 0) - file.begin()) + 1;
}

void SetWord(Bytes& file, std::size_t at, std::uint32_t v) {
  for (std::size_t k = 0; k < 4; ++k)
    file[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

// The sum of the bytes from `from` to the end.
std::uint32_t Sum(const Bytes& file, std::size_t from) {
  std::uint32_t sum = 0;
  for (std::size_t i = from; i < file.size(); ++i)
    sum += file[i];
  return sum;
}

std::optional<Kind> Outcome(const Bytes& file) {
  UpdateHead head;
  UpdateBody body;
  const auto failure = DecodeUpdateFile(file, head, body);
  return failure ? std::optional(failure->kind) : std::nullopt;
}

// Record text "10" "01230" "00" "00112233...FF", scrambled as record 0 (keys 0, 1, ... 40) and as
// record 9 (9 mod 7 = 2: keys 2, 3, ... 42).
constexpr std::uint8_t kRecord0[41] = {
    0x31, 0x31, 0x32, 0x32, 0x36, 0x36, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3A, 0x3D, 0x3F,
    0x3C, 0x3C, 0x23, 0x25, 0x26, 0x26, 0x21, 0x23, 0x20, 0x20, 0x2F, 0x21, 0x22, 0x22,
    0x25, 0x5C, 0x5F, 0x5D, 0x62, 0x62, 0x61, 0x67, 0x60, 0x60, 0x63, 0x61, 0x6E,
};
constexpr std::uint8_t kRecord9[41] = {
    0x33, 0x33, 0x34, 0x34, 0x34, 0x34, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3C, 0x3F, 0x3D,
    0x22, 0x22, 0x21, 0x27, 0x20, 0x20, 0x23, 0x21, 0x2E, 0x2E, 0x2D, 0x23, 0x24, 0x24,
    0x27, 0x5E, 0x61, 0x63, 0x60, 0x60, 0x67, 0x61, 0x62, 0x62, 0x6D, 0x6F, 0x6C,
};
const pgmline_ kSampleLine{
    0x01230,
    16,
    {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}};

TEST(UpdateFile, ByteForByte) {
  Bytes file = Text("Firmware Qz418 Kavira-Oxbrine \r\nWersja 2.07\r\nab");
  file.push_back(0);
  // stpos 48, lncnt 1, GSum 0x9DF: the sum of the 41 stored bytes.
  file.insert(file.end(), {0x30, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xDF, 0x09, 0x00, 0x00});
  file.insert(file.end(), std::begin(kRecord0), std::end(kRecord0));
  const pgmline_ lines[] = {kSampleLine};
  EXPECT_EQ(BuildUpdateFile(lines, {2, 7}, "ab"), file);

  UpdateHead head;
  UpdateBody body;
  ASSERT_EQ(DecodeUpdateFile(file, head, body), std::nullopt);
  EXPECT_EQ(head.newFWV, "2.07");
  EXPECT_EQ(body.lines, FirmwareImage{kSampleLine});

  pgmline_ line;
  ASSERT_TRUE(DecodeUpdateRecord(std::span<const std::uint8_t, 41>(kRecord9), 9, line));
  EXPECT_EQ(line, kSampleLine);
  ASSERT_TRUE(DecodeUpdateRecord(std::span<const std::uint8_t, 41>(kRecord9), 16, line));
  EXPECT_EQ(line, kSampleLine);
  // A stored byte equal to its key stands for itself.
  EXPECT_EQ(Unscramble(0x05, 0x05), 0x05);
  EXPECT_EQ(Unscramble(0x00, 0x07), 0x07);
}

TEST(UpdateFile, HeaderAndVersionLines) {
  const std::string header = "Firmware Qz418 Kavira-Oxbrine \r\n";
  const struct {
    std::string head;
    const char* version;  // nullptr: invalid content
  } cases[] = {
      {header + "Wersja 2.7\r\n", "2.07"},
      {header + "Wersja 1.50\r\n", "1.50"},
      {header + "Wersja 1. 5\n", "1.05"},
      {header + "Wersja 3,14 beta\r\n", "3.14"},
      {"Firmware Qz418 Kavira-Oxbrine \nWersja 2.07\r\n", nullptr},
      {std::string(300, 'F') + "\r\nWersja 1.05\r\n", nullptr},
      {"", nullptr},
      {header, nullptr},
      {header + "Wersja X.07\r\n", nullptr},
      {header + "Wersja 1.-5\r\n", nullptr},
      {header + "Wersja 1.\r\n", nullptr},
      {header + "wersja 1.05\r\n", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.head);
    UpdateHead head;
    const auto failure = DecodeUpdateHead(Text(c.head), head);
    if (c.version != nullptr) {
      EXPECT_EQ(failure, std::nullopt);
      EXPECT_EQ(head.newFWV, c.version);
    } else {
      EXPECT_TRUE(failure.has_value());
      if (failure) {
        EXPECT_EQ(failure->text.Polish(), "Nieprawidłowa zawartość pliku !");
      }
    }
  }
}

TEST(UpdateFile, LengthAndBodyHeader) {
  const Bytes file = Build(SomeLines(3));
  const std::size_t at = BodyAt(file);
  for (std::size_t extra : {0, 40, 41}) {
    Bytes f = file;
    f.insert(f.end(), extra, 0x55);
    EXPECT_EQ(Outcome(f), extra <= 40 ? std::nullopt : std::optional(Kind::BadLength)) << extra;
  }
  // The file ends inside the body header: stpos unreadable, then lncnt or GSum missing.
  for (std::size_t kept = 0; kept < 12; ++kept) {
    const Bytes f(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(at + kept));
    EXPECT_EQ(Outcome(f), kept < 4 ? Kind::BadContent : Kind::BadLength) << kept;
  }
  const struct {
    std::size_t word;  // 0 stpos, 4 lncnt
    std::uint32_t value;
    Kind kind;
  } cases[] = {
      {0, static_cast<std::uint32_t>(at + 1), Kind::BadContent},
      {4, 2, Kind::BadLength},
      {4, 0xFFFFFFFF, Kind::BadLength},  // checked before anything is allocated
  };
  for (const auto& c : cases) {
    Bytes f = file;
    SetWord(f, at + c.word, c.value);
    EXPECT_EQ(Outcome(f), c.kind) << c.value;
  }
  EXPECT_EQ(Outcome(Text("Firmware Qz418 Kavira-Oxbrine \r\nWersja 2.07\r\nno end")), Kind::UnexpectedEnd);
  EXPECT_EQ(Outcome(Build({})), Kind::BadContent);  // no lines

  // Each refusal says what is wrong, under the program's message.
  auto reason = [](const Bytes& f) {
    UpdateHead head;
    UpdateBody body;
    const auto failure = DecodeUpdateFile(f, head, body);
    return failure ? failure->reason : "accepted";
  };
  Bytes misplaced = file;
  SetWord(misplaced, at, static_cast<std::uint32_t>(at + 1));
  Bytes miscounted = file;
  SetWord(miscounted, at + 4, 2);
  const std::string bodyBytes = std::to_string(file.size() - at - 12);
  Bytes badHeader = file;
  badHeader[0] = 'f';
  Bytes badVersion = file;
  badVersion[32] = 'w';
  Bytes badSum = file;
  SetWord(badSum, at + 8, 1);
  const struct {
    const char* what;
    Bytes file;
    std::string reason;
  } cases2[] = {
      {"header", badHeader, "the first line is not the header line 'Firmware Qz418 Kavira-Oxbrine'"},
      {"version", badVersion, "the second line is not 'Wersja M.mm'"},
      {"no end", Text("Firmware Qz418 Kavira-Oxbrine \r\nWersja 2.07\r\nno end"),
       "no 0 byte ends the free text after the version line"},
      {"stpos cut off", Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(at + 2)),
       "the body header is cut off after 2 of its 12 bytes"},
      {"lncnt cut off", Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(at + 7)),
       "the body header is cut off after 7 of its 12 bytes"},
      {"stpos", misplaced,
       "the body header gives its own offset as " + std::to_string(at + 1) + "; it is at " +
           std::to_string(at)},
      {"lncnt", miscounted, "the body header says 2 records; the " + bodyBytes + " bytes after it hold 3"},
      {"no lines", Build({}), "the body header says 0 records"},
      {"checksum", badSum,
       "the records' bytes add up to 0x" + HexText(Sum(file, at + 12), 8) +
           "; the body header says 0x00000001"},
  };
  for (const auto& c : cases2)
    EXPECT_EQ(reason(c.file), c.reason) << c.what;
}

TEST(UpdateFile, RecordFields) {
  const std::string base = "10012300000112233445566778899AABBCCDDEEFF";
  auto with = [&base](std::size_t at, const std::string& s) {
    return std::string(base).replace(at, s.size(), s);
  };
  const std::string count = "record 1: the count field is ";
  const std::string address = "record 1: the address field is ";
  const struct {
    std::string text;
    bool ok;
    std::uint32_t cnt = 16, adres = 0x1230;
    std::uint8_t code0 = 0x00;
    std::string reason = {};  // of a refusal: which record and field
  } cases[] = {
      {with(0, "00"), true, 0},
      {with(0, "+5"), true, 5},
      {with(0, "11"), false, 0, 0, 0, count + "'11', not a hexadecimal number 00-10"},
      {with(0, "-1"), false, 0, 0, 0, count + "'-1', not a hexadecimal number 00-10"},
      {with(0, "G1"), false, 0, 0, 0, count + "'G1', not a hexadecimal number 00-10"},
      {with(0, "\x1b["), false, 0, 0, 0, count + "'\\x1b[', not a hexadecimal number 00-10"},
      {with(2, "1E000"), true, 16, 0x1E000},
      {with(2, "1E001"), false, 0, 0, 0, address + "'1E001', not a hexadecimal number 00000-1E000"},
      {with(2, "1E00Z"), false, 0, 0, 0, address + "'1E00Z', not a hexadecimal number 00000-1E000"},
      {with(7, "#!"), true},
      {with(9, "ab"), true, 16, 0x1230, 0xAB},
      {with(9, "-1"), false, 0, 0, 0,
       "record 1: the code byte at offset 9 is '-1', not a hexadecimal number 00-FF"},
      // Code bytes past the count are checked too.
      {with(0, "01").replace(39, 2, "ZZ"), false, 0, 0, 0,
       "record 1: the code byte at offset 39 is 'ZZ', not a hexadecimal number 00-FF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Bytes file = Build(SomeLines(3));
    const std::size_t records = BodyAt(file) + 12;
    const auto stored = ScrambleRecord(std::span<const char, 41>(c.text.data(), 41), 1);
    std::copy(stored.begin(), stored.end(), file.begin() + static_cast<std::ptrdiff_t>(records + 41));
    std::uint32_t sum = 0;
    for (std::size_t i = records; i < file.size(); ++i)
      sum += file[i];
    SetWord(file, records - 4, sum);

    UpdateHead head;
    UpdateBody body;
    const auto failure = DecodeUpdateFile(file, head, body);
    if (!c.ok) {
      EXPECT_EQ(failure ? failure->kind : Kind::Missing, Kind::BadContent);
      EXPECT_EQ(failure ? failure->reason : "", c.reason);
      continue;
    }
    EXPECT_EQ(failure, std::nullopt);
    if (failure || body.lines.size() < 2) continue;
    EXPECT_EQ(body.lines[1].cnt, c.cnt);
    EXPECT_EQ(body.lines[1].Adres, c.adres);
    EXPECT_EQ(body.lines[1].code[0], c.code0);
  }
}

// Two lines that give one address different bytes: whichever is written last, the other line's
// verify fails, and installing again cannot help. The same byte twice is harmless.
TEST(UpdateFile, AnAddressGivenTwiceMustHoldTheSameByte) {
  FirmwareImage lines = SomeLines(3);  // 16 bytes at 0x00000, 15 at 0x00010, 14 at 0x00020
  lines.push_back({0x00015, 2, {}});
  lines.back().code[0] = lines[1].code[5];
  lines.back().code[1] = static_cast<std::uint8_t>(lines[1].code[6] + 1);
  UpdateHead head;
  UpdateBody body;
  const auto failure = DecodeUpdateFile(Build(lines), head, body);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->BoxText().Polish(),
            "Nieprawidłowa zawartość pliku !\nrecord 3: address 0x00016 again, with 0x" +
                HexText(lines[3].code[1], 2) + " where record 1 has 0x" + HexText(lines[1].code[6], 2));
  lines.back().code[1] = lines[1].code[6];
  EXPECT_EQ(DecodeUpdateFile(Build(lines), head, body), std::nullopt);
  EXPECT_EQ(body.lines.size(), 4U);
}

TEST(UpdateFile, TheChecksumCoversTheStoredRecordsOnly) {
  const Bytes file = Build(SomeLines(4), "free text");
  const std::size_t at = BodyAt(file);
  Bytes bad = file;
  SetWord(bad, at + 8, 1);
  UpdateHead head;
  UpdateBody body;
  const auto failure = DecodeUpdateFile(bad, head, body);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->text.Polish(), "Nieprawidłowa zawartość pliku !\nBłąd sumy kontrolnej !");

  Bytes edited = file;
  edited[std::string_view("Firmware Qz418 Kavira-Oxbrine \r\nWersja ").size()] = '3';
  edited[at - 3] = 'X';
  ASSERT_EQ(DecodeUpdateFile(edited, head, body), std::nullopt);
  EXPECT_EQ(head.newFWV, "3.07");
  EXPECT_EQ(body.lines, SomeLines(4));
}

class InitUpdateFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    oldFWV_ = "2.05";
    dialog_.NazwaPliku = "last.K3s";
    dialog_.defaultExt = "K3s";
  }
  std::string Put(const Bytes& file) {
    test::WriteAll(dir_ / "qz418.upg", file);
    return PathToUtf8(dir_ / "qz418.upg");
  }
  bool Run(int ver_only, const std::optional<std::string>& chosen) {
    host_.boxes.clear();
    host_.files = {chosen};
    return LoadUpdate(ver_only, oldFWV_, host_, dialog_).has_value();
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> out;
    for (const auto& b : host_.boxes)
      out.push_back(b.caption);
    return out;
  }

  test::TempDir dir_;
  std::string oldFWV_;
  test::ScriptedHost host_;
  FileDialogState dialog_;
};

// The hand-over goes through the engine's firmware starter; the range of the last area command
// stays for "&Powtórz".
TEST_F(InitUpdateFlow, HandsTheDecodedLinesToTheEngine) {
  ManualClock clock;
  test::FakePort port{clock};
  ControllerImage image;
  TransferEngine engine{image, host_, clock};
  engine.setPort(&port);
  engine.startBlocks({_read_, 3, 4});
  engine.stop();
  for (const auto& [ver_only, akcja] : {std::pair{0, _write_}, {1, _verify_}}) {
    SCOPED_TRACE(testing::Message() << "ver_only " << ver_only);
    port.purges = 0;
    host_.files = {Put(Build(SomeLines(5)))};
    ASSERT_TRUE(InitUpdate(ver_only, engine, host_, dialog_));
    const LinkState& link = engine.link();
    EXPECT_EQ(link.pgmlines, SomeLines(5));
    EXPECT_EQ(link.lncnt, 5U);
    EXPECT_EQ(link.upgline, 0U);
    EXPECT_EQ(link.obszar, _upg_);
    EXPECT_EQ(link.akcja, akcja);
    EXPECT_EQ(link.status, _init_);
    EXPECT_EQ(link.AdresOd, 3U);
    EXPECT_EQ(link.AdresDo, 4U);
    EXPECT_EQ(port.purges, 1);
    EXPECT_EQ(host_.status[kPartArea], "\tFirmWare");
    EXPECT_EQ(host_.status[kPartAction], "\tAktualizowanie");
    engine.stop();
  }
  const FileRequest& r = host_.fileRequests.back();
  EXPECT_EQ(r.title.Polish(), "Wybierz plik z aktualizacją :");
  EXPECT_EQ(r.filterIndex, 4);
  EXPECT_EQ(r.initialName, "");
  EXPECT_EQ(r.defaultExt, "K3s");

  // A declined question starts nothing.
  host_.answers = {Answer::No};
  host_.files = {Put(Build(SomeLines(2)))};
  EXPECT_FALSE(InitUpdate(0, engine, host_, dialog_));
  EXPECT_EQ(engine.link().status, _idle_);
  EXPECT_EQ(engine.link().lncnt, 5U);
}

// Questions by the versions; any answer but Yes ends the load without a word.
TEST_F(InitUpdateFlow, QuestionsDependOnTheVersions) {
  const std::string install = "Czy chcesz zainstalować w swoim Kavira-Oxbrine\nfirmware w wersji 2.07 ?";
  const std::string other = "Inna wersja firmware : 2.07 !\nKontynuować ?";
  auto downgrade = [](const std::string& old) {
    return "Czy na pewno chcesz zastąpić w swoim Kavira-Oxbrine\nfirmware w wersji " + old + " wersją 2.07 ?";
  };
  const struct {
    int ver_only;
    std::string controller;
    std::vector<std::string> texts;
    std::deque<Answer> answers = {};
  } cases[] = {
      {0, "N/A", {install}},
      {0, "?.??X", {install}},
      {0, "2.05", {install}},
      {0, "2.07", {install, downgrade("2.07")}},
      {0, "2.07A", {install, downgrade("2.07A")}},
      {1, "2.07A", {}},
      {1, "2.05", {other}},
      {1, "N/A", {other}},
      {0, "2.05", {install}, {Answer::No}},
      {0, "2.07", {install, downgrade("2.07")}, {Answer::Yes, Answer::No}},
      {1, "2.05", {other}, {Answer::No}},
  };
  const std::string path = Put(Build(SomeLines(2)));
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "ver_only " << c.ver_only << ", controller " << c.controller << ", "
                                    << c.answers.size() << " answers");
    oldFWV_ = c.controller;
    host_.answers = c.answers;
    const bool declined = !c.answers.empty();
    EXPECT_EQ(Run(c.ver_only, path), !declined);
    std::vector<std::string> texts;
    for (const auto& b : host_.boxes) {
      texts.push_back(b.text);
      EXPECT_EQ(b.buttons, Buttons::YesNo);
      EXPECT_EQ(b.icon, Icon::Question);
      EXPECT_EQ(b.caption, b.text == install ? "Jesteś pewien ?"
                           : b.text == other ? "Są różnice !"
                                             : "Deaktualizacja ?");
    }
    EXPECT_EQ(texts, c.texts);
  }
}

// Header faults show before any question, body faults after it.
TEST_F(InitUpdateFlow, FailuresAndTheirOrder) {
  Bytes badHeader = Build(SomeLines(2));
  badHeader[0] = 'f';
  Bytes badSum = Build(SomeLines(2));
  SetWord(badSum, BodyAt(badSum) + 8, 0);
  Bytes huge = Build(SomeLines(2));
  const struct {
    Bytes file;
    std::size_t sparseSize;  // the file made that long with a hole, when not 0
    std::vector<std::string> captions;
    std::string text;
  } cases[] = {
      {badHeader,
       0,
       {"Niepowodzenie"},
       "Nieprawidłowa zawartość pliku !\nthe first line is not the header line 'Firmware Qz418 "
       "Kavira-Oxbrine'"},
      {badSum,
       0,
       {"Jesteś pewien ?", "Niepowodzenie"},
       "Nieprawidłowa zawartość pliku !\nBłąd sumy kontrolnej !\nthe records' bytes add up to 0x" +
           HexText(Sum(badSum, BodyAt(badSum) + 12), 8) + "; the body header says 0x00000000"},
      {huge,
       kUpdateFileLimit + 4096,
       {"Jesteś pewien ?", "Niepowodzenie"},
       "Nieprawidłowa długość pliku !\nthe file is larger than 16777216 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string path = Put(c.file);
    if (c.sparseSize != 0) {
      std::filesystem::resize_file(PathFromUtf8(path), c.sparseSize);
    }
    EXPECT_FALSE(Run(0, path));
    EXPECT_EQ(Captions(), c.captions);
    if (host_.boxes.empty()) continue;
    EXPECT_EQ(host_.boxes.back().text, c.text);
    EXPECT_EQ(host_.boxes.back().icon, Icon::Information);
  }

  const std::string gone = PathToUtf8(dir_ / "gone.upg");
  EXPECT_FALSE(Run(0, gone));
  EXPECT_EQ(host_.boxes.at(0).text, "Plik " + gone + " nie istnieje !");
  EXPECT_EQ(host_.boxes.at(0).caption, "Ostrzeżenie");
  // A folder is refused with what it is.
  EXPECT_FALSE(Run(0, PathToUtf8(dir_.path())));
  EXPECT_EQ(host_.boxes.at(0).text, "Błąd otwarcia pliku !\nit is a folder, not a file");
  EXPECT_FALSE(Run(0, std::nullopt));
  EXPECT_TRUE(host_.boxes.empty());
  EXPECT_EQ(host_.status[kPartAction], "\tInicjowanie");
}

}  // namespace
}  // namespace kavira
