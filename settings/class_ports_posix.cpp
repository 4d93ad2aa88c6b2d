// The serial devices of a Linux system: USB adapters under /dev and the
// pseudo-terminals of running virtual robots.

#include <algorithm>
#include <filesystem>

#include "settings/class_ports.h"
#include "settings/robot_presence.h"
#include "text/words.h"

namespace vk47 {
namespace {

// "/dev/ttyUSB10" after "/dev/ttyUSB9": the number at the end counts as a number.
bool NaturalLess(const std::string& a, const std::string& b) {
  auto split = [](const std::string& s) {
    std::size_t digits = s.size();
    while (digits > 0 && s[digits - 1] >= '0' && s[digits - 1] <= '9') --digits;
    return std::make_pair(s.substr(0, digits), s.size() - digits);
  };
  const auto [stem_a, len_a] = split(a);
  const auto [stem_b, len_b] = split(b);
  if (stem_a != stem_b) return stem_a < stem_b;
  if (len_a != len_b) return len_a < len_b;
  return a < b;
}

}  // namespace

std::vector<FoundDevice> FindSerialDevices() {
  std::vector<std::string> adapters;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("ttyUSB") || name.starts_with("ttyACM")) adapters.push_back(entry.path().string());
  }
  std::vector<std::string> robots = RunningRobotDevices();
  std::sort(adapters.begin(), adapters.end(), NaturalLess);
  std::sort(robots.begin(), robots.end(), NaturalLess);
  robots.erase(std::unique(robots.begin(), robots.end()), robots.end());
  std::vector<FoundDevice> found;
  for (const std::string& device : adapters) found.push_back({device, "USB アダプター"});
  for (const std::string& device : robots) found.push_back({device, VK47_TEXT("仮想ロボット")});
  return found;
}

}  // namespace vk47
