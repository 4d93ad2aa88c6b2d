#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
  // The running robot this one took the port over from, whose lines come
  // back while it still runs.
  std::optional<std::string> previous_device;
  std::optional<std::string> previous_record;
};

constexpr std::string_view kReplacesPrefix = "replaces=";
constexpr std::string_view kAddedSectionLine = "added-devices-section";
constexpr std::string_view kPreviousDevicePrefix = "takes-over=";
constexpr std::string_view kPreviousRecordPrefix = "takes-over-record=";

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
    if (line.starts_with(kPreviousDevicePrefix)) {
      replaced.previous_device = std::string(line.substr(kPreviousDevicePrefix.size()));
    }
    if (line.starts_with(kPreviousRecordPrefix)) {
      replaced.previous_record = std::string(line.substr(kPreviousRecordPrefix.size()));
    }
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

// set.ini with the lines of `key`'s robot taken back, for a robot that has
// ended without taking them back itself (SIGKILL), and its record to delete
// ("" when it is not this user's).
struct TakenBack {
  std::string text;
  std::string record;
};

// Takes back what an ended robot left in `text`, the way its own end would
// have: while the robot it took the port over from still runs, that robot's
// lines come back, else the line it replaced, else none. Nothing when `key`
// is no ended robot's, and, with `only_when_something_returns`, when the
// robot replaced nothing: its lines then stay, so that the port goes on
// saying its robot has ended until a new robot takes it.
std::optional<TakenBack> TakeBackEndedRobot(const std::string& text, const std::string& key,
                                            bool only_when_something_returns) {
  const std::optional<std::string> record = FindProfileValue(text, kRobotsSection, key);
  if (!record || record->empty()) return std::nullopt;
  const std::string device = FindProfileValue(text, kDevicesSection, key).value_or("");
  if (StateOfRecord(*record, device) != RobotLinkState::kGone) return std::nullopt;
  Replaced replaced;
  bool own_record = false;
  const int fd = ::open(record->c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    // Only a record of this user's own that names this device says what
    // comes back: another account's file could say anything.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && OwnedByResolver(info.st_uid) &&
        RecordDevice(fd) == device) {
      replaced = RecordReplaced(fd);
      own_record = true;
    }
    ::close(fd);
  }
  const bool previous_runs =
      replaced.previous_record && replaced.previous_device &&
      StateOfRecord(*replaced.previous_record, *replaced.previous_device) == RobotLinkState::kRunning;
  if (only_when_something_returns && !previous_runs && !replaced.device) return std::nullopt;
  std::string out = text;
  if (previous_runs) {
    out = SetProfileValue(out, kDevicesSection, key, *replaced.previous_device);
    out = SetProfileValue(out, kRobotsSection, key, *replaced.previous_record);
  } else if (replaced.device) {
    out = SetProfileValue(out, kDevicesSection, key, *replaced.device);
    out = RemoveProfileValue(out, kRobotsSection, key);
  } else {
    // A [devices] header goes with its last line, as a robot's own end takes it.
    out = RemoveEmptyProfileSection(RemoveProfileValue(out, kDevicesSection, key), kDevicesSection);
    out = RemoveProfileValue(out, kRobotsSection, key);
  }
  out = RemoveEmptyProfileSection(out, kRobotsSection);
  return TakenBack{std::move(out), own_record ? *record : std::string()};
}

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
    const int err = errno;
    error = path + ": " + std::strerror(err);
    errno = err;
    return -1;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0 ||
      ::pwrite(fd, line.data(), line.size(), 0) != static_cast<ssize_t>(line.size())) {
    const int err = errno != 0 ? errno : EIO;
    error = path + ": " + std::strerror(err);
    ::unlink(path.c_str());
    ::close(fd);
    errno = err;
    return -1;
  }
  return fd;
}

namespace {

std::string UserFolderName() { return "vk47-robot-" + std::to_string(::geteuid()); }

// The spare folders of this user's own in the temporary folder, made by
// mkdtemp when someone else had taken the usual name: "vk47-robot-<uid>-XXXXXX".
std::vector<std::string> SpareFolders(const std::string& temp) {
  std::vector<std::string> found;
  const std::string prefix = UserFolderName() + "-";
  DIR* dir = ::opendir(temp.c_str());
  if (dir == nullptr) return found;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) continue;
    const std::string path = temp + "/" + std::string(name);
    if (IsPrivateFolder(path)) found.push_back(path);
  }
  ::closedir(dir);
  std::sort(found.begin(), found.end());
  return found;
}

bool IsSpareFolder(const std::string& folder) {
  const std::string temp = SystemTempFolder();
  const std::string prefix = temp + "/" + UserFolderName() + "-";
  return folder.size() == prefix.size() + 6 && folder.starts_with(prefix);
}

}  // namespace

std::string RobotRecordFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime)) return runtime;
  // The temporary folder is everyone's: the records go into a folder of
  // this user's own in it, so nobody else can lock, replace or pre-create one.
  const std::string temp = SystemTempFolder();
  const std::string mine = temp + "/" + UserFolderName();
  if (::mkdir(mine.c_str(), 0700) == 0 || errno == EEXIST) {
    if (IsPrivateFolder(mine)) return mine;
  }
  // The name is taken by someone else (a folder, a link, a FIFO or a file):
  // a spare folder of this user's own instead, the one already there if
  // there is one, so robots share it and the class dialog finds them all
  // (RobotRecordFolders). Nobody else can make a folder that is ours.
  const std::vector<std::string> spare = SpareFolders(temp);
  if (!spare.empty()) return spare.front();
  std::string pattern = mine + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) != nullptr) return name.data();
  return "";
}

int CreateRecord(const std::string& name, const std::string& line, int mode, std::string& path,
                 std::string& error) {
  // A spare folder may go with another robot's last record between being
  // chosen and used: then the folder is chosen again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::string folder = RobotRecordFolder();
    if (folder.empty()) {
      const int err = errno;
      error = "記録を置くフォルダを作れません (" + SystemTempFolder() + "/" + UserFolderName() +
              "): " + std::strerror(err);
      return -1;
    }
    path = folder + "/" + name;
    const int fd = CreateLockedRecord(path, line, mode, error);
    if (fd >= 0 || errno != ENOENT || !IsSpareFolder(folder)) return fd;
  }
  return -1;
}

std::vector<std::string> RobotRecordFolders() {
  std::vector<std::string> folders;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime)) folders.push_back(runtime);
  const std::string temp = SystemTempFolder();
  if (IsPrivateFolder(temp + "/" + UserFolderName())) folders.push_back(temp + "/" + UserFolderName());
  for (std::string& spare : SpareFolders(temp)) folders.push_back(std::move(spare));
  return folders;
}

void RemoveRecordFile(const std::string& record_path) {
  ::unlink(record_path.c_str());
  // A spare folder goes with its last record (rmdir leaves one that is not
  // empty); the usual folder stays, as it will be needed again.
  const std::size_t slash = record_path.rfind('/');
  if (slash == std::string::npos) return;
  const std::string folder = record_path.substr(0, slash);
  if (IsSpareFolder(folder)) ::rmdir(folder.c_str());
}

RobotLinkState RobotLinkStateOf(const std::string& ini_path, const std::string& key,
                                const std::string& device) {
  const std::string record = GetPrivateProfileString(kRobotsSection, key, "", ini_path);
  if (record.empty()) return RobotLinkState::kNotARobot;
  return StateOfRecord(record, device);
}

bool RestoreAfterEndedRobot(const std::string& ini_path, const std::string& key) {
  // A look without the lock first: nearly every read finds nothing to do.
  const std::string record = GetPrivateProfileString(kRobotsSection, key, "", ini_path);
  if (record.empty()) return false;
  if (StateOfRecord(record, GetPrivateProfileString(kDevicesSection, key, "", ini_path)) != RobotLinkState::kGone) {
    return false;
  }
  std::string dead_record;
  bool changed = false;
  const bool written = UpdateProfileFile(ini_path, [&](const std::optional<std::string>& current) {
    if (!current) return ProfileUpdate{};
    // Looked at again under the lock: another reader may have been first.
    std::optional<TakenBack> back = TakeBackEndedRobot(*current, key, true);
    if (!back) return ProfileUpdate{};
    dead_record = back->record;
    changed = true;
    return Write(std::move(back->text));
  });
  if (!written || !changed) return false;
  if (!dead_record.empty()) RemoveRecordFile(dead_record);
  return true;
}

std::optional<VirtualRobotRecord> VirtualRobotRecord::Create(const std::string& ini_path, const std::string& key,
                                           const std::string& device, std::string& error) {
  VirtualRobotRecord link;
  link.ini_path_ = ini_path;
  link.key_ = key;
  link.device_ = device;
  const std::string line = device + "\n";
  link.record_fd_ = CreateRecord("vk47-robot-" + std::to_string(::getpid()) + "-" + key + ".lock", line, 0600,
                                 link.record_path_, error);
  if (link.record_fd_ < 0) return std::nullopt;

  ProfileFailure failure = ProfileFailure::kNone;
  int record_error = 0;
  std::string dead_record;
  const bool written = UpdateProfileFile(ini_path, [&](const std::optional<std::string>& current) {
    std::string text = current.value_or("");
    dead_record.clear();
    // A robot before this one that ended without taking its lines back
    // (SIGKILL): what it replaced comes back first, and is what this robot
    // puts back in its turn.
    if (std::optional<TakenBack> back = TakeBackEndedRobot(text, key, false)) {
      text = std::move(back->text);
      dead_record = std::move(back->record);
    }
    link.file_before_ = current ? std::optional<std::string>(text) : std::nullopt;
    link.devices_section_added_ = !HasProfileSection(text, kDevicesSection);
    link.device_before_ = FindProfileValue(text, kDevicesSection, key);
    link.record_before_ = FindProfileValue(text, kRobotsSection, key);
    link.original_device_ = link.device_before_;
    link.original_section_added_ = link.devices_section_added_;
    if (link.record_before_) {
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
    // takes the port over from this one and for whoever finds this robot
    // ended without having taken its lines back.
    std::string tail;
    if (link.original_device_) tail += std::string(kReplacesPrefix) + *link.original_device_ + "\n";
    if (link.original_section_added_) tail += std::string(kAddedSectionLine) + "\n";
    if (link.record_before_ && link.device_before_) {
      tail += std::string(kPreviousDevicePrefix) + *link.device_before_ + "\n";
      tail += std::string(kPreviousRecordPrefix) + *link.record_before_ + "\n";
    }
    if (::ftruncate(link.record_fd_, static_cast<off_t>(line.size())) != 0 ||
        ::pwrite(link.record_fd_, tail.data(), tail.size(), static_cast<off_t>(line.size())) !=
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
    RemoveRecordFile(link.record_path_);
    return std::nullopt;
  }
  if (!written) {
    error = WriteFailureMessage(ini_path, failure);
    link.file_written_.clear();
    RemoveRecordFile(link.record_path_);
    return std::nullopt;
  }
  if (!dead_record.empty()) RemoveRecordFile(dead_record);
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
  RemoveRecordFile(record_path_);
  ::close(record_fd_);  // releases the lock last, so nobody sees a live record unlinked
  record_fd_ = -1;
  return restored;
}

}  // namespace vk47
