#include "sim/run.h"

#include <algorithm>
#include <limits>

namespace vk47 {
namespace {

bool SamePose(const Pose& a, const Pose& b) {
  return a.x_cm == b.x_cm && a.y_cm == b.y_cm && a.heading_deg == b.heading_deg;
}

}  // namespace

SimRunner::SimRunner(const ProgramCodes& codes, const SimParams& params, double path_step_s)
    : codes_(codes), params_(params), path_step_s_(path_step_s > 0 ? path_step_s : 0.05) {
  path_.push_back(state_.pose);
}

void SimRunner::Press() {
  if (!IsFinished(state_.phase)) ++pending_presses_;
}

void SimRunner::RunUntil(double until_s) { Run(until_s, false); }

void SimRunner::RunToEnd() { Run(std::numeric_limits<double>::infinity(), true); }

void SimRunner::Run(double until_s, bool stop_at_wait) {
  SimState& s = state_;
  while (!IsFinished(s.phase)) {
    if (stop_at_wait && Waiting()) return;
    // Samples of the path while the robot moves; else straight on. A step
    // about to begin takes no time yet.
    const bool still = s.phase == SimPhase::kWaitSwitch || (s.phase == SimPhase::kMoving && !s.left && !s.right);
    double until = s.phase == SimPhase::kNextStep ? s.time_s : still ? until_s : std::min(until_s, s.time_s + path_step_s_);
    const bool press = pending_presses_ > 0;
    const SimAdvance next = Advance(codes_, params_, s, until, press);
    if (press && next.press_taken) --pending_presses_;
    s = next.state;
    if (!SamePose(s.pose, path_.back())) path_.push_back(s.pose);
    if (next.finished_step) rows_.push_back({s.time_s, *next.finished_step, s.pose});
    // The last line of a run stopped at the cap is the state at the cap.
    // When a step ended exactly at the cap, the run stopped in that step: the
    // one after it would begin at the cap and never runs, so the state names
    // the step of the last line, as the trace and its stop message do.
    if (s.phase == SimPhase::kCapped) {
      if (rows_.empty() || rows_.back().time_s < s.time_s) {
        rows_.push_back({s.time_s, s.step, s.pose});
      } else {
        s.step = rows_.back().step;
      }
    }
    if (s.phase != SimPhase::kNextStep && s.time_s >= until_s && pending_presses_ == 0) return;
  }
  pending_presses_ = 0;
}

}  // namespace vk47
