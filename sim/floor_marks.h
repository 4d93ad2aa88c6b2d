#pragma once
// The colours of every drawing of the floor, and the robot's shape from
// above: the simulator's live view (the window's and the page's), the
// printed sheet (the window's and the page's) and the worksheet SVG of
// vk47-robot --svg. What each drawing shows, and where, is described once in
// sim/floor_drawing.h; keeping the colours here lets each edition paint with
// its own tools and still look the same.
//
//  - the start: a green dot on (0, 0);
//  - the end on paper: a solid orange triangle on the end pose, pointing
//    along the heading;
//  - the path: a blue line with round joins;
//  - the grid: faint lines, stronger ones where numbers are, the axes darker.
// Colours are CSS hex texts; the window turns them into QColor.
//
// Constants and pure functions; any thread.

#include <algorithm>
#include <array>
#include <numbers>

#include "sim/simulator.h"

namespace vk47 {

inline constexpr double kPi = std::numbers::pi;

inline constexpr char kPathColour[] = "#0064e6";
inline constexpr char kStartColour[] = "#1a9e3a";
inline constexpr char kEndColour[] = "#e05a00";
inline constexpr char kGridColour[] = "#d4dde5";      // paper: every square
inline constexpr char kGridMajorColour[] = "#99aabb";  // paper: numbered lines
inline constexpr char kAxisColour[] = "#556677";       // paper: x = 0 and y = 0
inline constexpr char kInkColour[] = "#223344";        // paper: numbers and words

struct FloorPoint {
  double x_cm = 0, y_cm = 0;
};

// The live view on screen, lighter than paper.
inline constexpr char kScreenFloorColour[] = "#fcfcf8";
inline constexpr char kScreenMinorColour[] = "#e2e7ec";
inline constexpr char kScreenMajorColour[] = "#b0becc";
inline constexpr char kScreenAxisColour[] = "#788898";

// The robot from above on screen, in tracks (the distance between the wheels).
inline constexpr char kRobotBodyColour[] = "#ffd650";  // drawn at kRobotBodyOpacity
inline constexpr double kRobotBodyOpacity = 80.0 / 255;
inline constexpr char kRobotOutlineColour[] = "#3c3c3c";
inline constexpr char kRobotWheelColour[] = "#282828";
inline constexpr char kRobotArrowColour[] = "#d72828";
// The frame around the running step's slot: purple, so that it is never
// taken for the orange frame of the keyboard's focus.
inline constexpr char kRunningStepColour[] = "#8e24aa";

// The robot from above in the live view, in centimetres about its middle,
// heading along +x, with the screen's y running down (its left wheel at
// -y): a body the path shows through, two wheels and a red arrow. Far out
// it is drawn no smaller than kRobotLeastPx across its track.
struct FloorRect {
  double x = 0, y = 0, width = 0, height = 0, corner = 0;
};
struct RobotShape {
  FloorRect body;
  std::array<FloorRect, 2> wheels;
  std::array<FloorPoint, 3> arrow;  // the tip first
};
inline constexpr double kRobotLeastPx = 24;

inline RobotShape RobotFromAbove(const SimParams& params) {
  const double t = params.track_cm;
  RobotShape shape;
  shape.body = {-0.55 * t, -0.45 * t, 1.1 * t, 0.9 * t, 0.15 * t};
  for (int i = 0; i < 2; ++i) {
    const double side = i == 0 ? -1 : 1;
    shape.wheels[static_cast<std::size_t>(i)] = {-0.28 * t, side * t / 2 - 0.1 * t, 0.56 * t, 0.2 * t, 0.05 * t};
  }
  shape.arrow = {FloorPoint{0.52 * t, 0}, FloorPoint{0.2 * t, -0.2 * t}, FloorPoint{0.2 * t, 0.2 * t}};
  return shape;
}

// Pixels per centimetre at which the robot is drawn in a view of `px_per_cm`.
inline double RobotScale(double px_per_cm, const SimParams& params) {
  return std::max(px_per_cm, kRobotLeastPx / params.track_cm);
}

}  // namespace vk47
