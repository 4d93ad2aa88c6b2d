#pragma once
// What vk47ctl needs from the system beyond the core: its arguments and
// console as UTF-8, how send and run learn that the user wants them to stop,
// and the paced wait between steps that such a request ends early. POSIX:
// SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGPIPE; Windows: Ctrl+C, Ctrl+Break
// and closing the console.

#include <cstdint>
#include <string>
#include <vector>

namespace vk47::ctl {

// The arguments after the program name, as UTF-8 (on Windows from the wide
// command line: argv holds them in the ANSI code page, which loses a
// Japanese file name).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Makes the console show the program's UTF-8 text (Windows' console uses the
// OEM code page otherwise); nothing to do elsewhere.
void PrepareConsole();

// Keeps a thread for every robot in the room cheap: on glibc, all threads
// share one heap instead of each mapping and faulting in an arena of its own
// (which cost a classroom send a quarter of its CPU). Nothing to do elsewhere.
void ShareOneHeap();

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
