// vk47ctl send / run: the same transfer and execute as the window, paced by a
// sleeping wait and shown with a progress bar on the terminal.

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <thread>

#include <unistd.h>

#include "link/robot_link.h"
#include "model/program_file.h"
#include "serial/port_resolver.h"
#include "settings/port_mapping.h"
#include "settings/port_setting.h"
#include "tools/vk47ctl/commands.h"

namespace vk47::ctl {
namespace {

// The signal that asked the tool to stop (SIGINT, SIGTERM, SIGHUP), or 0.
volatile std::sig_atomic_t g_stop_signal = 0;
void OnStopSignal(int signal) { g_stop_signal = signal; }

// From here on a Ctrl+C, a kill or a closed terminal ends the command at the
// next step, with the port closed properly (DTR and RTS lowered, the line
// settings put back) and word of how far it came.
void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool StopRequested() { return g_stop_signal != 0; }

// Waits at least `ms` on the monotonic clock, sleeping, never returning early
// unless a stop signal came.
void SleepAtLeast(std::uint32_t ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!StopRequested() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_until(std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(10)));
  }
}

// The exit status of a command ended by a signal, as a shell reports it.
int StopStatus() { return 128 + g_stop_signal; }

// Redraws the bar in place on a terminal; a log or pipe gets no bar at all.
void DrawBar(int counter) {
  if (!isatty(fileno(stderr))) return;
  std::string bar(16, '.');
  for (int i = 0; i < counter; ++i) bar[i] = '#';
  std::fprintf(stderr, "\r転送中 [%s] %2d / 16", bar.c_str(), counter);
  std::fflush(stderr);
}

// Splits "--port NAME" off the arguments; the rest stays in `rest`. A name
// that is none of com1..com4 and no absolute path is refused here, before
// anything is opened.
bool TakePortOption(const Args& args, std::optional<std::string>& port, Args& rest) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--port") {
      if (i + 1 >= args.size()) return false;
      port = args[++i];
    } else if (args[i].rfind("--port=", 0) == 0) {
      port = args[i].substr(7);
    } else {
      rest.push_back(args[i]);
    }
  }
  if (port && !ParsePortName(*port)) {
    std::cerr << DescribeCommError({CommErrorKind::kBadPortName, 0, "", *port}, *port) << '\n';
    return false;
  }
  return true;
}

// The port as the window would open it: --port, else the one set.ini selects.
void PreparePort(Trs232c& port, const std::optional<std::string>& name) {
  const std::string ini = SettingsFilePath();
  SetPortResolver([ini](const std::string& portname) { return ResolvePortDevice(portname, ini); });
  CatchStopSignals();
  if (name) {
    port.portname = *name;
  } else if (auto selected = PortNameForIndex(ReadPortIndex(ini))) {
    port.portname = *selected;
  }
  BindControlLines(port);
}

}  // namespace

int Send(const Args& args) {
  std::optional<std::string> port_name;
  Args rest;
  if (!TakePortOption(args, port_name, rest) || rest.size() != 1) {
    if (port_name && !ParsePortName(*port_name)) return 2;
    std::cerr << "usage: vk47ctl send FILE.pt3 [--port com1..com4|DEVICE]\n";
    return 2;
  }
  const ProgramParse program = ReadProgramFile(rest[0]);
  if (!program.ok()) {
    std::cerr << program.error << '\n';
    return 1;
  }
  Trs232c port;
  PreparePort(port, port_name);

  TransferObserver observer;
  observer.begin = [] { DrawBar(0); };
  observer.wait = SleepAtLeast;
  observer.progress = [](int, int counter) { DrawBar(counter); };
  observer.end = [] {
    if (isatty(fileno(stderr))) std::fputc('\n', stderr);
  };
  observer.stop_requested = StopRequested;
  const LinkOutcome outcome = TransferProgram(port, *program.codes, observer);
  port.close();
  if (outcome.stopped) {
    std::cerr << outcome.message << '\n';
    return StopStatus();
  }
  if (!outcome.ok) {
    std::cerr << outcome.message << '\n';
    return 1;
  }
  std::cout << "16 ステップを " << port.portname << " に送信しました\n";
  return 0;
}

int Run(const Args& args) {
  std::optional<std::string> port_name;
  Args rest;
  if (!TakePortOption(args, port_name, rest) || !rest.empty()) {
    if (port_name && !ParsePortName(*port_name)) return 2;
    std::cerr << "usage: vk47ctl run [--port com1..com4|DEVICE]\n";
    return 2;
  }
  Trs232c port;
  PreparePort(port, port_name);
  const LinkOutcome outcome = ExecuteProgram(port);
  port.close();
  if (StopRequested()) {
    std::cerr << (outcome.ok ? "実行命令を送信してから中断しました。" : outcome.message) << '\n';
    return StopStatus();
  }
  if (!outcome.ok) {
    std::cerr << outcome.message << '\n';
    return 1;
  }
  std::cout << "実行命令を " << port.portname << " に送信しました\n";
  return 0;
}

}  // namespace vk47::ctl
