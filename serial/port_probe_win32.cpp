// Which device stands for a port name on Windows, and whether it is there:
// "comN" is \\.\COMN, the form that also reaches COM10 and above, and a COM
// port is there when the system has a DOS device of that name. Nothing is
// opened to find out.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "serial/port_resolver.h"
#include "serial/wide_name_win32.h"

namespace vk47 {

// A device path in full: /..., \\.\COM7, \\?\... or C:\...
bool IsAbsoluteDevicePath(std::string_view text) {
  if (text.starts_with('/') || text.starts_with("\\\\")) return true;
  return text.size() > 2 && text[1] == ':' && (text[2] == '\\' || text[2] == '/');
}

std::string SystemDevicePath(const std::string& name) { return "\\\\.\\" + name; }

std::vector<PortCandidate> BuiltInPortCandidates(int com, const PortProbe& probe) {
  std::vector<PortCandidate> candidates = {
      {"\\\\.\\COM" + std::to_string(com), PortPresence::kMissing, "COM port"},
  };
  for (PortCandidate& candidate : candidates) candidate.presence = probe(candidate.device);
  return candidates;
}

// "comN" becomes "\\.\COMN", the form that also reaches COM10 and above.
ResolvedPort DefaultResolvePort(const std::string& portname) {
  const std::optional<PortName> name = ParsePortName(portname);
  if (!name) return RefusedPort(CommErrorKind::kBadPortName, portname);
  if (name->com == 0) return PortDevice(name->path);
  return PortDevice("\\\\.\\COM" + std::to_string(name->com));
}

std::string DeviceDisplayName(const std::string& device) {
  constexpr std::string_view kDevicePrefix = "\\\\.\\";
  if (device.size() > kDevicePrefix.size() && device.starts_with(kDevicePrefix)) {
    return device.substr(kDevicePrefix.size());
  }
  return device;
}

// A COM port is there when the system has a device of that name; anything
// else named in full when it exists. Nothing is opened, so a port that
// another program holds counts as present.
PortPresence ProbePortDevice(const std::string& device, const SerialIoctl&) {
  constexpr std::string_view kDevicePrefix = "\\\\.\\";
  if (device.starts_with(kDevicePrefix)) {
    wchar_t target[512];
    const std::wstring name = Widen(device.substr(kDevicePrefix.size()));
    return QueryDosDeviceW(name.c_str(), target, 512) != 0 ? PortPresence::kPresent : PortPresence::kMissing;
  }
  return GetFileAttributesW(Widen(device).c_str()) != INVALID_FILE_ATTRIBUTES ? PortPresence::kPresent
                                                                              : PortPresence::kMissing;
}

std::optional<ActingUser> UserActedFor() { return std::nullopt; }

ResolvedPort OnlyWhatUserMayOpen(ResolvedPort resolved, const ActingUser&) { return resolved; }

ResolvedPort OnlyWhatTheUserActedForMayOpen(ResolvedPort resolved) { return resolved; }

}  // namespace vk47
