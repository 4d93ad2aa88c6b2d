#pragma once
// How vk47ctl send and run learn that the user wants them to stop, and the
// paced wait between steps that such a request ends early. POSIX: SIGINT,
// SIGTERM and SIGHUP; Windows: Ctrl+C, Ctrl+Break and closing the console.

#include <cstdint>

namespace vk47::ctl {

// From here on a stop request ends the command at the next step, with the
// port closed properly (DTR and RTS lowered, the line settings put back) and
// word of how far it came.
void CatchStopSignals();

bool StopRequested();

// The exit status of a command ended by a stop request, as a shell reports
// a signal: 128 + N (Ctrl+C is SIGINT, 130, on Windows too).
int StopStatus();

// Waits at least `ms` on the monotonic clock, never returning early unless a
// stop was requested. One precise wake-up per wait keeps the CPU share low
// even with a thread for every robot in the room.
void SleepAtLeast(std::uint32_t ms);

// Whether standard error is a terminal (the progress bar is drawn only there).
bool StderrIsTerminal();

}  // namespace vk47::ctl
