// The simulator's rules as tables: each command's motion, pivots about each
// wheel, loops, jumps at the cap, switch presses, the end of the program,
// and the trace text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "sim/floor_scale.h"
#include "sim/run.h"
#include "sim/simulator.h"
#include "sim/trace.h"

namespace vk47 {
namespace {

constexpr double kEps = 1e-6;
const double kSin1 = std::sin(1.0), kCos1 = std::cos(1.0), kRad = 180.0 / std::numbers::pi;

// A program from its first codes; the rest of the slots are empty.
ProgramCodes Program(std::initializer_list<int> first) {
  ProgramCodes codes = EmptyProgram();
  std::size_t i = 0;
  for (int code : first) codes[i++] = code;
  return codes;
}

// Where a wheel touches the floor: left is +track/2 to the robot's left.
Pose Wheel(const Pose& p, bool left, double track = 10.0) {
  const double th = p.heading_deg / kRad, side = (left ? 1 : -1) * track / 2;
  return {p.x_cm - side * std::sin(th), p.y_cm + side * std::cos(th), 0};
}

void ExpectPose(const Pose& actual, double x, double y, double heading, const std::string& what) {
  EXPECT_NEAR(actual.x_cm, x, kEps) << what;
  EXPECT_NEAR(actual.y_cm, y, kEps) << what;
  EXPECT_NEAR(NormalizeHeading(actual.heading_deg - heading), 0, kEps) << what;
}

TEST(Simulator, EachTimedCommandForOneSecond) {
  // One second (parameter 4) at 10 cm/s with the wheels 10 cm apart: a
  // pivot turns 1 rad about the still wheel, 5 cm from the middle.
  struct Row { int code; double x, y, heading; const char* what; };
  const Row rows[] = {
      {0x24, 10, 0, 0, "2 forward"},
      {0x54, -10, 0, 0, "6 backward"},
      {0x04, 0, 0, 0, "4 wait"},
      {0x14, 5 * kSin1, 5 * kCos1 - 5, -kRad, "1 left wheel forward: clockwise"},
      {0x34, 5 * kSin1, 5 - 5 * kCos1, kRad, "3 right wheel forward: counter-clockwise"},
      {0x44, -5 * kSin1, 5 * kCos1 - 5, kRad, "5 left wheel backward"},
      {0x64, -5 * kSin1, 5 - 5 * kCos1, -kRad, "7 right wheel backward"},
  };
  for (const Row& row : rows) {
    const SimRun run = RunProgram(Program({row.code}), {}, {});
    ASSERT_EQ(run.rows.size(), 16u) << row.what;  // then the fifteen empty slots
    EXPECT_DOUBLE_EQ(run.rows[0].time_s, 1.0) << row.what;
    ExpectPose(run.rows[0].pose, row.x, row.y, row.heading, row.what);
    EXPECT_EQ(run.outcome, SimRun::Outcome::kEnded) << row.what;
    EXPECT_DOUBLE_EQ(run.end.time_s, 1.0) << row.what;
  }
}

TEST(Simulator, APivotKeepsTheOtherWheelInPlace) {
  // Along the whole path, at any speed and track, not only at its end.
  struct Row { int code; bool still_left; };
  const Row rows[] = {{0x1F, false}, {0x3F, true}, {0x4F, false}, {0x6F, true}};
  const SimParams params{7.5, 12.0, 90, 600};
  for (const Row& row : rows) {
    const SimRun run = RunProgram(Program({row.code}), params, {}, 0.1);
    ASSERT_GT(run.path.size(), 30u);
    for (const Pose& p : run.path) {
      const Pose wheel = Wheel(p, row.still_left, params.track_cm);
      const Pose start = Wheel({}, row.still_left, params.track_cm);
      EXPECT_NEAR(wheel.x_cm, start.x_cm, kEps) << row.code;
      EXPECT_NEAR(wheel.y_cm, start.y_cm, kEps) << row.code;
    }
  }
}

TEST(Simulator, LoopsRunTheirCountInAll) {
  // 24: n回, 2: 1秒, 25: 1へ, 31. Counts 0 and 1 run the body once.
  struct Row { int count; double distance; int rows; };
  const Row rows[] = {{0, 10, 4}, {1, 10, 4}, {3, 30, 8}, {15, 150, 32}};
  for (const Row& row : rows) {
    const SimRun run = RunProgram(Program({0xB0 + row.count, 0x24, 0xC1, 0xD0}), {}, {});
    EXPECT_EQ(run.outcome, SimRun::Outcome::kEnded) << row.count;
    EXPECT_TRUE(run.end.ended_by_command) << row.count;
    EXPECT_NEAR(run.end.pose.x_cm, row.distance, kEps) << row.count;
    EXPECT_EQ(static_cast<int>(run.rows.size()), row.rows) << row.count;
    EXPECT_EQ(run.rows.back().step, 3) << row.count;
  }
  // 25 with no 24 before it: the counter stays at 0 and the program goes on.
  const SimRun alone = RunProgram(Program({0x24, 0xC0, 0xD0}), {}, {});
  EXPECT_NEAR(alone.end.pose.x_cm, 10, kEps);
}

TEST(Simulator, EndlessLoopsStop) {
  // A jump loop that moves runs to the ten-minute cap; one that takes no
  // time would never reach it and is stopped at once.
  const SimRun moving = RunProgram(Program({0x24, 0xA0}), {}, {});
  EXPECT_EQ(moving.outcome, SimRun::Outcome::kCapped);
  EXPECT_DOUBLE_EQ(moving.end.time_s, 600.0);
  EXPECT_NEAR(moving.end.pose.x_cm, 6000.0, 1e-6);
  EXPECT_EQ(moving.rows.size(), 1200u);
  // Step 1 ends exactly at the cap; step 0 would begin then and never runs,
  // so the run stopped in step 1, the step of its last line.
  EXPECT_EQ(moving.end.step, 1);
  EXPECT_EQ(moving.rows.back().step, 1);

  // Stopped where a step comes again with the same counter and mode: every
  // step shows once (step 0 of the loop twice, with another counter).
  struct Stuck { ProgramCodes codes; double time_s; std::vector<int> steps; int again; };
  const Stuck stuck_rows[] = {
      {Program({0xA0}), 0, {0}, 0},
      {Program({-1, 0xA0}), 0, {0, 1}, 0},
      {Program({0xB5, 0xC0}), 0, {0, 1, 0}, 1},
      {Program({0x24, 0xA1}), 1, {0, 1}, 1},
      {Program({0x72, 0x20, 0xA1}), 0, {0, 1, 2}, 1},  // a forward move of 0 s meets no press
  };
  for (const Stuck& row : stuck_rows) {
    const SimRun stuck = RunProgram(row.codes, {}, {0, 0});
    EXPECT_EQ(stuck.outcome, SimRun::Outcome::kStuck) << row.codes[0];
    EXPECT_EQ(stuck.end.time_s, row.time_s) << row.codes[0];
    EXPECT_EQ(stuck.end.step, row.again) << row.codes[0];
    std::vector<int> steps;
    for (const TraceRow& r : stuck.rows) steps.push_back(r.step);
    EXPECT_EQ(steps, row.steps) << row.codes[0];
  }
  // Presses at one instant: each 29 they end is a new course, not a repetition.
  const SimRun pressed = RunProgram(Program({0x80, 0xA0}), {}, {1, 1, 1});
  EXPECT_EQ(pressed.outcome, SimRun::Outcome::kWaitingSwitch);
  EXPECT_EQ(pressed.rows.size(), 6u);
  // A shorter cap stops a program that would end later.
  const SimRun capped = RunProgram(Program({0x2F}), {10, 10, 90, 2.0}, {});
  EXPECT_EQ(capped.outcome, SimRun::Outcome::kCapped);
  EXPECT_NEAR(capped.end.pose.x_cm, 20, kEps);
}

TEST(Simulator, SwitchPressDuringAForwardMove) {
  // mode, 2: 3.75秒, 31; pressed at 1 s. Turns take 90° x 5 cm / 10 cm/s.
  const double turn_s = std::numbers::pi / 4;
  struct Row { int mode_code; double x, heading, end_s; const char* what; };
  const Row rows[] = {
      {0x00, 37.5, 0, 3.75, "no mode: the press is lost"},
      {0x73, 10, 0, 1, "27: stop"},
      {0x72, 10, 90, 1 + turn_s, "26: turn left"},
      {0x71, 10, -90, 1 + turn_s, "28: turn right"},
  };
  for (const Row& row : rows) {
    const SimRun run = RunProgram(Program({row.mode_code, 0x2F, 0xD0}), {}, {1.0});
    EXPECT_EQ(run.outcome, SimRun::Outcome::kEnded) << row.what;
    ExpectPose(run.end.pose, row.x, 0, row.heading, row.what);
    ASSERT_EQ(run.rows.size(), 3u) << row.what;
    EXPECT_NEAR(run.rows[1].time_s, row.end_s, kEps) << row.what;
  }
  // The mode lasts: a second forward move turns again. A backward move or a
  // pivot is no forward move.
  const SimRun twice = RunProgram(Program({0x72, 0x24, 0x24, 0xD0}), {}, {0.5, 2.0});
  EXPECT_NEAR(std::abs(twice.end.pose.heading_deg), 180, kEps);
  const SimRun back = RunProgram(Program({0x72, 0x54, 0x34, 0xD0}), {}, {0.5, 1.5});
  ExpectPose(back.end.pose, -10 + 5 * kSin1, 5 - 5 * kCos1, kRad, "back and pivot");
  // A wider turn angle.
  const SimRun wide = RunProgram(Program({0x72, 0x2F, 0xD0}), {10, 10, 135, 600}, {1.0});
  EXPECT_NEAR(wide.end.pose.heading_deg, 135, kEps);
}

TEST(Simulator, WaitForTheSwitch) {
  struct Row { std::vector<double> presses; SimRun::Outcome outcome; double end_s; const char* what; };
  // 2: 1秒, 29, 2: 1秒, 31
  const ProgramCodes codes = Program({0x24, 0x80, 0x24, 0xD0});
  const Row rows[] = {
      {{}, SimRun::Outcome::kWaitingSwitch, 1, "never pressed"},
      {{3.5}, SimRun::Outcome::kEnded, 4.5, "pressed while it waits"},
      {{1.0}, SimRun::Outcome::kEnded, 2, "pressed as the wait begins"},
      {{0.5}, SimRun::Outcome::kWaitingSwitch, 1, "pressed before the wait: lost"},
      {{0.5, 2.0}, SimRun::Outcome::kEnded, 3, "a later press counts"},
      {{700}, SimRun::Outcome::kCapped, 600, "pressed after the cap"},
  };
  for (const Row& row : rows) {
    const SimRun run = RunProgram(codes, {}, row.presses);
    EXPECT_EQ(run.outcome, row.outcome) << row.what;
    EXPECT_DOUBLE_EQ(run.end.time_s, row.end_s) << row.what;
    if (row.outcome == SimRun::Outcome::kWaitingSwitch) {
      EXPECT_EQ(run.end.phase, SimPhase::kWaitSwitch) << row.what;
      EXPECT_EQ(run.end.step, 1) << row.what;
    }
  }
  // A press during a step that takes no time (the loop's start) is not used
  // up by it: the wait that follows at once takes it.
  const SimRun zero = RunProgram(Program({0x24, 0xB3, 0x80, 0xD0}), {}, {1.0});
  EXPECT_EQ(zero.outcome, SimRun::Outcome::kEnded);
  EXPECT_DOUBLE_EQ(zero.end.time_s, 1.0);
}

// Presses made on a runner before its first frame, or several at one
// instant, as the window makes them: steps that take no time do not use a
// press up; each is kept until a wait or a forward move in a switch mode
// meets it, one after the other.
TEST(SimRunner, PressesAreKeptUntilAStepMeetsThem) {
  const double turn_s = std::numbers::pi / 4;  // 90° x 5 cm / 10 cm/s
  struct Row { ProgramCodes codes; int presses; SimPhase phase; double end_s, heading; const char* what; };
  const Row rows[] = {
      {Program({0x72, 0x24, 0xD0}), 1, SimPhase::kEnded, turn_s, 90, "26 then a forward move: it turns at once"},
      {Program({0x80, 0x80, 0xD0}), 2, SimPhase::kEnded, 0, 0, "two waits, two presses at one instant"},
      {Program({0x80, 0x80, 0xD0}), 1, SimPhase::kWaitSwitch, 0, 0, "two waits, one press: the second waits"},
      {Program({0xB1, 0x80, 0xD0}), 1, SimPhase::kEnded, 0, 0, "a loop's start before the wait"},
  };
  for (const Row& row : rows) {
    SimRunner runner(row.codes, {});
    for (int i = 0; i < row.presses; ++i) runner.Press();
    runner.RunToEnd();
    EXPECT_EQ(runner.State().phase, row.phase) << row.what;
    EXPECT_NEAR(runner.State().time_s, row.end_s, kEps) << row.what;
    EXPECT_NEAR(NormalizeHeading(runner.State().pose.heading_deg - row.heading), 0, kEps) << row.what;
    EXPECT_EQ(runner.Waiting(), row.phase == SimPhase::kWaitSwitch) << row.what;
  }
}

TEST(Simulator, EndOfTheProgram) {
  // Past step 15 with no 31: every slot ran once.
  ProgramCodes quarter;
  quarter.fill(0x21);
  const SimRun past = RunProgram(quarter, {}, {});
  EXPECT_EQ(past.outcome, SimRun::Outcome::kEnded);
  EXPECT_FALSE(past.end.ended_by_command);
  EXPECT_EQ(past.end.step, 16);
  EXPECT_EQ(past.rows.size(), 16u);
  EXPECT_NEAR(past.end.pose.x_cm, 40, kEps);
  EXPECT_DOUBLE_EQ(past.end.time_s, 4);
  // An empty program ends at once; a 31 ends where it stands; a code of no
  // command does nothing.
  EXPECT_EQ(RunProgram(EmptyProgram(), {}, {}).end.time_s, 0.0);
  const SimRun early = RunProgram(Program({0xD0, 0x2F}), {}, {});
  EXPECT_EQ(early.rows.size(), 1u);
  EXPECT_TRUE(early.end.ended_by_command);
  EXPECT_NEAR(RunProgram(Program({112, 0xFF, 0x24}), {}, {}).end.pose.x_cm, 10, kEps);
}

TEST(Simulator, SmallTimeSlicesReachTheSameState) {
  // The window advances by a frame's time; the tools step to each event.
  const ProgramCodes demo = {36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4};
  const SimRun whole = RunProgram(demo, {}, {});
  SimState s;
  int finished = 0;
  for (int i = 0; i < 100000 && !IsFinished(s.phase); ++i) {
    const SimAdvance a = Advance(demo, {}, s, s.time_s + 1.0 / 15, false);
    finished += a.finished_step.has_value();
    s = a.state;
  }
  EXPECT_EQ(finished, 16);
  EXPECT_NEAR(s.time_s, whole.end.time_s, 1e-9);
  ExpectPose(s.pose, whole.end.pose.x_cm, whole.end.pose.y_cm, whole.end.pose.heading_deg, "demo");
}

TEST(Trace, TextHasTwoDecimalsAndNoNegativeZero) {
  EXPECT_EQ(TraceHeader(), "t_s\tstep\tx_cm\ty_cm\theading_deg\n");
  EXPECT_EQ(TraceLine({1.5, 3, {-0.001, 12.345, -90}}), "1.50\t3\t0.00\t12.35\t-90.00\n");
  EXPECT_EQ(TraceLine({0, 0, {0, 0, -179.999}}), "0.00\t0\t0.00\t0.00\t180.00\n");
  // Headings lie in (-180, 180]: exactly at the limit on either side.
  for (const auto& [in, out] : {std::pair{-180.0, 180.0}, {180.0, 180.0}, {540.0, 180.0}, {-540.0, 180.0},
                                {-179.5, -179.5}, {360.0, 0.0}}) {
    EXPECT_DOUBLE_EQ(NormalizeHeading(in), out) << in;
  }
  const SimRun run = RunProgram(Program({0x24, 0x34, 0xD0}), {}, {});
  EXPECT_EQ(TraceText(run),
            "t_s\tstep\tx_cm\ty_cm\theading_deg\n"
            "1.00\t0\t10.00\t0.00\t0.00\n"
            "2.00\t1\t14.21\t2.30\t57.30\n"
            "2.00\t2\t14.21\t2.30\t57.30\n");
}

TEST(Trace, SvgDrawsThePath) {
  const SimRun run = RunProgram(Program({0x24, 0x3F, 0xD0}), {}, {});
  const std::string svg = PathSvg(run, {});
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("<path d=\"M0 0L"), std::string::npos);
  EXPECT_NE(svg.find("</svg>\n"), std::string::npos);
  EXPECT_NE(svg.find("1 目盛り = 1 cm"), std::string::npos);
  // A long run along x (5 x 37.5 cm) is scaled down to fit a portrait A4
  // page, whose width is the narrower side.
  const std::string far = PathSvg(RunProgram(Program({0x2F, 0x2F, 0x2F, 0x2F, 0x2F, 0xD0}), {}, {}), {});
  double width_mm = 0, height_mm = 0;
  ASSERT_EQ(std::sscanf(far.c_str() + far.find(" width="), " width=\"%lfmm\" height=\"%lfmm\"", &width_mm,
                        &height_mm), 2);
  EXPECT_LE(width_mm, 190);
  EXPECT_LE(height_mm, 260);
}

// The paper size and the floor of an SVG drawing.
struct SvgSize {
  double width_mm = 0, height_mm = 0, view_x = 0, view_y = 0, view_w = 0, view_h = 0;
};
SvgSize ReadSvgSize(const std::string& svg) {
  SvgSize size;
  const std::size_t at = svg.find("<svg ");
  EXPECT_EQ(std::sscanf(svg.c_str() + at, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%lfmm\" height=\"%lfmm\" "
                                          "viewBox=\"%lf %lf %lf %lf\"",
                        &size.width_mm, &size.height_mm, &size.view_x, &size.view_y, &size.view_w, &size.view_h),
            6);
  return size;
}

TEST(Trace, SvgIsLifeSizeWhenItFitsAPage) {
  // The viewBox is in centimetres of floor, the size in millimetres of paper;
  // the floor drawn reaches only a little past the path and its marks.
  const SimParams spiral_robot{30, 30, 90, 600};  // the default robot three times as large
  ProgramCodes spiral;  // ever longer drives, each with a quarter turn after it
  for (int i = 0; i < 8; ++i) spiral[2 * i] = 0x22 + 2 * i - (i == 7), spiral[2 * i + 1] = 0x36;
  struct Row { ProgramCodes codes; SimParams params; int denominator; double max_floor_w, max_floor_h; const char* what; };
  const Row rows[] = {
      {EmptyProgram(), {}, 1, 10, 10, "a robot that does not move"},
      {Program({0x24, 0xD0}), {}, 1, 18, 10, "a 10 cm drive"},
      {Program({0x28, 0xD0}), {}, 2, 30, 10, "a 20 cm drive: wider than 18 cm with its marks"},
      {Program({0xBF, 0x2F, 0xC1, 0xD0}), {}, 50, 650, 100, "a 5.6 m line"},
      {spiral, spiral_robot, 20, 300, 300, "a spiral of about 2 m"},
  };
  for (const Row& row : rows) {
    const SimRun run = RunProgram(row.codes, row.params, {});
    const std::string svg = PathSvg(run, row.params);
    const SvgSize size = ReadSvgSize(svg);
    EXPECT_LE(size.width_mm, kPageRoomWidthMm) << row.what;
    EXPECT_LE(size.height_mm, kPageRoomHeightMm) << row.what;
    const double mm_per_cm = 10.0 / row.denominator;
    EXPECT_NEAR(size.width_mm, size.view_w * mm_per_cm, 0.01) << row.what;
    EXPECT_NEAR(size.height_mm, size.view_h * mm_per_cm, 0.01) << row.what;
    const std::string scale = row.denominator == 1 ? "実物大" : "縮尺 1/" + std::to_string(row.denominator);
    EXPECT_NE(svg.find(scale), std::string::npos) << row.what;
    // The path and its marks are inside, the floor no larger than it needs.
    const FloorBox bounds = PathBounds(run.path, run.end.pose);
    EXPECT_LE(size.view_x, bounds.x0_cm) << row.what;
    EXPECT_GE(size.view_x + size.view_w, bounds.x1_cm) << row.what;
    EXPECT_LE(size.view_y, -bounds.y1_cm) << row.what;
    EXPECT_GE(size.view_y + size.view_h, -bounds.y0_cm) << row.what;
    EXPECT_LT(size.view_w * mm_per_cm, row.max_floor_w * mm_per_cm + 25) << row.what;
    EXPECT_LT(size.view_h * mm_per_cm, row.max_floor_h * mm_per_cm + 25) << row.what;
  }
}

TEST(FloorScale, TheLargestScaleThatFits) {
  // Room 180 x 267 mm; a fifth of a square of room around the bounds, then
  // whole squares of 1 cm (at 1/1 and 1/2), 5 cm (1/5, 1/10), 10 cm (1/20).
  struct Row { FloorBox bounds; double beside_w, beside_h; int denominator; double grid_cm; };
  const Row rows[] = {
      {{0.5, 0.5, 17.5, 10.5}, 0, 0, 1, 1},      // 18 cm: exactly 180 mm
      {{0.5, 0.5, 17.9, 10.5}, 0, 0, 2, 1},      // 19 cm
      {{0.5, 0.5, 17.5, 10.5}, 1, 0, 2, 1},      // 180 mm and 1 mm beside it
      {{0.5, 0.5, 10.5, 25.5}, 0, 7, 1, 1},      // 26 cm + 7 mm: exactly 267 mm
      {{0.5, 0.5, 10.5, 25.5}, 0, 8, 2, 1},
      {{0, 0, 187.5, 0}, 0, 0, 20, 10},           // long and low: the width decides
      {{0, 0, 0, 187.5}, 0, 0, 10, 5},            // tall and narrow: 267 mm holds 1/10
  };
  for (const Row& row : rows) {
    const FloorScale scale = FitFloor(row.bounds, kPageRoomWidthMm, kPageRoomHeightMm, row.beside_w, row.beside_h);
    EXPECT_EQ(scale.denominator, row.denominator) << row.bounds.x1_cm << " x " << row.bounds.y1_cm;
    EXPECT_EQ(scale.grid_cm, row.grid_cm) << row.bounds.x1_cm << " x " << row.bounds.y1_cm;
  }
  EXPECT_EQ(Plain(ScaleWords(FitFloor({0, 0, 1, 1}))), "実物大");
  EXPECT_EQ(Plain(ScaleWords(FitFloor({0, 0, 100, 1}))), "縮尺 1/10");
}

}  // namespace
}  // namespace vk47
