#pragma once
// Which device a port name opens.
//  - a name that is an absolute path ("/dev/pts/3") is the device itself;
//  - "com1".."com4" (any letter case) is the device named under key "comN" of
//    section "devices" in set.ini when that value is not empty (a value that
//    is no absolute path is taken as a name in /dev), else the first present
//    of /dev/ttyUSB{N-1}, /dev/ttyACM{N-1}, /dev/ttyS{N-1} (a ttyS port with
//    no UART counts as absent), else /dev/ttyUSB{N-1}, so that an error can
//    name the device a pupil most likely has (a USB adapter);
//  - a set.ini device that a virtual robot wrote is refused once that robot
//    has ended (robot_mapping.h): its pseudo-terminal may be anyone's now;
//    when the robot had replaced a mapping, that mapping is put back first
//    and used (RestoreAfterEndedRobot), as the robot's own end would have;
//  - any other name is refused (serial/port_resolver.h).
// On Windows the same with the system's names: a bare set.ini value is a
// device name ("COM7" is \\.\COM7), the built-in device is \\.\COMN, and no
// virtual robot writes set.ini.
// Pure apart from reading set.ini and probing devices; any thread.

#include <string>
#include <vector>

#include "serial/port_resolver.h"

namespace vk47 {

inline constexpr const char* kDevicesSection = "devices";

// A set.ini that exists but cannot be read (no permission, no file
// descriptor left, no regular file) is refused as kSettingsUnreadable,
// naming the file and the system's reason: its mapping is unknown, so no
// built-in device stands in for it.
//
// Every device considered for `portname`, in the order considered; empty for
// a name that is refused or whose set.ini cannot be read. A device named in set.ini is the only candidate:
// it is used whether or not it exists, so a wrong entry shows up as a clear
// error.
std::vector<PortCandidate> PortCandidates(const std::string& portname, const std::string& ini_path,
                                          const PortProbe& probe = PortProbe());

// Where `portname` leads, or why it must not be opened.
ResolvedPort ResolvePortDevice(const std::string& portname, const std::string& ini_path,
                               const PortProbe& probe = PortProbe());

}  // namespace vk47
