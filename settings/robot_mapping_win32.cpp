// Windows has no virtual robots (they live on pseudo-terminals): every
// [devices] line is one a person wrote, used as named.

#include "settings/robot_mapping.h"

namespace vk47 {

RobotLinkState RobotLinkStateOf(const std::string&, const std::string&, const std::string&) {
  return RobotLinkState::kNotARobot;
}

bool RestoreAfterEndedRobot(const std::string&, const std::string&) { return false; }

}  // namespace vk47
