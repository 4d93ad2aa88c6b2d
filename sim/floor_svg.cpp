#include "sim/floor_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <unordered_set>

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
  svg += "<rect width=\"" + Num(w) + "\" height=\"" + Num(h) + "\" fill=\"" + kScreenFloorColour + "\"/>\n";

  const ScreenGrid grid = LiveGrid(s);
  const double step = grid.step_cm, major = grid.major_cm;
  const double left = view.centre_x_cm - w / 2 / s, right = view.centre_x_cm + w / 2 / s;
  const double bottom = view.centre_y_cm - h / 2 / s, top = view.centre_y_cm + h / 2 / s;
  auto colour = [&](double v) {
    if (std::abs(v) < step / 2) return kScreenAxisColour;
    return std::abs(std::remainder(v, major)) < step / 2 ? kScreenMajorColour : kScreenMinorColour;
  };
  for (double x = std::ceil(left / step) * step; x <= right; x += step) {
    svg += Line(screen.X(x), 0, screen.X(x), h, colour(x), 1);
  }
  for (double y = std::ceil(bottom / step) * step; y <= top; y += step) {
    svg += Line(0, screen.Y(y), w, screen.Y(y), colour(y), 1);
  }
  constexpr double kFont = 13;
  for (double x = std::ceil(left / major) * major; x <= right; x += major) {
    svg += Text(screen.X(x) + 3, h - 4, GridNumber(x), "start", kFont, kScreenAxisColour);
  }
  for (double y = std::ceil(bottom / major) * major; y <= top; y += major) {
    if (std::abs(y - bottom) * s > 20) svg += Text(3, screen.Y(y) - 3, GridNumber(y), "start", kFont, kScreenAxisColour);
  }
  svg += Text(w - 6, 4 + kFont, say(GridCaption(step)), "end", kFont, kScreenAxisColour);

  svg += "<circle cx=\"" + Num(screen.X(0)) + "\" cy=\"" + Num(screen.Y(0)) + "\" r=\"4\" fill=\"" + kStartColour +
         "\"/>\n";
  if (path.size() >= 2) {
    // A loop of steps drives the same stretch again and again, point for
    // point: a stretch whose ends fall on the pixels of one already drawn is
    // left out, so a long run costs no more than the floor it covers.
    std::unordered_set<std::uint64_t> drawn;
    std::string d;
    bool open = false;
    auto px = [](double v) { return static_cast<std::uint64_t>(static_cast<std::uint16_t>(std::lround(v))); };
    for (std::size_t i = 1; i < path.size(); ++i) {
      const double ax = screen.X(path[i - 1].x_cm), ay = screen.Y(path[i - 1].y_cm);
      const double bx = screen.X(path[i].x_cm), by = screen.Y(path[i].y_cm);
      const std::uint64_t key = px(ax) << 48 | px(ay) << 32 | px(bx) << 16 | px(by);
      if (px(ax) == px(bx) && px(ay) == px(by)) continue;  // within one pixel
      if (!drawn.insert(key).second) {
        open = false;
        continue;
      }
      if (!open) d += "M" + NumPx(ax) + " " + NumPx(ay);
      d += "L" + NumPx(bx) + " " + NumPx(by);
      open = true;
    }
    svg += "<path d=\"" + d + "\" fill=\"none\" stroke=\"" + kPathColour +
           "\" stroke-width=\"3\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
  }

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
                          const SimParams& params, const Words& title, const Say& say) {
  const FloorBox& g = floor.scale.grid;
  const double mm = floor.scale.MmPerCm(), cm = 1 / mm;  // paper per floor and back
  const double left = g.x0_cm - floor.numbers_w_mm * cm, top = -g.y1_cm;
  const double view_w = g.Width() + floor.numbers_w_mm * cm, view_h = g.Height() + floor.numbers_h_mm * cm;
  std::string svg = Open("width=\"" + Num(view_w * mm) + "mm\" height=\"" + Num(view_h * mm) + "mm\" viewBox=\"" +
                             Num(left) + " " + Num(top) + " " + Num(view_w) + " " + Num(view_h) + "\"",
                         say(title));
  svg += "<rect x=\"" + Num(left) + "\" y=\"" + Num(top) + "\" width=\"" + Num(view_w) + "\" height=\"" + Num(view_h) +
         "\" fill=\"white\"/>\n";

  // Every square; the numbered lines stronger, the axes darker. SVG's y
  // runs down the page: the floor's y is written negated.
  const double square = floor.scale.grid_cm;
  auto numbered = [&](double v) { return PaperLineNumbered(floor, v); };
  auto pen = [&](double v) { return numbered(v) ? 0.3 * cm : 0.12 * cm; };
  auto ink = [&](double v) { return numbered(v) ? kGridMajorColour : kGridColour; };
  for (double x = g.x0_cm; x <= g.x1_cm + 1e-9; x += square) svg += Line(x, -g.y0_cm, x, -g.y1_cm, ink(x), pen(x));
  for (double y = g.y0_cm; y <= g.y1_cm + 1e-9; y += square) svg += Line(g.x0_cm, -y, g.x1_cm, -y, ink(y), pen(y));
  if (g.y0_cm <= 0 && g.y1_cm >= 0) svg += Line(g.x0_cm, 0, g.x1_cm, 0, kAxisColour, 0.4 * cm);
  if (g.x0_cm <= 0 && g.x1_cm >= 0) svg += Line(0, -g.y0_cm, 0, -g.y1_cm, kAxisColour, 0.4 * cm);
  // The numbers: under the grid, centred on their line; left of it, ending
  // a millimetre before it.
  const double font = floor.number_font_mm * cm;
  for (double x = g.x0_cm; x <= g.x1_cm + 1e-9; x += square) {
    if (numbered(x)) svg += Text(x, -g.y0_cm + 0.5 * cm + 0.85 * font, GridNumber(x), "middle", font, kInkColour);
  }
  for (double y = g.y0_cm; y <= g.y1_cm + 1e-9; y += square) {
    if (numbered(y)) svg += Text(g.x0_cm - 1 * cm, -y + 0.35 * font, GridNumber(y), "end", font, kInkColour);
  }

  if (!path.empty()) {
    std::string points;
    for (const Pose& p : path) points += Num(p.x_cm) + "," + Num(-p.y_cm) + " ";
    points.pop_back();
    svg += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"" + kPathColour + "\" stroke-width=\"" +
           Num(0.8 * cm) + "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
  }
  // The end: a see-through triangle pointing along the heading; the start: a
  // green dot over it. Both at their size on the floor.
  std::string corners;
  for (const FloorPoint& c : EndTriangle(end, params)) corners += Num(c.x_cm) + "," + Num(-c.y_cm) + " ";
  corners.pop_back();
  svg += "<polygon points=\"" + corners + "\" fill=\"" + kEndColour + "\" fill-opacity=\"" + Num(kEndMarkOpacity) +
         "\"/>\n";
  svg += "<circle cx=\"0\" cy=\"0\" r=\"" + Num(StartDotRadius(params)) + "\" fill=\"" + kStartColour + "\"/>\n";
  svg += "</svg>\n";
  return svg;
}

}  // namespace vk47
