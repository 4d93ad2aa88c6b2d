#pragma once
// Port names and the devices they open.
//
// A port name is "com1".."com4" in any letter case, or an absolute device path
// ("/dev/pts/3", "\\.\COM7"). ParsePortName is the one parser of that rule for
// the window, the tools and the resolvers; anything else (com0, com01, com5, a
// relative path, an empty name) is refused and never opened, so a typing slip
// cannot create or open a file in the working folder.
//
// The application installs a resolver once at start-up (from the settings
// file); the comm backend calls ResolvePort each time it opens a device. A
// resolver may refuse a name with a reason (a malformed name, a virtual robot
// that is no longer running), and then nothing is opened. Any thread; the
// hook is guarded by a mutex.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "serial/comm_device.h"

namespace vk47 {

inline constexpr int kComPortCount = 4;

struct PortName {
  int com = 0;       // 1..4 for "comN", 0 for a device path
  std::string path;  // the absolute device path when com == 0
};

// "com1".."com4" (any letter case) or an absolute path; nothing otherwise.
std::optional<PortName> ParsePortName(std::string_view text);

// How the accepted names are written, for usage and error texts.
inline constexpr const char* kPortNameRule = "COM1〜COM4 か、/ で始まるデバイスのパス";

// Where a port name leads, or why it leads nowhere.
struct ResolvedPort {
  std::string device;  // the device to open; empty when refused
  CommErrorKind refusal = CommErrorKind::kNone;
  std::string detail;  // what the refusal concerns, for the message
  std::string explanation;  // more about a refusal, for a teacher (may be empty)
  bool refused() const { return refusal != CommErrorKind::kNone; }
};

inline ResolvedPort PortDevice(std::string device) {
  return {std::move(device), CommErrorKind::kNone, {}, {}};
}
inline ResolvedPort RefusedPort(CommErrorKind why, std::string detail, std::string explanation = {}) {
  return {{}, why, std::move(detail), std::move(explanation)};
}

using PortResolver = std::function<ResolvedPort(const std::string& portname)>;

// Installs the resolver; an empty function restores the default rule.
void SetPortResolver(PortResolver resolver);

// The device for portname, through the installed resolver or the default;
// on a thread with a PinnedResolution for that name, the pinned answer.
ResolvedPort ResolvePort(const std::string& portname);

// While it lives, ResolvePort on this thread answers `portname` with
// `resolved` and asks no resolver. A command that has chosen its device once
// (and named it to the user) opens exactly that device, even if set.ini or a
// robot's link changes between the choice and the open. Pins nest; each
// restores the one before it.
class PinnedResolution {
 public:
  PinnedResolution(std::string portname, ResolvedPort resolved);
  ~PinnedResolution();
  PinnedResolution(const PinnedResolution&) = delete;
  PinnedResolution& operator=(const PinnedResolution&) = delete;

 private:
  friend ResolvedPort ResolvePort(const std::string& portname);
  std::string portname_;
  ResolvedPort resolved_;
  PinnedResolution* outer_;
};

// The platform's default rule. POSIX: an absolute path stays as it is; "comN"
// becomes the first present of BuiltInPortCandidates, else /dev/ttyUSB{N-1}.
// Windows: "comN" becomes "\\.\COMN". A malformed name is refused.
ResolvedPort DefaultResolvePort(const std::string& portname);

// The device as a user knows it, for the status bar and messages. Windows:
// "\\.\COM7" is "COM7" (the device namespace prefix is an implementation
// detail); POSIX: the path as it is.
std::string DeviceDisplayName(const std::string& device);

// Whether a device is there to be opened.
enum class PortPresence {
  kMissing,  // no such device file
  kPresent,
  kNoUart,   // a built-in port's device file with no UART behind it
};

using PortProbe = std::function<PortPresence(const std::string& device)>;

struct PortCandidate {
  std::string device;
  PortPresence presence = PortPresence::kMissing;
  std::string source;  // why this device is considered, in words for the user
  bool exists() const { return presence == PortPresence::kPresent; }
};

// The platform's parts of port naming, in port_probe_posix.cpp and
// port_probe_win32.cpp (CMake picks one): whether a name is a device path in
// full ("/dev/ttyUSB0"; on Windows also "\\.\COM7" and "C:\..."), and the
// device of a bare name from set.ini ("ttyUSB0" is /dev/ttyUSB0, on Windows
// "COM7" is \\.\COM7).
bool IsAbsoluteDevicePath(std::string_view text);
std::string SystemDevicePath(const std::string& name);

// The devices that stand for COMn, in the order they are tried. POSIX:
// /dev/ttyUSB{n-1}, /dev/ttyACM{n-1}, /dev/ttyS{n-1}; Windows: \\.\COMn.
std::vector<PortCandidate> BuiltInPortCandidates(int com, const PortProbe& probe);

// The candidate that is used: the first present one, else the first one.
PortCandidate ChoosePortCandidate(const std::vector<PortCandidate>& candidates);

// The platform's probe: a device file that exists, and for /dev/ttyS* one
// whose UART type (TIOCGSERIAL) is known. `ioctl` is injected by tests.
// Windows: a \\.\COMn the system knows (QueryDosDevice), or a file that
// exists; `ioctl` is not used.
using SerialIoctl = std::function<int(int fd, unsigned long request, void* argument)>;
PortPresence ProbePortDevice(const std::string& device, const SerialIoctl& ioctl = {});
// POSIX: the UART type that sysfs reports for a built-in port's device
// ("/dev/ttyS0" → <sysfs_tty>/ttyS0/type), read without opening the device;
// nothing when sysfs has no such entry. ProbePortDevice asks it first and
// opens the device for TIOCGSERIAL only when sysfs cannot say.
std::optional<int> BuiltInUartType(const std::string& device,
                                   const std::string& sysfs_tty = "/sys/class/tty");
// The UART check alone, on any device path: kNoUart when TIOCGSERIAL reports
// an unknown UART type, else kPresent (a device that cannot be opened or
// asked counts as present, so that opening it reports the real reason).
PortPresence ProbeUart(const std::string& device, const SerialIoctl& ioctl = {});

// The account that root acts for: the owner of $HOME when the program runs
// as root and $HOME belongs to another user (a teacher's batch job in a
// pupil's folder, reading the pupil's set.ini). Nothing otherwise, and
// never on Windows.
struct ActingUser {
  unsigned uid = 0;
  std::string name;  // the login name, or the number when it has none
};
std::optional<ActingUser> UserActedFor();

// `resolved` as it is, unless root acts for a user (UserActedFor) who could
// not open its device for reading and writing by the file's owner, group
// and mode: then refused (kNotTheUsers), naming the device, with the user's
// name as `explanation`. Root then sends nowhere the pupil could not.
ResolvedPort OnlyWhatTheUserActedForMayOpen(ResolvedPort resolved);
ResolvedPort OnlyWhatUserMayOpen(ResolvedPort resolved, const ActingUser& user);

// What tells two names of one device apart from two devices: the same text
// for "/dev/pts/3" and "/dev/../dev/pts/3" (POSIX: the character device's
// number), for \\.\COM3 and \\.\com3 (Windows); nothing when the device
// cannot be looked at (it then counts as a device of its own).
std::optional<std::string> DeviceIdentity(const std::string& device);

}  // namespace vk47
