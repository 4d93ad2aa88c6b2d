// TransferProgram and ExecuteProgram over the real POSIX backend on
// pseudo-terminals when the device misbehaves: it vanishes mid-transfer, it
// stops taking bytes, another holder has it, or the user may not open it.
// Each must end quickly with a message that says why and how far it came;
// none may hang or report success.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/class_link.h"
#include "link/robot_link.h"
#include "model/demo_program.h"
#include "serial/comm_device_posix.h"
#include "serial/port_resolver.h"
#include "tests/serial/pty_pair.h"

namespace vk47 {
namespace {

using namespace std::chrono_literals;
using testing::MasterReader;
using testing::PtyPair;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kShortGapMs = 5;  // the real 100 ms adds nothing here

ProgramCodes Demo() { return *DemoProgram().codes; }

// Everything the master holds right now, without waiting.
std::vector<std::uint8_t> Drain(int master) {
  std::vector<std::uint8_t> bytes;
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  std::uint8_t buffer[4096];
  for (;;) {
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  return bytes;
}

// Writes through `fd` until the pty takes no more. The kernel moves bytes on
// to the master's side in the background, so a refused write is tried again
// after a pause, byte by byte, until the queue has stayed full for a while.
void FillUntilFull(int fd) {
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  const std::vector<std::uint8_t> block(4096, 0x55);
  std::size_t size = block.size();
  int refusals = 0;
  while (refusals < 5) {
    if (::write(fd, block.data(), size) > 0) {
      refusals = 0;
      continue;
    }
    ASSERT_EQ(errno, EAGAIN);
    size = 1;
    ++refusals;
    std::this_thread::sleep_for(20ms);
  }
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct LinkFault : ::testing::Test {
  PtyPair pty;
  Trs232c port;
  int writes_seen = 0;  // writes that have completed, counted by the waits
  LinkFault() { port.portname = pty.slave_path(); }
};

TEST_F(LinkFault, DeviceVanishingMidTransferStopsWithTheStepsSent) {
  std::vector<std::uint8_t> received;
  TransferObserver observer;
  observer.wait = [&](std::uint32_t) {
    // The adapter is pulled during the gap after the command byte and two steps.
    if (++writes_seen == 3) {
      received = Drain(pty.master());
      pty.CloseMaster();
      pty.CloseSlave();
    }
  };
  const auto start = Clock::now();
  const LinkOutcome outcome = TransferProgram(port, Demo(), observer);
  EXPECT_LT(MsSince(start), 1000.0);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.steps_sent, 2);
  const ProgramCodes demo = Demo();
  EXPECT_EQ(received, (std::vector<std::uint8_t>{0x74, static_cast<std::uint8_t>(demo[0]),
                                                 static_cast<std::uint8_t>(demo[1])}));
  EXPECT_TRUE(Contains(LinkMessage(outcome), "16 ステップのうち 2 ステップです")) << LinkMessage(outcome);
  EXPECT_TRUE(Contains(LinkMessage(outcome), "接続が切れました")) << LinkMessage(outcome);
  EXPECT_TRUE(Contains(LinkMessage(outcome), "次の操作でポートを開き直します")) << LinkMessage(outcome);
  // The reason is the port's own, taken before the close, not the note on reopening.
  EXPECT_TRUE(Contains(Plain(LinkSummary(outcome)), "接続が切れました")) << Plain(LinkSummary(outcome));
  EXPECT_FALSE(Contains(Plain(LinkSummary(outcome)), "開き直します")) << Plain(LinkSummary(outcome));
  EXPECT_EQ(port.lasterror().kind, CommErrorKind::kIoError);
  EXPECT_FALSE(port.opened()) << "the dead device is released";
}

// A class sent to with no stop hook (vk47ctl, a script): a line whose driver
// holds each byte a few milliseconds before it leaves is waited for, never
// taken as asked to stop. The probe says the queue holds the byte three
// times after each write, then that it is empty.
TEST(ClassLinkWithoutStop, ALineSlowToDrainIsWaitedFor) {
  PtyPair robots[2];
  std::vector<std::unique_ptr<MasterReader>> readers;
  RobotJobs jobs;
  for (PtyPair& robot : robots) {
    readers.push_back(std::make_unique<MasterReader>(robot.master()));
    jobs.push_back(std::make_unique<RobotJob>(robot.slave_path(), [] {
      auto probes = std::make_shared<int>(0);
      return MakePosixCommDeviceForTesting([probes](int) -> std::optional<int> { return ++*probes % 4 ? 1 : 0; });
    }));
  }
  ClassObserver observer;
  observer.wait = [](std::uint32_t) {};
  SendToClass(jobs, Demo(), observer);
  RunOnClass(jobs, ClassObserver());
  std::vector<std::uint8_t> expected = {0x74};
  for (int code : Demo()) expected.push_back(static_cast<std::uint8_t>(code));
  expected.push_back(0x78);
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    EXPECT_TRUE(jobs[i]->outcome.ok) << i << ": " << LinkMessage(jobs[i]->outcome);
    EXPECT_FALSE(jobs[i]->outcome.stopped) << i;
    EXPECT_EQ(readers[i]->Values(expected.size(), 1000ms), expected) << i;
  }
}

// After the device vanished, the same component reaches a new device behind
// the same port name: the adapter plugged in again, or a new robot linked.
TEST(LinkRecovery, TheNextTransferOpensThePortAfresh) {
  auto first = std::make_unique<PtyPair>();
  std::string device = first->slave_path();
  SetPortResolver([&](const std::string&) { return PortDevice(device); });
  Trs232c port;
  port.portname = "COM1";
  ASSERT_TRUE(port.open());
  first.reset();  // the robot ends: its pty goes away
  TransferObserver observer;
  observer.wait = [](std::uint32_t) {};
  const LinkOutcome lost = TransferProgram(port, Demo(), observer);
  EXPECT_FALSE(lost.ok);
  EXPECT_EQ(lost.steps_sent, 0);

  PtyPair second;
  device = second.slave_path();
  MasterReader reader(second.master());
  const LinkOutcome again = TransferProgram(port, Demo(), observer);
  SetPortResolver(nullptr);
  ASSERT_TRUE(again.ok) << LinkMessage(again);
  const std::vector<std::uint8_t> bytes = reader.Values(17, 2000ms);
  std::vector<std::uint8_t> expected = {0x74};
  for (int code : Demo()) expected.push_back(static_cast<std::uint8_t>(code == kEmptyCode ? 0 : code));
  EXPECT_EQ(bytes, expected);
}

// The device is chosen once per command. A robot linked anew after the
// choice (and after the window named the choice) changes nothing for that
// command: its bytes go to the device chosen, and so do those of a command
// whose port was already open on the device chosen, even if the name is
// linked anew during the transfer. The success line names that device.
TEST(LinkChoice, ACommandSendsToTheDeviceChosenForIt) {
  PtyPair chosen_pty, later_pty;
  MasterReader chosen_reader(chosen_pty.master()), later_reader(later_pty.master());
  ResolvedPort mapped = PortDevice(chosen_pty.slave_path());
  int asked = 0;
  SetPortResolver([&](const std::string&) {
    ++asked;
    return mapped;
  });
  Trs232c port;
  port.portname = "com1";
  const ResolvedPort chosen = ResolvePort(port.portname);
  mapped = PortDevice(later_pty.slave_path());  // linked anew just before the command
  asked = 0;
  TransferObserver observer;
  int waits = 0;
  observer.wait = [&](std::uint32_t) {
    if (++waits == 4) mapped = PortDevice(PtyPair().slave_path());  // and again during it
  };
  const LinkOutcome sent = TransferProgram(port, Demo(), observer, chosen);
  ASSERT_TRUE(sent.ok) << LinkMessage(sent);
  EXPECT_EQ(asked, 0) << "the name was resolved again during the command";
  EXPECT_EQ(port.device(), chosen_pty.slave_path());
  EXPECT_EQ(PortAndDevice(port), "COM1 (" + chosen_pty.slave_path() + ")");
  EXPECT_EQ(chosen_reader.Values(17, 2000ms).size(), 17u);
  EXPECT_TRUE(later_reader.Values(1, 100ms).empty()) << "bytes went to a device not chosen";

  // The next command chooses again: the open port moves to the new choice.
  mapped = PortDevice(later_pty.slave_path());
  const LinkOutcome moved = ExecuteProgram(port, ResolvePort(port.portname));
  EXPECT_TRUE(moved.ok) << LinkMessage(moved);
  EXPECT_EQ(later_reader.Values(1, 1000ms), std::vector<std::uint8_t>{0x78});
  EXPECT_EQ(chosen_reader.Values(18, 100ms).size(), 17u);

  // A choice that was a refusal is refused, even if the name leads somewhere by now.
  const ResolvedPort gone = RefusedPort(CommErrorKind::kRobotGone, later_pty.slave_path());
  const LinkOutcome refused = ExecuteProgram(port, gone);
  SetPortResolver(nullptr);
  EXPECT_FALSE(refused.ok);
  EXPECT_FALSE(port.opened());
  EXPECT_TRUE(Contains(LinkMessage(refused), "仮想ロボットはもう動いていません")) << LinkMessage(refused);
  EXPECT_EQ(later_reader.Values(2, 100ms).size(), 1u);
}

// A class command opens, for each name, the device the name led to when its
// job was made: robots linked anew afterwards (here both names over one new
// robot, which would also make them one device) get no byte, and each name
// is resolved once, never by the ports' threads.
TEST(LinkChoice, AClassCommandSendsToTheDevicesChosenForIt) {
  PtyPair first, second, later;
  MasterReader first_reader(first.master()), second_reader(second.master()), later_reader(later.master());
  std::atomic<bool> relinked{false};
  std::atomic<int> asked{0};
  SetPortResolver([&](const std::string& name) {
    ++asked;
    if (relinked) return PortDevice(later.slave_path());
    return PortDevice(name == "com1" ? first.slave_path() : second.slave_path());
  });
  RobotJobs jobs = MakeRobotJobs({"com1", "com2"});
  EXPECT_EQ(asked.exchange(0), 2);
  relinked = true;
  ClassObserver observer;
  observer.wait = [](std::uint32_t) {};
  SendToClass(jobs, Demo(), observer);
  RunOnClass(jobs, ClassObserver());
  SetPortResolver(nullptr);
  EXPECT_EQ(asked, 0) << "a name was resolved again during the command";
  for (const auto& job : jobs) EXPECT_TRUE(job->outcome.ok) << LinkMessage(job->outcome);
  EXPECT_EQ(first_reader.Values(18, 2000ms).size(), 18u) << "the frame and the execute byte";
  EXPECT_EQ(second_reader.Values(18, 2000ms).size(), 18u);
  EXPECT_TRUE(later_reader.Values(1, 100ms).empty()) << "bytes went to a device not chosen";
}

// An execute byte held by a stalled line and abandoned on a stop request
// (a tool's Ctrl+C, the window's close) says that it was stopped, not only
// that the byte did not go.
TEST(LinkStop, AStoppedExecuteSaysItWasStopped) {
  PtyPair pty;
  MasterReader reader(pty.master());
  ASSERT_EQ(::tcflow(pty.slave(), TCOOFF), 0);
  Trs232c port;
  port.portname = pty.slave_path();
  int asked = 0;
  port.writewait = [&] { return ++asked < 3; };
  const LinkOutcome stopped = ExecuteProgram(port);
  EXPECT_FALSE(stopped.ok);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(Plain(LinkSummary(stopped)), "中断しました");
  EXPECT_TRUE(Contains(LinkMessage(stopped), "実行命令を送れませんでした。")) << LinkMessage(stopped);
  EXPECT_TRUE(Contains(LinkMessage(stopped), "への送信を中断しました。")) << LinkMessage(stopped);
  EXPECT_FALSE(port.opened());
  ASSERT_EQ(::tcflow(pty.slave(), TCOON), 0);
  EXPECT_TRUE(reader.Values(1, 100ms).empty()) << "the abandoned byte went out later";
}

// How a port and its device are named together in an outcome line.
TEST(LinkChoice, PortAndDeviceNamesBothOnlyWhenTheyDiffer) {
  PtyPair pty;
  SetPortResolver([&](const std::string&) { return PortDevice(pty.slave_path()); });
  Trs232c port;
  port.portname = "com2";
  EXPECT_EQ(PortAndDevice(port), "COM2") << "closed: no device to name";
  ASSERT_TRUE(port.open());
  EXPECT_EQ(PortAndDevice(port), "COM2 (" + pty.slave_path() + ")");
  port.close();
  port.portname = pty.slave_path();
  ASSERT_TRUE(port.open());
  EXPECT_EQ(PortAndDevice(port), pty.slave_path()) << "a device path is said once";
  port.close();
  SetPortResolver(nullptr);
}

// A robot linked anew over one that still runs: the open port follows its
// name to the new device, and nothing more reaches the old one. A name that
// now leads nowhere closes the port and says why.
TEST(LinkRecovery, AnOpenPortFollowsItsNameToAnotherDevice) {
  PtyPair first, second;
  MasterReader first_reader(first.master()), second_reader(second.master());
  ResolvedPort mapped = PortDevice(first.slave_path());
  SetPortResolver([&](const std::string&) { return mapped; });
  Trs232c port;
  port.portname = "COM1";
  ASSERT_TRUE(port.open());
  EXPECT_EQ(port.device(), first.slave_path());
  EXPECT_FALSE(PortLeadsElsewhere(port));

  mapped = PortDevice(second.slave_path());
  EXPECT_TRUE(PortLeadsElsewhere(port));
  const LinkOutcome moved = ExecuteProgram(port);
  EXPECT_TRUE(moved.ok) << LinkMessage(moved);
  EXPECT_EQ(port.device(), second.slave_path());
  EXPECT_EQ(second_reader.Values(1, 1000ms), std::vector<std::uint8_t>{0x78});
  EXPECT_TRUE(first_reader.Values(1, 100ms).empty()) << "the old device got the byte";

  mapped = RefusedPort(CommErrorKind::kRobotGone, second.slave_path());
  const LinkOutcome gone = ExecuteProgram(port);
  SetPortResolver(nullptr);
  EXPECT_FALSE(gone.ok);
  EXPECT_FALSE(port.opened());
  EXPECT_TRUE(Contains(LinkMessage(gone), "仮想ロボットはもう動いていません")) << LinkMessage(gone);
  EXPECT_EQ(second_reader.Values(2, 100ms).size(), 1u) << "a byte went out after all";
}

TEST_F(LinkFault, DeviceThatStopsReadingTimesTheWriteOut) {
  port.txtimeout = 300;
  TransferObserver observer;
  Clock::time_point stalled;
  observer.wait = [&](std::uint32_t) {
    if (++writes_seen != 4) return;
    // The far end stops reading: fill the pty's queue through a second
    // descriptor, since a pty takes bytes at any speed until it is full.
    FillUntilFull(pty.slave());
    stalled = Clock::now();
  };
  const LinkOutcome outcome = TransferProgram(port, Demo(), observer);
  const double waited = MsSince(stalled);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.steps_sent, 3);
  EXPECT_GE(waited, 295.0);
  EXPECT_LT(waited, 1000.0);
  EXPECT_EQ(port.lasterror().kind, CommErrorKind::kTimedOut);
  EXPECT_TRUE(Contains(LinkMessage(outcome), "16 ステップのうち 3 ステップです")) << LinkMessage(outcome);
  EXPECT_TRUE(Contains(LinkMessage(outcome), "時間内に終わりませんでした")) << LinkMessage(outcome);
  EXPECT_TRUE(Contains(Plain(LinkSummary(outcome)), "時間内に終わりませんでした")) << Plain(LinkSummary(outcome));
  // The port is released, and opens again once the far end reads again.
  EXPECT_FALSE(port.opened());
  Drain(pty.master());
  EXPECT_TRUE(ExecuteProgram(port).ok);
}

// Who holds the device while vk47 tries to use it.
enum class Holder { kSecondComponent, kOtherProcess };

class LinkHeldPort : public LinkFault, public ::testing::WithParamInterface<Holder> {};

TEST_P(LinkHeldPort, PortInUseSendsNothingAndSaysSo) {
  Trs232c other;
  pid_t child = -1;
  int ready[2] = {-1, -1};
  int release[2] = {-1, -1};
  if (GetParam() == Holder::kSecondComponent) {
    other.portname = pty.slave_path();
    ASSERT_TRUE(other.open());
  } else {
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Holds the device the way another serial program would, until the
      // parent closes its end of `release`.
      ::close(release[1]);
      const int fd = ::open(pty.slave_path().c_str(), O_RDWR | O_NOCTTY);
      const char ok = (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? 1 : 0;
      [[maybe_unused]] ssize_t w = ::write(ready[1], &ok, 1);
      char byte;
      [[maybe_unused]] ssize_t r = ::read(release[0], &byte, 1);
      ::_exit(0);
    }
    ::close(release[0]);
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);
  }

  TransferObserver observer;
  observer.wait = [](std::uint32_t) {};
  const LinkOutcome transfer = TransferProgram(port, Demo(), observer);
  const LinkOutcome execute = ExecuteProgram(port);

  if (child > 0) {
    ::close(release[1]);
    ::waitpid(child, nullptr, 0);
    for (int fd : {ready[0], ready[1]}) ::close(fd);
  }
  for (const LinkOutcome& outcome : {transfer, execute}) {
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.steps_sent, 0);
    EXPECT_TRUE(Contains(LinkMessage(outcome), "使用中")) << LinkMessage(outcome);
    EXPECT_TRUE(Contains(Plain(LinkSummary(outcome)), "使用中")) << Plain(LinkSummary(outcome));
    EXPECT_EQ(Plain(LinkSummary(outcome)).find_first_of("\r\n"), std::string::npos) << "one line";
  }
  EXPECT_FALSE(port.opened());
  EXPECT_TRUE(Drain(pty.master()).empty());
}

INSTANTIATE_TEST_SUITE_P(Holders, LinkHeldPort,
                         ::testing::Values(Holder::kSecondComponent, Holder::kOtherProcess));

TEST_F(LinkFault, NoPermissionSendsNothingAndNamesDialout) {
  if (::geteuid() == 0) GTEST_SKIP() << "root opens a device whatever its mode";
  ASSERT_EQ(::chmod(pty.slave_path().c_str(), 0), 0);
  TransferObserver observer;
  observer.wait = [](std::uint32_t) {};
  const LinkOutcome transfer = TransferProgram(port, Demo(), observer);
  const LinkOutcome execute = ExecuteProgram(port);
  ::chmod(pty.slave_path().c_str(), 0620);
  for (const LinkOutcome& outcome : {transfer, execute}) {
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.steps_sent, 0);
    EXPECT_TRUE(Contains(LinkMessage(outcome), "dialout")) << LinkMessage(outcome);
  }
  EXPECT_EQ(port.lasterror().kind, CommErrorKind::kPermissionDenied);
  EXPECT_TRUE(Drain(pty.master()).empty());
}

}  // namespace
}  // namespace vk47
