#include <windows.h>

#include <chrono>
#include <thread>

#include "model/file_io.h"
#include "settings/profile_lock.h"

namespace vk47 {

struct ProfileLock::Handle {
  HANDLE file = INVALID_HANDLE_VALUE;
};

ProfileLock::ProfileLock(const std::string& settings_file, int wait_ms) {
  // The wide call, so a Japanese user folder reaches the file system as it is.
  const std::filesystem::path path = PathFromText(settings_file + ".lock");
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  for (;;) {
    OVERLAPPED at{};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      handle_ = std::make_unique<Handle>(Handle{file});
      return;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      busy_ = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  CloseHandle(file);
}

ProfileLock::~ProfileLock() {
  if (handle_) CloseHandle(handle_->file);  // closing releases the lock
}

}  // namespace vk47
