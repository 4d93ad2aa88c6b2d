#pragma once
// One program to a whole class of robots: the transfer (or the execute byte)
// to many ports at once, each port served on a thread of its own with the
// same frame, pacing and failure handling as a single transfer
// (robot_link.h). A class set of robots therefore takes as long as one robot,
// and a device that is missing, busy or fails never stops the others (the
// ports open one at a time, and a port whose open hangs holds the others
// back for at most a tenth of a second). A device named twice (two names that resolve to one line) is
// served once. A stop request also ends a write that waits for a line that
// does not drain. A port whose thread cannot be started fails with the
// system's reason, and the others are served. vk47ctl's send/run with several
// --port options and the window's class dialog both come through here.
//
// Threads: SendToClass and RunOnClass block the calling thread until every
// port is done (a window calls them from a worker thread of its own). Each
// port's Trs232c lives on its own thread for the whole command and is closed
// there (DTR and RTS lowered, the line settings put back). `wait` and
// `changed` are called on the ports' threads, `idle` on the calling thread;
// the job fields that are atomics may be read from any thread meanwhile, the
// rest once the command has returned.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/robot_link.h"
#include "model/step_program.h"

namespace vk47 {

// One robot's port during a class command.
struct RobotJob {
  explicit RobotJob(const std::string& portname, CommDeviceFactory factory = MakePlatformCommDevice);
  Trs232c port;
  // The device the name led to when the job was made (the name is resolved
  // once, here): the command opens exactly this one, or is refused as the
  // name was then, so a robot linked anew meanwhile cannot take the bytes.
  ResolvedPort chosen;
  LinkOutcome outcome;          // LinkSummary(outcome) says why it failed, on one line
  std::atomic<int> steps{0};    // step codes sent so far (a transfer)
  std::atomic<bool> done{false};
  // An earlier job for the same device: this one is not served, and takes
  // that job's outcome with a reason that says so once the command is done.
  const RobotJob* same_as = nullptr;
};

using RobotJobs = std::vector<std::unique_ptr<RobotJob>>;

// A job per port name, with the control lines bound as the window binds its
// own; names whose chosen devices are one device are marked (same_as).
RobotJobs MakeRobotJobs(const std::vector<std::string>& portnames,
                        const CommDeviceFactory& factory = MakePlatformCommDevice);

struct ClassObserver {
  // The paced wait after each byte (required for a transfer). It must wait
  // at least `ms` unless a stop was requested.
  std::function<void(std::uint32_t ms)> wait;
  // Asked after each wait; true ends every transfer there.
  std::function<bool()> stop_requested;
  // A job's steps or state changed: after each step's wait, and once it is
  // done (port closed, outcome set). On the job's thread.
  std::function<void(std::size_t index, const RobotJob& job)> changed;
  // Called on the calling thread every `idle_ms` while jobs are running
  // (a terminal redraws its progress lines).
  std::function<void()> idle;
  std::uint32_t idle_ms = 50;
};

// Transfers `codes` to every job's port at once; returns when all are done.
void SendToClass(RobotJobs& jobs, const ProgramCodes& codes, const ClassObserver& observer);

// Writes the execute byte to every job's port at once.
void RunOnClass(RobotJobs& jobs, const ClassObserver& observer);

// How many jobs ended with everything sent.
std::size_t CountSucceeded(const RobotJobs& jobs);

}  // namespace vk47
