// vk47ctl: the command-line face of vk47 for teachers and scripts.

#include <cstring>
#include <iostream>
#include <string_view>

#include "tools/vk47ctl/commands.h"
#include "vk47_version.h"

namespace {

struct Subcommand {
  std::string_view name;
  int (*run)(const vk47::ctl::Args&);
  std::string_view usage;
};

constexpr Subcommand kSubcommands[] = {
    {"show", vk47::ctl::Show, "show FILE.pt3        print the program, one slot per line"},
    {"demo", vk47::ctl::Demo, "demo [FILE.pt3]      print the demo program, or save it to FILE"},
    {"send", vk47::ctl::Send, "send FILE.pt3 [--port P]  send the program to the robot"},
    {"run", vk47::ctl::Run, "run [--port P]       start the program held by the robot"},
    {"ports", vk47::ctl::Ports, "ports                show the device of COM1..COM4 and the one set.ini selects"},
};

int Usage(std::ostream& out, int status) {
  out << "usage: vk47ctl COMMAND [ARGS]\n";
  for (const Subcommand& s : kSubcommands) out << "  vk47ctl " << s.usage << '\n';
  out << "  vk47ctl --version       print the version\n";
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(std::cerr, 2);
  const std::string_view name = argv[1];
  if (name == "-h" || name == "--help" || name == "help") return Usage(std::cout, 0);
  if (name == "--version") {
    std::cout << "vk47ctl " VK47_VERSION "\n";
    return 0;
  }
  for (const Subcommand& s : kSubcommands) {
    if (s.name == name) return s.run(vk47::ctl::Args(argv + 2, argv + argc));
  }
  std::cerr << "vk47ctl: unknown command '" << name << "'\n";
  return Usage(std::cerr, 2);
}
