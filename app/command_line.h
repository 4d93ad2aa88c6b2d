#pragma once
// The window's command line, read before any window system is touched, so
// that --version and --help work without a display, like vk47ctl's.
//   vk47 [Qt's own options]     opens the window
//   vk47 --version | -v          prints "vk47 VERSION", exit 0
//   vk47 --help | -h             prints the usage, exit 0
//   (vk47 --sheet ... --pdf ... is the program sheet's, sheet_command.h,
//   handled before this)
// Anything else (an unknown option, a word) prints the usage on standard
// error, exit 2. Qt's own options (-platform offscreen, -style fusion, ...)
// are left for QApplication. No Qt here.

#include <iosfwd>
#include <optional>

namespace vk47 {

// The exit status when the command line is answered without a window (help,
// version, a mistake); nothing when the window should open.
std::optional<int> AnswerCommandLine(int argc, const char* const argv[], std::ostream& out, std::ostream& err);

}  // namespace vk47
