// The simulator and the program sheet for the page (web/src/core.ts, the
// block "The simulator and the printed sheet"): the same SimRunner, floor
// drawing, words and sheet content as the window's (sim/), through the
// exchange of binding.h.
//
// A run lives in the core between calls: vk47_sim_start gives a handle (a
// number above 0) that the other vk47_sim_* calls take, until vk47_sim_free.
// A handle that is not (or no longer) a run is refused with -1 and changes
// nothing. One page thread.

#include <map>
#include <memory>

#include "binding.h"
#include "sim/floor_svg.h"
#include "sim/run.h"
#include "sim/sheet.h"
#include "sim/sim_texts.h"

namespace vk47::web {
namespace {

// The robot the window simulates.
constexpr SimParams kParams{};

struct PageRun {
  explicit PageRun(const ProgramCodes& codes) : runner(codes, kParams) {}
  SimRunner runner;
  FloorView view;  // follows the robot as the window's floor does
};

std::map<int, std::unique_ptr<PageRun>>& Runs() {
  static std::map<int, std::unique_ptr<PageRun>> runs;
  return runs;
}

PageRun* Find(int handle) {
  const auto found = Runs().find(handle);
  return found == Runs().end() ? nullptr : found->second.get();
}

std::string LineText(const WordsLine& line) {
  std::string text;
  for (const Words& piece : line) text += Speak(piece);
  return text;
}

// The state as SimState in core-types.ts.
int AnswerState(const PageRun& run) {
  const SimState& s = run.runner.State();
  const bool finished = IsFinished(s.phase);
  Json json;
  json.Open('{');
  json.Key("timeS");
  json.Number(s.time_s);
  json.Key("step");
  json.Int(finished || s.step >= kSlotCount ? -1 : s.step);
  json.Key("xCm");
  json.Number(s.pose.x_cm);
  json.Key("yCm");
  json.Number(s.pose.y_cm);
  json.Key("headingDeg");
  json.Number(s.pose.heading_deg);
  json.Key("waitingSwitch");
  json.Bool(s.phase == SimPhase::kWaitSwitch);
  json.Key("ended");
  json.Bool(finished);
  json.Key("atStart");
  json.Bool(s.time_s == 0 && s.step == 0 && s.phase == SimPhase::kNextStep);
  json.Key("timeText");
  json.String(Speak(SimTimeWords(s.time_s)));
  json.Key("stepText");
  json.String(LineText(SimStepWords(run.runner.Codes(), s)));
  json.Close('}');
  return Answer(json.Take());
}

}  // namespace
}  // namespace vk47::web

using namespace vk47;
using namespace vk47::web;

// {"title": .., "rules": ..}: the heading and the rules the simulator assumes.
VK47_EXPORT int vk47_sim_rules() {
  Json json;
  json.Open('{');
  json.Key("title");
  json.String(Speak(SimRulesTitle()));
  json.Key("rules");
  json.String(Speak(SimRules()));
  json.Close('}');
  return Answer(json.Take());
}

// A run of the program in vk47_codes(), at its start: its handle.
VK47_EXPORT int vk47_sim_start() {
  static int last = 0;
  const int handle = ++last;
  Runs()[handle] = std::make_unique<PageRun>(InputCodes());
  return handle;
}

VK47_EXPORT int vk47_sim_free(int handle) { return Runs().erase(handle) ? 0 : -1; }

// Runs on by `seconds` of simulated time (no further than the program's end
// or the cap); answers the state.
VK47_EXPORT int vk47_sim_advance(int handle, double seconds) {
  PageRun* run = Find(handle);
  if (!run) return -1;
  if (seconds > 0) run->runner.RunUntil(run->runner.State().time_s + seconds);
  return AnswerState(*run);
}

// A press of the micro switch now, met at once as the window meets it;
// answers the state.
VK47_EXPORT int vk47_sim_press(int handle) {
  PageRun* run = Find(handle);
  if (!run) return -1;
  run->runner.Press();
  run->runner.RunUntil(run->runner.State().time_s);
  return AnswerState(*run);
}

VK47_EXPORT int vk47_sim_state(int handle) {
  PageRun* run = Find(handle);
  return run ? AnswerState(*run) : -1;
}

// The status line under the floor, for the page's running and speed.
VK47_EXPORT int vk47_sim_status(int handle, int running, int speed) {
  PageRun* run = Find(handle);
  if (!run) return -1;
  return Answer(Speak(SimStatusWords(run->runner.State(), running != 0, speed)));
}

// The floor, the path so far and the robot as an SVG of that many pixels.
VK47_EXPORT int vk47_sim_floor_svg(int handle, int width_px, int height_px) {
  PageRun* run = Find(handle);
  if (!run) return -1;
  const Pose& pose = run->runner.State().pose;
  run->view = FollowRobot(run->view, run->runner.Path(), pose, kParams, width_px, height_px);
  return Answer(LiveFloorSvg(run->runner.Path(), pose, kParams, run->view, width_px, height_px, Speak));
}

// The program sheet of vk47_codes(), saved as the first input text (empty:
// never saved), printed on the date in vk47_numbers: year, month, day.
VK47_EXPORT int vk47_sheet() {
  const std::vector<std::string> texts = InputTexts();
  const std::vector<double> date = InputNumbers();
  SheetDate day;
  if (date.size() >= 3) day = {static_cast<int>(date[0]), static_cast<int>(date[1]), static_cast<int>(date[2])};
  const PrintedSheet sheet = MakePrintedSheet(InputCodes(), texts.empty() ? std::string() : texts[0], day, kParams);
  Json json;
  json.Open('{');
  const std::pair<const char*, const Words*> words[] = {
      {"title", &sheet.title},
      {"date", &sheet.date},
      {"nameLabel", &sheet.name_label},
      {"classLabel", &sheet.class_label},
      {"programHeading", &sheet.program_heading},
      {"emptyStep", &sheet.empty_step},
      {"floorHeading", &sheet.floor_heading},
      {"scale", &sheet.scale},
      {"legend", &sheet.legend},
      {"outcome", &sheet.outcome},
  };
  for (const auto& [key, value] : words) {
    json.Key(key);
    json.String(value->empty() ? std::string() : Speak(*value));
  }
  json.Key("rows");
  json.Open('[');
  for (const SheetStep& step : sheet.steps) {
    json.Open('{');
    json.Key("slot");
    json.Int(step.slot);
    json.Key("code");
    json.Int(step.code);
    json.Key("picture");
    json.String(step.picture);
    json.Key("text");
    json.String(LineText(step.text));
    json.Close('}');
  }
  json.Close(']');
  json.Key("floorSvg");
  json.String(SheetFloorSvg(sheet, Speak));
  json.Key("floorWidthMm");
  const FloorBox& g = sheet.floor.scale.grid;
  json.Number(g.Width() * sheet.floor.scale.MmPerCm() + sheet.floor.numbers_w_mm);
  json.Key("floorHeightMm");
  json.Number(g.Height() * sheet.floor.scale.MmPerCm() + sheet.floor.numbers_h_mm);
  json.Close('}');
  return Answer(json.Take());
}
