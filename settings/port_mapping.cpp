#include "settings/port_mapping.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "settings/profile.h"

namespace vk47 {
namespace {

// N of "comN" in any letter case, N >= 1 without leading zero; else nothing.
std::optional<int> ComNumber(const std::string& name) {
  if (name.size() < 4 || name.size() > 8) return std::nullopt;
  for (int i = 0; i < 3; ++i) {
    if ((name[i] | 0x20) != "com"[i]) return std::nullopt;
  }
  if (name[3] == '0') return std::nullopt;
  int number = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

PortCandidate Candidate(std::string device, std::string source, const DeviceExists& exists) {
  const bool present = exists(device);
  return {std::move(device), present, std::move(source)};
}

}  // namespace

bool DeviceExistsOnDisk(const std::string& device) {
  std::error_code ec;
  return std::filesystem::exists(device, ec) && !ec;
}

std::vector<PortCandidate> PortCandidates(const std::string& portname,
                                          const std::string& ini_path,
                                          const DeviceExists& exists) {
  if (portname.starts_with('/')) return {Candidate(portname, "absolute path", exists)};
  const std::optional<int> number = ComNumber(portname);
  if (!number) return {Candidate(portname, "name used as given", exists)};

  const std::string key = "com" + std::to_string(*number);
  std::string configured = GetPrivateProfileString(kDevicesSection, key, "", ini_path);
  if (!configured.empty()) {
    if (!configured.starts_with('/')) configured = "/dev/" + configured;
    return {Candidate(configured, "set.ini [devices] " + key, exists)};
  }
  const std::string index = std::to_string(*number - 1);
  return {Candidate("/dev/ttyUSB" + index, "USB serial adapter", exists),
          Candidate("/dev/ttyACM" + index, "USB CDC-ACM device", exists),
          Candidate("/dev/ttyS" + index, "built-in serial port", exists)};
}

PortCandidate ChoosePortCandidate(const std::vector<PortCandidate>& candidates) {
  for (const PortCandidate& candidate : candidates) {
    if (candidate.exists) return candidate;
  }
  return candidates.empty() ? PortCandidate{} : candidates.front();
}

std::string ResolvePortDevice(const std::string& portname, const std::string& ini_path,
                              const DeviceExists& exists) {
  return ChoosePortCandidate(PortCandidates(portname, ini_path, exists)).device;
}

std::string ResolvePortDevice(const std::string& portname, const std::string& ini_path) {
  return ResolvePortDevice(portname, ini_path, DeviceExistsOnDisk);
}

}  // namespace vk47
