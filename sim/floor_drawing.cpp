#include "sim/floor_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>

namespace vk47 {
namespace {

FloorShape Line(double x1, double y1, double x2, double y2, const char* colour, double pen) {
  FloorShape shape;
  shape.kind = FloorShape::Kind::kLine;
  shape.runs = {{{x1, y1}, {x2, y2}}};
  shape.size = pen;
  shape.colour = colour;
  return shape;
}

FloorShape Text(double x, double y, std::string text, FloorShape::Anchor anchor, double size, const char* colour) {
  FloorShape shape;
  shape.kind = FloorShape::Kind::kText;
  shape.at = {x, y};
  shape.text = std::move(text);
  shape.anchor = anchor;
  shape.size = size;
  shape.colour = colour;
  return shape;
}

FloorShape Dot(double x, double y, double radius, const char* colour) {
  FloorShape shape;
  shape.kind = FloorShape::Kind::kDot;
  shape.at = {x, y};
  shape.size = radius;
  shape.colour = colour;
  return shape;
}

FloorShape PathShape(double pen) {
  FloorShape shape;
  shape.kind = FloorShape::Kind::kPath;
  shape.size = pen;
  shape.colour = kPathColour;
  return shape;
}

// The live view's pixels: where a point of the floor falls on the screen.
struct Screen {
  const FloorView& view;
  double width, height;
  double X(double x_cm) const { return width / 2 + (x_cm - view.centre_x_cm) * view.px_per_cm; }
  double Y(double y_cm) const { return height / 2 - (y_cm - view.centre_y_cm) * view.px_per_cm; }
};

constexpr double kScreenFontPx = 13;
constexpr double kScreenPathPx = 3;

}  // namespace

std::array<FloorPoint, 3> EndMark(const Pose& end, double height_cm) {
  const double th = end.heading_deg * kPi / 180.0;
  // An equilateral triangle: the tip two thirds of the height ahead of its
  // middle, the base a third behind, each base corner half a side aside.
  const double ahead = height_cm * 2 / 3, behind = -height_cm / 3, side = height_cm / std::sqrt(3.0);
  auto corner = [&](double along, double left) {
    return FloorPoint{end.x_cm + along * std::cos(th) - left * std::sin(th),
                      end.y_cm + along * std::sin(th) + left * std::cos(th)};
  };
  return {corner(ahead, 0), corner(behind, side), corner(behind, -side)};
}

double PaperMarksReachMm() {
  // The triangle's corners lie two thirds of its height from its middle.
  return std::max(kPaperStartDotMm, kPaperEndMarkMm * 2 / 3);
}

FloorDrawing PaperFloorDrawing(const PaperFloor& floor, const std::vector<Pose>& path, const Pose& end) {
  const FloorBox& g = floor.scale.grid;
  const double cm = 1 / floor.scale.MmPerCm();  // centimetres of floor per millimetre of paper
  FloorDrawing drawing;
  drawing.frame = {g.x0_cm - floor.numbers_w_mm * cm, g.y0_cm - floor.numbers_h_mm * cm, g.x1_cm, g.y1_cm};
  drawing.unit_per_cm = floor.scale.MmPerCm();
  drawing.background = "white";
  drawing.grid_cm = floor.scale.grid_cm;
  auto& shapes = drawing.shapes;

  // Every square; the numbered lines stronger, the axes darker.
  const double square = floor.scale.grid_cm;
  auto numbered = [&](double v) { return PaperLineNumbered(floor, v); };
  auto pen = [&](double v) { return numbered(v) ? 0.3 * cm : 0.12 * cm; };
  auto ink = [&](double v) { return numbered(v) ? kGridMajorColour : kGridColour; };
  for (double x = g.x0_cm; x <= g.x1_cm + 1e-9; x += square) shapes.push_back(Line(x, g.y0_cm, x, g.y1_cm, ink(x), pen(x)));
  for (double y = g.y0_cm; y <= g.y1_cm + 1e-9; y += square) shapes.push_back(Line(g.x0_cm, y, g.x1_cm, y, ink(y), pen(y)));
  if (g.y0_cm <= 0 && g.y1_cm >= 0) shapes.push_back(Line(g.x0_cm, 0, g.x1_cm, 0, kAxisColour, 0.4 * cm));
  if (g.x0_cm <= 0 && g.x1_cm >= 0) shapes.push_back(Line(0, g.y0_cm, 0, g.y1_cm, kAxisColour, 0.4 * cm));

  // The numbers: under the grid, centred on their line; left of it, ending
  // a millimetre before it.
  const double font = floor.number_font_mm * cm;
  for (double x = g.x0_cm; x <= g.x1_cm + 1e-9; x += square) {
    if (numbered(x)) {
      shapes.push_back(Text(x, g.y0_cm - 0.5 * cm - 0.85 * font, GridNumber(x), FloorShape::Anchor::kMiddle, font,
                            kInkColour));
    }
  }
  for (double y = g.y0_cm; y <= g.y1_cm + 1e-9; y += square) {
    if (numbered(y)) {
      shapes.push_back(Text(g.x0_cm - 1 * cm, y - 0.35 * font, GridNumber(y), FloorShape::Anchor::kEnd, font,
                            kInkColour));
    }
  }

  if (!path.empty()) {
    FloorShape line = PathShape(0.8 * cm);
    line.runs.emplace_back();
    for (const Pose& p : path) line.runs.back().push_back({p.x_cm, p.y_cm});
    shapes.push_back(std::move(line));
  }
  // The start, then the end over it (a run that comes back shows where it
  // points): solid, at the legend's size.
  shapes.push_back(Dot(0, 0, kPaperStartDotMm * cm, kStartColour));
  FloorShape mark;
  mark.kind = FloorShape::Kind::kPolygon;
  const auto corners = EndMark(end, kPaperEndMarkMm * cm);
  mark.runs = {{corners.begin(), corners.end()}};
  mark.colour = kEndColour;
  shapes.push_back(std::move(mark));
  return drawing;
}

FloorShape LivePathPiece(const std::vector<Pose>& path, std::size_t from, const FloorView& view) {
  FloorShape line = PathShape(kScreenPathPx / view.px_per_cm);
  if (from + 1 < path.size()) {
    line.runs.emplace_back();
    for (std::size_t i = from; i < path.size(); ++i) line.runs.back().push_back({path[i].x_cm, path[i].y_cm});
  }
  return line;
}

FloorBox LiveFrame(const FloorView& view, double width_px, double height_px) {
  const double half_w = std::max(width_px, 1.0) / 2 / view.px_per_cm, half_h = std::max(height_px, 1.0) / 2 / view.px_per_cm;
  return {view.centre_x_cm - half_w, view.centre_y_cm - half_h, view.centre_x_cm + half_w, view.centre_y_cm + half_h};
}

FloorDrawing LiveFloorDrawing(const std::vector<Pose>& path, const FloorView& view, double width_px,
                              double height_px, const Say& say) {
  const double w = std::max(width_px, 1.0), h = std::max(height_px, 1.0), s = view.px_per_cm, px = 1 / s;
  const Screen screen{view, w, h};
  FloorDrawing drawing;
  drawing.frame = LiveFrame(view, w, h);
  const double left = drawing.frame.x0_cm, right = drawing.frame.x1_cm;
  const double bottom = drawing.frame.y0_cm, top = drawing.frame.y1_cm;
  drawing.unit_per_cm = s;
  drawing.background = kScreenFloorColour;
  auto& shapes = drawing.shapes;

  // Numbered lines on the 1-2-5 ladder at least 60 px apart, and lines a
  // tenth of that between them while those are 6 px apart or more.
  const ScreenGrid grid = LiveGrid(s);
  const double step = grid.step_cm, major = grid.major_cm;
  drawing.grid_cm = step;
  auto colour = [&](double v) {
    if (std::abs(v) < step / 2) return kScreenAxisColour;
    return std::abs(std::remainder(v, major)) < step / 2 ? kScreenMajorColour : kScreenMinorColour;
  };
  for (double x = std::ceil(left / step) * step; x <= right; x += step) {
    shapes.push_back(Line(x, top, x, bottom, colour(x), px));
  }
  for (double y = std::ceil(bottom / step) * step; y <= top; y += step) {
    shapes.push_back(Line(left, y, right, y, colour(y), px));
  }
  const double font = kScreenFontPx * px;
  using Anchor = FloorShape::Anchor;
  for (double x = std::ceil(left / major) * major; x <= right; x += major) {
    shapes.push_back(Text(x + 3 * px, bottom + 4 * px, GridNumber(x), Anchor::kStart, font, kScreenAxisColour));
  }
  for (double y = std::ceil(bottom / major) * major; y <= top; y += major) {
    if ((y - bottom) * s > 20) shapes.push_back(Text(left + 3 * px, y + 3 * px, GridNumber(y), Anchor::kStart, font, kScreenAxisColour));
  }
  shapes.push_back(Text(right - 6 * px, top - (4 + kScreenFontPx) * px, say(GridCaption(step)), Anchor::kEnd, font,
                        kScreenAxisColour));
  shapes.push_back(Dot(0, 0, kScreenStartDotPx * px, kStartColour));

  if (path.size() >= 2) {
    // A loop of steps drives the same stretch again and again, point for
    // point: a stretch whose ends fall on the pixels of one already drawn is
    // left out (pixels of the view, so the same view always draws the same).
    FloorShape line = PathShape(kScreenPathPx / s);
    std::unordered_set<std::uint64_t> drawn;
    bool open = false;
    auto pixel = [](double v) { return static_cast<std::uint64_t>(static_cast<std::uint16_t>(std::lround(v))); };
    for (std::size_t i = 1; i < path.size(); ++i) {
      const Pose &a = path[i - 1], &b = path[i];
      const std::uint64_t ax = pixel(screen.X(a.x_cm)), ay = pixel(screen.Y(a.y_cm));
      const std::uint64_t bx = pixel(screen.X(b.x_cm)), by = pixel(screen.Y(b.y_cm));
      if (ax == bx && ay == by) continue;  // within one pixel
      if (!drawn.insert(ax << 48 | ay << 32 | bx << 16 | by).second) {
        open = false;
        continue;
      }
      if (!open) line.runs.push_back({{a.x_cm, a.y_cm}});
      line.runs.back().push_back({b.x_cm, b.y_cm});
      open = true;
    }
    if (!line.runs.empty()) shapes.push_back(std::move(line));
  }
  return drawing;
}

}  // namespace vk47
