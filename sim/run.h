#pragma once
// SimRunner: one run of the simulator as the window and the tools drive it.
// It keeps the state, the path drawn so far, a line for every executed step
// and the switch presses not yet met, so that the window (a frame at a time,
// presses by hand) and vk47-robot --simulate (straight to each given press)
// go through the same code and, given presses at the same times, reach the
// same steps at the same times and places.
//
// A press is made at the runner's present time and follows the simulator's
// rule (sim/simulator.h): it counts only while 29 waits or during a forward
// move in a switch mode, including the instant such a wait or move starts;
// any other press is lost. Several presses at one instant are met one after
// the other.
//
// Plain values; one thread at a time.

#include <vector>

#include "sim/simulator.h"

namespace vk47 {

// The state at the end of an executed step, or at the time cap.
struct TraceRow {
  double time_s;
  int step;
  Pose pose;
};

class SimRunner {
 public:
  // The path gets a point every `path_step_s` seconds of moving, at the end
  // of each step and wherever a run stops.
  SimRunner(const ProgramCodes& codes, const SimParams& params, double path_step_s = 0.05);

  // A press of the micro switch now (at State().time_s).
  void Press();

  // Runs to the time `until_s` (no further than the cap), or until the
  // program is finished. Steps that take no time at `until_s` run too, and
  // the step after them begins, so that a press made next meets it.
  void RunUntil(double until_s);

  // Runs until the program is finished, or until it waits for a press that
  // has not been made (then Waiting() is true and no time has passed).
  void RunToEnd();

  bool Waiting() const { return state_.phase == SimPhase::kWaitSwitch && pending_presses_ == 0; }
  const SimState& State() const { return state_; }
  const std::vector<Pose>& Path() const { return path_; }
  const std::vector<TraceRow>& Rows() const { return rows_; }
  const ProgramCodes& Codes() const { return codes_; }

 private:
  void Run(double until_s, bool stop_at_wait);

  ProgramCodes codes_;
  SimParams params_;
  double path_step_s_;
  SimState state_;
  std::vector<Pose> path_;
  std::vector<TraceRow> rows_;
  int pending_presses_ = 0;
};

}  // namespace vk47
