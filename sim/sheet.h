#pragma once
// The program sheet's content, the same in the window's print and PDF and in
// the browser's print: one A4 portrait page for a pupil's folder or the
// class wall. At the top the program's name (or 無題) and the date, with
// lines for the pupil's name and class; then the sixteen steps as a 4 x 4
// grid down the columns, each with its number, its command's picture and
// the step in words ("前進 1秒", "回数 3", "飛ぶ → 5", 「(空き)」); under them
// the path the simulator drives with no switch press, on a centimetre grid
// at life size when it fits (else a stated scale), the start and the end
// marked, and a legend with what ended the run when it did not end by
// itself.
//
// The texts are Words, for the caller's catalogue; each edition lays them
// out on the page in the millimetres below.
//
// Pure functions; any thread.

#include <array>
#include <string>
#include <string_view>

#include "model/step_program.h"
#include "sim/floor_drawing.h"
#include "sim/floor_svg.h"
#include "sim/trace.h"
#include "text/words.h"

namespace vk47 {

// The page in millimetres: A4 portrait with 15 mm margins; the step grid's
// cells; the floor's room under them (its heading takes the first 8 mm),
// with the numbers' column and row beside the grid, and the legend after it.
// The floor's room takes the page's width less 10 mm each side (what any
// printer prints), so that a path up to about 16 cm long is drawn life size.
namespace sheet_mm {
inline constexpr double kPageW = 210, kPageH = 297, kMargin = 15;
inline constexpr double kContentW = kPageW - 2 * kMargin;
inline constexpr double kGridTop = 47, kCellW = kContentW / 4, kCellH = 27;
inline constexpr double kFloorTop = kGridTop + 4 * kCellH + 16, kFloorBottom = 276;
inline constexpr double kFloorMargin = 10, kFloorRoomW = kPageW - 2 * kFloorMargin;
inline constexpr double kFloorRoomTop = kFloorTop + 8, kFloorRoomH = kFloorBottom - kFloorRoomTop;
inline constexpr double kNumbersW = 10, kNumbersH = 5;
}  // namespace sheet_mm

struct SheetDate {
  int year = 2000, month = 1, day = 1;
};

struct SheetStep {
  int slot = 0;
  int code = kEmptyCode;
  std::string picture;  // the command number whose picture the step shows ("4" for an empty slot)
  WordsLine text;       // the step in words; empty for an empty slot (shown as empty_step)
};

struct PrintedSheet {
  Words title;            // the file's name without its folder, or 無題
  Words date;             // 「2026年12月10日」
  Words name_label;       // 名前, before a line to write on
  Words class_label;      // 組, likewise
  Words program_heading;  // over the steps
  std::array<SheetStep, kSlotCount> steps;  // by slot; laid out down the columns
  Words empty_step;       // what an empty slot says: (空き)
  Words floor_heading;    // over the floor
  Words scale;            // 実物大 or 縮尺 1/N
  Words legend;           // the marks, the unit and the grid's square
  Words outcome;          // what ended the run; empty when it ended by itself

  SimRun run;             // the run with no switch press
  PaperFloor floor;       // its scale and numbering in the floor's room
};

// The sheet of `codes` saved as `file_name` (a path or a name; empty for a
// program never saved), printed on `date`.
PrintedSheet MakePrintedSheet(const ProgramCodes& codes, std::string_view file_name, SheetDate date,
                              const SimParams& params = {});

// The sheet's floor as shapes (sim/floor_drawing.h), its numbers included,
// at its scale: the window paints these.
FloorDrawing SheetFloorDrawing(const PrintedSheet& sheet);

// Where the floor's drawing lies on the page, in millimetres: centred across
// the page and in the floor's room.
struct SheetRect {
  double x = 0, y = 0, width = 0, height = 0;
};
SheetRect SheetFloorPlace(const PrintedSheet& sheet);

// The sheet's floor as SVG at its scale (sim/floor_svg.h): life size in
// millimetres when it fits.
std::string SheetFloorSvg(const PrintedSheet& sheet, const Say& say = SayPlain);

}  // namespace vk47
