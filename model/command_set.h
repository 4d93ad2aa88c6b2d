#pragma once
// The robot's fifteen commands and the one-byte step codes they encode to.
// Command numbers are handled as exact decimal texts ("1".."7", "24".."31"):
// "01" or " 1" is not command 1. Pure functions; UI thread in practice.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vk47 {

struct Command {
  std::string_view number;  // command number text, also the icon's base name
  std::string_view group;   // caption of the palette group box
  std::string_view hint;    // hint text of the palette picture ("" for none)
  int base_code;            // step code at parameter 0
  bool takes_parameter;     // the track bar position is added to the base code
  std::string_view unit;    // appended to the value text ("秒", "回", "へ", "")
  std::string_view name;    // the caption under its palette picture ("前進")
};

// The fifteen commands in palette order (basic, repeat, extended, input, jump, end).
const std::array<Command, 15>& Commands();

// The command of a number text, or nullptr when the text is none of the fifteen.
const Command* FindCommand(std::string_view number);

// Step code for a command placed with the track bar at `position` (0..15).
// Unknown texts encode to the bare position, like command 4.
int EncodeStep(std::string_view number, int position);

// Command number of a step code; -1 (empty slot) decodes as command "4".
std::optional<std::string> StepCommandNumber(int code);

// Icon file name ("2.bmp") of a step code, by the same decoding.
std::optional<std::string> StepIconFile(int code);

// Text of a step's value label: "1.5秒", "3回", "12へ" or "" for commands without
// a parameter; no result for a number text that is no command. The parameter
// is the code minus the base code of the given command, so callers pass a
// matching pair. `decimal_separator` is the user's (a point in Japanese).
std::optional<std::string> StepValueText(int code, std::string_view number,
                                         std::string_view decimal_separator = ".");

// Seconds of a quarter-second count in shortest form: 0, 0.25, 1, 3.75.
std::string QuarterSecondsText(int quarters, std::string_view decimal_separator);

}  // namespace vk47
