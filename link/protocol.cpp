#include "link/protocol.h"

#include "model/step_program.h"

namespace vk47 {

std::uint8_t StepByte(int code) {
  return code == kEmptyCode ? 0 : static_cast<std::uint8_t>(static_cast<unsigned>(code) & 0xFF);
}

int StepProgressPosition(int k) {
  // k × 6.25 = k × 25 / 4; the fraction is 0, .25, .5 or .75.
  const int whole = k * 25 / 4;
  const int quarters = k * 25 % 4;
  if (quarters < 2) return whole;
  if (quarters > 2) return whole + 1;
  return whole % 2 == 0 ? whole : whole + 1;
}

}  // namespace vk47
