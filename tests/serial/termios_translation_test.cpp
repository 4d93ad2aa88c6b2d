// The control record as termios settings and back, and the escape codes as
// modem lines: what a pseudo-terminal cannot show (it clears parity and has
// no modem lines), checked on the values themselves.

#include "serial/termios_translation.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <cstring>
#include <string>

namespace vk47 {
namespace {

using namespace comm_flags;

// The record the port component applies: 9600 8N1, binary, no flow control.
CommControl Plain() {
  CommControl c;
  c.BaudRate = 9600;
  c.ByteSize = 8;
  c.Flags = kBinary;
  c.XonChar = 0x11;
  c.XoffChar = 0x13;
  return c;
}

// A raw termios, and one with every bit the translation owns set, so a row
// shows both what it sets and what it clears.
termios Raw() {
  termios tio{};
  ::cfmakeraw(&tio);
  ::cfsetospeed(&tio, B115200);
  ::cfsetispeed(&tio, B115200);
  return tio;
}
termios Dirty() {
  termios tio = Raw();
  tio.c_cflag = (tio.c_cflag & ~CSIZE) | CS5 | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
  tio.c_iflag |= IXON | IXOFF | IXANY | INPCK;
  return tio;
}

// A record whose every field that termios carries differs from `r`'s, and
// whose other fields are the same: a round trip must take the former from
// termios, not from the record last applied.
CommControl Scrambled(CommControl r) {
  r.BaudRate = r.BaudRate == 300 ? 600 : 300;
  r.ByteSize = r.ByteSize == 5 ? 6 : 5;
  r.Parity = static_cast<std::uint8_t>((r.Parity + 1) % 5);
  r.StopBits = r.StopBits == 0 ? 2 : 0;
  r.Flags ^= kBinary | kParity | kOutxCtsFlow | kOutX | kInX;
  if (RtsMode(r.Flags) == 2) r.Flags &= ~(3u << kRtsShift);
  r.XonChar ^= 0x40;
  r.XoffChar ^= 0x40;
  return r;
}

constexpr tcflag_t kOwnedCflag = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
constexpr tcflag_t kOwnedIflag = IXON | IXOFF | IXANY | INPCK;

struct ToTermiosRow {
  const char* name;
  void (*change)(CommControl&);
  speed_t speed;
  tcflag_t cflag;  // of kOwnedCflag
  tcflag_t iflag;  // of kOwnedIflag
};

const ToTermiosRow kToTermios[] = {
    {"Plain", [](CommControl&) {}, B9600, CS8, 0},
    {"Baud50", [](CommControl& c) { c.BaudRate = 50; }, B50, CS8, 0},
    {"Baud115200", [](CommControl& c) { c.BaudRate = 115200; }, B115200, CS8, 0},
    {"FiveBits", [](CommControl& c) { c.ByteSize = 5; }, B9600, CS5, 0},
    {"SixBits", [](CommControl& c) { c.ByteSize = 6; }, B9600, CS6, 0},
    {"SevenBits", [](CommControl& c) { c.ByteSize = 7; }, B9600, CS7, 0},
    {"OddParity", [](CommControl& c) { c.Parity = 1; }, B9600, CS8 | PARENB | PARODD, 0},
    {"EvenParity", [](CommControl& c) { c.Parity = 2; }, B9600, CS8 | PARENB, 0},
    {"MarkParity", [](CommControl& c) { c.Parity = 3; }, B9600, CS8 | PARENB | PARODD | CMSPAR, 0},
    {"SpaceParity", [](CommControl& c) { c.Parity = 4; }, B9600, CS8 | PARENB | CMSPAR, 0},
    {"OneAndAHalfStopBitsAsTwo", [](CommControl& c) { c.StopBits = 1; }, B9600, CS8 | CSTOPB, 0},
    {"TwoStopBits", [](CommControl& c) { c.StopBits = 2; }, B9600, CS8 | CSTOPB, 0},
    {"CtsOutputFlow", [](CommControl& c) { c.Flags |= kOutxCtsFlow; }, B9600, CS8 | CRTSCTS, 0},
    {"RtsHandshake", [](CommControl& c) { c.Flags |= 2u << kRtsShift; }, B9600, CS8 | CRTSCTS, 0},
    {"RtsOnIsNoFlowControl", [](CommControl& c) { c.Flags |= 1u << kRtsShift; }, B9600, CS8, 0},
    {"XonXoffOut", [](CommControl& c) { c.Flags |= kOutX; }, B9600, CS8, IXON},
    {"XonXoffIn", [](CommControl& c) { c.Flags |= kInX; }, B9600, CS8, IXOFF},
    {"ParityCheck", [](CommControl& c) { c.Flags |= kParity; }, B9600, CS8, INPCK},
    {"SevenEvenTwoWithBothFlows",
     [](CommControl& c) {
       c.ByteSize = 7;
       c.Parity = 2;
       c.StopBits = 2;
       c.Flags |= kOutxCtsFlow | kOutX | kInX;
     },
     B9600, CS7 | PARENB | CSTOPB | CRTSCTS, IXON | IXOFF},
};

TEST(TermiosTranslation, RecordToTermiosSetsAndClearsItsBits) {
  for (const ToTermiosRow& row : kToTermios) {
    for (const termios& start : {Raw(), Dirty()}) {
      SCOPED_TRACE(std::string(row.name) + ((start.c_cflag & PARENB) ? " over a dirty termios" : ""));
      CommControl record = Plain();
      row.change(record);
      termios tio = start;
      ASSERT_EQ(ControlToTermios(record, tio), "");
      EXPECT_EQ(::cfgetospeed(&tio), row.speed);
      EXPECT_EQ(::cfgetispeed(&tio), row.speed);
      EXPECT_EQ(tio.c_cflag & kOwnedCflag, row.cflag);
      EXPECT_EQ(tio.c_iflag & kOwnedIflag, row.iflag);
      EXPECT_EQ(tio.c_cc[VSTART], 0x11);
      EXPECT_EQ(tio.c_cc[VSTOP], 0x13);
      // What the record does not own stays: the raw mode of the line.
      EXPECT_EQ(tio.c_lflag, start.c_lflag);
      EXPECT_EQ(tio.c_oflag, start.c_oflag);
      EXPECT_EQ(tio.c_cflag & ~(kOwnedCflag | CBAUD), start.c_cflag & ~(kOwnedCflag | CBAUD));
    }
  }
}

TEST(TermiosTranslation, RecordsTermiosCannotCarryAreRefusedAndChangeNothing) {
  struct Row {
    const char* name;
    void (*change)(CommControl&);
  };
  const Row rows[] = {
      {"NoSuchRate", [](CommControl& c) { c.BaudRate = 12345; }},
      {"ZeroRate", [](CommControl& c) { c.BaudRate = 0; }},
      {"FourBits", [](CommControl& c) { c.ByteSize = 4; }},
      {"NineBits", [](CommControl& c) { c.ByteSize = 9; }},
      {"ParityFive", [](CommControl& c) { c.Parity = 5; }},
      {"StopBitsThree", [](CommControl& c) { c.StopBits = 3; }},
      {"DsrOutputFlow", [](CommControl& c) { c.Flags |= kOutxDsrFlow; }},
      {"DsrSensitivity", [](CommControl& c) { c.Flags |= kDsrSensitivity; }},
      {"DtrHandshake", [](CommControl& c) { c.Flags |= 2u << kDtrShift; }},
      {"RtsToggle", [](CommControl& c) { c.Flags |= 3u << kRtsShift; }},
      {"SameXonAndXoff", [](CommControl& c) { c.XoffChar = c.XonChar; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CommControl record = Plain();
    row.change(record);
    termios tio = Dirty();
    const termios before = tio;
    EXPECT_NE(ControlToTermios(record, tio), "");
    EXPECT_EQ(std::memcmp(&tio, &before, sizeof tio), 0);
  }
}

struct FromTermiosRow {
  const char* name;
  tcflag_t cflag;
  tcflag_t iflag;
  std::uint8_t byte_size;
  std::uint8_t parity;
  std::uint8_t stop_bits;
  std::uint32_t flags;
};

const FromTermiosRow kFromTermios[] = {
    {"EightNoneOne", CS8, 0, 8, 0, 0, kBinary},
    {"FiveBits", CS5, 0, 5, 0, 0, kBinary},
    {"SixBits", CS6, 0, 6, 0, 0, kBinary},
    {"SevenBits", CS7, 0, 7, 0, 0, kBinary},
    {"Odd", CS8 | PARENB | PARODD, 0, 8, 1, 0, kBinary},
    {"Even", CS8 | PARENB, 0, 8, 2, 0, kBinary},
    {"Mark", CS8 | PARENB | PARODD | CMSPAR, 0, 8, 3, 0, kBinary},
    {"Space", CS8 | PARENB | CMSPAR, 0, 8, 4, 0, kBinary},
    {"OddFlagWithoutParityIsNone", CS8 | PARODD | CMSPAR, 0, 8, 0, 0, kBinary},
    {"TwoStopBits", CS8 | CSTOPB, 0, 8, 0, 2, kBinary},
    {"RtsCts", CS8 | CRTSCTS, 0, 8, 0, 0, kBinary | kOutxCtsFlow | (2u << kRtsShift)},
    {"XonXoffBothWays", CS8, IXON | IXOFF, 8, 0, 0, kBinary | kOutX | kInX},
    {"ParityCheck", CS7 | PARENB, INPCK, 7, 2, 0, kBinary | kParity},
};

TEST(TermiosTranslation, TermiosToRecord) {
  CommControl stored = Plain();
  stored.XonLim = 2048;
  stored.XoffLim = 512;
  stored.EvtChar = 0x7E;
  stored.ErrorChar = 0x3F;
  stored.Flags |= kOutX | kOutxCtsFlow | kTxContinueOnXoff;  // termios decides the first two
  for (const FromTermiosRow& row : kFromTermios) {
    SCOPED_TRACE(row.name);
    termios tio = Raw();
    ::cfsetospeed(&tio, B57600);
    tio.c_cflag = (tio.c_cflag & ~kOwnedCflag) | row.cflag;
    tio.c_iflag = (tio.c_iflag & ~kOwnedIflag) | row.iflag;
    tio.c_cc[VSTART] = 0x01;
    tio.c_cc[VSTOP] = 0x02;
    const CommControl record = TermiosToControl(tio, stored);
    EXPECT_EQ(record.BaudRate, 57600u);
    EXPECT_EQ(record.ByteSize, row.byte_size);
    EXPECT_EQ(record.Parity, row.parity);
    EXPECT_EQ(record.StopBits, row.stop_bits);
    EXPECT_EQ(record.Flags, row.flags | kTxContinueOnXoff);
    EXPECT_EQ(record.XonChar, 0x01);
    EXPECT_EQ(record.XoffChar, 0x02);
    // What termios does not hold comes from the record last applied.
    EXPECT_EQ(record.XonLim, 2048);
    EXPECT_EQ(record.XoffLim, 512);
    EXPECT_EQ(record.EvtChar, 0x7E);
    EXPECT_EQ(record.ErrorChar, 0x3F);
  }
}

TEST(TermiosTranslation, ModemLinesGiveTheDtrAndRtsOfLinesWithoutHandshake) {
  const termios raw = Raw();
  CommControl stored = Plain();
  EXPECT_EQ(TermiosToControl(raw, stored, TIOCM_DTR).Flags, kBinary | (1u << kDtrShift));
  EXPECT_EQ(TermiosToControl(raw, stored, TIOCM_RTS).Flags, kBinary | (1u << kRtsShift));
  stored.Flags |= (1u << kDtrShift) | (1u << kRtsShift);
  EXPECT_EQ(TermiosToControl(raw, stored, 0).Flags, kBinary);
  // Without modem lines (a pseudo-terminal) the applied modes stand.
  EXPECT_EQ(TermiosToControl(raw, stored).Flags, stored.Flags);
  // Under RTS/CTS handshake the RTS line does not change the mode.
  termios handshake = raw;
  handshake.c_cflag |= CRTSCTS;
  EXPECT_EQ(RtsMode(TermiosToControl(handshake, stored, 0).Flags), 2u);
}

TEST(TermiosTranslation, RoundTripsBothWays) {
  // Record -> termios -> record gives the record back (one and a half stop
  // bits aside, which termios carries as two).
  for (const ToTermiosRow& row : kToTermios) {
    SCOPED_TRACE(row.name);
    CommControl record = Plain();
    row.change(record);
    if (record.StopBits == 1) continue;
    termios tio = Dirty();
    ASSERT_EQ(ControlToTermios(record, tio), "");
    CommControl expected = record;
    if (expected.Flags & kOutxCtsFlow || RtsMode(expected.Flags) == 2)
      expected.Flags = (expected.Flags & ~(3u << kRtsShift)) | kOutxCtsFlow | (2u << kRtsShift);
    EXPECT_EQ(TermiosToControl(tio, Scrambled(record)), expected);
  }
  // termios -> record -> termios keeps every bit the translation owns.
  for (const FromTermiosRow& row : kFromTermios) {
    SCOPED_TRACE(row.name);
    if (!(row.cflag & PARENB) && (row.cflag & (PARODD | CMSPAR))) continue;  // no parity, nothing to keep
    termios tio = Raw();
    tio.c_cflag = (tio.c_cflag & ~kOwnedCflag) | row.cflag;
    tio.c_iflag = (tio.c_iflag & ~kOwnedIflag) | row.iflag;
    tio.c_cc[VSTART] = 0x11;
    tio.c_cc[VSTOP] = 0x13;
    termios back = Dirty();
    ASSERT_EQ(ControlToTermios(TermiosToControl(tio, Plain()), back), "");
    EXPECT_EQ(back.c_cflag & kOwnedCflag, tio.c_cflag & kOwnedCflag);
    EXPECT_EQ(back.c_iflag & kOwnedIflag, tio.c_iflag & kOwnedIflag);
    EXPECT_EQ(::cfgetospeed(&back), ::cfgetospeed(&tio));
    EXPECT_TRUE(LineSettingsKept(back, tio));
  }
}

TEST(TermiosTranslation, ReadBackNoticesWhatTheDriverDropped) {
  termios asked = Raw();
  CommControl record = Plain();
  record.Parity = 1;
  record.StopBits = 2;
  ASSERT_EQ(ControlToTermios(record, asked), "");
  EXPECT_TRUE(LineSettingsKept(asked, asked));
  struct Row {
    const char* name;
    void (*drop)(termios&);
  };
  const Row rows[] = {
      {"Speed", [](termios& t) { ::cfsetospeed(&t, B4800); }},
      {"Parity", [](termios& t) { t.c_cflag &= ~PARENB; }},
      {"OddBecameEven", [](termios& t) { t.c_cflag &= ~PARODD; }},
      {"StickParity", [](termios& t) { t.c_cflag |= CMSPAR; }},
      {"StopBits", [](termios& t) { t.c_cflag &= ~CSTOPB; }},
      {"ByteSize", [](termios& t) { t.c_cflag = (t.c_cflag & ~CSIZE) | CS7; }},
      {"XonXoff", [](termios& t) { t.c_iflag |= IXON; }},
  };
  for (const Row& row : rows) {
    termios now = asked;
    row.drop(now);
    EXPECT_FALSE(LineSettingsKept(asked, now)) << row.name;
  }
}

TEST(TermiosTranslation, EscapeCodesSwitchTheirOwnLine) {
  struct Row {
    std::uint32_t code;
    int bit;
    bool on;
  };
  const Row rows[] = {
      {kSetRts, TIOCM_RTS, true},
      {kClrRts, TIOCM_RTS, false},
      {kSetDtr, TIOCM_DTR, true},
      {kClrDtr, TIOCM_DTR, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(EscapeToModemLine(row.code), (ModemLineChange{row.bit, row.on})) << row.code;
  }
  for (std::uint32_t other : {0u, 1u, 2u, 7u, 8u, 9u}) EXPECT_FALSE(EscapeToModemLine(other)) << other;
}

}  // namespace
}  // namespace vk47
