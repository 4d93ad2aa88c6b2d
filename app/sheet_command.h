#pragma once
// `vk47 --sheet FILE.pt3 --pdf OUT.pdf`: writes the program sheet of a
// program file as a PDF and exits, with no window and no display, so that a
// teacher can make the sheets of a whole folder in a script. Exit status 0
// when the PDF is written, 1 when the program file cannot be read or the PDF
// cannot be written (the message on standard error), 2 for wrong arguments.
// The PDF is written like every file (WriteFileChecked, model/file_io.h):
// never through a link that may not be followed, and never over the program
// file itself (by its own name, a link or a second name of it).

namespace vk47 {

// Whether the arguments ask for a sheet (any of them is --sheet or --pdf).
bool IsSheetCommand(int argc, char** argv);

// Runs the command; call it before any application object exists.
int RunSheetCommand(int argc, char** argv);

}  // namespace vk47
