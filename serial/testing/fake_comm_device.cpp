#include "serial/testing/fake_comm_device.h"

#include <chrono>
#include <thread>

namespace vk47::testing {
namespace {

FakeCall Op(std::string op, std::uint32_t a = 0, std::uint32_t b = 0) {
  FakeCall call;
  call.op = std::move(op);
  call.a = a;
  call.b = b;
  return call;
}

class FakeCommDevice final : public CommDevice {
 public:
  explicit FakeCommDevice(std::shared_ptr<FakeCommLine> line) : line_(std::move(line)) {}
  ~FakeCommDevice() override {
    if (open_) Release();
  }

  bool Open(const std::string& portname) override {
    FakeCall call = Op("Open");
    call.text = portname;
    Record(std::move(call));
    if (line_->open_delay_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(line_->open_delay_ms));
    std::lock_guard lock(line_->mutex);
    if (line_->open_error) return Fail(line_->open_error);
    if (line_->is_held) return Fail({CommErrorKind::kInUse, 16, "Device or resource busy", portname});
    line_->is_held = true;
    open_ = true;
    return true;
  }
  bool SetupQueues(std::uint32_t rx, std::uint32_t tx) override {
    Record(Op("SetupQueues", rx, tx));
    return !line_->fail_setup || Fail({CommErrorKind::kUnsupportedSetting, 87, "queue size refused", ""});
  }
  bool GetState(CommControl& state) override {
    Record(Op("GetState"));
    state = line_->device_state;
    return true;
  }
  bool SetState(const CommControl& state) override {
    FakeCall call = Op("SetState");
    call.state = state;
    Record(std::move(call));
    if (line_->fail_set_state) return Fail({CommErrorKind::kUnsupportedSetting, 87, "settings refused", ""});
    line_->device_state = state;
    return true;
  }
  bool GetTimeouts(CommTimeouts& timeouts) override {
    Record(Op("GetTimeouts"));
    timeouts = line_->device_timeouts;
    return true;
  }
  bool SetTimeouts(const CommTimeouts& timeouts) override {
    FakeCall call = Op("SetTimeouts");
    call.timeouts = timeouts;
    Record(std::move(call));
    if (line_->fail_set_timeouts) return Fail({CommErrorKind::kUnsupportedSetting, 87, "time-outs refused", ""});
    line_->device_timeouts = timeouts;
    return true;
  }
  bool SetEventMask(std::uint32_t mask) override {
    Record(Op("SetEventMask", mask));
    {
      std::lock_guard lock(line_->mutex);
      line_->mask = mask;
      ++line_->generation;
    }
    line_->changed.notify_all();
    return true;
  }
  bool Purge(std::uint32_t flags) override {
    Record(Op("Purge", flags));
    return true;
  }
  WriteResult Write(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t timeout_ms,
                    const WriteWaitHook& /*keep_waiting*/) override {
    FakeCall call = Op("Write", count, timeout_ms);
    call.bytes.assign(bytes, bytes + count);
    Record(std::move(call));
    WriteResult result{WriteOutcome::kDoneAtOnce, count, count};
    if (!line_->write_results.empty()) {
      result = line_->write_results.front();
      line_->write_results.pop_front();
    }
    if (result.outcome == WriteOutcome::kFailed) Fail(line_->write_error);
    if (result.outcome == WriteOutcome::kTimedOut) {
      Record(Op("CancelWrite"));
      Fail({CommErrorKind::kTimedOut, 110, "Connection timed out", ""});
    }
    return result;
  }
  bool Escape(std::uint32_t function) override {
    Record(Op("Escape", function));
    return !line_->fail_escape || Fail({CommErrorKind::kUnsupportedSetting, 25, "no modem lines", ""});
  }
  bool WaitEvent(std::uint32_t& events) override {
    events = 0;
    std::unique_lock lock(line_->mutex);
    ++line_->waits;
    line_->changed.notify_all();
    if (line_->mask == 0) return true;
    const std::uint64_t generation = line_->generation;
    line_->changed.wait(lock, [&] { return !line_->events.empty() || line_->generation != generation; });
    if (line_->generation != generation) return true;
    FakeCommLine::Event event = line_->events.front();
    line_->events.pop_front();
    if (event.fail) {
      lock.unlock();
      return Fail({event.fail_kind, 0, "wait failed", ""});
    }
    line_->in_queue = event.in_queue;
    events = event.events & line_->mask;
    return true;
  }
  bool ClearErrors(std::uint32_t& in_queue) override {
    Record(Op("ClearErrors"));
    std::lock_guard lock(line_->mutex);
    in_queue = line_->in_queue;
    return true;
  }
  bool Close() override {
    Record(Op("Close"));
    if (!open_) return false;
    Release();
    return true;
  }
  CommError LastError() const override {
    std::lock_guard lock(error_mutex_);
    return error_;
  }

 private:
  void Record(FakeCall call) { line_->Record(std::move(call)); }
  bool Fail(CommError error) {
    if (error.device.empty()) error.device = "/dev/fake";
    std::lock_guard lock(error_mutex_);
    error_ = std::move(error);
    return false;
  }
  void Release() {
    {
      std::lock_guard lock(line_->mutex);
      line_->is_held = false;
      ++line_->generation;
    }
    line_->changed.notify_all();
    open_ = false;
  }

  std::shared_ptr<FakeCommLine> line_;
  bool open_ = false;
  mutable std::mutex error_mutex_;  // the event thread fails waits while the UI thread asks
  CommError error_;
};

}  // namespace

CommDeviceFactory FakeCommLine::Factory() {
  std::shared_ptr<FakeCommLine> self = shared_from_this();
  return [self] { return std::make_unique<FakeCommDevice>(self); };
}

void FakeCommLine::PushEvent(std::uint32_t event_bits, std::uint32_t in_queue_count) {
  {
    std::lock_guard lock(mutex);
    events.push_back({event_bits, in_queue_count, false});
  }
  changed.notify_all();
}

void FakeCommLine::PushWaitFailure(CommErrorKind kind) {
  {
    std::lock_guard lock(mutex);
    events.push_back({0, 0, true, kind});
  }
  changed.notify_all();
}

void FakeCommLine::Record(FakeCall call) {
  std::lock_guard lock(mutex);
  calls_.push_back(std::move(call));
}

std::vector<FakeCall> FakeCommLine::Calls() const {
  std::lock_guard lock(mutex);
  return calls_;
}

std::vector<std::string> FakeCommLine::Ops() const {
  std::lock_guard lock(mutex);
  std::vector<std::string> ops;
  for (const FakeCall& call : calls_) ops.push_back(call.op);
  return ops;
}

std::vector<FakeCall> FakeCommLine::CallsOf(const std::string& op) const {
  std::lock_guard lock(mutex);
  std::vector<FakeCall> found;
  for (const FakeCall& call : calls_) {
    if (call.op == op) found.push_back(call);
  }
  return found;
}

void FakeCommLine::ClearCalls() {
  std::lock_guard lock(mutex);
  calls_.clear();
}

int FakeCommLine::waits_started() const {
  std::lock_guard lock(mutex);
  return waits;
}

bool FakeCommLine::held() const {
  std::lock_guard lock(mutex);
  return is_held;
}

}  // namespace vk47::testing
