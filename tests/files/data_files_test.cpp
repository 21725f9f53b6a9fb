#include "files/data_files.h"

#include <gtest/gtest.h>

#include <random>

#include "file_set_fixture.h"
#include "temp_dir.h"

namespace kavira {
namespace {

using test::Bytes;
using test::FailedSave;
using test::ReadAll;
using test::TempDir;
using test::WriteAll;

// No item is zero, so a load that stores nothing is told apart from one that stores.
ControllerImage Patterned(unsigned seed) {
  std::mt19937 random(seed);
  auto byte = [&random] { return static_cast<std::uint8_t>(random() % 255 + 1); };
  auto word = [&byte] { return static_cast<std::uint16_t>(byte() << 8 | byte()); };
  ControllerImage image;
  for (auto& scene : image.Sceny)
    std::generate(scene.begin(), scene.end(), byte);
  for (auto* a : {&image.PgmEnds, &image.PgmSpeed, &image.PgmFade})
    std::generate(a->begin(), a->end(), byte);
  for (auto& area : image.Shows)
    std::generate(area.begin(), area.end(), byte);
  for (auto& key : image.Midi)
    key.word = word();
  for (auto* w : {&image.ExtraMode, &image.SlowMode, &image.StrobScene, &image.FogScene, &image.ExtraScene}) {
    *w = word();
  }
  return image;
}

struct ByteAt {
  std::size_t offset;
  std::uint8_t value;
};
struct LayoutCase {
  DataArea area;
  ControllerImage image;
  std::vector<ByteAt> bytes;
  std::size_t size;
};

std::vector<LayoutCase> LayoutCases() {
  LayoutCase scenes{DataArea::Scenes,
                    {},
                    {{0, 0x11}, {255, 0x22}, {256, 0x33}, {3 * 256 + 36, 0x55}, {261631, 0x44}},
                    261632};
  scenes.image.Sceny[0][0] = 0x11;
  scenes.image.Sceny[0][255] = 0x22;
  scenes.image.Sceny[1][0] = 0x33;
  scenes.image.Sceny[3][ChannelIndex(3, 5)] = 0x55;
  scenes.image.Sceny[1021][255] = 0x44;

  // Program parameters, the five words low byte first, then the collections area by area.
  LayoutCase settings{
      DataArea::Settings,
      {},
      {{0, 0x01},   {47, 0x02},  {48, 0x03},  {95, 0xFE},  {96, 0x05},  {143, 0x06}, {144, 0x34},
       {145, 0x12}, {146, 0xFF}, {147, 0xFF}, {148, 0xFD}, {149, 0x03}, {150, 0x02}, {151, 0x01},
       {152, 0xCD}, {153, 0xAB}, {154, 0x07}, {169, 0x08}, {170, 0x09}, {201, 0xFF}},
      202};
  ControllerImage& s = settings.image;
  s.PgmEnds[0] = 0x01;
  s.PgmEnds[47] = 0x02;
  s.PgmSpeed[0] = 0x03;
  s.PgmSpeed[47] = 0xFE;
  s.PgmFade[0] = 0x05;
  s.PgmFade[47] = 0x06;
  s.ExtraMode = 0x1234;
  s.SlowMode = 0xFFFF;
  s.StrobScene = 0x03FD;
  s.FogScene = 0x0102;
  s.ExtraScene = 0xABCD;
  s.Shows[0][0] = 0x07;
  s.Shows[0][15] = 0x08;
  s.Shows[1][0] = 0x09;
  s.Shows[2][15] = 0xFF;

  LayoutCase midi{DataArea::Midi, {}, {{0, 0xFD}, {1, 0xC3}, {3, 0x04}, {254, 0x34}, {255, 0x12}}, 256};
  midi.image.Midi[0].word = 0xC3FD;
  midi.image.Midi[1].word = 0x0400;
  midi.image.Midi[127].word = 0x1234;
  return {scenes, settings, midi};
}

TEST(DataFiles, EachItemSitsAtItsOffsetBothWays) {
  TempDir dir;
  for (const LayoutCase& c : LayoutCases()) {
    SCOPED_TRACE(DataFileExtension(c.area));
    Bytes expected(c.size, 0);
    for (const ByteAt& b : c.bytes)
      expected[b.offset] = b.value;
    const auto path = dir / "sample";
    EXPECT_EQ(SaveDataFile(path, c.area, c.image), std::nullopt);
    EXPECT_EQ(ReadAll(path), expected);

    // Loading the same bytes, with more after them, gives the sample back.
    expected.insert(expected.end(), 100, 0xEE);
    WriteAll(path, expected);
    ControllerImage loaded;
    EXPECT_EQ(LoadDataFile(path, c.area, loaded), std::nullopt);
    EXPECT_EQ(loaded, c.image);
  }
}

// A short file used to replace part of the image before reporting; now it changes nothing.
TEST(DataFiles, AFailedLoadLeavesTheImageAsItWas) {
  TempDir dir;
  const ControllerImage before = Patterned(4);
  const struct {
    DataArea area;
    std::size_t size;
  } cases[] = {
      {DataArea::Scenes, 1000}, {DataArea::Scenes, 261631}, {DataArea::Settings, 150}, {DataArea::Midi, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    WriteAll(dir / "short", Bytes(c.size, 0xA5));
    ControllerImage image = before;
    const auto failure = LoadDataFile(dir / "short", c.area, image);
    EXPECT_TRUE(failure.has_value());
    if (failure) {
      EXPECT_EQ(failure->kind, FileFailure::ReadFailed);
      EXPECT_EQ(failure->text.Polish(), PathToUtf8(dir / "short") + " :\nBłąd odczytu !");
    }
    EXPECT_EQ(image, before);
  }

  ControllerImage image = before;
  const auto missing = LoadDataFile(dir / "nope.K3s", DataArea::Scenes, image);
  ASSERT_TRUE(missing.has_value());
  EXPECT_EQ(missing->text.Polish(), "Plik " + PathToUtf8(dir / "nope.K3s") + " nie istnieje !");
  EXPECT_STREQ(missing->Caption(), "Ostrzeżenie");
  const auto folder = LoadDataFile(dir.path(), DataArea::Settings, image);
  ASSERT_TRUE(folder.has_value());
  EXPECT_EQ(folder->kind, FileFailure::OpenFailed);
  EXPECT_EQ(folder->reason, "it is a folder, not a file");
  EXPECT_EQ(image, before);
}

TEST(DataFiles, SavingOverALongerFileLeavesExactlyTheLayout) {
  TempDir dir;
  for (DataArea area : {DataArea::Scenes, DataArea::Settings, DataArea::Midi}) {
    SCOPED_TRACE(DataFileExtension(area));
    WriteAll(dir / "over", Bytes(300000, 0x5A));
    EXPECT_EQ(SaveDataFile(dir / "over", area, Patterned(6)), std::nullopt);
    EXPECT_EQ(std::filesystem::file_size(dir / "over"), DataFileSize(area));
  }
  EXPECT_EQ(DataFileSize(DataArea::Scenes), 261632U);
  EXPECT_EQ(DataFileSize(DataArea::Settings), 202U);
  EXPECT_EQ(DataFileSize(DataArea::Midi), 256U);
  EXPECT_EQ(dir.names(), std::vector<std::string>{"over"});
}

TEST_F(FailedSave, AFolderThatCannotHoldFilesIsAnOpenError) {
  // Its "folder" is a regular file: no new file can be made there, not even by root.
  const auto failure = SaveDataFile(path_ / "inner.K3s", DataArea::Settings, Patterned(9));
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->text.Polish(), "Błąd otwarcia pliku !");
  EXPECT_STREQ(failure->Caption(), "Niepowodzenie");
  ExpectOldFileIntact();
}

// The read-only attribute on Windows, no write permission elsewhere.
TEST_F(FailedSave, AReadOnlyFileIsRefused) {
  namespace fs = std::filesystem;
  const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions(path_, writable, fs::perm_options::remove);
  if (!SystemFileSystem().CheckWriteAccess(path_)) {
    fs::permissions(path_, writable, fs::perm_options::add);
    GTEST_SKIP() << "this user may write read-only files (root): see ReadOnlyFilesAreRefusedToOrdinaryUsers";
  }
  const auto failure = SaveDataFile(path_, DataArea::Settings, Patterned(11));
  fs::permissions(path_, writable, fs::perm_options::add);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->text.Polish(), PathToUtf8(path_) + " :\nBrak dostępu do zapisu !");
  ExpectOldFileIntact();
}

}  // namespace
}  // namespace kavira
