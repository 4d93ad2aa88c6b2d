// vk47-robot: a virtual robot on a pseudo-terminal. It prints the device path
// to connect to, then receives, timestamps and decodes what vk47 sends, so a
// class can work without hardware and tests can check the real bytes.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <memory>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "link/frame_decoder.h"
#include "model/program_file.h"
#include "settings/port_setting.h"
#include "serial/port_resolver.h"
#include "settings/robot_mapping.h"
#include "settings/robot_presence.h"
#include "sim/sim_texts.h"
#include "sim/trace.h"
#include "tools/vk47-robot/robot_json.h"
#include "vk47_version.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

// Standard output: the first error met in writing it. A reader that went
// away (EPIPE, as when `| head -1` has its line) ends the robot like a
// signal does, with its mapping taken back; SIGPIPE itself is ignored, since
// its default would end the robot before it could take anything back.
int g_output_error = 0;
bool ReaderGone() { return g_output_error == EPIPE; }

bool FlushOutput() {
  if (g_output_error != 0) return false;
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  g_output_error = errno != 0 ? errno : EIO;
  if (ReaderGone()) g_stop = 1;
  return false;
}

struct Options {
  std::optional<std::string> link_as;  // "com1".."com4"
  std::optional<std::string> ini;      // set.ini to write the mapping into
  std::optional<std::string> json;
  long frames = -1;                    // stop after this many frames (per robot)
  long count = 1;                      // robots, one pseudo-terminal each
  std::optional<std::string> simulate;  // a program file to run in the simulator
  std::optional<std::string> svg;       // where --simulate draws the path
  bool trace = false;                   // simulate each received transfer
  bool help = false;
  std::vector<double> switch_at;        // switch presses, seconds from the start
  vk47::SimParams sim;
};

// Exit statuses of --simulate besides 0 (the program ended).
constexpr int kExitCapped = 3;      // stopped at the time cap, or an endless loop
constexpr int kExitSwitchWait = 4;  // waiting for a switch press that never comes

constexpr long kMaxRobots = 64;
constexpr double kMinTrackCm = 0.1;

int Usage(int status) {
  std::fprintf(status == 0 ? stdout : stderr,
               "使い方: vk47-robot [--link-as comN [--ini SET.INI]] [--json FILE] [--frames N] [--count N]\n"
               "                   [--trace [シミュレーションのオプション]]\n"
               "        vk47-robot --simulate FILE.pt3 [--svg FILE] [シミュレーションのオプション]\n"
               "        vk47-robot --version | --help\n"
               "  疑似端末を開いてそのデバイスのパスを 1 行目に表示し、受け取った転送命令と\n"
               "  実行命令を表示する仮想ロボットです。\n"
               "  --link-as comN  set.ini の [devices] で comN をこのデバイスにする (終了時に戻す)\n"
               "  --ini FILE      書き込む set.ini (省略時は vk47 が読むもの)\n"
               "  --json FILE     受け取ったすべてのバイトと命令を JSON で FILE に記録する\n"
               "  --frames N      各ロボットが N 個の命令を受け取ったら終わる\n"
               "  --count N       N 台 (1〜64) のロボットを同時に起動し、デバイスを 1 行ずつ表示する\n"
               "  --trace         転送されたプログラムをシミュレーションして、その記録も表示する\n"
               "  --simulate FILE プログラムファイルをシミュレーションして記録を表示する (終了状態:\n"
               "                  0 終わった、3 10 分か時間の進まないくり返しで止めた、\n"
               "                  4 スイッチを待ったまま)\n"
               "  --svg FILE      --simulate の通り道を SVG の絵にして FILE に書く (A4 に入るときは実物大)\n"
               "シミュレーションのオプション:\n"
               "  --switch-at 秒 ...  その時刻にマイクロスイッチを押す (いくつでも指定できる。使われるのは\n"
               "                  「入力」で待つ間と、26〜28 のあとの「前進」の間だけ)\n"
               "  --speed CM_PER_S  車輪の速さ (省略時 10 cm/秒)\n"
               "  --track CM      左右の車輪の間の長さ (0.1 cm 以上、省略時 10 cm)\n"
               "  --turn DEGREES  スイッチで向きを変える角度 (省略時 90 度)\n");
  return status;
}

// A finite decimal number, the whole text; no result otherwise.
std::optional<double> ParseNumber(const char* text) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || errno == ERANGE || !std::isfinite(value)) return std::nullopt;
  return value;
}

// A simulation option's number within (low, high], or low itself when `low_ok`.
bool TakeNumber(const std::string& option, const char* text, double low, double high, bool low_ok, double& out) {
  const std::optional<double> value = text ? ParseNumber(text) : std::nullopt;
  if (!value || *value > high || *value < low || (*value == low && !low_ok)) {
    std::fprintf(stderr, "vk47-robot: %s の値が正しくありません: %s\n", option.c_str(), text ? text : "(なし)");
    return false;
  }
  out = *value;
  return true;
}

// A whole decimal count within [low, high]: "1x", "abc" and "" are refused,
// not read as the number they begin with.
bool TakeCount(const std::string& option, const char* text, long low, long high, long& out) {
  char* end = nullptr;
  errno = 0;
  const long value = text ? std::strtol(text, &end, 10) : 0;
  if (!text || end == text || *end != '\0' || errno == ERANGE || value < low || value > high) {
    std::fprintf(stderr, "vk47-robot: %s の値が正しくありません: %s\n", option.c_str(), text ? text : "(なし)");
    return false;
  }
  out = value;
  return true;
}

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options o;
  bool sim_option = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    const char* v = nullptr;
    double number = 0;
    if (arg == "--switch-at" || arg == "--speed" || arg == "--track" || arg == "--turn") {
      sim_option = true;
      v = value();
      if (arg == "--switch-at" && TakeNumber(arg, v, 0, 1e9, true, number)) {
        // Several times may follow one --switch-at, or each have its own.
        o.switch_at.push_back(number);
        for (; i + 1 < argc && ParseNumber(argv[i + 1]); ++i) {
          if (!TakeNumber(arg, argv[i + 1], 0, 1e9, true, number)) return std::nullopt;
          o.switch_at.push_back(number);
        }
      }
      else if (arg == "--speed" && TakeNumber(arg, v, 0, 1e4, false, number)) o.sim.speed_cm_s = number;
      // Down to a millimetre: a narrower track would turn faster than any
      // number can hold, and the trace would fill with nan.
      else if (arg == "--track" && TakeNumber(arg, v, kMinTrackCm, 1e4, true, number)) o.sim.track_cm = number;
      else if (arg == "--turn" && TakeNumber(arg, v, 0, 360, false, number)) o.sim.turn_deg = number;
      else return std::nullopt;
    }
    else if (arg == "--simulate" && (v = value())) o.simulate = v;
    else if (arg == "--svg" && (v = value())) o.svg = v;
    else if (arg == "--trace") o.trace = true;
    else if (arg == "--help" || arg == "-h") o.help = true;
    else if (arg == "--link-as" && (v = value())) o.link_as = v;
    else if (arg == "--ini" && (v = value())) o.ini = v;
    else if (arg == "--json" && (v = value())) o.json = v;
    else if (arg == "--frames") {
      if (!TakeCount(arg, value(), 0, 1000000000L, o.frames)) return std::nullopt;
    }
    else if (arg == "--count") {
      if (!TakeCount(arg, value(), 1, kMaxRobots, o.count)) return std::nullopt;
    }
    else return std::nullopt;
  }
  if (o.count < 1 || o.count > kMaxRobots) return std::nullopt;
  if (o.simulate && (o.trace || o.link_as || o.ini || o.json || o.frames >= 0 || o.count != 1)) {
    std::fprintf(stderr, "vk47-robot: --simulate はロボットを起動しません。ロボットのオプションとは使えません\n");
    return std::nullopt;
  }
  if (o.svg && !o.simulate) {
    std::fprintf(stderr, "vk47-robot: --svg は --simulate と使います\n");
    return std::nullopt;
  }
  if (sim_option && !o.simulate && !o.trace) {
    std::fprintf(stderr, "vk47-robot: シミュレーションのオプションは --simulate か --trace と使います\n");
    return std::nullopt;
  }
  if (o.link_as && o.count != 1) {
    std::fprintf(stderr, "vk47-robot: --link-as は 1 台のときだけ使えます\n");
    return std::nullopt;
  }
  if (o.link_as) {
    const std::optional<vk47::PortName> name = vk47::ParsePortName(*o.link_as);
    if (!name || name->com == 0) {
      std::fprintf(stderr, "vk47-robot: --link-as には com1〜com4 を指定してください: %s\n", o.link_as->c_str());
      return std::nullopt;
    }
    o.link_as = "com" + std::to_string(name->com);
  }
  return o;
}

double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// One virtual robot: a pseudo-terminal and what arrived on it.
struct Robot {
  int master = -1;
  int slave = -1;
  vk47::FrameDecoder decoder;
  vk47::RobotRecord record;  // bounded: see RecordBudget
  long frames_done = 0;
  ~Robot() {
    if (slave >= 0) close(slave);
    if (master >= 0) close(master);
  }
};

std::unique_ptr<Robot> OpenRobot() {
  auto robot = std::make_unique<Robot>();
  char name[256] = {};
  if (openpty(&robot->master, &robot->slave, name, nullptr, nullptr) != 0) {
    std::fprintf(stderr, "vk47-robot: 疑似端末を開けません: %s\n", std::strerror(errno));
    return nullptr;
  }
  // Raw on our side too, so nothing is echoed back or translated before the
  // sender has configured the line. Keeping the slave open lets senders come
  // and go without the master seeing a hang-up.
  termios tio{};
  tcgetattr(robot->slave, &tio);
  cfmakeraw(&tio);
  cfsetspeed(&tio, B9600);
  tcsetattr(robot->slave, TCSANOW, &tio);
  robot->record.device = name;
  return robot;
}

// What all robots together keep of what they received, for --json and the
// summary: the first bytes and frames up to these counts. A stream of bytes
// (a wrong speed, a device that babbles) would otherwise grow the robot
// without bound; a lesson's transfers, 17 bytes each, stay far below them.
// What comes after is still listed on standard output, only not kept.
constexpr std::size_t kMaxKeptBytes = 100000;
constexpr std::size_t kMaxKeptFrames = 100000;

struct RecordBudget {
  std::size_t bytes = 0;
  std::size_t frames = 0;
  std::size_t dropped_bytes = 0;
  std::size_t dropped_frames = 0;
  bool told = false;

  // Keeps what fits; says once, on standard error, that the rest is not kept.
  // True when anything was kept.
  bool Keep(vk47::RobotRecord& record, const std::vector<vk47::ReceivedByte>& received,
            const std::vector<vk47::RobotFrame>& frames) {
    const std::size_t bytes_kept = std::min(received.size(), kMaxKeptBytes - bytes);
    record.bytes.insert(record.bytes.end(), received.begin(), received.begin() + static_cast<long>(bytes_kept));
    bytes += bytes_kept;
    dropped_bytes += received.size() - bytes_kept;
    const std::size_t frames_kept = std::min(frames.size(), kMaxKeptFrames - this->frames);
    record.frames.insert(record.frames.end(), frames.begin(), frames.begin() + static_cast<long>(frames_kept));
    this->frames += frames_kept;
    dropped_frames += frames.size() - frames_kept;
    if ((dropped_bytes > 0 || dropped_frames > 0) && !told) {
      told = true;
      std::fprintf(stderr,
                   "vk47-robot: 受け取ったバイトが多すぎるので、最初の %zu バイトより後は記録に残しません "
                   "(表示は続けます)\n",
                   kMaxKeptBytes);
    }
    return bytes_kept > 0 || frames_kept > 0;
  }
};

// One robot's record as an object (the form scripts know); several as an
// array. False, with the message on standard error, when it cannot be written.
bool WriteRecords(const std::string& path, const std::vector<std::unique_ptr<Robot>>& robots) {
  std::string error;
  if (robots.size() == 1) {
    error = vk47::WriteRobotFile(path, vk47::RobotRecordJson(robots.front()->record));
  } else {
    std::string text = "[\n";
    for (std::size_t r = 0; r < robots.size(); ++r) {
      text += (r ? ",\n" : "") + vk47::RobotRecordJson(robots[r]->record);
    }
    error = vk47::WriteRobotFile(path, text + "]\n");
  }
  if (!error.empty()) std::fprintf(stderr, "vk47-robot: %s\n", error.c_str());
  return error.empty();
}

// Standard output that could not be written makes the run a failure: a
// script must not take a missing trace or device line for a result. Said
// once, however often the output failed. A reader that went away is no
// failure: it has all it wanted.
int CheckedOutput(int status) {
  if (FlushOutput() || ReaderGone()) return status;
  std::fprintf(stderr, "vk47-robot: 標準出力に書き込めませんでした (%s)\n", std::strerror(g_output_error));
  return status == 0 ? 1 : status;
}

// The combined summary of many robots: what each received, and the gaps
// before its steps (median and worst), one tab-separated line each.
void PrintSummary(const std::vector<std::unique_ptr<Robot>>& robots) {
  std::printf("summary\tdevice\ttransfers\texecutes\tincomplete\tgap median ms\tgap worst ms\n");
  for (const auto& robot : robots) {
    int transfers = 0, executes = 0, incomplete = 0;
    std::vector<double> gaps;
    for (const vk47::RobotFrame& f : robot->record.frames) {
      if (f.kind == vk47::RobotFrame::Kind::kTransfer) {
        ++transfers;
        for (std::size_t b = 1; b < f.bytes.size(); ++b) gaps.push_back(f.bytes[b].gap_ms);
      }
      if (f.kind == vk47::RobotFrame::Kind::kExecute) ++executes;
      if (f.kind == vk47::RobotFrame::Kind::kIncomplete) ++incomplete;
    }
    std::sort(gaps.begin(), gaps.end());
    const double median = gaps.empty() ? 0 : gaps[gaps.size() / 2];
    const double worst = gaps.empty() ? 0 : gaps.back();
    std::printf("summary\t%s\t%d\t%d\t%d\t%.1f\t%.1f\n", robot->record.device.c_str(), transfers, executes,
                incomplete, median, worst);
  }
  FlushOutput();
}

// Runs a program in the simulator and prints its trace; the end, when it is
// not the program's own, goes to standard error.
vk47::SimRun PrintTrace(const vk47::ProgramCodes& codes, const Options& options, const char* prefix = "") {
  const vk47::SimRun run = vk47::RunProgram(codes, options.sim, options.switch_at);
  std::fputs(prefix, stdout);
  std::fputs(vk47::TraceText(run).c_str(), stdout);
  FlushOutput();
  const std::string outcome = vk47::Plain(vk47::OutcomeWords(run, options.sim));
  if (!outcome.empty()) std::fprintf(stderr, "vk47-robot: %s%s\n", prefix, outcome.c_str());
  return run;
}

int Simulate(const Options& options) {
  const vk47::ProgramParse program = vk47::ReadProgramFile(*options.simulate);
  if (!program.ok()) {
    std::fprintf(stderr, "vk47-robot: %s\n", program.error.c_str());
    return 1;
  }
  const vk47::SimRun run = PrintTrace(*program.codes, options);
  if (options.svg) {
    // Never over the program it was drawn from.
    const std::string error = vk47::WriteRobotFile(*options.svg, vk47::PathSvg(run, options.sim), {*options.simulate});
    if (!error.empty()) {
      std::fprintf(stderr, "vk47-robot: %s\n", error.c_str());
      return 1;
    }
  }
  switch (run.outcome) {
    case vk47::SimRun::Outcome::kEnded:
      return 0;
    case vk47::SimRun::Outcome::kCapped:
    case vk47::SimRun::Outcome::kStuck:
      return kExitCapped;
    case vk47::SimRun::Outcome::kWaitingSwitch:
      return kExitSwitchWait;
  }
  return 0;
}

// The step codes of a transfer frame: the sixteen bytes after 0x74.
vk47::ProgramCodes FrameCodes(const vk47::RobotFrame& frame) {
  vk47::ProgramCodes codes{};
  for (std::size_t i = 0; i < codes.size() && i + 1 < frame.bytes.size(); ++i) codes[i] = frame.bytes[i + 1].value;
  return codes;
}

int RobotMain(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("vk47-robot %s\n", VK47_VERSION);
    return 0;
  }
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) return Usage(2);
  if (options->help) return Usage(0);
  if (options->simulate) return Simulate(*options);

  std::vector<std::unique_ptr<Robot>> robots;
  for (long r = 0; r < options->count; ++r) {
    auto robot = OpenRobot();
    if (!robot) return 1;
    robots.push_back(std::move(robot));
  }
  const std::string& device = robots.front()->record.device;
  // A record file that cannot be written is told now, before any robot is
  // linked or announced, not found empty at the end.
  if (options->json && !WriteRecords(*options->json, robots)) return 1;

  // Caught before the mapping exists, so that no signal can end the robot
  // between writing the mapping and being ready to take it back.
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &sa, nullptr);

  // The mapping lives as long as the robot: taken back on every end it sees,
  // and, after SIGKILL, by the next robot or reader that finds it ended.
  std::string link_error;
  std::optional<vk47::VirtualRobotRecord> link =
      options->link_as ? vk47::VirtualRobotRecord::Create(options->ini.value_or(vk47::SettingsFilePath()),
                                                 *options->link_as, device, link_error)
                       : std::nullopt;
  if (options->link_as && !link) {
    std::fprintf(stderr, "vk47-robot: %s\n", link_error.c_str());
    return 1;
  }
  // Every robot can be found by a window that looks for the class's robots,
  // linked to a port or not; the records go when the robot ends. A robot
  // that nobody could find is of no use: without a folder for its record it
  // stops (and takes its link back).
  std::vector<vk47::RobotPresence> presences;
  for (std::size_t r = 0; r < robots.size(); ++r) {
    std::string presence_error;
    std::optional<vk47::RobotPresence> presence =
        vk47::RobotPresence::Create(robots[r]->record.device, static_cast<int>(r), presence_error);
    if (!presence) {
      std::fprintf(stderr, "vk47-robot: %s\n", presence_error.c_str());
      return 1;
    }
    presences.push_back(std::move(*presence));
  }
  for (const auto& robot : robots) std::printf("%s\n", robot->record.device.c_str());
  // Whoever started the robot reads the device from here: without it the
  // robot is of no use to anyone (the link is taken back on the way out,
  // and main says what went wrong).
  if (!FlushOutput()) return ReaderGone() ? 0 : 1;

  // A reader of a pipe or socket that goes away ends the robot at once, not
  // at the next line the robot has to say.
  struct stat out_info {};
  const bool watch_output =
      ::fstat(STDOUT_FILENO, &out_info) == 0 && (S_ISFIFO(out_info.st_mode) || S_ISSOCK(out_info.st_mode));

  const bool many = robots.size() > 1;
  // The JSON record is written once the line has been quiet for a moment,
  // never between two reads: an fsync there would stamp the next byte late
  // and show a gap that the sender never made.
  bool record_dirty = false;
  constexpr int kQuietMs = 5;
  RecordBudget budget;
  auto take = [&](Robot& robot, const std::vector<vk47::RobotFrame>& frames) {
    for (const vk47::RobotFrame& f : frames) {
      if (many) std::printf("%s: ", robot.record.device.c_str());
      std::fputs(vk47::DescribeFrame(f).c_str(), stdout);
      if (options->trace && f.kind == vk47::RobotFrame::Kind::kTransfer) {
        PrintTrace(FrameCodes(f), *options, many ? (robot.record.device + ": ").c_str() : "");
      }
      if (f.kind == vk47::RobotFrame::Kind::kTransfer || f.kind == vk47::RobotFrame::Kind::kExecute) {
        ++robot.frames_done;
      }
    }
    FlushOutput();
    if (budget.Keep(robot.record, robot.decoder.Received(), frames)) record_dirty = true;
    robot.decoder.ForgetReceived();
  };
  auto finished = [&] {
    if (options->frames < 0) return false;
    for (const auto& robot : robots) {
      if (robot->frames_done < options->frames) return false;
    }
    return true;
  };

  bool record_failed = false;
  std::vector<pollfd> pfds(robots.size() + (watch_output ? 1 : 0));
  while (!g_stop && !finished()) {
    for (std::size_t r = 0; r < robots.size(); ++r) pfds[r] = {robots[r]->master, POLLIN, 0};
    if (watch_output) pfds.back() = {STDOUT_FILENO, 0, 0};  // POLLERR and POLLHUP come unasked
    const bool write_when_quiet = record_dirty && options->json;
    const int ready = poll(pfds.data(), pfds.size(), write_when_quiet ? kQuietMs : 100);
    if (ready < 0 && errno != EINTR) break;
    if (ready == 0 && write_when_quiet) {
      // Told once; the robot goes on receiving, and the exit status says it.
      if (!record_failed && !WriteRecords(*options->json, robots)) record_failed = true;
      record_dirty = false;
    }
    if (ready <= 0) continue;
    if (watch_output && (pfds.back().revents & (POLLERR | POLLHUP))) {
      g_output_error = EPIPE;
      break;
    }
    // Every byte that poll reports had arrived when it returned: stamped
    // then, the last of many terminals is not stamped later than the first
    // by the reads before it.
    const double now = NowMs();
    for (std::size_t r = 0; r < robots.size(); ++r) {
      if (!(pfds[r].revents & POLLIN)) continue;
      Robot& robot = *robots[r];
      std::uint8_t buffer[256];
      const ssize_t n = read(robot.master, buffer, sizeof buffer);
      std::vector<vk47::RobotFrame> frames;
      for (ssize_t i = 0; i < n; ++i) {
        for (vk47::RobotFrame& f : robot.decoder.Feed(buffer[i], now)) frames.push_back(std::move(f));
      }
      take(robot, frames);
    }
  }
  for (const auto& robot : robots) take(*robot, robot->decoder.Finish());
  if (options->json && !record_failed && !WriteRecords(*options->json, robots)) record_failed = true;
  if (many && !ReaderGone()) PrintSummary(robots);
  if (budget.dropped_bytes > 0 || budget.dropped_frames > 0) {
    std::fprintf(stderr, "vk47-robot: 記録に残さなかったもの: %zu バイト (%zu 個のまとまり)\n", budget.dropped_bytes,
                 budget.dropped_frames);
  }
  robots.clear();  // closes every pseudo-terminal
  if (link && !link->Remove()) {
    std::fprintf(stderr, "vk47-robot: set.ini から %s の行を戻せませんでした\n", options->link_as->c_str());
    return 1;
  }
  return record_failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  return CheckedOutput(RobotMain(argc, argv));
}
