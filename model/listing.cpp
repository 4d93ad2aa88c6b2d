#include "model/listing.h"

#include "model/command_set.h"

namespace vk47 {

std::string ListingLine(int slot, int code) {
  const StepView view = DescribeStep(code);
  const bool named = code != kEmptyCode && view.command_number.has_value();
  const Command* command = named ? FindCommand(*view.command_number) : nullptr;
  return std::to_string(slot) + '\t' + view.code_text + '\t' +
         (named ? *view.command_number : std::string("-")) + '\t' +
         (named ? view.value_text : std::string()) + '\t' +
         (command ? std::string(command->name) : std::string());
}

WordsLine StepValueWords(int code) {
  if (code == kEmptyCode) return {};
  const StepView view = DescribeStep(code);
  const Command* command = view.command_number ? FindCommand(*view.command_number) : nullptr;
  if (!command || view.value_text.empty()) return {};
  const std::string& value = view.value_text;
  if (command->unit.empty() || !value.ends_with(command->unit)) return {Verbatim(value)};
  return {Verbatim(value.substr(0, value.size() - command->unit.size())), Words{std::string(command->unit), {}}};
}

namespace {

// How a step's parameter reads on the sheet, decided by the command itself
// (its number), never by its unit's text, which the hiragana mode changes:
// a count (回数 3), a step to go to (ここから → 2, 飛ぶ → 5), or a time
// with its unit (前進 0.5秒).
enum class ParameterReading { kTime, kCount, kStep };

ParameterReading ReadingOf(const Command& command) {
  if (command.number == "24") return ParameterReading::kCount;
  if (command.number == "25" || command.number == "30") return ParameterReading::kStep;
  return ParameterReading::kTime;
}

}  // namespace

WordsLine StepSheetWords(int code) {
  if (code == kEmptyCode) return {};
  const StepView view = DescribeStep(code);
  const Command* command = view.command_number ? FindCommand(*view.command_number) : nullptr;
  if (!command) return {Words{VK47_TEXT("コード %1"), {view.code_text}}};
  WordsLine line{Words{std::string(command->name), {}}};
  if (!command->takes_parameter) return line;
  const std::string parameter = std::to_string(code - command->base_code);
  const ParameterReading reading = ReadingOf(*command);
  if (reading == ParameterReading::kCount) {
    line.push_back(Verbatim(" " + parameter));
  } else if (reading == ParameterReading::kStep) {
    line.push_back(Verbatim(" → " + parameter));
  } else {
    line.push_back(Verbatim(" "));
    for (Words& piece : StepValueWords(code)) line.push_back(std::move(piece));
  }
  return line;
}

std::string ProgramListing(const ProgramCodes& codes) {
  std::string text;
  for (int k = 0; k < kSlotCount; ++k) text += ListingLine(k, codes[k]) + '\n';
  return text;
}

}  // namespace vk47
