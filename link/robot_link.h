#pragma once
// Sending a program to the robot and starting it, over a Trs232c, with no
// window: the waits, the log and the progress display are injected (the
// window passes WaitWithMessages, Memo1 and its progress window; vk47ctl a
// sleeping wait and a terminal bar).
//
// A transfer writes 0x74, then the sixteen step codes, each byte by itself and
// each followed by a 100 ms wait that starts once its write has completed.
// Nothing is reported as sent that was not: a port that cannot be opened, or
// a write that fails or times out, ends the command with a message saying why
// and how far it came. After a failed write the port is closed, so the next
// command opens it afresh (a re-plugged adapter or a newly linked robot then
// works without a restart). UI thread only (or the one thread of a tool).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/step_program.h"
#include "serial/port_resolver.h"
#include "serial/rs232c.h"
#include "text/words.h"

namespace vk47 {

struct TransferObserver {
  std::function<void()> begin;                             // show progress: title, bar 0
  std::function<void(std::uint32_t ms)> wait;              // pause, keeping the UI alive
  std::function<void(int value)> log;                      // one line per step, full value
  std::function<void(int position, int counter)> progress; // after each step's wait
  std::function<void()> end;                               // close progress, however it ends
  // Asked after each wait; true stops the transfer there (a tool's Ctrl+C).
  std::function<bool()> stop_requested;
};

struct LinkOutcome {
  bool ok = false;
  bool stopped = false; // ended by stop_requested, or a write abandoned through the port's writewait
  int steps_sent = 0;   // step codes written by a transfer (the 0x74 not counted)
  // What to tell the user when !ok, told once: the pupil's lines, the cause,
  // a teacher's details. The window shows it (its status bar the reason);
  // LinkMessage and LinkSummary give it as text for the tools.
  Notice notice;
  // Where, in notice.main, the port's own sentences begin ("シリアルポート
  // COM1 が見つかりません。..."): the lines before say what was not done.
  // At the end (a stop): the reason is the summary.
  std::size_t port_lines = 0;
};

// The whole failure as one text (NoticeText), for vk47ctl's error output.
std::string LinkMessage(const LinkOutcome& outcome);

// Why it failed, in one line: the port's own sentences, or "中断しました" for
// a stop. vk47ctl's summary and the class dialog's rows show it.
WordsLine LinkSummary(const LinkOutcome& outcome);

// OnOpen / OnClose handlers: DTR then RTS on after the port has opened; DTR
// then RTS off when it closes.
void rs232cOpen(Trs232c& port);
void rs232cClose(Trs232c& port);
void BindControlLines(Trs232c& port);

// Whether the open port's name now resolves to another device than the one
// open (a robot linked anew over an older one, an edited set.ini), or to
// none at all (the robot has ended).
bool PortLeadsElsewhere(const Trs232c& port);

// Opens the port when it is not open (an adapter plugged in after start-up
// then works). A port still open on a device its name no longer leads to is
// closed first and opened on the device the name leads to now, so a command
// never goes to a device other than the one the name (and the window's
// status bar) names. Returns what to tell the user when it cannot be opened,
// an empty notice when the port is open; a failure always has a main line.
// The name is resolved once; with `chosen`, not at all: the port is opened
// on the device chosen (and shown) before the command began, or refused as
// that choice was, whatever the name leads to by now.
Notice EnsurePortOpen(Trs232c& port);
Notice EnsurePortOpen(Trs232c& port, const ResolvedPort& chosen);

// The port as the menus name it, with the device the open port uses when
// that is named otherwise: "COM1 (/dev/pts/3)", "COM1", "/dev/pts/3".
std::string PortAndDevice(const Trs232c& port);

// Why the port's last operation failed, in words for a pupil and a teacher;
// empty when it has not failed.
Notice PortFailureNotice(const Trs232c& port);

// With `chosen`, the port opens on that device (see EnsurePortOpen).
LinkOutcome TransferProgram(Trs232c& port, const ProgramCodes& codes,
                            const TransferObserver& observer,
                            const std::optional<ResolvedPort>& chosen = std::nullopt);

// Writes the execute byte 0x78: no progress, no wait, no log line.
LinkOutcome ExecuteProgram(Trs232c& port, const std::optional<ResolvedPort>& chosen = std::nullopt);

}  // namespace vk47
