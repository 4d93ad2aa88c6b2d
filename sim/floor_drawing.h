#pragma once
// The floor described once. Every drawing of it (the simulator's live view
// in the window and on the page, the printed sheet in both editions) is a
// FloorDrawing: a list of shapes that each edition walks with its own tools,
// the SVG writer (sim/floor_svg.h) and the window's QPainter adaptor
// (ui/sim/FloorPainter.h). What the floor shows is decided here and nowhere
// else: the grid on the 1-2-5 ladder with its numbers and caption, the path,
// the start dot and the end mark, in the colours of sim/floor_marks.h.
//
// Every coordinate is in centimetres of floor, y to the robot's left at the
// start (up on paper and on the screen), and so is every size: a pen of
// 0.3 mm on paper at 1/2 is 0.06 cm, a pen of 3 px at 8 px/cm is 0.375 cm.
// `frame` is the rectangle of floor the drawing covers (with the room its
// numbers take beside the grid), `unit_per_cm` the millimetres of paper or
// the pixels of screen that a centimetre takes.
//
// The marks on paper have the size of the legend's ● and ▲ whatever the
// scale: a dot on the start and a solid triangle on the end pose, its tip
// along the heading. The live view marks the start with a dot; its robot
// (sim/floor_marks.h's RobotFromAbove) stands where the run is.
//
// Pure functions; any thread.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "sim/floor_marks.h"
#include "sim/floor_scale.h"
#include "sim/floor_svg.h"

namespace vk47 {

struct FloorShape {
  enum class Kind {
    kLine,     // runs[0]: its two ends; `size` the pen, `colour` the pen's
    kPath,     // runs: pieces of one line with round caps and joins; `size` the pen
    kDot,      // a filled circle at `at` of radius `size`
    kPolygon,  // runs[0]: its corners, filled with `colour`
    kText,     // `text` on a baseline at `at`, `size` the font's height, anchored by `anchor`
  };
  enum class Anchor { kStart, kMiddle, kEnd };

  Kind kind = Kind::kLine;
  std::vector<std::vector<FloorPoint>> runs;
  FloorPoint at;
  double size = 0;
  const char* colour = kInkColour;
  std::string text;
  Anchor anchor = Anchor::kStart;
};

struct FloorDrawing {
  FloorBox frame;                     // the floor the drawing covers
  double unit_per_cm = 10;            // millimetres of paper, or pixels of screen
  const char* background = "white";   // the frame's fill
  double grid_cm = 1;                 // the side of the grid's finest squares
  std::vector<FloorShape> shapes;     // in painting order
};

// The size of the marks on paper, as the legend's ● and ▲ stand in its text.
inline constexpr double kPaperStartDotMm = 1.5;  // the dot's radius
inline constexpr double kPaperEndMarkMm = 3.2;   // the triangle from its tip to its base
// The start dot of the live view, in pixels.
inline constexpr double kScreenStartDotPx = 4;

// The end mark: a triangle of `height_cm` from tip to base, its middle (where
// its medians meet) on the end pose, its tip along the heading. The tip
// first, then the corner behind on the left, then the one on the right.
std::array<FloorPoint, 3> EndMark(const Pose& end, double height_cm);

// How far the paper's marks reach beyond the point they mark, in millimetres
// of paper: what the floor drawn keeps around the path for them.
double PaperMarksReachMm();

// The printed floor: its grid and numbers (sim/floor_svg.h's PaperFloor),
// the path, the start dot and the end mark. Millimetres per centimetre are
// the scale's; the frame holds the numbers' column left of the grid and
// their row under it.
FloorDrawing PaperFloorDrawing(const PaperFloor& floor, const std::vector<Pose>& path, const Pose& end);

// The floor a live view of `width_px` x `height_px` shows.
FloorBox LiveFrame(const FloorView& view, double width_px, double height_px);

// The live view of `width_px` x `height_px` (sim/floor_svg.h's FloorView):
// the floor's colour, the grid with its numbers and caption (through `say`),
// the start dot and the path so far. A stretch of path whose ends fall on the
// pixels of one already drawn is left out, so a loop driven many times costs
// what the floor it covers costs.
FloorDrawing LiveFloorDrawing(const std::vector<Pose>& path, const FloorView& view, double width_px,
                              double height_px, const Say& say = SayPlain);

// The live view's path from point `from` on, as the live drawing draws it:
// for a view that adds to what it drew before.
FloorShape LivePathPiece(const std::vector<Pose>& path, std::size_t from, const FloorView& view);

}  // namespace vk47
