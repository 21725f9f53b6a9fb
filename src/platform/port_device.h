// What stands behind a port name: the device it opens, what that is when it is no serial port, and
// the lock file through which QtSerialPort keeps two programs off one port.
//
// QtSerialPort locks a port with a QLockFile "LCK..NAME" in the first lock folder it may use
// (/var/lock on most systems). The owner writes its process id, program name and host name into it
// and holds flock() on it from the moment it has created it. A program killed at once leaves the
// file behind, possibly still empty; Qt takes an empty lock file for a live one until it is 30 s old.
// Here a lock whose owner is gone is recognised at once and removed, and a lock that is really held
// is named, with its owner, for the message.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "model/message.h"

namespace kavira {

// The device path QtSerialPort opens for `name`: "/dev/" + name for a bare name such as ttyUSB0, the
// name itself for a path (one that starts with "/", "./" or "../"). On Windows the name itself.
std::string PortDevicePath(const std::string& name);

// The path of the device itself: PortDevicePath with every link on the way followed
// (/dev/serial/by-id/usb-... and ./ttyLink lead to /dev/ttyUSB0), so that every path to one port
// names one lock file. QtSerialPort is given this path. PortDevicePath where it cannot be resolved
// (nothing there); on Windows the name itself.
std::string CanonicalPortPath(const std::string& name);

// When the port's path names something that is no device at all: the errno value that fits it and
// what the thing is, for the user; nothing for a device (or where it cannot be told).
struct NotAPort {
  int error = 0;         // EISDIR for a folder, ENOTTY for a file, a pipe or a socket, ENOENT when missing
  bool missing = false;  // nothing there at all
  Message what;          // "/tmp/x to folder, a nie port szeregowy."
};
std::optional<NotAPort> CheckPortPath(const std::string& name);

// Whether this user may not open the port's device for reading and writing (its permissions). On
// Windows always false: a port that refuses access there is held by another program.
bool PortAccessDenied(const std::string& name);

// The lock file QtSerialPort uses for the port when it opens CanonicalPortPath(name), or "" where
// there is none (Windows).
std::string PortLockPath(const std::string& name);

// The owner a lock file names, as far as it names one.
struct LockOwner {
  long pid = 0;  // 0 when the file names none (empty, or not written yet)
  std::string program;
  std::string host;
};
std::optional<LockOwner> ParseLockFile(const std::string& contents);

// How old an empty lock file must be before it counts as left behind: its creator takes flock() on
// it within microseconds of creating it, so anything older without a flock() has no owner.
inline constexpr std::chrono::milliseconds kFreshLockAge{100};

// Removes the port's lock file when nobody holds it: no process keeps flock() on it, and it names no
// process of this host that still runs (or it is empty and older than kFreshLockAge). True when a
// lock file was removed.
bool ClearStaleLock(const std::string& name);

// Why the port is busy, for the user: the process that holds its lock file and the file, or that
// another program has the device open on its own. Polish, as the window program shows it.
Message BusyHint(const std::string& name);

}  // namespace kavira
