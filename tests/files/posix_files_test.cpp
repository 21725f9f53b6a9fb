// Files under faults that only POSIX systems can stage: sets replaced whole on a full disk (a small
// tmpfs where the test may mount one), named pipes, sockets and devices refused without blocking,
// links, the exact byte limits of names and paths, and the temporary files of processes that ended
// or run under another user. Built where POSIX is; file_set_test.cpp holds what runs everywhere.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "file_set_fixture.h"
#include "files/data_files.h"
#include "files/update_file.h"
#include "scripted_host.h"
#include "small_disk.h"
#include "temp_dir.h"

namespace kavira {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::FailedSave;
using test::ReadAll;
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
      failure->BoxText().Polish(),
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
  // A link to a device: the save would have written the scenes into it.
  fs::create_symlink("/dev/null", dir / "null.K3s");
  const struct {
    std::string name;
    std::string reason;
    fs::file_type type;  // what stays there
  } cases[] = {
      {"fifo.K3s", "it is a named pipe (FIFO), not a file", fs::file_type::fifo},
      {"sock.K3s", "it is a socket, not a file", fs::file_type::socket},
      {"folder.K3s", "it is a folder, not a file", fs::file_type::directory},
      {"null.K3s", "it is a device, not a file", fs::file_type::symlink},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = dir / c.name;
    ControllerImage image;
    image.Sceny[0][0] = 9;
    const auto load = LoadDataFile(path, DataArea::Scenes, image);
    ASSERT_TRUE(load.has_value());
    EXPECT_EQ(load->BoxText().Polish(), "Błąd otwarcia pliku !\n" + c.reason);
    EXPECT_EQ(image.Sceny[0][0], 9);
    const auto save = SaveDataFile(path, DataArea::Scenes, image);
    ASSERT_TRUE(save.has_value());
    EXPECT_EQ(save->BoxText().Polish(), "Błąd otwarcia pliku !\n" + c.reason);
    EXPECT_EQ(fs::symlink_status(path).type(), c.type);
  }
  ::close(sock);
  EXPECT_EQ(fs::read_symlink(dir / "null.K3s"), "/dev/null");
  const auto device = SaveDataFile("/dev/full", DataArea::Midi, ControllerImage{});
  ASSERT_TRUE(device.has_value());
  EXPECT_EQ(device->BoxText().Polish(), "Błąd otwarcia pliku !\nit is a device, not a file");
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
  EXPECT_EQ(load->BoxText().Polish(), "Błąd otwarcia pliku !\nToo many levels of symbolic links");
  const auto save = SaveDataFile(dir / "loop-a", DataArea::Midi, image);
  ASSERT_TRUE(save.has_value());
  EXPECT_EQ(save->BoxText().Polish(), "Błąd otwarcia pliku !\nToo many levels of symbolic links");
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

// A full disk without root tricks: the file size limit stops the write part way, as a full disk would.
TEST_F(FailedSave, RunningOutOfRoomKeepsTheOldFile) {
  struct sigaction ignore {};
  struct sigaction saved {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &saved), 0);
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small{4096, limit.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto failure = SaveDataFile(path_, DataArea::Scenes, ControllerImage{});
  ::setrlimit(RLIMIT_FSIZE, &limit);
  ::sigaction(SIGXFSZ, &saved, nullptr);

  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->kind, FileFailure::WriteFailed);
  EXPECT_EQ(failure->BoxText().Polish(), path_.string() + " :\nBłąd zapisu !\nFile too large");
  ExpectOldFileIntact();
}

// Root may write anything: the refusal is tried as an ordinary user, in a child process.
TEST_F(FailedSave, ReadOnlyFilesAreRefusedToOrdinaryUsers) {
  ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
  auto refused = [this] {
    const auto failure = SaveDataFile(path_, DataArea::Settings, ControllerImage{});
    return failure.has_value() && failure->text.Polish() == path_.string() + " :\nBrak dostępu do zapisu !";
  };
  if (::geteuid() != 0) {
    EXPECT_TRUE(refused());
  } else {
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0777), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(::setgid(65534) == 0 && ::setuid(65534) == 0 && refused() ? 0 : 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ExpectOldFileIntact();
}

TEST(DataFiles, ReplacingKeepsPermissionsAndLinks) {
  TempDir dir;
  WriteAll(dir / "plain", Bytes(10, 1));
  ASSERT_EQ(::chmod((dir / "plain").c_str(), 0640), 0);
  ASSERT_EQ(SaveDataFile(dir / "plain", DataArea::Settings, ControllerImage{}), std::nullopt);
  struct stat st {};
  ASSERT_EQ(::stat((dir / "plain").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640U);

  WriteAll(dir / "target", Bytes(10, 1));
  fs::create_symlink(dir / "target", dir / "link");
  ASSERT_EQ(SaveDataFile(dir / "link", DataArea::Midi, ControllerImage{}), std::nullopt);
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  EXPECT_EQ(fs::file_size(dir / "target"), 256U);
}

// An update file that is a named pipe is refused at once, whoever may or may not write into it.
TEST(UpdateFiles, ANamedPipeIsRefusedAtOnce) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe.upg").c_str(), 0644), 0);
  test::ScriptedHost host;
  host.files = {(dir / "pipe.upg").string()};
  FileDialogState dialog;
  EXPECT_FALSE(LoadUpdate(0, "2.05", host, dialog).has_value());
  ASSERT_EQ(host.boxes.size(), 1U);
  EXPECT_EQ(host.boxes[0].text, "Błąd otwarcia pliku !\nit is a named pipe (FIFO), not a file");
}

}  // namespace
}  // namespace kavira
