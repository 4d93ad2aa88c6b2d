// Trs232c over the fake device: the records handed to the device, the event
// mask, the purges, the open/close events and the write outcomes.

#include "serial/rs232c.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "serial/testing/fake_comm_device.h"

namespace vk47 {
namespace {

using testing::FakeCommLine;

// A device state unlike every default, so that kept fields are visible.
CommControl DistinctState() {
  CommControl s;
  s.BaudRate = 115200;
  s.Flags = 0xFFFF;
  s.XonLim = 77;
  s.XoffLim = 88;
  s.ByteSize = 7;
  s.Parity = 3;
  s.StopBits = 2;
  s.XonChar = 0xA1;
  s.XoffChar = 0xA2;
  s.ErrorChar = 0xA3;
  s.EofChar = 0xA4;
  s.EvtChar = 0xA5;
  return s;
}

struct Fixture : ::testing::Test {
  std::shared_ptr<FakeCommLine> line = FakeCommLine::Make();
  Trs232c rs{line->Factory()};
  Fixture() { line->device_state = DistinctState(); }
  CommControl Applied() const { return line->CallsOf("SetState").back().state; }
  std::vector<std::uint32_t> Purges() const {
    std::vector<std::uint32_t> flags;
    for (const auto& call : line->CallsOf("Purge")) flags.push_back(call.a);
    return flags;
  }
};

using Rs232cTest = Fixture;

TEST_F(Rs232cTest, DefaultsConfigureTheDeviceInOrder) {
  line->device_timeouts = {1, 2, 3, 4, 5};
  ASSERT_TRUE(rs.open());
  EXPECT_EQ(line->Ops(), (std::vector<std::string>{"Open", "SetupQueues", "GetState", "SetState",
                                                   "GetTimeouts", "SetTimeouts", "SetEventMask", "Purge"}));
  EXPECT_EQ(line->CallsOf("Open")[0].text, "COM1");
  EXPECT_EQ(line->CallsOf("SetupQueues")[0].a, 1024u);
  EXPECT_EQ(line->CallsOf("SetupQueues")[0].b, 1024u);

  CommControl want = DistinctState();
  want.BaudRate = 9600;
  want.ByteSize = 8;
  want.Parity = 0;
  want.StopBits = 0;
  want.Flags = 1;
  want.XonChar = 0x13;
  want.XoffChar = 0x11;  // limits and the zero characters keep the device's values
  EXPECT_EQ(Applied(), want);

  CommTimeouts t = line->CallsOf("SetTimeouts")[0].timeouts;
  EXPECT_EQ(t, (CommTimeouts{0, 0, 30000, 0, 30000}));
  EXPECT_EQ(line->CallsOf("SetEventMask")[0].a, 0u);
  EXPECT_EQ(Purges(), std::vector<std::uint32_t>{0x0F});
  EXPECT_FALSE(rs.usethread());
}

TEST_F(Rs232cTest, NonZeroCharactersAndLimitsOnly) {
  rs.XonLim = 0x12345;  // low 16 bits
  rs.XoffLim = 9;
  rs.XonChar = 0;
  rs.XoffChar = 0;
  rs.ErrorChar = 0x3F;
  rs.EofChar = 0x1A;
  rs.EvtChar = 0x0D;
  rs.charbit = 0x107;  // low 8 bits
  rs.bps = 4800;
  rs.readinterval = 20;
  rs.rxtimeout = 111;
  rs.txtimeout = 222;
  ASSERT_TRUE(rs.open());
  CommControl s = Applied();
  EXPECT_EQ(s.XonLim, 0x2345);
  EXPECT_EQ(s.XoffLim, 9);
  EXPECT_EQ(s.XonChar, 0xA1);
  EXPECT_EQ(s.XoffChar, 0xA2);
  EXPECT_EQ(s.ErrorChar, 0x3F);
  EXPECT_EQ(s.EofChar, 0x1A);
  EXPECT_EQ(s.EvtChar, 0x0D);
  EXPECT_EQ(s.ByteSize, 7);
  EXPECT_EQ(s.BaudRate, 4800u);
  EXPECT_EQ(line->CallsOf("SetTimeouts")[0].timeouts, (CommTimeouts{20, 0, 111, 0, 222}));
}

struct TextRow {
  const char* text;
  int expected;  // -1: the device's value stays
};

TEST_F(Rs232cTest, ParityTexts) {
  const TextRow rows[] = {
      {"無し", 0},     {"なし", 0},     {"奇数", 1},   {"きすう", 1},     {"ODD", 1},      {"odd", 1},
      {"ＯＤＤ", 1},   {"ｏｄｄ", 1},   {"偶数", 2},   {"ぐうすう", 2},   {"EVEN", 2},     {"even", 2},
      {"ＥＶＥＮ", 2}, {"ｅｖｅｎ", 2}, {"マーク", 3}, {"まーく", 3},     {"MARK", 3},     {"mark", 3},
      {"ＭＡＲＫ", 3}, {"ｍａｒｋ", 3}, {"スペース", 4}, {"すぺーす", 4}, {"SPACE", 4},    {"space", 4},
      {"ＳＰＡＣＥ", 4}, {"ｓｐａｃｅ", 4}, {"Odd", -1}, {"NONE", -1},   {"none", -1},    {"", -1},
      {"無し ", -1},   {"Ｏｄｄ", -1},
  };
  for (const TextRow& row : rows) {
    SCOPED_TRACE(row.text);
    line->device_state.Parity = 4;
    rs.paritymode = row.text;
    ASSERT_TRUE(rs.open());
    EXPECT_EQ(Applied().Parity, row.expected < 0 ? 4 : row.expected);
    rs.close();
  }
}

TEST_F(Rs232cTest, StopBitTexts) {
  const TextRow rows[] = {{"1", 0}, {"1.5", 1}, {"2", 2}, {"1.0", -1}, {"2.0", -1}, {"", -1}, {" 1", -1}};
  for (const TextRow& row : rows) {
    SCOPED_TRACE(row.text);
    line->device_state.StopBits = 2;
    line->device_state.Parity = 0;
    rs.stopbit = row.text;
    ASSERT_TRUE(rs.open());
    EXPECT_EQ(Applied().StopBits, row.expected < 0 ? 2 : row.expected);
    rs.close();
  }
}

TEST_F(Rs232cTest, FlowIsAViewOfTheLowFlagBits) {
  EXPECT_EQ(rs.flow(), rsflowset{dfBinary});
  rs.flowflag = (1 << 20) | (1 << 14) | 1;
  EXPECT_EQ(rs.flow(), (rsflowset{dfBinary, dfAbortOnError}));
  rs.setflow(rs.flow());
  EXPECT_EQ(rs.flowflag, (1 << 14) | 1);
  rs.setflow({dfOutX, dfInX, dfRtsControl_b0});
  EXPECT_EQ(rs.flowflag, (1 << 8) | (1 << 9) | (1 << 12));

  rs.setflow({});
  EXPECT_EQ(rs.flowflag, 0);
  ASSERT_TRUE(rs.open());
  EXPECT_EQ(Applied().Flags, 0u);  // handed over without binary mode
  rs.close();

  rs.flowflag = static_cast<std::int32_t>(0x80012345u);
  ASSERT_TRUE(rs.open());
  EXPECT_EQ(Applied().Flags, 0x80012345u);  // all 32 bits
}

TEST_F(Rs232cTest, EventMaskFollowsTheHandlersAtOpen) {
  const struct {
    const char* name;
    TNotifyEvent Trs232c::*handler;
    std::uint32_t mask;
  } rows[] = {
      {"OnBREAK", &Trs232c::OnBREAK, 0x0040}, {"OnCTS", &Trs232c::OnCTS, 0x0008},
      {"OnDSR", &Trs232c::OnDSR, 0x0010},     {"OnERR", &Trs232c::OnERR, 0x0080},
      {"OnRING", &Trs232c::OnRING, 0x0100},   {"OnRLSD", &Trs232c::OnRLSD, 0x0020},
      {"OnRXCHAR", &Trs232c::OnRXCHAR, 0x0001}, {"OnPACKET", &Trs232c::OnPACKET, 0x0001},
      {"OnRXFLAG", &Trs232c::OnRXFLAG, 0x0002}, {"OnTXEMPTY", &Trs232c::OnTXEMPTY, 0x0004},
      {"OnOpen", &Trs232c::OnOpen, 0},        {"OnClose", &Trs232c::OnClose, 0},
      {"OnCreate", &Trs232c::OnCreate, 0},
  };
  std::uint32_t all = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Trs232c one(line->Factory());
    one.*row.handler = [](void*) {};
    ASSERT_TRUE(one.open());
    EXPECT_EQ(one.eventmask(), row.mask);
    EXPECT_EQ(line->CallsOf("SetEventMask").back().a, row.mask);
    EXPECT_EQ(one.usethread(), row.mask != 0);
    ASSERT_TRUE(one.close());
    (rs.*row.handler) = [](void*) {};
    all |= row.mask;
  }
  ASSERT_TRUE(rs.open());
  EXPECT_EQ(rs.eventmask(), all);
  EXPECT_EQ(all, 0x1FFu);
}

TEST_F(Rs232cTest, CloseStopsLowersLinesAfterOnCloseThenReleases) {
  bool held_in_handler = false;
  bool wrote_in_handler = true;
  rs.OnClose = [&](void* sender) {
    EXPECT_EQ(sender, &rs);
    EXPECT_FALSE(rs.opened());
    held_in_handler = line->held();
    wrote_in_handler = rs.writebyte(1) || rs.setdtr(true) || rs.setrts(true);
  };
  ASSERT_TRUE(rs.open());
  line->ClearCalls();
  EXPECT_TRUE(rs.close());
  EXPECT_TRUE(held_in_handler);
  EXPECT_FALSE(wrote_in_handler);
  EXPECT_FALSE(line->held());
  EXPECT_EQ(line->Ops(), (std::vector<std::string>{"Purge", "Escape", "Escape", "Close"}));
  EXPECT_EQ(Purges(), std::vector<std::uint32_t>{0x03});
  EXPECT_EQ(line->CallsOf("Escape")[0].a, kClrDtr);
  EXPECT_EQ(line->CallsOf("Escape")[1].a, kClrRts);
}

TEST_F(Rs232cTest, FailedConfigurationPurgesAndReleases) {
  const struct {
    const char* name;
    bool FakeCommLine::*failure;
    const char* last_op;
  } rows[] = {
      {"queues", &FakeCommLine::fail_setup, "SetupQueues"},
      {"settings", &FakeCommLine::fail_set_state, "SetState"},
      {"time-outs", &FakeCommLine::fail_set_timeouts, "SetTimeouts"},
  };
  // Outlives the loop: the handler still runs at the last open below.
  int opens = 0;
  rs.OnOpen = [&](void*) { ++opens; };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    line->ClearCalls();
    (*line).*row.failure = true;
    opens = 0;
    EXPECT_FALSE(rs.open());
    (*line).*row.failure = false;
    std::vector<std::string> ops = line->Ops();
    ASSERT_GE(ops.size(), 3u);
    EXPECT_EQ(ops[ops.size() - 3], row.last_op);
    EXPECT_EQ(ops[ops.size() - 2], "Purge");
    EXPECT_EQ(ops.back(), "Close");
    EXPECT_EQ(Purges(), std::vector<std::uint32_t>{0x03});
    EXPECT_FALSE(line->held());
    EXPECT_FALSE(rs.opened());
    EXPECT_EQ(opens, 0);
    EXPECT_EQ(rs.lasterror().kind, CommErrorKind::kUnsupportedSetting);
    EXPECT_FALSE(rs.close());
  }
  EXPECT_TRUE(rs.open());  // the port was not left taken
  EXPECT_EQ(opens, 1);
}

TEST_F(Rs232cTest, MissingDeviceAcquiresNothing) {
  line->open_error = {CommErrorKind::kNotFound, 2, "No such file or directory", "/dev/ttyUSB0"};
  EXPECT_FALSE(rs.open());
  EXPECT_EQ(line->Ops(), std::vector<std::string>{"Open"});
  EXPECT_EQ(rs.lasterror().kind, CommErrorKind::kNotFound);
  EXPECT_EQ(rs.lasterror().device, "/dev/ttyUSB0");
  EXPECT_NE(DescribeCommError(rs.lasterror(), "COM1").find("/dev/ttyUSB0"), std::string::npos);

  Trs232c other(line->Factory());
  line->open_error = {};
  ASSERT_TRUE(other.open());
  EXPECT_FALSE(rs.open());
  EXPECT_EQ(rs.lasterror().kind, CommErrorKind::kInUse);
}

// Every kind speaks to the pupil with the port as the menus name it, in
// whole sentences, and leaves the device, the system's text and commands to
// the details; the status line's cause has no full stop of its own.
TEST(CommErrorNotice, PupilsLinesNameThePortAndKeepTheDetailsApart) {
  const CommErrorKind kinds[] = {
      CommErrorKind::kNotFound, CommErrorKind::kInUse,    CommErrorKind::kPermissionDenied,
      CommErrorKind::kUnsupportedSetting, CommErrorKind::kIoError, CommErrorKind::kTimedOut,
      CommErrorKind::kShortWrite, CommErrorKind::kNotOpen, CommErrorKind::kRobotGone, CommErrorKind::kOther};
  for (const CommErrorKind kind : kinds) {
    const Notice notice = CommErrorNotice({kind, 5, "Input/output error", "/dev/ttyUSB2"}, "com3");
    ASSERT_EQ(notice.main.size(), 1u) << CommErrorKindName(kind);
    const std::string main = Plain(notice.main[0]);
    EXPECT_NE(main.find("COM3"), std::string::npos) << main;
    EXPECT_TRUE(main.ends_with("。")) << main;
    for (const char* teacher : {"com3", "/dev/", "Input/output", "vk47-robot", "sudo"}) {
      EXPECT_EQ(main.find(teacher), std::string::npos) << main << " has " << teacher;
    }
    const std::string reason = Plain(notice.reason);
    EXPECT_FALSE(reason.empty() || reason.ends_with("。")) << reason;
    const std::string all = NoticeText(notice);
    EXPECT_NE(all.find("デバイス: /dev/ttyUSB2"), std::string::npos) << all;
    EXPECT_NE(all.find("Input/output error (エラー番号 5)"), std::string::npos) << all;
  }
  EXPECT_NE(DescribeCommError({CommErrorKind::kRobotGone, 0, "", ""}, "COM2").find("vk47-robot --link-as com2"),
            std::string::npos);
  EXPECT_TRUE(CommErrorNotice({}, "com1").empty());
  EXPECT_EQ(MenuPortName("com4"), "COM4");
  EXPECT_EQ(MenuPortName("/dev/pts/3"), "/dev/pts/3");
}

TEST_F(Rs232cTest, OpenAndCloseEventsOncePerChange) {
  int opens = 0;
  int closes = 0;
  rs.OnOpen = [&](void* sender) {
    EXPECT_EQ(sender, &rs);
    EXPECT_TRUE(rs.opened());
    ++opens;
  };
  rs.OnClose = [&](void*) { ++closes; };
  EXPECT_FALSE(rs.close());
  EXPECT_TRUE(rs.open());
  EXPECT_FALSE(rs.open());
  EXPECT_EQ(opens, 1);
  EXPECT_TRUE(rs.close());
  EXPECT_FALSE(rs.close());
  EXPECT_EQ(closes, 1);

  for (bool close_first : {false, true}) {
    int destroyed_closes = 0;
    {
      Trs232c temp(line->Factory());
      temp.OnClose = [&](void*) { ++destroyed_closes; };
      ASSERT_TRUE(temp.open());
      if (close_first) temp.close();
      destroyed_closes = 0;
    }
    EXPECT_EQ(destroyed_closes, close_first ? 0 : 1);
    EXPECT_FALSE(line->held());
  }
}

TEST_F(Rs232cTest, WriteOutcomes) {
  const struct {
    const char* name;
    WriteResult script;
    bool ok;
    CommErrorKind error;
  } rows[] = {
      {"done at once", {WriteOutcome::kDoneAtOnce, 3, 0}, true, CommErrorKind::kNone},
      {"done at once, count not compared", {WriteOutcome::kDoneAtOnce, 1, 0}, true, CommErrorKind::kNone},
      {"pending then done", {WriteOutcome::kPendingThenDone, 0, 3}, true, CommErrorKind::kNone},
      {"pending then short", {WriteOutcome::kPendingThenDone, 0, 2}, false, CommErrorKind::kShortWrite},
      {"timed out", {WriteOutcome::kTimedOut, 0, 0}, false, CommErrorKind::kTimedOut},
      {"failed", {WriteOutcome::kFailed, 0, 0}, false, CommErrorKind::kIoError},
  };
  const std::uint8_t bytes[] = {0x74, 0x00, 0xD0};
  rs.txtimeout = 1234;
  ASSERT_TRUE(rs.open());
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    line->ClearCalls();
    line->write_results.push_back(row.script);
    EXPECT_EQ(rs.write(bytes, 3), row.ok);
    EXPECT_EQ(rs.lasterror().kind, row.error);
    auto writes = line->CallsOf("Write");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].bytes, (std::vector<std::uint8_t>{0x74, 0x00, 0xD0}));
    EXPECT_EQ(writes[0].b, 1234u);
    EXPECT_EQ(!line->CallsOf("CancelWrite").empty(), row.script.outcome == WriteOutcome::kTimedOut);
    EXPECT_TRUE(rs.opened());  // a failed write leaves the port usable
  }
  EXPECT_TRUE(rs.writebyte(0x78));
  EXPECT_EQ(line->CallsOf("Write").back().bytes, std::vector<std::uint8_t>{0x78});
  EXPECT_FALSE(rs.write(bytes, -1));

  rs.close();
  line->ClearCalls();
  EXPECT_FALSE(rs.writebyte(0x78));
  EXPECT_EQ(rs.lasterror().kind, CommErrorKind::kNotOpen);
  EXPECT_FALSE(rs.setdtr(true));
  EXPECT_FALSE(rs.setrts(false));
  EXPECT_TRUE(line->Ops().empty());
}

TEST_F(Rs232cTest, LineSwitchingUsesEscapeCodes) {
  ASSERT_TRUE(rs.open());
  line->ClearCalls();
  EXPECT_TRUE(rs.setdtr(true));
  EXPECT_TRUE(rs.setdtr(false));
  EXPECT_TRUE(rs.setrts(true));
  EXPECT_TRUE(rs.setrts(false));
  std::vector<std::uint32_t> codes;
  for (const auto& call : line->CallsOf("Escape")) codes.push_back(call.a);
  EXPECT_EQ(codes, (std::vector<std::uint32_t>{5, 6, 3, 4}));
  line->fail_escape = true;
  EXPECT_FALSE(rs.setdtr(true));
}

TEST_F(Rs232cTest, SettingsChangedWhileOpenWaitForTheNextOpen) {
  ASSERT_TRUE(rs.open());
  rs.portname = "COM3";
  rs.bps = 19200;
  EXPECT_EQ(line->CallsOf("SetState").size(), 1u);
  rs.close();
  ASSERT_TRUE(rs.open());
  EXPECT_EQ(line->CallsOf("Open").back().text, "COM3");
  EXPECT_EQ(Applied().BaudRate, 19200u);
}

// A handler's exception reaches the caller, but never at the price of the
// device: close has released it and counts as closed before passing it on.
TEST_F(Fixture, AnOnCloseErrorReachesTheCallerAfterTheDeviceIsReleased) {
  rs.OnClose = [](void*) { throw std::runtime_error("handler failed"); };
  ASSERT_TRUE(rs.open());
  EXPECT_THROW(rs.close(), std::runtime_error);
  EXPECT_FALSE(rs.opened());
  EXPECT_FALSE(line->held());
  EXPECT_TRUE(rs.open()) << "the port opens again";
  rs.OnClose = nullptr;
}

}  // namespace
}  // namespace vk47
