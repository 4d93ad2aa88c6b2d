#include "model/step_program.h"

#include <stdexcept>

#include "model/command_set.h"

namespace vk47 {
namespace {

void CheckSlot(int slot) {
  if (slot < 0 || slot >= kSlotCount) {
    throw std::out_of_range("step slot " + std::to_string(slot) + " out of range");
  }
}

}  // namespace

ProgramCodes EmptyProgram() {
  ProgramCodes codes;
  codes.fill(kEmptyCode);
  return codes;
}

StepView DescribeStep(int code, std::string_view decimal_separator) {
  StepView view;
  view.code = code;
  view.command_number = StepCommandNumber(code);
  view.icon_file = StepIconFile(code);
  if (view.command_number) {
    view.value_text = StepValueText(code, *view.command_number, decimal_separator).value_or("");
  }
  view.code_text = std::to_string(code);
  return view;
}

StepProgram::StepProgram() : codes_(EmptyProgram()) {}

int StepProgram::Code(int slot) const {
  CheckSlot(slot);
  return codes_[slot];
}

void StepProgram::SetCode(int slot, int code) {
  CheckSlot(slot);
  codes_[slot] = code;
}

int StepProgram::Place(int slot, std::string_view command_number, int position) {
  const int code = EncodeStep(command_number, position);
  SetCode(slot, code);
  return code;
}

StepProgram::Reencoded StepProgram::Reencode(int slot, int position) {
  const std::string number = StepCommandNumber(Code(slot)).value_or("");
  const int code = EncodeStep(number, position);
  SetCode(slot, code);
  return {code, number};
}

}  // namespace vk47
