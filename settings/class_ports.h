#pragma once
// The ports a teacher can send one program to at once: COM1 to COM4, each
// with the device it resolves to here, then every other serial device found
// on this machine (USB adapters, running virtual robots), each device once.
// Only looks: nothing is opened (a built-in port's UART is read from sysfs),
// so listing raises no control line on any robot.
//
// Pure apart from reading set.ini, the device folder and the robots' records;
// any thread.

#include <string>
#include <vector>

#include "serial/port_resolver.h"

namespace vk47 {

struct ClassPort {
  std::string portname;  // what the port opens: "com1".."com4" or a device path
  std::string title;     // "COM1" .. "COM4", or the device path
  std::string device;    // the device it leads to ("" when it is refused)
  std::string kind;      // what the device is, in words ("USB アダプター", "仮想ロボット")
  bool present = false;  // there to be opened
};

// A serial device found on the system, with what it is.
struct FoundDevice {
  std::string device;
  std::string kind;
};

// The serial devices of this system besides COM1..COM4's candidates: POSIX:
// /dev/ttyUSB*, /dev/ttyACM* and the pseudo-terminals of running virtual
// robots that belong to this user (robot_presence.h), in natural order;
// Windows: \\.\COM5 to \\.\COM32 that the system knows.
std::vector<FoundDevice> FindSerialDevices();

// COM1..COM4 resolved through `ini_path`, then `others` whose device none of
// them leads to, each device once.
std::vector<ClassPort> ListClassPorts(const std::string& ini_path, const std::vector<FoundDevice>& others,
                                      const PortProbe& probe = PortProbe());

}  // namespace vk47
