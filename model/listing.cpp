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

std::string StepSheetText(int code) {
  if (code == kEmptyCode) return "";
  const StepView view = DescribeStep(code);
  const Command* command = view.command_number ? FindCommand(*view.command_number) : nullptr;
  if (!command) return "コード " + view.code_text;
  const std::string name(command->name);
  if (!command->takes_parameter) return name;
  const std::string parameter = std::to_string(code - command->base_code);
  if (command->unit == "回") return name + " " + parameter;
  if (command->unit == "へ") return name + " → " + parameter;
  return name + " " + view.value_text;
}

std::string ProgramListing(const ProgramCodes& codes) {
  std::string text;
  for (int k = 0; k < kSlotCount; ++k) text += ListingLine(k, codes[k]) + '\n';
  return text;
}

}  // namespace vk47
