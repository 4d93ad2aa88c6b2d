#pragma once
// The decoded listing of a program that vk47ctl and the virtual robot print:
// one line per slot, tab-separated: slot, code, command number ("-" for an
// empty slot or a code of no command), value text and the command's name as
// the palette shows it (empty with "-"). Scripts read the first four columns:
// their text never changes; anything new goes after them.

#include <string>

#include "model/step_program.h"
#include "text/words.h"

namespace vk47 {

std::string ListingLine(int slot, int code);
std::string ProgramListing(const ProgramCodes& codes);

// A step in words for a printed sheet: the command's name with what its
// parameter means, "前進 1秒", "回数 3", "飛ぶ → 5", the bare name for a
// command without one ("左折"), empty for an empty slot, and "コード 112"
// for a code of no command. In pieces for the catalogue (text/words.h): the
// command's name and the unit are catalogue texts, numbers and arrows stand
// as they are.
WordsLine StepSheetWords(int code);

// A step's value as its label shows it ("1.5秒", "3回", "12へ"), in pieces:
// the number, then the unit as a catalogue text; empty for a step without
// a value.
WordsLine StepValueWords(int code);

}  // namespace vk47
