#include "settings/robot_presence.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <algorithm>
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

// Deletes the records in `folder` that robots killed by SIGKILL left
// behind: this user's own presence records ("vk47-robot-<pid>-<n>.lock")
// whose lock nobody holds and whose process is gone (a robot that has just
// created its record holds no lock yet, but runs). A link record
// ("...-comN.lock") stays: it says what its port is to get back.
void SweepEndedRecords(const std::string& folder) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(kRecordPrefix) || !name.ends_with(kRecordSuffix)) continue;
    const std::string middle =
        name.substr(std::strlen(kRecordPrefix), name.size() - std::strlen(kRecordPrefix) - std::strlen(kRecordSuffix));
    const std::size_t dash = middle.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == middle.size() ||
        middle.find_first_not_of("0123456789-") != std::string::npos || middle.find('-', dash + 1) != std::string::npos) {
      continue;
    }
    const pid_t pid = static_cast<pid_t>(std::strtol(middle.c_str(), nullptr, 10));
    if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    const std::string path = entry.path().string();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      ::unlink(path.c_str());
    }
    ::close(fd);
  }
}

}  // namespace

std::optional<RobotPresence> RobotPresence::Create(const std::string& device, int index, std::string& error) {
  RobotPresence presence;
  // No folder, no record: never one in the root of the file system, or
  // wherever an empty folder name would lead.
  presence.fd_ = CreateRecord(kRecordPrefix + std::to_string(::getpid()) + "-" + std::to_string(index) + kRecordSuffix,
                              device + "\n", 0644, presence.path_, error);
  if (presence.fd_ < 0) return std::nullopt;
  SweepEndedRecords(presence.path_.substr(0, presence.path_.rfind('/')));
  return presence;
}

RobotPresence::RobotPresence(RobotPresence&& other) noexcept
    : path_(std::move(other.path_)), fd_(other.fd_) {
  other.fd_ = -1;
}

RobotPresence::~RobotPresence() {
  if (fd_ < 0) return;
  RemoveRecordFile(path_);
  ::close(fd_);  // the lock goes last, so nobody sees a live record deleted
}

std::vector<std::string> RunningRobotDevices(const std::string& folder) {
  std::vector<std::string> devices;
  // Looking creates nothing: every folder this user's robots may have used.
  const std::vector<std::string> folders = folder.empty() ? RobotRecordFolders() : std::vector<std::string>{folder};
  for (const std::string& where : folders) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(where, ec)) {
      const std::string name = entry.path().filename().string();
      if (!name.starts_with(kRecordPrefix) || !name.ends_with(kRecordSuffix)) continue;
      if (std::optional<std::string> device = LiveRecordDevice(entry.path().string())) {
        if (std::find(devices.begin(), devices.end(), *device) == devices.end()) devices.push_back(*device);
      }
    }
  }
  return devices;
}

}  // namespace vk47
