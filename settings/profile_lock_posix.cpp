#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "model/file_io.h"
#include "settings/profile_lock.h"

namespace vk47 {
namespace {

// The descriptor to lock: the companion file, created when missing; where
// the folder forbids that, an existing companion or the settings file itself
// (regular files only). -1 when there is none.
int OpenLockTarget(const std::string& settings_file) {
  const std::string path = settings_file + ".lock";
  // Made only where a write may go (file_io.h): no lock file lands in another
  // account's folder through a link that the write itself would refuse.
  if (!LinksMayBeFollowed(PathFromText(path))) return -1;
  // O_NONBLOCK: a FIFO put in the lock file's place must not hang the opener.
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
  if (fd >= 0 || (errno != EACCES && errno != EPERM && errno != EROFS)) return fd;
  fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) fd = ::open(settings_file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  struct stat info {};
  if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
    ::close(fd);
    fd = -1;
  }
  return fd;
}

}  // namespace

struct ProfileLock::Handle {
  int fd = -1;
};

ProfileLock::ProfileLock(const std::string& settings_file, int wait_ms) {
  const int fd = OpenLockTarget(settings_file);
  if (fd < 0) return;
  // Polled rather than blocking, so that a holder that never lets go (a
  // stopped process) costs a bounded wait and a clear failure, not a hang.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      handle_ = std::make_unique<Handle>(Handle{fd});
      return;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      busy_ = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ::close(fd);
}

ProfileLock::~ProfileLock() {
  if (handle_) ::close(handle_->fd);  // closing releases the lock
}

}  // namespace vk47
