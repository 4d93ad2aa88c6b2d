// Trs232c with the real POSIX backend on pseudo-terminals: the settings that
// reach the device, the bytes on the far end, exclusivity, a vanished device,
// and received-byte events through the event thread.

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

#include "serial/comthd.h"
#include "serial/rs232c.h"
#include "serial/thread_handoff.h"
#include "tests/serial/pty_pair.h"

namespace vk47 {
namespace {

using namespace std::chrono_literals;
using testing::MasterReader;
using testing::PtyPair;
using Clock = std::chrono::steady_clock;

struct PtyTest : ::testing::Test {
  PtyPair pty;
  Trs232c rs;
  PtyTest() { rs.portname = pty.slave_path(); }
};

TEST_F(PtyTest, OpenAppliesRawNineSixHundredEightBits) {
  termios before{};
  ::tcgetattr(pty.slave(), &before);
  before.c_lflag |= ICANON | ECHO;
  ::cfsetospeed(&before, B115200);
  ::tcsetattr(pty.slave(), TCSANOW, &before);

  ASSERT_TRUE(rs.open()) << rs.lasterror().os_message;
  termios tio{};
  ASSERT_EQ(::tcgetattr(pty.slave(), &tio), 0);
  EXPECT_EQ(::cfgetospeed(&tio), B9600);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  EXPECT_EQ(tio.c_cc[VSTART], 0x13);
  EXPECT_EQ(tio.c_cc[VSTOP], 0x11);

  // A pseudo-terminal has no modem lines: refused, and the port stays usable.
  EXPECT_FALSE(rs.setdtr(true));
  EXPECT_FALSE(rs.setrts(true));
  MasterReader reader(pty.master());
  EXPECT_TRUE(rs.writebyte(0x78));
  EXPECT_EQ(reader.Values(1, 1000ms), std::vector<std::uint8_t>{0x78});
}

TEST_F(PtyTest, RefusedSettingsFailTheOpenAndReleaseTheDevice) {
  rs.bps = 12345;  // no such standard rate
  EXPECT_FALSE(rs.open());
  EXPECT_EQ(rs.lasterror().kind, CommErrorKind::kUnsupportedSetting);
  rs.bps = 9600;
  rs.paritymode = "偶数";
  rs.charbit = 7;  // a pty forces 8 bits without parity: read back, refused
  EXPECT_FALSE(rs.open());
  rs.paritymode = "無し";
  rs.charbit = 8;
  EXPECT_TRUE(rs.open());
}

TEST_F(PtyTest, BytesArriveInOrder) {
  MasterReader reader(pty.master());
  ASSERT_TRUE(rs.open());
  std::vector<std::uint8_t> sent = {0x74};
  for (int i = 0; i < 16; ++i) sent.push_back(static_cast<std::uint8_t>(i * 13));
  for (std::uint8_t byte : sent) ASSERT_TRUE(rs.writebyte(byte));
  const std::uint8_t block[] = {0xD0, 0x00, 0x7F};
  ASSERT_TRUE(rs.write(block, 3));
  sent.insert(sent.end(), std::begin(block), std::end(block));
  auto got = reader.WaitFor(sent.size(), 2000ms);
  ASSERT_EQ(got.size(), sent.size());
  for (std::size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(got[i].value, sent[i]) << i;
    if (i > 0) {
      EXPECT_GE(got[i].at, got[i - 1].at);
    }
  }
}

TEST_F(PtyTest, SecondOpenFailsWhileTheFirstHoldsTheDevice) {
  ASSERT_TRUE(rs.open());
  Trs232c second;
  second.portname = pty.slave_path();
  EXPECT_FALSE(second.open());
  EXPECT_EQ(second.lasterror().kind, CommErrorKind::kInUse);
  EXPECT_EQ(second.lasterror().device, pty.slave_path());
  EXPECT_TRUE(rs.close());
  EXPECT_TRUE(second.open());
}

TEST_F(PtyTest, MissingDeviceIsReportedAsNotFound) {
  rs.portname = "/dev/vk47-no-such-port";
  EXPECT_FALSE(rs.open());
  EXPECT_EQ(rs.lasterror().kind, CommErrorKind::kNotFound);
}

TEST_F(PtyTest, VanishedDeviceFailsWritesQuickly) {
  ASSERT_TRUE(rs.open());
  pty.CloseMaster();
  const auto start = Clock::now();
  EXPECT_FALSE(rs.writebyte(0x74));
  EXPECT_LT(Clock::now() - start, 500ms);
  EXPECT_EQ(rs.lasterror().kind, CommErrorKind::kIoError);
  EXPECT_TRUE(rs.opened());
  EXPECT_TRUE(rs.close());
}

TEST_F(PtyTest, FullOutputTimesOut) {
  // Nobody reads the master: the pty's buffer fills and the write times out.
  rs.txtimeout = 100;
  ASSERT_TRUE(rs.open());
  std::vector<std::uint8_t> big(1 << 20, 0x55);
  const auto start = Clock::now();
  EXPECT_FALSE(rs.write(big.data(), static_cast<int>(big.size())));
  auto took = Clock::now() - start;
  EXPECT_GE(took, 90ms);
  EXPECT_LT(took, 1000ms);
  EXPECT_EQ(rs.lasterror().kind, CommErrorKind::kTimedOut);
}

struct PtyEventTest : PtyTest {
  std::vector<std::pair<std::string, std::int32_t>> seen;
  TNotifyEvent Recorder(std::string name) {
    return [this, name](void* sender) { seen.push_back({name, static_cast<tcommthread*>(sender)->rxcount}); };
  }
  bool Serve(const std::function<bool()>& done) { return ServeUntil(done, 2000ms); }
};

TEST_F(PtyEventTest, CloseEndsTheEventThreadPromptly) {
  rs.OnRXCHAR = Recorder("RXCHAR");
  rs.OnCTS = Recorder("CTS");  // a pty has no modem lines: nothing to poll
  ASSERT_TRUE(rs.open());
  EXPECT_TRUE(rs.usethread());
  std::this_thread::sleep_for(20ms);  // the worker is blocked in its wait
  const auto start = Clock::now();
  EXPECT_TRUE(rs.close());
  EXPECT_LT(Clock::now() - start, 200ms);
}

TEST_F(PtyEventTest, ReceivedBytesRaiseRxcharAndPacket) {
  rs.OnRXCHAR = Recorder("RXCHAR");
  rs.OnPACKET = Recorder("PACKET");
  rs.packetsize = 10;
  ASSERT_TRUE(rs.open());
  ASSERT_TRUE(pty.WriteToMaster(std::vector<std::uint8_t>(9, 0x41)));
  ASSERT_TRUE(Serve([&] { return !seen.empty() && seen.back().second == 9; }));
  for (const auto& s : seen) EXPECT_EQ(s.first, "RXCHAR");

  seen.clear();
  ASSERT_TRUE(pty.WriteToMaster(std::vector<std::uint8_t>(3, 0x42)));  // 12 waiting
  ASSERT_TRUE(Serve([&] { return seen.size() >= 2; }));
  EXPECT_EQ(seen[0], (std::pair<std::string, std::int32_t>{"PACKET", 0}));
  EXPECT_EQ(seen[1], (std::pair<std::string, std::int32_t>{"RXCHAR", 0}));
  EXPECT_TRUE(rs.close());

  // Negative: every report raises OnPACKET.
  seen.clear();
  rs.packetsize = -1;
  ASSERT_TRUE(rs.open());  // open purged the queue
  ASSERT_TRUE(pty.WriteToMaster({0x01}));
  ASSERT_TRUE(Serve([&] { return seen.size() >= 2; }));
  EXPECT_EQ(seen[0].first, "PACKET");
}

TEST_F(PtyEventTest, EventCharacterRaisesRxflag) {
  rs.OnRXFLAG = Recorder("RXFLAG");
  rs.EvtChar = '\r';
  ASSERT_TRUE(rs.open());
  ASSERT_TRUE(pty.WriteToMaster({'a', 'b'}));
  ServeUntil([] { return false; }, 50ms);
  EXPECT_TRUE(seen.empty());
  ASSERT_TRUE(pty.WriteToMaster({'c', '\r'}));
  ASSERT_TRUE(Serve([&] { return !seen.empty(); }));
}

TEST_F(PtyEventTest, ThrowingHandlerEndsTheThreadWithoutHangingClose) {
  int calls = 0;
  rs.OnRXCHAR = [&](void*) {
    ++calls;
    throw std::runtime_error("handler failed");
  };
  ASSERT_TRUE(rs.open());
  ASSERT_TRUE(pty.WriteToMaster({0x01}));
  ASSERT_TRUE(Serve([&] { return calls == 1; }));
  ASSERT_TRUE(pty.WriteToMaster({0x02}));
  ServeUntil([] { return false; }, 50ms);
  EXPECT_EQ(calls, 1);
  const auto start = Clock::now();
  EXPECT_TRUE(rs.close());
  EXPECT_LT(Clock::now() - start, 200ms);
}

TEST_F(PtyEventTest, HangUpDoesNotSpinOrBlockClose) {
  rs.OnRXCHAR = Recorder("RXCHAR");
  ASSERT_TRUE(rs.open());
  pty.CloseMaster();
  ServeUntil([] { return false; }, 50ms);
  const auto start = Clock::now();
  EXPECT_TRUE(rs.close());
  EXPECT_LT(Clock::now() - start, 200ms);
}

}  // namespace
}  // namespace vk47
