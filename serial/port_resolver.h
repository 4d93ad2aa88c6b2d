#pragma once
// Maps the port names that the component keeps ("COM1", "com1".."com4") to the
// device that the platform opens. The application installs a resolver once at
// start-up (from the settings file); the comm backend calls ResolvePortName
// each time it opens a device. Any thread; the hook is guarded by a mutex.

#include <functional>
#include <string>

namespace vk47 {

using PortResolver = std::function<std::string(const std::string& portname)>;

// Installs the resolver; an empty function restores the default rule.
void SetPortResolver(PortResolver resolver);

// The device for portname, through the installed resolver or the default.
std::string ResolvePortName(const std::string& portname);

// The platform's default rule. POSIX: an absolute path stays as it is; "comN"
// (any letter case, N >= 1) becomes the first existing of /dev/ttyUSB{N-1},
// /dev/ttyACM{N-1}, /dev/ttyS{N-1}, else /dev/ttyUSB{N-1}; anything else stays.
// Windows: "comN" becomes "\\.\COMN"; anything else stays.
std::string DefaultPortName(const std::string& portname);

// The POSIX rule with the existence test supplied (for tests and settings/).
std::string PosixPortName(const std::string& portname,
                          const std::function<bool(const std::string& path)>& exists);

// N of "comN" (letter case ignored, N a decimal number >= 1), else 0.
int ComPortNumber(const std::string& portname);

}  // namespace vk47
