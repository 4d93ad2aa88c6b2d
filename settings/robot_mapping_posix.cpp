#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "settings/port_mapping.h"
#include "settings/port_setting.h"
#include "settings/profile.h"
#include "settings/robot_mapping.h"

namespace vk47 {
namespace {

// The device a record names, or nothing when it cannot be read as a record.
std::optional<std::string> RecordDevice(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  char buffer[4096];
  const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
  if (n <= 0) return std::nullopt;
  std::string text(buffer, static_cast<std::size_t>(n));
  const std::size_t end = text.find('\n');
  if (end == std::string::npos) return std::nullopt;
  text.resize(end);
  return text;
}

// What a record says it replaced: the [devices] line that was there before
// its robot (or before the running robot it took the port over from), and
// whether the [devices] section had to be added. A robot that ends after the
// robot it replaced has ended puts this back, since that robot's own line may
// point at a pseudo-terminal that is anyone's by now.
struct Replaced {
  std::optional<std::string> device;
  bool devices_section_added = false;
};

constexpr std::string_view kReplacesPrefix = "replaces=";
constexpr std::string_view kAddedSectionLine = "added-devices-section";

Replaced RecordReplaced(int fd) {
  Replaced replaced;
  char buffer[4096];
  const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
  if (n <= 0) return replaced;
  const std::string text(buffer, static_cast<std::size_t>(n));
  std::size_t start = text.find('\n');  // the device line
  while (start != std::string::npos && start + 1 < text.size()) {
    const std::size_t end = text.find('\n', start + 1);
    if (end == std::string::npos) break;  // a line cut short says nothing
    const std::string_view line(text.data() + start + 1, end - start - 1);
    if (line.starts_with(kReplacesPrefix)) replaced.device = std::string(line.substr(kReplacesPrefix.size()));
    if (line == kAddedSectionLine) replaced.devices_section_added = true;
    start = end;
  }
  return replaced;
}

// Robots only ever live on pseudo-terminals.
bool IsPseudoTerminal(const std::string& device) { return device.starts_with("/dev/pts/"); }

// Whether a file of `owner` may speak for the user who resolves: only the
// user's own files may, except for root, who may use anything.
bool OwnedByResolver(uid_t owner) {
  const uid_t me = ::geteuid();
  return me == 0 || owner == me;
}

// A device that exists must be the resolving user's own: a pseudo-terminal
// belongs to whoever opened it, so another account's terminal that took the
// number of a dead robot's is never written to. A device that is not there
// can be trusted as far as this goes: opening it fails.
bool DeviceTrusted(const std::string& device) {
  struct stat info {};
  if (::stat(device.c_str(), &info) != 0) return errno == ENOENT;
  return OwnedByResolver(info.st_uid);
}

RobotLinkState StateOfRecord(const std::string& record_path, const std::string& device) {
  const int fd = ::open(record_path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    // A record that is gone cannot vouch for the device: if it is a
    // pseudo-terminal, it may be anyone's now.
    return IsPseudoTerminal(device) ? RobotLinkState::kGone : RobotLinkState::kNotARobot;
  }
  RobotLinkState state = RobotLinkState::kNotARobot;
  struct stat info {};
  const std::optional<std::string> named = RecordDevice(fd);
  if (::fstat(fd, &info) != 0 || !OwnedByResolver(info.st_uid) || !DeviceTrusted(device)) {
    // Someone else's record, or someone else's device, vouches for nothing:
    // another account could hold the lock of a record it can open, or have
    // taken the dead robot's pseudo-terminal number.
    state = IsPseudoTerminal(device) ? RobotLinkState::kGone : RobotLinkState::kNotARobot;
  } else if (!named) {
    state = IsPseudoTerminal(device) ? RobotLinkState::kGone : RobotLinkState::kNotARobot;
  } else if (*named == device) {
    // A shared lock that can be had means the robot no longer holds its own.
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
      state = RobotLinkState::kGone;
    } else {
      state = errno == EWOULDBLOCK ? RobotLinkState::kRunning : RobotLinkState::kGone;
    }
  }
  ::close(fd);
  return state;
}

ProfileUpdate Write(std::string text) { return {ProfileUpdate::Action::kWrite, std::move(text)}; }

}  // namespace

namespace {

// A folder only this user can enter: a real folder (no symbolic link), the
// user's own, with no access for group or others.
bool IsPrivateFolder(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
         (info.st_mode & 077) == 0;
}

std::string SystemTempFolder() {
  const char* tmpdir = std::getenv("TMPDIR");
  struct stat info {};
  if (tmpdir != nullptr && tmpdir[0] == '/' && ::stat(tmpdir, &info) == 0 && S_ISDIR(info.st_mode)) return tmpdir;
  return "/tmp";
}

}  // namespace

int CreateLockedRecord(const std::string& path, const std::string& line, int mode, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) {
    error = path + ": " + std::strerror(errno);
    return -1;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0 ||
      ::pwrite(fd, line.data(), line.size(), 0) != static_cast<ssize_t>(line.size())) {
    error = path + ": " + std::strerror(errno);
    ::unlink(path.c_str());
    ::close(fd);
    return -1;
  }
  return fd;
}

std::string RobotRecordFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime)) return runtime;
  // The temporary folder is everyone's: the records go into a folder of
  // this user's own in it, so nobody else can lock, replace or pre-create one.
  const std::string temp = SystemTempFolder();
  const std::string mine = temp + "/vk47-robot-" + std::to_string(::geteuid());
  if (::mkdir(mine.c_str(), 0700) == 0 || errno == EEXIST) {
    if (IsPrivateFolder(mine)) return mine;
  }
  // The name is taken by someone else (or by a folder others may enter): a
  // fresh private folder instead. Its name is kept in set.ini with each
  // record, so nobody has to guess it.
  std::string pattern = mine + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) != nullptr) return name.data();
  return "";
}

RobotLinkState RobotLinkStateOf(const std::string& ini_path, const std::string& key,
                                const std::string& device) {
  const std::string record = GetPrivateProfileString(kRobotsSection, key, "", ini_path);
  if (record.empty()) return RobotLinkState::kNotARobot;
  return StateOfRecord(record, device);
}

std::optional<VirtualRobotRecord> VirtualRobotRecord::Create(const std::string& ini_path, const std::string& key,
                                           const std::string& device, std::string& error) {
  VirtualRobotRecord link;
  link.ini_path_ = ini_path;
  link.key_ = key;
  link.device_ = device;
  const std::string folder = RobotRecordFolder();
  if (folder.empty()) {
    error = "記録を置くフォルダを作れません: " + std::string(std::strerror(errno));
    return std::nullopt;
  }
  link.record_path_ = folder + "/vk47-robot-" + std::to_string(::getpid()) + "-" + key + ".lock";
  const std::string line = device + "\n";
  link.record_fd_ = CreateLockedRecord(link.record_path_, line, 0600, error);
  if (link.record_fd_ < 0) {
    return std::nullopt;
  }

  ProfileFailure failure = ProfileFailure::kNone;
  int record_error = 0;
  const bool written = UpdateProfileFile(ini_path, [&](const std::optional<std::string>& current) {
    link.file_before_ = current;
    std::string text = current.value_or("");
    link.devices_section_added_ = !HasProfileSection(text, kDevicesSection);
    link.device_before_ = FindProfileValue(text, kDevicesSection, key);
    link.record_before_ = FindProfileValue(text, kRobotsSection, key);
    link.original_device_ = link.device_before_;
    link.original_section_added_ = link.devices_section_added_;
    // A previous robot that has ended leaves nothing worth putting back.
    if (link.record_before_ &&
        StateOfRecord(*link.record_before_, link.device_before_.value_or("")) == RobotLinkState::kGone) {
      link.device_before_.reset();
      link.record_before_.reset();
      link.original_device_.reset();
      text = RemoveProfileValue(RemoveProfileValue(text, kDevicesSection, key), kRobotsSection, key);
      link.file_before_ = text;
    } else if (link.record_before_) {
      // A running robot is taken over: what it replaced is what comes back
      // if it ends first.
      const int fd = ::open(link.record_before_->c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
      Replaced replaced;
      if (fd >= 0) {
        replaced = RecordReplaced(fd);
        ::close(fd);
      }
      link.original_device_ = replaced.device;
      link.original_section_added_ = replaced.devices_section_added;
    }
    // The record carries it on, under the settings lock, for a robot that
    // takes the port over from this one.
    std::string tail;
    if (link.original_device_) tail += std::string(kReplacesPrefix) + *link.original_device_ + "\n";
    if (link.original_section_added_) tail += std::string(kAddedSectionLine) + "\n";
    if (::pwrite(link.record_fd_, tail.data(), tail.size(), static_cast<off_t>(line.size())) !=
        static_cast<ssize_t>(tail.size())) {
      record_error = errno;
      return ProfileUpdate{};
    }
    text = SetProfileValue(text, kDevicesSection, key, device);
    text = SetProfileValue(text, kRobotsSection, key, link.record_path_);
    link.file_written_ = text;
    return Write(std::move(text));
  }, &failure);
  if (record_error != 0) {
    error = link.record_path_ + ": " + std::strerror(record_error);
    link.file_written_.clear();
    ::unlink(link.record_path_.c_str());
    return std::nullopt;
  }
  if (!written) {
    error = WriteFailureMessage(ini_path, failure);
    link.file_written_.clear();
    ::unlink(link.record_path_.c_str());
    return std::nullopt;
  }
  return link;
}

VirtualRobotRecord::VirtualRobotRecord(VirtualRobotRecord&& other) noexcept
    : ini_path_(std::move(other.ini_path_)),
      key_(std::move(other.key_)),
      device_(std::move(other.device_)),
      record_path_(std::move(other.record_path_)),
      record_fd_(other.record_fd_),
      file_before_(std::move(other.file_before_)),
      file_written_(std::move(other.file_written_)),
      device_before_(std::move(other.device_before_)),
      record_before_(std::move(other.record_before_)),
      devices_section_added_(other.devices_section_added_),
      original_device_(std::move(other.original_device_)),
      original_section_added_(other.original_section_added_) {
  other.record_fd_ = -1;
}

VirtualRobotRecord::~VirtualRobotRecord() {
  if (record_fd_ >= 0 && !file_written_.empty()) Remove();
  if (record_fd_ >= 0) ::close(record_fd_);
}

bool VirtualRobotRecord::Remove() {
  if (record_fd_ < 0) return true;
  const bool restored = UpdateProfileFile(ini_path_, [&](const std::optional<std::string>& current) {
    if (!current) return ProfileUpdate{};  // someone removed the file: nothing of ours is left
    // The robot this one took the port over from has ended: its lines must
    // not come back, what it replaced does.
    const bool previous_gone =
        record_before_ &&
        StateOfRecord(*record_before_, device_before_.value_or("")) != RobotLinkState::kRunning;
    const std::optional<std::string>& device_back = previous_gone ? original_device_ : device_before_;
    const std::optional<std::string> record_back = previous_gone ? std::nullopt : record_before_;
    const bool section_added = previous_gone ? original_section_added_ : devices_section_added_;
    if (*current == file_written_ && !previous_gone) {
      if (!file_before_) return ProfileUpdate{ProfileUpdate::Action::kRemove, {}};
      return Write(*file_before_);
    }
    // Others changed the file meanwhile, or what was there before is not
    // all to come back: take back only our own lines.
    std::string text = *current;
    bool device_line_removed = false;
    auto restore = [&](const char* section, const std::string& ours, const std::optional<std::string>& before) {
      if (FindProfileValue(text, section, key_) != ours) return;
      text = before ? SetProfileValue(text, section, key_, *before) : RemoveProfileValue(text, section, key_);
      if (!before && section == kDevicesSection) device_line_removed = true;
    };
    restore(kDevicesSection, device_, device_back);
    restore(kRobotsSection, record_path_, record_back);
    // A [devices] header goes with its last line: robots started together
    // each find the header the first one added, and the last to end must
    // not leave it behind empty.
    if (section_added || device_line_removed) text = RemoveEmptyProfileSection(text, kDevicesSection);
    // [robots] holds nothing but robots' records, so an empty one is nobody's.
    text = RemoveEmptyProfileSection(text, kRobotsSection);
    return text == *current ? ProfileUpdate{} : Write(std::move(text));
  });
  ::unlink(record_path_.c_str());
  ::close(record_fd_);  // releases the lock last, so nobody sees a live record unlinked
  record_fd_ = -1;
  return restored;
}

}  // namespace vk47
