// pack-update and firmware install/verify against the simulated controller.
#include "cli_test_support.h"

namespace kavira::test {
namespace {

// Three lines: 16 bytes at 0x00000, 8 at 0x00010, and 4 at 0x10008 (address bit 16 in the space byte).
constexpr const char* kHex =
    ":10000000101112131415161718191A1B1C1D1E1F78\n"
    ":08001000A0A1A2A3A4A5A6A7CC\n"
    ":020000040001F9\n"
    ":04000800C0C1C2C3EE\n"
    ":00000001FF\n";

const Bytes kVersionRequest{0x12, 0x03, 0xEB};

// `bytes` with bit 5 of byte `at` flipped ('F' becomes 'f').
Bytes Flipped(const Bytes& bytes, std::size_t at) {
  Bytes b(bytes);
  b.at(at) = static_cast<std::uint8_t>(b.at(at) ^ 0x20);
  return b;
}

class CliFirmwareTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    const std::string hex = kHex;
    WriteFile(path("fw.hex"), Bytes(hex.begin(), hex.end()));
  }

  std::string pack(const char* version, const char* name) {
    const CliRun r = RunCli(Args({"pack-update", path("fw.hex"), "--version", version, "-o", path(name)}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return path(name);
  }

  std::size_t count(const Bytes& frame) {
    const auto f = frames();
    return static_cast<std::size_t>(std::count(f.begin(), f.end(), frame));
  }
};

TEST_F(CliFirmwareTest, InstallAPackedFileThenVerifyIt) {
  const std::string upg = pack("1.06", "qz418-1.06.upg");
  const CliRun install = cli({"firmware", "install", upg, "--yes"});
  ASSERT_EQ(install.exitCode, 0) << install.err;
  EXPECT_NE(
      install.err.find("Czy chcesz zainstalować w swoim Kavira-Oxbrine firmware w wersji 1.06 ? -> tak"),
      std::string::npos)
      << install.err;
  EXPECT_EQ(install.err.find("Deaktualizacja"), std::string::npos) << install.err;

  // The version, three lines written, the same three read back, the version again.
  const std::vector<Bytes> f = frames();
  ASSERT_EQ(f.size(), 8U);
  EXPECT_EQ(f[0], kVersionRequest);
  EXPECT_EQ(f[1].size(), 22U);
  EXPECT_EQ((Bytes(f[1].begin(), f[1].begin() + 6)), (Bytes{0x11, 0x66, 0x00, 0x00, 0x10, 0x10}));
  EXPECT_EQ(f[3], (Bytes{0x11, 0xE6, 0x08, 0x00, 0x04, 0xC0, 0xC1, 0xC2, 0xC3, 0xF7}));
  EXPECT_EQ(f[4], (Bytes{0x12, 0x66, 0x00, 0x00, 0x10, 0x78}));
  EXPECT_EQ(f[6], (Bytes{0x12, 0xE6, 0x08, 0x00, 0x04, 0xFC}));
  EXPECT_EQ(f[7], kVersionRequest);
  const auto written = controller([](SimController& c) { return c.memory().readFirmware(0x10008, 4); });
  EXPECT_EQ(written, (Bytes{0xC0, 0xC1, 0xC2, 0xC3}));

  const CliRun verify = cli({"firmware", "verify", upg, "--yes"});
  EXPECT_EQ(verify.exitCode, 0) << verify.err;
  EXPECT_TRUE(verify.out.empty()) << verify.out;
  EXPECT_NE(verify.err.find("Weryfikacja zakończona sukcesem !"), std::string::npos) << verify.err;
}

TEST_F(CliFirmwareTest, ALineThatStillDiffersIsReportedAfterTheRetries) {
  const std::string upg = pack("1.05", "qz418-1.05.upg");
  ASSERT_EQ(cli({"--fast-ack", "firmware", "install", upg, "--yes"}).exitCode, 0);
  controller([](SimController& c) {
    c.memory().writeFirmware(0x12, Bytes{0x00});
    c.clearReceived();
  });
  const CliRun r = cli({"--retries", "2", "firmware", "verify", upg, "--yes"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(r.out,
            "Błąd weryfikacji aktualizacji : linia 1 Jeżeli weryfikacja nie powiedzie się, konieczna będzie  "
            "powtórna aktualizacja !!!\n");
  EXPECT_NE(r.err.find("install the update again"), std::string::npos) << r.err;
  // Line 1 is read once and twice again; nothing follows, not even the version.
  const Bytes readLine1{0x12, 0x66, 0x10, 0x00, 0x08, 0x70};
  EXPECT_EQ(count(readLine1), 3U);
  EXPECT_EQ(frames().back(), readLine1);
}

TEST_F(CliFirmwareTest, QuestionsNeedAYesBeforeAnythingIsWritten) {
  // Same version as the controller's (1.05A): the downgrade warning is asked too.
  const std::string same = pack("1.05", "qz418-1.05.upg");
  const CliRun yes = cli({"--fast-ack", "firmware", "install", same, "-y"});
  EXPECT_EQ(yes.exitCode, 0) << yes.err;
  EXPECT_NE(
      yes.err.find("Deaktualizacja ? Czy na pewno chcesz zastąpić w swoim Kavira-Oxbrine firmware w wersji "
                   "1.05A wersją 1.05 ? -> tak (--yes)"),
      std::string::npos)
      << yes.err;

  // Without a terminal and without --yes every question is answered No: only the version is asked for.
  controller([](SimController& c) { c.clearReceived(); });
  const std::string newer = pack("1.06", "qz418-1.06.upg");
  const CliRun no = cli({"firmware", "install", newer});
  EXPECT_EQ(no.exitCode, 1) << no.err;
  EXPECT_NE(no.err.find("Jesteś pewien ?"), std::string::npos) << no.err;
  EXPECT_NE(no.err.find("nothing was sent"), std::string::npos) << no.err;
  const CliRun verifyOther = cli({"firmware", "verify", newer});
  EXPECT_EQ(verifyOther.exitCode, 1) << verifyOther.err;
  EXPECT_NE(verifyOther.err.find("Inna wersja firmware : 1.06 !"), std::string::npos) << verifyOther.err;
  EXPECT_EQ(frames(), (std::vector<Bytes>{kVersionRequest, kVersionRequest}));
}

TEST_F(CliFirmwareTest, ABrokenUpdateFileIsRefusedBeforeAnythingIsSent) {
  const Bytes good = ReadFile(pack("1.06", "good.upg"));
  ASSERT_GT(good.size(), 100U);
  struct Case {
    const char* name;
    Bytes bytes;
    const char* says;
  };
  std::vector<Case> cases;
  cases.push_back({"header.upg", Flipped(good, 0), "Nieprawidłowa zawartość pliku !"});
  cases.push_back({"checksum.upg", Flipped(good, good.size() - 1),
                   "Nieprawidłowa zawartość pliku ! Błąd sumy kontrolnej !"});
  cases.push_back({"short.upg", Bytes(good.begin(), good.end() - 41), "Nieprawidłowa długość pliku !"});
  const std::string head = "Firmware Qz418 Kavira-Oxbrine \r\nWersja 1.06\r\nno end of the free text";
  cases.push_back({"noend.upg", Bytes(head.begin(), head.end()), "Nieoczekiwany koniec pliku !"});
  cases.push_back({"empty.upg", Bytes{}, "Nieprawidłowa zawartość pliku !"});
  // The count field of record 1 (at 58 + 41: head, 0 byte, body header, record 0) made "p8".
  Bytes badCount = good;
  badCount.at(99) ^= 0x40;
  cases.push_back({"count.upg", badCount,
                   "Nieprawidłowa zawartość pliku ! (record 1: the count field is 'p8', not a hexadecimal "
                   "number 00-10)"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(path(c.name), c.bytes);
    const CliRun r = cli({"firmware", "install", path(c.name), "--yes"});
    EXPECT_EQ(r.exitCode, 4) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(path(c.name) + ": " + c.says), std::string::npos) << r.err;
  }
  const CliRun missing = cli({"firmware", "verify", path("missing.upg")});
  EXPECT_EQ(missing.exitCode, 4);
  EXPECT_NE(missing.err.find("Plik " + path("missing.upg") + " nie istnieje !"), std::string::npos)
      << missing.err;
  // The same in English when asked for; the exit status stays; a language it does not know is a
  // usage error.
  const CliRun english = cli({"--lang", "en", "firmware", "install", path("empty.upg"), "--yes"});
  EXPECT_EQ(english.exitCode, 4);
  EXPECT_NE(english.err.find(path("empty.upg") + ": Invalid file contents!"), std::string::npos)
      << english.err;
  const CliRun german = cli({"--lang", "de", "firmware", "verify", path("missing.upg")});
  EXPECT_EQ(german.exitCode, 2);
  EXPECT_EQ(german.err, "kaviraob-cli: --lang wants pl or en, not 'de'\n");
  EXPECT_EQ(frames().size(), 0U);
}

TEST_F(CliFirmwareTest, PackUpdateRefusesABadImageWithItsLine) {
  const std::string bad =
      ":10000000101112131415161718191A1B1C1D1E1F78\n:08001000A0A1A2A3A4A5A6A7CD\n:00000001FF\n";
  WriteFile(path("bad.hex"), Bytes(bad.begin(), bad.end()));
  const CliRun r = RunCli(Args({"pack-update", path("bad.hex"), "--version", "1.06", "-o", path("bad.upg")}));
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_NE(r.err.find("line 2: checksum error"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(path("bad.upg")));
  const CliRun missing =
      RunCli(Args({"pack-update", path("none.hex"), "--version", "1.06", "-o", path("x.upg")}));
  EXPECT_EQ(missing.exitCode, 4);
  EXPECT_NE(missing.err.find("none.hex: no such file"), std::string::npos) << missing.err;
  const CliRun unwritable =
      RunCli(Args({"pack-update", path("fw.hex"), "--version", "1.06", "-o", path("no/such/dir/x.upg")}));
  EXPECT_EQ(unwritable.exitCode, 4);
  EXPECT_NE(unwritable.err.find("does not exist"), std::string::npos) << unwritable.err;
}

}  // namespace
}  // namespace kavira::test
