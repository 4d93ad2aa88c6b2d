#pragma once
// A whole run of the simulator for the tools: the program runs from the start
// with the micro switch pressed at given times, and gives the trace (the
// state at the end of every executed step), the path and how it ended; the
// trace as text and the path as an SVG drawing for a worksheet.
//
// Trace text: a header line "t_s\tstep\tx_cm\ty_cm\theading_deg", then one
// tab-separated line per executed step, numbers with two decimals (never
// "-0.00"). Scripts read it; its columns never change.
//
// Pure functions; any thread.

#include <string>
#include <vector>

#include "sim/simulator.h"

namespace vk47 {

struct TraceRow {
  double time_s;
  int step;
  Pose pose;
};

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
  SimState end;
};

// Runs `codes` to their end. `presses` are the times of switch presses in
// seconds (any order); a press meets the program at that moment (see
// Advance). The path is sampled every `path_step_s` seconds of moving.
SimRun RunProgram(const ProgramCodes& codes, const SimParams& params, std::vector<double> presses,
                  double path_step_s = 0.05);

std::string TraceHeader();  // with its line break
std::string TraceLine(const TraceRow& row);
std::string TraceText(const SimRun& run);

// A number with two decimals; a value that rounds to zero is "0.00".
std::string Fixed2(double value);

// What ended the run, in Japanese, for the tools' messages: "" for kEnded.
std::string OutcomeText(const SimRun& run, const SimParams& params);

// The path on a centimetre grid, scaled to fit a printed page (at most
// 1 cm on paper per cm on the floor), with the start and the end pose marked.
std::string PathSvg(const SimRun& run, const SimParams& params);

}  // namespace vk47
