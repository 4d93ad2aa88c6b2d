// vk47ctl: the command-line face of vk47 for teachers and scripts.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/vk47ctl/commands.h"
#include "tools/vk47ctl/platform.h"
#include "vk47_version.h"

namespace {

struct Subcommand {
  std::string_view name;
  int (*run)(const vk47::ctl::Args&);
  std::string_view usage;
};

constexpr Subcommand kSubcommands[] = {
    {"show", vk47::ctl::Show, "show FILE.pt3              プログラムを 1 ステップ 1 行で表示する"},
    {"demo", vk47::ctl::Demo, "demo [FILE.pt3]            デモプログラムを表示する (FILE があれば保存する)"},
    {"send", vk47::ctl::Send,
     "send FILE.pt3 [--port P]...  プログラムをロボットに転送する (--port を重ねると全部に同時に)"},
    {"run", vk47::ctl::Run, "run [--port P]...          ロボットのプログラムを実行させる"},
    {"ports", vk47::ctl::Ports, "ports                      COM1〜COM4 のデバイスと選ばれているポートを表示する"},
    {"port", vk47::ctl::Port, "port [com1〜com4]          選ばれているポートを表示する、または選ぶ"},
};

// Standard output that could not be written (a full disk, a closed pipe)
// makes any command a failure: a script must not take nothing for a result.
int CheckedOutput(int status) {
  errno = 0;
  std::cout.flush();
  if (std::cout && std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  const int err = errno;
  std::cerr << "vk47ctl: 標準出力に書き込めませんでした"
            << (err != 0 ? std::string(" (") + std::strerror(err) + ")" : std::string()) << '\n';
  return status == 0 ? 1 : status;
}

int Usage(std::ostream& out, int status) {
  out << "使い方: vk47ctl コマンド [引数]\n";
  for (const Subcommand& s : kSubcommands) out << "  vk47ctl " << s.usage << '\n';
  out << "  vk47ctl --version          バージョンを表示する\n"
         "  P は com1〜com4 か、/ で始まるデバイスのパス\n";
  return status;
}

int Main(int argc, char** argv) {
  const std::vector<std::string> args = vk47::ctl::CommandLineArguments(argc, argv);
  if (args.empty()) return Usage(std::cerr, 2);
  const std::string_view name = args[0];
  if (name == "-h" || name == "--help" || name == "help") return Usage(std::cout, 0);
  if (name == "--version") {
    std::cout << "vk47ctl " VK47_VERSION "\n";
    return 0;
  }
  for (const Subcommand& s : kSubcommands) {
    if (s.name == name) return s.run(vk47::ctl::Args(args.begin() + 1, args.end()));
  }
  std::cerr << "vk47ctl: そのようなコマンドはありません: " << name << '\n';
  return Usage(std::cerr, 2);
}

}  // namespace

int main(int argc, char** argv) {
  vk47::ctl::PrepareConsole();
  vk47::ctl::ShareOneHeap();
  return CheckedOutput(Main(argc, argv));
}
