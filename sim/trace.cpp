#include "sim/trace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sim/floor_marks.h"
#include "sim/floor_scale.h"
#include "sim/sim_texts.h"

namespace vk47 {
namespace {

std::string Format(const char* format, double a, double b = 0, double c = 0, double d = 0) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, format, a, b, c, d);
  return buffer;
}

}  // namespace

std::string Fixed2(double value) {
  std::string text = Format("%.2f", value);
  if (text == "-0.00") text = "0.00";
  return text;
}

std::string TraceHeader() { return "t_s\tstep\tx_cm\ty_cm\theading_deg\n"; }

std::string TraceLine(const TraceRow& row) {
  std::string heading = Fixed2(row.pose.heading_deg);
  if (heading == "-180.00") heading = "180.00";  // the range is (-180, 180]
  return Fixed2(row.time_s) + "\t" + std::to_string(row.step) + "\t" + Fixed2(row.pose.x_cm) + "\t" +
         Fixed2(row.pose.y_cm) + "\t" + heading + "\n";
}

std::string TraceText(const SimRun& run) {
  std::string text = TraceHeader();
  for (const TraceRow& row : run.rows) text += TraceLine(row);
  return text;
}

SimRun RunProgram(const ProgramCodes& codes, const SimParams& params, std::vector<double> presses,
                  double path_step_s) {
  std::sort(presses.begin(), presses.end());
  SimRunner runner(codes, params, path_step_s);
  for (double at : presses) {
    runner.RunUntil(at);
    if (IsFinished(runner.State().phase)) break;
    runner.Press();
  }
  runner.RunToEnd();
  SimRun run;
  run.end = runner.State();
  run.rows = runner.Rows();
  run.path = runner.Path();
  if (run.end.phase == SimPhase::kCapped) {
    run.outcome = SimRun::Outcome::kCapped;
    // The step the run stopped in is the one its trace ends with: the step
    // cut by the cap, or, when a step ended exactly at the cap, the last
    // that ran. The step after it would begin at the cap and never runs.
    if (!run.rows.empty()) run.end.step = run.rows.back().step;
  }
  if (run.end.phase == SimPhase::kStuck) run.outcome = SimRun::Outcome::kStuck;
  if (runner.Waiting()) run.outcome = SimRun::Outcome::kWaitingSwitch;
  return run;
}

std::string OutcomeText(const SimRun& run, const SimParams& params) { return Plain(OutcomeWords(run, params)); }

std::string PathSvg(const SimRun& run, const SimParams& params) {
  // Paper beside the floor, in millimetres whatever the scale: the numbers
  // of the grid on the left and below, the legend's two lines above.
  constexpr double kLeft = 11, kRight = 5, kTop = 12, kBottom = 6, kFont = 3;
  constexpr double kLegendWidth = 96;  // the longer legend line, with room
  const FloorScale scale =
      FitFloor(PathBounds(run.path, run.end.pose, params), kPageRoomWidthMm, kPageRoomHeightMm, kLeft + kRight,
               kTop + kBottom);
  const FloorBox& g = scale.grid;
  const double cm = 1 / scale.MmPerCm();  // centimetres of floor per millimetre of paper
  const double right = std::max(kRight, kLegendWidth - kLeft - g.Width() * scale.MmPerCm());
  const double left = g.x0_cm - kLeft * cm, top = -g.y1_cm - kTop * cm;
  const double view_w = g.Width() + (kLeft + right) * cm, view_h = g.Height() + (kTop + kBottom) * cm;
  const double font = kFont * cm;

  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  // The viewBox is in centimetres of floor, the size in millimetres of paper.
  svg += Format("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.2fmm\" height=\"%.2fmm\" ",
                view_w * scale.MmPerCm(), view_h * scale.MmPerCm());
  // SVG's y runs down the page: the floor's y is written negated.
  svg += Format("viewBox=\"%.4f %.4f %.4f %.4f\">\n", left, top, view_w, view_h);
  svg += "<title>ロボットの通り道</title>\n";
  svg += Format("<rect x=\"%.4f\" y=\"%.4f\" width=\"%.4f\" height=\"%.4f\" fill=\"white\"/>\n", left, top, view_w,
                view_h);
  // Pens in millimetres of paper.
  auto line = [&](double ax, double ay, double bx, double by, const char* colour, double pen_mm) {
    svg += "<line x1=\"" + Fixed2(ax) + "\" y1=\"" + Fixed2(-ay) + "\" x2=\"" + Fixed2(bx) + "\" y2=\"" +
           Fixed2(-by) + "\" stroke=\"" + colour + "\" stroke-width=\"" + Format("%.4f", pen_mm * cm) + "\"/>\n";
  };
  const double step = scale.grid_cm, major = 5 * step;
  const auto is_major = [&](double v) { return std::abs(std::remainder(v, major)) < step / 2; };
  for (double x = g.x0_cm; x <= g.x1_cm + step / 2; x += step) {
    line(x, g.y0_cm, x, g.y1_cm, is_major(x) ? kGridMajorColour : kGridColour, is_major(x) ? 0.3 : 0.1);
  }
  for (double y = g.y0_cm; y <= g.y1_cm + step / 2; y += step) {
    line(g.x0_cm, y, g.x1_cm, y, is_major(y) ? kGridMajorColour : kGridColour, is_major(y) ? 0.3 : 0.1);
  }
  if (g.y0_cm <= 0 && g.y1_cm >= 0) line(g.x0_cm, 0, g.x1_cm, 0, kAxisColour, 0.4);
  if (g.x0_cm <= 0 && g.x1_cm >= 0) line(0, g.y0_cm, 0, g.y1_cm, kAxisColour, 0.4);
  auto text = [&](double x, double y, const std::string& content, const char* anchor) {
    svg += "<text x=\"" + Format("%.4f", x) + "\" y=\"" + Format("%.4f", -y) + "\" font-size=\"" +
           Format("%.4f", font) + "\" font-family=\"sans-serif\" fill=\"" + kInkColour + "\" text-anchor=\"" + anchor + "\">" +
           content + "</text>\n";
  };
  const auto first = [&](double from) { return std::ceil(from / major - 1e-9) * major; };
  for (double x = first(g.x0_cm); x <= g.x1_cm + 1e-9; x += major) {
    text(x, g.y0_cm - 1.2 * font, Format("%g", x + 0.0), "middle");
  }
  for (double y = first(g.y0_cm); y <= g.y1_cm + 1e-9; y += major) {
    text(g.x0_cm - 0.4 * font, y - 0.35 * font, Format("%g", y + 0.0), "end");
  }
  text(g.x0_cm - kLeft * cm + 0.2 * font, g.y1_cm + 2.6 * font, "ロボットの通り道 (cm)　" + ScaleText(scale), "start");
  text(g.x0_cm - kLeft * cm + 0.2 * font, g.y1_cm + 1.2 * font,
       "1 目盛り = " + Format("%g", step) + " cm　● = スタート　▲ = 最後の向き", "start");

  std::string points;
  for (const Pose& p : run.path) points += Fixed2(p.x_cm) + "," + Fixed2(-p.y_cm) + " ";
  if (!points.empty()) points.pop_back();
  svg += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"" + kPathColour + "\" stroke-width=\"" +
         Format("%.4f", 0.8 * cm) + "\" stroke-linejoin=\"round\"/>\n";
  svg += "<circle cx=\"0\" cy=\"0\" r=\"" + Fixed2(StartDotRadius(params)) + "\" fill=\"" + kStartColour + "\"/>\n";
  // The end pose: a triangle pointing along the heading.
  std::string corners;
  for (const FloorPoint& c : EndTriangle(run.end.pose, params)) corners += Fixed2(c.x_cm) + "," + Fixed2(-c.y_cm) + " ";
  corners.pop_back();
  svg += "<polygon points=\"" + corners + "\" fill=\"" + kEndColour + "\" fill-opacity=\"" +
         Format("%g", kEndMarkOpacity) + "\"/>\n";
  svg += "</svg>\n";
  return svg;
}

}  // namespace vk47
