// vk47ctl send / run: the same transfer and execute as the window, paced by a
// sleeping wait and shown with progress on the terminal. With --port given
// more than once, every device is served at the same time (link/class_link.h),
// as the window's class dialog does.

#include <cstdio>
#include <functional>
#include <iostream>
#include <optional>
#include <vector>

#include "link/class_link.h"
#include "model/program_file.h"
#include "serial/port_resolver.h"
#include "settings/port_mapping.h"
#include "settings/port_setting.h"
#include "settings/settings_folder.h"
#include "tools/vk47ctl/commands.h"
#include "tools/vk47ctl/platform.h"

namespace vk47::ctl {
namespace {

bool Terminal() { return StderrIsTerminal(); }

// Splits every "--port NAME" off the arguments; the rest stays in `rest`. A
// name that is none of com1..com4 and no absolute path is refused here,
// before anything is opened: `refused` tells so.
bool TakePortOptions(const Args& args, std::vector<std::string>& ports, Args& rest, bool& refused) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--port") {
      if (i + 1 >= args.size()) return false;
      ports.push_back(args[++i]);
    } else if (args[i].rfind("--port=", 0) == 0) {
      ports.push_back(args[i].substr(7));
    } else {
      rest.push_back(args[i]);
    }
  }
  for (const std::string& port : ports) {
    if (ParsePortName(port)) continue;
    std::cerr << DescribeCommError({CommErrorKind::kBadPortName, 0, "", port}, port) << '\n';
    refused = true;
  }
  return !refused;
}

// The ports as the window would open them: each --port, else the one set.ini selects.
RobotJobs PrepareJobs(const std::vector<std::string>& names) {
  const std::string ini = SettingsFilePath();
  SetPortResolver([ini](const std::string& portname) {
    return OnlyWhatTheUserActedForMayOpen(ResolvePortDevice(portname, ini));
  });
  CatchStopSignals();
  std::vector<std::string> chosen = names;
  if (chosen.empty()) chosen.push_back(PortNameForIndex(ReadPortIndex(ini)).value_or("COM1"));
  return MakeRobotJobs(chosen);
}

// Redraws one line per device in place while the jobs run.
class ProgressLines {
 public:
  explicit ProgressLines(const RobotJobs& jobs) : jobs_(jobs) {}
  void Draw(bool first) {
    if (!Terminal()) return;
    if (!first) std::fprintf(stderr, "\033[%zuA", jobs_.size());
    for (const auto& job : jobs_) {
      const int steps = job->steps.load();
      std::string bar(16, '.');
      for (int i = 0; i < steps; ++i) bar[i] = '#';
      const char* state = job->same_as ? "重複" : !job->done.load() ? "転送中" : job->outcome.ok ? "完了" : "失敗";
      std::fprintf(stderr, "\r\033[K%-14s %s [%s] %2d / 16\n", job->port.portname.c_str(), state,
                   bar.c_str(), steps);
    }
    std::fflush(stderr);
  }

 private:
  const RobotJobs& jobs_;
};

// The tool's pacing and stop requests for a class command; with
// `progress`, the terminal's progress lines are redrawn meanwhile.
ClassObserver ToolObserver(ProgressLines* progress) {
  ClassObserver observer;
  observer.wait = SleepAtLeast;
  observer.stop_requested = StopRequested;
  if (progress) observer.idle = [progress] { progress->Draw(false); };
  return observer;
}

// device, result and steps of every job, one tab-separated line each.
void PrintSummary(const RobotJobs& jobs, bool with_steps) {
  std::cout << "デバイス\t結果" << (with_steps ? "\t送信ステップ" : "") << '\n';
  for (const auto& job : jobs) {
    std::cout << job->port.portname << '\t';
    // A device named twice shows the steps its one transfer sent, so every
    // row has the same columns.
    if (job->same_as) {
      std::cout << Plain(LinkSummary(job->outcome));
    } else {
      std::cout << (job->outcome.ok ? std::string("OK") : Plain(LinkSummary(job->outcome)));
    }
    if (with_steps) std::cout << '\t' << job->outcome.steps_sent << "/16";
    std::cout << '\n';
  }
}

// Tells how the jobs ended (one device: its message, or `done` on success;
// several: the summary table) and gives the exit status: 0 when every device
// got everything, 128 + N when signal N stopped any of them, else 1.
int Report(const RobotJobs& jobs, bool with_steps,
           const std::function<std::string(const std::string& port)>& done) {
  const bool all_ok = CountSucceeded(jobs) == jobs.size();
  if (jobs.size() > 1) {
    PrintSummary(jobs, with_steps);
  } else if (!jobs[0]->outcome.ok) {
    std::cerr << LinkMessage(jobs[0]->outcome) << '\n';
  } else {
    std::cout << done(jobs[0]->port.portname) << '\n';
  }
  if (all_ok) return 0;
  return StopRequested() ? StopStatus() : 1;
}

}  // namespace

int Send(const Args& args) {
  std::vector<std::string> names;
  Args rest;
  bool refused = false;
  if (!TakePortOptions(args, names, rest, refused) || rest.size() != 1) {
    if (!refused) std::cerr << "使い方: vk47ctl send FILE.pt3 [--port com1〜com4|デバイス]...\n";
    return 2;
  }
  const ProgramParse program = ReadProgramFile(PathFromText(rest[0]));
  if (!program.ok()) {
    std::cerr << program.error << '\n';
    return 1;
  }
  RobotJobs jobs = PrepareJobs(names);
  ProgressLines lines(jobs);
  const bool show_progress = Terminal();
  if (show_progress) lines.Draw(true);
  SendToClass(jobs, *program.codes, ToolObserver(show_progress ? &lines : nullptr));
  if (show_progress) lines.Draw(false);

  return Report(jobs, true, [](const std::string& port) { return "16 ステップを " + port + " に送信しました"; });
}

int Run(const Args& args) {
  std::vector<std::string> names;
  Args rest;
  bool refused = false;
  if (!TakePortOptions(args, names, rest, refused) || !rest.empty()) {
    if (!refused) std::cerr << "使い方: vk47ctl run [--port com1〜com4|デバイス]...\n";
    return 2;
  }
  RobotJobs jobs = PrepareJobs(names);
  RunOnClass(jobs, ToolObserver(nullptr));

  return Report(jobs, false, [](const std::string& port) { return "実行命令を " + port + " に送信しました"; });
}

int Port(const Args& args) {
  if (args.size() > 1) {
    std::cerr << "使い方: vk47ctl port [com1〜com4]\n";
    return 2;
  }
  if (args.empty()) {
    // Looking leaves no trace: the folder is not created just to read.
    const std::string ini = SettingsFolderPathFor(DocumentsFolderPath()) + kSettingsFileName;
    std::cout << PortNameForIndex(ReadPortIndex(ini)).value_or("com1") << '\n';
    return 0;
  }
  const std::optional<PortName> name = ParsePortName(args[0]);
  if (!name || name->com == 0) {
    std::cerr << "vk47ctl: 選べるポートは com1〜com4 です: " << args[0] << '\n';
    return 2;
  }
  const std::string ini = SettingsFilePath();
  try {
    WritePortIndex(ini, name->com - 1);  // the value the port dialog writes, under the settings lock
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  std::cout << "com" << name->com << " を選びました (" << ini << ")。ウィンドウでは次の起動から使われます。\n";
  return 0;
}

}  // namespace vk47::ctl
