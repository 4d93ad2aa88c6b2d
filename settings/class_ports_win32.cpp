// The serial ports of a Windows system beyond COM1..COM4: those the system
// knows among COM5 to COM32 (USB adapters take such numbers).

#include "settings/class_ports.h"

namespace vk47 {

std::vector<FoundDevice> FindSerialDevices() {
  std::vector<FoundDevice> found;
  for (int n = kComPortCount + 1; n <= 32; ++n) {
    const std::string device = "\\\\.\\COM" + std::to_string(n);
    if (ProbePortDevice(device) == PortPresence::kPresent) found.push_back({device, "シリアルポート"});
  }
  return found;
}

}  // namespace vk47
