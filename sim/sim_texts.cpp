#include "sim/sim_texts.h"

#include <algorithm>
#include <cstdio>

#include "model/command_set.h"
#include "model/listing.h"

namespace vk47 {
namespace {

// Every rule the simulator follows, as a teacher checks them against the
// robot; where the robot may well differ from what one expects, it says so.
const char kRules[] = VK47_TEXT(
    "・車輪は 1 秒に 10 cm 進みます。左右の車輪の間は 10 cm です。ロボットは右を向いてスタートします。"
    "ロボットの場所は、左右の車輪のまん中の点です。\n"
    "・「前進」「後退」は両方の車輪が回ります。「左前」「右前」「左後」「右後」は片方の車輪だけが回り、"
    "止まっている車輪を中心にまわります。「待つ」と、何も置いていないステップ (0 秒) は止まったままです。"
    "「回数」「ここから」「左折」「停止」「右折」「飛ぶ」「終了」は時間がかかりません。\n"
    "・くり返しの回数は 1 つしかありません。「回数」が回数を決め、「ここから」は回数を 1 へらして (0 より下には"
    "なりません)、まだ残っていれば数字のステップにもどります。くり返しの中にくり返しを入れることはできません: "
    "中の「回数」が同じ回数を決めなおすので、外のくり返しは 1 回で終わります。「回数」のない「ここから」や、"
    "くり返しが終わったあとの「ここから」は、もどりません。「飛ぶ」は数字のステップへ飛びます。\n"
    "・スイッチが使われるのは、「入力」で待っている間と、「左折」「停止」「右折」のあとの「前進」の間だけです"
    " (「左前」「右前」の間ではありません)。待ちや「前進」が始まった瞬間に押したスイッチは使われ、"
    "終わった瞬間に押したスイッチは使われません。ほかのときに押したスイッチは、なかったことになります。"
    "0 秒の「前進」や「待つ」は時間がかからないので、その瞬間に押したスイッチは、そのあと最初に時間の"
    "かかるステップにとどきます。\n"
    "・「左折」「停止」「右折」は、そのあとのすべての「前進」に効きます。あとから置いたものが、前のものに"
    "代わります。「前進」の間にスイッチを押すと、その場で 90 度まわる (両方の車輪が逆に回り、0.79 秒かかります)"
    " か止まって、次のステップへ進みます。まわっている間に押したスイッチは、なかったことになります。\n"
    "・「終了」か、ステップ 15 が終わるとおしまいです。10 分 (600.00 秒) たつとそこで止めます。まわっている"
    "とちゅうなら、その向きのまま止まります。ちょうど 10 分のとき、時間のかからないステップはまだ動きますが、"
    "時間のかかるステップや「入力」は始まりません。ちょうど 10 分に押したスイッチでも、その前から「入力」で"
    "待っていれば使われます。時間の進まないくり返し (0 秒のステップと「飛ぶ」だけのくり返し) は、同じ"
    "ステップに同じ回数の残りと同じ「左折」「停止」「右折」でもどったところで止めます。スイッチが使われると、"
    "そこから数えなおします。\n"
    "・vk47-robot の記録では、向きは -180 度より大きく 180 度まで (180 度は -180 とは書きません) で、-0.00 と"
    "は書きません。1 行は終わったステップ 1 つです: 「入力」で待ったままのステップと、時間の進まないくり返しで"
    "もどってきたステップの行はありません。10 分で止めたときは、最後の行が 600.00 秒のときの場所です。");

}  // namespace

Words SimRulesTitle() { return {VK47_TEXT("このシミュレーションのきまり (本物のロボットと少しちがうことがあります)"), {}}; }

Words SimRules() { return {kRules, {}}; }

Words SimTimeWords(double time_s) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f", time_s);
  return {VK47_TEXT("時間 %1 秒"), {seconds}};
}

WordsLine SimStepWords(const ProgramCodes& codes, const SimState& state) {
  const int step = state.step;
  if (step < 0 || step >= kSlotCount || IsFinished(state.phase)) return {};
  WordsLine line{Words{VK47_TEXT("ステップ %1"), {std::to_string(step)}}};
  // An empty slot runs as a wait of no time: 「待つ 0秒」.
  const int code = std::max(codes[static_cast<std::size_t>(step)], 0);
  const auto number = StepCommandNumber(code);
  if (const Command* command = number ? FindCommand(*number) : nullptr) {
    line.push_back(Verbatim(": "));
    line.push_back(Words{std::string(command->name), {}});
    WordsLine value = StepValueWords(code);
    if (!value.empty()) line.push_back(Verbatim(" "));
    for (Words& piece : value) line.push_back(std::move(piece));
  }
  if (state.counter > 0) line.push_back(Words{VK47_TEXT("  (回数の残り %1)"), {std::to_string(state.counter)}});
  return line;
}

Words SimStatusWords(const SimState& state, bool running, int speed) {
  switch (state.phase) {
    case SimPhase::kEnded:
      if (state.ended_by_command) return {VK47_TEXT("おわり: ステップ %1 の「終了」でおしまいです。"), {std::to_string(state.step)}};
      return {VK47_TEXT("おわり: ステップ 15 まで進みました。"), {}};
    case SimPhase::kCapped:
      return {VK47_TEXT("10 分たっても終わらないので止めました。"), {}};
    case SimPhase::kStuck:
      return {VK47_TEXT("時間の進まないくり返しがずっと続くので止めました。"), {}};
    case SimPhase::kWaitSwitch:
      if (running) return {VK47_TEXT("スイッチが押されるのを待っています。「スイッチ」を押してください。"), {}};
      return {VK47_TEXT("一時停止中 (スイッチを待っています)"), {}};
    default:
      break;
  }
  if (running) return {VK47_TEXT("動いています (速さ ×%1)"), {std::to_string(speed)}};
  const bool at_start = state.time_s == 0 && state.step == 0 && state.phase == SimPhase::kNextStep;
  if (at_start) return {VK47_TEXT("「スタート」を押すと、いまのプログラムで動きます。"), {}};
  return {VK47_TEXT("一時停止中"), {}};
}

Words OutcomeWords(const SimRun& run, const SimParams& params) {
  const std::string step = std::to_string(run.end.step);
  switch (run.outcome) {
    case SimRun::Outcome::kEnded:
      return {};
    case SimRun::Outcome::kCapped: {
      char minutes[32];
      std::snprintf(minutes, sizeof minutes, "%g", params.cap_s / 60.0);
      return {VK47_TEXT("%1 分たっても終わらないので止めました (ステップ %2)"), {minutes, step}};
    }
    case SimRun::Outcome::kStuck:
      return {VK47_TEXT("時間の進まないくり返しなので止めました (ステップ %1 にもどっても時間が進まず、同じことがずっとくり返されます)"),
              {step}};
    case SimRun::Outcome::kWaitingSwitch:
      return {VK47_TEXT("ステップ %1 でマイクロスイッチが押されるのを待ったままです (%2 秒)"),
              {step, Fixed2(run.end.time_s)}};
  }
  return {};
}

}  // namespace vk47
