#pragma once
// Which device a port name opens on a POSIX system.
//  - a name that is an absolute path ("/dev/pts/3") is the device itself;
//  - "comN" (any letter case, N >= 1 without leading zero) is the device named
//    under key "comN" of section "devices" in set.ini when that value is not
//    empty (a value that is no absolute path is taken as a name in /dev), else
//    the first existing of /dev/ttyUSB{N-1}, /dev/ttyACM{N-1},
//    /dev/ttyS{N-1}, else /dev/ttyUSB{N-1}, so that an error can name the
//    device a pupil most likely has (a USB adapter);
//  - any other name is returned unchanged.
// Pure apart from reading set.ini and asking whether devices exist; any thread.

#include <functional>
#include <string>
#include <vector>

namespace vk47 {

inline constexpr const char* kDevicesSection = "devices";

// Tells whether a device path exists; tests pass a fake.
using DeviceExists = std::function<bool(const std::string& device)>;

// Asks the file system (symbolic links followed, as /dev/serial/by-id uses them).
bool DeviceExistsOnDisk(const std::string& device);

struct PortCandidate {
  std::string device;
  bool exists = false;
  std::string source;  // why this device is considered, in words for the user
};

// Every device considered for `portname`, in the order considered; never
// empty. A device named in set.ini is the only candidate: it is used whether
// or not it exists, so a wrong entry shows up as a clear error.
std::vector<PortCandidate> PortCandidates(const std::string& portname,
                                          const std::string& ini_path,
                                          const DeviceExists& exists = DeviceExistsOnDisk);

// The candidate that is used: the first existing one, else the first one.
PortCandidate ChoosePortCandidate(const std::vector<PortCandidate>& candidates);

// The device path to open for `portname`.
std::string ResolvePortDevice(const std::string& portname, const std::string& ini_path);
std::string ResolvePortDevice(const std::string& portname, const std::string& ini_path,
                              const DeviceExists& exists);

}  // namespace vk47
