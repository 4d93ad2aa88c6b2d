#include "app/command_line.h"

#include <array>
#include <ostream>
#include <string_view>

#include "vk47_version.h"

namespace vk47 {
namespace {

// Options that QApplication takes itself, with one or two dashes; the first
// list takes a value, given as the next argument or after "=".
constexpr std::array<std::string_view, 15> kQtValueOptions = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle", "session", "display", "geometry",
    "style", "stylesheet", "name", "title", "qmljsdebugger"};
constexpr std::array<std::string_view, 5> kQtFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& list, std::string_view name) {
  for (std::string_view entry : list) {
    if (entry == name) return true;
  }
  return false;
}

void PrintUsage(std::ostream& out) {
  out << "使い方: vk47 [オプション]\n"
         "  ロボットのプログラムを作るウィンドウを開きます。\n"
         "  --help, -h      この説明を表示する\n"
         "  --version, -v   バージョンを表示する\n"
         "  --sheet FILE.pt3 --pdf OUT.pdf   プログラムのシートを PDF に書き出す\n"
         "  Qt のオプション (-platform、-style など) も使えます。\n";
}

}  // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const argv[], std::ostream& out, std::ostream& err) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      PrintUsage(out);
      return out.flush() ? 0 : 1;
    }
    if (arg == "--version" || arg == "-v") {
      out << "vk47 " VK47_VERSION "\n";
      return out.flush() ? 0 : 1;
    }
    std::string_view name = arg;
    if (name.starts_with("--")) {
      name.remove_prefix(2);
    } else if (name.starts_with("-")) {
      name.remove_prefix(1);
    } else {
      name = {};
    }
    const std::size_t equals = name.find('=');
    const bool has_value = equals != std::string_view::npos;
    if (has_value) name = name.substr(0, equals);
    if (!name.empty() && Contains(kQtFlags, name) && !has_value) continue;
    if (!name.empty() && Contains(kQtValueOptions, name)) {
      if (!has_value) ++i;  // its value
      if (i < argc) continue;
    }
    err << "vk47: このオプションは使えません: " << arg << '\n';
    PrintUsage(err);
    return 2;
  }
  return std::nullopt;
}

}  // namespace vk47
