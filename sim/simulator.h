#pragma once
// The robot simulator: runs a program of sixteen step codes the way the robot
// is assumed to, and gives the robot's place on the floor over time. What a
// command really does lies in the robot's firmware; these are the rules used
// here (the window, the help page and the man page state them):
//  - commands 1 to 7 run for (code - base code) x 0.25 s: 2 both wheels
//    forward, 6 both backward, 1 / 3 only the left / right wheel forward,
//    5 / 7 only the left / right wheel backward (one wheel alone pivots the
//    robot about the other), 4 both wheels still; an empty slot is code 0;
//  - there is one repeat counter: 24 sets it; 25 lowers it by one (not below
//    0) and jumps to its address while it is still above 0. A 24 inside a
//    loop sets the same counter again, so loops do not nest, and a 25 with
//    no 24 before it, or after its loop has ended, never jumps; 30 jumps;
//    31 ends, and so does running past step 15;
//  - 29 waits for a press of the micro switch; 26 / 27 / 28 choose what a
//    press during any later forward move (command 2 only, not 1 or 3) does:
//    turn left on the spot by the turn angle, stop the move, or turn right,
//    and then the next step runs. A turn spins both wheels at full speed in
//    opposite directions: 2 x speed / track radians a second;
//  - a press counts only while 29 waits or during a forward move in one of
//    these modes: at the instant such a wait or move starts it counts, at
//    the instant it ends it does not. Every other press is lost;
//  - a code of no command does nothing and takes no time;
//  - a program still running at the time cap (10 minutes) is stopped there,
//    and so is a loop of steps that take no time, as soon as a step is
//    reached again with the same counter and mode and no time passed.
// The robot starts at (0, 0) heading along +x; headings are in degrees,
// counter-clockwise positive, kept in (-180, 180].
//
// Pure functions over plain values; any thread.

#include <bitset>
#include <optional>

#include "model/step_program.h"

namespace vk47 {

struct SimParams {
  double speed_cm_s = 10.0;  // the speed of a driven wheel
  double track_cm = 10.0;    // the distance between the wheels
  double turn_deg = 90.0;    // the turn after a switch press in modes 26 and 28
  double cap_s = 600.0;      // a program still running then is stopped
};

// What a switch press during a forward move does (set by 26, 27, 28).
enum class SwitchMode { kNone, kTurnLeft, kStop, kTurnRight };

enum class SimPhase {
  kNextStep,    // `step` is about to run
  kMoving,      // the wheels run (or stand, a wait) until `motion_end_s`
  kSwitchTurn,  // turning on the spot after a press, until `motion_end_s`
  kWaitSwitch,  // command 29: waiting for a press
  kEnded,       // command 31 (`ended_by_command`) or past step 15
  kCapped,      // still running at the time cap
  kStuck,       // steps that take no time repeat for ever
};

// True once the program runs no further.
inline bool IsFinished(SimPhase phase) {
  return phase == SimPhase::kEnded || phase == SimPhase::kCapped || phase == SimPhase::kStuck;
}

struct Pose {
  double x_cm = 0;
  double y_cm = 0;
  double heading_deg = 0;
};

struct SimState {
  SimPhase phase = SimPhase::kNextStep;
  int step = 0;  // the slot running or about to run (16 once past the end)
  int counter = 0;
  SwitchMode mode = SwitchMode::kNone;
  Pose pose;
  double time_s = 0;
  double motion_end_s = 0;   // when the motion in progress ends
  double motion_start_s = 0;  // when it began, at the pose `motion_start`
  Pose motion_start;
  int left = 0;              // wheel directions of the motion: -1, 0, +1
  int right = 0;
  bool forward_move = false;  // the motion is command 2, which a press may end
  bool ended_by_command = false;
  // The steps reached since time last ran or a press last met a step, by
  // slot, counter and mode: reaching one again can only repeat for ever.
  std::bitset<kSlotCount * 16 * 4> reached;
};

struct SimAdvance {
  SimState state;
  std::optional<int> finished_step;  // the slot of a step that ended in this call
  bool press_taken = false;          // the press met a moment at which time runs
};

// Advances the simulation to the time `until_s` at most, stopping early at
// the end of a step or at the cap; each of these times is taken exactly, and
// a pose is always worked out from where its motion began, so runs in small
// slices and in one go reach the same states bit for bit. Steps that take no
// time end one per call with no time passing. `press` is a press of the
// micro switch at the state's time: it acts (or is lost) once the program
// has reached a step that lets time run; until then `press_taken` stays
// false and the caller keeps the press for the next call. SimRunner
// (sim/run.h) does this keeping for every caller.
SimAdvance Advance(const ProgramCodes& codes, const SimParams& params, const SimState& state,
                   double until_s, bool press = false);

// The pose after both wheels ran `dt` seconds in the given directions.
Pose Drive(const Pose& pose, int left, int right, double dt, const SimParams& params);

// Degrees in (-180, 180].
double NormalizeHeading(double degrees);

}  // namespace vk47
