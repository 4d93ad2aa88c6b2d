#pragma once
// An exclusive lock on one settings file, held around a read-change-write of
// it. Every program that changes set.ini (the window, the port dialog,
// vk47ctl, vk47-robot) takes it, so two writers never lose each other's lines.
//
// The lock lives on a companion file "<file>.lock" beside the settings file,
// because the settings file itself is replaced by a rename at every write. It
// is released by the operating system when its holder ends by any means, a
// crash or SIGKILL included. Readers take no lock: they see the old file or
// the new one, never a mix, because writes rename.
//
// Where the folder forbids the companion file (a folder the user may not
// write, in which a writable set.ini is rewritten in place), an existing
// companion is locked as it is, else the settings file itself: every writer of
// that user meets the same folder and so takes the same lock.

#include <memory>
#include <string>

namespace vk47 {

// How long a writer waits for another writer before giving up, unless
// SetProfileLockWaitMs changed it.
inline constexpr int kProfileLockWaitMs = 10000;

// The wait every ProfileLock takes by default; tests shorten it. Any thread.
int ProfileLockWaitMs();
void SetProfileLockWaitMs(int wait_ms);

class ProfileLock {
 public:
  // Waits up to wait_ms for the lock of `settings_file`; held() tells whether
  // it was taken (it is not when the folder is missing or read-only, or when
  // another holder keeps it longer than the wait).
  explicit ProfileLock(const std::string& settings_file, int wait_ms = ProfileLockWaitMs());
  ~ProfileLock();
  ProfileLock(const ProfileLock&) = delete;
  ProfileLock& operator=(const ProfileLock&) = delete;

  bool held() const { return handle_ != nullptr; }
  // Not held because another holder kept the lock for the whole wait.
  bool busy() const { return busy_; }

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
  bool busy_ = false;
};

}  // namespace vk47
