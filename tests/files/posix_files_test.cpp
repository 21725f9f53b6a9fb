// Files under faults that only POSIX systems can stage: sets replaced whole on a full disk (a small
// tmpfs where the test may mount one), named pipes, sockets and devices refused without blocking,
// links, the exact byte limits of names and paths, and the temporary files of processes that ended
// or run under another user. Built where POSIX is; file_set_test.cpp holds what runs everywhere.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "file_set_fixture.h"
#include "files/data_files.h"
#include "small_disk.h"
#include "temp_dir.h"

namespace kavira {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::SetFixture;
using test::SmallDisk;
using test::TempDir;
using test::Temporaries;
using test::WriteAll;

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

TEST(FileSet, TemporaryFilesOfProcessesThatRunAreKept) {
  TempDir dir;
  const std::string gone = ".kaviraob-" + std::to_string(EndedProcess()) + "-17";
  const std::string alive = ".kaviraob-1-17";  // process 1 runs as long as the system does
  for (const std::string& name : {gone, alive})
    WriteAll(dir / name, Bytes(10, 1));
  const FileWrite write{dir / "show.K3m", Bytes(256, 3)};
  const ReplaceResult r = ReplaceFiles(std::span(&write, 1));
  ASSERT_TRUE(r.ok()) << r.reason;
  EXPECT_EQ(r.orphansRemoved, 1U);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{alive, "show.K3m"}));
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
