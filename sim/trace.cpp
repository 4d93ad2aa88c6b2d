#include "sim/trace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sim/floor_svg.h"
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
  if (run.end.phase == SimPhase::kCapped) run.outcome = SimRun::Outcome::kCapped;
  if (run.end.phase == SimPhase::kStuck) run.outcome = SimRun::Outcome::kStuck;
  if (runner.Waiting()) run.outcome = SimRun::Outcome::kWaitingSwitch;
  return run;
}

// The worksheet's floor is the printed sheet's (sim/floor_drawing.h), whose
// marks have their size on paper whatever the robot.
std::string PathSvg(const SimRun& run, const SimParams&) { return WorksheetSvg(run.path, run.end.pose); }

}  // namespace vk47
