// Files under faults: a failed write or rename injected into the file layer, temporary files of
// killed runs, names beyond the system's limits. Real files and folders throughout, on every system;
// what needs POSIX (a full tmpfs, named pipes, links) is in posix_files_test.cpp.
#include <gtest/gtest.h>

#include "file_set_fixture.h"
#include "files/data_files.h"
#include "temp_dir.h"

namespace kavira {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::SetFixture;
using test::TempDir;
using test::Temporaries;
using test::WriteAll;

// Passes everything to the system, but fails the n-th call of one kind with `error`.
class FaultyFileSystem final : public FileSystem {
 public:
  enum Call { WriteCall, RenameCall };
  FaultyFileSystem(Call call, int nth, std::errc error) : call_(call), nth_(nth), error_(error) {}

  std::error_code ReadPrefix(const fs::path& p, std::size_t limit, std::vector<std::uint8_t>& out,
                             bool& opened) override {
    return system_.ReadPrefix(p, limit, out, opened);
  }
  std::error_code WriteNewFile(const fs::path& p, std::span<const std::uint8_t> bytes, const fs::path& like,
                               bool& created) override {
    if (Fails(WriteCall)) {
      created = true;
      return std::make_error_code(error_);
    }
    return system_.WriteNewFile(p, bytes, like, created);
  }
  std::error_code Rename(const fs::path& from, const fs::path& to) override {
    return Fails(RenameCall) ? std::make_error_code(error_) : system_.Rename(from, to);
  }
  std::error_code Remove(const fs::path& p) override { return system_.Remove(p); }
  std::error_code SyncFolder(const fs::path& folder) override { return system_.SyncFolder(folder); }
  std::error_code CheckWriteAccess(const fs::path& p) override { return system_.CheckWriteAccess(p); }
  NameLimits Limits(const fs::path& folder) override { return system_.Limits(folder); }
  long ProcessId() override { return system_.ProcessId(); }
  bool ProcessGone(long pid) override { return system_.ProcessGone(pid); }

 private:
  bool Fails(Call call) { return call == call_ && ++calls_ == nth_; }
  FileSystem& system_ = SystemFileSystem();
  Call call_;
  int nth_;
  int calls_ = 0;
  std::errc error_;
};

// A rename that fails after another succeeded: exactly which files are new and which old.
TEST(FileSet, AFailureBetweenRenamesNamesTheNewAndTheOldFiles) {
  const struct {
    FaultyFileSystem::Call call;
    int nth;
    ReplaceResult::Failure failure;
    std::size_t failedAt;
    const char* state;
    const char* box;
  } cases[] = {
      {FaultyFileSystem::WriteCall, 2, ReplaceResult::Failure::WriteFailed, 1, "ooo",
       "Nie zastąpiono żadnego pliku."},
      {FaultyFileSystem::RenameCall, 1, ReplaceResult::Failure::ReplaceFailed, 0, "ooo",
       "Nie zastąpiono żadnego pliku."},
      {FaultyFileSystem::RenameCall, 2, ReplaceResult::Failure::ReplaceFailed, 1, "noo",
       "Nowe dane zapisano w: show.K3s\nBez zmian pozostały: show.K3p, show.K3m"},
      {FaultyFileSystem::RenameCall, 3, ReplaceResult::Failure::ReplaceFailed, 2, "nno",
       "Nowe dane zapisano w: show.K3s, show.K3p\nBez zmian pozostały: show.K3m"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.state + std::to_string(c.nth));
    TempDir dir;
    SetFixture set(dir.path());
    FaultyFileSystem faulty(c.call, c.nth, std::errc::io_error);
    ReplaceOptions options;
    options.system = &faulty;
    const ReplaceResult r = ReplaceFiles(set.writes, options);
    EXPECT_EQ(r.failure, c.failure);
    EXPECT_EQ(r.failedPath, set.paths[c.failedAt]);
    EXPECT_EQ(r.reason, "Input/output error");
    const std::size_t renamed = c.call == FaultyFileSystem::RenameCall ? c.failedAt : 0;
    EXPECT_EQ(r.replaced,
              std::vector<fs::path>(set.paths.begin(), set.paths.begin() + static_cast<long>(renamed)));
    EXPECT_EQ(r.unchanged,
              std::vector<fs::path>(set.paths.begin() + static_cast<long>(renamed), set.paths.end()));
    EXPECT_EQ(set.State(), c.state);
    EXPECT_TRUE(Temporaries(dir.path()).empty());
    const std::string box = SaveFailure(r).BoxText().Polish();
    EXPECT_EQ(box.substr(box.rfind("Input/output error\n") + 19), c.box);
  }
}

TEST(FileSet, TemporaryFilesOfEndedRunsAreRemovedAtTheNextSave) {
  const struct {
    const char* name;
    std::optional<long> owner;
  } names[] = {
      {".kaviraob-123-456", 123},      {".kaviraob-1-0", 1},
      {".kaviraob-0-5", std::nullopt}, {".kaviraob-12-", std::nullopt},
      {".kaviraob--4", std::nullopt},  {".kaviraob-7-x", std::nullopt},
      {"kaviraob-7-1", std::nullopt},  {".kaviraob-7-1.K3s", std::nullopt},
  };
  for (const auto& n : names)
    EXPECT_EQ(TemporaryFileOwner(n.name), n.owner) << n.name;

  // No system hands out a process id this high (Linux stops at 2^22, Windows' ids stay far below).
  constexpr long kNoSuchProcess = 2147483644;
  FileSystem& system = SystemFileSystem();
  EXPECT_TRUE(system.ProcessGone(kNoSuchProcess));
  EXPECT_FALSE(system.ProcessGone(system.ProcessId()));
  EXPECT_FALSE(system.ProcessGone(0));
  EXPECT_FALSE(system.ProcessGone(-1));

  TempDir dir;
  const std::string gone = ".kaviraob-" + std::to_string(kNoSuchProcess) + "-17";
  const std::string own = ".kaviraob-" + std::to_string(system.ProcessId()) + "-17";
  const std::string goneFolder = ".kaviraob-" + std::to_string(kNoSuchProcess) + "-18";
  for (const std::string& name : {gone, own})
    WriteAll(dir / name, Bytes(10, 1));
  std::filesystem::create_directory(dir / goneFolder);

  const FileWrite write{dir / "show.K3m", Bytes(256, 3)};
  const ReplaceResult r = ReplaceFiles(std::span(&write, 1));
  ASSERT_TRUE(r.ok()) << r.reason;
  EXPECT_EQ(r.orphansRemoved, 1U);
  std::vector<std::string> left{own, goneFolder, "show.K3m"};
  std::sort(left.begin(), left.end());
  EXPECT_EQ(dir.names(), left);
}

// A name or path longer than the system takes is refused before anything is written.
TEST(FileSet, NamesBeyondTheSystemsLimitsAreRefusedBeforeWriting) {
  TempDir dir;
  const NameLimits limits = SystemFileSystem().Limits(dir.path());
  const std::string longName = std::string(limits.name - 3, 'b') + ".K3s";
  const std::string deep = std::string(limits.path, 'd');
  for (const fs::path& path : {dir / longName, dir / deep / "show.K3s"}) {
    const auto problem = CheckSavePath(path);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->kind, SaveProblem::Refused);
    EXPECT_EQ(problem->error, std::errc::filename_too_long);
    const auto save = SaveDataFile(path, DataArea::Midi, ControllerImage{});
    ASSERT_TRUE(save.has_value());
    EXPECT_EQ(save->text.Polish(), Texts::kOpenFailed);
  }
  EXPECT_EQ(dir.names(), std::vector<std::string>{});
}

}  // namespace
}  // namespace kavira
