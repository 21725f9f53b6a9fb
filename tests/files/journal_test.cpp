// The undo journal: its bytes, what a damaged or cut-off journal does, its names and how many are kept.
#include "files/journal.h"

#include <gtest/gtest.h>

#include <functional>

#include "temp_dir.h"

namespace kavira {
namespace {

using test::Bytes;

BlockData Filled(std::uint8_t v) {
  BlockData d;
  d.fill(v);
  return d;
}

Bytes SampleJournal() {
  const JournalHeader h{JournalSource::OldImage, 2, 3, false, 1765200000, "1.05A"};
  Bytes bytes = EncodeJournalHeader(h);
  for (const std::uint32_t b : {4U, 7U}) {
    const Bytes r = EncodeJournalRecord(b, Filled(static_cast<std::uint8_t>(b)));
    bytes.insert(bytes.end(), r.begin(), r.end());
  }
  return bytes;
}

TEST(JournalTest, LayoutAndRoundTrip) {
  const std::string check = "123456789";
  EXPECT_EQ(Crc32({reinterpret_cast<const std::uint8_t*>(check.data()), check.size()}), 0xCBF43926U);
  const Bytes bytes = SampleJournal();
  // Magic, format 1, header size 24 (15 fixed + "1.05A" + CRC), source 1, all 0, from 2, to 3.
  const Bytes lead{'K', 'V', 'O', 'B', 'J', 'R', 'N', 'L', 1, 0, 24, 0, 1, 0, 2, 0, 3, 0};
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 18), lead);
  EXPECT_EQ(bytes.size(), 12U + 24U + 2 * 134U);
  std::string error;
  const auto j = DecodeJournal(bytes, &error);
  ASSERT_TRUE(j) << error;
  EXPECT_EQ(j->header.source, JournalSource::OldImage);
  EXPECT_EQ(j->header.created, 1765200000);
  EXPECT_EQ(j->header.firmware, "1.05A");
  ASSERT_EQ(j->records.size(), 2U);
  EXPECT_EQ(j->records[1].block, 7U);
  EXPECT_EQ(j->records[1].bytes, Filled(7));
  EXPECT_FALSE(j->tailDropped);
}

TEST(JournalTest, DamageIsRefusedButACutOffLastRecordIsDropped) {
  struct Case {
    const char* what;
    std::function<void(Bytes&)> spoil;
    const char* error;  // empty: accepted
    std::size_t records;
  };
  const std::size_t firstRecord = 12 + 24;
  const Case cases[] = {
      {"last record cut off", [](Bytes& b) { b.resize(b.size() - 50); }, "", 1},
      {"only two bytes of a record", [](Bytes& b) { b.resize(b.size() - 132); }, "", 1},
      {"a data byte flipped", [&](Bytes& b) { b[firstRecord + 10] ^= 1; }, "record 1 is damaged", 0},
      {"header byte flipped", [](Bytes& b) { b[16] ^= 1; }, "header is damaged", 0},
      {"cut inside the header", [](Bytes& b) { b.resize(20); }, "cut off", 0},
      {"not a journal", [](Bytes& b) { b[0] = 'X'; }, "not an undo journal", 0},
      {"newer format", [](Bytes& b) { b[8] = 2; }, "format 2", 0},
      {"a record of another area",
       [&](Bytes& b) {
         const Bytes r = EncodeJournalRecord(2046, Filled(1));
         std::copy(r.begin(), r.end(), b.begin() + static_cast<std::ptrdiff_t>(firstRecord));
       },
       "block 2046, outside the journal's area (scenes 1:3-1:4)", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bytes = SampleJournal();
    c.spoil(bytes);
    std::string error;
    const auto j = DecodeJournal(bytes, &error);
    if (std::string(c.error).empty()) {
      ASSERT_TRUE(j) << error;
      EXPECT_EQ(j->records.size(), c.records);
      EXPECT_TRUE(j->tailDropped);
    } else {
      EXPECT_FALSE(j);
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
}

TEST(JournalTest, WriterNamesByTimeAvoidsCollisionsAndKeepsTheLastFifty) {
  test::TempDir dir;
  FileSystem& fs = SystemFileSystem();
  const JournalHeader h{JournalSource::Controller, 1022, 1022, false, 1765200000, "1.05A"};
  std::string error;
  auto a = JournalWriter::Create(fs, dir.path() / "journals", h, &error);
  ASSERT_TRUE(a) << error;
  auto b = JournalWriter::Create(fs, dir.path() / "journals", h, &error);
  ASSERT_TRUE(b) << error;
  EXPECT_EQ(b->path().stem().string(), a->path().stem().string() + "-2");
  EXPECT_EQ(b->append(2044, Filled(9)), "");
  const auto j = ReadJournal(fs, b->path(), &error);
  ASSERT_TRUE(j) << error;
  EXPECT_EQ(j->records.size(), 1U);
  // Journals are pruned after they are closed (Windows cannot remove a file that is open).
  a.reset();
  b.reset();

  // A folder that cannot be made: nothing is created.
  test::WriteAll(dir.path() / "file", Bytes{1});
  EXPECT_FALSE(JournalWriter::Create(fs, dir.path() / "file" / "journals", h, &error));
  EXPECT_NE(error.find("cannot create the journal folder"), std::string::npos) << error;

  for (int i = 0; i < 55; ++i) {
    JournalHeader later = h;
    later.created += 60 * (i + 1);
    ASSERT_TRUE(JournalWriter::Create(fs, dir.path() / "journals", later, &error)) << error;
  }
  EXPECT_EQ(ListJournals(fs, dir.path() / "journals").size(), 57U);
  EXPECT_EQ(PruneJournals(fs, dir.path() / "journals", {}), 7U);
  const auto left = ListJournals(fs, dir.path() / "journals");
  ASSERT_EQ(left.size(), kJournalsKept);
  EXPECT_EQ(left.back().stem().string(), JournalStem(h.created + 60 * 55));
}

// The names are local times, put out of order by a change of time zone, the end of summer time or a
// clock set back: journals go by the creation time they record, and the pruning run's own journal
// stays whatever its time.
TEST(JournalTest, PruningGoesByTheRecordedTimeAndSparesTheRunsOwnJournal) {
  test::TempDir dir;
  FileSystem& fs = SystemFileSystem();
  constexpr std::int64_t kStart = 1765200000;  // 2025-12-08 13:20:00 UTC
  auto put = [&](const std::string& name, std::int64_t created) {
    const JournalHeader h{JournalSource::Controller, 1022, 1022, false, created, "1.05A"};
    test::WriteAll(dir / name, EncodeJournalHeader(h));
    return dir / name;
  };
  // Fifty journals kept in Tokyo, named nine hours ahead of UTC, one a second.
  auto tokyo = [](int second) {
    return "2025-12-08_22-20-" + std::string(second < 10 ? "0" : "") + std::to_string(second) + ".K3j";
  };
  for (int i = 0; i < 50; ++i)
    put(tokyo(i), kStart + i);
  // A run in UTC a minute later: its name sorts before all of them.
  const auto utc = put("2025-12-08_13-21-00.K3j", kStart + 60);
  EXPECT_EQ(ListJournals(fs, dir.path()).back(), utc);
  EXPECT_EQ(PruneJournals(fs, dir.path(), utc), 1U);
  EXPECT_TRUE(std::filesystem::exists(utc));
  EXPECT_FALSE(std::filesystem::exists(dir / tokyo(0)));

  // The clock set back an hour: the newest run records the oldest time, and stays.
  const auto setBack = put("2025-12-08_12-21-05.K3j", kStart - 3600 + 65);
  EXPECT_EQ(PruneJournals(fs, dir.path(), setBack), 1U);
  EXPECT_TRUE(std::filesystem::exists(setBack));
  EXPECT_TRUE(std::filesystem::exists(utc));
  EXPECT_FALSE(std::filesystem::exists(dir / tokyo(1)));
  EXPECT_EQ(ListJournals(fs, dir.path()).size(), kJournalsKept);

  // A former folder's journals join the list in the same order; pruning leaves them alone.
  std::filesystem::create_directory(dir / "former");
  const auto former = put("former/2025-12-08_11-20-00.K3j", kStart - 7200);
  const auto newest = put("former/2025-12-08_13-30-00.K3j", kStart + 600);
  const std::vector<std::filesystem::path> folders{dir.path(), dir / "former"};
  const auto both = ListJournals(fs, folders);
  ASSERT_EQ(both.size(), kJournalsKept + 2);
  EXPECT_EQ(both.front(), former);
  EXPECT_EQ(both.back(), newest);
}

}  // namespace
}  // namespace kavira
