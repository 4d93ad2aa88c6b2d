#pragma once
// Helpers for tests of files that must never hang or be overwritten against
// their owner's will (POSIX only):
//  - Watchdog: ends the test program with a message when a call hangs, so a
//    regression fails CI at once instead of stalling it;
//  - RunUnprivileged: runs a check as an ordinary user. Tests run as root in
//    CI, and root may write anything: as root the check runs in a child
//    process that has become "nobody" (the paths it must own are handed to
//    that user first); otherwise it runs here as it is.

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>

namespace vk47::test {

class Watchdog {
 public:
  explicit Watchdog(std::string what, std::chrono::seconds limit = std::chrono::seconds(10))
      : what_(std::move(what)), thread_([this, limit] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!done_cv_.wait_for(lock, limit, [this] { return done_; })) {
            std::fprintf(stderr, "watchdog: %s did not return within %lld s\n", what_.c_str(),
                         static_cast<long long>(limit.count()));
            std::_Exit(3);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_one();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::string what_;
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

inline constexpr uid_t kNobody = 65534;

// Whether this process may write what its permission bits forbid.
inline bool Privileged() { return ::geteuid() == 0; }

// Runs `check` as an ordinary user; `check` returns "" or what went wrong.
// As root, the paths in `give` are given to "nobody" first.
inline std::string RunUnprivileged(std::initializer_list<std::filesystem::path> give,
                                   const std::function<std::string()>& check) {
  if (!Privileged()) return check();
  for (const std::filesystem::path& path : give) {
    if (::lchown(path.c_str(), kNobody, kNobody) != 0) return "lchown " + path.string() + " failed";
  }
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return "fork failed";
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
      std::_Exit(2);
    }
    const std::string failure = check();
    if (!failure.empty()) std::fprintf(stderr, "as nobody: %s\n", failure.c_str());
    std::fflush(nullptr);
    std::_Exit(failure.empty() ? 0 : 1);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return "waitpid failed";
  if (!WIFEXITED(status)) return "the unprivileged check died";
  switch (WEXITSTATUS(status)) {
    case 0: return "";
    case 2: return "could not become nobody";
    default: return "the unprivileged check failed (see its output above)";
  }
}

}  // namespace vk47::test
