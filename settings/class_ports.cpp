#include "settings/class_ports.h"

#include <algorithm>

#include "settings/port_mapping.h"
#include "text/words.h"

namespace vk47 {

std::vector<ClassPort> ListClassPorts(const std::string& ini_path, const std::vector<FoundDevice>& others,
                                      const PortProbe& probe) {
  std::vector<ClassPort> ports;
  auto listed = [&ports](const std::string& device) {
    return std::any_of(ports.begin(), ports.end(), [&](const ClassPort& p) { return p.device == device; });
  };
  for (int com = 1; com <= kComPortCount; ++com) {
    const std::string name = "com" + std::to_string(com);
    ClassPort port{name, "COM" + std::to_string(com), {}, {}, false};
    const ResolvedPort resolved = ResolvePortDevice(name, ini_path, probe);
    const PortCandidate chosen = ChoosePortCandidate(PortCandidates(name, ini_path, probe));
    if (resolved.refused()) {
      port.kind = resolved.refusal == CommErrorKind::kSettingsUnreadable ? VK47_TEXT("設定ファイルを読めません") : VK47_TEXT("終了した仮想ロボット");
    } else {
      port.device = resolved.device;
      port.present = chosen.exists();
      const auto found = std::find_if(others.begin(), others.end(),
                                      [&](const FoundDevice& d) { return d.device == resolved.device; });
      if (found != others.end()) port.kind = found->kind;
    }
    ports.push_back(port);
  }
  for (const FoundDevice& found : others) {
    if (found.device.empty() || listed(found.device)) continue;
    ports.push_back({found.device, found.device, found.device, found.kind, true});
  }
  return ports;
}

}  // namespace vk47
