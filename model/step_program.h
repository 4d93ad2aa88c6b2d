#pragma once
// The sixteen step slots: the one store of the robot program. A slot holds -1
// (empty) or a step code. The window keeps its pictures and labels in step
// with this store; saving and the transfer read it in slot order 0..15.
// Not thread-safe: owned and used by the UI thread.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vk47 {

inline constexpr int kSlotCount = 16;
inline constexpr int kEmptyCode = -1;

using ProgramCodes = std::array<int, kSlotCount>;

// An empty program: sixteen -1.
ProgramCodes EmptyProgram();

// What a slot shows for a code: its command, icon and the texts of its labels.
struct StepView {
  int code = kEmptyCode;
  std::optional<std::string> command_number;  // no result for codes of no command
  std::optional<std::string> icon_file;       // "2.bmp"; no result likewise
  std::string value_text;                     // value label ("" when none)
  std::string code_text;                      // code label: the code in decimal
};
StepView DescribeStep(int code, std::string_view decimal_separator = ".");

class StepProgram {
 public:
  StepProgram();

  const ProgramCodes& Codes() const { return codes_; }
  int Code(int slot) const;
  bool IsFilled(int slot) const { return Code(slot) != kEmptyCode; }
  void SetCode(int slot, int code);
  void SetCodes(const ProgramCodes& codes) { codes_ = codes; }

  // Places a command dropped with the track bar at `position`; returns the code.
  int Place(int slot, std::string_view command_number, int position);

  // Re-encodes a slot's step with a new track bar position (a value-label
  // click). The command stays; a code of no command becomes command 4's code
  // for the position. Returns the new code and the command number text used
  // ("" when the old code belonged to no command).
  struct Reencoded {
    int code;
    std::string command_number;
  };
  Reencoded Reencode(int slot, int position);

  void ClearSlot(int slot) { SetCode(slot, kEmptyCode); }
  void Clear() { codes_ = EmptyProgram(); }

 private:
  ProgramCodes codes_;
};

}  // namespace vk47
