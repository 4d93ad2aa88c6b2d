#pragma once
// Synchronous hand-off of a call from a worker thread to the user-interface
// thread, process-wide (there is one UI thread).
//
// Who calls what:
//  - A worker thread calls RunOnUiThread(call). The call is queued, the wake
//    callback runs (on the worker thread), and the worker blocks until the UI
//    thread has run the call. An exception thrown by the call comes back to
//    the worker as a std::runtime_error with the same message. Called on a
//    thread that is itself running a queued call (a
//    nested hand-off), the call runs at once, so that it cannot deadlock.
//  - The UI side installs a wake callback once (SetWakeCallback). It must be
//    callable from any thread and only arrange for RunPendingCalls to run soon
//    on the UI thread (the Qt adapter posts a queued invocation).
//  - The UI thread calls RunPendingCalls: it runs every queued call in order.
//  - The UI thread calls ServeUntil when it must wait for a worker (closing the
//    port): it runs queued calls while it waits, so that a worker handing a
//    call over meanwhile can finish. Workers call NotifyWaiters after changing
//    what a ServeUntil condition looks at.
// Without a wake callback (command-line tools, tests) queued calls wait until
// the UI thread calls RunPendingCalls or ServeUntil.

#include <chrono>
#include <functional>

namespace vk47 {

void SetWakeCallback(std::function<void()> wake);

// Worker side: runs call on the UI thread and waits for it to finish.
void RunOnUiThread(const std::function<void()>& call);

// UI side: runs the calls queued so far; returns how many ran.
int RunPendingCalls();

// UI side: serves queued calls until done() is true (checked after every
// notification) or the limit has passed; returns done()'s last value. done()
// runs with the hand-off's lock held: it may only read flags (atomics).
bool ServeUntil(const std::function<bool()>& done,
                std::chrono::milliseconds limit = std::chrono::milliseconds::max());

// Worker side: wakes a ServeUntil so that it looks at its condition again.
void NotifyWaiters();

}  // namespace vk47
