#include "link/class_link.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vk47 {
namespace {

// Runs `work` for every job at once, each on its own thread, and waits for
// all of them, calling `idle` on this thread meanwhile.
template <typename Work>
void RunAll(RobotJobs& jobs, const ClassObserver& observer, Work work) {
  std::mutex mutex;
  std::condition_variable finished;
  std::size_t running = jobs.size();
  std::vector<std::thread> threads;
  threads.reserve(jobs.size());
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    threads.emplace_back([&, i] {
      RobotJob& job = *jobs[i];
      try {
        work(i, job);
      } catch (const std::exception& e) {
        job.outcome.ok = false;
        job.outcome.message = job.outcome.reason = e.what();
      }
      try {
        job.port.close();  // lowers DTR and RTS, puts the line settings back
      } catch (...) {
      }
      job.done = true;
      if (observer.changed) observer.changed(i, job);
      const std::lock_guard<std::mutex> lock(mutex);
      --running;
      finished.notify_all();
    });
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
}

}  // namespace

RobotJob::RobotJob(const std::string& portname, CommDeviceFactory factory) : port(std::move(factory)) {
  port.portname = portname;
}

RobotJobs MakeRobotJobs(const std::vector<std::string>& portnames, const CommDeviceFactory& factory) {
  RobotJobs jobs;
  for (const std::string& name : portnames) {
    auto job = std::make_unique<RobotJob>(name, factory);
    BindControlLines(job->port);
    jobs.push_back(std::move(job));
  }
  return jobs;
}

void SendToClass(RobotJobs& jobs, const ProgramCodes& codes, const ClassObserver& observer) {
  RunAll(jobs, observer, [&](std::size_t index, RobotJob& job) {
    TransferObserver transfer;
    transfer.wait = observer.wait;
    transfer.progress = [&, index](int, int counter) {
      job.steps = counter;
      if (observer.changed) observer.changed(index, job);
    };
    transfer.stop_requested = observer.stop_requested;
    job.outcome = TransferProgram(job.port, codes, transfer);
  });
}

void RunOnClass(RobotJobs& jobs, const ClassObserver& observer) {
  RunAll(jobs, observer, [](std::size_t, RobotJob& job) { job.outcome = ExecuteProgram(job.port); });
}

std::size_t CountSucceeded(const RobotJobs& jobs) {
  return static_cast<std::size_t>(
      std::count_if(jobs.begin(), jobs.end(), [](const auto& job) { return job->outcome.ok; }));
}

}  // namespace vk47
