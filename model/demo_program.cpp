#include "model/demo_program.h"

namespace vk47 {

ProgramParse DemoProgram() {
  std::vector<ProgramLine> lines;
  for (std::string_view step : DemoSteps) lines.push_back({std::string(step), false});
  return ParseProgramLines(lines);
}

}  // namespace vk47
