#include "settings/robot_presence.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "settings/robot_mapping.h"

namespace vk47 {
namespace {

constexpr const char* kRecordPrefix = "vk47-robot-";
constexpr const char* kRecordSuffix = ".lock";

bool OwnedByCaller(const struct stat& info) {
  const uid_t me = ::geteuid();
  return me == 0 || info.st_uid == me;
}

// The device of a record whose robot still holds it, else nothing.
std::optional<std::string> LiveRecordDevice(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> device;
  struct stat info {};
  char buffer[512];
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && OwnedByCaller(info)) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
    const std::string text(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    const std::size_t end = text.find('\n');
    // A shared lock that cannot be had means the robot still holds its own.
    if (end != std::string::npos && ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
      device = text.substr(0, end);
    }
  }
  ::close(fd);
  if (!device || !device->starts_with("/dev/pts/")) return std::nullopt;
  struct stat terminal {};
  if (::stat(device->c_str(), &terminal) != 0 || !S_ISCHR(terminal.st_mode) || !OwnedByCaller(terminal)) {
    return std::nullopt;
  }
  return device;
}

}  // namespace

std::optional<RobotPresence> RobotPresence::Create(const std::string& device, int index, std::string& error) {
  RobotPresence presence;
  presence.path_ = RobotRecordFolder() + "/" + kRecordPrefix + std::to_string(::getpid()) + "-" +
                   std::to_string(index) + kRecordSuffix;
  presence.fd_ = CreateLockedRecord(presence.path_, device + "\n", 0644, error);
  if (presence.fd_ < 0) return std::nullopt;
  return presence;
}

RobotPresence::RobotPresence(RobotPresence&& other) noexcept
    : path_(std::move(other.path_)), fd_(other.fd_) {
  other.fd_ = -1;
}

RobotPresence::~RobotPresence() {
  if (fd_ < 0) return;
  ::unlink(path_.c_str());
  ::close(fd_);  // the lock goes last, so nobody sees a live record deleted
}

std::vector<std::string> RunningRobotDevices(const std::string& folder) {
  std::vector<std::string> devices;
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::directory_iterator(folder.empty() ? RobotRecordFolder() : folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(kRecordPrefix) || !name.ends_with(kRecordSuffix)) continue;
    if (std::optional<std::string> device = LiveRecordDevice(entry.path().string())) {
      devices.push_back(*device);
    }
  }
  return devices;
}

}  // namespace vk47
