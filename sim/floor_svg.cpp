#include "sim/floor_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sim/floor_drawing.h"
#include "sim/floor_marks.h"

namespace vk47 {
namespace {

// A number for an attribute: at most four decimals, no trailing zeros, never
// "-0".
std::string Num(double value) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.4f", value);
  std::string text = buffer;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  if (text == "-0") text = "0";
  return text;
}

// A pixel of the live view: a tenth is as fine as a screen shows.
std::string NumPx(double value) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.1f", value);
  std::string text = buffer;
  if (text.ends_with(".0")) text.resize(text.size() - 2);
  if (text == "-0") text = "0";
  return text;
}

// Text for the inside of an element or an attribute.
std::string Escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Line(double x1, double y1, double x2, double y2, const char* colour, double width) {
  return "<line x1=\"" + Num(x1) + "\" y1=\"" + Num(y1) + "\" x2=\"" + Num(x2) + "\" y2=\"" + Num(y2) +
         "\" stroke=\"" + colour + "\" stroke-width=\"" + Num(width) + "\"/>\n";
}

std::string Text(double x, double y, const std::string& content, const char* anchor, double size, const char* colour) {
  return "<text x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" font-size=\"" + Num(size) +
         "\" font-family=\"sans-serif\" fill=\"" + colour + "\" text-anchor=\"" + anchor + "\">" + Escaped(content) +
         "</text>\n";
}

// The opening of a drawing that a screen reader names by its title.
std::string Open(const std::string& size_and_view, const std::string& title) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" " + size_and_view + " role=\"img\" aria-label=\"" +
         Escaped(title) + "\">\n<title>" + Escaped(title) + "</title>\n";
}

// Where a point of the floor lies in a live view.
struct Screen {
  const FloorView& view;
  double width, height;
  double X(double x_cm) const { return width / 2 + (x_cm - view.centre_x_cm) * view.px_per_cm; }
  double Y(double y_cm) const { return height / 2 - (y_cm - view.centre_y_cm) * view.px_per_cm; }
};

// How far the robot reaches from its middle, in pixels, with room.
double RobotReachPx(const FloorView& view, const SimParams& params) {
  return params.track_cm * 0.8 * view.px_per_cm + 8;
}

// Where a point of the floor lies in an SVG's own units: (x - x0) * k and
// (y1 - y) * k, SVG's y running down. The paper's are centimetres of floor
// (k = 1, the origin on the start), the live view's pixels.
struct SvgMap {
  double k = 1, x0 = 0, y1 = 0;
  bool pixels = false;  // a path's points to a tenth of a pixel
  double X(double x_cm) const { return (x_cm - x0) * k; }
  double Y(double y_cm) const { return (y1 - y_cm) * k; }
  std::string PathNum(double v) const { return pixels ? NumPx(v) : Num(v); }
};

// The shapes of a drawing, in its order.
std::string ShapesSvg(const FloorDrawing& drawing, const SvgMap& m) {
  std::string svg;
  for (const FloorShape& shape : drawing.shapes) {
    switch (shape.kind) {
      case FloorShape::Kind::kLine: {
        const FloorPoint &a = shape.runs.at(0).at(0), &b = shape.runs.at(0).at(1);
        svg += Line(m.X(a.x_cm), m.Y(a.y_cm), m.X(b.x_cm), m.Y(b.y_cm), shape.colour, shape.size * m.k);
        break;
      }
      case FloorShape::Kind::kPath: {
        std::string d;
        for (const auto& run : shape.runs) {
          for (std::size_t i = 0; i < run.size(); ++i) {
            d += (i == 0 ? "M" : "L") + m.PathNum(m.X(run[i].x_cm)) + " " + m.PathNum(m.Y(run[i].y_cm));
          }
        }
        if (d.empty()) break;
        svg += "<path d=\"" + d + "\" fill=\"none\" stroke=\"" + shape.colour + "\" stroke-width=\"" +
               Num(shape.size * m.k) + "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
        break;
      }
      case FloorShape::Kind::kDot:
        svg += "<circle cx=\"" + Num(m.X(shape.at.x_cm)) + "\" cy=\"" + Num(m.Y(shape.at.y_cm)) + "\" r=\"" +
               Num(shape.size * m.k) + "\" fill=\"" + shape.colour + "\"/>\n";
        break;
      case FloorShape::Kind::kPolygon: {
        std::string points;
        for (const FloorPoint& p : shape.runs.at(0)) points += Num(m.X(p.x_cm)) + "," + Num(m.Y(p.y_cm)) + " ";
        if (!points.empty()) points.pop_back();
        svg += "<polygon points=\"" + points + "\" fill=\"" + shape.colour + "\"/>\n";
        break;
      }
      case FloorShape::Kind::kText: {
        const char* anchor = shape.anchor == FloorShape::Anchor::kStart ? "start"
                             : shape.anchor == FloorShape::Anchor::kMiddle ? "middle" : "end";
        svg += Text(m.X(shape.at.x_cm), m.Y(shape.at.y_cm), shape.text, anchor, shape.size * m.k, shape.colour);
        break;
      }
    }
  }
  return svg;
}

}  // namespace

std::string SayPlain(const Words& words) { return Plain(words); }

std::string GridNumber(double cm) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%g", cm + 0.0);  // + 0.0: no "-0"
  return buffer;
}

bool ViewShows(const FloorView& view, const Pose& pose, const SimParams& params, double width_px, double height_px) {
  const Screen screen{view, width_px, height_px};
  const double reach = RobotReachPx(view, params), x = screen.X(pose.x_cm), y = screen.Y(pose.y_cm);
  return x - reach >= 0 && y - reach >= 0 && x + reach <= width_px && y + reach <= height_px;
}

FloorView FollowRobot(const FloorView& view, const std::vector<Pose>& path, const Pose& pose,
                      const SimParams& params, double width_px, double height_px) {
  // A view with no room yet (not laid out) keeps its scale for when it has some.
  if (width_px < 1 || height_px < 1 || ViewShows(view, pose, params, width_px, height_px)) return view;
  double x0 = std::min(0.0, pose.x_cm), x1 = std::max(0.0, pose.x_cm);
  double y0 = std::min(0.0, pose.y_cm), y1 = std::max(0.0, pose.y_cm);
  for (const Pose& p : path) {
    x0 = std::min(x0, p.x_cm), x1 = std::max(x1, p.x_cm);
    y0 = std::min(y0, p.y_cm), y1 = std::max(y1, p.y_cm);
  }
  const double margin = params.track_cm * 1.5;
  const double w = x1 - x0 + 2 * margin, h = y1 - y0 + 2 * margin;
  FloorView next;
  next.px_per_cm = std::min({view.px_per_cm, width_px / (w * 1.3), height_px / (h * 1.3)});
  next.centre_x_cm = (x0 + x1) / 2;
  next.centre_y_cm = (y0 + y1) / 2;
  return next;
}

ScreenGrid LiveGrid(double px_per_cm) {
  ScreenGrid grid;
  grid.major_cm = 10;
  while (grid.major_cm * px_per_cm < 60 && grid.major_cm < 1e9) grid.major_cm = NextOneTwoFive(grid.major_cm);
  const double minor = grid.major_cm / 10;
  grid.step_cm = minor * px_per_cm >= 6 ? minor : grid.major_cm;
  return grid;
}

Words GridCaption(double step_cm) { return {VK47_TEXT("1 マス = %1 cm"), {GridNumber(step_cm)}}; }

std::string LiveFloorSvg(const std::vector<Pose>& path, const Pose& pose, const SimParams& params,
                         const FloorView& view, int width_px, int height_px, const Say& say) {
  const double w = std::max(width_px, 1), h = std::max(height_px, 1), s = view.px_per_cm;
  const Screen screen{view, w, h};
  std::string svg = Open("width=\"" + Num(w) + "\" height=\"" + Num(h) + "\" viewBox=\"0 0 " + Num(w) + " " + Num(h) + "\"",
                         say({VK47_TEXT("床とロボットの通り道"), {}}));
  const FloorDrawing drawing = LiveFloorDrawing(path, view, w, h, say);
  svg += "<rect width=\"" + Num(w) + "\" height=\"" + Num(h) + "\" fill=\"" + drawing.background + "\"/>\n";
  svg += ShapesSvg(drawing, {s, drawing.frame.x0_cm, drawing.frame.y1_cm, true});

  // The robot from above, in centimetres: body, two wheels, heading arrow.
  // The body lets the path under it show; far out it keeps a size that can
  // still be seen. The screen's y runs down, so the heading turns the other way.
  const RobotShape robot = RobotFromAbove(params);
  svg += "<g transform=\"translate(" + Num(screen.X(pose.x_cm)) + " " + Num(screen.Y(pose.y_cm)) + ") rotate(" +
         Num(-pose.heading_deg) + ") scale(" + Num(RobotScale(s, params)) + ")\" stroke=\"" + kRobotOutlineColour +
         "\" stroke-width=\"1.5\">\n";
  auto rect = [&](const FloorRect& r, const std::string& fill) {
    return "<rect x=\"" + Num(r.x) + "\" y=\"" + Num(r.y) + "\" width=\"" + Num(r.width) + "\" height=\"" +
           Num(r.height) + "\" rx=\"" + Num(r.corner) + "\" " + fill + " vector-effect=\"non-scaling-stroke\"/>\n";
  };
  svg += rect(robot.body, std::string("fill=\"") + kRobotBodyColour + "\" fill-opacity=\"" + Num(kRobotBodyOpacity) + "\"");
  for (const FloorRect& wheel : robot.wheels) svg += rect(wheel, std::string("fill=\"") + kRobotWheelColour + "\"");
  std::string arrow;
  for (const FloorPoint& p : robot.arrow) arrow += Num(p.x_cm) + "," + Num(p.y_cm) + " ";
  arrow.pop_back();
  svg += "<polygon points=\"" + arrow + "\" fill=\"" + kRobotArrowColour + "\" stroke=\"none\"/>\n";
  svg += "</g>\n</svg>\n";
  return svg;
}

bool PaperLineNumbered(const PaperFloor& floor, double cm) {
  const double n = std::round(cm / floor.scale.grid_cm);
  return std::abs(std::fmod(n, std::max(floor.numbered_every, 1))) < 0.5;
}

std::string PaperFloorSvg(const PaperFloor& floor, const std::vector<Pose>& path, const Pose& end,
                          const Words& title, const Say& say) {
  const FloorDrawing drawing = PaperFloorDrawing(floor, path, end);
  const FloorBox& f = drawing.frame;
  const double mm = drawing.unit_per_cm;
  // The viewBox in centimetres of floor, the size in millimetres of paper;
  // SVG's y runs down the page, so the floor's y is written negated.
  std::string svg = Open("width=\"" + Num(f.Width() * mm) + "mm\" height=\"" + Num(f.Height() * mm) + "mm\" viewBox=\"" +
                             Num(f.x0_cm) + " " + Num(-f.y1_cm) + " " + Num(f.Width()) + " " + Num(f.Height()) + "\"",
                         say(title));
  svg += "<rect x=\"" + Num(f.x0_cm) + "\" y=\"" + Num(-f.y1_cm) + "\" width=\"" + Num(f.Width()) + "\" height=\"" +
         Num(f.Height()) + "\" fill=\"" + drawing.background + "\"/>\n";
  svg += ShapesSvg(drawing, {1, 0, 0, false});
  svg += "</svg>\n";
  return svg;
}

std::string WorksheetSvg(const std::vector<Pose>& path, const Pose& end) {
  // Paper beside the grid, in millimetres whatever the scale: the numbers on
  // the left and below, the legend's two lines above.
  constexpr double kLeft = 11, kRight = 5, kTop = 12, kBottom = 6, kFont = 3;
  constexpr double kLegendWidth = 96;  // the longer legend line, with room
  PaperFloor floor;
  floor.scale = FitFloor(PathBounds(path, end), kPageRoomWidthMm, kPageRoomHeightMm, kLeft + kRight, kTop + kBottom,
                         PaperMarksReachMm());
  floor.numbered_every = 5;
  floor.numbers_w_mm = kLeft;
  floor.numbers_h_mm = kBottom;
  floor.number_font_mm = kFont;
  const FloorDrawing drawing = PaperFloorDrawing(floor, path, end);
  const FloorBox& f = drawing.frame;
  const double mm = drawing.unit_per_cm, cm = 1 / mm;
  const double right = std::max(kRight, kLegendWidth - f.Width() * mm);
  const double left = f.x0_cm, top = -(f.y1_cm + kTop * cm);
  const double view_w = f.Width() + right * cm, view_h = f.Height() + kTop * cm;

  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += Open("width=\"" + Num(view_w * mm) + "mm\" height=\"" + Num(view_h * mm) + "mm\" viewBox=\"" + Num(left) + " " +
                  Num(top) + " " + Num(view_w) + " " + Num(view_h) + "\"",
              "ロボットの通り道");
  svg += "<rect x=\"" + Num(left) + "\" y=\"" + Num(top) + "\" width=\"" + Num(view_w) + "\" height=\"" + Num(view_h) +
         "\" fill=\"" + drawing.background + "\"/>\n";
  const double font = kFont * cm, x = left + 0.2 * font;
  svg += Text(x, -f.y1_cm - 2.6 * font, "ロボットの通り道 (cm)　" + Plain(ScaleWords(floor.scale)), "start",
              font, kInkColour);
  svg += Text(x, -f.y1_cm - 1.2 * font,
              "1 目盛り = " + GridNumber(floor.scale.grid_cm) + " cm　● = スタート　▲ = 最後の位置と向き", "start", font,
              kInkColour);
  svg += ShapesSvg(drawing, {1, 0, 0, false});
  svg += "</svg>\n";
  return svg;
}

}  // namespace vk47
