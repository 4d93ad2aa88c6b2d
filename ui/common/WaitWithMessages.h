#pragma once
// WaitWithMessages: the pause that every timed operation (load, demo,
// transfer) takes on the UI thread while the windows stay alive.
//
// It returns once the millisecond tick counter has advanced by at least `ms`
// since the call, measured in unsigned 32-bit arithmetic so that a wrap of the
// counter does not disturb it; a wait of 0 returns at once without touching the
// event queue. Meanwhile it blocks in the event loop (woken by a precise timer
// at the deadline) instead of spinning, so paints, input and commands are
// handled during the wait at almost no CPU cost. Commands chosen meanwhile run
// nested inside the waiting operation. UI thread only.

#include <cstdint>

namespace vk47 {

// Milliseconds on a monotonic clock, wrapping at 2^32 like a tick counter.
std::uint32_t TickCount();

// Time passed from `start` to `now` on the wrapping tick counter.
constexpr std::uint32_t TicksElapsed(std::uint32_t start, std::uint32_t now) {
  return now - start;
}

void WaitWithMessages(std::uint32_t ms);

// The same wait, counted from an earlier tick `start` instead of from the
// call: it returns at once when `ms` have passed since `start` already.
void WaitWithMessagesSince(std::uint32_t start, std::uint32_t ms);

// Shifts TickCount by `offset` so tests can start a wait just before the wrap.
void SetTickOffsetForTesting(std::uint32_t offset);

}  // namespace vk47
