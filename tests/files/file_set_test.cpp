// Files under faults: sets replaced whole on a full disk, a failed rename injected into the file
// layer, named pipes and other non-files refused without blocking, temporary files of killed runs,
// links and name limits. Real files and folders throughout; a small tmpfs where the test may mount
// one.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "files/data_files.h"
#include "files/file_step.h"
#include "scripted_host.h"
#include "small_disk.h"
#include "temp_dir.h"

namespace kavira {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::ReadAll;
using test::SmallDisk;
using test::TempDir;
using test::WriteAll;

// Old and new contents of a set of three files, sized as the data files are.
struct SetFixture {
  explicit SetFixture(const fs::path& folder) {
    for (const auto& [name, size] : {std::pair{"show.K3s", 261632}, {"show.K3p", 202}, {"show.K3m", 256}}) {
      paths.push_back(folder / name);
      oldBytes.emplace_back(static_cast<std::size_t>(size), 0x11);
      writes.push_back({folder / name, Bytes(static_cast<std::size_t>(size), 0x22)});
      WriteAll(paths.back(), oldBytes.back());
    }
  }
  // For each file: 'n' when it holds the new bytes, 'o' the old ones, '?' anything else.
  std::string State() const {
    std::string s;
    for (std::size_t i = 0; i < paths.size(); ++i) {
      const Bytes now = ReadAll(paths[i]);
      s += now == writes[i].bytes ? 'n' : now == oldBytes[i] ? 'o' : '?';
    }
    return s;
  }
  std::vector<fs::path> paths;
  std::vector<Bytes> oldBytes;
  std::vector<FileWrite> writes;
};

std::vector<std::string> Temporaries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (TemporaryFileOwner(entry.path().filename().string())) names.push_back(entry.path().filename());
  }
  return names;
}

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
  std::error_code WriteDevice(const fs::path& p, std::span<const std::uint8_t> bytes) override {
    return system_.WriteDevice(p, bytes);
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

// The id of a process that has ended.
long EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(FileSet, AFullDiskReplacesNoneOfTheFiles) {
  SmallDisk disk(1 << 20);
  REQUIRE_SMALL_DISK(disk);
  SetFixture set(disk.path());
  // Room for the new scenes file and one page more: the third new file does not fit.
  ASSERT_TRUE(disk.LeaveFree(261632 + 4096 + 2048));
  int hooks = 0;
  ReplaceOptions options;
  options.beforeReplacing = [&] { ++hooks; };
  const ReplaceResult r = ReplaceFiles(set.writes, options);
  EXPECT_EQ(r.failure, ReplaceResult::Failure::WriteFailed);
  EXPECT_EQ(r.failedPath, set.paths[2]);
  EXPECT_EQ(r.reason, "No space left on device");
  EXPECT_TRUE(r.replaced.empty());
  EXPECT_EQ(r.unchanged, set.paths);
  EXPECT_EQ(hooks, 0);
  EXPECT_EQ(set.State(), "ooo");
  EXPECT_TRUE(Temporaries(disk.path()).empty());

  // The window program's "&Wszystko" save of the same set says so in its box.
  const auto failure = SaveFileSet(set.writes);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(
      failure->BoxText(),
      set.paths[2].string() + " :\nBłąd zapisu !\nNo space left on device\nNie zastąpiono żadnego pliku.");
  EXPECT_EQ(set.State(), "ooo");

  fs::remove(disk.path() / "filler");
  EXPECT_FALSE(SaveFileSet(set.writes).has_value());
  EXPECT_EQ(set.State(), "nnn");
}

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
    const std::string box = SaveFailure(r).BoxText();
    EXPECT_EQ(box.substr(box.rfind("Input/output error\n") + 19), c.box);
  }
}

TEST(FileSet, NamedPipesAndOtherNonFilesAreRefusedWithoutBlocking) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo.K3s").c_str(), 0644), 0);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, (dir / "sock.K3s").c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  fs::create_directory(dir / "folder.K3s");
  const struct {
    std::string name;
    std::string reason;
  } cases[] = {
      {"fifo.K3s", "it is a named pipe (FIFO), not a file"},
      {"sock.K3s", "it is a socket, not a file"},
      {"folder.K3s", "it is a folder, not a file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = dir / c.name;
    ControllerImage image;
    image.Sceny[0][0] = 9;
    const auto load = LoadDataFile(path, DataArea::Scenes, image);
    ASSERT_TRUE(load.has_value());
    EXPECT_EQ(load->BoxText(), "Błąd otwarcia pliku !\n" + c.reason);
    EXPECT_EQ(image.Sceny[0][0], 9);
    const auto save = SaveDataFile(path, DataArea::Scenes, image);
    ASSERT_TRUE(save.has_value());
    EXPECT_EQ(save->BoxText(), "Błąd otwarcia pliku !\n" + c.reason);
    EXPECT_EQ(fs::symlink_status(path).type(), c.name[0] == 'f' && c.name[1] == 'i' ? fs::file_type::fifo
                                               : c.name[0] == 's'                   ? fs::file_type::socket
                                                                  : fs::file_type::directory);
  }
  ::close(sock);
  // A device cannot be loaded; it is written in place.
  std::vector<std::uint8_t> bytes;
  std::error_code reason;
  EXPECT_EQ(ReadFilePrefix("/dev/zero", 10, bytes, &reason), ReadOutcome::OpenFailed);
  EXPECT_EQ(reason.message(), "it is a device, not a file");
  EXPECT_FALSE(SaveDataFile("/dev/null", DataArea::Midi, ControllerImage{}).has_value());
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

  TempDir dir;
  const std::string gone = ".kaviraob-" + std::to_string(EndedProcess()) + "-17";
  const std::string alive = ".kaviraob-1-17";  // process 1 runs as long as the system does
  const std::string own = ".kaviraob-" + std::to_string(::getpid()) + "-17";
  const std::string goneFolder = ".kaviraob-" + std::to_string(EndedProcess()) + "-18";
  for (const std::string& name : {gone, alive, own})
    WriteAll(dir / name, Bytes(10, 1));
  fs::create_directory(dir / goneFolder);

  const FileWrite write{dir / "show.K3m", Bytes(256, 3)};
  const ReplaceResult r = ReplaceFiles(std::span(&write, 1));
  ASSERT_TRUE(r.ok()) << r.reason;
  EXPECT_EQ(r.orphansRemoved, 1U);
  std::vector<std::string> left{alive, own, goneFolder, "show.K3m"};
  std::sort(left.begin(), left.end());
  EXPECT_EQ(dir.names(), left);
}

TEST(FileSet, LinksLeadToTheFileTheyName) {
  TempDir dir;
  // A dangling link: the file it names is created, the link stays.
  fs::create_directory(dir / "usb");
  fs::create_symlink("usb/show.K3p", dir / "show.K3p");
  ASSERT_FALSE(SaveDataFile(dir / "show.K3p", DataArea::Settings, ControllerImage{}).has_value());
  EXPECT_TRUE(fs::is_symlink(dir / "show.K3p"));
  EXPECT_EQ(fs::file_size(dir / "usb/show.K3p"), 202U);

  fs::create_symlink("loop-b", dir / "loop-a");
  fs::create_symlink("loop-a", dir / "loop-b");
  ControllerImage image;
  const auto load = LoadDataFile(dir / "loop-a", DataArea::Midi, image);
  ASSERT_TRUE(load.has_value());
  EXPECT_EQ(load->BoxText(), "Błąd otwarcia pliku !\nToo many levels of symbolic links");
  const auto save = SaveDataFile(dir / "loop-a", DataArea::Midi, image);
  ASSERT_TRUE(save.has_value());
  EXPECT_EQ(save->BoxText(), "Błąd otwarcia pliku !\nToo many levels of symbolic links");
}

TEST(FileSet, NamesAndPathsBeyondTheSystemsLimitsAreRefusedBeforeWriting) {
  TempDir dir;
  // A path longer than the system takes, through a folder that exists.
  std::string deep = dir.path().string();
  while (deep.size() <= 4100)
    deep += "/.";
  const struct {
    fs::path path;
    std::string reason;
  } cases[] = {
      {dir / (std::string(252, 'b') + ".K3s"),
       "the file name is 256 bytes long; the folder takes at most 255"},
      {fs::path(deep) / "show.K3s",
       "the path is " + std::to_string(deep.size() + 9) + " bytes long; the system takes at most 4095"},
      {dir / "nowhere/show.K3s", "the folder " + (dir / "nowhere").string() + " does not exist"},
  };
  for (const auto& c : cases) {
    const auto problem = CheckSavePath(c.path);
    ASSERT_TRUE(problem.has_value()) << c.reason;
    EXPECT_EQ(problem->kind, SaveProblem::Refused);
    EXPECT_EQ(problem->text, c.reason);
  }
  EXPECT_EQ(dir.names(), std::vector<std::string>{});
}

}  // namespace
}  // namespace kavira
