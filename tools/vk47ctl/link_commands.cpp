// vk47ctl send / run: the same transfer and execute as the window, paced by a
// sleeping wait and shown with a progress bar on the terminal.

#include <chrono>
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

// Waits at least `ms` on the monotonic clock, sleeping, never returning early.
void SleepAtLeast(std::uint32_t ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_until(deadline);
}

// Redraws the bar in place on a terminal; a log or pipe gets no bar at all.
void DrawBar(int counter) {
  if (!isatty(fileno(stderr))) return;
  std::string bar(16, '.');
  for (int i = 0; i < counter; ++i) bar[i] = '#';
  std::fprintf(stderr, "\r転送中 [%s] %2d / 16", bar.c_str(), counter);
  std::fflush(stderr);
}

// Splits "--port NAME" off the arguments; the rest stays in `rest`.
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
  return true;
}

// The port as the window would open it: --port, else the one set.ini selects.
void PreparePort(Trs232c& port, const std::optional<std::string>& name) {
  const std::string ini = SettingsFilePath();
  SetPortResolver([ini](const std::string& portname) { return ResolvePortDevice(portname, ini); });
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
  const LinkOutcome outcome = TransferProgram(port, *program.codes, observer);
  port.close();
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
    std::cerr << "usage: vk47ctl run [--port com1..com4|DEVICE]\n";
    return 2;
  }
  Trs232c port;
  PreparePort(port, port_name);
  const LinkOutcome outcome = ExecuteProgram(port);
  port.close();
  if (!outcome.ok) {
    std::cerr << outcome.message << '\n';
    return 1;
  }
  std::cout << "実行命令を " << port.portname << " に送信しました\n";
  return 0;
}

}  // namespace vk47::ctl
