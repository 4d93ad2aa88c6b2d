#include "ui/WaitWithMessages.h"

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

void WaitWithMessages(std::uint32_t ms) {
  const std::uint32_t start = TickCount();
  // Coarse timers may fire a few ms early; a precise one wakes the loop at
  // the deadline, and the loop below re-checks the counter anyway.
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  for (;;) {
    const std::uint32_t elapsed = TicksElapsed(start, TickCount());
    if (elapsed >= ms) return;
    wake.start(static_cast<int>(std::min<std::uint32_t>(ms - elapsed, 1u << 30)));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

}  // namespace vk47
