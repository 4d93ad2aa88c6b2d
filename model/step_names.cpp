#include "model/step_names.h"

#include "model/command_set.h"
#include "model/step_program.h"

namespace vk47 {

std::string CommandName(std::string_view number, const Lookup& lookup) {
  const Command* command = FindCommand(number);
  if (!command) return {};
  // The names are literals of the command table, marked for the catalogue.
  return lookup(std::string(command->name));
}

std::string StepValueCaption(int code, std::string_view decimal_separator, const Lookup& lookup) {
  const auto number = StepCommandNumber(code);
  if (!number || code == kEmptyCode) return {};
  const auto text = StepValueText(code, *number, decimal_separator);
  if (!text) return {};
  // The unit is the command table's word, in the catalogue as the value
  // label shows it ("1.5秒", "1.5びょう").
  const std::string_view unit = FindCommand(*number)->unit;
  if (unit.empty() || !text->ends_with(unit)) return *text;
  return text->substr(0, text->size() - unit.size()) + lookup(std::string(unit));
}

std::string SlotName(int slot, int code, std::string_view decimal_separator, const Lookup& lookup) {
  if (code == kEmptyCode) {
    return Render({VK47_TEXT("ステップ %1 空き"), {std::to_string(slot)}}, lookup);
  }
  const auto number = StepCommandNumber(code);
  const std::string command = number ? CommandName(*number, lookup) : std::to_string(code);
  std::string name = Render({VK47_TEXT("ステップ %1 %2"), {std::to_string(slot), command}}, lookup);
  const std::string value = StepValueCaption(code, decimal_separator, lookup);
  if (!value.empty()) name += ' ' + value;
  return name;
}

std::string TrackBarName(int position, const Lookup& lookup) {
  return Render({VK47_TEXT("時間・飛び先・回数 %1"), {std::to_string(position)}}, lookup);
}

}  // namespace vk47
