#include "ui/common/WaitWithMessages.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>

namespace vk47 {
namespace {

std::uint32_t g_tick_offset = 0;

}  // namespace

std::uint32_t TickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  return static_cast<std::uint32_t>(ms) + g_tick_offset;
}

void SetTickOffsetForTesting(std::uint32_t offset) { g_tick_offset = offset; }

void WaitWithMessages(std::uint32_t ms) { WaitWithMessagesSince(TickCount(), ms); }

void WaitWithMessagesSince(std::uint32_t start, std::uint32_t ms) {
  const std::uint32_t passed = TicksElapsed(start, TickCount());
  if (passed >= ms) return;
  ms -= passed;
  start += passed;
  // The millisecond counter decides, as its contract says; a deadline on the
  // same monotonic clock at full resolution sets the wake-up, so the wait
  // neither returns up to a tick early nor oversleeps by a tick or two.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  // Coarse timers may fire a few ms early; a precise one wakes the loop at
  // the deadline, and the loop below re-checks anyway.
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    if (TicksElapsed(start, TickCount()) >= ms && now >= deadline) return;
    const auto left_us = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now).count();
    const long long left_ms = std::clamp<long long>((left_us + 999) / 1000, 0, 1 << 30);
    wake.start(static_cast<int>(left_ms));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

}  // namespace vk47
