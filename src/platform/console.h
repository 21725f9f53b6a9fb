// The console kaviraob-cli runs in: whether a standard stream is a terminal, one byte typed on
// standard input, and the requests to stop that reach the program from the console or the system.
//
// Ctrl+C arrives as SIGINT on every system (Windows consoles raise it too); SIGTERM and SIGHUP exist
// only on POSIX systems, and Windows' console close, logoff and shutdown events stand for them
// there. A request only sets a flag and wakes whoever waits: the work stops at its next step.
#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <vector>

namespace kavira {

// The program's arguments after its name, in UTF-8. POSIX systems pass bytes, taken as they are (a
// file name need not be valid UTF-8 there); Windows passes UTF-16, which argv would squeeze through
// the narrow code page, so there they come from Qt's (QCoreApplication must exist).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

enum class StdStream { In, Out, Err };

// Whether the stream is a terminal (a console on Windows) rather than a file or a pipe.
bool IsTerminal(StdStream stream);

// One byte of standard input, waiting for it. End when the input has ended or failed; Interrupted
// when a stop request came while waiting.
enum class InputRead { Byte, End, Interrupted };
InputRead ReadInputByte(char& byte);

// While one exists, stop requests are caught: StopRequested() turns true, `requested` is emitted on
// the thread that made the watch (through its event loop), and wait() returns. The handlers that
// were there before come back when it goes. One at a time.
class StopWatch final : public QObject {
  Q_OBJECT
 public:
  StopWatch();
  ~StopWatch() override;
  StopWatch(const StopWatch&) = delete;
  StopWatch& operator=(const StopWatch&) = delete;

  // Blocks without an event loop until a stop request arrives or wake() is called.
  void wait();
  // Ends a wait(); safe from any thread.
  void wake();

 signals:
  void requested();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Whether a stop request has arrived since the last StopWatch was made, and its name ("SIGINT").
bool StopRequested();
std::string StopRequestName();

// Makes a write beyond the file size limit (ulimit -f) fail with EFBIG, as on a full disk, instead of
// ending the program at once with SIGXFSZ and leaving a temporary file behind: the file layer then
// keeps the old files and says why. For the start of main(); nothing to do where there is no such
// signal.
void IgnoreFileSizeSignal();

}  // namespace kavira
