// The simulator's rules as the window, the help page and vk47-robot(1) state
// them, each pinned by the trace a run prints: where a rule could be read two
// ways, the run here shows which way the simulator takes it. A short time cap
// stands for the 10 minutes where the cap's instant matters; the rule is the
// same at 600 s.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/run.h"
#include "sim/trace.h"

namespace vk47 {
namespace {

ProgramCodes Program(std::initializer_list<int> first) {
  ProgramCodes codes = EmptyProgram();
  std::size_t i = 0;
  for (int code : first) codes[i++] = code;
  return codes;
}

// The trace's lines after its header, one string each.
std::vector<std::string> Lines(const SimRun& run) {
  std::vector<std::string> lines;
  for (const TraceRow& row : run.rows) {
    std::string line = TraceLine(row);
    line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

using Want = std::vector<std::string>;
constexpr int kLeftTurn = 0x72, kStopMode = 0x73, kRightTurn = 0x71, kInput = 0x80, kEnd = 0xD0;

SimParams CapAt(double seconds) {
  SimParams params;
  params.cap_s = seconds;
  return params;
}

TEST(SimRules, CountersModesAndJumpsTakeNoTime) {
  // 回数 2, 左折, 停止, 右折, 飛ぶ 6, (skipped), ここから 1 with the counter
  // at 2: back to 1 once; then 終了. Every line at 0.00 s.
  const SimRun run = RunProgram(Program({0xB2, kLeftTurn, kStopMode, kRightTurn, 0xA6, 0x24, 0xC1, kEnd}), {}, {});
  const Want want = {"0.00\t0\t0.00\t0.00\t0.00", "0.00\t1\t0.00\t0.00\t0.00", "0.00\t2\t0.00\t0.00\t0.00",
                       "0.00\t3\t0.00\t0.00\t0.00", "0.00\t4\t0.00\t0.00\t0.00", "0.00\t6\t0.00\t0.00\t0.00",
                       "0.00\t1\t0.00\t0.00\t0.00", "0.00\t2\t0.00\t0.00\t0.00", "0.00\t3\t0.00\t0.00\t0.00",
                       "0.00\t4\t0.00\t0.00\t0.00", "0.00\t6\t0.00\t0.00\t0.00", "0.00\t7\t0.00\t0.00\t0.00"};
  EXPECT_EQ(Lines(run), want);
  EXPECT_EQ(run.outcome, SimRun::Outcome::kEnded);
}

TEST(SimRules, TheLastSwitchModeIsTheOneThatActs) {
  // 左折 then 停止: a press stops the drive; 停止 then 右折: it turns right.
  const SimRun stop = RunProgram(Program({kLeftTurn, kStopMode, 0x24, kEnd}), {}, {0.5});
  EXPECT_EQ(Lines(stop).back(), "0.50\t3\t5.00\t0.00\t0.00");
  const SimRun right = RunProgram(Program({kStopMode, kRightTurn, 0x24, kEnd}), {}, {0.5});
  EXPECT_EQ(Lines(right).back(), "1.29\t3\t5.00\t0.00\t-90.00");
}

TEST(SimRules, ACounterAtZeroStaysAtZero) {
  // ここから with no 回数 before it neither jumps nor takes the counter
  // below 0; a 回数 after it counts from its own value.
  SimRunner runner(Program({0xC0, 0x24, 0xB2, 0x24, 0xC3, kEnd}), {});
  runner.RunUntil(0);
  EXPECT_EQ(runner.State().step, 1);
  EXPECT_EQ(runner.State().counter, 0);
  runner.RunToEnd();
  EXPECT_DOUBLE_EQ(runner.State().time_s, 3) << "回数 2: the second drive twice in all";
}

TEST(SimRules, HeadingsAreNeverMinus180AndNumbersNeverMinusZero) {
  SimParams half_turn;
  half_turn.turn_deg = 180;
  for (int mode : {kLeftTurn, kRightTurn}) {
    const SimRun run = RunProgram(Program({mode, 0x24, kEnd}), half_turn, {0.5});
    EXPECT_EQ(Lines(run).back(), "2.07\t2\t5.00\t0.00\t180.00") << mode;
  }
  EXPECT_EQ(TraceLine({1, 0, {-0.004, -0.001, -179.996}}), "1.00\t0\t0.00\t0.00\t180.00\n");
  EXPECT_EQ(TraceLine({1, 0, {0, 0, -0.004}}), "1.00\t0\t0.00\t0.00\t0.00\n");
}

TEST(SimRules, AZeroSecondDriveTakesNoPress) {
  // A press at the instant of a 0 s 前進 in a switch mode goes on to the
  // next step that lets time run: an 入力 there ends at once ...
  const SimRun input = RunProgram(Program({kRightTurn, 0x20, kInput, kEnd}), {}, {0});
  EXPECT_EQ(Lines(input), (Want{"0.00\t0\t0.00\t0.00\t0.00", "0.00\t1\t0.00\t0.00\t0.00",
                                  "0.00\t2\t0.00\t0.00\t0.00", "0.00\t3\t0.00\t0.00\t0.00"}));
  EXPECT_EQ(input.outcome, SimRun::Outcome::kEnded);
  // ... a drive there turns at its start ...
  const SimRun drive = RunProgram(Program({kRightTurn, 0x20, 0x24, kEnd}), {}, {0});
  EXPECT_EQ(Lines(drive).at(2), "0.79\t2\t0.00\t0.00\t-90.00");
  // ... and a wait there loses it.
  const SimRun wait = RunProgram(Program({kRightTurn, 0x20, 0x04, 0x24, kEnd}), {}, {0});
  EXPECT_EQ(Lines(wait).back(), "2.00\t4\t10.00\t0.00\t0.00");
}

TEST(SimRules, AtTheCapOnlyStepsThatTakeNoTimeStillRun) {
  // Two 1 s drives reach the cap of 2 s exactly: 回数 still runs at 2.00 s,
  // the 入力 after it does not begin (no line, and the run is capped rather
  // than waiting).
  const SimRun run = RunProgram(Program({0x24, 0x24, 0xB3, kInput, kEnd}), CapAt(2), {});
  EXPECT_EQ(Lines(run), (Want{"1.00\t0\t10.00\t0.00\t0.00", "2.00\t1\t20.00\t0.00\t0.00",
                                "2.00\t2\t20.00\t0.00\t0.00"}));
  EXPECT_EQ(run.outcome, SimRun::Outcome::kCapped);
  // A timed step that would begin at the cap gets no line either.
  const SimRun timed = RunProgram(Program({0x24, 0x24, 0x24, kEnd}), CapAt(2), {});
  EXPECT_EQ(Lines(timed).back(), "2.00\t1\t20.00\t0.00\t0.00");
  EXPECT_EQ(timed.rows.size(), 2u);
}

TEST(SimRules, APressAtTheCapStillEndsAWaitBegunBefore) {
  const ProgramCodes codes = Program({0x24, kInput, 0xB3, 0x24, kEnd});
  // Pressed at 2.00 s: the wait ends, 回数 runs, the drive does not.
  const SimRun pressed = RunProgram(codes, CapAt(2), {2});
  EXPECT_EQ(Lines(pressed), (Want{"1.00\t0\t10.00\t0.00\t0.00", "2.00\t1\t10.00\t0.00\t0.00",
                                    "2.00\t2\t10.00\t0.00\t0.00"}));
  EXPECT_EQ(pressed.outcome, SimRun::Outcome::kCapped);
  // Pressed later than the cap: the wait runs to the cap and its state there
  // is the last line.
  const SimRun late = RunProgram(codes, CapAt(2), {3});
  EXPECT_EQ(Lines(late), (Want{"1.00\t0\t10.00\t0.00\t0.00", "2.00\t1\t10.00\t0.00\t0.00"}));
  EXPECT_EQ(late.outcome, SimRun::Outcome::kCapped);
}

TEST(SimRules, AUsedPressStartsTheSearchForATimelessLoopAfresh) {
  // 入力 and 飛ぶ 0: each press ends the wait and the program comes round to
  // the same 入力 with no time passed; that is no endless loop, since the
  // next press may come. Two presses, then it waits.
  const SimRun run = RunProgram(Program({kInput, 0xA0}), {}, {0, 0});
  EXPECT_EQ(Lines(run), (Want{"0.00\t0\t0.00\t0.00\t0.00", "0.00\t1\t0.00\t0.00\t0.00",
                                "0.00\t0\t0.00\t0.00\t0.00", "0.00\t1\t0.00\t0.00\t0.00"}));
  EXPECT_EQ(run.outcome, SimRun::Outcome::kWaitingSwitch);
}

TEST(SimRules, WhatTheTraceLeavesOut) {
  // A run left waiting at 入力 prints no line for it.
  const SimRun waiting = RunProgram(Program({0x24, kInput, kEnd}), {}, {});
  EXPECT_EQ(Lines(waiting), (Want{"1.00\t0\t10.00\t0.00\t0.00"}));
  EXPECT_EQ(waiting.outcome, SimRun::Outcome::kWaitingSwitch);
  // A loop that takes no time: the step that comes round again is not printed.
  const SimRun stuck = RunProgram(Program({0x20, 0xA0}), {}, {});
  EXPECT_EQ(Lines(stuck), (Want{"0.00\t0\t0.00\t0.00\t0.00", "0.00\t1\t0.00\t0.00\t0.00"}));
  EXPECT_EQ(stuck.outcome, SimRun::Outcome::kStuck);
}

TEST(SimRules, PressesDuringTheTurnOnTheSpotAreLost) {
  // 右折, a drive pressed at 0.5 s (the turn lasts 0.785 s), pressed again
  // at 1 s during the turn: lost, so the 入力 after it waits.
  const SimRun run = RunProgram(Program({kRightTurn, 0x24, kInput, kEnd}), {}, {0.5, 1});
  EXPECT_EQ(Lines(run).back(), "1.29\t1\t5.00\t0.00\t-90.00");
  EXPECT_EQ(run.outcome, SimRun::Outcome::kWaitingSwitch);
}

TEST(SimRules, TheCapStopsATurnPartWay) {
  // Pressed at 0.5 s, the right turn has turned for 0.5 of its 0.785 s when
  // the cap of 1 s comes: 57.30 degrees of 90.
  const SimRun run = RunProgram(Program({kRightTurn, 0x24, kEnd}), CapAt(1), {0.5});
  EXPECT_EQ(Lines(run).back(), "1.00\t1\t5.00\t0.00\t-57.30");
  EXPECT_EQ(run.outcome, SimRun::Outcome::kCapped);
}

TEST(SimRules, XAndYAreTheMiddleOfTheAxle) {
  // 左前 1 s: the right wheel stays at (0, -5); the middle, 5 cm from it,
  // swings a radian clockwise about it.
  const SimRun run = RunProgram(Program({0x14, kEnd}), {}, {});
  EXPECT_EQ(Lines(run).front(), "1.00\t0\t4.21\t-2.30\t-57.30");
}

}  // namespace
}  // namespace vk47
