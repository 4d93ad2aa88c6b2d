#pragma once
// The marks and colours of every drawing of the floor: the simulator's live
// view (the window's and the page's), the printed sheet (the window's and
// the page's) and the worksheet SVG of vk47-robot --svg. Keeping them here
// lets each edition paint with its own tools and still look the same.
//
//  - the start: a green dot of radius track / 10 centred at (0, 0);
//  - the end on paper: a see-through orange triangle from the end pose,
//    reaching track / 3 ahead and 0.6 of that behind and to each side;
//  - the path: a blue line with round joins;
//  - the grid: faint lines, stronger ones where numbers are, the axes darker.
// Colours are CSS hex texts; the window turns them into QColor.
//
// Constants and pure functions; any thread.

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "sim/simulator.h"

namespace vk47 {

inline constexpr double kPi = std::numbers::pi;

inline constexpr char kPathColour[] = "#0064e6";
inline constexpr char kStartColour[] = "#1a9e3a";
inline constexpr char kEndColour[] = "#e05a00";
inline constexpr double kEndMarkOpacity = 0.5;  // the path shows through the end mark
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
inline constexpr char kRunningStepColour[] = "#ff8800";  // the frame around the running step's slot

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

inline double StartDotRadius(const SimParams& params) { return params.track_cm / 10.0; }

// How far the end triangle reaches ahead of the end pose.
inline double EndMarkReach(const SimParams& params) { return params.track_cm / 3.0; }

// The end triangle's corners on the floor: the tip ahead, then the two
// corners behind, left and right.
inline std::array<FloorPoint, 3> EndTriangle(const Pose& end, const SimParams& params) {
  const double th = end.heading_deg * kPi / 180.0, r = EndMarkReach(params);
  auto corner = [&](double along, double side) {
    return FloorPoint{end.x_cm + along * std::cos(th) - side * std::sin(th),
                      end.y_cm + along * std::sin(th) + side * std::cos(th)};
  };
  return {corner(r, 0), corner(-r * 0.6, r * 0.6), corner(-r * 0.6, -r * 0.6)};
}

}  // namespace vk47
