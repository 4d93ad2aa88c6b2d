// The machine's own timer lateness, as a floor for the benchmark's gaps: one
// thread per processor, pinned to it, sleeps until a deadline half a
// millisecond ahead, again and again, and notes each wake-up that came late
// (a stall that began while it slept shows from its deadline on, so at most
// half a millisecond of it goes unseen). A virtual
// machine whose processor the host holds back wakes every timer on it late
// at once, the sender's included; bench/run takes the stretches that the
// probe saw on the sender's processor out of the sender's gaps.
//
// usage: vk47_timer_probe OUT   (runs until SIGINT or SIGTERM, then writes
// OUT: a line "cpu due_ms woke_ms" per late wake-up, CLOCK_MONOTONIC)

#include <pthread.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr long long kPeriodNs = 500000;
constexpr long long kLateNs = 200000;  // a wake-up later than this is noted

std::atomic<bool> g_stop{false};

void OnStop(int) { g_stop = true; }

long long NowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000000LL + t.tv_nsec;
}

struct Late {
  int cpu;
  long long due, woke;
};

void Probe(int cpu, std::vector<Late>& late) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  pthread_setaffinity_np(pthread_self(), sizeof set, &set);
  long long due = NowNs();
  while (!g_stop) {
    due += kPeriodNs;
    const timespec at{static_cast<time_t>(due / 1000000000LL), static_cast<long>(due % 1000000000LL)};
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
    const long long woke = NowNs();
    if (woke - due > kLateNs) late.push_back({cpu, due, woke});
    if (woke > due) due = woke;  // the next deadline counts from now, not from the missed one
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vk47_timer_probe OUT\n");
    return 2;
  }
  struct sigaction action {};
  action.sa_handler = OnStop;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  const int cpus = static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
  std::vector<std::vector<Late>> late(cpus);
  std::vector<std::thread> threads;
  for (int cpu = 0; cpu < cpus; ++cpu) threads.emplace_back(Probe, cpu, std::ref(late[cpu]));
  for (std::thread& thread : threads) thread.join();
  std::FILE* out = std::fopen(argv[1], "w");
  if (!out) return 1;
  for (const auto& list : late) {
    for (const Late& l : list) std::fprintf(out, "%d %.3f %.3f\n", l.cpu, l.due / 1e6, l.woke / 1e6);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
