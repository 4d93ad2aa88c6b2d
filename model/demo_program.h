#pragma once
// The built-in demonstration program: sixteen steps of one second each,
// forward and backward twice, then each wheel forward and backward, with
// command 4 for one second between them.

#include <array>
#include <string_view>

#include "model/program_file.h"

namespace vk47 {

// The table as decimal texts in slot order, converted as they are used.
inline constexpr std::array<std::string_view, 16> DemoSteps = {
    "36", "4", "84", "4", "36", "4", "84", "4",
    "20", "4", "68", "4", "52", "4", "100", "4",
};

// The demo through the same checks as a file's lines.
ProgramParse DemoProgram();

}  // namespace vk47
