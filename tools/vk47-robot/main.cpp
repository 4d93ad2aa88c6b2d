// vk47-robot: a virtual robot on a pseudo-terminal. It prints the device path
// to connect to, then receives, timestamps and decodes what vk47 sends, so a
// class can work without hardware and tests can check the real bytes.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
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
#include "tools/vk47-robot/robot_json.h"
#include "vk47_version.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

struct Options {
  std::optional<std::string> link_as;  // "com1".."com4"
  std::optional<std::string> ini;      // set.ini to write the mapping into
  std::optional<std::string> json;
  long frames = -1;                    // stop after this many frames
};

int Usage(int status) {
  std::fprintf(status == 0 ? stdout : stderr,
               "usage: vk47-robot [--link-as comN [--ini SET.INI]] [--json FILE] [--frames N]\n"
               "       vk47-robot --version\n"
               "  Opens a pseudo-terminal, prints its device path on the first line,\n"
               "  then prints every transfer and execute command it receives.\n"
               "  --link-as comN  map comN to this device in set.ini (section devices)\n"
               "  --ini FILE      the set.ini to write (default: the one vk47 reads)\n"
               "  --json FILE     keep a JSON record of every byte and frame in FILE\n"
               "  --frames N      stop after N transfer/execute frames\n");
  return status;
}

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    const char* v = nullptr;
    if (arg == "--link-as" && (v = value())) o.link_as = v;
    else if (arg == "--ini" && (v = value())) o.ini = v;
    else if (arg == "--json" && (v = value())) o.json = v;
    else if (arg == "--frames" && (v = value())) o.frames = std::strtol(v, nullptr, 10);
    else return std::nullopt;
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

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("vk47-robot %s\n", VK47_VERSION);
    return 0;
  }
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) return Usage(2);

  int master = -1;
  int slave = -1;
  char name[256] = {};
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    std::fprintf(stderr, "vk47-robot: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
    return 1;
  }
  // Raw on our side too, so nothing is echoed back or translated before the
  // sender has configured the line. Keeping the slave open lets senders come
  // and go without the master seeing a hang-up.
  termios tio{};
  tcgetattr(slave, &tio);
  cfmakeraw(&tio);
  cfsetspeed(&tio, B9600);
  tcsetattr(slave, TCSANOW, &tio);

  const std::string device = name;
  // Caught before the mapping exists, so that no signal can end the robot
  // between writing the mapping and being ready to take it back.
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &sa, nullptr);

  // The mapping lives as long as the robot: taken back on every end it sees,
  // and ignored by every reader once the robot is gone (SIGKILL included).
  std::string link_error;
  std::optional<vk47::RobotLink> link =
      options->link_as ? vk47::RobotLink::Create(options->ini.value_or(vk47::SettingsFilePath()),
                                                 *options->link_as, device, link_error)
                       : std::nullopt;
  if (options->link_as && !link) {
    std::fprintf(stderr, "vk47-robot: %s\n", link_error.c_str());
    return 1;
  }
  std::printf("%s\n", device.c_str());
  std::fflush(stdout);

  vk47::FrameDecoder decoder;
  vk47::RobotRecord record;
  record.device = device;
  long frames_done = 0;
  auto take = [&](const std::vector<vk47::RobotFrame>& frames) {
    for (const vk47::RobotFrame& f : frames) {
      std::fputs(vk47::DescribeFrame(f).c_str(), stdout);
      record.frames.push_back(f);
      if (f.kind == vk47::RobotFrame::Kind::kTransfer || f.kind == vk47::RobotFrame::Kind::kExecute) {
        ++frames_done;
      }
    }
    std::fflush(stdout);
    if (!frames.empty() && options->json) {
      record.bytes = decoder.Received();
      vk47::WriteRobotRecord(*options->json, record);
    }
  };

  while (!g_stop && (options->frames < 0 || frames_done < options->frames)) {
    pollfd pfd{master, POLLIN, 0};
    const int ready = poll(&pfd, 1, 100);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    std::uint8_t buffer[256];
    const ssize_t n = read(master, buffer, sizeof buffer);
    const double now = NowMs();
    if (n <= 0) {
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      break;
    }
    for (ssize_t i = 0; i < n; ++i) {
      const auto frames = decoder.Feed(buffer[i], now);
      take(frames);
    }
  }
  take(decoder.Finish());
  if (options->json) {
    record.bytes = decoder.Received();
    vk47::WriteRobotRecord(*options->json, record);
  }
  close(slave);
  close(master);
  if (link && !link->Remove()) {
    std::fprintf(stderr, "vk47-robot: set.ini から %s の行を戻せませんでした\n", options->link_as->c_str());
    return 1;
  }
  return 0;
}
