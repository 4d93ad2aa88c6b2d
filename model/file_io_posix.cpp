// file_io.h on POSIX systems: file descriptors, so that no open can block,
// every step's failure is seen, and a write lands in the folder that was
// checked (held open from the walk to the rename).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <system_error>
#include <utility>
#include <vector>

#include "model/file_io.h"
#include "model/file_io_temp.h"

namespace vk47 {
namespace {

namespace fs = std::filesystem;

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
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
bool MayWrite(int folder, const std::string& name, const struct stat& info) {
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return ::faccessat(folder, name.c_str(), W_OK, AT_EACCESS) == 0;
}

// The folder forbids new files but the file itself may be written: rewrite it
// where it stands. Not atomic; the only way to save there at all.
bool WriteInPlace(int folder, const std::string& name, std::string_view content) {
  Fd fd(::openat(folder, name.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() < 0) return false;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  bool ok = WriteAll(fd.get(), content) &&
            ::ftruncate(fd.get(), static_cast<off_t>(content.size())) == 0 &&
            ::fsync(fd.get()) == 0;
  ok = fd.Close() && ok;
  return ok;
}

void SyncFolder(int folder) {
  Fd fd(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());  // best effort: the rename is done either way
}

// A new file or folder that root makes in another account's folder is that
// account's, as if it had made it itself: root run with a pupil's HOME must
// not leave the pupil a settings folder the pupil can no longer write.
// `fd` is the new file or folder itself, never a link.
void GiveToFolderOwner(int fd, const struct stat& folder) {
  if (::geteuid() != 0 || folder.st_uid == 0) return;
  [[maybe_unused]] const int ignored = ::fchown(fd, folder.st_uid, folder.st_gid);
}

FileWrite Failed(int error) {
  FileWrite result;
  result.error = std::error_code(error, std::generic_category());
  return result;
}

FileWrite Written() {
  FileWrite result;
  result.status = WriteStatus::kWritten;
  return result;
}

// Where a path leads: the folder that holds its last name (held open, so
// that nothing swapped in later changes where the file goes) and that name,
// after every symbolic link on the way was checked and followed.
struct Place {
  WriteStatus status = WriteStatus::kFailed;
  Fd folder{-1};
  std::string name;
  fs::path link;  // kUnsafeLink
  int error = 0;  // kFailed

  FileWrite Outcome() const {
    FileWrite result = Failed(error != 0 ? error : EINVAL);
    result.status = status;
    result.link = link;
    return result;
  }
};

// A symbolic link met on the way, for root's rule, which needs the end first.
struct LinkMet {
  uid_t owner;
  fs::path shown;
};

// Walks `path` one name at a time from the root or the current folder, as the
// kernel does, so that the links in every folder of the path are seen; every
// link, the last name's included, is followed after the rules of
// WriteFileChecked (file_io.h). The last name need not exist; the folders
// must.
Place Walk(const fs::path& path) {
  Place place;
  auto fail = [&place](int error) {
    place.status = WriteStatus::kFailed;
    place.error = error;
    return std::move(place);
  };
  if (path.empty()) return fail(ENOENT);
  std::deque<std::string> names;
  for (const fs::path& part : path.relative_path()) names.push_back(part.native());
  const bool absolute = path.is_absolute();
  place.folder = Fd(::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (place.folder.get() < 0) return fail(errno);
  // The folder as the path reached it, only to name a link in a message.
  fs::path here = absolute ? fs::path("/") : fs::path();
  const uid_t me = ::geteuid();
  std::vector<LinkMet> links;
  int hops = 0;
  while (!names.empty()) {
    std::string name = std::move(names.front());
    names.pop_front();
    const bool last = names.empty();
    if (name.empty() || name == ".") {
      if (last) return fail(EISDIR);  // "dir/" or "dir/.": a folder, never a file
      continue;
    }
    struct stat info {};
    if (::fstatat(place.folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT && last) {
        place.name = std::move(name);
        break;
      }
      return fail(errno);
    }
    if (S_ISLNK(info.st_mode)) {
      if (++hops > 40) return fail(ELOOP);
      const fs::path shown = here / name;
      struct stat folder {};
      if (::fstat(place.folder.get(), &folder) != 0) return fail(errno);
      // The kernel's protected_symlinks rule, for everyone.
      const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
      if (shared && info.st_uid != me && info.st_uid != folder.st_uid) {
        place.status = WriteStatus::kUnsafeLink;
        place.link = shown;
        return place;
      }
      links.push_back({info.st_uid, shown});
      std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 0) + 256, '\0');
      const ssize_t length = ::readlinkat(place.folder.get(), name.c_str(), target.data(), target.size());
      if (length < 0) return fail(errno);
      if (static_cast<std::size_t>(length) >= target.size()) return fail(ENAMETOOLONG);
      target.resize(static_cast<std::size_t>(length));
      if (target.empty()) return fail(ENOENT);
      const fs::path next(target);
      std::vector<std::string> parts;
      for (const fs::path& part : next.relative_path()) parts.push_back(part.native());
      if (target.back() == '/' && (parts.empty() || !parts.back().empty())) parts.emplace_back();
      names.insert(names.begin(), parts.begin(), parts.end());
      if (next.is_absolute()) {
        place.folder = Fd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (place.folder.get() < 0) return fail(errno);
        here = "/";
      }
      if (names.empty()) return fail(EISDIR);  // a link to "/"
      continue;
    }
    if (last) {
      place.name = std::move(name);
      break;
    }
    if (!S_ISDIR(info.st_mode)) return fail(ENOTDIR);
    // O_NOFOLLOW: a link swapped in since the look above is not followed.
    Fd next(::openat(place.folder.get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (next.get() < 0) return fail(errno == ELOOP ? ENOTDIR : errno);
    place.folder = std::move(next);
    here /= name;
  }
  if (place.name.empty()) return fail(EISDIR);

  // Root's rule needs the owner of the end: the file, or the folder that will
  // hold it.
  if (me == 0 && !links.empty()) {
    struct stat end {};
    if (::fstatat(place.folder.get(), place.name.c_str(), &end, AT_SYMLINK_NOFOLLOW) != 0 &&
        ::fstat(place.folder.get(), &end) != 0) {
      return fail(errno);
    }
    for (const LinkMet& link : links) {
      if (link.owner != 0 && link.owner != end.st_uid) {
        place.status = WriteStatus::kUnsafeLink;
        place.link = link.shown;
        return place;
      }
    }
  }
  place.status = WriteStatus::kWritten;
  return place;
}

// Whether the existing file `target` is the same file as one of `inputs`:
// the same file number on the same device (a link or a second name of it
// too), or, failing a look at an input, the same path once links are followed.
bool IsAnInput(const struct stat& target, const fs::path& path, const std::vector<fs::path>& inputs) {
  for (const fs::path& input : inputs) {
    if (input.empty()) continue;
    struct stat info {};
    if (::stat(input.c_str(), &info) == 0) {
      if (info.st_dev == target.st_dev && info.st_ino == target.st_ino) return true;
      continue;
    }
    std::error_code ec1, ec2;
    const fs::path a = fs::weakly_canonical(path, ec1), b = fs::weakly_canonical(input, ec2);
    if (!ec1 && !ec2 && a == b) return true;
  }
  return false;
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
  return Walk(path).status != WriteStatus::kUnsafeLink;
}

FileWrite WriteFileChecked(const fs::path& path, std::string_view content,
                           const std::vector<fs::path>& inputs) {
  FileWrite result;
  Place place = Walk(path);
  if (place.status != WriteStatus::kWritten) return place.Outcome();
  const int folder = place.folder.get();
  const char* name = place.name.c_str();
  struct stat existing {};
  const bool exists = ::fstatat(folder, name, &existing, AT_SYMLINK_NOFOLLOW) == 0;
  if (!exists && errno != ENOENT) return Failed(errno);
  if (exists && IsAnInput(existing, path, inputs)) {
    result.status = WriteStatus::kSameAsInput;
    return result;
  }
  if (exists && !S_ISREG(existing.st_mode)) return Failed(S_ISDIR(existing.st_mode) ? EISDIR : EINVAL);
  if (exists && !MayWrite(folder, place.name, existing)) return Failed(EACCES);
  struct stat folder_info {};
  if (::fstat(folder, &folder_info) != 0) return Failed(errno);

  // A short name, so that a target name of the longest legal length still
  // leaves room; the leading dot keeps it out of listings while it lives.
  std::string temp;
  int raw_fd = -1;
  for (unsigned attempt = 0; raw_fd < 0 && attempt < 100; ++attempt) {
    temp = ".vk47-" + std::to_string(::getpid()) + "-" + std::to_string(NextTempNumber() % 1000000) + ".tmp";
    // 0666: the umask decides a new file's mode, as for any file the user
    // creates. (mkstemp would fix 0600 and hide the umask.)
    raw_fd = ::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (raw_fd < 0 && errno != EEXIST) {
      const int error = errno;
      const bool folder_forbids = error == EACCES || error == EPERM;
      if (exists && folder_forbids && WriteInPlace(folder, place.name, content)) return Written();
      return Failed(error);
    }
  }
  if (raw_fd < 0) return Failed(EEXIST);
  Fd fd(raw_fd);
  if (exists) {
    // The owner can only be kept where the system allows it (root, or a
    // group the user belongs to); the mode always. The mode comes second,
    // because a change of owner clears the set-id bits.
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
      [[maybe_unused]] const int ignored = ::fchown(fd.get(), existing.st_uid, existing.st_gid);
    }
    ::fchmod(fd.get(), existing.st_mode & 07777);
  } else {
    GiveToFolderOwner(fd.get(), folder_info);
  }
  errno = 0;
  bool ok = WriteAll(fd.get(), content) && ::fsync(fd.get()) == 0;
  ok = fd.Close() && ok;
  ok = ok && ::renameat(folder, temp.c_str(), folder, name) == 0;
  if (!ok) {
    const int error = errno != 0 ? errno : EIO;
    ::unlinkat(folder, temp.c_str(), 0);
    return Failed(error);
  }
  SyncFolder(folder);
  return Written();
}

bool CreateFolder(const fs::path& path) {
  Place place = Walk(path);
  if (place.status != WriteStatus::kWritten) return false;
  const int folder = place.folder.get();
  struct stat info {};
  if (::fstatat(folder, place.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) return S_ISDIR(info.st_mode);
  struct stat folder_info {};
  if (errno != ENOENT || ::fstat(folder, &folder_info) != 0) return false;
  if (::mkdirat(folder, place.name.c_str(), 0777) != 0) {
    // Someone else may have made it meanwhile; what counts is that it is there.
    return errno == EEXIST && ::fstatat(folder, place.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(info.st_mode);
  }
  // Opened without following a link, so a link put in its place meanwhile
  // is never what changes owner.
  Fd made(::openat(folder, place.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (made.get() >= 0) GiveToFolderOwner(made.get(), folder_info);
  return true;
}

}  // namespace vk47
