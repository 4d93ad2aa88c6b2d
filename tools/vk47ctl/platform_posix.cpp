// vk47ctl on POSIX systems. Stop requests: the signal handler records the
// signal and makes a pipe readable, so that every sleeping device thread
// wakes at once instead of polling a flag.

#include <fcntl.h>
#if defined(__GLIBC__)
#include <malloc.h>
#include <pthread.h>
#endif
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>

#include "tools/vk47ctl/platform.h"

namespace vk47::ctl {
namespace {

volatile std::sig_atomic_t g_stop_signal = 0;
int g_stop_pipe[2] = {-1, -1};

void OnStopSignal(int signal) {
  g_stop_signal = signal;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(g_stop_pipe[1], &byte, 1);  // async-signal-safe
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PrepareConsole() {}

void CatchStopSignals() {
  if (g_stop_pipe[0] < 0 && ::pipe2(g_stop_pipe, O_NONBLOCK | O_CLOEXEC) != 0) return;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) sigaction(signal, &action, nullptr);
}

void ShareOneHeap() {
#if defined(__GLIBC__)
  mallopt(M_ARENA_MAX, 1);
  // A megabyte of stack is ample for a transfer; 32 such stacks stay in the
  // C library's cache instead of being mapped and unmapped one by one.
  pthread_attr_t attr;
  if (pthread_getattr_default_np(&attr) == 0) {
    pthread_attr_setstacksize(&attr, 1024 * 1024);
    pthread_setattr_default_np(&attr);
    pthread_attr_destroy(&attr);
  }
#endif
}

bool StopRequested() { return g_stop_signal != 0; }

int StopStatus() { return 128 + g_stop_signal; }

void SleepAtLeast(std::uint32_t ms) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  for (auto now = Clock::now(); !StopRequested() && now < deadline; now = Clock::now()) {
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - now).count();
    const timespec timeout{static_cast<time_t>(left / 1000000000), static_cast<long>(left % 1000000000)};
    pollfd stop{g_stop_pipe[0], POLLIN, 0};
    ::ppoll(&stop, g_stop_pipe[0] >= 0 ? 1 : 0, &timeout, nullptr);
  }
}

bool StderrIsTerminal() { return isatty(fileno(stderr)) != 0; }

}  // namespace vk47::ctl
