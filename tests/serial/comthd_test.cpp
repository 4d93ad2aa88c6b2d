// The event thread over the fake device: handler order, the received-byte
// group, failures and the ways the thread ends. The test thread plays the UI
// thread and serves the hand-off with ServeUntil.

#include "serial/comthd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "serial/rs232c.h"
#include "serial/testing/fake_comm_device.h"
#include "serial/thread_handoff.h"

namespace vk47 {
namespace {

using namespace std::chrono_literals;
using testing::FakeCommLine;

struct Seen {
  std::string name;
  std::int32_t rxcount;
};

struct CommThreadTest : ::testing::Test {
  std::shared_ptr<FakeCommLine> line = FakeCommLine::Make();
  Trs232c rs{line->Factory()};
  std::vector<Seen> seen;

  TNotifyEvent Recorder(std::string name) {
    return [this, name](void* sender) {
      EXPECT_NE(sender, static_cast<void*>(&rs));
      seen.push_back({name, static_cast<tcommthread*>(sender)->rxcount});
    };
  }
  void AssignAll() {
    rs.OnBREAK = Recorder("BREAK");
    rs.OnCTS = Recorder("CTS");
    rs.OnDSR = Recorder("DSR");
    rs.OnERR = Recorder("ERR");
    rs.OnRING = Recorder("RING");
    rs.OnRLSD = Recorder("RLSD");
    rs.OnRXCHAR = Recorder("RXCHAR");
    rs.OnRXFLAG = Recorder("RXFLAG");
    rs.OnTXEMPTY = Recorder("TXEMPTY");
    rs.OnPACKET = Recorder("PACKET");
  }
  // Serves the hand-off until n handler calls were seen (or a second passed).
  bool ServeCalls(std::size_t n) {
    return ServeUntil([&] { return seen.size() >= n; }, 1000ms) && seen.size() >= n;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Seen& s : seen) names.push_back(s.name);
    return names;
  }
};

TEST_F(CommThreadTest, OneReportRaisesHandlersInTableOrder) {
  AssignAll();
  ASSERT_TRUE(rs.open());
  EXPECT_TRUE(rs.usethread());
  line->PushEvent(0x1FF, 5);
  ASSERT_TRUE(ServeCalls(9));
  EXPECT_EQ(Names(), (std::vector<std::string>{"BREAK", "CTS", "DSR", "ERR", "RING", "RLSD", "RXCHAR",
                                               "RXFLAG", "TXEMPTY"}));
  EXPECT_EQ(seen[6].rxcount, 5);
  EXPECT_TRUE(rs.close());
}

TEST_F(CommThreadTest, ReceivedByteGroup) {
  const struct {
    std::int32_t packetsize;
    std::uint32_t in_queue;
    std::vector<std::string> names;
    std::int32_t rxchar_count;
  } rows[] = {
      {10, 9, {"RXCHAR"}, 9},
      {10, 10, {"PACKET", "RXCHAR"}, 0},
      {10, 12, {"PACKET", "RXCHAR"}, 0},
      {0, 50, {"RXCHAR"}, 50},
      {-1, 0, {"PACKET", "RXCHAR"}, 0},
      {-5, 3, {"PACKET", "RXCHAR"}, 0},
  };
  rs.OnRXCHAR = Recorder("RXCHAR");
  rs.OnPACKET = Recorder("PACKET");
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.packetsize << " / " << row.in_queue);
    seen.clear();
    rs.packetsize = row.packetsize;
    ASSERT_TRUE(rs.open());
    line->ClearCalls();
    line->PushEvent(kEvRxChar, row.in_queue);
    ASSERT_TRUE(ServeCalls(row.names.size()));
    EXPECT_EQ(Names(), row.names);
    EXPECT_EQ(seen.back().rxcount, row.rxchar_count);
    EXPECT_EQ(line->CallsOf("ClearErrors").size(), 1u);
    rs.close();
  }
}

TEST_F(CommThreadTest, PacketOnlyWatchesBytesWithoutRxcharHandler) {
  rs.OnPACKET = Recorder("PACKET");
  rs.packetsize = 4;
  ASSERT_TRUE(rs.open());
  EXPECT_EQ(rs.eventmask(), kEvRxChar);
  line->PushEvent(kEvRxChar, 3);
  line->PushEvent(kEvRxChar, 4);
  ASSERT_TRUE(ServeCalls(1));
  EXPECT_EQ(Names(), std::vector<std::string>{"PACKET"});
  EXPECT_EQ(line->CallsOf("ClearErrors").size(), 2u);
}

TEST_F(CommThreadTest, HandlersCountFromOpenAndAreSkippedWhenRemoved) {
  rs.OnCTS = Recorder("CTS");
  rs.OnDSR = Recorder("DSR");
  ASSERT_TRUE(rs.open());
  rs.OnRING = Recorder("RING");  // not in the mask: never raised
  rs.OnDSR = nullptr;            // in the mask, but skipped
  line->PushEvent(kEvCts | kEvDsr | kEvRing, 0);
  line->PushEvent(kEvCts, 0);
  ASSERT_TRUE(ServeCalls(2));
  EXPECT_EQ(Names(), (std::vector<std::string>{"CTS", "CTS"}));
}

TEST_F(CommThreadTest, FailedWaitIsRepeated) {
  rs.OnCTS = Recorder("CTS");
  ASSERT_TRUE(rs.open());
  line->PushWaitFailure();
  line->PushWaitFailure();
  line->PushEvent(kEvCts, 0);
  ASSERT_TRUE(ServeCalls(1));
}

// A lasting failure must not spin: the pauses between retries grow, and a
// vanished device ends the thread instead of being asked forever.
TEST_F(CommThreadTest, RepeatedFailuresBackOffAndAVanishedDeviceEndsTheThread) {
  rs.OnCTS = Recorder("CTS");
  ASSERT_TRUE(rs.open());
  for (int i = 0; i < 50; ++i) line->PushWaitFailure();
  std::this_thread::sleep_for(150ms);
  const int waits = line->waits_started();
  EXPECT_GE(waits, 3);
  EXPECT_LE(waits, 10) << "without a pause all 50 failures are taken at once";

  auto other = FakeCommLine::Make();
  Trs232c gone{other->Factory()};
  gone.OnCTS = Recorder("CTS");
  ASSERT_TRUE(gone.open());
  other->PushWaitFailure(CommErrorKind::kIoError);
  other->PushEvent(kEvCts, 0);
  ASSERT_TRUE(ServeUntil([&] { return other->waits_started() >= 1; }, 1000ms));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(other->waits_started(), 1) << "no wait after the device vanished";
  EXPECT_TRUE(gone.close());
  EXPECT_TRUE(seen.empty());
}

TEST_F(CommThreadTest, NoHandlersNoThread) {
  rs.OnOpen = [](void*) {};
  rs.OnClose = [](void*) {};
  ASSERT_TRUE(rs.open());
  EXPECT_FALSE(rs.usethread());
  EXPECT_TRUE(rs.close());
  EXPECT_EQ(line->waits_started(), 0);
  EXPECT_EQ(line->CallsOf("SetEventMask").size(), 1u);  // only open's
}

TEST_F(CommThreadTest, CloseServesAHandOffInProgress) {
  rs.OnCTS = Recorder("CTS");
  ASSERT_TRUE(rs.open());
  line->PushEvent(kEvCts, 0);
  // Let the worker queue its call, but do not serve it: close must.
  for (;;) {
    {
      std::lock_guard lock(line->mutex);
      if (line->events.empty()) break;
    }
    std::this_thread::sleep_for(1ms);
  }
  std::this_thread::sleep_for(20ms);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(rs.close());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
  EXPECT_EQ(Names(), std::vector<std::string>{"CTS"});
  EXPECT_EQ(line->CallsOf("SetEventMask").back().a, 0u);
}

TEST_F(CommThreadTest, ThrowingHandlerEndsTheThreadOnly) {
  int calls = 0;
  rs.OnCTS = [&](void*) {
    ++calls;
    throw std::runtime_error("handler failed");
  };
  ASSERT_TRUE(rs.open());
  line->PushEvent(kEvCts, 0);
  ASSERT_TRUE(ServeUntil([&] { return calls == 1; }, 1000ms));
  line->PushEvent(kEvCts, 0);
  ServeUntil([] { return false; }, 50ms);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(rs.opened());
  EXPECT_TRUE(rs.close());
  ASSERT_TRUE(rs.open());  // a new open watches again
  line->PushEvent(kEvCts, 0);
  ASSERT_TRUE(ServeUntil([&] { return calls == 2; }, 1000ms));
}

TEST_F(CommThreadTest, CloseFromOwnHandler) {
  bool closed = false;
  rs.OnRXCHAR = [&](void*) { closed = rs.close(); };
  rs.OnRXFLAG = Recorder("RXFLAG");  // after the close: not raised
  ASSERT_TRUE(rs.open());
  line->PushEvent(kEvRxChar | kEvRxFlag, 1);
  ASSERT_TRUE(ServeUntil([&] { return closed; }, 1000ms));
  EXPECT_FALSE(rs.opened());
  EXPECT_FALSE(line->held());
  EXPECT_TRUE(seen.empty());
  ASSERT_TRUE(rs.open());
  EXPECT_TRUE(rs.close());
}

TEST(ThreadHandoffTest, CarriesResultsAndErrorsBack) {
  std::thread::id ran_on;
  std::string error;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    RunOnUiThread([&] { ran_on = std::this_thread::get_id(); });
    try {
      RunOnUiThread([] { throw std::runtime_error("boom"); });
    } catch (const std::runtime_error& e) {
      error = e.what();
    }
    done = true;
    NotifyWaiters();
  });
  ServeUntil([&] { return done.load(); }, 2000ms);
  worker.join();
  EXPECT_EQ(ran_on, std::this_thread::get_id());
  EXPECT_EQ(error, "boom");
}

TEST(ThreadHandoffTest, WakeCallbackRunsForEachCall) {
  std::atomic<int> wakes{0};
  SetWakeCallback([&] { ++wakes; });
  std::atomic<bool> done{false};
  std::thread worker([&] {
    RunOnUiThread([] {});
    done = true;
    NotifyWaiters();
  });
  ServeUntil([&] { return done.load(); }, 2000ms);
  worker.join();
  SetWakeCallback(nullptr);
  EXPECT_EQ(wakes.load(), 1);
}

}  // namespace
}  // namespace vk47
