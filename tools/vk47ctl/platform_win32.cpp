// vk47ctl on Windows. Stop requests: the console's control handler (its own thread)
// records the request and sets an event that every sleeping device thread
// waits on. Ctrl+C and Ctrl+Break count as SIGINT, closing the console, a
// log-off or a shutdown as SIGTERM, so the exit status is the one a POSIX
// shell would report.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <io.h>
#include <shellapi.h>
#include <timeapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>

#include "tools/vk47ctl/platform.h"

namespace vk47::ctl {
namespace {

constexpr int kSigInt = 2;
constexpr int kSigTerm = 15;

std::atomic<int> g_stop_signal{0};
HANDLE g_stop_event = nullptr;

BOOL WINAPI OnConsoleControl(DWORD type) {
  const bool interrupt = type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT;
  g_stop_signal = interrupt ? kSigInt : kSigTerm;
  if (g_stop_event != nullptr) SetEvent(g_stop_event);
  // For a closing console the system ends the process once this returns:
  // give the device threads time to close their ports first.
  if (!interrupt) Sleep(2000);
  return TRUE;
}

std::string Narrow(const wchar_t* text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return {};
  std::string narrow(static_cast<std::size_t>(bytes - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), bytes, nullptr, nullptr);
  return narrow;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < count; ++i) args.push_back(Narrow(wide[i]));
  if (wide != nullptr) LocalFree(wide);
  return args;
}

void PrepareConsole() { SetConsoleOutputCP(CP_UTF8); }

void ShareOneHeap() {}

void CatchStopSignals() {
  if (g_stop_event == nullptr) g_stop_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  // The steps are paced in milliseconds; the default timer tick is 15.6 ms.
  timeBeginPeriod(1);
}

bool StopRequested() { return g_stop_signal.load() != 0; }

int StopStatus() { return 128 + g_stop_signal.load(); }

void SleepAtLeast(std::uint32_t ms) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  for (auto now = Clock::now(); !StopRequested() && now < deadline; now = Clock::now()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    if (g_stop_event != nullptr) {
      WaitForSingleObject(g_stop_event, static_cast<DWORD>(left));
    } else {
      Sleep(static_cast<DWORD>(left));
    }
  }
}

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace vk47::ctl
