#include "sim/trace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vk47 {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool SamePose(const Pose& a, const Pose& b) {
  return a.x_cm == b.x_cm && a.y_cm == b.y_cm && a.heading_deg == b.heading_deg;
}

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
  if (!(path_step_s > 0)) path_step_s = 0.05;
  std::sort(presses.begin(), presses.end());
  SimRun run;
  SimState s;
  run.path.push_back(s.pose);
  std::size_t next = 0;
  while (!IsFinished(s.phase)) {
    const bool more = next < presses.size();
    const bool pending = more && presses[next] <= s.time_s;
    if (s.phase == SimPhase::kWaitSwitch && !more) {
      run.outcome = SimRun::Outcome::kWaitingSwitch;
      break;
    }
    // Samples of the path while the robot moves; else straight to the event.
    // A step about to begin takes no time yet: how it ends is seen first.
    const bool still = s.phase == SimPhase::kWaitSwitch || (s.phase == SimPhase::kMoving && !s.left && !s.right);
    double until = still ? kInfinity : s.time_s + path_step_s;
    if (s.phase == SimPhase::kNextStep) until = s.time_s;
    if (more && !pending) until = std::min(until, presses[next]);
    const SimAdvance step = Advance(codes, params, s, until, pending);
    if (pending && step.press_taken) ++next;
    s = step.state;
    if (!SamePose(s.pose, run.path.back())) run.path.push_back(s.pose);
    if (step.finished_step) run.rows.push_back({s.time_s, *step.finished_step, s.pose});
  }
  if (s.phase == SimPhase::kCapped) run.outcome = SimRun::Outcome::kCapped;
  if (s.phase == SimPhase::kStuck) run.outcome = SimRun::Outcome::kStuck;
  run.end = s;
  return run;
}

std::string OutcomeText(const SimRun& run, const SimParams& params) {
  const std::string step = std::to_string(run.end.step);
  switch (run.outcome) {
    case SimRun::Outcome::kEnded:
      return "";
    case SimRun::Outcome::kCapped:
      return Format("%g", params.cap_s / 60.0) + " 分たっても終わらないので止めました (ステップ " + step + ")";
    case SimRun::Outcome::kStuck:
      return "時間の進まない繰り返しが終わらないので止めました (ステップ " + step + ")";
    case SimRun::Outcome::kWaitingSwitch:
      return "ステップ " + step + " でマイクロスイッチが押されるのを待ったままです (" + Fixed2(run.end.time_s) +
             " 秒)";
  }
  return "";
}

std::string PathSvg(const SimRun& run, const SimParams& params) {
  // The floor around the path and the robot's size, on whole grid lines.
  double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  for (const Pose& p : run.path) {
    x0 = std::min(x0, p.x_cm), x1 = std::max(x1, p.x_cm);
    y0 = std::min(y0, p.y_cm), y1 = std::max(y1, p.y_cm);
  }
  const double margin = params.track_cm + 5.0;
  const double extent = std::max(x1 - x0, y1 - y0) + 2 * margin;
  // About ten numbered lines along the longer side, at 10, 20, 50, 100 ... cm.
  double major = 10;
  for (double decade = 10; major * 10 < extent; decade *= 10) {
    for (double f : {1.0, 2.0, 5.0, 10.0}) {
      major = f * decade;
      if (major * 10 >= extent) break;
    }
  }
  const double minor = major / 10;
  x0 = std::floor((x0 - margin) / major) * major, x1 = std::ceil((x1 + margin) / major) * major;
  y0 = std::floor((y0 - margin) / major) * major, y1 = std::ceil((y1 + margin) / major) * major;
  const double w = x1 - x0, h = y1 - y0;
  // Millimetres on paper per centimetre of floor: life size when it fits;
  // lines and letters keep their size on paper whatever the scale.
  const double mm = std::min({10.0, 170.0 / w, 240.0 / h});
  const double font = 3.2 / mm, pen = 0.1 / mm;
  const double left = x0 - 3.2 * font, top = -y1 - 2.2 * font;
  const double view_w = w + 4.2 * font, view_h = h + 3.8 * font;

  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += Format("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.1fmm\" height=\"%.1fmm\" ", view_w * mm,
                view_h * mm);
  // SVG's y runs down the page: the floor's y is written negated.
  svg += Format("viewBox=\"%.3f %.3f %.3f %.3f\">\n", left, top, view_w, view_h);
  svg += "<title>ロボットの通り道</title>\n";
  svg += "<rect x=\"" + Fixed2(left) + "\" y=\"" + Fixed2(top) + "\" width=\"" + Fixed2(view_w) + "\" height=\"" +
         Fixed2(view_h) + "\" fill=\"white\"/>\n";
  auto line = [&](double ax, double ay, double bx, double by, const char* colour, double width) {
    svg += "<line x1=\"" + Fixed2(ax) + "\" y1=\"" + Fixed2(-ay) + "\" x2=\"" + Fixed2(bx) + "\" y2=\"" +
           Fixed2(-by) + "\" stroke=\"" + colour + "\" stroke-width=\"" + Format("%.3f", width * pen) + "\"/>\n";
  };
  for (double x = x0; x <= x1 + 1e-9; x += minor) {
    const bool big = std::fmod(std::abs(x), major) < 1e-9;
    line(x, y0, x, y1, big ? "#9ab" : "#d4dde5", big ? 3 : 1);
  }
  for (double y = y0; y <= y1 + 1e-9; y += minor) {
    const bool big = std::fmod(std::abs(y), major) < 1e-9;
    line(x0, y, x1, y, big ? "#9ab" : "#d4dde5", big ? 3 : 1);
  }
  line(x0, 0, x1, 0, "#567", 4);
  line(0, y0, 0, y1, "#567", 4);
  auto text = [&](double x, double y, const std::string& content, const char* anchor) {
    svg += "<text x=\"" + Format("%.3f", x) + "\" y=\"" + Format("%.3f", -y) + "\" font-size=\"" +
           Format("%.3f", font) + "\" font-family=\"sans-serif\" fill=\"#345\" text-anchor=\"" + anchor + "\">" +
           content + "</text>\n";
  };
  for (double x = x0; x <= x1 + 1e-9; x += major) text(x, y0 - 1.2 * font, Format("%g", x), "middle");
  for (double y = y0; y <= y1 + 1e-9; y += major) text(x0 - 0.4 * font, y - 0.35 * font, Format("%g", y), "end");
  text(x0, y1 + 0.8 * font,
       "ロボットの通り道 (cm。1 目盛り = " + Format("%g", minor) + " cm、● = スタート、▲ = 最後の向き)", "start");

  std::string points;
  for (const Pose& p : run.path) points += Fixed2(p.x_cm) + "," + Fixed2(-p.y_cm) + " ";
  if (!points.empty()) points.pop_back();
  svg += "<polyline points=\"" + points +
         "\" fill=\"none\" stroke=\"#0064e6\" stroke-width=\"" + Format("%.3f", 8 * pen) +
         "\" stroke-linejoin=\"round\"/>\n";
  svg += Format("<circle cx=\"0\" cy=\"0\" r=\"%.2f\" fill=\"#1a9e3a\"/>\n", params.track_cm / 10.0);
  // The end pose: a triangle pointing along the heading.
  const Pose& e = run.end.pose;
  const double th = e.heading_deg * std::acos(-1.0) / 180.0, r = params.track_cm / 3.0;
  auto corner = [&](double along, double side) {
    const double x = e.x_cm + along * std::cos(th) - side * std::sin(th);
    const double y = e.y_cm + along * std::sin(th) + side * std::cos(th);
    return Fixed2(x) + "," + Fixed2(-y);
  };
  svg += "<polygon points=\"" + corner(r, 0) + " " + corner(-r * 0.6, r * 0.6) + " " + corner(-r * 0.6, -r * 0.6) +
         "\" fill=\"#e05a00\" fill-opacity=\"0.6\"/>\n";
  svg += "</svg>\n";
  return svg;
}

}  // namespace vk47
