#include "settings/port_mapping.h"

#include "settings/profile.h"
#include "settings/robot_mapping.h"

namespace vk47 {
namespace {

PortProbe OrDefault(const PortProbe& probe) {
  if (probe) return probe;
  return [](const std::string& device) { return ProbePortDevice(device); };
}

std::string KeyOf(int com) { return "com" + std::to_string(com); }

// The set.ini device for COMn, "" when none is configured, nothing (with
// `reason`) when set.ini exists but cannot be read: its mapping is unknown,
// and the built-in device must not stand in for it. A bare name is one of
// the system's devices: "ttyUSB0" is /dev/ttyUSB0, and on Windows "COM7" is
// \\.\COM7.
std::optional<std::string> ConfiguredDevice(int com, const std::string& ini_path, std::string& reason) {
  // A robot killed without taking back its lines gives back what it had
  // replaced before anyone reads the mapping.
  RestoreAfterEndedRobot(ini_path, KeyOf(com));
  std::optional<std::string> configured = ReadPrivateProfileString(kDevicesSection, KeyOf(com), "", ini_path, reason);
  if (!configured) return std::nullopt;
  const std::optional<PortName> full = ParsePortName(*configured);
  if (configured->empty() || (full && full->com == 0)) return configured;
  return SystemDevicePath(*configured);
}

}  // namespace

std::vector<PortCandidate> PortCandidates(const std::string& portname, const std::string& ini_path,
                                          const PortProbe& probe) {
  const std::optional<PortName> name = ParsePortName(portname);
  if (!name) return {};
  const PortProbe present = OrDefault(probe);
  if (name->com == 0) return {{name->path, present(name->path), "absolute path"}};
  std::string reason;
  const std::optional<std::string> configured = ConfiguredDevice(name->com, ini_path, reason);
  if (!configured) return {};
  if (!configured->empty()) {
    return {{*configured, present(*configured), "set.ini [devices] " + KeyOf(name->com)}};
  }
  return BuiltInPortCandidates(name->com, present);
}

ResolvedPort ResolvePortDevice(const std::string& portname, const std::string& ini_path,
                               const PortProbe& probe) {
  const std::optional<PortName> name = ParsePortName(portname);
  if (!name) return RefusedPort(CommErrorKind::kBadPortName, portname);
  if (name->com != 0) {
    std::string reason;
    const std::optional<std::string> configured = ConfiguredDevice(name->com, ini_path, reason);
    if (!configured) return RefusedPort(CommErrorKind::kSettingsUnreadable, ini_path, reason);
    if (!configured->empty() &&
        RobotLinkStateOf(ini_path, KeyOf(name->com), *configured) == RobotLinkState::kGone) {
      return RefusedPort(CommErrorKind::kRobotGone, *configured);
    }
  }
  return PortDevice(ChoosePortCandidate(PortCandidates(portname, ini_path, probe)).device);
}

}  // namespace vk47
