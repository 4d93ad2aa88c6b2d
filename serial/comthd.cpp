#include "serial/comthd.h"

#include <algorithm>
#include <chrono>

#include "serial/comm_device.h"
#include "serial/rs232c.h"
#include "serial/thread_handoff.h"

namespace vk47 {
namespace {

// Clears the flag even when a handler throws.
struct FlagGuard {
  explicit FlagGuard(std::atomic<bool>& flag) : flag_(flag) { flag_ = true; }
  ~FlagGuard() { flag_ = false; }
  std::atomic<bool>& flag_;
};

}  // namespace

tcommthread::tcommthread(bool createsuspended) {
  if (!createsuspended) Start();
}

tcommthread::~tcommthread() {
  Terminate();
  WaitFor();
}

void tcommthread::Start() {
  if (!thread_.joinable() && !finished_.load()) thread_ = std::thread([this] { Execute(); });
}

void tcommthread::Terminate() { terminated_ = true; }

void tcommthread::WaitFor() {
  if (!thread_.joinable()) return;
  ServeUntil([this] { return finished_.load(); });
  thread_.join();
}

// A wait that fails again and again is retried after a pause that doubles up
// to this, so that a lasting failure does not keep a core busy.
constexpr int kMaxRetryPauseMs = 100;

// Pauses for ms, ending early when termination is requested.
void tcommthread::PauseUnlessTerminated(int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!terminated_.load() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 5)));
  }
}

void tcommthread::Execute() {
  try {
    int pause_ms = 0;
    while (!terminated_.load()) {
      std::uint32_t events = 0;
      if (!device->WaitEvent(events)) {
        // A device that has vanished reports nothing more: the thread ends.
        // Any other failure is retried, backing off.
        const CommErrorKind kind = device->LastError().kind;
        if (kind == CommErrorKind::kIoError || kind == CommErrorKind::kNotFound ||
            kind == CommErrorKind::kNotOpen)
          break;
        pause_ms = std::min(kMaxRetryPauseMs, std::max(1, pause_ms * 2));
        PauseUnlessTerminated(pause_ms);
        continue;
      }
      pause_ms = 0;
      // A wait ended by a new mask reports nothing, and doevents would raise nothing.
      if (events == 0) continue;
      eventmask = events;
      RunOnUiThread([this] { doevents(); });
    }
  } catch (...) {
    // A handler's error, carried back by the hand-off, ends the thread.
  }
  finished_ = true;
  NotifyWaiters();
}

void tcommthread::doevents() {
  FlagGuard guard(in_doevents_);
  Trs232c& o = *owner;
  // A handler may close the port; nothing more is raised or asked of the device then.
  auto raise = [&](const TNotifyEvent& handler) {
    if (o.thread_.get() != this || !handler) return;
    TNotifyEvent call = handler;  // the handler may reassign its own slot
    call(this);
  };
  struct Row {
    std::uint32_t flag;
    TNotifyEvent Trs232c::*handler;
  };
  static constexpr Row kBefore[] = {
      {kEvBreak, &Trs232c::OnBREAK}, {kEvCts, &Trs232c::OnCTS}, {kEvDsr, &Trs232c::OnDSR},
      {kEvErr, &Trs232c::OnERR},     {kEvRing, &Trs232c::OnRING}, {kEvRlsd, &Trs232c::OnRLSD},
  };
  for (const Row& row : kBefore) {
    if (eventmask & row.flag) raise(o.*row.handler);
  }
  if ((eventmask & kEvRxChar) && o.thread_.get() == this) {
    std::uint32_t in_queue = 0;
    device->ClearErrors(in_queue);
    rxcount = static_cast<std::int32_t>(in_queue);
    if (o.OnPACKET && o.packetsize != 0 && !(o.packetsize > rxcount)) {
      rxcount = 0;
      raise(o.OnPACKET);
    }
    raise(o.OnRXCHAR);
  }
  if (eventmask & kEvRxFlag) raise(o.OnRXFLAG);
  if (eventmask & kEvTxEmpty) raise(o.OnTXEMPTY);
}

}  // namespace vk47
