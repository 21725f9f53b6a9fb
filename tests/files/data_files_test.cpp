#include "files/data_files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "temp_dir.h"

namespace kavira {
namespace {

using test::ReadAll;
using test::TempDir;
using test::WriteAll;
using Bytes = std::vector<std::uint8_t>;

// An image with no zero item, so that a load that stores nothing is told apart from one that stores.
ControllerImage Patterned(unsigned seed) {
  std::mt19937 random(seed);
  auto byte = [&random] { return static_cast<std::uint8_t>(random() % 255 + 1); };
  ControllerImage image;
  for (auto& scene : image.Sceny) {
    for (auto& level : scene)
      level = byte();
  }
  for (std::size_t p = 0; p < kProgramCount; ++p) {
    image.PgmEnds[p] = byte();
    image.PgmSpeed[p] = byte();
    image.PgmFade[p] = byte();
  }
  for (auto& area : image.Shows) {
    for (auto& slot : area)
      slot = byte();
  }
  for (auto& key : image.Midi)
    key.word = static_cast<std::uint16_t>(byte() << 8 | byte());
  image.ExtraMode = static_cast<std::uint16_t>(byte() << 8 | byte());
  image.SlowMode = static_cast<std::uint16_t>(byte() << 8 | byte());
  image.StrobScene = static_cast<std::uint16_t>(byte() << 8 | byte());
  image.FogScene = static_cast<std::uint16_t>(byte() << 8 | byte());
  image.ExtraScene = static_cast<std::uint16_t>(byte() << 8 | byte());
  return image;
}

struct ByteAt {
  std::size_t offset;
  std::uint8_t value;
};

// The settings file: program parameters, the five words low byte first, then the collections area
// by area.
ControllerImage SettingsSample() {
  ControllerImage image;
  image.PgmEnds[0] = 0x01;
  image.PgmEnds[47] = 0x02;
  image.PgmSpeed[0] = 0x03;
  image.PgmSpeed[47] = 0xFE;
  image.PgmFade[0] = 0x05;
  image.PgmFade[47] = 0x06;
  image.ExtraMode = 0x1234;
  image.SlowMode = 0xFFFF;
  image.StrobScene = 0x03FD;
  image.FogScene = 0x0102;
  image.ExtraScene = 0xABCD;
  image.Shows[0][0] = 0x07;
  image.Shows[0][15] = 0x08;
  image.Shows[1][0] = 0x09;
  image.Shows[2][15] = 0xFF;
  return image;
}
const ByteAt kSettingsSampleBytes[] = {
    {0, 0x01},   {47, 0x02},  {48, 0x03},  {95, 0xFE},  {96, 0x05},  {143, 0x06}, {144, 0x34},
    {145, 0x12}, {146, 0xFF}, {147, 0xFF}, {148, 0xFD}, {149, 0x03}, {150, 0x02}, {151, 0x01},
    {152, 0xCD}, {153, 0xAB}, {154, 0x07}, {169, 0x08}, {170, 0x09}, {201, 0xFF},
};

ControllerImage ScenesSample() {
  ControllerImage image;
  image.Sceny[0][0] = 0x11;
  image.Sceny[0][255] = 0x22;
  image.Sceny[1][0] = 0x33;
  image.Sceny[3][ChannelIndex(3, 5)] = 0x55;
  image.Sceny[1021][255] = 0x44;
  return image;
}
const ByteAt kScenesSampleBytes[] = {
    {0, 0x11}, {255, 0x22}, {256, 0x33}, {3 * 256 + 36, 0x55}, {261631, 0x44},
};

ControllerImage MidiSample() {
  ControllerImage image;
  image.Midi[0].word = 0xC3FD;
  image.Midi[1].word = 0x0400;
  image.Midi[127].word = 0x1234;
  return image;
}
const ByteAt kMidiSampleBytes[] = {
    {0, 0xFD}, {1, 0xC3}, {2, 0x00}, {3, 0x04}, {254, 0x34}, {255, 0x12},
};

struct LayoutCase {
  DataArea area;
  ControllerImage (*sample)();
  std::span<const ByteAt> bytes;
  std::size_t size;
};
const LayoutCase kLayoutCases[] = {
    {DataArea::Scenes, ScenesSample, kScenesSampleBytes, 261632},
    {DataArea::Settings, SettingsSample, kSettingsSampleBytes, 202},
    {DataArea::Midi, MidiSample, kMidiSampleBytes, 256},
};

Bytes FileOf(const LayoutCase& c) {
  Bytes file(c.size, 0);
  for (const ByteAt& b : c.bytes)
    file[b.offset] = b.value;
  return file;
}

TEST(DataFileLayout, SavedFilesHoldEachItemAtItsOffset) {
  TempDir dir;
  for (const LayoutCase& c : kLayoutCases) {
    SCOPED_TRACE(DataFileExtension(c.area));
    const auto path = dir / (std::string("sample.") + DataFileExtension(c.area));
    ASSERT_EQ(SaveDataFile(path, c.area, c.sample()), std::nullopt);
    EXPECT_EQ(ReadAll(path), FileOf(c));
  }
}

TEST(DataFileLayout, LoadedFilesFillEachItemFromItsOffset) {
  TempDir dir;
  for (const LayoutCase& c : kLayoutCases) {
    SCOPED_TRACE(DataFileExtension(c.area));
    const auto path = dir / "in.bin";
    WriteAll(path, FileOf(c));
    ControllerImage image;
    ASSERT_EQ(LoadDataFile(path, c.area, image), std::nullopt);
    EXPECT_EQ(image, c.sample());
  }
}

TEST(DataFileLayout, EachLoadTouchesOnlyItsOwnArea) {
  TempDir dir;
  const ControllerImage source = Patterned(1);
  const ControllerImage before = Patterned(2);
  for (DataArea area : {DataArea::Scenes, DataArea::Settings, DataArea::Midi}) {
    SCOPED_TRACE(DataFileExtension(area));
    const auto path = dir / "area.bin";
    ASSERT_EQ(SaveDataFile(path, area, source), std::nullopt);
    ControllerImage image = before;
    ASSERT_EQ(LoadDataFile(path, area, image), std::nullopt);

    ControllerImage expected = before;
    if (area == DataArea::Scenes) expected.Sceny = source.Sceny;
    if (area == DataArea::Midi) expected.Midi = source.Midi;
    if (area == DataArea::Settings) {
      expected = source;
      expected.Sceny = before.Sceny;
      expected.Midi = before.Midi;
    }
    EXPECT_EQ(image, expected);
  }
}

TEST(DataFileLoad, BytesBeyondTheLayoutAreIgnored) {
  TempDir dir;
  const ControllerImage source = Patterned(3);
  for (const auto& [area, extra] :
       {std::pair{DataArea::Scenes, 100}, {DataArea::Settings, 1}, {DataArea::Midi, 5000}}) {
    SCOPED_TRACE(DataFileExtension(area));
    const auto path = dir / "long.bin";
    ASSERT_EQ(SaveDataFile(path, area, source), std::nullopt);
    Bytes file = ReadAll(path);
    file.insert(file.end(), static_cast<std::size_t>(extra), 0xEE);
    WriteAll(path, file);
    ControllerImage image;
    ASSERT_EQ(LoadDataFile(path, area, image), std::nullopt);
    EXPECT_EQ(EncodeDataFile(area, image), EncodeDataFile(area, source));
  }
}

// A short file used to replace part of the image and then report the error; now it changes nothing.
TEST(DataFileLoad, AShortFileLeavesTheImageAsItWasAndSaysSo) {
  TempDir dir;
  const struct {
    DataArea area;
    std::size_t size;
  } cases[] = {
      {DataArea::Scenes, 1000}, {DataArea::Scenes, 261631}, {DataArea::Settings, 150},
      {DataArea::Settings, 0},  {DataArea::Midi, 255},
  };
  const ControllerImage before = Patterned(4);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + " bytes of " + DataFileExtension(c.area));
    const auto path = dir / "short.bin";
    WriteAll(path, Bytes(c.size, 0xA5));
    ControllerImage image = before;
    const auto failure = LoadDataFile(path, c.area, image);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, FileFailure::ReadFailed);
    EXPECT_EQ(failure->text, path.string() + " :\nBłąd odczytu !");
    EXPECT_STREQ(failure->Caption(), "Niepowodzenie");
    EXPECT_EQ(image, before);
  }
}

TEST(DataFileLoad, MissingOrUnreadableFilesAreReported) {
  TempDir dir;
  const ControllerImage before = Patterned(5);
  ControllerImage image = before;

  const auto missing = LoadDataFile(dir / "nope.K3s", DataArea::Scenes, image);
  ASSERT_TRUE(missing.has_value());
  EXPECT_EQ(missing->kind, FileFailure::Missing);
  EXPECT_EQ(missing->text, "Plik " + (dir / "nope.K3s").string() + " nie istnieje !");
  EXPECT_STREQ(missing->Caption(), "Ostrzeżenie");

  // A folder exists but cannot be read as a file.
  const auto folder = LoadDataFile(dir.path(), DataArea::Settings, image);
  ASSERT_TRUE(folder.has_value());
  EXPECT_EQ(folder->kind, FileFailure::ReadFailed);
  EXPECT_EQ(image, before);
}

TEST(DataFileSave, SavingOverALongerFileLeavesExactlyTheLayout) {
  TempDir dir;
  const ControllerImage image = Patterned(6);
  for (const auto& [area, size] : {std::pair{DataArea::Scenes, std::size_t{261632}},
                                   {DataArea::Settings, std::size_t{202}},
                                   {DataArea::Midi, std::size_t{256}}}) {
    SCOPED_TRACE(DataFileExtension(area));
    const auto path = dir / "over.bin";
    WriteAll(path, Bytes(300000, 0x5A));
    ASSERT_EQ(SaveDataFile(path, area, image), std::nullopt);
    EXPECT_EQ(std::filesystem::file_size(path), size);
    EXPECT_EQ(ReadAll(path), EncodeDataFile(area, image));
  }
  EXPECT_EQ(dir.names(), std::vector<std::string>{"over.bin"});
}

// Saves that fail must leave the old file exactly as it was and no stray files behind.
class DataFileSaveFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = Bytes(202, 0x77);
    WriteAll(path_, old_);
  }
  void ExpectOldFileIntact() {
    EXPECT_EQ(ReadAll(path_), old_);
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"show.K3s"});
  }

  TempDir dir_;
  std::filesystem::path path_ = dir_ / "show.K3s";
  Bytes old_;
};

// A full disk, made without root tricks: the file size limit stops the write part way, as a full
// disk would.
TEST_F(DataFileSaveFailure, AWriteThatRunsOutOfRoomKeepsTheOldFile) {
  struct sigaction ignore {};
  struct sigaction saved {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &saved), 0);
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small{4096, limit.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto failure = SaveDataFile(path_, DataArea::Scenes, Patterned(7));
  ::setrlimit(RLIMIT_FSIZE, &limit);
  ::sigaction(SIGXFSZ, &saved, nullptr);

  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->kind, FileFailure::WriteFailed);
  EXPECT_EQ(failure->text, path_.string() + " :\nBłąd zapisu !");
  ExpectOldFileIntact();
}

TEST_F(DataFileSaveFailure, ADeviceThatRefusesTheBytesIsAWriteError) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  const auto failure = SaveDataFile("/dev/full", DataArea::Midi, Patterned(8));
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->kind, FileFailure::WriteFailed);
  EXPECT_EQ(failure->text, "/dev/full :\nBłąd zapisu !");
}

TEST_F(DataFileSaveFailure, AFolderThatCannotHoldFilesIsAnOpenError) {
  // Whose parent is a regular file: no new file can be made there, not even by root.
  const auto failure = SaveDataFile(path_ / "inner.K3s", DataArea::Settings, Patterned(9));
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->kind, FileFailure::OpenFailed);
  EXPECT_EQ(failure->text, "Błąd otwarcia pliku !");
  EXPECT_STREQ(failure->Caption(), "Niepowodzenie");
  ExpectOldFileIntact();
}

TEST_F(DataFileSaveFailure, AFolderIsNotReplacedByAFile) {
  std::filesystem::create_directory(dir_ / "folder.K3m");
  const auto failure = SaveDataFile(dir_ / "folder.K3m", DataArea::Midi, Patterned(10));
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->kind, FileFailure::OpenFailed);
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "folder.K3m"));
}

TEST_F(DataFileSaveFailure, AReadOnlyFileIsRefusedBeforeAnythingIsWritten) {
  ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
  auto refused = [this] {
    const auto failure = SaveDataFile(path_, DataArea::Settings, Patterned(11));
    return failure.has_value() && failure->kind == FileFailure::NotWritable &&
           failure->text == path_.string() + " :\nBrak dostępu do zapisu !";
  };
  if (::geteuid() != 0) {
    EXPECT_TRUE(refused());
  } else {
    // Root may write anything: try as an ordinary user in a child process.
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0777), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
      ::_exit(dropped && refused() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ExpectOldFileIntact();
}

TEST(DataFileSave, ReplacingKeepsPermissionsAndLinks) {
  TempDir dir;
  const ControllerImage image = Patterned(12);

  const auto plain = dir / "plain.K3p";
  WriteAll(plain, Bytes(10, 1));
  ASSERT_EQ(::chmod(plain.c_str(), 0640), 0);
  ASSERT_EQ(SaveDataFile(plain, DataArea::Settings, image), std::nullopt);
  EXPECT_EQ(std::filesystem::status(plain).permissions(), std::filesystem::perms::owner_read |
                                                              std::filesystem::perms::owner_write |
                                                              std::filesystem::perms::group_read);

  const auto target = dir / "target.K3p";
  const auto link = dir / "link.K3p";
  WriteAll(target, Bytes(10, 1));
  std::filesystem::create_symlink(target, link);
  ASSERT_EQ(SaveDataFile(link, DataArea::Settings, image), std::nullopt);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadAll(target), EncodeDataFile(DataArea::Settings, image));
}

}  // namespace
}  // namespace kavira
