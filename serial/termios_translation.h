#pragma once
// The device control record (CommControl) as termios settings and back, and
// the escape codes as modem-line changes. Pure functions over values: the
// POSIX comm device does the tcgetattr/tcsetattr and ioctl calls with their
// results, so the translation is tested without a device (a pseudo-terminal
// clears parity and has no modem lines, so it could not show it). POSIX only;
// any thread.

#include <termios.h>

#include <cstdint>
#include <optional>
#include <string>

#include "serial/comm_device.h"

namespace vk47 {

// Writes the record's line settings into `tio`: speed, byte size, parity
// (mark and space through CMSPAR), stop bits (one and a half is taken as two),
// RTS/CTS flow control (CTS output flow or RTS handshake), XON/XOFF flow
// control, parity checking (INPCK) and the XON/XOFF characters. Every other
// part of `tio` stays as it was. Returns "" when termios can carry the record;
// otherwise why not, and `tio` is left unchanged.
std::string ControlToTermios(const CommControl& state, termios& tio);

// The record that `tio` describes. The fields termios does not hold (queue
// limits, the error, end and event characters, flag bits without a termios
// counterpart) come from `stored`, the record last applied. `modem_lines` are
// the TIOCMGET bits when the device has modem lines: they give the DTR and RTS
// mode of a line that is not under handshake.
CommControl TermiosToControl(const termios& tio, const CommControl& stored,
                             std::optional<int> modem_lines = std::nullopt);

// Whether the driver kept the line settings asked for: tcsetattr succeeds
// when any part was taken, so `now` (read back) is compared with `asked`.
bool LineSettingsKept(const termios& asked, const termios& now);

// An escape code as the modem line it switches (TIOCM_RTS or TIOCM_DTR) and
// the line's new state; nothing for a code other than kSetRts, kClrRts, kSetDtr
// and kClrDtr.
struct ModemLineChange {
  int bit = 0;
  bool on = false;
  bool operator==(const ModemLineChange&) const = default;
};
std::optional<ModemLineChange> EscapeToModemLine(std::uint32_t function);

}  // namespace vk47
