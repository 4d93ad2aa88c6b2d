#pragma once
// A running virtual robot makes itself known to those who look for serial
// devices (the window's class dialog), whether or not it is linked to a COM
// port: each robot holds a record in RobotRecordFolder() named
// "vk47-robot-<pid>-<n>.lock", whose first line is its pseudo-terminal,
// under an exclusive lock for as long as it runs. The operating system drops
// the lock when the robot ends by any means, so a record left behind by a
// killed robot is recognised as stale and its device never listed.
//
// POSIX only (virtual robots live on pseudo-terminals). Any thread.

#include <optional>
#include <string>
#include <vector>

namespace vk47 {

class RobotPresence {
 public:
  // Creates and locks robot `index`'s record naming `device`; nothing when
  // that fails, and `error` says why.
  static std::optional<RobotPresence> Create(const std::string& device, int index, std::string& error);
  RobotPresence(RobotPresence&& other) noexcept;
  RobotPresence& operator=(RobotPresence&&) = delete;
  ~RobotPresence();  // deletes the record, then releases its lock

 private:
  RobotPresence() = default;
  std::string path_;
  int fd_ = -1;
};

// The devices of the robots that run now, from the records in `folder`
// (every folder of RobotRecordFolders() by default) that are locked and that belong, with
// their devices, to the user who asks (root may see every user's robots).
std::vector<std::string> RunningRobotDevices(const std::string& folder = {});

}  // namespace vk47
