#include "link/robot_link.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "link/class_link.h"
#include "link/protocol.h"
#include "model/demo_program.h"
#include "serial/testing/fake_comm_device.h"

namespace vk47 {
namespace {

using testing::FakeCommLine;

// Records what the transfer reports, in order, with a fake clock that the
// wait advances: "wait 100" "log 36" "progress 0 1" ...
struct Recorder {
  std::vector<std::string> events;
  std::uint64_t clock_ms = 0;
  TransferObserver Observer() {
    TransferObserver o;
    o.begin = [this] { events.push_back("begin"); };
    o.wait = [this](std::uint32_t ms) {
      clock_ms += ms;
      events.push_back("wait " + std::to_string(ms));
    };
    o.log = [this](int v) { events.push_back("log " + std::to_string(v)); };
    o.progress = [this](int p, int c) {
      events.push_back("progress " + std::to_string(p) + " " + std::to_string(c));
    };
    o.end = [this] { events.push_back("end"); };
    return o;
  }
};

class RobotLink : public ::testing::Test {
 protected:
  std::vector<std::uint8_t> Written() const {
    std::vector<std::uint8_t> bytes;
    for (const auto& call : line->CallsOf("Write")) {
      bytes.insert(bytes.end(), call.bytes.begin(), call.bytes.end());
    }
    return bytes;
  }
  std::shared_ptr<FakeCommLine> line = FakeCommLine::Make();
  Trs232c port{line->Factory()};
  Recorder recorder;
};

TEST_F(RobotLink, EmptyProgramSendsTheCommandAndSixteenZeros) {
  ASSERT_TRUE(port.open());
  const LinkOutcome outcome = TransferProgram(port, EmptyProgram(), recorder.Observer());
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.steps_sent, 16);
  std::vector<std::uint8_t> expected(17, 0x00);
  expected[0] = 0x74;
  EXPECT_EQ(Written(), expected);
  for (const auto& call : line->CallsOf("Write")) EXPECT_EQ(call.a, 1u) << "one byte per write";
}

TEST_F(RobotLink, DemoGoesOutInOrderWithWaitsLogAndProgress) {
  ASSERT_TRUE(port.open());
  const ProgramCodes demo = *DemoProgram().codes;
  // A stop asked for once the last step is out comes too late to stop anything.
  TransferObserver observer = recorder.Observer();
  observer.stop_requested = [this] { return recorder.clock_ms >= 1700; };
  const LinkOutcome outcome = TransferProgram(port, demo, observer);
  ASSERT_TRUE(outcome.ok);
  EXPECT_FALSE(outcome.stopped);
  std::vector<std::uint8_t> expected = {0x74};
  for (int code : demo) expected.push_back(static_cast<std::uint8_t>(code));
  EXPECT_EQ(Written(), expected);

  std::vector<std::string> want = {"begin", "wait 100"};
  for (int k = 0; k < 16; ++k) {
    want.push_back("log " + std::to_string(demo[k]));
    want.push_back("wait 100");
    want.push_back("progress " + std::to_string(StepProgressPosition(k)) + " " +
                   std::to_string(k + 1));
  }
  want.push_back("end");
  EXPECT_EQ(recorder.events, want);
  EXPECT_EQ(recorder.clock_ms, 1700u);
}

TEST_F(RobotLink, CodesOutsideAByteGoOutAsTheirLowBitsAndAreLoggedInFull) {
  ASSERT_TRUE(port.open());
  ProgramCodes codes = EmptyProgram();
  codes[0] = 300;
  codes[1] = 0;
  codes[2] = -1;
  ASSERT_TRUE(TransferProgram(port, codes, recorder.Observer()).ok);
  const auto bytes = Written();
  EXPECT_EQ(bytes[1], 300 - 256);
  EXPECT_EQ(bytes[2], 0x00);
  EXPECT_EQ(bytes[3], 0x00);  // empty and code 0 are the same byte
  EXPECT_EQ(recorder.events[2], "log 300");
  EXPECT_EQ(recorder.events[8], "log 0");  // empty slot logged as the 0 it sends
}

TEST_F(RobotLink, ExecuteWritesOneByteWithoutWaiting) {
  ASSERT_TRUE(port.open());
  EXPECT_TRUE(ExecuteProgram(port).ok);
  EXPECT_EQ(Written(), std::vector<std::uint8_t>{0x78});
}

TEST_F(RobotLink, AClosedPortIsOpenedOnceBeforeSending) {
  ASSERT_FALSE(port.opened());
  BindControlLines(port);
  ASSERT_TRUE(TransferProgram(port, EmptyProgram(), recorder.Observer()).ok);
  EXPECT_EQ(line->CallsOf("Open").size(), 1u);
  EXPECT_EQ(Written().size(), 17u);
  // DTR then RTS switched on when the port opened.
  const auto escapes = line->CallsOf("Escape");
  ASSERT_GE(escapes.size(), 2u);
  EXPECT_EQ(escapes[0].a, 5u);  // kSetDtr
  EXPECT_EQ(escapes[1].a, 3u);  // kSetRts
}

TEST_F(RobotLink, APortThatCannotOpenSendsNothingAndSaysWhy) {
  line->open_error = {CommErrorKind::kPermissionDenied, 13, "Permission denied", "/dev/ttyUSB0"};
  port.portname = "com1";
  const LinkOutcome transfer = TransferProgram(port, EmptyProgram(), recorder.Observer());
  EXPECT_FALSE(transfer.ok);
  EXPECT_EQ(transfer.steps_sent, 0);
  EXPECT_TRUE(recorder.events.empty()) << "no progress window for a port that never opened";
  // The pupil reads the port as the menus name it; the device, the system's
  // text and the command for the teacher stay in the details.
  ASSERT_EQ(transfer.notice.main.size(), 1u);
  const std::string main = Plain(transfer.notice.main[0]);
  EXPECT_NE(main.find("COM1"), std::string::npos) << main;
  for (const char* detail : {"/dev/ttyUSB0", "dialout", "Permission denied", "13"}) {
    EXPECT_EQ(main.find(detail), std::string::npos) << detail;
    EXPECT_NE(LinkMessage(transfer).find(detail), std::string::npos) << detail;
  }
  EXPECT_EQ(Plain(transfer.notice.reason), "COM1 を開く権限がありません");

  const LinkOutcome execute = ExecuteProgram(port);
  EXPECT_FALSE(execute.ok);
  EXPECT_NE(LinkMessage(execute).find("COM1"), std::string::npos);
  // The reason is the port's sentence alone, without "cannot open" before it.
  EXPECT_EQ(Plain(LinkSummary(transfer)).rfind("シリアルポート COM1 を開く権限がありません。", 0), 0u) << Plain(LinkSummary(transfer));
  EXPECT_EQ(Plain(LinkSummary(execute)), Plain(LinkSummary(transfer)));
  EXPECT_TRUE(Written().empty());
}

// An empty notice is the only sign of an open port: a refused open always
// says which port, and the same port opens once the refusal is gone.
TEST_F(RobotLink, OpeningThePortFailsWithAMessageAndSucceedsWithNone) {
  port.portname = "com1";
  line->open_error = {CommErrorKind::kNotFound, 2, "No such file or directory", "/dev/ttyUSB0"};
  const Notice refused = EnsurePortOpen(port);
  ASSERT_FALSE(refused.empty());
  EXPECT_NE(NoticeText(refused).find("COM1"), std::string::npos) << NoticeText(refused);
  EXPECT_FALSE(port.opened());

  line->open_error = {};
  EXPECT_TRUE(EnsurePortOpen(port).empty());
  EXPECT_TRUE(port.opened());
  EXPECT_TRUE(EnsurePortOpen(port).empty()) << "an open port is kept";
  EXPECT_EQ(line->CallsOf("Open").size(), 2u);
}

TEST_F(RobotLink, AFailedWriteStopsTheTransferAndCountsWhatWentOut) {
  ASSERT_TRUE(port.open());
  // 0x74 and three steps go out, the fourth step's write times out.
  for (int i = 0; i < 4; ++i) line->write_results.push_back({WriteOutcome::kDoneAtOnce, 1, 1});
  line->write_results.push_back({WriteOutcome::kTimedOut, 0, 0});
  const LinkOutcome outcome = TransferProgram(port, *DemoProgram().codes, recorder.Observer());
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.steps_sent, 3);
  EXPECT_NE(LinkMessage(outcome).find("16 ステップのうち 3 ステップ"), std::string::npos);
  EXPECT_EQ(recorder.events.back(), "end") << "the progress window closes";
  EXPECT_EQ(std::count(recorder.events.begin(), recorder.events.end(), "wait 100"), 4);

  line->write_results.push_back({WriteOutcome::kFailed, 0, 0});
  recorder.events.clear();
  const LinkOutcome first = TransferProgram(port, EmptyProgram(), recorder.Observer());
  EXPECT_EQ(first.steps_sent, 0);
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"begin", "end"}));

  // Either command closes the port after a failed write, so the next opens it afresh.
  for (const bool execute : {false, true}) {
    ASSERT_TRUE(port.opened() || port.open());
    line->write_results.push_back({WriteOutcome::kFailed, 0, 0});
    const LinkOutcome failed = execute ? ExecuteProgram(port) : TransferProgram(port, EmptyProgram(), recorder.Observer());
    EXPECT_FALSE(failed.ok) << execute;
    EXPECT_FALSE(port.opened()) << execute;
    EXPECT_NE(LinkMessage(failed).find("ポートを閉じました"), std::string::npos) << execute;
  }
}

// A class: every port on its own thread with the single transfer's frame; a
// port that cannot be opened is done at once, with its reason, while the
// others are still sending, and a stop ends every transfer after its wait.
TEST(ClassLink, EveryRobotGetsTheFrameAndAMissingOneDelaysNobody) {
  std::vector<std::shared_ptr<FakeCommLine>> lines = {FakeCommLine::Make(), FakeCommLine::Make(),
                                                      FakeCommLine::Make()};
  lines[1]->open_error = {CommErrorKind::kNotFound, 2, "No such file or directory", "/dev/ttyUSB1"};
  RobotJobs jobs;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    jobs.push_back(std::make_unique<RobotJob>("com" + std::to_string(i + 1), lines[i]->Factory()));
  }
  std::mutex mutex;
  std::vector<std::size_t> finished;
  int idles = 0;
  ClassObserver observer;
  observer.wait = [](std::uint32_t) { std::this_thread::sleep_for(std::chrono::milliseconds(3)); };
  observer.changed = [&](std::size_t index, const RobotJob& job) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (job.done) finished.push_back(index);
  };
  observer.idle = [&] { ++idles; };
  observer.idle_ms = 5;
  SendToClass(jobs, *DemoProgram().codes, observer);

  EXPECT_EQ(CountSucceeded(jobs), 2u);
  ASSERT_EQ(finished.size(), 3u);
  EXPECT_EQ(finished.front(), 1u) << "the missing robot is done before any other";
  EXPECT_GT(idles, 0);
  std::vector<std::uint8_t> frame = {0x74};
  // The demo is kept in a named object: a range over a member of a temporary
  // would outlive it.
  const auto demo = DemoProgram();
  for (int code : *demo.codes) frame.push_back(static_cast<std::uint8_t>(code));
  for (std::size_t i : {0u, 2u}) {
    std::vector<std::uint8_t> bytes;
    for (const auto& call : lines[i]->CallsOf("Write")) bytes.insert(bytes.end(), call.bytes.begin(), call.bytes.end());
    EXPECT_EQ(bytes, frame) << i;
    EXPECT_EQ(jobs[i]->steps.load(), 16);
    EXPECT_FALSE(lines[i]->held()) << "closed when done";
  }
  EXPECT_FALSE(jobs[1]->outcome.ok);
  EXPECT_NE(Plain(LinkSummary(jobs[1]->outcome)).find("COM2"), std::string::npos) << Plain(LinkSummary(jobs[1]->outcome));
  EXPECT_EQ(Plain(LinkSummary(jobs[1]->outcome)).find('\n'), std::string::npos) << "one line";

  // A stop ends each transfer after its first wait; execute is one byte each.
  for (auto& line : lines) line->ClearCalls();
  observer.stop_requested = [] { return true; };
  SendToClass(jobs, EmptyProgram(), observer);
  EXPECT_TRUE(jobs[0]->outcome.stopped);
  EXPECT_EQ(Plain(LinkSummary(jobs[0]->outcome)), "中断しました");
  EXPECT_EQ(lines[0]->CallsOf("Write").size(), 1u);
  for (auto& line : lines) line->ClearCalls();
  RunOnClass(jobs, ClassObserver());
  EXPECT_EQ(CountSucceeded(jobs), 2u);
  ASSERT_EQ(lines[2]->CallsOf("Write").size(), 1u);
  EXPECT_EQ(lines[2]->CallsOf("Write")[0].bytes, std::vector<std::uint8_t>{0x78});
}


// The ports open one at a time, but a port whose open hangs holds the
// others back only briefly: they are sent to while it is still opening.
TEST(ClassLink, APortSlowToOpenHoldsTheOthersBackOnlyBriefly) {
  std::vector<std::shared_ptr<FakeCommLine>> lines = {FakeCommLine::Make(), FakeCommLine::Make(),
                                                      FakeCommLine::Make()};
  lines[0]->open_delay_ms = 3000;
  RobotJobs jobs;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    jobs.push_back(std::make_unique<RobotJob>("com" + std::to_string(i + 1), lines[i]->Factory()));
  }
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  std::mutex mutex;
  std::vector<std::pair<std::size_t, Clock::duration>> done;
  ClassObserver observer;
  observer.wait = [](std::uint32_t) {};
  observer.changed = [&](std::size_t index, const RobotJob& job) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (job.done) done.emplace_back(index, Clock::now() - start);
  };
  SendToClass(jobs, *DemoProgram().codes, observer);

  EXPECT_EQ(CountSucceeded(jobs), 3u);
  ASSERT_EQ(done.size(), 3u);
  EXPECT_EQ(done.back().first, 0u) << "the slow port is done last";
  for (std::size_t k : {0u, 1u}) {
    EXPECT_LT(done[k].second, std::chrono::seconds(2)) << "port " << done[k].first << " waited for the slow open";
  }
}

}  // namespace
}  // namespace vk47
