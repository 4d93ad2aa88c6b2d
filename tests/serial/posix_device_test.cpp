// The POSIX comm device on a pseudo-terminal where the pty cannot show what
// a UART does: a write waits for the driver's output queue (a probe stands in
// for TIOCOUTQ, which a pty never holds up), and purges empty only the queue
// they name.

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "serial/comm_device_posix.h"
#include "serial/rs232c.h"
#include "tests/serial/pty_pair.h"

namespace vk47 {
namespace {

using namespace std::chrono_literals;
using testing::MasterReader;
using testing::PtyPair;
using Clock = std::chrono::steady_clock;

// Bytes the pty holds for the slave to read.
int SlaveInput(const PtyPair& pty) {
  int waiting = 0;
  return ::ioctl(pty.slave(), FIONREAD, &waiting) == 0 ? waiting : -1;
}

// Waits until the slave has `n` bytes to read (the pty passes them on a
// moment after the master's write).
bool WaitForSlaveInput(const PtyPair& pty, int n) {
  const auto until = Clock::now() + 2s;
  while (SlaveInput(pty) < n) {
    if (Clock::now() > until) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

struct OutputQueueTest : ::testing::Test {
  PtyPair pty;
  MasterReader reader{pty.master()};
  std::atomic<int> probes{0};
};

// A program ended by SIGTERM or SIGHUP while it holds the device open gives
// the device its settings back (4800 and cooked, not raw at 9600), and
// still ends of that signal. A device it has closed again is left alone.
TEST(PosixSignals, AProgramEndedBySignalPutsTheDevicesSettingsBack) {
  for (const int signal : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal == SIGTERM ? "SIGTERM" : "SIGHUP");
    PtyPair pty, closed_again;
    termios cooked{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &cooked), 0);
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_oflag |= OPOST;
    ::cfsetispeed(&cooked, B4800);
    ::cfsetospeed(&cooked, B4800);
    ASSERT_EQ(::tcsetattr(pty.slave(), TCSANOW, &cooked), 0);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      RestoreTerminalsOnSignals({SIGTERM, SIGHUP});
      auto device = MakePlatformCommDevice();
      auto other = MakePlatformCommDevice();
      CommControl line;
      if (!device->Open(pty.slave_path()) || !device->GetState(line)) ::_exit(3);
      line.BaudRate = 9600;
      if (!device->SetState(line) || !other->Open(closed_again.slave_path()) || !other->Close()) ::_exit(3);
      // The other device is changed after its close: the handler must not touch it.
      termios now{};
      ::tcgetattr(closed_again.slave(), &now);
      ::cfsetospeed(&now, B1200);
      ::tcsetattr(closed_again.slave(), TCSANOW, &now);
      const char byte = 1;
      if (::write(ready[1], &byte, 1) != 1) ::_exit(4);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1) << "the child could not open the device";
    ::close(ready[0]);
    termios held{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &held), 0);
    EXPECT_EQ(::cfgetospeed(&held), B9600) << "open makes the line 9600";
    EXPECT_FALSE(held.c_lflag & ICANON) << "open makes the line raw";
    ASSERT_EQ(::kill(child, signal), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << status;
    EXPECT_EQ(WTERMSIG(status), signal);
    termios after{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &after), 0);
    EXPECT_EQ(::cfgetospeed(&after), B4800);
    EXPECT_EQ(::cfgetispeed(&after), B4800);
    EXPECT_TRUE(after.c_lflag & ICANON);
    EXPECT_TRUE(after.c_lflag & ECHO);
    EXPECT_TRUE(after.c_oflag & OPOST);
    ASSERT_EQ(::tcgetattr(closed_again.slave(), &after), 0);
    EXPECT_EQ(::cfgetospeed(&after), B1200) << "a device closed before the signal was changed again";
  }
}

TEST_F(OutputQueueTest, WriteCompletesOnlyOnceTheQueueIsEmpty) {
  // The driver reports bytes queued for the first 20 looks, then none.
  auto device = MakePosixCommDeviceForTesting([this](int) -> std::optional<int> {
    return ++probes <= 20 ? 3 : 0;
  });
  ASSERT_TRUE(device->Open(pty.slave_path())) << device->LastError().os_message;
  const std::uint8_t bytes[] = {0x74, 0x01, 0x02};
  const WriteResult result = device->Write(bytes, 3, 1000);
  EXPECT_EQ(result.outcome, WriteOutcome::kPendingThenDone);
  EXPECT_EQ(result.transferred_count, 3u);
  EXPECT_EQ(probes.load(), 21) << "asked again until the queue was empty, and no further";
  EXPECT_EQ(reader.Values(3, 1000ms), (std::vector<std::uint8_t>{0x74, 0x01, 0x02}));

  // An empty queue at once: done without waiting.
  const WriteResult at_once = device->Write(bytes, 1, 1000);
  EXPECT_EQ(at_once.outcome, WriteOutcome::kDoneAtOnce);
  EXPECT_TRUE(device->Close());
}

TEST_F(OutputQueueTest, WriteTimesOutWhenTheQueueNeverDrains) {
  auto device = MakePosixCommDeviceForTesting([this](int) -> std::optional<int> {
    ++probes;
    return 1;
  });
  ASSERT_TRUE(device->Open(pty.slave_path()));
  const std::uint8_t byte = 0x78;
  const auto start = Clock::now();
  const WriteResult result = device->Write(&byte, 1, 100);
  const auto took = Clock::now() - start;
  EXPECT_EQ(result.outcome, WriteOutcome::kTimedOut);
  EXPECT_EQ(device->LastError().kind, CommErrorKind::kTimedOut);
  EXPECT_GE(took, 100ms);
  EXPECT_LT(took, 1000ms);
  EXPECT_GT(probes.load(), 1);

  // Through the port component, the write reports the time-out.
  Trs232c rs([] {
    return MakePosixCommDeviceForTesting([](int) -> std::optional<int> { return 1; });
  });
  device->Close();
  rs.portname = pty.slave_path();
  rs.txtimeout = 50;
  ASSERT_TRUE(rs.open());
  EXPECT_FALSE(rs.writebyte(0x78));
  EXPECT_EQ(rs.lasterror().kind, CommErrorKind::kTimedOut);
}

// A stop request ends a write that waits for a line that never drains, both
// where the driver holds the byte (output queue) and where the line's output
// is suspended (TCOOFF: the write itself cannot start). The hook is asked at
// least every slice, and the cancelled write sends nothing later.
TEST(PosixStop, AStopRequestEndsAWriteThatNeverDrains) {
  for (const bool suspended : {false, true}) {
    SCOPED_TRACE(suspended ? "output suspended" : "queue never drains");
    PtyPair pty;
    MasterReader reader{pty.master()};
    if (suspended) {
      ASSERT_EQ(::tcflow(pty.slave(), TCOOFF), 0);
    }
    auto device = MakePosixCommDeviceForTesting([suspended](int) -> std::optional<int> {
      return suspended ? 0 : 1;
    });
    ASSERT_TRUE(device->Open(pty.slave_path()));
    int asked = 0;
    auto longest_gap = Clock::duration::zero();
    auto last = Clock::now();
    const auto start = last;
    const std::uint8_t byte = 0x74;
    const WriteResult result = device->Write(&byte, 1, 30000, [&] {
      longest_gap = std::max(longest_gap, Clock::now() - last);
      last = Clock::now();
      return ++asked < 5;
    });
    EXPECT_EQ(result.outcome, WriteOutcome::kStopped);
    EXPECT_EQ(device->LastError().kind, CommErrorKind::kStopped);
    EXPECT_EQ(asked, 5);
    EXPECT_LT(Clock::now() - start, 500ms);
    EXPECT_LT(longest_gap, std::chrono::milliseconds(kWriteWaitSliceMs) + 30ms);
    if (suspended) {
      // The probe's queue is make-believe; a suspended line really holds the byte.
      ASSERT_EQ(::tcflow(pty.slave(), TCOON), 0);
      EXPECT_TRUE(reader.Values(1, 100ms).empty()) << "the cancelled byte went out after all";
    }
    EXPECT_TRUE(device->Close());
  }
}

// Something that opens but carries no serial line is refused as such, not
// as a missing device.
TEST(PosixOpen, WhatIsNoTerminalIsNoSerialPort) {
  char folder_template[] = "/tmp/vk47-notty-XXXXXX";
  ASSERT_NE(::mkdtemp(folder_template), nullptr);
  const std::string folder = folder_template;
  const std::string fifo = folder + "/fifo", file = folder + "/file";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ::close(::open(file.c_str(), O_CREAT | O_WRONLY, 0600));
  // A folder, and a file not even root could write, do not open at all:
  // they are still no serial port (not a cable to re-plug, nor a group to join).
  const std::string locked = folder + "/locked";
  ASSERT_EQ(::mkdir(locked.c_str(), 0700), 0);
  const std::string read_only = folder + "/read-only";
  ::close(::open(read_only.c_str(), O_CREAT | O_WRONLY, 0400));
  for (const std::string& path : {std::string("/dev/null"), fifo, file, folder, locked, read_only}) {
    auto device = MakePlatformCommDevice();
    EXPECT_FALSE(device->Open(path)) << path;
    EXPECT_EQ(device->LastError().kind, CommErrorKind::kNotSerial) << path;
    const std::string text = DescribeCommError(device->LastError(), path);
    EXPECT_NE(text.find("シリアルポートではありません"), std::string::npos) << text;
    EXPECT_EQ(text.find("差し直して"), std::string::npos) << text;
    EXPECT_EQ(text.find("dialout"), std::string::npos) << text;
  }
  ::rmdir(locked.c_str());
  ::unlink(read_only.c_str());
  ::unlink(fifo.c_str());
  ::unlink(file.c_str());
  ::rmdir(folder.c_str());
}

// Out of descriptors (ulimit -n): the port is not broken, the computer is
// out of room; the words say so and do not ask to re-plug the adapter.
TEST(PosixOpen, OutOfDescriptorsSaysSoInsteadOfAskingToReplug) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers' runtime needs descriptors of its own and fails without them";
#endif
  PtyPair pty;
  int result[2];
  ASSERT_EQ(::pipe(result), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Every descriptor number up to the limit is taken, so the open has none.
    const rlimit limit{static_cast<rlim_t>(result[1] + 1), static_cast<rlim_t>(result[1] + 1)};
    ::setrlimit(RLIMIT_NOFILE, &limit);
    for (int fd = 0; fd <= result[1]; ++fd) {
      if (::fcntl(fd, F_GETFD) < 0) ::open("/dev/null", O_RDONLY);
    }
    auto device = MakePlatformCommDevice();
    const bool opened = device->Open(pty.slave_path());
    const char kind = opened ? 'o' : static_cast<char>('a' + static_cast<int>(device->LastError().kind));
    [[maybe_unused]] ssize_t n = ::write(result[1], &kind, 1);
    ::_exit(0);
  }
  ::close(result[1]);
  char kind = 0;
  ASSERT_EQ(::read(result[0], &kind, 1), 1);
  ::close(result[0]);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(kind, 'a' + static_cast<int>(CommErrorKind::kNoResources));
  const std::string text = DescribeCommError({CommErrorKind::kNoResources, EMFILE, "Too many open files", ""}, "com1");
  EXPECT_NE(text.find("パソコンの空きが足りません"), std::string::npos) << text;
  EXPECT_EQ(text.find("差し直して"), std::string::npos) << text;
}

TEST(PosixPurge, BytesThatArrivedBeforeOpenAreGoneAfterIt) {
  PtyPair pty;
  ASSERT_TRUE(pty.WriteToMaster({0x55, 0xAA, 0x55}));
  ASSERT_TRUE(WaitForSlaveInput(pty, 3));
  Trs232c rs;
  rs.portname = pty.slave_path();
  ASSERT_TRUE(rs.open()) << rs.lasterror().os_message;
  EXPECT_EQ(SlaveInput(pty), 0);
}

TEST(PosixPurge, EachClearEmptiesOnlyItsOwnQueue) {
  PtyPair pty;
  auto device = MakePlatformCommDevice();
  ASSERT_TRUE(device->Open(pty.slave_path()));
  ASSERT_TRUE(pty.WriteToMaster({1, 2, 3}));
  ASSERT_TRUE(WaitForSlaveInput(pty, 3));

  std::uint32_t in_queue = 0;
  ASSERT_TRUE(device->Purge(kPurgeTxAbort | kPurgeTxClear));
  ASSERT_TRUE(device->ClearErrors(in_queue));
  EXPECT_EQ(in_queue, 3u) << "clearing the send queue keeps what was received";

  ASSERT_TRUE(device->Purge(kPurgeRxAbort | kPurgeRxClear));
  ASSERT_TRUE(device->ClearErrors(in_queue));
  EXPECT_EQ(in_queue, 0u);
}

}  // namespace
}  // namespace vk47
