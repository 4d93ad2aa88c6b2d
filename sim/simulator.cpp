#include "sim/simulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/command_set.h"

namespace vk47 {
namespace {

constexpr double kDegPerRad = 180.0 / std::numbers::pi;

// Wheel directions of the timed commands, by command number.
struct Motion {
  int number;
  int left;
  int right;
};
constexpr Motion kMotions[] = {
    {1, 1, 0}, {2, 1, 1}, {3, 0, 1}, {4, 0, 0}, {5, -1, 0}, {6, -1, -1}, {7, 0, -1},
};

// A step that took no time: the next one runs.
void FinishInstant(SimState& s, int next) {
  s.phase = SimPhase::kNextStep;
  s.step = next;
}

// Where the step about to run stands among the steps reached with no time
// passing: slot, counter (0 to 15) and mode decide everything that follows.
std::size_t ReachedIndex(const SimState& s) {
  return (static_cast<std::size_t>(s.step) * 16 + static_cast<std::size_t>(std::clamp(s.counter, 0, 15))) * 4 +
         static_cast<std::size_t>(s.mode);
}

void BeginMotion(SimState& s, int left, int right, double seconds) {
  s.left = left;
  s.right = right;
  s.motion_start = s.pose;
  s.motion_start_s = s.time_s;
  s.motion_end_s = s.time_s + seconds;
}

// Starts the step at s.step; returns true when it ended at once.
bool BeginStep(const ProgramCodes& codes, SimState& s) {
  // An empty slot is sent to the robot as code 0: a wait of 0 s.
  const int code = std::max(codes[static_cast<std::size_t>(s.step)], 0);
  const std::optional<std::string> number = StepCommandNumber(code);
  const Command* command = number ? FindCommand(*number) : nullptr;
  if (!command) {  // no command: nothing happens
    FinishInstant(s, s.step + 1);
    return true;
  }
  const int parameter = code - command->base_code;
  const int n = std::stoi(*number);
  for (const Motion& m : kMotions) {
    if (m.number != n) continue;
    BeginMotion(s, m.left, m.right, parameter * 0.25);
    s.forward_move = n == 2;
    s.phase = SimPhase::kMoving;
    if (parameter > 0) return false;
    FinishInstant(s, s.step + 1);
    return true;
  }
  switch (n) {
    case 24:
      s.counter = parameter;
      break;
    case 25:
      s.counter = std::max(s.counter - 1, 0);
      if (s.counter > 0) {
        FinishInstant(s, parameter);
        return true;
      }
      break;
    case 26:
      s.mode = SwitchMode::kTurnLeft;
      break;
    case 27:
      s.mode = SwitchMode::kStop;
      break;
    case 28:
      s.mode = SwitchMode::kTurnRight;
      break;
    case 29:
      BeginMotion(s, 0, 0, 0);
      s.forward_move = false;
      s.phase = SimPhase::kWaitSwitch;
      return false;
    case 30:
      FinishInstant(s, parameter);
      return true;
    case 31:
      s.phase = SimPhase::kEnded;
      s.ended_by_command = true;
      return true;
  }
  FinishInstant(s, s.step + 1);
  return true;
}

void EndTimedStep(SimState& s) {
  s.phase = SimPhase::kNextStep;
  s.step += 1;
  s.left = s.right = 0;
  s.forward_move = false;
}

// A press during a wait ends it; during a forward move it acts by the mode.
// Returns true when the step ended with it.
bool TakePress(SimState& s, const SimParams& params) {
  if (s.phase == SimPhase::kWaitSwitch) {
    EndTimedStep(s);
    return true;
  }
  if (s.phase != SimPhase::kMoving || !s.forward_move || s.mode == SwitchMode::kNone) return false;
  if (s.mode == SwitchMode::kStop) {
    EndTimedStep(s);
    return true;
  }
  // On the spot: one wheel forward, the other backward, each at full speed.
  const bool left_turn = s.mode == SwitchMode::kTurnLeft;
  s.phase = SimPhase::kSwitchTurn;
  s.forward_move = false;
  const double turn_s = std::abs(params.turn_deg) / kDegPerRad * params.track_cm / (2.0 * params.speed_cm_s);
  BeginMotion(s, left_turn ? -1 : 1, left_turn ? 1 : -1, turn_s);
  if (turn_s > 0) return false;
  EndTimedStep(s);
  return true;
}

}  // namespace

double NormalizeHeading(double degrees) {
  double h = std::fmod(degrees, 360.0);
  if (h <= -180.0) h += 360.0;
  if (h > 180.0) h -= 360.0;
  return h;
}

Pose Drive(const Pose& pose, int left, int right, double dt, const SimParams& params) {
  const double vl = left * params.speed_cm_s;
  const double vr = right * params.speed_cm_s;
  const double v = (vl + vr) / 2.0;
  const double w = (vr - vl) / params.track_cm;  // rad/s, counter-clockwise
  const double th = pose.heading_deg / kDegPerRad;
  Pose next = pose;
  if (w == 0) {
    next.x_cm += v * std::cos(th) * dt;
    next.y_cm += v * std::sin(th) * dt;
    return next;
  }
  // An arc about the point v / w to the left of the robot's middle.
  const double th2 = th + w * dt;
  const double r = v / w;
  next.x_cm += r * (std::sin(th2) - std::sin(th));
  next.y_cm -= r * (std::cos(th2) - std::cos(th));
  next.heading_deg = NormalizeHeading(pose.heading_deg + w * dt * kDegPerRad);
  return next;
}

SimAdvance Advance(const ProgramCodes& codes, const SimParams& params, const SimState& state,
                   double until_s, bool press) {
  SimAdvance out{state, std::nullopt, false};
  SimState& s = out.state;
  if (IsFinished(s.phase)) {
    out.press_taken = press;
    return out;
  }
  if (s.phase == SimPhase::kNextStep) {
    if (s.step < 0 || s.step >= kSlotCount) {
      s.phase = SimPhase::kEnded;
      return out;
    }
    // The same step again with the same counter and mode and no time passed:
    // everything from here repeats for ever.
    const std::size_t reached = ReachedIndex(s);
    if (s.reached.test(reached)) {
      s.phase = SimPhase::kStuck;
      return out;
    }
    s.reached.set(reached);
    const int step = s.step;
    if (BeginStep(codes, s)) {
      out.finished_step = step;
      return out;
    }
  }
  if (press) {
    out.press_taken = true;
    s.reached.reset();  // a wait or a forward move met the press: a new course
    const int step = s.step;
    if (TakePress(s, params)) {
      out.finished_step = step;
      return out;
    }
  }
  // Time runs: to the end of the motion, the caller's limit or the cap,
  // whichever comes first, taken as it stands.
  if (s.time_s >= params.cap_s) {
    s.phase = SimPhase::kCapped;
    return out;
  }
  double until = std::min(until_s, params.cap_s);
  const bool timed = s.phase != SimPhase::kWaitSwitch;
  if (timed) until = std::min(until, s.motion_end_s);
  if (!(until > s.time_s)) return out;
  out.press_taken = true;  // the moment of any press has passed
  s.reached.reset();
  // From where the motion began, so that slices add up to the same pose.
  if (s.left || s.right) s.pose = Drive(s.motion_start, s.left, s.right, until - s.motion_start_s, params);
  s.time_s = until;
  if (timed && s.time_s >= s.motion_end_s) {
    out.finished_step = s.step;
    EndTimedStep(s);
  }
  return out;
}

}  // namespace vk47
