#pragma once
// What the simulator says to a pupil, the same in the window and in the
// browser: the rules it assumes, the time, the step that runs and the
// status under the floor, and what ended a run. Every text is Words (or a
// WordsLine of pieces), so each edition shows it in kanji or in hiragana
// through its catalogue.
//
// Pure functions; any thread.

#include <string>

#include "model/step_program.h"
#include "sim/run.h"
#include "sim/trace.h"
#include "text/words.h"

namespace vk47 {

// The heading over the rules, and the rules themselves: every rule the
// simulator follows, as a teacher checks them against the robot, one
// paragraph a line. They state the default robot (SimParams{}).
Words SimRulesTitle();
Words SimRules();

// 「時間 1.50 秒」.
Words SimTimeWords(double time_s);

// The step that runs or is about to: 「ステップ 1: 待つ 1秒」, with
// 「(回数の残り 2)」 while the counter is above 0; empty once the program is
// finished.
WordsLine SimStepWords(const ProgramCodes& codes, const SimState& state);

// The status line: finished (and why), waiting for the switch, running at
// a speed, paused, or ready at the start.
Words SimStatusWords(const SimState& state, bool running, int speed);

// What ended a whole run (sim/trace.h), for the tools and the printed sheet:
// empty for a program that ended by itself.
Words OutcomeWords(const SimRun& run, const SimParams& params);

}  // namespace vk47
