// kaviraob-cli on a terminal: the firmware questions are answered from it, and progress is a bar.
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli_test_support.h"

namespace kavira::test {
namespace {

struct TerminalRun {
  int exitCode = -1;
  std::string screen;  // everything the program wrote to the terminal, and the echo of the answers
};

// Runs the program on a new terminal (standard input, output and error) and types `answer` when it
// asks its first question.
TerminalRun RunOnTerminal(const std::vector<std::string>& args, const std::string& answer) {
  TerminalRun run;
  int master = -1;
  const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    std::vector<char*> argv{const_cast<char*>("kaviraob-cli")};
    for (const std::string& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(KAVIRAOB_CLI, argv.data());
    ::_exit(127);
  }
  EXPECT_GT(pid, 0);
  if (pid <= 0) return run;
  bool answered = false;
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 60000) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    char buf[4096];
    const ssize_t n = ::read(master, buf, sizeof buf);
    if (n <= 0) break;  // the program has ended and closed the terminal
    run.screen.append(buf, static_cast<std::size_t>(n));
    if (!answered && run.screen.find("[t/N]") != std::string::npos) {
      answered = true;
      EXPECT_EQ(::write(master, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::close(master);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class CliTerminalTest : public CliTest {};

TEST_F(CliTerminalTest, TheQuestionIsAnsweredOnTheTerminalAndProgressIsABar) {
  const std::string hex = ":10000000101112131415161718191A1B1C1D1E1F78\n:00000001FF\n";
  WriteFile(path("fw.hex"), Bytes(hex.begin(), hex.end()));
  const std::string upg = path("qz418-2.00.upg");
  ASSERT_EQ(RunCli(Args({"pack-update", path("fw.hex"), "--version", "2.00", "-o", upg})).exitCode, 0);

  struct Case {
    const char* answer;
    int exitCode;
    std::size_t frames;  // the version; or the version, a line written and read back, the version
  };
  const Case cases[] = {{"n\n", 1, 1}, {"\n", 1, 1}, {"TAK\n", 0, 4}, {"t\n", 0, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    controller([](SimController& s) { s.clearReceived(); });
    const TerminalRun run = RunOnTerminal({"--port", port(), "firmware", "install", upg}, c.answer);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.screen;
    EXPECT_NE(
        run.screen.find("Jesteś pewien ?\r\nCzy chcesz zainstalować w swoim Kavira-Oxbrine\r\nfirmware w "
                        "wersji 2.00 ? [t/N]"),
        std::string::npos)
        << run.screen;
    EXPECT_EQ(frameCount(), c.frames);
    if (c.exitCode == 0) {
      // The bar redraws its line and ends full.
      EXPECT_NE(run.screen.find("\rZapis do Qz418: FirmWare [########################] 1/1 lines"),
                std::string::npos)
          << run.screen;
      EXPECT_NE(run.screen.find("\rWeryfikacja: FirmWare [########################] 1/1 lines"),
                std::string::npos)
          << run.screen;
    }
  }
}

}  // namespace
}  // namespace kavira::test
