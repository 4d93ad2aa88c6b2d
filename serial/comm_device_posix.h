#pragma once
// The POSIX comm device with its output-queue probe replaced, for tests only.
// A write counts as completed once the driver's output queue is empty
// (TIOCOUTQ on a real device); a pseudo-terminal never holds bytes back, so a
// test supplies the probe to show both a queue that drains and one that never
// does. The application uses MakePlatformCommDevice. POSIX only.

#include <functional>
#include <memory>
#include <optional>

#include "serial/comm_device.h"

namespace vk47 {

// Bytes the driver still holds to send on descriptor `fd`; nothing when the
// driver cannot tell (then nothing is waited for). Called from the thread
// that writes and from the event thread.
using OutputQueueProbe = std::function<std::optional<int>(int fd)>;

std::unique_ptr<CommDevice> MakePosixCommDeviceForTesting(OutputQueueProbe probe);

}  // namespace vk47
