#include "serial/thread_handoff.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>

namespace vk47 {
namespace {

// A call's failure travels back as its message: an exception object made on
// one thread and released on another is invisible to the thread checker's
// view of the C++ runtime, so the worker throws a fresh one of its own.
struct Request {
  const std::function<void()>* call = nullptr;
  bool failed = false;
  std::string error;
  bool done = false;
};

struct Handoff {
  std::mutex mutex;
  std::condition_variable changed;  // a call was queued, ran, or a worker notified
  std::deque<Request*> queue;
  std::function<void()> wake;
};

Handoff& State() {
  static Handoff state;
  return state;
}

// Set while this thread runs a queued call.
thread_local int serving_depth = 0;

}  // namespace

void SetWakeCallback(std::function<void()> wake) {
  Handoff& s = State();
  std::lock_guard lock(s.mutex);
  s.wake = std::move(wake);
}

void RunOnUiThread(const std::function<void()>& call) {
  if (serving_depth > 0) {
    call();
    return;
  }
  Handoff& s = State();
  Request request;
  request.call = &call;
  std::function<void()> wake;
  {
    std::lock_guard lock(s.mutex);
    s.queue.push_back(&request);
    wake = s.wake;
  }
  s.changed.notify_all();
  if (wake) wake();
  std::unique_lock lock(s.mutex);
  s.changed.wait(lock, [&] { return request.done; });
  if (request.failed) throw std::runtime_error(request.error);
}

int RunPendingCalls() {
  Handoff& s = State();
  int ran = 0;
  for (;;) {
    Request* request = nullptr;
    {
      std::lock_guard lock(s.mutex);
      if (s.queue.empty()) break;
      request = s.queue.front();
      s.queue.pop_front();
    }
    bool failed = false;
    std::string error;
    ++serving_depth;
    try {
      (*request->call)();
    } catch (const std::exception& e) {
      failed = true;
      error = e.what();
    } catch (...) {
      failed = true;
      error = "unknown exception";
    }
    --serving_depth;
    {
      std::lock_guard lock(s.mutex);
      request->failed = failed;
      request->error = std::move(error);
      request->done = true;
    }
    s.changed.notify_all();
    ++ran;
  }
  return ran;
}

bool ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  Handoff& s = State();
  const auto start = std::chrono::steady_clock::now();
  const bool bounded = limit != std::chrono::milliseconds::max();
  for (;;) {
    RunPendingCalls();
    std::unique_lock lock(s.mutex);
    auto ready = [&] { return !s.queue.empty() || done(); };
    if (bounded) {
      if (!s.changed.wait_until(lock, start + limit, ready)) return done();
    } else {
      s.changed.wait(lock, ready);
    }
    if (s.queue.empty()) return true;
  }
}

void NotifyWaiters() {
  Handoff& s = State();
  // Taking the lock orders the caller's change before a waiter's next check.
  { std::lock_guard lock(s.mutex); }
  s.changed.notify_all();
}

}  // namespace vk47
