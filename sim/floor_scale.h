#pragma once
// The scale rule for drawings of the floor on paper, one for every drawing
// (the path's SVG for a worksheet, a printed sheet):
//  - the floor drawn is the path's bounds (with the start and the end),
//    the room its marks take on paper, and a fifth of a square more, rounded
//    out to whole grid squares: nothing more;
//  - it is drawn life size (1 cm of floor = 10 mm of paper) when it fits the
//    room the drawing has on the page, together with what the drawing needs
//    beside it on paper (its labels); otherwise at the largest of 1/2, 1/5,
//    1/10, 1/20, 1/50 ... at which it fits, and the drawing states the scale
//    (「縮尺 1/2」), so that a pupil can measure it with a ruler;
//  - the grid's squares are 1, 2, 5, 10, 20 ... cm of floor, the smallest
//    that comes out 5 mm or more on paper.
// The room of a drawing alone on an A4 page held upright is 180 x 267 mm
// (the page less 15 mm all round).
//
// Pure functions; any thread.

#include <string>
#include <vector>

#include "sim/simulator.h"
#include "text/words.h"

namespace vk47 {

inline constexpr double kPageRoomWidthMm = 180;
inline constexpr double kPageRoomHeightMm = 267;

// A rectangle of the floor, in centimetres; y runs to the robot's left at
// the start (up on paper).
struct FloorBox {
  double x0_cm = 0, y0_cm = 0, x1_cm = 0, y1_cm = 0;
  double Width() const { return x1_cm - x0_cm; }
  double Height() const { return y1_cm - y0_cm; }
};

struct FloorScale {
  int denominator = 1;  // 1: life size; 2: 1/2 ...
  double grid_cm = 1;   // the side of a grid square on the floor
  FloorBox grid;        // the floor drawn, on whole squares
  double MmPerCm() const { return 10.0 / denominator; }
};

// The floor a drawing of a run needs before its marks: the start (0, 0),
// every point of its path and the end.
FloorBox PathBounds(const std::vector<Pose>& path, const Pose& end);

// The scale at which the floor `bounds` fits the room on paper, with
// `beside_w_mm` x `beside_h_mm` of the room kept for what the drawing puts
// beside the floor whatever the scale, and `marks_mm` of paper all round
// `bounds` for the marks drawn on its points. The grid of the result holds
// `bounds` and the marks.
FloorScale FitFloor(const FloorBox& bounds, double room_w_mm = kPageRoomWidthMm,
                    double room_h_mm = kPageRoomHeightMm, double beside_w_mm = 0, double beside_h_mm = 0,
                    double marks_mm = 0);

// The scale as a drawing states it: 「実物大」 or 「縮尺 1/N」.
Words ScaleWords(const FloorScale& scale);

// The 1-2-5 ladder of scales and grids: 1, 2, 5, 10, 20, 50 ... The step
// after `value` (a value on the ladder, or between two steps).
double NextOneTwoFive(double value);

}  // namespace vk47
