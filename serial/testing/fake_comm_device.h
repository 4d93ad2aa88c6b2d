#pragma once
// A scriptable comm device for tests of Trs232c and of code built on it. A
// FakeCommLine stands for one serial line: the devices its Factory() makes
// record every call (except the event waits) with its arguments, and behave as
// the script says. Script fields are set from the test (UI) thread between
// operations; PushEvent and PushWaitFailure may be called from any thread.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "serial/comm_device.h"

namespace vk47::testing {

struct FakeCall {
  std::string op;       // "Open", "SetupQueues", "GetState", "SetState", ...
  std::uint32_t a = 0;  // first numeric argument (queue size, mask, flags, count, function)
  std::uint32_t b = 0;  // second numeric argument (tx queue size, write time-out)
  std::string text;     // Open's port name
  CommControl state;    // SetState's record
  CommTimeouts timeouts;  // SetTimeouts' record
  std::vector<std::uint8_t> bytes;  // Write's bytes
};

class FakeCommLine : public std::enable_shared_from_this<FakeCommLine> {
 public:
  static std::shared_ptr<FakeCommLine> Make() { return std::make_shared<FakeCommLine>(); }

  CommDeviceFactory Factory();

  // --- script ---
  CommError open_error;            // kind != kNone: Open fails with it
  int open_delay_ms = 0;           // Open takes this long (a device that is slow to answer)
  bool fail_setup = false;         // SetupQueues fails
  bool fail_set_state = false;     // SetState fails (the device refuses the settings)
  bool fail_set_timeouts = false;  // SetTimeouts fails
  bool fail_escape = false;        // Escape fails
  CommControl device_state;        // what GetState reports; SetState stores here
  CommTimeouts device_timeouts;    // what GetTimeouts reports; SetTimeouts stores here
  // Outcomes of the next writes, in order; when empty a write is done at once.
  std::deque<WriteResult> write_results;
  CommError write_error{CommErrorKind::kIoError, 5, "Input/output error", "/dev/fake"};
  std::uint32_t in_queue = 0;      // what ClearErrors reports

  // --- events (any thread) ---
  // The next wait reports events (filtered by the mask) and sets in_queue.
  void PushEvent(std::uint32_t events, std::uint32_t in_queue_count);
  // The next wait fails with `kind` (kIoError: the device has vanished).
  void PushWaitFailure(CommErrorKind kind = CommErrorKind::kOther);

  // --- observation ---
  std::vector<FakeCall> Calls() const;
  std::vector<std::string> Ops() const;
  std::vector<FakeCall> CallsOf(const std::string& op) const;
  void ClearCalls();
  int waits_started() const;
  bool held() const;  // a device of this line is open

  // Used by the device.
  struct Event {
    std::uint32_t events;
    std::uint32_t in_queue;
    bool fail;
    CommErrorKind fail_kind = CommErrorKind::kOther;
  };
  void Record(FakeCall call);
  mutable std::mutex mutex;
  std::condition_variable changed;
  std::deque<Event> events;
  std::uint32_t mask = 0;
  std::uint64_t generation = 0;
  bool is_held = false;
  int waits = 0;

 private:
  std::vector<FakeCall> calls_;
};

}  // namespace vk47::testing
