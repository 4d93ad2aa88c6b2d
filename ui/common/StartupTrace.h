#pragma once

// Marks of the window's start-up, for the benchmark that asks where start-up
// time goes. With the environment variable VK47_STARTUP_TRACE naming a file,
// every mark's time on the monotonic clock (milliseconds, the clock Python's
// time.monotonic() reads) is written there once the main window has first
// been painted, one "name milliseconds" line each. Without it a mark costs one
// clock read.

class QWidget;

namespace vk47 {

// Records that start-up has reached `phase` (a string literal).
void MarkStartup(const char* phase);

// After `window`'s first expose has been painted, records the mark
// "painted" and writes them all to the file, if one is named.
void FinishStartupTraceAfterFirstPaint(QWidget* window);

}  // namespace vk47
