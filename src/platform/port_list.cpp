#include "platform/port_list.h"

#if defined(__linux__)
#include <grp.h>
#include <sys/stat.h>
#endif

#include <QSerialPortInfo>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "model/texts.h"
#include "platform/low_latency.h"
#include "platform/port_device.h"

namespace kavira {
namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Canonical(const std::string& path) {
  std::error_code ec;
  const auto c = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : c.string();
}

}  // namespace

int PortSort(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(Lower(a[i]));
    const auto cb = static_cast<unsigned char>(Lower(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::optional<std::vector<SystemPort>> ListSystemPorts() {
#if defined(__linux__)
  // Qt lists Linux serial ports from sysfs; without it the system gives us no list at all.
  std::error_code ec;
  if (!std::filesystem::is_directory("/sys/class/tty", ec)) return std::nullopt;
#endif
  std::vector<SystemPort> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    ports.push_back({info.portName().toStdString(), info.systemLocation().toStdString()});
  }
  return ports;
}

std::string DescribePortDevice(const std::string& name) {
  const std::string device = Canonical(PortDevicePath(name));
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    if (Canonical(info.systemLocation().toStdString()) != device && info.portName().toStdString() != name)
      continue;
    std::string text;
    auto add = [&text](const std::string& part) {
      if (!part.empty()) text += (text.empty() ? "" : ", ") + part;
    };
    add(info.manufacturer().toStdString());
    add(info.description().toStdString());
    if (info.hasVendorIdentifier() && info.hasProductIdentifier())
      add("USB " + QStringLiteral("%1:%2")
                       .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                       .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'))
                       .toStdString());
    if (const auto driver = PortDriver(device)) add("driver " + *driver);
    return text;
  }
  return {};
}

std::vector<std::string> FallbackPortList() {
#ifdef _WIN32
  return {"COM1", "COM2"};
#else
  return {"/dev/ttyS0", "/dev/ttyS1"};
#endif
}

std::vector<std::string> BuildPortList(const std::optional<std::vector<SystemPort>>& system,
                                       const std::vector<std::string>& given) {
  std::vector<std::string> list;
  std::vector<std::string> givenPaths;
  for (const std::string& g : given) {
    if (g.empty() || std::find(list.begin(), list.end(), g) != list.end()) continue;
    list.push_back(g);
    givenPaths.push_back(Canonical(PortDevicePath(g)));
  }
  auto isGiven = [&](const std::string& name, const std::string& location) {
    if (std::find(list.begin(), list.end(), name) != list.end()) return true;
    const std::string path = Canonical(location.empty() ? PortDevicePath(name) : location);
    return std::find(givenPaths.begin(), givenPaths.end(), path) != givenPaths.end();
  };
  if (!system) {
    for (const std::string& f : FallbackPortList()) {
      if (!isGiven(f, f)) list.push_back(f);
    }
    return list;
  }
  std::vector<SystemPort> sorted = *system;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const SystemPort& a, const SystemPort& b) { return PortSort(a.name, b.name) < 0; });
  for (const SystemPort& p : sorted) {
    if (!p.name.empty() && !isGiven(p.name, p.location)) list.push_back(p.name);
  }
  return list;
}

std::vector<std::string> SystemPortList(const std::vector<std::string>& given) {
  return BuildPortList(ListSystemPorts(), given);
}

Message PermissionHint(const std::string& portName, int error) {
#if defined(__linux__)
  if (error != EACCES && error != EPERM) return {};
  const std::string path = PortDevicePath(portName);
  std::string group = "dialout";
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && st.st_gid != 0) {
    if (const struct group* g = ::getgrgid(st.st_gid); g != nullptr && g->gr_name != nullptr)
      group = g->gr_name;
  }
  return Message(Texts::kNoPermission, {path, group});
#else
  (void)portName;
  (void)error;
  return {};
#endif
}

}  // namespace kavira
