#include "settings/profile_lock.h"

#include <atomic>

namespace vk47 {
namespace {

std::atomic<int>& Wait() {
  static std::atomic<int> wait_ms{kProfileLockWaitMs};
  return wait_ms;
}

}  // namespace

int ProfileLockWaitMs() { return Wait().load(); }

void SetProfileLockWaitMs(int wait_ms) { Wait().store(wait_ms); }

}  // namespace vk47
