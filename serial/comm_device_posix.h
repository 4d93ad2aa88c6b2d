#pragma once
// The POSIX comm device: the line settings put back when a signal ends the
// program, and the device with its output-queue probe replaced, for tests.
// A write counts as completed once the driver's output queue is empty
// (TIOCOUTQ on a real device); a pseudo-terminal never holds bytes back, so a
// test supplies the probe to show both a queue that drains and one that never
// does. The application uses MakePlatformCommDevice. POSIX only.

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

#include "serial/comm_device.h"

namespace vk47 {

// Bytes the driver still holds to send on descriptor `fd`; nothing when the
// driver cannot tell (then nothing is waited for). Called from the thread
// that writes and from the event thread.
using OutputQueueProbe = std::function<std::optional<int>(int fd)>;

std::unique_ptr<CommDevice> MakePosixCommDeviceForTesting(OutputQueueProbe probe);

// Puts every open device's line settings back to what it had before it was
// opened, as Close does, without closing anything. Async-signal-safe.
void RestoreOpenTerminals() noexcept;

// A program ended by one of `which` first puts the open devices' settings
// back (RestoreOpenTerminals), then ends of that signal as it would have
// without the handler. The window installs it for SIGTERM, SIGHUP and
// SIGINT; a tool that stops in order on a signal (vk47ctl) closes its ports
// itself instead.
void RestoreTerminalsOnSignals(std::initializer_list<int> which);

}  // namespace vk47
