// file_io.h on POSIX systems: file descriptors, so that no open can block and
// every step's failure is seen.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <vector>

#include "model/file_io.h"

namespace vk47 {
namespace {

namespace fs = std::filesystem;

// Tells the temporary files of concurrent saves in one process apart.
unsigned long NextTempNumber() {
  static std::atomic<unsigned long> next{
      static_cast<unsigned long>(std::chrono::steady_clock::now().time_since_epoch().count())};
  return next++;
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool Close() {  // the close of a written file reports late write errors
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::pwrite(fd, content.data() + done, content.size() - done,
                               static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Whether this user may replace the file: some write permission bit must be
// set (a file with none is read-only for everyone, as the read-only attribute
// makes it on Windows, even for root) and the system must grant writing.
bool MayWrite(const fs::path& file, const struct stat& info) {
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0;
}

// The folder forbids new files but the file itself may be written: rewrite it
// where it stands. Not atomic; the only way to save there at all.
bool WriteInPlace(const fs::path& target, std::string_view content) {
  Fd fd(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) return false;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  bool ok = WriteAll(fd.get(), content) &&
            ::ftruncate(fd.get(), static_cast<off_t>(content.size())) == 0 &&
            ::fsync(fd.get()) == 0;
  ok = fd.Close() && ok;
  return ok;
}

void SyncFolder(const fs::path& folder) {
  Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());  // best effort: the rename is done either way
}

}  // namespace

fs::path PathFromText(std::string_view text) { return fs::path(std::string(text)); }

std::string PathText(const fs::path& path) { return path.native(); }

FileRead ReadRegularFile(const fs::path& path, std::size_t budget) {
  FileRead file;
  // Looked at before opening, so a device is never even opened (opening one
  // may have effects of its own); checked again on the open file, since the
  // name may have been swapped meanwhile.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    file.status = errno == ENOENT || errno == ENOTDIR ? FileRead::Status::kMissing
                                                      : FileRead::Status::kFailed;
    return file;
  }
  file.status = FileRead::Status::kNotAFile;
  if (!S_ISREG(info.st_mode)) return file;
  // O_NONBLOCK: a FIFO put in the file's place must not block the open.
  Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) {
    file.status = errno == ENXIO ? FileRead::Status::kNotAFile : FileRead::Status::kFailed;
    return file;
  }
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return file;

  file.status = FileRead::Status::kFailed;
  // One byte past the budget tells whether there is more.
  std::string bytes;
  char buffer[16384];
  while (bytes.size() <= budget) {
    const std::size_t want = std::min(sizeof buffer, budget + 1 - bytes.size());
    const ssize_t n = ::read(fd.get(), buffer, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return file;
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  file.complete = bytes.size() <= budget;
  if (!file.complete) bytes.resize(budget);
  file.bytes = std::move(bytes);
  file.status = FileRead::Status::kRead;
  return file;
}

bool LinksMayBeFollowed(const fs::path& path) {
  if (::geteuid() != 0) return true;
  // The owners of the links on the way, then of where they lead.
  std::vector<uid_t> link_owners;
  fs::path current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat link {};
    if (::lstat(current.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) break;
    link_owners.push_back(link.st_uid);
    std::error_code ec;
    const fs::path next = fs::read_symlink(current, ec);
    if (ec) return false;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  if (link_owners.empty()) return true;
  struct stat target {};
  if (::stat(current.c_str(), &target) != 0) {
    const fs::path folder = current.has_parent_path() ? current.parent_path() : fs::path(".");
    if (errno != ENOENT || ::stat(folder.c_str(), &target) != 0) return false;
  }
  return std::all_of(link_owners.begin(), link_owners.end(),
                     [&](uid_t owner) { return owner == 0 || owner == target.st_uid; });
}

bool WriteFileAtomically(const fs::path& path, std::string_view content) {
  if (!LinksMayBeFollowed(path)) return false;
  const fs::path target = FollowLinks(path);
  struct stat existing {};
  const bool exists = ::lstat(target.c_str(), &existing) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists && (!S_ISREG(existing.st_mode) || !MayWrite(target, existing))) return false;

  // A short name, so that a target name of the longest legal length still
  // leaves room; the leading dot keeps it out of listings while it lives.
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  fs::path temp;
  int raw_fd = -1;
  for (unsigned attempt = 0; raw_fd < 0 && attempt < 100; ++attempt) {
    temp = folder / (".vk47-" + std::to_string(::getpid()) + "-" +
                     std::to_string(NextTempNumber() % 1000000) + ".tmp");
    // 0666: the umask decides a new file's mode, as for any file the user
    // creates. (mkstemp would fix 0600 and hide the umask.)
    raw_fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (raw_fd < 0 && errno != EEXIST) {
      const bool folder_forbids = errno == EACCES || errno == EPERM;
      return exists && folder_forbids && WriteInPlace(target, content);
    }
  }
  if (raw_fd < 0) return false;
  Fd fd(raw_fd);
  if (exists) {
    // The owner can only be kept where the system allows it (root, or a
    // group the user belongs to); the mode always. The mode comes second,
    // because a change of owner clears the set-id bits.
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
      [[maybe_unused]] const int ignored = ::fchown(fd.get(), existing.st_uid, existing.st_gid);
    }
    ::fchmod(fd.get(), existing.st_mode & 07777);
  }
  bool ok = WriteAll(fd.get(), content) && ::fsync(fd.get()) == 0;
  ok = fd.Close() && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}

}  // namespace vk47
