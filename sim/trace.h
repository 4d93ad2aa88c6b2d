#pragma once
// A whole run of the simulator for the tools: the program runs from the start
// with the micro switch pressed at given times, and gives the trace (the
// state at the end of every executed step), the path and how it ended; the
// trace as text and the path as an SVG drawing for a worksheet.
//
// Trace text: a header line "t_s\tstep\tx_cm\ty_cm\theading_deg", then one
// tab-separated line per executed step, numbers with two decimals (never
// "-0.00"); a run stopped at the time cap ends with the state at the cap and
// the step that was running. Scripts read it; its columns never change.
//
// Pure functions; any thread.

#include <string>
#include <vector>

#include "sim/run.h"

namespace vk47 {

struct SimRun {
  enum class Outcome {
    kEnded,          // command 31 or past step 15
    kCapped,         // still running at the time cap
    kStuck,          // an endless loop of steps that take no time
    kWaitingSwitch,  // waiting for a press that no given time brings
  };
  Outcome outcome = Outcome::kEnded;
  std::vector<TraceRow> rows;
  std::vector<Pose> path;  // the start, then every `path_step_s` and each step's end
  SimState end;  // at the cap, `step` is the step the trace's last line names
};

// Runs `codes` to their end through a SimRunner, pressing the switch at the
// given times in seconds (any order): the runner runs to each time, then
// presses. The path is sampled every `path_step_s` seconds of moving.
SimRun RunProgram(const ProgramCodes& codes, const SimParams& params, std::vector<double> presses,
                  double path_step_s = 0.05);

std::string TraceHeader();  // with its line break
std::string TraceLine(const TraceRow& row);
std::string TraceText(const SimRun& run);

// A number with two decimals; a value that rounds to zero is "0.00".
std::string Fixed2(double value);

// The path on a grid of the floor, with the start and the end pose marked,
// for a worksheet on an A4 page: life size when it fits, else at the scale
// that sim/floor_scale.h chooses, which the legend states. The viewBox is in
// centimetres of floor, the width and height in millimetres of paper.
std::string PathSvg(const SimRun& run, const SimParams& params);

}  // namespace vk47
