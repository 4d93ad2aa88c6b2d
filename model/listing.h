#pragma once
// The decoded listing of a program that vk47ctl and the virtual robot print:
// one line per slot, tab-separated: slot, code, command number ("-" for an
// empty slot or a code of no command), value text and the command's name as
// the palette shows it (empty with "-"). Scripts read the first four columns:
// their text never changes; anything new goes after them.

#include <string>

#include "model/step_program.h"

namespace vk47 {

std::string ListingLine(int slot, int code);
std::string ProgramListing(const ProgramCodes& codes);

}  // namespace vk47
