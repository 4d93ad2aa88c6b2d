#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "settings/profile_lock.h"

namespace vk47 {

struct ProfileLock::Handle {
  int fd = -1;
};

ProfileLock::ProfileLock(const std::string& settings_file, int wait_ms) {
  const std::string path = settings_file + ".lock";
  // O_NONBLOCK: a FIFO put in the lock file's place must not hang the opener.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
  if (fd < 0) return;
  // Polled rather than blocking, so that a holder that never lets go (a
  // stopped process) costs a bounded wait and a clear failure, not a hang.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      handle_ = std::make_unique<Handle>(Handle{fd});
      return;
    }
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ::close(fd);
}

ProfileLock::~ProfileLock() {
  if (handle_) ::close(handle_->fd);  // closing releases the lock
}

}  // namespace vk47
