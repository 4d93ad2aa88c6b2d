#include "serial/termios_translation.h"

#include <sys/ioctl.h>

namespace vk47 {
namespace {

struct SpeedRow {
  std::uint32_t baud;
  speed_t speed;
};
constexpr SpeedRow kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},
    {150, B150},       {200, B200},       {300, B300},       {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
#endif
};

std::optional<speed_t> BaudToSpeed(std::uint32_t baud) {
  for (const SpeedRow& row : kSpeeds) {
    if (row.baud == baud) return row.speed;
  }
  return std::nullopt;
}

std::uint32_t SpeedToBaud(speed_t speed) {
  for (const SpeedRow& row : kSpeeds) {
    if (row.speed == speed) return row.baud;
  }
  return 0;
}

#ifdef CMSPAR
constexpr tcflag_t kStickParity = CMSPAR;
#else
constexpr tcflag_t kStickParity = 0;  // mark and space are refused below
#endif

// Why termios cannot carry the record, or "" when it can.
std::string Refusal(const CommControl& state) {
  using namespace comm_flags;
  if (!BaudToSpeed(state.BaudRate)) return "bit rate " + std::to_string(state.BaudRate) + " is not supported";
  if (state.ByteSize < 5 || state.ByteSize > 8)
    return "data bits " + std::to_string(state.ByteSize) + " are not supported";
  if (state.Parity > 4 || (kStickParity == 0 && state.Parity >= 3))
    return "parity " + std::to_string(state.Parity) + " is not supported";
  if (state.StopBits > 2) return "stop bits " + std::to_string(state.StopBits) + " are not supported";
  // termios has no DSR handshake, DSR sensitivity, DTR handshake or RTS toggle.
  if (state.Flags & kOutxDsrFlow) return "DSR output flow control is not supported";
  if (state.Flags & kDsrSensitivity) return "DSR sensitivity is not supported";
  if (DtrMode(state.Flags) >= 2) return "DTR handshake is not supported";
  if (RtsMode(state.Flags) == 3) return "RTS toggle mode is not supported";
  if (state.XonChar == state.XoffChar) return "XON and XOFF characters must differ";
  return "";
}

}  // namespace

std::string ControlToTermios(const CommControl& state, termios& tio) {
  using namespace comm_flags;
  std::string refusal = Refusal(state);
  if (!refusal.empty()) return refusal;

  const speed_t speed = *BaudToSpeed(state.BaudRate);
  ::cfsetispeed(&tio, speed);
  ::cfsetospeed(&tio, speed);
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  tio.c_cflag = (tio.c_cflag & ~CSIZE) | kSizes[state.ByteSize - 5];
  tio.c_cflag &= ~(PARENB | PARODD | kStickParity | CSTOPB | CRTSCTS);
  switch (state.Parity) {
    case 1: tio.c_cflag |= PARENB | PARODD; break;                 // odd
    case 2: tio.c_cflag |= PARENB; break;                          // even
    case 3: tio.c_cflag |= PARENB | PARODD | kStickParity; break;  // mark
    case 4: tio.c_cflag |= PARENB | kStickParity; break;           // space
    default: break;
  }
  if (state.StopBits != 0) tio.c_cflag |= CSTOPB;
  if ((state.Flags & kOutxCtsFlow) || RtsMode(state.Flags) == 2) tio.c_cflag |= CRTSCTS;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
  if (state.Flags & kOutX) tio.c_iflag |= IXON;
  if (state.Flags & kInX) tio.c_iflag |= IXOFF;
  if (state.Flags & kParity) tio.c_iflag |= INPCK;
  tio.c_cc[VSTART] = state.XonChar;
  tio.c_cc[VSTOP] = state.XoffChar;
  return "";
}

CommControl TermiosToControl(const termios& tio, const CommControl& stored, std::optional<int> modem_lines) {
  using namespace comm_flags;
  CommControl state = stored;
  state.BaudRate = SpeedToBaud(::cfgetospeed(&tio));
  switch (tio.c_cflag & CSIZE) {
    case CS5: state.ByteSize = 5; break;
    case CS6: state.ByteSize = 6; break;
    case CS7: state.ByteSize = 7; break;
    default: state.ByteSize = 8; break;
  }
  const bool odd = (tio.c_cflag & PARODD) != 0;
  if (!(tio.c_cflag & PARENB)) {
    state.Parity = 0;
  } else if (kStickParity != 0 && (tio.c_cflag & kStickParity)) {
    state.Parity = odd ? 3 : 4;
  } else {
    state.Parity = odd ? 1 : 2;
  }
  state.StopBits = (tio.c_cflag & CSTOPB) ? 2 : 0;

  std::uint32_t flags = stored.Flags & ~(kBinary | kParity | kOutxCtsFlow | kOutX | kInX);
  flags |= kBinary;  // termios has no text mode
  if (tio.c_iflag & INPCK) flags |= kParity;
  if (tio.c_cflag & CRTSCTS) flags = (flags & ~(3u << kRtsShift)) | kOutxCtsFlow | (2u << kRtsShift);
  if (tio.c_iflag & IXON) flags |= kOutX;
  if (tio.c_iflag & IXOFF) flags |= kInX;
  if (modem_lines) {
    if (DtrMode(flags) < 2)
      flags = (flags & ~(3u << kDtrShift)) | ((*modem_lines & TIOCM_DTR ? 1u : 0u) << kDtrShift);
    if (RtsMode(flags) < 2)
      flags = (flags & ~(3u << kRtsShift)) | ((*modem_lines & TIOCM_RTS ? 1u : 0u) << kRtsShift);
  }
  state.Flags = flags;
  state.XonChar = tio.c_cc[VSTART];
  state.XoffChar = tio.c_cc[VSTOP];
  return state;
}

bool LineSettingsKept(const termios& asked, const termios& now) {
  constexpr tcflag_t kLine = CSIZE | PARENB | CSTOPB | CRTSCTS;
  bool same = ::cfgetospeed(&now) == ::cfgetospeed(&asked) && (now.c_cflag & kLine) == (asked.c_cflag & kLine) &&
              (now.c_iflag & (IXON | IXOFF)) == (asked.c_iflag & (IXON | IXOFF));
  // Which parity only matters when parity is on.
  if (same && (asked.c_cflag & PARENB))
    same = (now.c_cflag & (PARODD | kStickParity)) == (asked.c_cflag & (PARODD | kStickParity));
  return same;
}

std::optional<ModemLineChange> EscapeToModemLine(std::uint32_t function) {
  switch (function) {
    case kSetRts: return ModemLineChange{TIOCM_RTS, true};
    case kClrRts: return ModemLineChange{TIOCM_RTS, false};
    case kSetDtr: return ModemLineChange{TIOCM_DTR, true};
    case kClrDtr: return ModemLineChange{TIOCM_DTR, false};
    default: return std::nullopt;
  }
}

}  // namespace vk47
