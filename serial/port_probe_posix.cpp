// Which device stands for a port name on a POSIX system, and whether it is
// really there. A PC's built-in serial ports (/dev/ttyS0..) have device files
// whether or not a UART sits behind them; a write to such a phantom port
// "succeeds" into nothing, so a port whose UART type is unknown counts as
// absent, as the serial-port enumeration of common toolkits does.

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/serial.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include "serial/port_resolver.h"

namespace vk47 {
namespace {

// The UART type of a port with no UART behind it, in sysfs and TIOCGSERIAL.
#if defined(__linux__)
constexpr int kUnknownUartType = PORT_UNKNOWN;
#else
constexpr int kUnknownUartType = 0;
#endif

// "/dev/ttyS12" and the like: the ports whose device file proves nothing.
bool IsBuiltInPortDevice(const std::string& device) {
  constexpr std::string_view kStem = "/dev/ttyS";
  if (!std::string_view(device).starts_with(kStem) || device.size() == kStem.size()) return false;
  for (std::size_t i = kStem.size(); i < device.size(); ++i) {
    if (device[i] < '0' || device[i] > '9') return false;
  }
  return true;
}

}  // namespace

PortPresence ProbeUart(const std::string& device, const SerialIoctl& ioctl) {
#if defined(__linux__) && defined(TIOCGSERIAL)
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return PortPresence::kPresent;
  serial_struct serial;
  std::memset(&serial, 0, sizeof serial);
  const int rc = ioctl ? ioctl(fd, TIOCGSERIAL, &serial) : ::ioctl(fd, TIOCGSERIAL, &serial);
  ::close(fd);
  if (rc == 0 && serial.type == PORT_UNKNOWN) return PortPresence::kNoUart;
#else
  (void)device;
  (void)ioctl;
#endif
  return PortPresence::kPresent;
}

std::optional<int> BuiltInUartType(const std::string& device, const std::string& sysfs_tty) {
  const std::size_t slash = device.rfind('/');
  std::ifstream in(sysfs_tty + "/" + device.substr(slash + 1) + "/type");
  int type = -1;
  if (!(in >> type) || type < 0) return std::nullopt;
  return type;
}

PortPresence ProbePortDevice(const std::string& device, const SerialIoctl& ioctl) {
  struct stat info {};
  if (::stat(device.c_str(), &info) != 0) return PortPresence::kMissing;
  // Only a built-in port's device file proves nothing: adapters' files come
  // and go with the hardware, and a named path is used as named.
  if (!IsBuiltInPortDevice(device)) return PortPresence::kPresent;
  // The kernel says it in sysfs without an open; opening a real port raises
  // DTR and RTS, which the window's periodic look at the port must not do.
  if (!ioctl) {
    if (const std::optional<int> type = BuiltInUartType(device)) {
      return *type == kUnknownUartType ? PortPresence::kNoUart : PortPresence::kPresent;
    }
  }
  return ProbeUart(device, ioctl);
}

bool IsAbsoluteDevicePath(std::string_view text) { return text.starts_with('/'); }

std::string SystemDevicePath(const std::string& name) { return "/dev/" + name; }

std::vector<PortCandidate> BuiltInPortCandidates(int com, const PortProbe& probe) {
  const std::string index = std::to_string(com - 1);
  std::vector<PortCandidate> candidates = {
      {"/dev/ttyUSB" + index, PortPresence::kMissing, "USB serial adapter"},
      {"/dev/ttyACM" + index, PortPresence::kMissing, "USB CDC-ACM device"},
      {"/dev/ttyS" + index, PortPresence::kMissing, "built-in serial port"},
  };
  for (PortCandidate& candidate : candidates) candidate.presence = probe(candidate.device);
  return candidates;
}

std::string DeviceDisplayName(const std::string& device) { return device; }

ResolvedPort DefaultResolvePort(const std::string& portname) {
  const std::optional<PortName> name = ParsePortName(portname);
  if (!name) return RefusedPort(CommErrorKind::kBadPortName, portname);
  if (name->com == 0) return PortDevice(name->path);
  const std::vector<PortCandidate> candidates =
      BuiltInPortCandidates(name->com, [](const std::string& device) { return ProbePortDevice(device); });
  return PortDevice(ChoosePortCandidate(candidates).device);
}

std::optional<ActingUser> UserActedFor() {
  if (::geteuid() != 0) return std::nullopt;
  const char* home = std::getenv("HOME");
  struct stat info {};
  if (!home || !*home || ::stat(home, &info) != 0 || info.st_uid == 0) return std::nullopt;
  ActingUser user{static_cast<unsigned>(info.st_uid), std::to_string(info.st_uid)};
  if (const passwd* entry = ::getpwuid(info.st_uid)) user.name = entry->pw_name;
  return user;
}

ResolvedPort OnlyWhatUserMayOpen(ResolvedPort resolved, const ActingUser& user) {
  if (resolved.refused()) return resolved;
  struct stat info {};
  // A device that is not there is left for the open to report as missing.
  if (::stat(resolved.device.c_str(), &info) != 0) return resolved;
  const uid_t uid = static_cast<uid_t>(user.uid);
  mode_t granted = info.st_mode & (S_IROTH | S_IWOTH);
  if (uid == 0) return resolved;
  if (info.st_uid == uid) {
    granted = (info.st_mode & (S_IRUSR | S_IWUSR)) >> 6;
  } else {
    // The user's groups as at login: the primary one and the others.
    std::vector<gid_t> groups;
    if (const passwd* entry = ::getpwuid(uid)) {
      int count = 64;
      groups.resize(static_cast<std::size_t>(count));
      if (::getgrouplist(entry->pw_name, entry->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        ::getgrouplist(entry->pw_name, entry->pw_gid, groups.data(), &count);
      }
      groups.resize(static_cast<std::size_t>(std::max(count, 0)));
    }
    if (std::find(groups.begin(), groups.end(), info.st_gid) != groups.end()) {
      granted = (info.st_mode & (S_IRGRP | S_IWGRP)) >> 3;
    }
  }
  if ((granted & (S_IROTH | S_IWOTH)) == (S_IROTH | S_IWOTH)) return resolved;
  return RefusedPort(CommErrorKind::kNotTheUsers, resolved.device, user.name);
}

ResolvedPort OnlyWhatTheUserActedForMayOpen(ResolvedPort resolved) {
  const std::optional<ActingUser> user = UserActedFor();
  return user ? OnlyWhatUserMayOpen(std::move(resolved), *user) : resolved;
}

std::optional<std::string> DeviceIdentity(const std::string& device) {
  struct stat info {};
  if (::stat(device.c_str(), &info) != 0) return std::nullopt;
  // Two device files of one character device reach the same line.
  if (S_ISCHR(info.st_mode)) return "c" + std::to_string(info.st_rdev);
  return "f" + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

}  // namespace vk47
