// The console on Windows: _isatty(), ReadFile on the standard input handle, and the console's control
// events (Ctrl+C, Ctrl+Break, closing the console, logoff, shutdown) caught by a handler, which
// Windows runs on a thread of its own: it sets the flag, signals an event and queues the Qt signal.
#include <io.h>
#include <windows.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QStringList>
#include <atomic>

#include "platform/console.h"

namespace kavira {
namespace {

std::atomic<DWORD> gEvent{0};  // the control event + 1; 0 for none
std::atomic<StopWatch*> gWatch{nullptr};
HANDLE gWake = nullptr;

BOOL WINAPI OnConsoleControl(DWORD event) {
  gEvent = event + 1;
  if (gWake != nullptr) ::SetEvent(gWake);
  if (StopWatch* watch = gWatch.load()) QMetaObject::invokeMethod(watch, "requested", Qt::QueuedConnection);
  // Closing the console ends the program when the handler returns: give the run a moment to stop.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) ::Sleep(2000);
  return TRUE;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  const QStringList all = QCoreApplication::arguments();
  std::vector<std::string> args;
  for (qsizetype i = 1; i < all.size(); ++i)
    args.push_back(all[i].toStdString());
  return args;
}

bool IsTerminal(StdStream stream) {
  const int fd = stream == StdStream::In ? 0 : stream == StdStream::Out ? 1 : 2;
  return ::_isatty(fd) != 0;
}

InputRead ReadInputByte(char& byte) {
  // Ctrl+C ends a console read with no bytes and ERROR_OPERATION_ABORTED.
  DWORD got = 0;
  const BOOL ok = ::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &got, nullptr);
  if (ok && got == 1) return InputRead::Byte;
  if (gEvent != 0) return InputRead::Interrupted;
  if (!ok && ::GetLastError() == ERROR_OPERATION_ABORTED) {
    ::Sleep(50);  // the control handler runs on its own thread, a moment later
    if (gEvent != 0) return InputRead::Interrupted;
  }
  return InputRead::End;
}

struct StopWatch::Impl {};

StopWatch::StopWatch() : impl_(std::make_unique<Impl>()) {
  gEvent = 0;
  gWake = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  gWatch = this;
  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopWatch::~StopWatch() {
  ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  gWatch = nullptr;
  if (gWake != nullptr) ::CloseHandle(gWake);
  gWake = nullptr;
}

void StopWatch::wait() {
  if (gWake != nullptr) ::WaitForSingleObject(gWake, INFINITE);
}

void StopWatch::wake() {
  if (gWake != nullptr) ::SetEvent(gWake);
}

bool StopRequested() {
  return gEvent != 0;
}

std::string StopRequestName() {
  switch (gEvent.load()) {
    case 0:
      return {};
    case CTRL_C_EVENT + 1:
      return "SIGINT";  // Ctrl+C, as on every other system
    case CTRL_BREAK_EVENT + 1:
      return "Ctrl+Break";
    case CTRL_CLOSE_EVENT + 1:
      return "console closed";
    default:
      return "logoff or shutdown";
  }
}

// Windows has no file size limit of this kind, nor its signal.
void IgnoreFileSizeSignal() {}

}  // namespace kavira
