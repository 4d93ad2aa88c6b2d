#pragma once
// The bytes that go to the robot: a transfer frame (0x74 and the sixteen step
// codes, one byte each: kSlotCount of step_program.h) and the execute byte
// 0x78. Nothing comes back.

#include <cstdint>

namespace vk47 {

inline constexpr std::uint8_t kTransferCommand = 0x74;  // 't'
inline constexpr std::uint8_t kExecuteCommand = 0x78;   // 'x'
inline constexpr std::uint32_t kStepGapMs = 100;        // pause after each completed write

// The byte a slot's code goes out as: an empty slot (-1) is 0x00, any other
// code its low 8 bits.
std::uint8_t StepByte(int code);

// Progress bar position after step k (0..15): k × 6.25 rounded half to even,
// so 0, 6, 12, 19, ... 88, 94.
int StepProgressPosition(int k);

}  // namespace vk47
