#include "link/class_link.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "serial/port_resolver.h"

namespace vk47 {
namespace {

constexpr int kOpenTurnMs = 100;

// Runs `work` for every job at once, each on its own thread, and waits for
// all of them, calling `idle` on this thread meanwhile.
template <typename Work>
void RunAll(RobotJobs& jobs, const ClassObserver& observer, Work work) {
  std::mutex mutex;
  std::condition_variable finished;
  std::size_t running = jobs.size();
  std::vector<std::thread> threads;
  threads.reserve(jobs.size());
  auto finish = [&](std::size_t i, RobotJob& job) {
    job.done = true;
    if (observer.changed) observer.changed(i, job);
    const std::lock_guard<std::mutex> lock(mutex);
    --running;
    finished.notify_all();
  };
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    RobotJob& job = *jobs[i];
    if (job.same_as) {
      finish(i, job);
      continue;
    }
    // A write that waits for a line that never drains ends at a stop request.
    job.port.writewait = [&observer] { return !observer.stop_requested || !observer.stop_requested(); };
    try {
      threads.emplace_back([&, i] {
        RobotJob& mine = *jobs[i];
        try {
          work(i, mine);
        } catch (const NoticeError& e) {
          mine.outcome = {};
          mine.outcome.notice = e.notice();
        } catch (const std::exception& e) {
          // A handler's own failure: its text as it stands, in every mode.
          mine.outcome = {};
          mine.outcome.notice.main.push_back(Verbatim(e.what()));
        }
        try {
          mine.port.close();  // lowers DTR and RTS, puts the line settings back
        } catch (...) {
        }
        mine.port.writewait = nullptr;
        finish(i, mine);
      });
    } catch (const std::system_error& e) {
      // The system's limit on processes: this port fails, the others go on.
      job.port.writewait = nullptr;
      job.outcome = {};
      job.outcome.notice.main.push_back(
          {VK47_TEXT("ポート %1 への送信を開始できません (%2)"), {MenuPortName(job.port.portname), e.code().message()}});
      job.outcome.notice.reason = {VK47_TEXT("送信を開始できません"), {}};
      finish(i, job);
    }
  }
  {
    std::unique_lock<std::mutex> lock(mutex);
    const auto period = std::chrono::milliseconds(std::max<std::uint32_t>(observer.idle_ms, 1));
    while (running > 0) {
      if (!observer.idle) {
        finished.wait(lock);
        continue;
      }
      if (finished.wait_for(lock, period, [&] { return running == 0; })) break;
      lock.unlock();
      observer.idle();
      lock.lock();
    }
  }
  for (std::thread& thread : threads) thread.join();
  for (auto& job : jobs) {
    if (!job->same_as) continue;
    job->outcome = job->same_as->outcome;
    job->steps = job->same_as->steps.load();
    // Its own words replace the other's failure: where its steps went.
    job->outcome.notice = {};
    job->outcome.port_lines = 0;
    job->outcome.notice.main.push_back(
        {VK47_TEXT("%1 と同じデバイスが二度指定されています (一度だけ使いました)"), {MenuPortName(job->same_as->port.portname)}});
    job->outcome.notice.reason = {VK47_TEXT("同じデバイスが二度指定されています"), {}};
  }
}

}  // namespace

RobotJob::RobotJob(const std::string& portname, CommDeviceFactory factory)
    : port(std::move(factory)), chosen(ResolvePort(portname)) {
  port.portname = portname;
}

RobotJobs MakeRobotJobs(const std::vector<std::string>& portnames, const CommDeviceFactory& factory) {
  RobotJobs jobs;
  for (const std::string& name : portnames) {
    auto job = std::make_unique<RobotJob>(name, factory);
    BindControlLines(job->port);
    jobs.push_back(std::move(job));
  }
  // Two names of one device would have the second refused as "in use" by
  // the first: it is served once instead.
  std::vector<std::pair<std::string, const RobotJob*>> seen;
  for (auto& job : jobs) {
    if (job->chosen.refused()) continue;
    const std::optional<std::string> identity = DeviceIdentity(job->chosen.device);
    if (!identity) continue;
    const auto earlier = std::find_if(seen.begin(), seen.end(), [&](const auto& s) { return s.first == *identity; });
    if (earlier != seen.end()) {
      job->same_as = earlier->second;
    } else {
      seen.emplace_back(*identity, job.get());
    }
  }
  return jobs;
}

void SendToClass(RobotJobs& jobs, const ProgramCodes& codes, const ClassObserver& observer) {
  // The ports are opened one at a time: a thread that has written its first
  // byte then does not wait for the processor behind a crowd of others still
  // opening theirs, which would lengthen its first wait. A port whose open
  // hangs holds the others back for at most kOpenTurnMs; they then open
  // without waiting their turn.
  std::timed_mutex open_turn;
  RunAll(jobs, observer, [&](std::size_t index, RobotJob& job) {
    {
      std::unique_lock<std::timed_mutex> turn(open_turn, std::defer_lock);
      (void)turn.try_lock_for(std::chrono::milliseconds(kOpenTurnMs));
      // A port that fails to open here is tried once more by the transfer,
      // which reports it.
      (void)EnsurePortOpen(job.port, job.chosen);
    }
    TransferObserver transfer;
    transfer.wait = observer.wait;
    transfer.progress = [&, index](int, int counter) {
      job.steps = counter;
      if (observer.changed) observer.changed(index, job);
    };
    transfer.stop_requested = observer.stop_requested;
    job.outcome = TransferProgram(job.port, codes, transfer, job.chosen);
  });
}

void RunOnClass(RobotJobs& jobs, const ClassObserver& observer) {
  RunAll(jobs, observer, [](std::size_t, RobotJob& job) { job.outcome = ExecuteProgram(job.port, job.chosen); });
}

std::size_t CountSucceeded(const RobotJobs& jobs) {
  return static_cast<std::size_t>(
      std::count_if(jobs.begin(), jobs.end(), [](const auto& job) { return job->outcome.ok; }));
}

}  // namespace vk47
